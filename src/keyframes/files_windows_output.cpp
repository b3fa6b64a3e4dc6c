// SPDX-License-Identifier: MIT
// The file layer on Windows, its writing half: outputs staged under temporary names, flushed
// and renamed over the old file with write-through.
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

namespace zerka {
namespace {

using files_detail::FolderPath;
using files_detail::IsTemporaryName;
using files_detail::kMaxPiece;
using files_detail::Own;
using files_detail::RemoveOnClose;
using files_detail::ThrowWindowsError;
using files_detail::ToHandle;

}  // namespace

StagedFile::~StagedFile() { Discard(); }

// Removed through its own handle: no name is looked up, so nothing else can be hit.
void StagedFile::Discard()
{
    if (!tempName_.empty() && handle_)
        RemoveOnClose(handle_.Get());
    tempName_.clear();
    handle_ = FileHandle();
}

// Windows has no unnamed files: every output is staged under a temporary name.
OutputFolder::OutputFolder(Folder folder, WriteOptions options)
    : folder_(std::move(folder)), options_(std::move(options))
{
    seed_ = files_detail::NewSeed(static_cast<std::uint64_t>(::GetCurrentProcessId()));
}

bool OutputFolder::MakeChild(const Folder &parent, const std::string &childName)
{
    const std::wstring path =
        FolderPath(parent, childName, "cannot make the folder") + Utf16FromUtf8(childName);
    if (::CreateDirectoryW(path.c_str(), nullptr))
        return true;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS)
        ThrowWindowsError(error, childName, "cannot make the folder");
    return false;
}

