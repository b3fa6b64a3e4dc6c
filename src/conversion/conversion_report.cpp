// SPDX-License-Identifier: MIT
#include "conversion_report.h"

#include <algorithm>

#include "keyframes/key_header.h"
#include "keyframes/number_text.h"

namespace zerka {
namespace {

// A table row: cells in columns, then an optional note that runs on past the columns the
// row leaves empty.
struct Row {
    std::vector<std::string> Cells;
    std::string Note;
};

// Columns are as wide as their widest cell, in characters: UTF-8 continuation bytes take
// no room of their own.
std::size_t DisplayWidth(const std::string &text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Columns are two spaces apart; those marked in rightAligned hold numbers.
std::string LayOut(const std::vector<Row> &rows, const std::vector<bool> &rightAligned,
                   const std::string &indent)
{
    std::vector<std::size_t> widths(rightAligned.size(), 0);
    for (const Row &row : rows)
        for (std::size_t c = 0; c < row.Cells.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(row.Cells[c]));
    std::string text;
    for (const Row &row : rows) {
        std::string line = indent;
        for (std::size_t c = 0; c < row.Cells.size(); ++c) {
            const std::string pad(widths[c] - DisplayWidth(row.Cells[c]), ' ');
            line += c == 0 ? "" : "  ";
            line += rightAligned[c] ? pad + row.Cells[c] : row.Cells[c] + pad;
        }
        if (!row.Note.empty())
            line += "  " + row.Note;
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + '\n';
    }
    return text;
}

// The move as cells, or the note that takes their place.
void AddMove(Row &row, const JointTie &tie, const std::string &note)
{
    if (tie.Fate == TieFate::Moved && !tie.NoMove() && !tie.Problem)
        row.Cells.insert(row.Cells.end(), {FormatDouble(tie.Move.X), FormatDouble(tie.Move.Y),
                                           FormatDouble(tie.Move.Z)});
    row.Note = note;
}

std::string JointsText(const JointTies &ties)
{
    std::vector<Row> rows{{{"joint", "old name", "new name", "dx", "dy", "dz"}, {}}};
    for (const JointTie &tie : ties.Rows()) {
        const bool numbered = tie.Numbered && tie.Why != TieWhy::NewJoint;
        Row row{{numbered ? std::to_string(tie.Number) : "-", ShownName(tie.OldName),
                 ShownName(tie.NewName)},
                {}};
        std::string note;
        if (tie.Why == TieWhy::NewJoint)
            note = TieNote(tie, ties);
        else if (!tie.Numbered)
            note = "no joint number: no NODE line can name it";
        else if (tie.Problem)
            note = std::string("cannot be moved: ") + tie.Problem->what();
        else
            note = NodeNote(tie, ties);
        if (tie.ByRename)
            note += std::string(note.empty() ? "" : "; ") + "matched through --rename";
        AddMove(row, tie, note);
        rows.push_back(std::move(row));
    }
    return "Joints of " + ties.OldModel() + " (" + std::to_string(ties.OldCount()) + ") and " +
           ties.NewModel() + " (" + std::to_string(ties.NewCount()) + "), " +
           (ties.Renumber() ? "followed by name (--renumber):\n" : "tied by number and name:\n") +
           LayOut(rows, {true, false, false, true, true, true}, "");
}

std::string FileText(const JointTies &ties, const FileOutcome &file)
{
    if (!file.Converted)
        return ShownName(file.Name) + ": not converted: " + file.Reason + "\n";
    std::vector<Row> rows{{{"NODE", "mesh", "joint", "dx", "dy", "dz"}, {}}};
    int counts[4] = {};  // moved, matched with no move, left, dropped
    for (const FileNode &node : file.Nodes) {
        const JointTie tie = ties.Tie(node.Num);
        ++counts[tie.Fate == TieFate::Moved ? (tie.NoMove() ? 1 : 0)
                 : tie.Fate == TieFate::Left ? 2
                                              : 3];
        Row row{{std::to_string(node.Num), ShownName(node.MeshName),
                 ShownName(tie.OldName.empty() ? tie.NewName : tie.OldName)},
                {}};
        AddMove(row, tie, NodeNote(tie, ties));
        rows.push_back(std::move(row));
    }
    std::string text = ShownName(file.Name) + ": " + std::to_string(counts[0]) + " moved, " +
                       std::to_string(counts[1]) + " matched with no move, " +
                       std::to_string(counts[2]) + " left as read, " + std::to_string(counts[3]) +
                       " dropped\n";
    if (!file.Nodes.empty())
        text += LayOut(rows, {true, false, false, true, true, true}, "  ");
    return text;
}

}  // namespace

const char *FateName(const JointTie &tie)
{
    switch (tie.Fate) {
    case TieFate::Moved: return tie.NoMove() ? "matched" : "moved";
    case TieFate::Left: return "left";
    case TieFate::Dropped: return "dropped";
    }
    return "";
}

std::string NodeNote(const JointTie &tie, const JointTies &ties)
{
    std::string note;
    switch (tie.Fate) {
    case TieFate::Moved: note = tie.NoMove() ? "matched, no move" : ""; break;
    case TieFate::Left: return "left as read: " + TieNote(tie, ties);
    case TieFate::Dropped: return "dropped: " + TieNote(tie, ties);
    }
    if (tie.Followed())
        note += std::string(note.empty() ? "" : "; ") + "followed from joint " +
                std::to_string(tie.Number) + " to joint " + std::to_string(tie.NewNumber);
    return note;
}

namespace {

// A joint's move shorter than this says nothing of where a node sits.
constexpr double kPlacementMove = 0.0001;

double DistanceSquared(double x, double y, double z, const RecordMove &to)
{
    return (x - to.X) * (x - to.X) + (y - to.Y) * (y - to.Y) + (z - to.Z) * (z - to.Z);
}

// Whether more than half of the nodes whose joints moved far enough start nearer to their
// joint's place in the new model than in the old one, as read.
bool SitsAtNewJoints(const KeyframeTables &tables, const JointTies &ties)
{
    int counted = 0, nearerNew = 0;
    for (int n = 1; n <= tables.KeyNodeCount; ++n) {
        const KeyNode &node = tables.KeyNodes(n);
        const JointTie tie = ties.Tie(node.Num);
        const RecordMove &move = tie.Move;
        if (tie.Fate != TieFate::Moved || tie.Problem || node.EntryCount < 1 ||
            move.X * move.X + move.Y * move.Y + move.Z * move.Z <= kPlacementMove * kPlacementMove)
            continue;
        const KeyEntry &first = node.Entries(1);
        double x = 0, y = 0, z = 0;
        try {
            const TextSource at{tables.SourceFileName, first.Line, "X"};
            x = ParseDoubleText(first.X(), at);
            y = ParseDoubleText(first.Y(), at);
            z = ParseDoubleText(first.Z(), at);
        } catch (const FileError &) {
            continue;  // the conversion fails the file on it
        }
        ++counted;
        if (DistanceSquared(x, y, z, tie.NewAt) < DistanceSquared(x, y, z, tie.OldAt))
            ++nearerNew;
    }
    return nearerNew * 2 > counted;
}

std::string Names(const std::vector<std::string> &names)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

}  // namespace

std::vector<std::string> SourceWarnings(const KeyframeTables &tables, const JointTies &ties)
{
    std::vector<std::string> warnings;
    if (tables.HeaderLineCount > 0 && IsMarkerLine(tables.HeaderLines(1)))
        warnings.push_back("already converted by Zerka; converting it again shifts it twice");
    for (int h = 1; h <= tables.HeaderLineCount; ++h) {
        const int joints = JointsLineCount(tables.HeaderLines(h));
        if (joints >= 0 && joints != ties.OldCount()) {
            warnings.push_back("made for a model of " + std::to_string(joints) + " joints; " +
                               ties.OldModel() + " has " + std::to_string(ties.OldCount()));
            break;
        }
    }
    if (SitsAtNewJoints(tables, ties))
        warnings.push_back("its nodes sit at " + ties.NewModel() + "'s joints, not " +
                           ties.OldModel() +
                           "'s: converted already, or the two models the wrong way round?");
    return warnings;
}

std::vector<std::string> BatchWarnings(const JointTies &ties, const std::string &directory,
                                       const std::vector<std::string> &names)
{
    std::vector<std::string> warnings;
    if (ties.NothingMoves())
        warnings.push_back(ties.OldModel() + " and " + ties.NewModel() +
                           " have the same joints in the same places: nothing will move");
    if (names.empty())
        warnings.push_back(ShownName(directory) + ": no .key files");
    return warnings;
}

void AddNodeWarnings(std::vector<std::string> &warnings, const std::vector<NodeOutcome> &nodes,
                     const JointTies &ties, bool dryRun)
{
    const auto count = [&nodes](auto test) {
        return std::count_if(nodes.begin(), nodes.end(),
                             [&test](const NodeOutcome &node) { return test(node.Tie); });
    };
    const auto renumbered = count([](const JointTie &tie) { return tie.Why == TieWhy::NumberedDifferently; });
    if (renumbered == 1)
        warnings.push_back("1 node is on a joint the new model numbers differently; "
                           "--renumber follows it");
    else if (renumbered > 1)
        warnings.push_back(std::to_string(renumbered) +
                           " nodes are on joints the new model numbers differently; "
                           "--renumber follows them");
    // A renamed joint leaves its node where it was: the animation no longer fits.
    std::vector<const NodeOutcome *> renamed;
    for (const NodeOutcome &node : nodes)
        if (node.Tie.Why == TieWhy::Renamed && node.Tie.RenameHint)
            renamed.push_back(&node);
    if (renamed.size() == 1) {
        const JointTie &tie = renamed.front()->Tie;
        const std::string oldName = ShownName(tie.OldName), newName = ShownName(tie.NewName);
        warnings.push_back("NODE " + std::to_string(tie.Number) + " (" + oldName +
                           ") left as read: joint " + std::to_string(tie.Number) + " is " +
                           newName + " in " + ties.NewModel() + "; --rename " + oldName + "=" +
                           newName + " moves it");
    } else if (renamed.size() > 1) {
        std::string which, options;
        for (const NodeOutcome *node : renamed) {
            const std::string oldName = ShownName(node->Tie.OldName);
            const std::string newName = ShownName(node->Tie.NewName);
            which += (which.empty() ? "" : ", ") + std::to_string(node->Tie.Number) + " (" +
                     oldName + " is " + newName + ")";
            options += " --rename " + oldName + "=" + newName;
        }
        warnings.push_back(std::to_string(renamed.size()) + " nodes left as read on joints " +
                           ties.NewModel() + " renamed: NODE " + which + ";" + options +
                           " moves them");
    }
    const auto moved = count([](const JointTie &tie) { return tie.Fate == TieFate::Moved; });
    const auto dropped = count([](const JointTie &tie) { return tie.Fate == TieFate::Dropped; });
    if (!nodes.empty() && moved == 0 && dropped == 0)
        warnings.push_back(std::string("no node matches the new model; ") +
                           (dryRun ? "would be written unchanged" : "written unchanged"));
    for (const NodeOutcome &node : nodes) {
        if (node.Tie.Fate != TieFate::Dropped)
            continue;
        std::string warning = "NODE " + std::to_string(node.Num);
        if (!node.Tie.OldName.empty())
            warning += " (" + ShownName(node.Tie.OldName) + ")";
        warning += " dropped: " + TieNote(node.Tie, ties);
        // A joint that cannot be followed by name may have been renamed into one of these.
        if (node.Tie.Why == TieWhy::NameNotInNew) {
            const std::vector<std::string> candidates = ties.NewNames();
            if (!candidates.empty())
                warning += "; joints new in " + ties.NewModel() + ": " + Names(candidates) +
                           " (for --rename)";
        }
        warnings.push_back(warning);
    }
}

std::string ReportText(const BatchResult &result)
{
    if (!result.Ties)
        return {};
    std::string text = JointsText(*result.Ties);
    for (const FileOutcome &file : result.Files) {
        text += '\n';
        text += FileText(*result.Ties, file);
    }
    return text;
}

}  // namespace zerka
