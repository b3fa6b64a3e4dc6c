// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include "conversion/batch_conversion.h"

// What the window shows once a batch is over, whatever toolkit draws it.
namespace zerka {

// Texts break lines with CR LF, as message boxes expect.
struct BatchBox {
    bool Ran = false;  // false: the batch did not run, and Text says why in a plain box
    std::string Text;
    std::string Details;  // for the summary box's details area; empty: the box has none
};

// The summary box's text names at most this many failed files; its details name them all.
inline constexpr int kShownFailureLines = 10;

// Shortens one line of the box's text to what its screen can show, marking the cut.
using ElideLine = std::function<std::string(const std::string &line)>;

// The box for result. A summary holds the counts, the batch's own warnings a line each,
// then the first failure lines and how many more there are, then how many converted files
// have warnings; each line goes through elide, so that no reason, however long, makes the
// box wider than its screen. Its details hold every failure line, every warning line and
// the report, whole. A batch without failures and warnings gets the counts alone.
BatchBox ComposeBatchBox(const BatchResult &result, const ElideLine &elide);

// The window takes no command-line options: a text that names --renumber or --rename
// names them as zerka-cli's, where the person can use them.
std::string WithCliOptionNames(const std::string &text);

// LF breaks as CR LF; CR LF breaks stay.
std::string WithCrLfBreaks(const std::string &text);

}  // namespace zerka
