// SPDX-License-Identifier: MIT
// The hierarchy reader on any model text: parsing a section either yields well-formed
// records or a named error, and loading a whole file agrees with parsing the text after
// its last title, leaving the table exactly as it was whenever the load fails.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/hierarchy_reader.h"
#include "fuzz_support.h"

using namespace zerka;
using zerka::fuzz::Fail;
using zerka::fuzz::Require;

namespace {

constexpr std::string_view kTitle = "HIERARCHY NODES";
// The reader searches backwards in blocks of this size; padding the file to near a
// multiple of it puts the fuzzer's title across a block seam.
constexpr std::size_t kReaderBlock = 1 << 16;

bool SameRecord(const HierarchyNode &a, const HierarchyNode &b)
{
    return a.Num == b.Num && a.X == b.X && a.Y == b.Y && a.Z == b.Z && a.NodeName == b.NodeName;
}

const std::string &ScratchPath()
{
    static const std::string path = [] {
        // Memory-backed when the machine has it: the file is rewritten for every input.
        const char *dir = std::getenv("TMPDIR");
        const std::string base = dir && *dir                     ? dir
                                 : access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                                 : "/tmp";
        std::string pattern = base + "/zerka-fuzz-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            Fail("cannot create a scratch file");
        close(fd);
        return pattern;
    }();
    return path;
}

void WriteScratch(const std::string &bytes)
{
    // A new file each time: truncating one that holds data makes some file systems flush
    // it to disk on close, which slows the run a hundredfold.
    std::remove(ScratchPath().c_str());
    std::FILE *file = std::fopen(ScratchPath().c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0)
        Fail("cannot write the scratch file");
}

// Parses text; on failure checks the error and returns nothing.
std::optional<std::vector<HierarchyNode>> ParseChecked(std::string_view text,
                                                       const std::string &name, int *code)
{
    try {
        std::vector<HierarchyNode> records = ParseHierarchyText(text, name);
        Require(!records.empty() && records.size() <= static_cast<std::size_t>(kMaxHierarchyNodes),
                "record count out of bounds");
        for (const HierarchyNode &record : records)
            Require(!record.Num.empty() && !record.X.empty() && !record.Y.empty() &&
                        !record.Z.empty() && !record.NodeName.empty(),
                    "a record of 18 tokens has an empty field");
        return records;
    } catch (const FileError &error) {
        fuzz::RequireNamesFile(error, name, fuzz::CountLines(text));
        *code = static_cast<int>(error.Code);
        Require(*code == 9 || *code == 13 || *code == 62,
                "unexpected code " + std::to_string(*code) + ": " + error.what());
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    int parseCode = 0;
    ParseChecked(input, "fuzz.3do", &parseCode);

    // A leading 0x01 asks for geometry-like padding so the tail starts near a block seam.
    std::string file;
    if (input.size() >= 2 && input[0] == '\x01') {
        const std::size_t pad = kReaderBlock - 48 + static_cast<unsigned char>(input[1]) % 96;
        for (std::size_t i = 0; i < pad; ++i)
            file += (i % 32 == 31) ? '\n' : 'v';
        input.remove_prefix(2);
    }
    file.append(input);
    WriteScratch(file);

    static KeyframeTables tables;
    const bool isOld = size % 2 == 0;
    const std::int16_t countBefore = isOld ? tables.OldHierarchyCount : tables.NewHierarchyCount;
    const auto &table = isOld ? tables.OldHierarchy : tables.NewHierarchy;
    std::vector<HierarchyNode> before;
    for (int j = 1; j <= countBefore; ++j)
        before.push_back(table(j));

    const std::size_t title = file.rfind(kTitle);
    std::optional<std::vector<HierarchyNode>> expected;
    int expectedCode = 62;
    if (title != std::string::npos)
        expected = ParseChecked(std::string_view(file).substr(title), ScratchPath(), &expectedCode);

    try {
        LoadHierarchy(tables, ScratchPath(), isOld);
    } catch (const FileError &error) {
        fuzz::RequireNamesFile(error, ScratchPath(), fuzz::CountLines(file));
        Require(!expected, std::string("load failed where the tail parses: ") + error.what());
        Require(static_cast<int>(error.Code) == expectedCode,
                std::string("load and parse disagree on the code: ") + error.what());
        const std::int16_t countAfter = isOld ? tables.OldHierarchyCount : tables.NewHierarchyCount;
        Require(countAfter == countBefore, "a failed load changed the record count");
        for (int j = 1; j <= countBefore; ++j)
            Require(SameRecord(table(j), before[static_cast<std::size_t>(j - 1)]),
                    "a failed load changed record " + std::to_string(j));
        return 0;
    }
    Require(expected.has_value(), "load succeeded where the tail does not parse");
    const std::int16_t countAfter = isOld ? tables.OldHierarchyCount : tables.NewHierarchyCount;
    Require(countAfter == static_cast<std::int16_t>(expected->size()), "wrong record count");
    for (int j = 1; j <= countAfter; ++j)
        Require(SameRecord(table(j), (*expected)[static_cast<std::size_t>(j - 1)]),
                "load and parse disagree on record " + std::to_string(j));
    return 0;
}
