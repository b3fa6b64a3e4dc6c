// SPDX-License-Identifier: MIT
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files.h"

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

#if !defined(_WIN32)
// Retries a system call that a signal interrupted.
template <typename Call> auto Retry(Call call)
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}
#endif

#if defined(_WIN32)
// Shared by the two halves of the Windows file layer. Handles travel as the int that the
// classes keep; an error code is a DWORD.

// Reads and writes go in pieces a DWORD can count.
inline constexpr std::size_t kMaxPiece = std::size_t{1} << 30;
void *ToHandle(int value);
// Owns a handle a Win32 call returned; empty for the invalid handle values.
FileHandle Own(void *handle);
[[noreturn]] void ThrowWindowsError(unsigned long error, const std::string &file,
                                    std::string_view doing);
// The open folder's path as it is now, links resolved, ending in a backslash.
std::wstring FolderPath(int folder, const std::string &shown, std::string_view doing);
// Marks an open file to be removed when its last handle closes.
bool RemoveOnClose(int file);
#endif

// Whether syncfs reports every file's writeback errors and the file system's own flush
// errors on kernel release (uname's "6.1.0-13-amd64"): Linux does from 5.17 on.
bool SyncfsReportsWritebackErrors(std::string_view release);

}  // namespace zerka::files_detail
