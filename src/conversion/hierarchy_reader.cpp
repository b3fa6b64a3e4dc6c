// SPDX-License-Identifier: MIT
#include "hierarchy_reader.h"

#include <algorithm>
#include <cstdint>

#include "conversion/joint_ties.h"
#include "keyframes/text_rules.h"

namespace zerka {
namespace {

constexpr std::string_view kSectionTitle = "HIERARCHY NODES";
constexpr std::size_t kBlockSize = 1 << 16;
constexpr int kMinRecordTokens = 18;

// A line that is not a record: the title, a blank line, or a comment.
bool IsSkippedLine(std::string_view line)
{
    if (line.substr(0, kSectionTitle.size()) == kSectionTitle)
        return true;
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == '#';
}

HierarchyNode ParseRecord(std::string_view line, const std::string &sourceName, int lineNo)
{
    HierarchyNode node;
    node.Line = lineNo;
    int count = 0;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        const std::string_view token = line.substr(start, i - start);
        switch (count++) {
        case 0:
            node.Num.assign(token);
            node.JointNumber = JointNumberOf(token);
            break;
        case 8: node.X.assign(token); break;
        case 9: node.Y.assign(token); break;
        case 10: node.Z.assign(token); break;
        case 17: node.NodeName.assign(token); break;
        default: break;
        }
    }
    if (count < kMinRecordTokens)
        throw FileError(ErrorCode::TypeMismatch, sourceName, lineNo,
                        "a hierarchy record needs at least 18 values, found " +
                            std::to_string(count),
                        kHierarchyLineScope);
    return node;
}

}  // namespace

std::string ReadHierarchyTail(const InputFile &file)
{
    // Blocks are read from the end towards the start until the title turns up; each
    // search also covers the start of the block after it, for a title across the seam.
    // Only then is the tail read, so memory stays at one block while searching.
    const std::uint64_t length = file.Size();
    std::string window;
    std::uint64_t pos = length;
    while (pos > 0) {
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(pos, kBlockSize));
        pos -= size;
        const std::string seam = window.substr(0, kSectionTitle.size() - 1);
        window.assign(size, '\0');
        file.ReadAt(pos, window.data(), window.size());
        window += seam;
        const std::size_t found = window.rfind(kSectionTitle);
        if (found == std::string::npos)
            continue;
        const std::uint64_t start = pos + found;
        if (length - start > kMaxTextBytes)
            throw FileError(ErrorCode::OutOfMemory, file.Name(), 0,
                            "the hierarchy section is larger than 64 MiB");
        std::string tail(static_cast<std::size_t>(length - start), '\0');
        file.ReadAt(start, tail.data(), tail.size());
        return tail;
    }
    throw FileError(ErrorCode::InputPastEnd, file.Name(), 0,
                    "no hierarchy section: the file has no \"HIERARCHY NODES\" title");
}

std::vector<HierarchyNode> ParseHierarchyText(std::string_view text, const std::string &sourceName)
{
    std::vector<HierarchyNode> records;
    LineSplitter lines(text);
    for (std::string_view line; lines.Next(line);) {
        const int lineNo = lines.LineNumber();
        if (IsSkippedLine(line))
            continue;
        if (records.size() == static_cast<std::size_t>(kMaxHierarchyNodes))
            throw FileError(ErrorCode::Subscript, sourceName, lineNo,
                            "more than 1000 hierarchy records", kHierarchyLineScope);
        records.push_back(ParseRecord(line, sourceName, lineNo));
    }
    if (records.empty())
        throw FileError(ErrorCode::InputPastEnd, sourceName, 0, "hierarchy section has no records");
    return records;
}

void LoadHierarchy(KeyframeTables &tables, const std::string &path, bool isOld,
                   const std::string &name)
{
    const std::string &shown = name.empty() ? path : name;
    const std::string text = ReadHierarchyTail(InputFile::Open(path, shown));
    const std::vector<HierarchyNode> records = ParseHierarchyText(text, shown);

    // Only now, with every record read, is the table changed. Records beyond the new
    // count keep what an earlier, longer file left; matching never looks at them.
    auto &table = isOld ? tables.OldHierarchy : tables.NewHierarchy;
    for (std::size_t j = 0; j < records.size(); ++j)
        table(static_cast<int>(j) + 1) = records[j];
    (isOld ? tables.OldHierarchyCount : tables.NewHierarchyCount) =
        static_cast<std::int16_t>(records.size());
    (isOld ? tables.OldHierarchyFile : tables.NewHierarchyFile) = shown;
}

}  // namespace zerka
