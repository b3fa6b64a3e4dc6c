// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "keyframe_tables.h"
#include "zerka_version.h"

namespace zerka {

// Composes a whole keyframe file from the tables in the tool's fixed column layout,
// every line ending in CR LF, starting with a marker line naming SourceFileName. Fails
// with code 9 when keeping a first line that is data would make a header of 101 lines.
std::string BuildKeyText(const KeyframeTables &tables, const std::string &dateText);

}  // namespace zerka
