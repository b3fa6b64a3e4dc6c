// SPDX-License-Identifier: MIT
// The file layer on Windows, its reading half, keeping the promises of files_posix.cpp with
// Win32 calls; files_windows_output.cpp writes. Names
// arrive as UTF-8 and reach the system as UTF-16, so no name depends on the code page.
//
// The classes keep a HANDLE in their int: kernel handles have 32 significant bits (Windows
// keeps them so for 32-bit programs), so the header stays the same on every system, and
// no handle is ever a C runtime descriptor that standard output could be confused with.

#include "files.h"
#include "files_internal.h"
#include "utf16.h"

#define WIN32_LEAN_AND_MEAN
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <optional>
#include <system_error>

namespace zerka {

void *files_detail::ToHandle(int value)
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(value));
}

FileHandle files_detail::Own(void *handle)
{
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        return FileHandle();
    return FileHandle(static_cast<int>(reinterpret_cast<std::intptr_t>(handle)));
}

namespace {

using files_detail::FolderPath;
using files_detail::kMaxPiece;
using files_detail::LongPath;
using files_detail::Own;
using files_detail::ThrowWindowsError;
using files_detail::ToHandle;

// The errno value of a Win32 error that has one, so that codes and reasons read as they do
// on POSIX systems; 0 for the others.
int ErrnoFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_NOT_READY: return EIO;
    default: return 0;
    }
}

// The system's own sentence, without its full stop and line break.
std::string SystemText(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string out = length > 0 ? Utf8FromUtf16(std::wstring_view(text, length)) : std::string();
    ::LocalFree(text);
    while (!out.empty() &&
           (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    return out.empty() ? "Windows error " + std::to_string(error) : out;
}

// The common errors in plain words, the rest in the system's own, worded from the error's
// own code: an errno's words would say "Permission denied" for a file another program
// holds open.
std::string Reason(DWORD error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return "in use by another program";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "no such file or folder";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "the disk is full";
    case ERROR_WRITE_PROTECT: return "the disk is write-protected";
    case ERROR_NOT_READY: return "the drive is not ready";
    case ERROR_FILENAME_EXCED_RANGE: return "the path is too long for Windows";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return "not a name Windows allows";
    case ERROR_DIRECTORY: return "not a folder";
    default: return SystemText(error);
    }
}

// What a Win32 call that fills a path gives (call(into, size): the length written, the
// size needed when the buffer is too small, 0 on failure), however long the path is;
// nothing on failure, with the error left for GetLastError.
template <typename Call> std::optional<std::wstring> PathFrom(Call call)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = call(path.data(), static_cast<DWORD>(path.size()));
        if (size == 0)
            return std::nullopt;
        const bool fits = size < path.size();
        path.resize(size);
        if (fits)
            return path;
    }
}

}  // namespace

void files_detail::ThrowWindowsError(unsigned long error, const std::string &file,
                                     std::string_view doing)
{
    const int known = ErrnoFor(error);
    ErrorCode code = known != 0 ? CodeForSystemError(known) : ErrorCode::PathAccess;
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
        error == ERROR_USER_MAPPED_FILE)
        code = ErrorCode::PermissionDenied;  // in use by another program, which says so
    throw FileError(code, file, 0, std::string(doing) + ": " + Reason(error));
}

