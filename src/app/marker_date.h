// SPDX-License-Identifier: MIT
#pragma once

#include <ctime>
#include <locale>
#include <optional>
#include <string>

// The date the marker line of every output gives: what the clock, the user's locale and
// SOURCE_DATE_EPOCH say, read by the programs, never by the core they pass it to.
namespace zerka {

// The instant SOURCE_DATE_EPOCH's value gives; none when value is null or empty. Throws
// FileError code 5 when it is not a whole number of seconds (or no date the clock
// functions can show): a date that cannot be reproduced must not pass for one that can.
std::optional<std::time_t> SourceDateEpoch(const char *value);

// sourceDateEpoch's instant in UTC when it gives one, so outputs can be reproduced byte for
// byte, else now in local time, in locale's numeric form ("11/14/23 22:13:20"). Throws
// what SourceDateEpoch throws.
std::string MarkerDate(const char *sourceDateEpoch, std::time_t now, const std::locale &locale);

// The same for this process: its SOURCE_DATE_EPOCH, the clock and the user's locale.
std::string MarkerDate();

}  // namespace zerka
