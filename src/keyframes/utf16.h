// SPDX-License-Identifier: MIT
#pragma once

#if defined(_WIN32)
#include <string>
#include <string_view>

// Windows names files and arguments in UTF-16; the tool's names are UTF-8 everywhere else.
// The file layer converts at the system's edge, and zerka-cli's entry does so for its
// arguments, both with these.
namespace zerka {

std::wstring Utf16FromUtf8(std::string_view text);
std::string Utf8FromUtf16(std::wstring_view text);

}  // namespace zerka
#endif
