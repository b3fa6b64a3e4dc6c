// SPDX-License-Identifier: MIT
#include "summary_box.h"

#include <QFontMetrics>
#include <QRect>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <string>
#include <vector>

#include "conversion/batch_summary.h"
#include "conversion/conversion_report.h"
#include "window_support.h"

namespace zerka {
namespace {

// Room the box takes around its text: the window frame and the layout's margins on
// both sides, with some to spare for styles with wider ones.
constexpr int kBoxChromeWidth = 64;
// A line never gets elided to less than this: on a very narrow screen the box clips it.
constexpr int kMinLineWidth = 120;

QStringList ToLines(const std::vector<std::string> &lines)
{
    QStringList converted;
    for (const std::string &line : lines)
        converted.append(QString::fromStdString(line));
    return converted;
}

QString WarningFilesLine(int files)
{
    return files == 1 ? QStringLiteral("1 file with warnings")
                      : QStringLiteral("%1 files with warnings").arg(files);
}

QStringList SummaryLines(const BatchResult &result, const QStringList &failures)
{
    QStringList lines = QString::fromStdString(CountsText(result)).split(QLatin1Char('\n'));
    // What holds for the whole batch is no file's warning: each has a line of its own.
    if (!result.Warnings.empty()) {
        lines.append(QString());
        lines.append(ToLines(result.Warnings));
    }
    if (!failures.isEmpty()) {
        lines.append(QString());
        lines.append(failures.mid(0, kShownFailureLines));
        if (failures.size() > kShownFailureLines)
            lines.append(
                QStringLiteral("\u2026 and %1 more").arg(failures.size() - kShownFailureLines));
    }
    if (const int files = FilesWithWarnings(result); files > 0) {
        lines.append(QString());
        lines.append(WarningFilesLine(files));
    }
    return lines;
}

// Failure lines, warning lines and the report, a block each, an empty line apart.
QString DetailsText(const BatchResult &result, const QStringList &failures,
                    const QStringList &warnings)
{
    QStringList blocks;
    if (!failures.isEmpty())
        blocks.append(failures.join(QLatin1Char('\n')));
    if (!warnings.isEmpty())
        blocks.append(warnings.join(QLatin1Char('\n')));
    QString report = QString::fromStdString(ReportText(result));
    while (report.endsWith(QLatin1Char('\n')))
        report.chop(1);
    if (!report.isEmpty())
        blocks.append(report);
    return WithCrLfBreaks(WithCliOptionNames(blocks.join(QStringLiteral("\n\n"))));
}

}  // namespace

BatchBox ComposeBatchBox(const BatchResult &result, const QFontMetrics &metrics, int lineWidth)
{
    if (!result.Ran)
        return {false, WithCrLfBreaks(QString::fromStdString(result.NotRunReason)), {}};

    const QStringList failures = ToLines(FailureLines(result));
    const QStringList warnings = ToLines(WarningLines(result));
    QStringList lines = SummaryLines(result, failures);
    for (QString &line : lines)
        line = metrics.elidedText(line, Qt::ElideRight, std::max(lineWidth, kMinLineWidth));

    BatchBox box{true, WithCrLfBreaks(lines.join(QLatin1Char('\n'))), {}};
    if (!failures.isEmpty() || !warnings.isEmpty())
        box.Details = DetailsText(result, failures, warnings);
    return box;
}

QString WithCliOptionNames(QString text)
{
    static const QRegularExpression option(QStringLiteral("(?<!zerka-cli )--(renumber|rename)\\b"));
    return text.replace(option, QStringLiteral("zerka-cli --\\1"));
}

int SummaryLineWidth(const QRect &available) { return available.width() - kBoxChromeWidth; }

}  // namespace zerka
