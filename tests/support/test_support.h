#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "keyframes/keyframe_tables.h"

namespace zerka::testing {

// A fresh folder per test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &Path() const { return path_; }
    std::string operator/(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::string &path, const std::string &bytes);
std::string ReadFile(const std::string &path);

// "a\nb\n" -> "a\r\nb\r\n", to write fixtures readably.
std::string Crlf(const std::string &lfText);

// Runs action, expects it to throw FileError with this code; returns the error for
// further checks of its file, line and message.
FileError ExpectFileError(const std::function<void()> &action, ErrorCode code);

}  // namespace zerka::testing
