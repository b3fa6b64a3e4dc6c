#pragma once

#include <string>

namespace zerka {

// Reads a whole file. Throws FileError: code 53 when it does not exist, 70 when it may
// not be read, 75 for a directory or any other failure.
std::string ReadTextFile(const std::string &path);

// Writes text to path whole or not at all: into a hidden temporary file beside the
// target, then renamed over it. On failure no temporary file is left and an existing
// target is untouched. Throws FileError naming the target.
void WriteTextFile(const std::string &path, const std::string &text);

// The prefix and suffix of the temporary names WriteTextFile uses. They start with a
// '.', so folder listings that skip hidden files never offer them as key files.
inline constexpr const char *kTempPrefix = ".";
inline constexpr const char *kTempSuffix = ".zerka-tmp";

}  // namespace zerka
