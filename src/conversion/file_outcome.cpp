// SPDX-License-Identifier: MIT
#include "file_outcome.h"

#include "conversion/key_file_list.h"
#include "keyframes/files.h"

namespace zerka {

std::string FailureReason(const FileError &error, const std::string &listedName)
{
    if (!error.File.empty() && error.File != listedName)
        return error.what();
    std::string reason = error.Description;
    if (error.Line > 0)
        reason += " (line " + std::to_string(error.Line) + ")";
    return reason;
}

void FileOutcome::Prepare(std::vector<FileNode> nodes, std::vector<std::string> warnings)
{
    Nodes = std::move(nodes);
    Warnings = std::move(warnings);
}

void FileOutcome::Publish(const std::string &backup, bool dryRun)
{
    Converted = true;
    if (backup.empty())
        return;
    const std::string output = ShownPath(kOutputFolder, ShownName(OutputName));
    Warnings.push_back(output + (dryRun ? " holds other content; would keep it as "
                                        : " held other content; kept as ") +
                       ShownName(backup));
}

void FileOutcome::Fail(const FileError &error) { Fail(FailureReason(error, Name)); }

void FileOutcome::Fail(std::string reason)
{
    Converted = false;
    Reason = std::move(reason);
    Warnings.clear();
}

void FileOutcome::FailAsNamesake()
{
    Fail(ShownPath(kOutputFolder, ShownName(OutputName)) +
         " was already written from another file of this folder");
}

void FileOutcome::NoteEarlierOutput()
{
    Reason += "; " + ShownPath(kOutputFolder, ShownName(OutputName)) +
              " is from an earlier run";
}

}  // namespace zerka
