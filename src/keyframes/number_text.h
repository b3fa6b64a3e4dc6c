#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zerka {

// Number texts of key and model files. Parsing never depends on the locale: optional
// spaces around, an optional sign, digits with an optional '.' fraction and an optional
// exponent. Anything else (empty, hex, inf, nan, ',' decimals, grouping) throws FileError
// code 13; a value out of range throws code 6. The errors carry no file: callers add it.
double ParseDoubleText(std::string_view text);

// The same grammar, rounded half to even, within -32768..32767 (else code 6).
std::int16_t ParseIntegerText(std::string_view text);

// Exactly C's "%.8f" in the C locale: 0.5 -> "0.50000000", -12 -> "-12.00000000".
std::string FormatDouble(double value);

// A number with a leading space when it is not negative: 3 -> " 3", -1 -> "-1".
std::string SignSpaced(long value);

}  // namespace zerka