// The open folder's path as it is now, links resolved, ending in a backslash. Windows has
// no call that opens a name relative to a folder handle, so names are joined to this: a
// folder is held open without FILE_SHARE_DELETE, and Windows refuses to rename or remove a
// folder that is open or has open files below it, so the path leads to that very folder
// for as long as it is held. The "\\?\" form takes every name literally, trailing dots and
// device names such as "nul.key" included.
std::wstring files_detail::FolderPath(const Folder &folder, const std::string &shown,
                                      std::string_view doing)
{
    std::optional<std::wstring> path = PathFrom([&](wchar_t *into, DWORD size) {
        return ::GetFinalPathNameByHandleW(ToHandle(folder.Fd()), into, size,
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    // Where Windows cannot name the folder from its handle (wine past MAX_PATH says
    // ERROR_MORE_DATA whatever the size; some network redirectors have no DOS name), the
    // path it was opened by stands in, which leads to it for as long as it is held.
    if (!path && !folder.OpenedAs().empty())
        return Utf16FromUtf8(folder.OpenedAs());
    if (!path)
        ThrowWindowsError(::GetLastError(), shown, doing);
    if (path->back() != L'\\')
        *path += L'\\';
    return *path;
}

std::wstring files_detail::LongPath(const std::string &path, const std::string &shown,
                                    std::string_view doing)
{
    const std::wstring wide = Utf16FromUtf8(path.empty() ? "." : path);
    const std::optional<std::wstring> full = PathFrom([&](wchar_t *into, DWORD size) {
        return ::GetFullPathNameW(wide.c_str(), size, into, nullptr);
    });
    if (!full)
        ThrowWindowsError(::GetLastError(), shown, doing);
    return files_detail::ExtendedPath(*full);
}

bool files_detail::RemoveOnClose(int file)
{
    FILE_DISPOSITION_INFO remove{TRUE};
    return ::SetFileInformationByHandle(ToHandle(file), FileDispositionInfo, &remove,
                                        sizeof remove) != 0;
}

namespace {

// Reads up to count bytes from offset; 0 at the end of the file.
std::size_t ReadSomeOf(int file, std::uint64_t offset, char *into, std::size_t count,
                       const std::string &name)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (::ReadFile(ToHandle(file), into, static_cast<DWORD>(std::min(count, kMaxPiece)), &got, &at))
        return got;
    const DWORD error = ::GetLastError();
    if (error == ERROR_HANDLE_EOF)
        return 0;
    throw FileError(ErrorCode::DeviceIo, name, 0, "cannot read: " + Reason(error));
}

FileHandle OpenForReading(const std::wstring &path)
{
    // Backup semantics open a folder too, so that it is refused as one, not as a denial.
    return Own(::CreateFileW(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace

std::wstring Utf16FromUtf8(std::string_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), size);
    return out;
}

std::string Utf8FromUtf16(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
    return out;
}

FileHandle::~FileHandle()
{
    if (fd_ >= 0)
        ::CloseHandle(ToHandle(fd_));
}

Folder Folder::OpenWhole(const std::wstring &path, const std::string &name)
{
    Folder folder;
    folder.name_ = name;
    folder.handle_ = Own(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.handle_)
        ThrowWindowsError(::GetLastError(), name, "cannot open");
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(ToHandle(folder.Fd()), &info))
        ThrowWindowsError(::GetLastError(), name, "cannot open");
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        throw FileError(ErrorCode::PathAccess, name, 0, "is not a folder");
    // The volume's serial and the file index name a folder whatever path led to it.
    folder.device_ = info.dwVolumeSerialNumber;
    folder.inode_ = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    folder.openedAs_ = Utf8FromUtf16(path.back() == L'\\' ? path : path + L'\\');
    return folder;
}

Folder Folder::Open(const std::string &path, const std::string &name)
{
    return OpenWhole(LongPath(path, name, "cannot open"), name);
}

Folder Folder::OpenFolder(const std::string &child, const std::string &name) const
{
    return OpenWhole(FolderPath(*this, name, "cannot open") + Utf16FromUtf8(child), name);
}

std::string NextBackupName(const Folder &folder, const std::string &name)
{
    int highest = 0;
    try {
        const std::wstring pattern =
            FolderPath(folder, name, "cannot list") + Utf16FromUtf8(name) + L".~*~";
        WIN32_FIND_DATAW found{};
        const HANDLE listing = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                                  FindExSearchNameMatch, nullptr, 0);
        if (listing != INVALID_HANDLE_VALUE) {
            do
                highest = std::max(highest,
                                   files_detail::BackupNumber(Utf8FromUtf16(found.cFileName), name));
            while (::FindNextFileW(listing, &found));
            ::FindClose(listing);
        }
    } catch (const FileError &) {
        // A folder that cannot be listed starts at 1; a name taken is found when it is made.
    }
    return files_detail::BackupName(name, highest < INT_MAX ? highest + 1 : highest);
}

std::vector<std::string> ListRegularFiles(const std::string &path, const std::string &name)
{
    const std::wstring folder = LongPath(path, name, "cannot list the folder");
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const DWORD error = ::GetLastError();
        if (attributes != INVALID_FILE_ATTRIBUTES || ErrnoFor(error) == ENOENT)
            throw FileError(ErrorCode::FileNotFound, name, 0, "not a folder");
        ThrowWindowsError(error, name, "cannot list the folder");
    }
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + (folder.back() == L'\\' || folder.back() == L'/' ? L"*" : L"\\*");
    const HANDLE listing = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                              FindExSearchNameMatch, nullptr, 0);
    if (listing == INVALID_HANDLE_VALUE)
        ThrowWindowsError(::GetLastError(), name, "cannot list the folder");
    std::vector<std::string> names;
    do {
        // A link to a file counts as the file, as on POSIX systems; opening it checks again.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(Utf8FromUtf16(found.cFileName));
    } while (::FindNextFileW(listing, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(listing);
    if (error != ERROR_NO_MORE_FILES)
        ThrowWindowsError(error, name, "cannot list the folder");
    return names;
}

InputFile::InputFile(FileHandle handle, std::string name)
    : handle_(std::move(handle)), name_(std::move(name))
{
    // Checked on the open file itself: the name may have been swapped since the folder was
    // listed. A pipe or a device has no file information, so its type is asked first.
    const HANDLE file = ToHandle(handle_.Get());
    const bool disk = ::GetFileType(file) == FILE_TYPE_DISK;
    BY_HANDLE_FILE_INFORMATION info{};
    if (disk && !::GetFileInformationByHandle(file, &info))
        ThrowWindowsError(::GetLastError(), name_, "cannot open");
    if (disk && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw FileError(ErrorCode::PathAccess, name_, 0, "is a folder, not a file");
    if (!disk)
        throw FileError(ErrorCode::PathAccess, name_, 0,
                        "is not a regular file (a FIFO, a device or a socket)");
    size_ = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    stamp_ = files_detail::StampOf(info);
}

InputFile InputFile::Open(const std::string &path, const std::string &name)
{
    FileHandle handle = OpenForReading(LongPath(path, name, "cannot open"));
    if (!handle)
        ThrowWindowsError(::GetLastError(), name, "cannot open");
    return InputFile(std::move(handle), name);
}

InputFile InputFile::OpenIn(const Folder &folder, const std::string &name)
{
    FileHandle handle = OpenForReading(FolderPath(folder, name, "cannot open") + Utf16FromUtf8(name));
    if (!handle)
        ThrowWindowsError(::GetLastError(), name, "cannot open");
    return InputFile(std::move(handle), name);
}

std::size_t InputFile::ReadSome(std::uint64_t offset, char *into, std::size_t count) const
{
    return zerka::ReadSomeOf(handle_.Get(), offset, into, count, name_);
}

FileIdentity Folder::IdentityOf(const std::string &) const { return {}; }

void Folder::RemoveIfEmpty(const std::string &child) const
{
    std::wstring folder;
    try {
        folder = FolderPath(*this, child, "cannot remove");
    } catch (const FileError &) {
        return;  // a folder that cannot be named is left as it is, as a full one would be
    }
    // Windows removes only an empty folder that nobody holds open; anything else stays.
    ::RemoveDirectoryW((folder + Utf16FromUtf8(child)).c_str());
}

bool Folder::HoldsFile(const std::string &child, const std::string &name) const
{
    std::wstring folder;
    try {
        folder = FolderPath(*this, name, "cannot open");
    } catch (const FileError &) {
        return false;  // a folder that cannot be named holds nothing this can tell
    }
    const DWORD attributes = ::GetFileAttributesW((folder + Utf16FromUtf8(child) + L"\\" + Utf16FromUtf8(name)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace zerka
