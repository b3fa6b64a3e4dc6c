// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "conversion/file_outcome.h"
#include "conversion/joint_ties.h"
#include "keyframes/files.h"
#include "keyframes/keyframe_tables.h"

namespace zerka {

struct BatchResult {
    // False when nothing was tried: a hierarchy was missing, or New cannot be made or
    // written.
    bool Ran = false;
    std::string NotRunReason;  // then why, as the window shows it
    std::vector<FileOutcome> Files;  // every listed file, in list order
    // What the user should know of the whole batch, before any file: the models move
    // nothing, the folder has no key files. They change no outcome.
    std::vector<std::string> Warnings;
    std::shared_ptr<const JointTies> Ties;  // what the nodes were tied by, once it ran

    int ConvertedCount() const;
    int NotConvertedCount() const;
};

// Called after each listed file, in list order and on the calling thread, with the number
// of files done so far.
using BatchProgress = std::function<void(int filesDone)>;

struct BatchOptions {
    int Workers = 0;  // threads converting at once; 0: one per core
    bool DryRun = false;  // convert in memory only: nothing is written, New is not made
    MatchOptions Match = {};
    // The date every output's marker line gives: the programs take it from the clock or
    // SOURCE_DATE_EPOCH.
    std::string MarkerDate = {};
    WriteOptions Write = {};  // how New is written: for tests
};

// Why the batch cannot run yet ("Load the old hierarchy first: ..."); empty when both
// hierarchies are loaded.
std::string MissingHierarchyText(const KeyframeTables &tables);

// Converts every listed file of directory into its "New" folder with the hierarchies
// loaded before, in list order. A New that cannot be made or written stops the batch
// before the first file (Ran false, with the reason). A file that fails is Not Converted
// with its reason and gets no output; the others go on. Outputs are made durable a group at
// a time before their names appear. Afterwards the tables hold the last file read, as far
// as it got.
// A dry run fails and succeeds file by file as the real run would up to the writes: what
// only writing can tell (New cannot be made, a full disk, a link back to the folder) it
// does not try.
// Shows nothing: the caller reports from the result. Whatever the number of workers, the
// outputs, the result and what the tables' counts cover afterwards are those of one thread;
// beyond a file that failed part way (an entry count read, its entries not), stale content
// may come from another file read before.
BatchResult ConvertAll(KeyframeTables &tables, const std::string &directory,
                       const std::vector<std::string> &names, const BatchProgress &progress = {},
                       const BatchOptions &options = {});

// Converts the tables as the file listed as listedName of directory and saves the result
// durably into directory's "New" folder, made when missing. Throws FileError.
void SaveIntoNew(KeyframeTables &tables, const std::string &directory,
                 const std::string &listedName, const std::string &markerDate);

}  // namespace zerka
