// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "keyframes/keyframe_tables.h"

class QPlainTextEdit;

namespace zerka {

class FlexGrid;

inline constexpr int kKeyTableCols = 10;
inline constexpr int kKeyTableFixedRows = 2;
inline constexpr int kKeyTableFixedCols = 1;

// The plain dump of the loaded key file: per node its number, mesh name and entry
// count, then each entry's text as read, CR LF breaks, two empty lines after each node.
std::string KeyInfoDumpText(const KeyframeTables &tables);

// Rebuilds both info views from the loaded key file: the dump into text and one row pair
// per entry into table, each node followed by a dark red band. The table's visibility
// is left alone. With no nodes the table keeps its row count and only its headings.
void ShowKeyInfo(const KeyframeTables &tables, QPlainTextEdit &text, FlexGrid &table);

}  // namespace zerka
