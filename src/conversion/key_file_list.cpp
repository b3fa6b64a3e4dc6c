// SPDX-License-Identifier: MIT
#include "key_file_list.h"

#include <algorithm>

#include "keyframes/files.h"
#include "keyframes/text_rules.h"

namespace zerka {
namespace {

// The order decides which of two names with the same output wins, so it must not hang on
// whether char is signed: bytes compare unsigned, and UTF-8 names follow the ASCII ones.
bool LessIgnoringCase(const std::string &a, const std::string &b)
{
    const auto lowerLess = [](char x, char y) {
        const auto byte = [](char c) { return static_cast<unsigned char>(LowerAscii(c)); };
        return byte(x) < byte(y);
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lowerLess))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lowerLess))
        return false;
    return a < b;  // a stable order for names that differ only in case; unsigned as well
}

}  // namespace

std::vector<std::string> ListKeyFiles(const std::string &directory)
{
    std::vector<std::string> names;
    for (std::string &name : ListRegularFiles(directory, directory))
        if (name.front() != '.' && EndsWithIgnoringCase(name, ".key"))
            names.push_back(std::move(name));
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

std::string OutputNameFor(const std::string &listedName)
{
    if (listedName.size() < 4)
        throw FileError(ErrorCode::InvalidArgument, listedName, 0,
                        "the name is too short to carry an extension");
    return listedName.substr(0, listedName.size() - 4) + ".key";
}

}  // namespace zerka
