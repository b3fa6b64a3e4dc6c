// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

// Which files of a folder a batch converts, in which order, and under which output names.
namespace zerka {

// The folder outputs go into, beside the listed files.
inline constexpr const char *kOutputFolder = "New";

// The names a folder offers as key files: its regular, non-hidden files whose name ends
// in ".key" in any case, sorted by name ignoring case. Throws what ListRegularFiles throws
// for a folder that is none or cannot be listed.
std::vector<std::string> ListKeyFiles(const std::string &directory);

// The output name of a listed name: without its last four characters, plus ".key".
// A name shorter than four characters is code 5.
std::string OutputNameFor(const std::string &listedName);

}  // namespace zerka
