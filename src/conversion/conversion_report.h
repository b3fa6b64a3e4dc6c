// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/batch_conversion.h"
#include "keyframes/keyframe_tables.h"

// What a conversion does to each node, told before or after the batch: matching goes by
// position and name only, so a renamed or reordered node is left as read, and users want
// to see which.
namespace zerka {

enum class RecordFate {
    Matched,
    Renamed,  // both models have the record, under different names
    OnlyInOld,
    OnlyInNew,
};

// Record Index of both hierarchies, and what matching makes of it.
struct RecordComparison {
    int Index = 0;  // from 1: record i meets node i of every key file
    std::string OldName;  // empty when the old model has no record Index
    std::string NewName;
    RecordFate Fate = RecordFate::Matched;
    bool ByRename = false;  // matched only through one of the tables' Renames
    double DX = 0, DY = 0, DZ = 0;  // the move of a matched record
    std::string Problem;  // a matched record whose position does not parse: the error
    int NewIndexOfOldName = 0;  // unmatched: the new model's record with the old name, or 0
};

struct HierarchyComparison {
    std::string OldModel;  // the models' file names, as messages show them
    std::string NewModel;
    int OldCount = 0;  // records in each
    int NewCount = 0;
    std::vector<RecordComparison> Records;  // 1 to the larger record count, in order
};

// Compares the two loaded hierarchies record by record with the tables' matching rule.
HierarchyComparison CompareHierarchies(const KeyframeTables &tables);

// Why a record is not matched, or "" when it is: "renamed", "missing in new.3do", and
// then, when the new model has the old name elsewhere, "; head is record 7 in new.3do;
// records are matched by position and name".
std::string RecordNote(const HierarchyComparison &comparison, const RecordComparison &record);

// One node of a converted key file.
struct NodeReport {
    int Position = 0;  // from 1, the record it meets
    std::int16_t Num = 0;
    std::string MeshName;
    std::string RecordName;  // the old model's name for its record, else the new model's
    bool Moved = false;
    double DX = 0, DY = 0, DZ = 0;  // when moved
    std::string Why;  // when left as read
};

// The nodes of one file of the batch's result as the comparison explains them; none for a
// file whose conversion did not get that far.
std::vector<NodeReport> ReportNodes(const HierarchyComparison &comparison,
                                    const FileOutcome &outcome);

}  // namespace zerka
