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
    return kTempPrefix + target.filename().string() + suffix + kTempSuffix;
}

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
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw FileError(ec == std::errc::permission_denied ? ErrorCode::PermissionDenied
                                                           : ErrorCode::PathAccess,
                        path, 0, "cannot replace: " + ec.message());
    }
}

}  // namespace zerka
