// SPDX-License-Identifier: MIT
#include "summary_box.h"

#include <QFontMetrics>
#include <QRect>
#include <algorithm>

namespace zerka {
namespace {

// Room the box takes around its text: the window frame and the layout's margins on
// both sides, with some to spare for styles with wider ones.
constexpr int kBoxChromeWidth = 64;
// A line never gets elided to less than this: on a very narrow screen the box clips it.
constexpr int kMinLineWidth = 120;

}  // namespace

int SummaryLineWidth(const QRect &available) { return available.width() - kBoxChromeWidth; }

QString ElideToWidth(const QFontMetrics &metrics, const QString &line, int lineWidth)
{
    return metrics.elidedText(line, Qt::ElideRight, std::max(lineWidth, kMinLineWidth));
}

}  // namespace zerka
