// SPDX-License-Identifier: MIT
// The parts of the file layer that are the same on every system; files_posix.cpp and
// files_windows.cpp hold the system calls.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <system_error>
#include <utility>

#include "files.h"
#include "files_internal.h"

namespace zerka {
namespace files_detail {

bool IsTemporaryName(std::string_view name)
{
    const bool ours = name.size() > kTempPrefix.size() + kTempSuffix.size() &&
                      name.substr(0, kTempPrefix.size()) == kTempPrefix &&
                      name.substr(name.size() - kTempSuffix.size()) == kTempSuffix;
    // Earlier versions named them ".NAME.<random>.zerka-tmp".
    constexpr std::string_view kOldSuffix = ".zerka-tmp";
    const bool earlier = name.size() > kOldSuffix.size() + 1 && name.front() == '.' &&
                         name.substr(name.size() - kOldSuffix.size()) == kOldSuffix;
    return ours || earlier;
}

int BackupNumber(std::string_view entry, std::string_view name)
{
    if (entry.size() < name.size() + 4 || entry.substr(0, name.size()) != name ||
        entry.substr(name.size(), 2) != ".~" || entry.back() != '~')
        return 0;
    const std::string_view digits = entry.substr(name.size() + 2, entry.size() - name.size() - 3);
    int number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return ec == std::errc() && end == digits.data() + digits.size() && digits.front() != '0' &&
                   number > 0
               ? number
               : 0;
}

std::string BackupName(const std::string &name, int number)
{
    return name + ".~" + std::to_string(number) + "~";
}

std::wstring ExtendedPath(std::wstring_view full)
{
    const bool drive = full.size() >= 3 && full[1] == L':' && full[2] == L'\\' &&
                       ((full[0] >= L'A' && full[0] <= L'Z') || (full[0] >= L'a' && full[0] <= L'z'));
    if (drive)
        return L"\\\\?\\" + std::wstring(full);
    const bool device = full.substr(0, 4) == L"\\\\?\\" || full.substr(0, 4) == L"\\\\.\\";
    if (!device && full.size() > 2 && full.substr(0, 2) == L"\\\\")
        return L"\\\\?\\UNC\\" + std::wstring(full.substr(2));
    return std::wstring(full);
}

std::string NextBackupToTry(const Folder &folder, const std::string &name, int &tried)
{
    const int listed = BackupNumber(NextBackupName(folder, name), name);
    tried = std::max(listed, tried < INT_MAX ? tried + 1 : tried);
    return BackupName(name, tried);
}

std::uint64_t NewSeed(std::uint64_t processId)
{
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           (processId << 20);
}

}  // namespace files_detail

std::string ShownPath(const std::string &folder, const std::string &name)
{
#if defined(_WIN32)
    constexpr char kSeparator = '\\';
#else
    constexpr char kSeparator = '/';
#endif
    return folder.empty() || folder == "." ? name : folder + kSeparator + name;
}

ErrorCode CodeForSystemError(int error)
{
    switch (error) {
    case ENOENT: return ErrorCode::FileNotFound;
    case EACCES:
    case EPERM: return ErrorCode::PermissionDenied;
    case EIO: return ErrorCode::DeviceIo;
    default: return ErrorCode::PathAccess;
    }
}

void ThrowSystemError(int error, const std::string &file, std::string_view doing)
{
    throw FileError(CodeForSystemError(error), file, 0,
                    std::string(doing) + ": " + std::generic_category().message(error));
}

FileHandle &FileHandle::operator=(FileHandle &&other) noexcept
{
    if (this != &other)
        FileHandle(std::exchange(fd_, other.Release()));  // closes what this held
    return *this;
}

int FileHandle::Release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

bool Folder::SameAs(const Folder &other) const
{
    return device_ == other.device_ && inode_ == other.inode_;
}

std::string InputFile::ReadAll() const
{
    std::string text;
    text.resize(ReadAllInto(text).size());
    return text;
}

std::string_view InputFile::ReadAllInto(std::string &buffer) const
{
    if (size_ > kMaxTextBytes)
        throw FileError(ErrorCode::OutOfMemory, name_, 0,
                        "is larger than 64 MiB, too large for a key file");
    const auto size = static_cast<std::size_t>(size_);
    if (buffer.size() < size)
        buffer.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const std::size_t got = ReadSome(done, buffer.data() + done, size - done);
        if (got == 0)
            break;  // shrank since it was opened: what is there is the file now
        done += got;
    }
    return {buffer.data(), done};
}

void InputFile::ReadAt(std::uint64_t offset, char *into, std::size_t count) const
{
    for (std::size_t done = 0; done < count;) {
        const std::size_t got = ReadSome(offset + done, into + done, count - done);
        if (got == 0)
            throw FileError(ErrorCode::DeviceIo, name_, 0,
                            "cannot read: the file shrank while it was read");
        done += got;
    }
}

StagedFile &StagedFile::operator=(StagedFile &&other) noexcept
{
    if (this != &other) {
        Discard();
        handle_ = std::move(other.handle_);
        folderFd_ = other.folderFd_;
        durable_ = other.durable_;
        tempName_ = std::move(other.tempName_);
        name_ = std::move(other.name_);
        shown_ = std::move(other.shown_);
        keepReplaced_ = other.keepReplaced_;
        same_ = other.same_;
        other.tempName_.clear();
    }
    return *this;
}

OutputFolder OutputFolder::OpenChild(const Folder &parent, const std::string &childName,
                                     WriteOptions options)
{
    // The reason the folder could not be made is the one to show; a later open would
    // only say that it does not exist.
    const bool made = MakeChild(parent, childName);
    std::optional<Folder> folder;
    try {
        folder.emplace(parent.OpenFolder(childName, childName));
    } catch (const FileError &) {
        // A folder made for nothing is not left behind for the user to wonder about.
        if (made)
            parent.RemoveIfEmpty(childName);
        throw;
    }
    if (folder->SameAs(parent))
        throw FileError(ErrorCode::PathAccess, {}, 0,
                        "the output folder " + childName + " is the source folder");
    OutputFolder output(std::move(*folder), std::move(options));
    output.made_ = made;
    output.RemoveDeadTemporaries();
    return output;
}

StagedFile OutputFolder::NewStaged(const std::string &name, const std::string &shownName) const
{
    StagedFile staged;
    staged.folderFd_ = folder_.Fd();
    staged.name_ = name;
    staged.shown_ = shownName.empty() ? ShownPath(folder_.Name(), name) : shownName;
    return staged;
}

std::string OutputFolder::NewTempName()
{
    // splitmix64: cheap, and distinct for every call of this folder's writer.
    std::uint64_t z = seed_ + 0x9e3779b97f4a7c15ULL * ++*counter_;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(z));
    return std::string(kTempPrefix) + hex + std::string(kTempSuffix);
}

}  // namespace zerka
