// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "keyframes/keyframe_tables.h"

// How one listed file of a batch fared, and the one place that changes it: whatever part
// of the batch learns that a file converted, failed or replaced an earlier output says so
// here, and the words of its reason and warnings are chosen here.
namespace zerka {

// One node of a converted file as a result keeps it, in the file's order: what its number
// tied it to is asked of the result's Ties again when it is reported, so a batch keeps a
// few bytes a node, not a tie each.
struct FileNode {
    std::int16_t Num = 0;  // as its NODE line gives it
    std::string MeshName;
};

class FileOutcome {
public:
    FileOutcome() = default;
    explicit FileOutcome(std::string name) : Name(std::move(name)) { }

    std::string Name;  // as listed
    std::string OutputName;  // its name in New; empty when the listed name has none
    bool Converted = false;
    std::string Reason;  // why it was not converted: "description (line N)"
    std::vector<FileNode> Nodes;  // once its conversion in memory succeeded
    // What the user should know of a converted file ("already converted by Zerka; ..."),
    // without its name; they never change its output or its outcome.
    std::vector<std::string> Warnings = {};

    // Converted in memory, with how its nodes fared and what to warn of: not yet converted,
    // as its output has no name yet.
    void Prepare(std::vector<FileNode> nodes, std::vector<std::string> warnings);
    // Its output has its name; backup is what the file it replaced is kept as, if any. A
    // dry run says what it would keep.
    void Publish(const std::string &backup, bool dryRun = false);
    // Not converted: the reason, placed in its file and line, and no warnings, which a file
    // not converted is told by its reason alone.
    void Fail(const FileError &error);
    void Fail(std::string reason);
    // Another file of the folder makes the same output name and was taken first.
    void FailAsNamesake();
    // Failed while New holds an output of its name from an earlier run, which the user may
    // take for a fresh one.
    void NoteEarlierOutput();
};

// A failure as a summary line shows it after the listed file's name: the description and
// its line, or, for an error in another file (a model, the New folder), that file too.
std::string FailureReason(const FileError &error, const std::string &listedName);

}  // namespace zerka
