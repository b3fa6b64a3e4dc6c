// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QFontMetrics;
class QRect;

// How the Qt window fits the summary box's lines to its screen; what the box says is
// composed once for every window (window/summary_box_text.h).
namespace zerka {

// How wide a line of the summary box's text may be on a screen with this available
// geometry: its width less the box's frame and margins.
int SummaryLineWidth(const QRect &available);

// line elided at the right to lineWidth pixels of metrics, never to less than a short
// minimum: on a very narrow screen the box clips it.
QString ElideToWidth(const QFontMetrics &metrics, const QString &line, int lineWidth);

}  // namespace zerka
