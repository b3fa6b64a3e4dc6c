// SPDX-License-Identifier: MIT
// The file layer on POSIX systems, its writing half: outputs staged, made durable and named
// in the output folder. Linux adds unnamed files, syncfs and sync_file_range.
#include "files.h"
#include "files_internal.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#if defined(__linux__)
#include <sys/vfs.h>
#endif
#include <sys/utsname.h>
#include <unistd.h>

namespace zerka {
namespace {

using files_detail::IsTemporaryName;
using files_detail::Retry;

#if defined(O_TMPFILE)
bool CanNameDescriptors() { return ::access("/proc/self/fd", X_OK) == 0; }
using files_detail::DescriptorPath;
#endif

}  // namespace

StagedFile::~StagedFile() { Discard(); }

void StagedFile::Discard()
{
    if (!tempName_.empty())
        ::unlinkat(folderFd_, tempName_.c_str(), 0);
    tempName_.clear();
    handle_ = FileHandle();
}

bool files_detail::SyncfsReportsWritebackErrors(std::string_view release)
{
    const char *const end = release.data() + release.size();
    int major = 0, minor = 0;
    const auto [dot, majorError] = std::from_chars(release.data(), end, major);
    if (majorError != std::errc() || dot == end || *dot != '.')
        return false;
    if (std::from_chars(dot + 1, end, minor).ec != std::errc())
        return false;
    // 5.8 reports writeback errors to syncfs; only from 5.17 on does it also pass on what
    // the file system's own flush (the journal commit, the disk cache) returns.
    return major > 5 || (major == 5 && minor >= 17);
}

namespace {

// Whether one syncfs of the folder's file system makes every file staged there durable and
// reports the error of any that did not get there, so that files need no fdatasync each.
// Only on Linux, and only when both hold:
// - the kernel passes on every error: syncfs reports files' writeback errors from 5.8 on,
//   and what the file system's own flush returns (the journal commit, the disk's cache)
//   only from 5.17 on;
// - the file system is a local one whose syncfs writes and flushes everything itself (ext4,
//   xfs, btrfs), or tmpfs, where there is nothing to do. Network and FUSE file systems make
//   data durable on the server only when each file is synced, and an overlay reports its
//   upper layer's errors elsewhere.
bool GroupSyncReportsEveryFile([[maybe_unused]] int folderFd)
{
#if defined(__linux__)
    struct utsname system { };
    if (::uname(&system) != 0 || !files_detail::SyncfsReportsWritebackErrors(system.release))
        return false;
    constexpr unsigned long kExt4 = 0xEF53, kXfs = 0x58465342, kBtrfs = 0x9123683E,
                            kTmpfs = 0x01021994;
    struct statfs fileSystem { };
    if (::fstatfs(folderFd, &fileSystem) != 0)
        return false;
    const auto type = static_cast<unsigned long>(fileSystem.f_type);
    return type == kExt4 || type == kXfs || type == kBtrfs || type == kTmpfs;
#else
    return false;
#endif
}

// A file without a name in the folder, locked as its writer's: a run killed while writing
// it leaves nothing behind. Empty where the file system cannot make one.
FileHandle OpenUnnamed([[maybe_unused]] int folderFd, [[maybe_unused]] const std::string &shown)
{
#if defined(O_TMPFILE)
    FileHandle handle(Retry(
        [&] { return ::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666); }));
    if (!handle) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
            return handle;
        ThrowSystemError(errno, shown, "cannot write");
    }
    Retry([&] { return ::flock(handle.Get(), LOCK_EX); });
    return handle;
#else
    return {};
#endif
}

// A new file under a temporary name from newName, locked as its writer's for as long as it
// lives, so that RemoveDeadTemporaries leaves it alone; sets tempName.
template <typename NewName>
FileHandle OpenUnderTemporaryName(int folderFd, NewName newName, std::string &tempName,
                                  const std::string &shown)
{
    for (;;) {
        const std::string temp = newName();
        FileHandle handle(Retry([&] {
            return ::openat(folderFd, temp.c_str(),
                            O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0666);
        }));
        if (!handle) {
            if (errno == EEXIST)
                continue;
            ThrowSystemError(errno, shown, "cannot write");
        }
        Retry([&] { return ::flock(handle.Get(), LOCK_EX); });
        // A cleanup may have taken it in the instant before the lock; then try again.
        struct stat mine { }, named{};
        if (::fstat(handle.Get(), &mine) == 0 &&
            ::fstatat(folderFd, temp.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            mine.st_ino == named.st_ino && mine.st_dev == named.st_dev) {
            tempName = temp;
            return handle;
        }
    }
}

void WriteAll(int fd, std::string_view bytes, const std::string &shown)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote =
            Retry([&] { return ::write(fd, bytes.data() + done, bytes.size() - done); });
        if (wrote < 0)
            ThrowSystemError(errno, shown, "cannot write");
        done += static_cast<std::size_t>(wrote);
    }
}

}  // namespace

OutputFolder::OutputFolder(Folder folder, WriteOptions options)
    : folder_(std::move(folder)), options_(std::move(options))
{
#if defined(O_TMPFILE)
    stagesUnnamed_ = CanNameDescriptors() && !options_.NamedTemporaries;
#endif
    groupReportsErrors_ = GroupSyncReportsEveryFile(folder_.Fd());
    seed_ = files_detail::NewSeed(static_cast<std::uint64_t>(::getpid()));
}

