// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "files.h"
#include "keyframe_tables.h"

namespace zerka {

// Reads a keyframe file into the tables: the header lines up to and including the
// "NODES" line, then every node with its mesh name, entry count and entries, each entry
// cut into its fifteen field texts. Returns 1 once the end of the file is reached.
// Throws FileError naming the file (as name, or the path when name is empty) and line;
// the tables then keep what was read so far.
int LoadKeyFile(KeyframeTables &tables, const std::string &path, const std::string &name = {});
int LoadKeyFile(KeyframeTables &tables, const InputFile &file);

// The parsing step of LoadKeyFile on text already in memory; sourceName is used only
// in error messages.
int LoadKeyText(KeyframeTables &tables, std::string_view text, const std::string &sourceName);

}  // namespace zerka
