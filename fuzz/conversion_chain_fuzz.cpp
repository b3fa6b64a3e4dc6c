// SPDX-License-Identifier: MIT
// read -> convert -> build -> read again. Whatever the reader accepts, the converted text
// the writer makes must read back to the same nodes, entry counts and field texts; with
// both hierarchies equal, every position becomes its read value rounded to 8 decimals.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/keyframe_conversion.h"
#include "fuzz_support.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/key_file_writer.h"
#include "keyframes/number_text.h"

using namespace zerka;
using zerka::fuzz::Fail;
using zerka::fuzz::Require;

namespace {

const std::string kName = "fuzz.key";
const std::string kOldName = "old.3do";
const std::string kNewName = "new.3do";

struct NodeCopy {
    std::int16_t Num;
    std::string MeshName;
    std::vector<KeyEntry> Entries;
};

std::vector<NodeCopy> CopyNodes(const KeyframeTables &tables)
{
    std::vector<NodeCopy> nodes;
    for (int n = 1; n <= tables.KeyNodeCount; ++n) {
        const KeyNode &node = tables.KeyNodes(n);
        NodeCopy copy{node.Num, node.MeshName, {}};
        for (int b = 1; b <= node.EntryCount; ++b)
            copy.Entries.push_back(node.Entries(b));
        nodes.push_back(std::move(copy));
    }
    return nodes;
}

// Old and new hierarchies with one record per joint the nodes name, so every node is tied.
// Variant 0 keeps them equal; the others move every joint, some by amounts near the end of
// the double range. Renumbered, the new model lists the joints under reversed numbers.
void SetHierarchies(KeyframeTables &tables, int variant, bool renumber)
{
    static const char *const kMoves[] = {"0", "1.5", "-0.000000004", "1e300", "-1.7e308"};
    std::vector<std::int16_t> numbers;
    for (int n = 1; n <= tables.KeyNodeCount; ++n)
        if (std::find(numbers.begin(), numbers.end(), tables.KeyNodes(n).Num) == numbers.end())
            numbers.push_back(tables.KeyNodes(n).Num);
    if (numbers.empty())
        numbers.push_back(0);
    const int count = static_cast<int>(numbers.size());
    for (int i = 1; i <= count; ++i) {
        const std::int16_t number = numbers[static_cast<std::size_t>(i - 1)];
        const std::string name = "node" + std::to_string(i);
        HierarchyNode &oldRecord = tables.OldHierarchy(i);
        oldRecord = {};
        oldRecord.Num = std::to_string(number) + ":";
        oldRecord.JointNumber = number;
        oldRecord.X = "12.5";
        oldRecord.Y = "-3";
        oldRecord.Z = "0.000001";
        oldRecord.NodeName = name;
        HierarchyNode &newRecord = tables.NewHierarchy(i);
        newRecord = oldRecord;
        newRecord.NodeName = i % 2 ? "NODE" + name.substr(4) : name;
        if (renumber) {
            newRecord.JointNumber = static_cast<std::int16_t>(count - i);
            newRecord.Num = std::to_string(count - i) + ":";
        }
        if (variant != 0)
            newRecord.X = kMoves[variant];
    }
    tables.OldHierarchyCount = tables.NewHierarchyCount = static_cast<std::int16_t>(count);
    tables.OldHierarchyFile = kOldName;
    tables.NewHierarchyFile = kNewName;
}

double ParseOrFail(std::string_view text, const std::string &what)
{
    try {
        const double value = ParseDoubleText(text);
        Require(std::isfinite(value), what + " is not finite: " + std::string(text));
        return value;
    } catch (const FileError &error) {
        Fail(what + " '" + std::string(text) + "' does not read as a number: " + error.what());
    }
}

void CheckConverted(const std::vector<NodeCopy> &read, const KeyframeTables &tables, int variant)
{
    static const int kPositions[] = {3, 4, 5};
    static const int kDeltas[] = {9, 10, 11};
    for (std::size_t n = 0; n < read.size(); ++n) {
        const KeyNode &node = tables.KeyNodes(static_cast<int>(n) + 1);
        for (std::size_t b = 0; b < read[n].Entries.size(); ++b) {
            const KeyEntry &before = read[n].Entries[b];
            const KeyEntry &after = node.Entries(static_cast<int>(b) + 1);
            const std::string where =
                "node " + std::to_string(n + 1) + " entry " + std::to_string(b + 1);
            for (int f = 0; f < KeyEntry::kFieldCount; ++f) {
                const bool position = f >= 3 && f <= 5;
                const bool delta = f >= 9 && f <= 11;
                if (!position && !delta)
                    Require(after.Field(f) == before.Field(f),
                            where + ": field " + std::to_string(f) + " changed");
            }
            for (const int f : kPositions) {
                ParseOrFail(after.Field(f), where + " position");
                if (variant == 0) {
                    // The read value rounded by the C library, not by the code under test.
                    // Adding a zero offset turns -0 into +0; the texts then differ in sign only.
                    char rounded[400];
                    std::snprintf(rounded, sizeof rounded, "%.8f",
                                  std::strtod(std::string(before.Field(f)).c_str(), nullptr));
                    Require(after.Field(f) == rounded ||
                                ParseDoubleText(after.Field(f)) == ParseDoubleText(rounded),
                            where + ": position " + std::string(before.Field(f)) + " became " +
                                std::string(after.Field(f)));
                }
            }
            for (const int f : kDeltas)
                ParseOrFail(after.Field(f), where + " delta");
        }
    }
}

// Stated apart from the writer: the marker line takes the place of the source's first line
// only when that line, after a byte-order mark and blanks, is empty or a comment.
bool MarkerReplacesFirstLine(std::string_view line)
{
    if (line.starts_with("\xEF\xBB\xBF"))
        line.remove_prefix(3);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line.empty() || line.front() == '#';
}

void CheckReadBack(const KeyframeTables &built, const KeyframeTables &again)
{
    Require(again.KeyNodeCount == built.KeyNodeCount, "node count changed on reading back");
    // Line 1 is the marker line in the built text; every source line after the one it
    // replaces follows it unchanged, so a FLAGS or NODES first line is never lost.
    const int replaced = MarkerReplacesFirstLine(built.HeaderLines(1)) ? 1 : 0;
    Require(again.HeaderLineCount == built.HeaderLineCount + 1 - replaced,
            "header line count changed on reading back");
    for (int h = 1 + replaced; h <= built.HeaderLineCount; ++h)
        Require(again.HeaderLines(h + 1 - replaced) == built.HeaderLines(h),
                "header line " + std::to_string(h) + " changed on reading back");
    Require(again.WrapsAround == built.WrapsAround, "wrapping changed on reading back");
    for (int n = 1; n <= built.KeyNodeCount; ++n) {
        const KeyNode &a = built.KeyNodes(n);
        const KeyNode &b = again.KeyNodes(n);
        const std::string where = "node " + std::to_string(n);
        Require(a.Num == b.Num, where + ": number changed");
        Require(a.MeshName == b.MeshName, where + ": mesh name changed");
        Require(a.EntryCount == b.EntryCount, where + ": entry count changed");
        for (int e = 1; e <= a.EntryCount; ++e)
            for (int f = 0; f < KeyEntry::kFieldCount; ++f)
                Require(a.Entries(e).Field(f) == b.Entries(e).Field(f),
                        where + " entry " + std::to_string(e) + ": field " + std::to_string(f) +
                            " '" + std::string(a.Entries(e).Field(f)) + "' read back as '" +
                            std::string(b.Entries(e).Field(f)) + "'");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static KeyframeTables tables;
    static KeyframeTables again;
    if (size == 0)
        return 0;
    const int variant = data[0] % 5;
    const bool renumber = data[0] / 5 % 2 == 1;
    const std::string_view text(reinterpret_cast<const char *>(data) + 1, size - 1);

    try {
        LoadKeyText(tables, text, kName);
    } catch (const FileError &) {
        return 0;  // the reader's own errors are the key file target's business
    }
    const std::vector<NodeCopy> read = CopyNodes(tables);
    SetHierarchies(tables, variant, renumber);
    try {
        ConvertTables(tables, JointTies(tables, {{}, renumber}), kName);
    } catch (const FileError &error) {
        const std::string message = error.what();
        Require(error.File == kName || error.File == kOldName || error.File == kNewName,
                "conversion error names no file: " + message);
        Require(message.rfind(error.File, 0) == 0,
                "message does not start with the file: " + message);
        return 0;
    }
    CheckConverted(read, tables, variant);

    tables.SourceFileName = kName;
    std::string built;
    try {
        built = BuildKeyText(tables, "01/02/2003 04:05:06");
    } catch (const FileError &error) {
        Require(error.File == kName && tables.HeaderLineCount == kMaxHeaderLines &&
                    !MarkerReplacesFirstLine(tables.HeaderLines(1)),
                std::string("building failed on a header that fits: ") + error.what());
        return 0;
    }
    try {
        LoadKeyText(again, built, "again.key");
    } catch (const FileError &error) {
        Fail(std::string("a built text does not read back: ") + error.what());
    }
    CheckReadBack(tables, again);
    return 0;
}
