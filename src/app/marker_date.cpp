// SPDX-License-Identifier: MIT
#include "marker_date.h"

#include <charconv>
#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "keyframes/keyframe_tables.h"

namespace zerka {
namespace {

// The calendar fields of an instant, in UTC or in local time, by the thread-safe calls that
// each system names its own way; false for an instant the system cannot place.
bool CalendarFields(std::time_t instant, bool utc, std::tm &parts)
{
#if defined(_WIN32)
    return (utc ? gmtime_s(&parts, &instant) : localtime_s(&parts, &instant)) == 0;
#else
    return (utc ? gmtime_r(&instant, &parts) : localtime_r(&instant, &parts)) != nullptr;
#endif
}

std::locale UserLocale()
{
    try {
        return std::locale("");
    } catch (const std::runtime_error &) {
        return std::locale::classic();  // an unknown LANG is no reason to fail a save
    }
}

}  // namespace

std::optional<std::time_t> SourceDateEpoch(const char *value)
{
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    long long seconds = 0;
    const char *end = value + std::char_traits<char>::length(value);
    const auto [stop, ec] = std::from_chars(value, end, seconds);
    // A date that cannot be reproduced must not pass for one that can: the reproducible
    // builds rule is to fail, not to fall back to the clock.
    const auto fail = [value](const char *problem) {
        // Appended piece by piece: "\"" + a temporary string makes GCC 12 warn falsely of
        // an overlapping copy at -O2 (-Wrestrict, GCC bug 105329).
        std::string quoted = "\"";
        quoted += ShownName(value);
        quoted += "\" ";
        return FileError(ErrorCode::InvalidArgument, "SOURCE_DATE_EPOCH", 0, quoted + problem);
    };
    if ((ec != std::errc() && ec != std::errc::result_out_of_range) || stop != end)
        throw fail("is not a whole number of seconds");
    std::tm parts{};
    const auto instant = static_cast<std::time_t>(seconds);
    if (ec != std::errc() || instant != seconds || !CalendarFields(instant, true, parts))
        throw fail("is too far from 1970 to be a date");
    return instant;
}

std::string MarkerDate(const char *sourceDateEpoch, std::time_t now, const std::locale &locale)
{
    std::tm parts{};
    if (const std::optional<std::time_t> fixed = SourceDateEpoch(sourceDateEpoch))
        CalendarFields(*fixed, true, parts);
    else
        CalendarFields(now, false, parts);
    std::ostringstream out;
    out.imbue(locale);
    out << std::put_time(&parts, "%x %X");
    return out.str();
}

std::string MarkerDate()
{
    return MarkerDate(std::getenv("SOURCE_DATE_EPOCH"), std::time(nullptr), UserLocale());
}

}  // namespace zerka
