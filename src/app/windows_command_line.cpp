// SPDX-License-Identifier: MIT
#include "windows_command_line.h"

namespace zerka {
namespace {

bool Blank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view line)
{
    std::vector<std::wstring> arguments;
    std::size_t at = 0;
    // The program's name takes no escapes: up to the closing quote, or the first blank.
    std::wstring program;
    if (at < line.size() && line[at] == L'"') {
        const std::size_t end = line.find(L'"', at + 1);
        program = line.substr(at + 1, end == std::wstring_view::npos ? end : end - at - 1);
        at = end == std::wstring_view::npos ? line.size() : end + 1;
    } else {
        while (at < line.size() && !Blank(line[at]))
            program += line[at++];
    }
    arguments.push_back(program);
    for (;;) {
        while (at < line.size() && Blank(line[at]))
            ++at;
        if (at >= line.size())
            break;
        std::wstring argument;
        bool quoted = false;
        while (at < line.size() && (quoted || !Blank(line[at]))) {
            std::size_t slashes = 0;
            while (at < line.size() && line[at] == L'\\') {
                ++slashes;
                ++at;
            }
            if (at < line.size() && line[at] == L'"') {
                const bool ends = at + 1 >= line.size() || Blank(line[at + 1]);
                if (quoted && slashes % 2 == 1 && ends) {
                    // "…folder\": the backslash belongs to the path, the quote closes.
                    argument.append(slashes, L'\\');
                    quoted = false;
                    ++at;
                    continue;
                }
                argument.append(slashes / 2, L'\\');
                if (slashes % 2 == 1) {
                    argument += L'"';
                } else if (quoted && at + 1 < line.size() && line[at + 1] == L'"') {
                    argument += L'"';  // "" inside quotes is one quote
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
                continue;
            }
            argument.append(slashes, L'\\');
            if (at < line.size() && (quoted || !Blank(line[at])))
                argument += line[at++];
        }
        arguments.push_back(argument == L"/?" ? L"--help" : argument);
    }
    return arguments;
}

std::wstring QuotedArgument(std::wstring_view argument)
{
    std::wstring quoted = L"\"";
    std::size_t slashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++slashes;
        } else {
            // Backslashes before a quote are escapes: each is doubled, and the quote escaped.
            if (c == L'"')
                quoted.append(slashes + 1, L'\\');
            slashes = 0;
        }
        quoted += c;
    }
    quoted.append(slashes, L'\\');
    return quoted + L'"';
}

std::size_t CompleteUtf8Length(std::string_view text)
{
    // A character is cut short when its lead byte, among the last three, promises more
    // bytes than follow it.
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;  // a continuation byte: look further back for the lead
        const std::size_t length = (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3
                                 : (byte & 0xF8) == 0xF0 ? 4 : 1;
        return length > back ? text.size() - back : text.size();
    }
    return text.size();
}

}  // namespace zerka
