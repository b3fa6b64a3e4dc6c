// SPDX-License-Identifier: MIT
// The file layer on POSIX systems, its reading half: folders, listings and input files.
// files_posix_output.cpp writes; files_windows*.cpp keep the same promises with Win32 calls.
#include "files.h"
#include "files_internal.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zerka {
namespace {

using files_detail::Retry;

std::string Reason(int error) { return std::generic_category().message(error); }

}  // namespace

FileHandle::~FileHandle()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Folder Folder::OpenAt(int base, const std::string &path, const std::string &name)
{
    Folder folder;
    folder.name_ = name;
    folder.handle_ = FileHandle(Retry([&] {
        return ::openat(base, path.empty() ? "." : path.c_str(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }));
    if (!folder.handle_)
        ThrowSystemError(errno, name, errno == ENOTDIR ? "is not a folder" : "cannot open");
    struct stat info { };
    if (::fstat(folder.Fd(), &info) != 0)
        ThrowSystemError(errno, name, "cannot open");
    folder.device_ = info.st_dev;
    folder.inode_ = info.st_ino;
    return folder;
}

Folder Folder::Open(const std::string &path, const std::string &name)
{
    return OpenAt(AT_FDCWD, path, name);
}

FileIdentity Folder::IdentityOf(const std::string &name) const
{
    struct stat info { };
    if (::fstatat(Fd(), name.c_str(), &info, 0) != 0)
        return {};
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool Folder::HoldsFile(const std::string &child, const std::string &name) const
{
    struct stat info { };
    return ::fstatat(Fd(), (child + "/" + name).c_str(), &info, 0) == 0 && !S_ISDIR(info.st_mode);
}

Folder Folder::OpenFolder(const std::string &child, const std::string &name) const
{
    return OpenAt(Fd(), child, name);
}

void Folder::RemoveIfEmpty(const std::string &child) const
{
    // A folder that is not empty, or no longer there, is left as it is: that is the point.
    ::unlinkat(Fd(), child.c_str(), AT_REMOVEDIR);
}

std::vector<std::string> ListRegularFiles(const std::string &path, const std::string &name)
{
    const int fd = Retry([&] { return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw FileError(CodeForSystemError(errno), name, 0, "not a folder");
        ThrowSystemError(errno, name, "cannot list the folder");
    }
    DIR *dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        ::close(fd);
        ThrowSystemError(error, name, "cannot list the folder");
    }
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (entry == nullptr)
            break;
        // Through links, as a user sees the folder; what a name leads to is checked again
        // when it is opened.
        struct stat info { };
        if (::fstatat(fd, entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode))
            names.emplace_back(entry->d_name);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0)
        ThrowSystemError(error, name, "cannot list the folder");
    return names;
}

std::string NextBackupName(const Folder &folder, const std::string &name)
{
    int highest = 0;
    const int listing = ::fcntl(folder.Fd(), F_DUPFD_CLOEXEC, 0);
    if (DIR *dir = listing < 0 ? nullptr : ::fdopendir(listing)) {
        ::rewinddir(dir);
        while (const dirent *entry = ::readdir(dir))
            highest = std::max(highest, files_detail::BackupNumber(entry->d_name, name));
        ::closedir(dir);
    } else if (listing >= 0) {
        ::close(listing);
    }
    return files_detail::BackupName(name, highest < INT_MAX ? highest + 1 : highest);
}

InputFile::InputFile(FileHandle handle, std::string name)
    : handle_(std::move(handle)), name_(std::move(name))
{
    struct stat info { };
    if (::fstat(handle_.Get(), &info) != 0)
        ThrowSystemError(errno, name_, "cannot open");
    // Checked on the open file itself: the name may have been swapped since the folder was
    // listed. Opening did not block, since a FIFO was opened non-blocking.
    if (S_ISDIR(info.st_mode))
        throw FileError(ErrorCode::PathAccess, name_, 0, "is a folder, not a file");
    if (!S_ISREG(info.st_mode))
        throw FileError(ErrorCode::PathAccess, name_, 0,
                        "is not a regular file (a FIFO, a device or a socket)");
    size_ = static_cast<std::uint64_t>(info.st_size);
    stamp_ = files_detail::StampOf(info);
}

InputFile InputFile::Open(const std::string &path, const std::string &name)
{
    FileHandle handle(
        Retry([&] { return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); }));
    if (!handle)
        ThrowSystemError(errno, name, "cannot open");
    return InputFile(std::move(handle), name);
}

InputFile InputFile::OpenIn(const Folder &folder, const std::string &name)
{
    FileHandle handle(Retry([&] {
        return ::openat(folder.Fd(), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    }));
    if (!handle)
        ThrowSystemError(errno, name, "cannot open");
    return InputFile(std::move(handle), name);
}

std::size_t InputFile::ReadSome(std::uint64_t offset, char *into, std::size_t count) const
{
    const ssize_t got =
        Retry([&] { return ::pread(handle_.Get(), into, count, static_cast<off_t>(offset)); });
    if (got < 0)
        throw FileError(ErrorCode::DeviceIo, name_, 0, "cannot read: " + Reason(errno));
    return static_cast<std::size_t>(got);
}

}  // namespace zerka
