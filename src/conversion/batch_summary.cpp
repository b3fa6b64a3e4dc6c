// SPDX-License-Identifier: MIT
#include "batch_summary.h"

#include <algorithm>

#include "keyframes/number_text.h"

namespace zerka {

std::string CountsText(const BatchResult &result)
{
    return "Converted: " + SignSpaced(result.ConvertedCount()) +
           "\nNot Converted: " + SignSpaced(result.NotConvertedCount());
}

std::vector<std::string> FailureLines(const BatchResult &result)
{
    std::vector<std::string> lines;
    for (const FileOutcome &file : result.Files)
        if (!file.Converted)
            lines.push_back(ShownName(file.Name) + ": " + file.Reason);
    return lines;
}

std::vector<std::string> WarningLines(const BatchResult &result)
{
    std::vector<std::string> lines = result.Warnings;
    for (const FileOutcome &file : result.Files)
        if (file.Converted)
            for (const std::string &warning : file.Warnings)
                lines.push_back(ShownName(file.Name) + ": " + warning);
    return lines;
}

int FilesWithWarnings(const BatchResult &result)
{
    return static_cast<int>(std::count_if(
        result.Files.begin(), result.Files.end(),
        [](const FileOutcome &file) { return file.Converted && !file.Warnings.empty(); }));
}

std::string BatchSummaryText(const BatchResult &result)
{
    std::string text = CountsText(result);
    const std::vector<std::string> failures = FailureLines(result);
    if (!failures.empty())
        text += '\n';
    for (const std::string &line : failures) {
        text += '\n';
        text += line;
    }
    return text;
}

}  // namespace zerka
