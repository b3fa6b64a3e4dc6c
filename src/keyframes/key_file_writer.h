#pragma once

#include <string>

#include "keyframe_tables.h"
#include "zerka_version.h"

namespace zerka {

// The marker line's date: SOURCE_DATE_EPOCH (seconds, UTC) when it is set, so outputs
// can be reproduced byte for byte; otherwise the local date and time in the user's
// locale's numeric form.
std::string MarkerDateText();

// Composes a whole keyframe file from the tables in the tool's fixed column layout,
// every line ending in CR LF, starting with a marker line naming SourceFileName. Fails
// with code 9 when keeping a first line that is data would make a header of 101 lines.
std::string BuildKeyText(const KeyframeTables &tables,
                         const std::string &dateText = MarkerDateText());

}  // namespace zerka
