// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

// The core's names are UTF-8 bytes. std::filesystem takes a narrow string in the system's
// code page on Windows, which would garble any name outside ASCII, so names go into and
// out of it as char8_t; on POSIX systems both are the same bytes, unchecked.
namespace zerka {

inline std::filesystem::path PathFromUtf8(const std::string &name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace zerka
