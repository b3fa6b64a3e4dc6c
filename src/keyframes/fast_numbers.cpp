// SPDX-License-Identifier: MIT
// The short paths for the numbers of key files: plain decimals read, and values written
// with eight decimals, each measured against the standard library's from_chars and
// to_chars on a whole batch (docs/performance.md).
//
// This file must be built with -ffp-contract=off (set for it alone in src/CMakeLists.txt):
// the eight-decimal format's exact product counts on every multiplication and addition
// being rounded to a double by itself, and a compiler that fuses them into multiply-adds,
// as GCC does wherever the processor has them, would make it round wrongly, silently and
// only for some values.
#include "fast_numbers.h"

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zerka {
namespace {

// The value of eight ASCII digits loaded with the first in the lowest byte, or -1 when one
// of them is not a digit. Two steps: neighbouring digits into four two-digit lanes, then
// those four into one value with two multiplications.
std::int64_t EightDigitsValue(std::uint64_t bytes)
{
    constexpr std::uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0ULL;
    // A byte is a digit when it and the byte plus 6 both have the high nibble 3; a byte
    // whose addition carries into the next one fails the test itself.
    if (((bytes & kHighNibbles) | (((bytes + 0x0606060606060606ULL) & kHighNibbles) >> 4)) !=
        0x3333333333333333ULL)
        return -1;
    bytes -= 0x3030303030303030ULL;
    bytes = bytes * 10 + (bytes >> 8);
    bytes = (((bytes & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
             (((bytes >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
            32;
    return static_cast<std::int64_t>(bytes & 0xFFFFFFFFULL);
}

// The common case of a key file, a plain decimal such as -0.123456, without the general
// path's grammar pass. With at most 2^53 as the digits' integer (a fraction of up to eight
// decimals counts as eight) and at most 22 decimals, both it and the power of ten are
// exact doubles, so one division rounds exactly as from_chars does (Clinger's fast path).
// Returns false for anything else, longer digit runs too, which the general path then
// reads or rejects.
bool TryParsePlainDecimal(std::string_view body, double &value)
{
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr std::uint64_t kExactLimit = std::uint64_t{1} << 53;
    const char *at = body.data();
    const char *const end = at + body.size();
    // Digits that wrap past 19 are caught by the count below, before the value is used.
    std::uint64_t digits = 0;
    const auto takeDigits = [&] {
        const char *from = at;
        for (; at < end && static_cast<unsigned>(*at - '0') < 10; ++at)
            digits = digits * 10 + static_cast<std::uint64_t>(*at - '0');
        return static_cast<int>(at - from);
    };
    int count = takeDigits();
    int decimals = 0;
    if (at < end && *at == '.') {
        ++at;
        const auto fraction = static_cast<std::size_t>(end - at);
        if (std::endian::native == std::endian::little && fraction >= 1 && fraction <= 8 &&
            body.size() >= 8) {
            // The last eight bytes of the text hold the whole fraction; the bytes before it
            // are shifted out and zeros appended, which leaves the value as it is.
            std::uint64_t bytes;
            std::memcpy(&bytes, end - 8, 8);
            const auto shift = static_cast<int>(8 * (8 - fraction));
            if (shift != 0)
                bytes = (bytes >> shift) | (0x3030303030303030ULL << (64 - shift));
            const std::int64_t eight = EightDigitsValue(bytes);
            if (eight < 0)
                return false;
            digits = digits * 100000000 + static_cast<std::uint64_t>(eight);
            decimals = 8;
            at = end;
        } else {
            decimals = takeDigits();
        }
        count += decimals;
    }
    if (at != end || count == 0 || count > 19 || digits > kExactLimit || decimals > 22)
        return false;
    value = static_cast<double>(digits) / kPowersOfTen[decimals];
    return true;
}

// The exact arithmetic below counts on each operation being rounded to a double, which
// processors computing in wider registers (the x87) do not do.
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
constexpr bool kDoublesRoundEachStep = true;
#else
constexpr bool kDoublesRoundEachStep = false;
#endif

}  // namespace

// Below 2^52, adding and taking away 2^52 rounds to an integer, half to even; from 2^52 on
// every double is an integer already.
double RoundHalfToEven(double value)
{
    if constexpr (!kDoublesRoundEachStep)
        return std::nearbyint(value);
    constexpr double kTwo52 = 4503599627370496.0;
    const double magnitude = std::fabs(value);
    if (!(magnitude < kTwo52))
        return value;
    return std::copysign((magnitude + kTwo52) - kTwo52, value);
}

// "%.8f" is the exact binary value rounded half to even at eight decimals. Below 2^53
// hundred-millionths, value * 10^8 is held exactly as a product plus its rounding error, which
// decides the rounding; a result near a halfway point goes to to_chars instead. Returns
// the end of the text written at out, or nullptr for the cases it leaves to to_chars.
char *TryFormatEightDecimals(double value, char *out)
{
    constexpr double kScale = 1e8;
    constexpr double kLimit = 9.0e7;  // 9e15 hundred-millionths < 2^53
    const double magnitude = std::fabs(value);
    if (!(magnitude < kLimit) || !kDoublesRoundEachStep)
        return nullptr;
    // The exact product is hi * 10^8 + lo * 10^8 with magnitude split into 26 and 27
    // bits: 10^8 has 19 significant bits, so both parts are exact doubles, and so is
    // what their sum leaves over (the larger comes first). This needs every step rounded
    // to a double on its own, so the file is built without contracted multiply-adds.
    const double split = magnitude * 134217729.0;  // 2^27 + 1
    const double hi = split - (split - magnitude);
    const double lo = magnitude - hi;
    const double big = hi * kScale;
    const double small = lo * kScale;
    const double product = big + small;
    const double error = (big - product) + small;
    const double rounded = RoundHalfToEven(product);
    const double rest = (product - rounded) + error;  // product - rounded is exact
    if (std::fabs(rest) > 0.5 - 1e-9)
        return nullptr;

    // Two digits a step: the decimals are most of the text, and each is otherwise a
    // division of its own.
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    const auto units = static_cast<std::uint64_t>(rounded);
    char *end = out;
    if (std::signbit(value))
        *end++ = '-';
    end = std::to_chars(end, end + 20, units / 100000000).ptr;
    *end++ = '.';
    const auto fraction = static_cast<std::uint32_t>(units % 100000000);
    const std::uint32_t high = fraction / 10000;
    const std::uint32_t low = fraction % 10000;
    std::memcpy(end, kPairs + 2 * (high / 100), 2);
    std::memcpy(end + 2, kPairs + 2 * (high % 100), 2);
    std::memcpy(end + 4, kPairs + 2 * (low / 100), 2);
    std::memcpy(end + 6, kPairs + 2 * (low % 100), 2);
    return end + 8;
}


bool TryParsePlainNumber(std::string_view text, double &value)
{
    if (text.empty())
        return false;
    const bool negative = text.front() == '-';
    if (negative || text.front() == '+')
        text.remove_prefix(1);
    if (!TryParsePlainDecimal(text, value))
        return false;
    if (negative)
        value = -value;
    return true;
}

}  // namespace zerka
