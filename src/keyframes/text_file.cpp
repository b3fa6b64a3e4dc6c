#include "text_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

#if defined(__linux__)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "keyframe_tables.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

ErrorCode CodeForErrno(int error)
{
    switch (error) {
    case ENOENT: return ErrorCode::FileNotFound;
    case EACCES:
    case EPERM: return ErrorCode::PermissionDenied;
    default: return ErrorCode::PathAccess;
    }
}

[[noreturn]] void ThrowSystemError(const std::string &path, const std::string &doing, int error)
{
    throw FileError(CodeForErrno(error), path, 0,
                    doing + ": " + std::generic_category().message(error));
}

// A name no other writer picks: random bits plus a per-process counter.
std::string TemporaryNameFor(const fs::path &target)
{
    static std::atomic<unsigned> counter{0};
    static const unsigned long long seed = [] {
        std::random_device device;
        return (static_cast<unsigned long long>(device()) << 32) ^ device() ^
               static_cast<unsigned long long>(
                   std::chrono::steady_clock::now().time_since_epoch().count());
    }();
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".%llx.%u", seed, counter++);
    std::string name = kTempPrefix;
    name += target.filename().string();
    name += suffix;
    name += kTempSuffix;
    return name;
}

// Renames a complete temporary file over the target; on failure the temporary file goes.
void RenameOver(const fs::path &temporary, const fs::path &target, const std::string &path)
{
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw FileError(ec == std::errc::permission_denied ? ErrorCode::PermissionDenied
                                                           : ErrorCode::PathAccess,
                        path, 0, "cannot replace: " + ec.message());
    }
}

// Writes under a hidden name beside the target, then renames it over the target.
void WriteNamedThenRename(const fs::path &target, const std::string &path, const std::string &text)
{
    const fs::path temporary = target.parent_path() / TemporaryNameFor(target);

    errno = 0;
    // "x": never reuse or follow an existing file under the temporary name.
    FileHandle file(std::fopen(temporary.c_str(), "wbx"));
    if (!file)
        ThrowSystemError(path, "cannot write", errno);

    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    int error = errno;
    const bool closed = std::fclose(file.release()) == 0;
    if (!closed && written)
        error = errno;
    std::error_code ec;
    if (!written || !closed) {
        fs::remove(temporary, ec);
        ThrowSystemError(path, "cannot write", error ? error : EIO);
    }
    RenameOver(temporary, target, path);
}

#if defined(__linux__) && defined(O_TMPFILE)
struct DescriptorCloser {
    explicit DescriptorCloser(int fd) : Fd(fd) { }
    ~DescriptorCloser() { ::close(Fd); }
    DescriptorCloser(const DescriptorCloser &) = delete;
    DescriptorCloser &operator=(const DescriptorCloser &) = delete;
    int Fd;
};

// Linux can write the text into a file that has no name yet and name it once it is
// complete, so a process killed while writing leaves nothing in the folder. Returns false
// where the folder's file system cannot; the caller then writes under a hidden name.
bool WriteUnnamedThenName(const fs::path &target, const std::string &path, const std::string &text)
{
    static const bool canNameDescriptors = ::access("/proc/self/fd", X_OK) == 0;
    if (!canNameDescriptors)
        return false;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
            return false;
        ThrowSystemError(path, "cannot write", errno);
    }
    const DescriptorCloser closer(fd);
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno != EINTR)
            ThrowSystemError(path, "cannot write", errno);
        done += wrote > 0 ? static_cast<std::size_t>(wrote) : 0;
    }

    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST)
        ThrowSystemError(path, "cannot write", errno);
    // A name cannot be linked over an existing file; the complete file gets a hidden name
    // for just as long as the rename over the target takes.
    const fs::path temporary = folder / TemporaryNameFor(target);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0)
        ThrowSystemError(path, "cannot write", errno);
    RenameOver(temporary, target, path);
    return true;
}
#endif

}  // namespace

std::string ReadTextFile(const std::string &path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        throw FileError(ErrorCode::PathAccess, path, 0, "is a folder, not a file");
    errno = 0;
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file)
        ThrowSystemError(path, "cannot open", errno);

    // Sized from the file's length and read in one call: growing the text block by block
    // copied each file several times over. The length is only a hint; a file that grows
    // or shrinks meanwhile is still read to its end.
    long length = 0;
    if (std::fseek(file.get(), 0, SEEK_END) == 0)
        length = std::max(std::ftell(file.get()), 0L);
    std::rewind(file.get());

    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::size_t size = 0;
    std::size_t got;
    while ((got = std::fread(text.data() + size, 1, text.size() - size, file.get())) > 0) {
        size += got;
        if (size == text.size())
            text.resize(text.size() * 2);
    }
    if (std::ferror(file.get()))
        ThrowSystemError(path, "cannot read", errno ? errno : EIO);
    text.resize(size);
    return text;
}

void WriteTextFile(const std::string &path, const std::string &text)
{
    const fs::path target(path);
#if defined(__linux__) && defined(O_TMPFILE)
    if (WriteUnnamedThenName(target, path, text))
        return;
#endif
    WriteNamedThenRename(target, path, text);
}

}  // namespace zerka
