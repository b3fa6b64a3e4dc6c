// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "conversion/batch_conversion.h"

// The window's second chance after a batch: where the warnings say that nodes sit on joints
// the new model numbers differently, or on joints it renamed, the summary box offers to
// convert again, following them, as zerka-cli's --renumber and --rename do.
namespace zerka {

struct ConvertAgainOffer {
    bool Renumber = false;  // nodes sit on joints the new model numbers differently
    std::vector<NodeRename> Renames;  // the renames the report proposes, in the order found

    bool Any() const { return Renumber || !Renames.empty(); }
};

// What a batch's result offers; nothing for a batch that did not run, or ran with options.
ConvertAgainOffer OfferFor(const BatchResult &result);

// The choices of the dialog, in its order: the renumbering box, when offered, then one box
// per rename.
struct ConvertAgainChoice {
    std::string Label;
    bool Ticked = true;
};
std::vector<ConvertAgainChoice> ChoicesFor(const ConvertAgainOffer &offer);

// The options the ticked choices make, choices in the order ChoicesFor gives them.
MatchOptions OptionsFor(const ConvertAgainOffer &offer, const std::vector<bool> &ticked);

// zerka-cli's words for the same options: "zerka-cli --renumber --rename head=sensor".
std::string CliWordsFor(const MatchOptions &options);

inline constexpr const char *kConvertAgainButton = "Convert &again\u2026";
inline constexpr const char *kConvertAgainCaption = "Convert again";
inline constexpr const char *kConvertAgainConvert = "Con&vert";
inline constexpr const char *kConvertAgainCancel = "Cancel";

}  // namespace zerka
