// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Shared by the system parts of the file layer and its tests; nothing else includes it.
namespace zerka::files_detail {

#if defined(_WIN32)
inline constexpr const char *kPathSeparators = "/\\";
#else
inline constexpr const char *kPathSeparators = "/";
#endif

// What messages call name in folder: "New/walk.key".
std::string Joined(const std::string &folder, const std::string &name);

// A name the file layer stages outputs under, or one that earlier versions used.
bool IsTemporaryName(std::string_view name);

// The start of a folder's temporary names: random, and apart for every process and run.
std::uint64_t NewSeed(std::uint64_t processId);

// Whether syncfs reports every file's writeback errors and the file system's own flush
// errors on kernel release (uname's "6.1.0-13-amd64"): Linux does from 5.17 on.
bool SyncfsReportsWritebackErrors(std::string_view release);

}  // namespace zerka::files_detail
