// SPDX-License-Identifier: MIT
#include "key_header.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "text_rules.h"

namespace zerka {
namespace {

// The first line without its break, and what follows the break.
std::pair<std::string_view, std::string_view> SplitFirstLine(std::string_view text)
{
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos)
        return {text, {}};
    std::string_view first = text.substr(0, end);
    if (!first.empty() && first.back() == '\r')
        first.remove_suffix(1);
    return {first, text.substr(end + 1)};
}

}  // namespace

bool IsMarkerLine(std::string_view line)
{
    return line.substr(0, kMarkerStart.size()) == kMarkerStart &&
           line.find(kMarkerMiddle, kMarkerStart.size()) != std::string_view::npos;
}

bool IsNodesLine(std::string_view line) { return line.substr(0, 5) == "NODES"; }

bool IsJointsLine(std::string_view line)
{
    constexpr std::string_view kJoints = "JOINTS";
    return line.size() > kJoints.size() &&
           SameIgnoringCase(line.substr(0, kJoints.size()), kJoints) &&
           (line[kJoints.size()] == ' ' || line[kJoints.size()] == '\t');
}

std::optional<std::int16_t> SixteenBitNumber(std::string_view text)
{
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(),
                                       [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    // from_chars takes no '+'; the digits are checked, so only the range can fail.
    long long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    value = text.front() == '-' ? -value : value;
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

int JointsLineCount(std::string_view line)
{
    if (!IsJointsLine(line))
        return -1;
    line.remove_prefix(std::string_view("JOINTS").size());
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return -1;
    line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
    const std::optional<std::int16_t> count = SixteenBitNumber(line);
    return count && *count >= 0 ? *count : -1;
}

void RewriteCounts(KeyframeTables &tables, int nodes, int joints)
{
    for (int h = 1; h <= tables.HeaderLineCount; ++h) {
        std::string &line = tables.HeaderLines(h);
        if (IsJointsLine(line))
            line = "JOINTS " + std::to_string(joints);
    }
    // The reader ends the header with its NODES line.
    if (tables.HeaderLineCount > 0 && IsNodesLine(tables.HeaderLines(tables.HeaderLineCount)))
        tables.HeaderLines(tables.HeaderLineCount) = "NODES " + std::to_string(nodes);
}

bool SameOutput(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    const auto [firstA, restA] = SplitFirstLine(a);
    const auto [firstB, restB] = SplitFirstLine(b);
    return restA == restB && IsMarkerLine(firstA) && IsMarkerLine(firstB);
}

}  // namespace zerka
