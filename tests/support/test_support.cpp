#include "support/test_support.h"

#include <fstream>
#include <random>
#include <sstream>

namespace zerka::testing {

TempDir::TempDir()
{
    std::random_device device;
    path_ = std::filesystem::temp_directory_path() /
            ("zerka-test-" + std::to_string(device()) + std::to_string(device()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable to remove them.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out)
        throw std::runtime_error("test fixture: cannot write " + path);
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("test fixture: cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Crlf(const std::string &lfText)
{
    std::string out;
    out.reserve(lfText.size() * 2);
    for (char c : lfText) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

FileError ExpectFileError(const std::function<void()> &action, ErrorCode code)
{
    try {
        action();
    } catch (const FileError &error) {
        EXPECT_EQ(static_cast<int>(error.Code), static_cast<int>(code)) << error.what();
        return error;
    }
    ADD_FAILURE() << "expected FileError with code " << static_cast<int>(code);
    return FileError(ErrorCode::InvalidArgument, {}, 0, "no error was thrown");
}

}  // namespace zerka::testing
