// SPDX-License-Identifier: MIT
#include "output_group.h"

#include "conversion/batch_summary.h"

namespace zerka {
namespace {

void MarkFailed(FileOutcome &outcome, const FileError &error)
{
    outcome.Converted = false;
    outcome.Reason = FailureReason(error, outcome.Name);
    outcome.Warnings.clear();  // a file not converted is told by its reason alone
}

}  // namespace

void OutputGroup::Add(std::size_t index, StagedFile file)
{
    files_.push_back({index, std::move(file)});
}

void OutputGroup::Publish(OutputFolder &output, const std::set<FileIdentity> &sources,
                          BatchResult &result)
{
    std::vector<StagedFile *> files;
    for (Staged &staged : files_)
        files.push_back(&staged.File);
    output.MakeDurable(files);
    std::vector<std::size_t> published;
    for (Staged &staged : files_) {
        FileOutcome &outcome = result.Files[staged.Index];
        const std::string name = staged.File.Name();
        try {
            output.Publish(staged.File, sources);
            named_.insert(name);
            outcome.Converted = true;
            published.push_back(staged.Index);
        } catch (const FileError &error) {
            MarkFailed(outcome, error);
        }
    }
    files_.clear();
    if (published.empty())
        return;
    try {
        output.SyncNames();
    } catch (const FileError &error) {
        for (const std::size_t index : published)
            MarkFailed(result.Files[index], error);
    }
}

}  // namespace zerka
