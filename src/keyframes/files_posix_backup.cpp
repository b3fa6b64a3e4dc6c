// SPDX-License-Identifier: MIT
// The file layer on POSIX systems: what an output replaces is first kept under a numbered
// backup name, a hard link where the file system has them, else a durable copy.
#include "files.h"
#include "files_internal.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zerka {
namespace {

using files_detail::Retry;

// Where a file system has no hard links, a backup is a copy.
bool LinksUnsupported(int error)
{
    return error == EPERM || error == EXDEV || error == EOPNOTSUPP || error == ENOTSUP ||
           error == EMLINK || error == ENOSYS;
}

// Gives the temporary file its backup name unless that is taken: false then.
bool NameWithoutReplacing(int dirFd, const std::string &temp, const std::string &backup)
{
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(dirFd, temp.c_str(), dirFd, backup.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
        ThrowSystemError(errno, backup, "cannot write");
#endif
    // Without a rename that refuses to replace, a check first: only another run numbering
    // backups in the same instant could slip in between.
    struct stat there { };
    if (::fstatat(dirFd, backup.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0)
        return false;
    if (::renameat(dirFd, temp.c_str(), dirFd, backup.c_str()) != 0)
        ThrowSystemError(errno, backup, "cannot write");
    return true;
}

}  // namespace

std::string OutputFolder::KeepReplaced(StagedFile &file)
{
    const int dirFd = folder_.Fd();
    struct stat there { };
    if (!file.keepReplaced_)
        return {};
    // Only a name that leads nowhere has nothing to keep: one that cannot be looked at may
    // hold anything, and is not replaced.
    if (::fstatat(dirFd, file.name_.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return {};
        ThrowSystemError(errno, file.shown_, "cannot look at what it replaces");
    }
    if (S_ISDIR(there.st_mode) || (file.same_ && *file.same_ == files_detail::StampOf(there)))
        return {};
    // A copy is read whole before anything is named, so a copy that cannot be made leaves
    // nothing behind.
    std::string copy;
    bool copied = false;
    bool link = !options_.CopiedBackups;
    // Another run numbering its backups at the same instant takes a number first; a few
    // tries are enough for that.
    int tried = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const std::string backup = files_detail::NextBackupToTry(folder_, file.name_, tried);
        const std::string shown = ShownPath(folder_.Name(), backup);
        const auto cannot = [&](int error) {
            ThrowSystemError(error, file.shown_, "cannot keep it as " + shown);
        };
        if (link) {
            if (::linkat(dirFd, file.name_.c_str(), dirFd, backup.c_str(), 0) == 0) {
                // The backup's name is on the disk before the file it names loses its own.
                if (Retry([&] { return ::fsync(dirFd); }) != 0)
                    cannot(errno);
                Step();
                return shown;
            }
            if (errno == EEXIST)
                continue;
            if (!LinksUnsupported(errno))
                cannot(errno);
            link = false;
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
        if (Retry([&] { return ::fdatasync(staged.handle_.Get()); }) != 0)
            cannot(errno);
        bool named = false;
        if (staged.tempName_.empty()) {
#if defined(O_TMPFILE)
            // Linking an unnamed file never replaces what has the name already.
            const std::string self = files_detail::DescriptorPath(staged.handle_.Get());
            named = ::linkat(AT_FDCWD, self.c_str(), dirFd, backup.c_str(), AT_SYMLINK_FOLLOW) == 0;
            if (!named && errno != EEXIST)
                cannot(errno);
#endif
        } else if ((named = NameWithoutReplacing(dirFd, staged.tempName_, backup))) {
            staged.tempName_.clear();
        }
        if (!named)
            continue;  // the staged copy goes with its temporary name
        if (Retry([&] { return ::fsync(dirFd); }) != 0)
            cannot(errno);
        Step();
        return shown;
    }
    throw FileError(ErrorCode::PathAccess, file.shown_, 0,
                    "cannot keep it: every backup name tried was taken");
}

}  // namespace zerka
