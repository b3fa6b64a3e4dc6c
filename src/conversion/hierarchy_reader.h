// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "keyframes/files.h"
#include "keyframes/keyframe_tables.h"

namespace zerka {

// Reads the hierarchy section of a model file (everything after its last
// HIERARCHY NODES) into OldHierarchy when isOld, else NewHierarchy, and sets that
// side's record count and file. Only the tail is read; the geometry before it never is.
// Throws FileError naming the file as name (the path when empty): missing, unreadable or
// not a regular file, no section, a section over 64 MiB, no records, a short record, more
// than 1000 records; the table is then left exactly as it was.
void LoadHierarchy(KeyframeTables &tables, const std::string &path, bool isOld,
                   const std::string &name = {});

// The text from the last HIERARCHY NODES to the end of the file, read backwards in
// blocks. Throws FileError when the file cannot be read or has no such title.
std::string ReadHierarchyTail(const InputFile &file);

// The records of a section text that starts with its title; sourceName is for messages.
std::vector<HierarchyNode> ParseHierarchyText(std::string_view text, const std::string &sourceName);

}  // namespace zerka
