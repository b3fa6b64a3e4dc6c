// SPDX-License-Identifier: MIT
#include "batch_conversion.h"

#include <algorithm>
#include <set>
#include <thread>

#include "conversion/batch_pipeline.h"
#include "conversion/conversion_report.h"
#include "conversion/key_file_list.h"
#include "conversion/keyframe_conversion.h"

namespace zerka {

std::string MissingHierarchyText(const KeyframeTables &tables)
{
    const bool noOld = tables.OldHierarchyCount == 0;
    const bool noNew = tables.NewHierarchyCount == 0;
    if (noOld && noNew)
        return "Load both hierarchies first: neither the old nor the new hierarchy is loaded.";
    if (noOld)
        return "Load the old hierarchy first: no old hierarchy is loaded.";
    if (noNew)
        return "Load the new hierarchy first: no new hierarchy is loaded.";
    return {};
}

int BatchResult::ConvertedCount() const
{
    return static_cast<int>(std::count_if(Files.begin(), Files.end(),
                                          [](const FileOutcome &file) { return file.Converted; }));
}

int BatchResult::NotConvertedCount() const
{
    return static_cast<int>(Files.size()) - ConvertedCount();
}

void SaveIntoNew(KeyframeTables &tables, const std::string &directory,
                 const std::string &listedName, const std::string &markerDate)
{
    const Folder folder = Folder::Open(directory, directory);
    OutputFolder output = OutputFolder::OpenChild(folder, kOutputFolder);
    std::set<FileIdentity> source;
    if (const FileIdentity identity = folder.IdentityOf(listedName); identity != FileIdentity{})
        source.insert(identity);
    tables.SourceFileName = listedName;
    ConvertKeyFile(tables, output, OutputNameFor(listedName), markerDate, source);
}

BatchResult ConvertAll(KeyframeTables &tables, const std::string &directory,
                       const std::vector<std::string> &names, const BatchProgress &progress,
                       const BatchOptions &options)
{
    BatchResult result;
    result.NotRunReason = MissingHierarchyText(tables);
    if (!result.NotRunReason.empty())
        return result;
    result.Ran = true;
    result.Ties = std::make_shared<const JointTies>(tables, options.Match);
    BatchPipeline pipeline(directory, names, options, *result.Ties);
    // New that cannot be made or written would fail every file with one reason: the batch
    // then says it once, and converts nothing.
    if (!options.DryRun && !names.empty()) {
        if (const std::optional<FileError> problem = pipeline.CheckOutput()) {
            result.Ran = false;
            result.NotRunReason = problem->what();
            return result;
        }
    }
    result.Warnings = BatchWarnings(*result.Ties, directory, names);
    result.Files.resize(names.size());
    std::size_t workers = options.Workers > 0 ? static_cast<std::size_t>(options.Workers)
                                              : std::thread::hardware_concurrency();
    workers = std::min(std::max<std::size_t>(workers, 1), names.size());
    pipeline.Run(tables, workers, result, progress);
    return result;
}

}  // namespace zerka
