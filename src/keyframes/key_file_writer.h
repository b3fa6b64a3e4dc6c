// SPDX-License-Identifier: MIT
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "keyframe_tables.h"
#include "zerka_version.h"

namespace zerka {

// SOURCE_DATE_EPOCH when it is set and not empty. Throws FileError code 5 when it is not
// a whole number of seconds (or no date the clock functions can show).
std::optional<std::time_t> SourceDateEpoch();

// The marker line's date: SOURCE_DATE_EPOCH (UTC) when it is set, so outputs can be
// reproduced byte for byte; otherwise the local date and time in the user's locale's
// numeric form. Throws what SourceDateEpoch throws.
std::string MarkerDateText();

// Whether a line is the marker line BuildKeyText puts first: the file is an output of an
// earlier run.
bool IsMarkerLine(std::string_view line);

// Composes a whole keyframe file from the tables in the tool's fixed column layout,
// every line ending in CR LF, starting with a marker line naming SourceFileName. Fails
// with code 9 when keeping a first line that is data would make a header of 101 lines.
std::string BuildKeyText(const KeyframeTables &tables,
                         const std::string &dateText = MarkerDateText());

}  // namespace zerka
