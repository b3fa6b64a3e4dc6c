// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

// Short paths for the numbers of key files, used by number_text.cpp. The parse and the
// format were each measured side by side against the standard library's from_chars and
// to_chars in a whole batch (docs/performance.md); their parts were not measured alone.
namespace zerka {

// The plain decimals most texts are (-0.25, 12.50000000), exactly as from_chars reads
// them; false for every other text, which the general path then reads or rejects.
bool TryParsePlainNumber(std::string_view text, double &value);

// C's "%.8f" of value written at out, for the values below 9e7 whose rounding it can tell
// for sure, nearly all of a key file's. Returns the end of the text, or nullptr for a
// value it leaves to to_chars, having written nothing that counts.
char *TryFormatEightDecimals(double value, char *out);

// What nearbyint gives in the default rounding mode (half to even), without a library
// call.
double RoundHalfToEven(double value);

}  // namespace zerka
