// SPDX-License-Identifier: MIT
#include "convert_again.h"

#include <algorithm>

#include "keyframes/keyframe_tables.h"

namespace zerka {

ConvertAgainOffer OfferFor(const BatchResult &result)
{
    ConvertAgainOffer offer;
    if (!result.Ties || result.Ties->Renumber())
        return offer;
    for (const FileOutcome &file : result.Files) {
        if (!file.Converted)
            continue;
        for (const FileNode &node : file.Nodes) {
            const JointTie tie = result.Ties->Tie(node.Num);
            if (tie.Why == TieWhy::NumberedDifferently)
                offer.Renumber = true;
            // Exactly the renames the report proposes ("perhaps --rename a=b").
            if (tie.Why != TieWhy::Renamed || !tie.RenameHint)
                continue;
            const bool known = std::any_of(offer.Renames.begin(), offer.Renames.end(),
                                           [&tie](const NodeRename &rename) {
                                               return rename.OldName == tie.OldName &&
                                                      rename.NewName == tie.NewName;
                                           });
            if (!known)
                offer.Renames.push_back({tie.OldName, tie.NewName});
        }
    }
    return offer;
}

std::vector<ConvertAgainChoice> ChoicesFor(const ConvertAgainOffer &offer)
{
    std::vector<ConvertAgainChoice> choices;
    if (offer.Renumber)
        choices.push_back({"Follow joints whose numbers changed (as zerka-cli --renumber)", true});
    for (const NodeRename &rename : offer.Renames)
        choices.push_back({ShownName(rename.OldName) + " \u2192 " + ShownName(rename.NewName), true});
    return choices;
}

MatchOptions OptionsFor(const ConvertAgainOffer &offer, const std::vector<bool> &ticked)
{
    MatchOptions options;
    std::size_t choice = 0;
    const auto next = [&] { return choice < ticked.size() && ticked[choice++]; };
    if (offer.Renumber)
        options.Renumber = next();
    for (const NodeRename &rename : offer.Renames)
        if (next())
            options.Renames.push_back(rename);
    return options;
}

std::string CliWordsFor(const MatchOptions &options)
{
    std::string words = "zerka-cli";
    if (options.Renumber)
        words += " --renumber";
    for (const NodeRename &rename : options.Renames)
        words += " --rename " + ShownName(rename.OldName) + "=" + ShownName(rename.NewName);
    return words;
}

}  // namespace zerka
