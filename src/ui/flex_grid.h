// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QTableView>
#include <vector>

namespace zerka {

// The cells of the keyframe table: texts and explicit background colours by row and
// column. The first rows and columns are fixed heading cells drawn in button colours.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(int rows, int cols, int fixedRows, int fixedCols, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void setRows(int rows);
    void setCols(int cols);
    bool isFixed(int row, int col) const { return row < fixedRows_ || col < fixedCols_; }

    QString text(int row, int col) const;
    void setText(int row, int col, const QString &text);
    QColor backColor(int row, int col) const;  // invalid when the cell has none of its own
    void setBackColor(int row, int col, const QColor &color);
    void clearCells();

    // Between these, cell changes are not reported one by one; the end reports them all.
    void beginBulk();
    void endBulk();

private:
    void changed(int row, int col);
    quint64 key(int row, int col) const { return (quint64(row) << 32) | quint32(col); }

    int cols_;
    int fixedRows_;
    int fixedCols_;
    std::vector<std::vector<QString>> texts_;
    QHash<quint64, QColor> backColors_;
    int bulkDepth_ = 0;
};

// A grid of text cells with fixed heading rows and columns, settable row and column
// counts, column widths, cell colours and a current cell. A key that types a character
// is reported by keyPressed instead of moving or editing.
class FlexGrid : public QTableView {
    Q_OBJECT
public:
    FlexGrid(int rows, int cols, int fixedRows, int fixedCols, QWidget *parent = nullptr);

    GridModel &cells() { return *model_; }
    const GridModel &cells() const { return *model_; }
    int rows() const { return model_->rowCount(); }
    int cols() const { return model_->columnCount(); }
    void setColWidthTwips(int col, int twips);

    int row() const;
    int col() const;
    void setCurrentCell(int row, int col);
    QString currentText() const { return model_->text(row(), col()); }

signals:
    void keyPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    GridModel *model_;
};

// Groups many cell changes of a grid into one update of its view.
class GridBulkChange {
public:
    explicit GridBulkChange(GridModel &model) : model_(model) { model_.beginBulk(); }
    ~GridBulkChange() { model_.endBulk(); }
    GridBulkChange(const GridBulkChange &) = delete;
    GridBulkChange &operator=(const GridBulkChange &) = delete;

private:
    GridModel &model_;
};

}  // namespace zerka
