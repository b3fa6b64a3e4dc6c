// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conversion/batch_conversion.h"

// The work of one batch behind ConvertAll: each listed file read, converted and staged,
// by the calling thread or by workers ahead of it, and taken in list order, its output
// published a group at a time.
namespace zerka {

class BatchPipeline {
public:
    // Opens the listed folder once by handle, so that names in it cannot be redirected
    // while the batch runs; a folder that cannot be opened fails every file.
    BatchPipeline(const std::string &directory, const std::vector<std::string> &names,
                  const BatchOptions &options, const JointTies &ties);
    ~BatchPipeline();
    BatchPipeline(const BatchPipeline &) = delete;
    BatchPipeline &operator=(const BatchPipeline &) = delete;

    // Opens New, making it when missing, and tries a write there: the error when it cannot
    // be made or written, which would fail every file the same way.
    std::optional<FileError> CheckOutput();

    // Converts every file into result.Files (one outcome per listed name, in order), calling
    // progress after each. With more than one worker, each works on tables of its own;
    // either way the outputs, the outcomes and the tables afterwards are those of one
    // thread on the caller's tables: holding the last file read, converted as far as it got
    // (see ConvertAll on what lies beyond a file that failed part way).
    void Run(KeyframeTables &tables, std::size_t workers, BatchResult &result,
             const BatchProgress &progress);

private:
    class State;
    std::unique_ptr<State> state_;
};

}  // namespace zerka
