// SPDX-License-Identifier: MIT
// zerka-cli's entry on Windows. The arguments arrive as UTF-16; the narrow main of the C
// runtime would get them in the code page, losing every character outside it, so they are
// taken wide and handed on as UTF-8, the names the core works with.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/windows_command_line.h"
#include "keyframes/utf16.h"

int Utf8Main(int argc, char **argv);

namespace {

// The console shows UTF-8 only in its UTF-8 code page; the one it had is given back at
// exit, since the console outlives the program. Pipes and files get the bytes unchanged.
UINT consoleCodePage = 0;

void RestoreConsoleCodePage()
{
    ::SetConsoleOutputCP(consoleCodePage);
}

}  // namespace

int wmain(int, wchar_t **)
{
    consoleCodePage = ::GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
        std::atexit(RestoreConsoleCodePage);

    // Split again from the line itself: the runtime's split cannot be mended afterwards.
    std::vector<std::string> arguments;
    for (const std::wstring &argument : zerka::SplitCommandLine(::GetCommandLineW()))
        arguments.push_back(zerka::Utf8FromUtf16(argument));
    std::vector<char *> pointers;
    for (std::string &argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return Utf8Main(static_cast<int>(arguments.size()), pointers.data());
}
