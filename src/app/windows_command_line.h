// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
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

// argument quoted for a command line that CommandLineToArgvW reads back as argument, as
// zerka.exe reads its own: a trailing backslash doubled, so it cannot escape the quote.
std::wstring QuotedArgument(std::wstring_view argument);

// How much of text is whole UTF-8 characters: all of it but a character cut short at its
// end, which the console gets once the rest of it follows. Bytes that are no UTF-8 count as
// whole, so that nothing is held back for ever.
std::size_t CompleteUtf8Length(std::string_view text);

}  // namespace zerka
