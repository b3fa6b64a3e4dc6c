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

// A name the file layer stages outputs under, or one that earlier versions used.
bool IsTemporaryName(std::string_view name);

// N when entry is "name.~N~", a backup of name; 0 for any other entry. N past what an int
// holds counts as no backup: a run cannot number the next one.
int BackupNumber(std::string_view entry, std::string_view name);
// "name.~N~".
std::string BackupName(const std::string &name, int number);
// The backup name to try next: the folder's next free one, or one past the number tried
// last (tried, 0 at first) where that was taken all the same: another run took it in
// between, or a backup of the name in other case holds it where case is not told apart.
std::string NextBackupToTry(const Folder &folder, const std::string &name, int &tried);

// A full, normalised Windows path (C:\a\b, \\server\share\b) in the form that passes
// MAX_PATH (\\?\C:\a\b, \\?\UNC\server\share\b). Device and extended paths stay as they
// are, as does anything not full, which the system then reads as it is.
std::wstring ExtendedPath(std::wstring_view full);

// The start of a folder's temporary names: random, and apart for every process and run.
std::uint64_t NewSeed(std::uint64_t processId);

#if !defined(_WIN32)
// What a file's status says of it, to tell later whether it is still the same file.
template <typename Status> FileStamp StampOf(const Status &info)
{
    return {{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)},
            static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

// The name an open file without a name of its own is linked under from (Linux's /proc).
inline std::string DescriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

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
// path made full against the working folder and normalised as Windows does (slashes
// turned, "." and ".." resolved), in the form ExtendedPath makes.
std::wstring LongPath(const std::string &path, const std::string &shown, std::string_view doing);
// The open folder's path as it is now, links resolved, ending in a backslash.
std::wstring FolderPath(const Folder &folder, const std::string &shown, std::string_view doing);
// Marks an open file to be removed when its last handle closes.
bool RemoveOnClose(int file);
// What a file's information (BY_HANDLE_FILE_INFORMATION) says of it, to tell later
// whether it is still the same file.
template <typename Information> FileStamp StampOf(const Information &info)
{
    return {{info.dwVolumeSerialNumber,
             (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow},
            (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow,
            static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                      info.ftLastWriteTime.dwLowDateTime)};
}
#endif

// Whether syncfs reports every file's writeback errors and the file system's own flush
// errors on kernel release (uname's "6.1.0-13-amd64"): Linux does from 5.17 on.
bool SyncfsReportsWritebackErrors(std::string_view release);

}  // namespace zerka::files_detail
