// SPDX-License-Identifier: MIT
#include "key_info_views.h"

#include <QColor>
#include <QPlainTextEdit>

#include "flex_grid.h"

namespace zerka {

void ShowKeyInfo(const std::string &dump, const KeyTable &layout, QPlainTextEdit &text,
                 FlexGrid &table)
{
    GridModel &cells = table.cells();
    {
        GridBulkChange bulk(cells);
        cells.clearCells();
        table.setCurrentCell(0, 0);
        text.setPlainText(QString::fromStdString(dump));
        cells.setCols(KeyTable::kCols);
        if (layout.Rows > 0)
            cells.setRows(layout.Rows);
        for (const KeyTableCell &cell : layout.Cells)
            cells.setText(cell.Row, cell.Col, QString::fromStdString(cell.Text));
        const QColor band(KeyTable::kBandRed, KeyTable::kBandGreen, KeyTable::kBandBlue);
        for (const int row : layout.BandRows)
            for (int col = 1; col < KeyTable::kCols; ++col)
                cells.setBackColor(row, col, band);
        for (int col = 0; col < KeyTable::kCols; ++col)
            table.setColWidthTwips(col, layout.ColWidthsTwips[col]);
    }
    if (layout.Rows > 0)
        table.setCurrentCell(layout.CurrentRow, layout.CurrentCol);
}

}  // namespace zerka
