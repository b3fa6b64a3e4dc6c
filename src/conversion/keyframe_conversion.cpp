// SPDX-License-Identifier: MIT
#include "keyframe_conversion.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "keyframes/files.h"
#include "keyframes/key_file_writer.h"
#include "keyframes/number_text.h"

namespace zerka {
namespace {

// An axis whose delta was at most this did not move, and is kept still.
constexpr double kStillThreshold = 0.00001;

void MatchNodes(KeyframeTables &tables)
{
    tables.MatchedCount = 0;
    const int reach =
        std::min<int>({tables.KeyNodeCount, tables.OldHierarchyCount, tables.NewHierarchyCount});
    for (int i = 1; i <= reach; ++i) {
        if (!RecordsMatch(tables, i))
            continue;
        KeyNode &node = tables.KeyNodes(i);
        const RecordMove move = MoveOfRecord(tables, i);
        node.OffsetX = move.X;
        node.OffsetY = move.Y;
        node.OffsetZ = move.Z;
        RaiseCounter(tables.MatchedCount);
        tables.MatchedNodes(tables.MatchedCount) = static_cast<std::int16_t>(i);
    }
}

// Rewrites one node's entries in order. Each entry is rewritten right after its own values
// are computed, so entry b reads the unshifted texts of entry b + 1, while the last entry
// of a wrapping node reads entry 1 already shifted: files made by the tool have always
// been derived this way.
void ShiftNode(KeyNode &node, bool wrapsAround, const std::string &file)
{
    // Entry b + 1's frame and position are read for entry b already and are kept for its
    // own turn: its texts do not change before then, and reading numbers is most of the
    // conversion's time.
    struct Carried {
        bool Frame = false;
        bool Position = false;
        int FrameValue = 0;
        double X = 0, Y = 0, Z = 0;
    } next;

    for (int b = 1; b <= node.EntryCount; ++b) {
        KeyEntry &entry = node.Entries(b);
        const int s = b < node.EntryCount ? b + 1 : (wrapsAround ? 1 : b);
        const KeyEntry &successor = node.Entries(s);
        const Carried carried = next;
        next = Carried{};

        const auto at = [&file](const KeyEntry &e, std::string_view what) {
            return TextSource{file, e.Line, what};
        };
        // Where the text is placed matters only for an error: most texts are plain
        // decimals, read without it.
        const auto number = [&at](const KeyEntry &e, std::string_view text, std::string_view what) {
            double value;
            return TryParsePlainNumber(text, value) ? value : ParseDoubleText(text, at(e, what));
        };
        const int f0 =
            carried.Frame ? carried.FrameValue : ParseIntegerText(entry.Frame(), at(entry, "frame"));
        const int f1 = s == b ? f0 : ParseIntegerText(successor.Frame(), at(successor, "frame"));
        const int d = f1 - f0;
        if (d < std::numeric_limits<std::int16_t>::min() ||
            d > std::numeric_limits<std::int16_t>::max())
            throw FileError(ErrorCode::Overflow, file, entry.Line,
                            "the frame difference to the next entry is outside 16 bits");
        next.Frame = s == b + 1;
        next.FrameValue = f1;

        const double x = carried.Position ? carried.X : number(entry, entry.X(), "X");
        const double y = carried.Position ? carried.Y : number(entry, entry.Y(), "Y");
        const double z = carried.Position ? carried.Z : number(entry, entry.Z(), "Z");
        double vx = 0, vy = 0, vz = 0;
        if (d != 0) {
            const double sx = number(successor, successor.X(), "X");
            const double sy = number(successor, successor.Y(), "Y");
            const double sz = number(successor, successor.Z(), "Z");
            vx = (sx - x) / d;
            vy = (sy - y) / d;
            vz = (sz - z) / d;
            if (s == b + 1)
                next = Carried{true, true, f1, sx, sy, sz};
        }
        if (std::abs(number(entry, entry.DX(), "DX")) <= kStillThreshold)
            vx = 0;
        if (std::abs(number(entry, entry.DY(), "DY")) <= kStillThreshold)
            vy = 0;
        if (std::abs(number(entry, entry.DZ(), "DZ")) <= kStillThreshold)
            vz = 0;

        // Every value is formatted before any text is stored, so a value out of range
        // leaves the entry as read.
        const double values[] = {x + node.OffsetX, y + node.OffsetY, z + node.OffsetZ, vx, vy, vz};
        static constexpr std::string_view kNames[] = {"X", "Y", "Z", "DX", "DY", "DZ"};
        static constexpr int kFields[] = {KeyEntry::kX,  KeyEntry::kY,  KeyEntry::kZ,
                                          KeyEntry::kDX, KeyEntry::kDY, KeyEntry::kDZ};
        // The six texts are stored in one step.
        char block[6 * kMaxFormattedDouble];
        std::size_t ends[6];
        char *write = block;
        for (int v = 0; v < 6; ++v) {
            write = FormatDoubleAt(values[v], write, at(entry, kNames[v]));
            ends[v] = static_cast<std::size_t>(write - block);
        }
        entry.SetFields({block, ends[5]}, kFields, ends);
    }
}

}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

const std::string &MatchingName(const KeyframeTables &tables, const std::string &newName)
{
    for (const NodeRename &rename : tables.Renames)
        if (SameNameIgnoringCase(rename.NewName, newName))
            return rename.OldName;
    return newName;
}

bool RecordsMatch(const KeyframeTables &tables, int index)
{
    if (index < 1 || index > tables.OldHierarchyCount || index > tables.NewHierarchyCount)
        return false;
    return SameNameIgnoringCase(tables.OldHierarchy(index).NodeName,
                                MatchingName(tables, tables.NewHierarchy(index).NodeName));
}

RecordMove MoveOfRecord(const KeyframeTables &tables, int index)
{
    const HierarchyNode &oldRecord = tables.OldHierarchy(index);
    const HierarchyNode &newRecord = tables.NewHierarchy(index);
    auto offset = [&](const std::string HierarchyNode::*axis, const char *name) {
        const TextSource inNew{tables.NewHierarchyFile, newRecord.Line, name, kHierarchyLineScope};
        const TextSource inOld{tables.OldHierarchyFile, oldRecord.Line, name, kHierarchyLineScope};
        return ParseDoubleText(newRecord.*axis, inNew) - ParseDoubleText(oldRecord.*axis, inOld);
    };
    return {offset(&HierarchyNode::X, "X"), offset(&HierarchyNode::Y, "Y"),
            offset(&HierarchyNode::Z, "Z")};
}

void ConvertTables(KeyframeTables &tables, const std::string &sourceName)
{
    MatchNodes(tables);
    for (int m = 1; m <= tables.MatchedCount; ++m)
        ShiftNode(tables.KeyNodes(tables.MatchedNodes(m)), tables.WrapsAround, sourceName);
}

void ConvertKeyFile(KeyframeTables &tables, const std::string &outputPath)
{
    ConvertTables(tables, tables.SourceFileName);
    const std::string text = BuildKeyText(tables);
    WriteTextFile(outputPath, text);
}

}  // namespace zerka
