// SPDX-License-Identifier: MIT
#include "cli_report.h"

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

#include "keyframes/number_text.h"

namespace zerka {
namespace {

using Json = nlohmann::ordered_json;

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

std::string RecordsText(const HierarchyComparison &comparison)
{
    std::vector<Row> rows{{{"record", "old name", "new name", "dx", "dy", "dz"}, {}}};
    for (const RecordComparison &record : comparison.Records) {
        Row row{
            {std::to_string(record.Index), ShownName(record.OldName), ShownName(record.NewName)},
            {}};
        if (record.Fate != RecordFate::Matched)
            row.Note = "not matched: " + RecordNote(comparison, record);
        else if (!record.Problem.empty())
            row.Note = "cannot be moved: " + record.Problem;
        else {
            row.Cells.insert(row.Cells.end(), {FormatDouble(record.DX), FormatDouble(record.DY),
                                               FormatDouble(record.DZ)});
            row.Note = record.ByRename ? "matched through --rename" : "";
        }
        rows.push_back(std::move(row));
    }
    return "Records of " + comparison.OldModel + " (" + std::to_string(comparison.OldCount) +
           ") and " + comparison.NewModel + " (" + std::to_string(comparison.NewCount) +
           "), matched by position and name:\n" +
           LayOut(rows, {true, false, false, true, true, true}, "");
}

std::string FileText(const HierarchyComparison &comparison, const FileOutcome &file)
{
    if (!file.Converted)
        return ShownName(file.Name) + ": not converted: " + file.Reason + "\n";
    const std::vector<NodeReport> nodes = ReportNodes(comparison, file);
    std::vector<Row> rows{{{"record", "NODE", "mesh", "name", "dx", "dy", "dz"}, {}}};
    for (const NodeReport &node : nodes) {
        Row row{{std::to_string(node.Position), std::to_string(node.Num), ShownName(node.MeshName),
                 ShownName(node.RecordName)},
                {}};
        if (node.Moved)
            row.Cells.insert(row.Cells.end(),
                             {FormatDouble(node.DX), FormatDouble(node.DY), FormatDouble(node.DZ)});
        else
            row.Note = "left as read: " + node.Why;
        rows.push_back(std::move(row));
    }
    const auto moved = std::count_if(nodes.begin(), nodes.end(),
                                     [](const NodeReport &node) { return node.Moved; });
    std::string text = ShownName(file.Name) + ": " + std::to_string(moved) + " of " +
                       std::to_string(nodes.size()) + " nodes moved\n";
    if (!nodes.empty())
        text += LayOut(rows, {true, true, false, false, true, true, true}, "  ");
    return text;
}

// Moves as the key files carry them, to 8 decimals: 0.08, not 0.08000000000000002.
Json MoveJson(double dx, double dy, double dz)
{
    const auto rounded = [](double value) { return std::round(value * 1e8) / 1e8; };
    return {{"dx", rounded(dx)}, {"dy", rounded(dy)}, {"dz", rounded(dz)}};
}

Json NameJson(const std::string &name, bool present)
{
    return present ? Json(name) : Json(nullptr);
}

Json RecordsJson(const HierarchyComparison &comparison)
{
    Json records = Json::array();
    for (const RecordComparison &record : comparison.Records) {
        static constexpr const char *kFates[] = {"matched", "renamed", "only in old model",
                                                 "only in new model"};
        Json item = {{"record", record.Index},
                     {"old_name", NameJson(record.OldName, record.Fate != RecordFate::OnlyInNew)},
                     {"new_name", NameJson(record.NewName, record.Fate != RecordFate::OnlyInOld)},
                     {"matched", record.Fate == RecordFate::Matched},
                     {"fate", kFates[static_cast<int>(record.Fate)]}};
        if (record.ByRename)
            item["through_rename"] = true;
        if (record.Fate != RecordFate::Matched)
            item["why"] = RecordNote(comparison, record);
        else if (!record.Problem.empty())
            item["problem"] = record.Problem;
        else
            item["move"] = MoveJson(record.DX, record.DY, record.DZ);
        if (record.NewIndexOfOldName != 0)
            item["old_name_in_new_model"] = record.NewIndexOfOldName;
        records.push_back(std::move(item));
    }
    return records;
}

Json FileJson(const HierarchyComparison &comparison, const FileOutcome &file, bool withNodes)
{
    Json item = {{"name", file.Name}};
    if (!file.OutputName.empty())
        item["output"] = file.OutputName;
    item["outcome"] = file.Converted ? "converted" : "not converted";
    if (!file.Converted)
        item["reason"] = file.Reason;
    if (!withNodes || !file.Converted)
        return item;
    Json nodes = Json::array();
    for (const NodeReport &node : ReportNodes(comparison, file)) {
        Json entry = {{"record", node.Position},
                      {"node", node.Num},
                      {"mesh", node.MeshName},
                      {"name", node.RecordName},
                      {"moved", node.Moved}};
        if (node.Moved)
            entry["move"] = MoveJson(node.DX, node.DY, node.DZ);
        else
            entry["why"] = node.Why;
        nodes.push_back(std::move(entry));
    }
    item["nodes"] = std::move(nodes);
    return item;
}

}  // namespace

std::string ReportText(const HierarchyComparison &comparison, const BatchResult &result)
{
    std::string text = RecordsText(comparison);
    for (const FileOutcome &file : result.Files)
        text += "\n" + FileText(comparison, file);
    return text;
}

std::string ResultJson(const CliRun &run, const HierarchyComparison &comparison,
                       const BatchResult &result)
{
    Json document = {{"old_model", run.OldModel},
                     {"new_model", run.NewModel},
                     {"folder", run.Folder},
                     {"dry_run", run.DryRun},
                     {"converted", result.ConvertedCount()},
                     {"not_converted", result.NotConvertedCount()}};
    if (run.WithNodes)
        document["records"] = RecordsJson(comparison);
    Json files = Json::array();
    for (const FileOutcome &file : result.Files)
        files.push_back(FileJson(comparison, file, run.WithNodes));
    document["files"] = std::move(files);
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace zerka
