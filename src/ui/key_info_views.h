// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "window/key_table.h"

class QPlainTextEdit;

namespace zerka {

class FlexGrid;

// Rebuilds both info views: dump into text, and the table as laid out, its bands in their
// colour. The table's visibility is left alone; a table with no rows of its own keeps its
// row count.
void ShowKeyInfo(const std::string &dump, const KeyTable &layout, QPlainTextEdit &text,
                 FlexGrid &table);

}  // namespace zerka
