// SPDX-License-Identifier: MIT
// zerka-cli's entry on Windows. The arguments arrive as UTF-16; the narrow main of the C
// runtime would get them in the code page, losing every character outside it, so they are
// taken wide and handed on as UTF-8, the names the core works with.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

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

int wmain(int argc, wchar_t **argv)
{
    consoleCodePage = ::GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
        std::atexit(RestoreConsoleCodePage);

    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(zerka::Utf8FromUtf16(argv[i]));
    std::vector<char *> pointers;
    for (std::string &argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return Utf8Main(argc, pointers.data());
}
