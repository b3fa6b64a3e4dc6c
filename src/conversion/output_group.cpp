// SPDX-License-Identifier: MIT
#include "output_group.h"

namespace zerka {

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
            const std::string backup = output.Publish(staged.File, sources);
            named_.insert(name);
            outcome.Publish(backup);
            published.push_back(staged.Index);
        } catch (const FileError &error) {
            outcome.Fail(error);
        }
    }
    files_.clear();
    if (published.empty())
        return;
    try {
        output.SyncNames();
    } catch (const FileError &error) {
        for (const std::size_t index : published)
            result.Files[index].Fail(error);
    }
}

}  // namespace zerka
