// SPDX-License-Identifier: MIT
#include "key_info_views.h"

#include <QColor>
#include <QPlainTextEdit>
#include <array>

#include "flex_grid.h"
#include "keyframes/number_text.h"
#include "keyframes/text_rules.h"

namespace zerka {
namespace {


// Colour value 128: red 128, green 0, blue 0.
const QColor kNodeBandColor(128, 0, 0);

constexpr std::array<const char *, 9> kTopHeadings = {
    "Num", "Frame", "Flags", "Node X", "Node Y", "Node Z", "Node Pitch", "Node Yaw", "Node Roll"};
constexpr std::array<const char *, 6> kDestHeadings = {"Dest. X",     "Dest. Y",   "Dest. Z",
                                                       "Dest. Pitch", "Dest. Yaw", "Dest. Roll"};
constexpr int kNarrowColumn = 1;
constexpr int kNarrowColumnTwips = 420;
constexpr int kColumnTwips = 1100;

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void LayOutHeadings(FlexGrid &table)
{
    GridModel &cells = table.cells();
    cells.setCols(kKeyTableCols);
    for (std::size_t i = 0; i < kTopHeadings.size(); ++i)
        cells.setText(0, static_cast<int>(i) + 1, QString::fromLatin1(kTopHeadings[i]));
    for (std::size_t i = 0; i < kDestHeadings.size(); ++i)
        cells.setText(1, static_cast<int>(i) + 4, QString::fromLatin1(kDestHeadings[i]));
    for (int col = 0; col < kKeyTableCols; ++col)
        table.setColWidthTwips(col, col == kNarrowColumn ? kNarrowColumnTwips : kColumnTwips);
}

// Two rows per entry and a band after each node, below the two heading rows.
int RowsNeeded(const KeyframeTables &tables)
{
    int rows = kKeyTableFixedRows;
    for (int k = 1; k <= tables.KeyNodeCount; ++k)
        rows += 2 * tables.KeyNodes(k).EntryCount + 1;
    return rows;
}

// Fills rows from row + 1 on with the node's row pairs and its band; returns the last
// row used.
int FillNode(GridModel &cells, const KeyNode &node, int nodeIndex, int row)
{
    for (int e = 1; e <= node.EntryCount; ++e) {
        const KeyEntry &entry = node.Entries(e);
        ++row;
        if (e == 1)
            cells.setText(row, 0, Text("Node " + SignSpaced(nodeIndex)));
        for (int f = 0; f < 9; ++f)
            cells.setText(row, f + 1, Text(entry.Field(f)));
        ++row;
        if (e == 1)
            cells.setText(row, 0, Text(node.MeshName));
        for (int f = 9; f < KeyEntry::kFieldCount; ++f)
            cells.setText(row, f - 5, Text(entry.Field(f)));
    }
    ++row;
    for (int col = 1; col < kKeyTableCols; ++col)
        cells.setBackColor(row, col, kNodeBandColor);
    return row;
}

}  // namespace

// Numbers here are plain decimals; only the table's node labels carry the sign space.
std::string KeyInfoDumpText(const KeyframeTables &tables)
{
    std::string dump;
    for (int k = 1; k <= tables.KeyNodeCount; ++k) {
        const KeyNode &node = tables.KeyNodes(k);
        dump += "Node: " + std::to_string(node.Num);
        dump += kCrLf;
        dump += "Mesh name: " + node.MeshName;
        dump += kCrLf;
        dump += "Entries: " + std::to_string(node.EntryCount);
        dump += kCrLf;
        for (int e = 1; e <= node.EntryCount; ++e) {
            dump += node.Entries(e).Raw();
            dump += kCrLf;
        }
        dump += kCrLf;
        dump += kCrLf;
    }
    return dump;
}

void ShowKeyInfo(const KeyframeTables &tables, QPlainTextEdit &text, FlexGrid &table)
{
    GridModel &cells = table.cells();
    {
        GridBulkChange bulk(cells);
        cells.clearCells();
        table.setCurrentCell(0, 0);
        text.setPlainText(QString::fromStdString(KeyInfoDumpText(tables)));
        LayOutHeadings(table);

        // The rows grow pair by pair as they are filled; setting the final count at once
        // gives the same table, so a longer earlier file's rows are dropped here too.
        if (tables.KeyNodeCount > 0)
            cells.setRows(RowsNeeded(tables));
        int row = 1;
        for (int k = 1; k <= tables.KeyNodeCount; ++k)
            row = FillNode(cells, tables.KeyNodes(k), k, row);
    }
    if (tables.KeyNodeCount > 0)
        table.setCurrentCell(cells.rowCount() - 1, 0);
}

}  // namespace zerka
