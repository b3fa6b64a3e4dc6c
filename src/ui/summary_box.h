// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "conversion/batch_conversion.h"

class QFontMetrics;
class QRect;

namespace zerka {

// What the window shows once a batch is over. Texts break lines with CR LF.
struct BatchBox {
    bool Ran = false;  // false: the batch did not run, and Text says why in a plain box
    QString Text;
    QString Details;  // for the summary box's details area; empty: the box has none
};

// The summary box's text names at most this many failed files; its details name them all.
inline constexpr int kShownFailureLines = 10;

// The box for result. A summary holds the counts, then the first failure lines and how
// many more there are, then how many converted files have warnings; each line is elided
// at the right to lineWidth pixels of metrics, so that no reason, however long, makes the
// box wider than its screen. Its details hold every failure line, every warning line and
// the report, whole. A batch without failures and warnings gets the counts alone.
BatchBox ComposeBatchBox(const BatchResult &result, const QFontMetrics &metrics, int lineWidth);

// The window takes no command-line options: a text that names --renumber or --rename
// names them as zerka-cli's, where the person can use them.
QString WithCliOptionNames(QString text);

// How wide a line of the summary box's text may be on a screen with this available
// geometry: its width less the box's frame and margins.
int SummaryLineWidth(const QRect &available);

}  // namespace zerka
