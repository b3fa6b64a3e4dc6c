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

}  // namespace zerka
