// SPDX-License-Identifier: MIT
#include "cli_report.h"

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

#include "keyframes/number_text.h"

namespace zerka {
namespace {

using Json = nlohmann::ordered_json;

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

// What a tie makes of a node, with the move or the reason.
void AddTie(Json &item, const JointTie &tie, const JointTies &ties)
{
    item["fate"] = FateName(tie);
    if (tie.Followed())
        item["new_joint"] = tie.NewNumber;
    if (tie.ByRename)
        item["through_rename"] = true;
    if (tie.Problem)
        item["problem"] = tie.Problem->what();
    else if (tie.Fate == TieFate::Moved)
        item["move"] = MoveJson(tie.Move.X, tie.Move.Y, tie.Move.Z);
    if (tie.Fate != TieFate::Moved)
        item["why"] = TieNote(tie, ties);
}

Json JointsJson(const JointTies &ties)
{
    Json joints = Json::array();
    for (const JointTie &tie : ties.Rows()) {
        const bool numbered = tie.Numbered && tie.Why != TieWhy::NewJoint;
        Json item = {{"joint", numbered ? Json(tie.Number) : Json(nullptr)},
                     {"old_name", NameJson(tie.OldName, !tie.OldName.empty())},
                     {"new_name", NameJson(tie.NewName, !tie.NewName.empty())}};
        if (tie.Why == TieWhy::NewJoint) {
            item["new_joint"] = tie.NewNumber;
            item["fate"] = "new";
            item["why"] = TieNote(tie, ties);
        } else if (numbered) {
            AddTie(item, tie, ties);
        } else {
            item["why"] = "no joint number";
        }
        joints.push_back(std::move(item));
    }
    return joints;
}

Json FileJson(const JointTies *ties, const FileOutcome &file, bool withNodes)
{
    Json item = {{"name", file.Name}};
    if (!file.OutputName.empty())
        item["output"] = file.OutputName;
    item["outcome"] = file.Converted ? "converted" : "not converted";
    if (!file.Converted)
        item["reason"] = file.Reason;
    if (!file.Warnings.empty())
        item["warnings"] = file.Warnings;
    if (!withNodes || !file.Converted || ties == nullptr)
        return item;
    Json nodes = Json::array();
    for (const FileNode &node : file.Nodes) {
        const JointTie tie = ties->Tie(node.Num);
        Json entry = {{"node", node.Num},
                      {"mesh", node.MeshName},
                      {"joint_name", tie.OldName.empty() ? tie.NewName : tie.OldName}};
        AddTie(entry, tie, *ties);
        nodes.push_back(std::move(entry));
    }
    item["nodes"] = std::move(nodes);
    return item;
}

}  // namespace

std::string ResultJson(const CliRun &run, const BatchResult &result)
{
    Json document = {{"old_model", run.OldModel},
                     {"new_model", run.NewModel},
                     {"folder", run.Folder},
                     {"dry_run", run.DryRun},
                     {"converted", result.ConvertedCount()},
                     {"not_converted", result.NotConvertedCount()}};
    if (!result.Warnings.empty())
        document["warnings"] = result.Warnings;  // the batch's own, before any file's
    if (run.WithNodes && result.Ties)
        document["joints"] = JointsJson(*result.Ties);
    Json files = Json::array();
    for (const FileOutcome &file : result.Files)
        files.push_back(FileJson(result.Ties.get(), file, run.WithNodes));
    document["files"] = std::move(files);
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace zerka
