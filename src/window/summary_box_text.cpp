// SPDX-License-Identifier: MIT
#include "summary_box_text.h"

#include <array>
#include <string_view>
#include <vector>

#include "conversion/batch_summary.h"
#include "conversion/conversion_report.h"

namespace zerka {
namespace {

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(text.substr(begin, end - begin));
    lines.push_back(text.substr(begin));
    return lines;
}

std::string Joined(const std::vector<std::string> &lines, std::string_view between)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += between;
        text += lines[i];
    }
    return text;
}

std::vector<std::string> SummaryLines(const BatchResult &result,
                                      const std::vector<std::string> &failures)
{
    std::vector<std::string> lines = Lines(CountsText(result));
    // What holds for the whole batch is no file's warning: each has a line of its own.
    if (!result.Warnings.empty()) {
        lines.emplace_back();
        lines.insert(lines.end(), result.Warnings.begin(), result.Warnings.end());
    }
    if (!failures.empty()) {
        lines.emplace_back();
        const std::size_t shown = std::min<std::size_t>(failures.size(), kShownFailureLines);
        lines.insert(lines.end(), failures.begin(), failures.begin() + static_cast<long>(shown));
        if (failures.size() > shown)
            lines.push_back("\u2026 and " + std::to_string(failures.size() - shown) + " more");
    }
    if (const int files = FilesWithWarnings(result); files > 0) {
        lines.emplace_back();
        lines.push_back(files == 1 ? std::string("1 file with warnings")
                                   : std::to_string(files) + " files with warnings");
    }
    return lines;
}

// Failure lines, warning lines and the report, a block each, an empty line apart.
std::string DetailsText(const BatchResult &result, const std::vector<std::string> &failures,
                        const std::vector<std::string> &warnings)
{
    std::vector<std::string> blocks;
    if (!failures.empty())
        blocks.push_back(Joined(failures, "\n"));
    if (!warnings.empty())
        blocks.push_back(Joined(warnings, "\n"));
    std::string report = ReportText(result);
    while (!report.empty() && report.back() == '\n')
        report.pop_back();
    if (!report.empty())
        blocks.push_back(std::move(report));
    return WithCrLfBreaks(WithCliOptionNames(Joined(blocks, "\n\n")));
}

bool IsWordCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

BatchBox ComposeBatchBox(const BatchResult &result, const ElideLine &elide)
{
    if (!result.Ran)
        return {false, WithCrLfBreaks(result.NotRunReason), {}};

    const std::vector<std::string> failures = FailureLines(result);
    const std::vector<std::string> warnings = WarningLines(result);
    std::vector<std::string> lines = SummaryLines(result, failures);
    for (std::string &line : lines)
        line = elide(line);

    BatchBox box{true, WithCrLfBreaks(Joined(lines, "\n")), {}};
    if (!failures.empty() || !warnings.empty())
        box.Details = DetailsText(result, failures, warnings);
    return box;
}

std::string WithCliOptionNames(const std::string &text)
{
    static constexpr std::array<std::string_view, 2> kOptions = {"--renumber", "--rename"};
    constexpr std::string_view kProgram = "zerka-cli ";
    std::string named;
    named.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        for (const std::string_view option : kOptions) {
            const std::size_t end = i + option.size();
            if (std::string_view(text).substr(i, option.size()) == option &&
                (end == text.size() || !IsWordCharacter(text[end])) &&
                !(i >= kProgram.size() &&
                  std::string_view(text).substr(i - kProgram.size(), kProgram.size()) == kProgram)) {
                named += kProgram;
                break;
            }
        }
        named += text[i];
    }
    return named;
}

std::string WithCrLfBreaks(const std::string &text)
{
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            crlf += '\r';
        crlf += text[i];
    }
    return crlf;
}

}  // namespace zerka
