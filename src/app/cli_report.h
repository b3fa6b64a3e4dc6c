// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "conversion/batch_conversion.h"
#include "conversion/conversion_report.h"

// zerka-cli's way of telling programs what a batch did: one JSON document. People get the
// report text of the core.
namespace zerka {

struct CliRun {
    std::string OldModel;  // the paths as the user gave them
    std::string NewModel;
    std::string Folder;
    bool DryRun = false;
    bool WithNodes = false;  // the report: records and nodes, not only the files
};

// The whole result as one JSON document, ending in a line break. Bytes that are not UTF-8
// become U+FFFD: a name must not make the document unreadable.
std::string ResultJson(const CliRun &run, const BatchResult &result);

}  // namespace zerka
