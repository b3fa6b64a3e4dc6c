// SPDX-License-Identifier: MIT
#include "keyframe_conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>

#include "keyframes/files.h"
#include "keyframes/key_file_writer.h"
#include "keyframes/key_header.h"
#include "keyframes/number_text.h"

namespace zerka {
namespace {

// An axis whose delta was at most this did not move, and is kept still.
constexpr double kStillThreshold = 0.00001;

// Ties every node to its joint; the nodes that move get their offsets. A joint whose
// position does not parse fails the file that reaches it.
std::vector<NodeOutcome> TieNodes(KeyframeTables &tables, const JointTies &ties)
{
    std::vector<NodeOutcome> outcomes;
    outcomes.reserve(static_cast<std::size_t>(std::max<int>(tables.KeyNodeCount, 0)));
    for (int i = 1; i <= tables.KeyNodeCount; ++i) {
        KeyNode &node = tables.KeyNodes(i);
        NodeOutcome outcome{node.Num, node.MeshName, ties.Tie(node.Num)};
        if (outcome.Tie.Fate == TieFate::Moved) {
            if (outcome.Tie.Problem)
                throw *outcome.Tie.Problem;
            node.OffsetX = outcome.Tie.Move.X;
            node.OffsetY = outcome.Tie.Move.Y;
            node.OffsetZ = outcome.Tie.Move.Z;
        }
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

// --renumber: dropped nodes go, the others take their joints' numbers in the new model,
// and the header's NODES and JOINTS lines tell what the file now holds. Two nodes that
// would get one number fail the file before anything changes.
void RenumberNodes(KeyframeTables &tables, const std::vector<NodeOutcome> &outcomes,
                   int newJointCount, const std::string &sourceName)
{
    std::unordered_map<std::int16_t, int> taken;  // new number -> node
    for (int i = 1; i <= tables.KeyNodeCount; ++i) {
        const JointTie &tie = outcomes[static_cast<std::size_t>(i - 1)].Tie;
        if (tie.Fate != TieFate::Moved)
            continue;
        const auto [earlier, fresh] = taken.try_emplace(tie.NewNumber, i);
        if (fresh)
            continue;
        const KeyNode &first = tables.KeyNodes(earlier->second);
        throw FileError(ErrorCode::InvalidArgument, sourceName, tables.KeyNodes(i).Line,
                        "NODE " + std::to_string(tie.Number) + " and NODE " +
                            std::to_string(first.Num) + " (line " + std::to_string(first.Line) +
                            ") would both become NODE " + std::to_string(tie.NewNumber));
    }
    std::int16_t kept = 0;
    for (int i = 1; i <= tables.KeyNodeCount; ++i) {
        const JointTie &tie = outcomes[static_cast<std::size_t>(i - 1)].Tie;
        if (tie.Fate != TieFate::Moved)
            continue;
        ++kept;
        if (kept != i)
            std::swap(tables.KeyNodes(kept), tables.KeyNodes(i));
        tables.KeyNodes(kept).Num = tie.NewNumber;
    }
    tables.KeyNodeCount = kept;
    RewriteCounts(tables, kept, newJointCount);
}

// What an entry's new values are derived from: its own frame and position and those of its
// successor (entry b + 1; for the last entry entry 1 when the node wraps, else itself).
struct Reading {
    double X = 0, Y = 0, Z = 0;
    int FrameGap = 0;  // to the successor
    double NextX = 0, NextY = 0, NextZ = 0;  // when the gap is not 0
};

// Reads each entry of one node in order. Entry b + 1's frame and position are read for
// entry b already and kept for its own turn: its texts do not change before then, and
// reading numbers is most of the conversion's time.
class NodeReader {
public:
    NodeReader(const KeyNode &node, bool wrapsAround, const std::string &file)
        : node_(node), wrapsAround_(wrapsAround), file_(file)
    {
    }

    [[gnu::always_inline]] Reading Read(int b)
    {
        const KeyEntry &entry = node_.Entries(b);
        const int s = b < node_.EntryCount ? b + 1 : (wrapsAround_ ? 1 : b);
        const KeyEntry &successor = node_.Entries(s);
        const Carried carried = std::exchange(next_, Carried{});

        const int f0 = carried.Frame ? carried.FrameValue
                                     : ParseIntegerText(entry.Frame(), At(entry, "frame"));
        const int f1 = s == b ? f0 : ParseIntegerText(successor.Frame(), At(successor, "frame"));
        Reading reading;
        reading.FrameGap = f1 - f0;
        if (reading.FrameGap < std::numeric_limits<std::int16_t>::min() ||
            reading.FrameGap > std::numeric_limits<std::int16_t>::max())
            throw FileError(ErrorCode::Overflow, file_, entry.Line,
                            "the frame difference to the next entry is outside 16 bits");
        next_.Frame = s == b + 1;
        next_.FrameValue = f1;

        reading.X = carried.Position ? carried.X : Number(entry, entry.X(), "X");
        reading.Y = carried.Position ? carried.Y : Number(entry, entry.Y(), "Y");
        reading.Z = carried.Position ? carried.Z : Number(entry, entry.Z(), "Z");
        if (reading.FrameGap != 0) {
            reading.NextX = Number(successor, successor.X(), "X");
            reading.NextY = Number(successor, successor.Y(), "Y");
            reading.NextZ = Number(successor, successor.Z(), "Z");
            if (s == b + 1)
                next_ = Carried{true, true, f1, reading.NextX, reading.NextY, reading.NextZ};
        }
        return reading;
    }

    TextSource At(const KeyEntry &entry, std::string_view what) const
    {
        return TextSource{file_, entry.Line, what};
    }
    double Number(const KeyEntry &entry, std::string_view text, std::string_view what) const
    {
        return ParseDoubleText(text, At(entry, what));
    }

private:
    struct Carried {
        bool Frame = false;
        bool Position = false;
        int FrameValue = 0;
        double X = 0, Y = 0, Z = 0;
    };
    const KeyNode &node_;
    bool wrapsAround_;
    const std::string &file_;
    Carried next_;
};

// The position deltas towards the successor; an axis whose delta was at most the threshold
// did not move before and does not move after.
[[gnu::always_inline]] inline std::array<double, 3> DeriveDeltas(const Reading &reading, const KeyEntry &entry,
                                   const NodeReader &reader)
{
    std::array<double, 3> deltas{};
    if (reading.FrameGap != 0)
        deltas = {(reading.NextX - reading.X) / reading.FrameGap,
                  (reading.NextY - reading.Y) / reading.FrameGap,
                  (reading.NextZ - reading.Z) / reading.FrameGap};
    const std::string_view texts[] = {entry.DX(), entry.DY(), entry.DZ()};
    static constexpr std::string_view kNames[] = {"DX", "DY", "DZ"};
    for (int axis = 0; axis < 3; ++axis)
        if (std::abs(reader.Number(entry, texts[axis], kNames[axis])) <= kStillThreshold)
            deltas[axis] = 0;
    return deltas;
}

// The three jobs of a node's shift are apart in the source and together in the code: kept
// out of line they cost the batch 3 % (docs/performance.md).
// Stores the shifted position and, unless it is the last entry, the derived deltas. Every
// value is formatted before any text is stored, so a value out of range leaves the entry as
// read; the texts are stored in one step.
[[gnu::always_inline]] inline void StoreEntry(KeyEntry &entry, const double (&values)[6], bool last, const NodeReader &reader)
{
    static constexpr std::string_view kNames[] = {"X", "Y", "Z", "DX", "DY", "DZ"};
    static constexpr int kFields[] = {KeyEntry::kX,  KeyEntry::kY,  KeyEntry::kZ,
                                      KeyEntry::kDX, KeyEntry::kDY, KeyEntry::kDZ};
    static constexpr int kPositionFields[] = {KeyEntry::kX, KeyEntry::kY, KeyEntry::kZ};
    char block[6 * kMaxFormattedDouble];
    std::size_t ends[6];
    char *write = block;
    for (int v = 0; v < 6; ++v) {  // the last entry's deltas too: a count of its own cost more
        write = FormatDoubleAt(values[v], write, reader.At(entry, kNames[v]));
        ends[v] = static_cast<std::size_t>(write - block);
    }
    if (last) {
        const std::size_t positionEnds[] = {ends[0], ends[1], ends[2]};
        entry.SetFields({block, ends[2]}, kPositionFields, positionEnds);
    } else {
        entry.SetFields({block, ends[5]}, kFields, ends);
    }
}

// Rewrites one node's entries in order, each right after its own values are computed, so
// entry b reads the unshifted texts of entry b + 1. The last entry keeps its deltas as
// read: a constant shift changes no velocity, and its successor (itself, or entry 1
// already shifted) says nothing of where the motion goes after the last key. Its texts are
// still read, so a last entry that does not parse fails the file all the same.
void ShiftNode(KeyNode &node, bool wrapsAround, const std::string &file)
{
    NodeReader reader(node, wrapsAround, file);
    for (int b = 1; b <= node.EntryCount; ++b) {
        KeyEntry &entry = node.Entries(b);
        const Reading reading = reader.Read(b);
        const std::array<double, 3> deltas = DeriveDeltas(reading, entry, reader);
        const double values[] = {reading.X + node.OffsetX, reading.Y + node.OffsetY,
                                 reading.Z + node.OffsetZ, deltas[0], deltas[1], deltas[2]};
        StoreEntry(entry, values, b == node.EntryCount, reader);
    }
}

std::vector<NodeOutcome> ConvertInPlace(KeyframeTables &tables, const JointTies &ties,
                                        const std::string &sourceName)
{
    std::vector<NodeOutcome> outcomes = TieNodes(tables, ties);
    if (ties.Renumber())
        RenumberNodes(tables, outcomes, ties.NewCount(), sourceName);
    // Renumbered, every node left moves.
    tables.MatchedCount = 0;
    for (int i = 1; i <= tables.KeyNodeCount; ++i) {
        if (!ties.Renumber() && outcomes[static_cast<std::size_t>(i - 1)].Tie.Fate != TieFate::Moved)
            continue;
        RaiseCounter(tables.MatchedCount);
        tables.MatchedNodes(tables.MatchedCount) = static_cast<std::int16_t>(i);
    }
    for (int m = 1; m <= tables.MatchedCount; ++m)
        ShiftNode(tables.KeyNodes(tables.MatchedNodes(m)), tables.WrapsAround, sourceName);
    return outcomes;
}

}  // namespace

std::vector<NodeOutcome> ConvertTables(KeyframeTables &tables, const JointTies &ties,
                                       const std::string &sourceName)
{
    try {
        return ConvertInPlace(tables, ties, sourceName);
    } catch (const FileError &error) {
        if (!error.File.empty())
            throw;
        // Raised by the tables themselves, which know no file.
        throw FileError(error.Code, sourceName, 0, error.Description);
    }
}

std::vector<NodeOutcome> ConvertTables(KeyframeTables &tables, const std::string &sourceName)
{
    return ConvertTables(tables, JointTies(tables, {}), sourceName);
}

void ConvertKeyFile(KeyframeTables &tables, OutputFolder &output, const std::string &name,
                    const std::string &markerDate, const std::set<FileIdentity> &keep)
{
    ConvertTables(tables, tables.SourceFileName);
    StagedFile staged = output.Stage(BuildKeyText(tables, markerDate), name);
    output.Publish(staged, keep);
    output.SyncNames();
}

}  // namespace zerka
