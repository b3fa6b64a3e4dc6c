// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

// How zerka-cli.exe reads its command line: as the C runtime splits it, with the mending
// that Windows users expect. A quoted folder typed with its trailing backslash,
// "Z:\anims\my folder\", would end in a quote by the runtime's rule, the backslash taken for
// an escape, and swallow every argument after it.
namespace zerka {

// The arguments of a Windows command line, program name first: blanks part them, quotes
// group, backslashes escape a quote as the C runtime has it; but inside quotes, a quote
// after backslashes that ends the argument (a blank or the line's end follows) closes the
// quotes and keeps the backslashes. "/?" is "--help".
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

}  // namespace zerka