// A writer holds its temporary file open, sharing nothing but deletion, for as long as it
// lives; so one that can be opened for reading belongs to a dead run, and the files of
// batches still running are never touched. The handle that proves it also removes it, and
// shares nothing, so no writer can take the file back in between.
//
// Every failure here is left unsaid on purpose: a leftover that cannot be listed, opened or
// removed costs only its disk space, is hidden from every listing of key files, and is
// tried again by the next run; failing the batch for it would lose more than it saves.
void OutputFolder::RemoveDeadTemporaries()
{
    std::wstring folder;
    try {
        folder = FolderPath(folder_, folder_.Name(), "cannot list");
    } catch (const FileError &) {
        return;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE listing = ::FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found,
                                              FindExSearchNameMatch, nullptr, 0);
    if (listing == INVALID_HANDLE_VALUE)
        return;
    constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    do {
        if ((found.dwFileAttributes & kNotAFile) != 0 || !IsTemporaryName(Utf8FromUtf16(found.cFileName)))
            continue;
        const FileHandle file =
            Own(::CreateFileW((folder + found.cFileName).c_str(), GENERIC_READ | DELETE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (file && ::GetFileType(ToHandle(file.Get())) == FILE_TYPE_DISK &&
            ::GetFileInformationByHandle(ToHandle(file.Get()), &info) &&
            (info.dwFileAttributes & kNotAFile) == 0)
            RemoveOnClose(file.Get());
    } while (::FindNextFileW(listing, &found));
    ::FindClose(listing);
}

StagedFile OutputFolder::Stage(std::string_view bytes, const std::string &name,
                               const std::string &shownName)
{
    StagedFile staged = NewStaged(name, shownName);
    const std::string &shown = staged.shown_;
    const std::wstring folder = FolderPath(folder_, shown, "cannot write");
    // Windows cannot make a file without a name, so a temporary name stands in, held as
    // RemoveDeadTemporaries expects: deletion, which the rename needs, is all it shares.
    for (;;) {
        const std::string temp = NewTempName();
        staged.handle_ = Own(::CreateFileW((folder + Utf16FromUtf8(temp)).c_str(), GENERIC_WRITE | DELETE,
                                           FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (staged.handle_) {
            staged.tempName_ = temp;
            break;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS)
            ThrowWindowsError(error, shown, "cannot write");
    }

    for (std::size_t done = 0; done < bytes.size();) {
        DWORD wrote = 0;
        if (!::WriteFile(ToHandle(staged.handle_.Get()), bytes.data() + done,
                         static_cast<DWORD>(std::min(bytes.size() - done, kMaxPiece)), &wrote,
                         nullptr))
            ThrowWindowsError(::GetLastError(), shown, "cannot write");
        done += wrote;
    }
    return staged;
}

std::string OutputFolder::KeepReplaced(StagedFile &file)
{
    if (!file.keepReplaced_)
        return {};
    const std::wstring folder = FolderPath(folder_, file.shown_, "cannot replace");
    const std::wstring target = folder + Utf16FromUtf8(file.name_);
    {
        const FileHandle there = Own(::CreateFileW(
            target.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!there) {
            // Only a name that leads nowhere has nothing to keep.
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                return {};
            ThrowWindowsError(error, file.shown_, "cannot look at what it replaces");
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(ToHandle(there.Get()), &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            (file.same_ && *file.same_ == files_detail::StampOf(info)))
            return {};
    }
    std::string copy;
    bool copied = false;
    bool link = !options_.CopiedBackups;
    // Another run numbering its backups at the same instant takes a number first; a few
    // tries are enough for that.
    int tried = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const std::string backup = files_detail::NextBackupToTry(folder_, file.name_, tried);
        const std::string shown = ShownPath(folder_.Name(), backup);
        const std::wstring wide = folder + Utf16FromUtf8(backup);
        const auto cannot = [&](DWORD error) {
            ThrowWindowsError(error, file.shown_, "cannot keep it as " + shown);
        };
        // A hard link is named through the volume's journal; Windows has no call that
        // waits for a folder's names, as SyncNames says.
        if (link) {
            if (::CreateHardLinkW(wide.c_str(), target.c_str(), nullptr))
                return shown;
            const DWORD error = ::GetLastError();
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
                continue;
            if (error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION &&
                error != ERROR_TOO_MANY_LINKS)
                cannot(error);
            link = false;  // FAT and exFAT have none: a copy instead
        }
        try {
            if (!copied)
                copy = InputFile::OpenIn(folder_, file.name_).ReadAll();
            copied = true;
        } catch (const FileError &error) {
            throw FileError(error.Code, file.shown_, 0,
                            "cannot keep it as " + shown + ": " + error.Description);
        }
        StagedFile staged = Stage(copy, backup, shown);
        if (!::FlushFileBuffers(ToHandle(staged.handle_.Get())))
            cannot(::GetLastError());
        // Without MOVEFILE_REPLACE_EXISTING the move never takes a name another file has.
        if (::MoveFileExW((folder + Utf16FromUtf8(staged.tempName_)).c_str(), wide.c_str(),
                          MOVEFILE_WRITE_THROUGH)) {
            staged.tempName_.clear();
            return shown;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            cannot(error);
    }
    throw FileError(ErrorCode::PathAccess, file.shown_, 0,
                    "cannot keep it: every backup name tried was taken");
}

// Links are rare on Windows and IdentityOf cannot tell, so keep is never filled there.
std::string OutputFolder::Publish(StagedFile &file, const std::set<FileIdentity> &)
{
    // However publishing fails, the staged file goes and nothing was replaced.
    const auto fail = [&file](DWORD error, std::string_view doing) {
        file.Discard();
        ThrowWindowsError(error, file.shown_, doing);
    };
    if (!::FlushFileBuffers(ToHandle(file.handle_.Get())))
        fail(::GetLastError(), "cannot write");
    std::wstring folder;
    try {
        folder = FolderPath(folder_, file.shown_, "cannot replace");
    } catch (const FileError &) {
        file.Discard();
        throw;
    }
    const std::wstring target = folder + Utf16FromUtf8(file.name_);
    std::string backup;
    try {
        backup = KeepReplaced(file);
    } catch (const FileError &) {
        file.Discard();
        throw;
    }
    // Write-through: the name is on the disk when the call returns, which is what
    // SyncNames does elsewhere.
    if (!::MoveFileExW((folder + Utf16FromUtf8(file.tempName_)).c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD error = ::GetLastError();
        // A folder in the way, a read-only file and a file another program holds open are
        // all only "access denied" here; say which it is.
        const DWORD existing = ::GetFileAttributesW(target.c_str());
        if (error == ERROR_ACCESS_DENIED && existing != INVALID_FILE_ATTRIBUTES) {
            const char *why = (existing & FILE_ATTRIBUTE_DIRECTORY) != 0  ? "is a folder, not a file"
                              : (existing & FILE_ATTRIBUTE_READONLY) != 0 ? "the file is read-only"
                                                                          : nullptr;
            if (why) {
                file.Discard();
                const bool folderThere = (existing & FILE_ATTRIBUTE_DIRECTORY) != 0;
                throw FileError(folderThere ? ErrorCode::PathAccess : ErrorCode::PermissionDenied,
                                file.shown_, 0, std::string("cannot replace: ") + why);
            }
            const FileHandle probe = Own(::CreateFileW(
                target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            if (!probe && ::GetLastError() == ERROR_SHARING_VIOLATION)
                error = ERROR_SHARING_VIOLATION;
        }
        fail(error, "cannot replace");
    }
    file.tempName_.clear();
    file.Discard();
    return backup;
}

// Short of flushing a whole volume, which takes an administrator, Windows has no call that
// makes many files durable at once: Publish flushes each file.
void OutputFolder::MakeDurable(std::vector<StagedFile *> &) { }

// Publish renamed with write-through, so the names are durable already.
void OutputFolder::SyncNames() { }

}  // namespace zerka
