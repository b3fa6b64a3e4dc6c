// SPDX-License-Identifier: MIT
#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "fast_numbers.h"
#include "keyframe_tables.h"
#include "text_rules.h"

namespace zerka {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A field text as a message shows it: control bytes such as NUL would cut the message
// short or garble the box, and a megabyte-long token would flood it.
std::string Quoted(std::string_view text)
{
    constexpr std::size_t kShown = 40;
    // Appended piece by piece: "'" + a temporary string makes GCC 12 warn falsely of an
    // overlapping copy at -O2 (-Wrestrict, GCC bug 105329).
    std::string quoted = "'";
    quoted += ShownName(text.substr(0, kShown));
    quoted += text.size() > kShown ? "...'" : "'";
    return quoted;
}

const std::string kNoFile;
const TextSource kNowhere{kNoFile};

// The one place a bad number text becomes an error: what it was ("X", "frame") comes
// first, and the error is placed in its file and line at once.
[[noreturn]] void Fail(const TextSource &source, ErrorCode code, const std::string &description)
{
    std::string text(source.What);
    if (!text.empty())
        text += ' ';
    throw FileError(code, source.File, source.Line, text + description,
                    source.LineScope ? source.LineScope : "");
}

// A value the tool computed cannot be written: "the computed DX is out of range".
[[noreturn]] void FailComputed(const TextSource &source, const char *what)
{
    const std::string subject =
        source.What.empty() ? "a computed value" : "the computed " + std::string(source.What);
    throw FileError(ErrorCode::Overflow, source.File, source.Line, subject + " " + what,
                    source.LineScope ? source.LineScope : "");
}

[[noreturn]] void ThrowNotANumber(std::string_view text, const TextSource &source)
{
    Fail(source, ErrorCode::TypeMismatch, Quoted(text) + " is not a number");
}

// For a text from_chars found out of range: whether it overflowed rather than underflowed,
// judged by the decimal exponent of its first significant digit.
bool IsTooLarge(std::string_view body)
{
    long magnitude = 0;
    bool seenSignificant = false;
    bool afterPoint = false;
    std::size_t i = 0;
    for (; i < body.size() && (IsDigit(body[i]) || body[i] == '.'); ++i) {
        if (body[i] == '.') {
            afterPoint = true;
        } else if (!seenSignificant && body[i] != '0') {
            seenSignificant = true;
            if (afterPoint)
                --magnitude;
        } else if (seenSignificant && !afterPoint) {
            ++magnitude;
        } else if (!seenSignificant && afterPoint) {
            --magnitude;
        }
    }
    long exponent = 0;
    if (i < body.size()) {  // from_chars read it whole: 'e', an optional sign, then digits
        std::size_t j = i + 1;
        const bool negativeExponent = body[j] == '-';
        if (body[j] == '+' || body[j] == '-')
            ++j;
        for (; j < body.size(); ++j)
            exponent = std::min(exponent * 10 + (body[j] - '0'), 1000000L);
        if (negativeExponent)
            exponent = -exponent;
    }
    return magnitude + exponent > 0;
}

}  // namespace

double ParseDoubleText(std::string_view text, const TextSource &source)
{
    double value = 0;
    if (TryParsePlainNumber(text, value))
        return value;
    const std::string_view trimmed = TrimBlanks(text);
    std::string_view body = trimmed;
    bool negative = false;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    // from_chars reads the rest of the grammar, but also "inf" and "nan", which start with
    // neither a digit nor a point; a text it does not read to its end is no number either.
    if (body.empty() || !(IsDigit(body.front()) || body.front() == '.'))
        ThrowNotANumber(text, source);
    const char *const end = body.data() + body.size();
    const auto [stop, ec] = std::from_chars(body.data(), end, value, std::chars_format::general);
    if (ec == std::errc::invalid_argument || stop != end)
        ThrowNotANumber(text, source);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; only a value too large to hold is an error.
        if (IsTooLarge(body))
            Fail(source, ErrorCode::Overflow, Quoted(trimmed) + " is out of range");
        value = 0;
    }
    return negative ? -value : value;
}

double ParseDoubleText(std::string_view text) { return ParseDoubleText(text, kNowhere); }

std::int16_t ParseIntegerText(std::string_view text, const TextSource &source)
{
    const double value = RoundHalfToEven(ParseDoubleText(text, source));
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        Fail(source, ErrorCode::Overflow, Quoted(TrimBlanks(text)) + " is outside -32768..32767");
    return static_cast<std::int16_t>(value);
}

std::int16_t ParseIntegerText(std::string_view text) { return ParseIntegerText(text, kNowhere); }

char *FormatDoubleAt(double value, char *out, const TextSource &source)
{
    // An infinite or NaN result would be written as "inf" or "nan", which no reader takes
    // as a number: the file would be ruined silently.
    if (!std::isfinite(value))
        FailComputed(source, "is out of range");
    if (char *end = TryFormatEightDecimals(value, out))
        return end;
    // to_chars with a precision is specified as printf in the C locale, whatever
    // locale the window has set for the process.
    const auto [end, ec] =
        std::to_chars(out, out + kMaxFormattedDouble, value, std::chars_format::fixed, 8);
    if (ec != std::errc())
        FailComputed(source, "is too large to write");
    return end;
}

std::string FormatDouble(double value, const TextSource &source)
{
    char text[kMaxFormattedDouble];
    return std::string(text, FormatDoubleAt(value, text, source));
}

std::string FormatDouble(double value) { return FormatDouble(value, kNowhere); }

std::string SignSpaced(long value)
{
    std::string text = value >= 0 ? " " : "";  // not " " + a temporary: GCC bug 105329
    text += std::to_string(value);
    return text;
}

}  // namespace zerka
