// SPDX-License-Identifier: MIT
#include "keyframe_conversion.h"

#include <algorithm>
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

// Rewrites one node's entries in order. Each entry is rewritten right after its own values
// are computed, so entry b reads the unshifted texts of entry b + 1. The last entry keeps
// its deltas as read: a constant shift changes no velocity, and its successor (itself, or
// entry 1 already shifted) says nothing of where the motion goes after the last key. Its
// texts are still read, so a last entry that does not parse fails the file all the same.
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
        const auto number = [&at](const KeyEntry &e, std::string_view text, std::string_view what) {
            return ParseDoubleText(text, at(e, what));
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
        static constexpr int kPositionFields[] = {KeyEntry::kX, KeyEntry::kY, KeyEntry::kZ};
        const bool last = b == node.EntryCount;
        const int count = last ? 3 : 6;
        // The texts are stored in one step.
        char block[6 * kMaxFormattedDouble];
        std::size_t ends[6];
        char *write = block;
        for (int v = 0; v < count; ++v) {
            write = FormatDoubleAt(values[v], write, at(entry, kNames[v]));
            ends[v] = static_cast<std::size_t>(write - block);
        }
        if (last) {
            const std::size_t positionEnds[] = {ends[0], ends[1], ends[2]};
            entry.SetFields({block, ends[2]}, kPositionFields, positionEnds);
        } else {
            entry.SetFields({block, ends[5]}, kFields, ends);
        }
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