bool OutputFolder::MakeChild(const Folder &parent, const std::string &childName)
{
    if (::mkdirat(parent.Fd(), childName.c_str(), 0777) == 0)
        return true;
    if (errno != EEXIST)
        ThrowSystemError(errno, childName, "cannot make the folder");
    return false;
}

// A temporary file is locked for as long as its writer lives, so one that can be locked
// belongs to a dead run; the files of batches still running are never touched.
// Every failure here is left unsaid on purpose: a leftover that cannot be listed, opened or
// removed costs only its disk space, is hidden from every listing of key files, and is
// tried again by the next run; failing the batch for it would lose more than it saves.
void OutputFolder::RemoveDeadTemporaries()
{
    const int listing = ::fcntl(folder_.Fd(), F_DUPFD_CLOEXEC, 0);
    if (listing < 0)
        return;
    DIR *dir = ::fdopendir(listing);
    if (dir == nullptr) {
        ::close(listing);
        return;
    }
    ::rewinddir(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        FileHandle file(::openat(folder_.Fd(), entry->d_name,
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat info { };
        if (file && ::fstat(file.Get(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::flock(file.Get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folder_.Fd(), entry->d_name, 0);
    }
    ::closedir(dir);
}

StagedFile OutputFolder::Stage(std::string_view bytes, const std::string &name,
                               const std::string &shownName)
{
    StagedFile staged = NewStaged(name, shownName);
    if (stagesUnnamed_)
        staged.handle_ = OpenUnnamed(folder_.Fd(), staged.shown_);
    // Where files cannot be made without a name, a locked temporary name stands in.
    if (!staged.handle_)
        staged.handle_ = OpenUnderTemporaryName(
            folder_.Fd(), [this] { return NewTempName(); }, staged.tempName_, staged.shown_);
    Step();
    WriteAll(staged.handle_.Get(), bytes, staged.shown_);
#if defined(SYNC_FILE_RANGE_WRITE)
    // Start the bytes towards the disk now; Publish then mostly finds them there.
    ::sync_file_range(staged.handle_.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    Step();
    return staged;
}

std::string OutputFolder::Publish(StagedFile &file, const std::set<FileIdentity> &keep)
{
    // However publishing fails, the staged file goes and nothing was replaced.
    const auto fail = [&file](std::string_view doing) {
        const int error = errno;
        file.Discard();
        ThrowSystemError(error, file.shown_, doing);
    };
    const int fd = file.handle_.Get();
    // A file MakeDurable could not vouch for waits for its own data. Even with the data on
    // the disk this is no free check: on ext4 each fdatasync flushes the disk's cache.
    if (!file.durable_ && Retry([&] { return ::fdatasync(fd); }) != 0)
        fail("cannot write");
    // A listed source that is a link into this folder must not be replaced under it.
    const auto replacesKept = [&] {
        struct stat there { };
        return !keep.empty() &&
               ::fstatat(folder_.Fd(), file.name_.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
               keep.count({static_cast<std::uint64_t>(there.st_dev),
                           static_cast<std::uint64_t>(there.st_ino)}) != 0;
    };
    const auto refuseKept = [&] {
        file.Discard();
        throw FileError(ErrorCode::PathAccess, file.shown_, 0,
                        "is a listed file itself, reached through a link; it is not replaced");
    };
    Step();
    const int dirFd = folder_.Fd();
#if defined(O_TMPFILE)
    if (file.tempName_.empty()) {
        // An unnamed file is linked under its name; where that name is taken, it takes a
        // locked temporary name just for the rename over the old file.
        const std::string self = DescriptorPath(fd);
        if (::linkat(AT_FDCWD, self.c_str(), dirFd, file.name_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            file.Discard();
            Step();
            return {};
        }
        if (errno != EEXIST)
            fail("cannot write");
        for (std::string temp = NewTempName();; temp = NewTempName()) {
            if (::linkat(AT_FDCWD, self.c_str(), dirFd, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                file.tempName_ = temp;
                Step();
                break;
            }
            if (errno != EEXIST)
                fail("cannot write");
        }
    }
#endif
    if (replacesKept())
        refuseKept();
    std::string backup;
    try {
        backup = KeepReplaced(file);
    } catch (const FileError &) {
        file.Discard();
        throw;
    }
    if (::renameat(dirFd, file.tempName_.c_str(), dirFd, file.name_.c_str()) != 0)
        fail("cannot replace");
    file.tempName_.clear();
    file.Discard();
    Step();
    return backup;
}

void OutputFolder::MakeDurable(std::vector<StagedFile *> &files)
{
#if defined(__linux__)
    // One pass over the file system instead of a wait per file. On the kernels and file
    // systems the constructor accepts, syncfs fails when writing back any file of the file
    // system failed since this folder was opened, or when the journal or the disk's cache
    // could not be flushed; when it succeeds, the group's files are on the disk. After a
    // failure each file is asked by itself, to tell which one it was, and so is every later
    // one: the error is reported to this folder once, and a file staged ahead could have
    // been its cause.
    const bool clean = Retry([&] { return ::syncfs(folder_.Fd()); }) == 0;
    if (!clean)
        groupReportsErrors_ = false;
    for (StagedFile *file : files)
        file->durable_ = groupReportsErrors_;
#else
    (void)files;
#endif
    Step();
}

void OutputFolder::SyncNames()
{
    if (Retry([&] { return ::fsync(folder_.Fd()); }) != 0)
        ThrowSystemError(errno, folder_.Name(), "cannot sync the folder");
    Step();
}

}  // namespace zerka
