// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "conversion/batch_conversion.h"
#include "keyframes/files.h"

namespace zerka {

// A batch's staged outputs, named a group at a time in list order: the wait for the disk
// is paid once a group rather than once a file. A group holds at most kSize staged files
// open, and the workers at most twice as many more ahead of it.
class OutputGroup {
public:
    static constexpr std::size_t kSize = 32;

    // The staged output of result's file index.
    void Add(std::size_t index, StagedFile file);
    bool Full() const { return files_.size() >= kSize; }
    bool Empty() const { return files_.empty(); }
    // Whether an output of this name was given its name by this run, durable or not.
    bool Named(const std::string &name) const { return named_.count(name) != 0; }
    bool NamedAny() const { return !named_.empty(); }

    // Makes the group durable, names its files in list order (never over a file sources
    // names, keeping what each replaces as it asks), then makes the names durable; each
    // file's outcome in result says how it went. The group is empty afterwards.
    void Publish(OutputFolder &output, const std::set<FileIdentity> &sources,
                 BatchResult &result);

private:
    struct Staged {
        std::size_t Index;
        StagedFile File;
    };
    std::vector<Staged> files_;
    std::set<std::string> named_;
};

}  // namespace zerka
