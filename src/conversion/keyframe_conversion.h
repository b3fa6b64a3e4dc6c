// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "keyframes/keyframe_tables.h"

namespace zerka {

// Converts the key file held in the tables from the old to the new hierarchy, in place:
// every node whose record at the same position has the same name (ignoring case, and
// counting the tables' Renames) in both hierarchies is shifted by the record's move, and
// its position deltas are derived again. Nodes beyond either hierarchy's record count are
// left as read. Then writes BuildKeyText to outputPath, whole or not at all. Callers set
// SourceFileName first.
// Throws FileError; nothing is written when anything fails.
void ConvertKeyFile(KeyframeTables &tables, const std::string &outputPath);

// The in-place part of ConvertKeyFile, without writing; sourceName is for messages.
void ConvertTables(KeyframeTables &tables, const std::string &sourceName);

// Names compare with ASCII letters upper-cased and every other byte as it is.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// The name a new-model record goes by in matching: the old name a rename gives it, else
// its own.
const std::string &MatchingName(const KeyframeTables &tables, const std::string &newName);

// Whether node index of every key file is moved: both hierarchies have a record index and
// their names agree.
bool RecordsMatch(const KeyframeTables &tables, int index);

struct RecordMove {
    double X = 0, Y = 0, Z = 0;
};

// How far record index moves from the old to the new model. Throws FileError code 13 for
// a position that does not parse, naming the model and the line.
RecordMove MoveOfRecord(const KeyframeTables &tables, int index);

}  // namespace zerka
