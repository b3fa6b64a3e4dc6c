// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "keyframes/keyframe_tables.h"

// The hidden info views of a loaded key file, whatever toolkit draws them: the plain dump
// and the keyframe table's cells, bands and column widths.
namespace zerka {

struct KeyTableCell {
    int Row;
    int Col;
    std::string Text;
};

struct KeyTable {
    static constexpr int kCols = 10;
    static constexpr int kFixedRows = 2;  // the two heading rows
    static constexpr int kFixedCols = 1;  // the node labels
    static constexpr int kBandRed = 128, kBandGreen = 0, kBandBlue = 0;  // colour value 128

    // Rows the table gets; 0 for a file without nodes: the table keeps its row count and
    // only its headings.
    int Rows = 0;
    std::vector<KeyTableCell> Cells;  // every cell with a text, headings first
    std::vector<int> BandRows;  // rows after each node, in the band colour but column 0
    int ColWidthsTwips[kCols] = {};
    // The current cell once filled: the first column of the last row, or 0, 0.
    int CurrentRow = 0;
    int CurrentCol = 0;
};

// One row pair per entry, each node followed by a band row, below the two heading rows.
KeyTable LayOutKeyTable(const KeyframeTables &tables);

// The plain dump of the loaded key file: per node its number, mesh name and entry count,
// then each entry's text as read, CR LF breaks, two empty lines after each node.
std::string KeyInfoDumpText(const KeyframeTables &tables);

}  // namespace zerka
