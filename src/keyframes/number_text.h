// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zerka {

// Where a number text stands, for the one error a bad text raises: the file, the line
// (0 = none), what the text is ("X", "frame"), and what the line counts from.
struct TextSource {
    const std::string &File;
    int Line = 0;
    std::string_view What = {};
    const char *LineScope = nullptr;
};

// Number texts of key and model files. Parsing never depends on the locale: optional
// spaces around, an optional sign, digits with an optional '.' fraction and an optional
// exponent. Anything else (empty, hex, inf, nan, ',' decimals, grouping) throws FileError
// code 13; a value out of range throws code 6, placed at source (no file without one).
double ParseDoubleText(std::string_view text, const TextSource &source);
double ParseDoubleText(std::string_view text);

// The same grammar, rounded half to even, within -32768..32767 (else code 6).
std::int16_t ParseIntegerText(std::string_view text, const TextSource &source);
std::int16_t ParseIntegerText(std::string_view text);

// Exactly C's "%.8f" in the C locale: 0.5 -> "0.50000000", -12 -> "-12.00000000". A value
// that is not finite is code 6.
std::string FormatDouble(double value, const TextSource &source);
std::string FormatDouble(double value);

// The same text written at out, which has room for kMaxFormattedDouble bytes; returns its
// end. For callers that store the text themselves.
inline constexpr std::size_t kMaxFormattedDouble = 400;  // 309 integer digits at most
char *FormatDoubleAt(double value, char *out, const TextSource &source);

// A number with a leading space when it is not negative: 3 -> " 3", -1 -> "-1".
std::string SignSpaced(long value);

}  // namespace zerka
