// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "keyframe_tables.h"

// What a key file's header lines say, and how the header is rewritten: the marker line an
// output starts with, the NODES line that ends the header, the JOINTS line that gives the
// joint count of the model a file was made for.
namespace zerka {

// The marker line BuildKeyText puts first, up to the source's name and from there to the
// version.
inline constexpr std::string_view kMarkerStart = "# KEYFRAME ";
inline constexpr std::string_view kMarkerMiddle = " has been zerka by ZerKA ";

// Whether a line is a marker line: the file is an output of an earlier run.
bool IsMarkerLine(std::string_view line);

// Whether a line is the NODES line: "NODES" at its start, as the reader has always taken it.
bool IsNodesLine(std::string_view line);

// Whether a header line gives the joint count of the model the file was made for:
// "JOINTS" in any case, then a space or a tab.
bool IsJointsLine(std::string_view line);

// A whole number of 16 bits as a joint number or count is written: an optional sign, then
// digits ("04" is 4); anything else, or a number outside 16 bits, is none.
std::optional<std::int16_t> SixteenBitNumber(std::string_view text);

// The count a JOINTS line gives ("JOINTS 31", blanks around it allowed); -1 where the line
// gives none, or a negative one.
int JointsLineCount(std::string_view line);

// With nodes dropped and renumbered: the NODES line that ends the header says how many are
// left, and any JOINTS line the new model's joint count.
void RewriteCounts(KeyframeTables &tables, int nodes, int joints);

// Whether two key texts are the same output: equal bytes, or equal apart from their first
// lines when both are marker lines (which differ in the date of the run).
bool SameOutput(std::string_view a, std::string_view b);

}  // namespace zerka
