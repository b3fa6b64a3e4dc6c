// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "conversion/batch_conversion.h"

// The texts that tell a batch's result, the same in the window and on the command line.
// Lines break with LF; the window shows the summary box's CR LF itself.
namespace zerka {

// "Converted:  3\nNot Converted:  1": each count as the sign-space conversion writes it.
std::string CountsText(const BatchResult &result);

// "walk.key: reason", one per file not converted, in list order.
std::vector<std::string> FailureLines(const BatchResult &result);

// The batch's own warnings, then "walk.key: warning", one per warning of a converted file,
// in list order.
std::vector<std::string> WarningLines(const BatchResult &result);

// How many converted files have warnings.
int FilesWithWarnings(const BatchResult &result);

// The counts, then, when files failed, an empty line and their failure lines.
std::string BatchSummaryText(const BatchResult &result);

}  // namespace zerka
