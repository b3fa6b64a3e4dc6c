// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "conversion/batch_conversion.h"
#include "conversion/joint_ties.h"
#include "conversion/keyframe_conversion.h"
#include "keyframes/keyframe_tables.h"

// What a batch did to each joint and each node, and what the user should know of a file:
// a node left as read or dropped is easy to miss, and users want to see which and why.
namespace zerka {

// "moved", "matched" (moved by nothing), "left" or "dropped".
const char *FateName(const JointTie &tie);

// A node's fate in words: "" for a moved one, "matched, no move", "left as read: renamed
// to sensor in new.3do", "dropped: no joint named k_gun in new.3do"; a followed node adds
// "followed from joint 3 to joint 4".
std::string NodeNote(const JointTie &tie, const JointTies &ties);

// Warnings on a key file just read, before it is converted: an output of an earlier run, a
// file made for a model of another joint count, or one whose nodes sit at the new model's
// joints rather than the old one's (converted already, or the models the wrong way round).
std::vector<std::string> SourceWarnings(const KeyframeTables &tables, const JointTies &ties);

// Adds the warnings on how a converted file's nodes fared: joints the new model numbers
// differently or renamed, no node that matches, each dropped node.
void AddNodeWarnings(std::vector<std::string> &warnings, const std::vector<NodeOutcome> &nodes,
                     const JointTies &ties, bool dryRun);

// Warnings on the whole batch, before any file: models under which nothing can move, a
// folder without key files (directory as given).
std::vector<std::string> BatchWarnings(const JointTies &ties, const std::string &directory,
                                       const std::vector<std::string> &names);

// The joints of both models, then each file's nodes; LF line breaks, ending in one. Empty
// for a batch that did not run.
std::string ReportText(const BatchResult &result);

}  // namespace zerka
