// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "conversion/joint_ties.h"
#include "keyframes/files.h"
#include "keyframes/keyframe_tables.h"

namespace zerka {

// One node of a converted file, in the file's order, dropped ones included.
struct NodeOutcome {
    std::int16_t Num = 0;  // as its NODE line gives it
    std::string MeshName;
    JointTie Tie;  // what that number ties it to
};

// Converts the key file held in the tables from the old to the new hierarchy, in place:
// every node tied to a joint (see JointTies) is shifted by the joint's move, and its
// position deltas are derived again; every other node is left as read, or, with
// --renumber, dropped, and the nodes left take their joints' new numbers. sourceName is
// for messages. Returns how each node fared. Throws FileError.
std::vector<NodeOutcome> ConvertTables(KeyframeTables &tables, const JointTies &ties,
                                       const std::string &sourceName);

// The same, tying nodes by number without renames.
std::vector<NodeOutcome> ConvertTables(KeyframeTables &tables, const std::string &sourceName);

// ConvertTables, then BuildKeyText with markerDate written durably as name in output,
// whole or not at all, never over a file keep names (a source a link leads to). Callers
// set SourceFileName first. Throws FileError; nothing is written when anything fails.
void ConvertKeyFile(KeyframeTables &tables, OutputFolder &output, const std::string &name,
                    const std::string &markerDate, const std::set<FileIdentity> &keep = {});

}  // namespace zerka
