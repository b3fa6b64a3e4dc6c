// SPDX-License-Identifier: MIT
#include "conversion_report.h"

#include <algorithm>

#include "keyframes/key_file_writer.h"
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

// The number a JOINTS header line gives ("JOINTS 31"), or -1 when it gives none.
int JointsLineCount(std::string_view line)
{
    if (!IsJointsLine(line))
        return -1;
    line.remove_prefix(std::string_view("JOINTS").size());
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return -1;
    line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
    // A count is written as a joint number is: the same rule reads it.
    const std::optional<std::int16_t> count = JointNumberOf(line);
    return count && *count >= 0 && line.back() != ':' ? *count : -1;
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

std::vector<std::string> HeaderWarnings(const KeyframeTables &tables, const JointTies &ties)
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
        warnings.push_back(warning + " dropped: " + TieNote(node.Tie, ties));
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
