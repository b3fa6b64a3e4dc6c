#pragma once

#include <string>

#include "keyframes/keyframe_tables.h"

namespace zerka {

// Converts the key file held in the tables from the old to the new hierarchy, in place:
// every node whose record at the same position has the same name (ignoring case) in both
// hierarchies is shifted by the record's move, and its position deltas are derived again.
// Nodes beyond either hierarchy's record count are left as read. Then writes
// BuildKeyText to outputPath, whole or not at all. Callers set SourceFileName first.
// Throws FileError; nothing is written when anything fails.
void ConvertKeyFile(KeyframeTables &tables, const std::string &outputPath);

// The in-place part of ConvertKeyFile, without writing; sourceName is for messages.
void ConvertTables(KeyframeTables &tables, const std::string &sourceName);

}  // namespace zerka
