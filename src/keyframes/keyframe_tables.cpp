// SPDX-License-Identifier: MIT
#include "keyframe_tables.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <limits>

namespace zerka {
namespace {

std::string ComposeMessage(const std::string &file, int line, const std::string &description,
                           const std::string &lineScope)
{
    std::string message = ShownName(file);
    if (line > 0) {
        message += message.empty() ? "line " : ", line ";
        message += std::to_string(line);
        if (!lineScope.empty())
            message += " of the " + lineScope;
    }
    if (!message.empty())
        message += ": ";
    return message + description;
}

}  // namespace

FileError::FileError(ErrorCode code, std::string file, int line, std::string description,
                     std::string lineScope)
    : std::runtime_error(ComposeMessage(file, line, description, lineScope)), Code(code),
      File(std::move(file)), Line(line), Description(std::move(description)),
      LineScope(std::move(lineScope))
{
}

void RaiseCounter(std::int16_t &counter)
{
    if (counter == std::numeric_limits<std::int16_t>::max())
        throw FileError(ErrorCode::Overflow, {}, 0, "a counter passed 32767");
    ++counter;
}

std::string ShownName(std::string_view name)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xf];
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string FileNameOf(std::string_view path)
{
    const auto cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

namespace {

// The last count components of path, as written there; the whole path when it has fewer.
std::string_view LastComponents(std::string_view path, int count)
{
    const auto separator = [](char c) { return c == '/' || c == '\\'; };
    std::size_t begin = path.size();
    for (int c = 0; c < count; ++c) {
        while (begin > 0 && separator(path[begin - 1]))
            --begin;
        while (begin > 0 && !separator(path[begin - 1]))
            --begin;
        if (begin == 0)
            return path;
    }
    return path.substr(begin);
}

}  // namespace

std::pair<std::string, std::string> NamesApart(std::string_view a, std::string_view b)
{
    const std::string nameA = FileNameOf(a), nameB = FileNameOf(b);
    if (nameA != nameB || a == b)
        return {nameA, nameB};
    for (int count = 2;; ++count) {
        const std::string_view shownA = LastComponents(a, count);
        const std::string_view shownB = LastComponents(b, count);
        if (shownA != shownB || (shownA == a && shownB == b))
            return {std::string(shownA), std::string(shownB)};
    }
}

}  // namespace zerka
