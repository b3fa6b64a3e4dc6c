// SPDX-License-Identifier: MIT
#include "flex_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "window_support.h"

namespace zerka {
namespace {

// Lines between heading cells are black; the rest of the grid uses light grey ones.
class FixedCellDelegate : public QStyledItemDelegate {
public:
    FixedCellDelegate(const GridModel &model, QObject *parent)
        : QStyledItemDelegate(parent), model_(model)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (!model_.isFixed(index.row(), index.column()))
            return;
        painter->save();
        painter->setPen(Qt::black);
        const QRect r = option.rect;
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->restore();
    }

private:
    const GridModel &model_;
};

}  // namespace

GridModel::GridModel(int rows, int cols, int fixedRows, int fixedCols, QObject *parent)
    : QAbstractTableModel(parent), cols_(cols), fixedRows_(fixedRows), fixedCols_(fixedCols),
      texts_(static_cast<std::size_t>(rows), std::vector<QString>(static_cast<std::size_t>(cols)))
{
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(texts_.size());
}

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : cols_; }

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: return text(index.row(), index.column());
    case Qt::BackgroundRole: {
        const QColor own = backColor(index.row(), index.column());
        if (own.isValid())
            return own;
        if (isFixed(index.row(), index.column()))
            return QApplication::palette().button();
        return {};
    }
    case Qt::ForegroundRole:
        if (isFixed(index.row(), index.column()))
            return QApplication::palette().buttonText();
        return {};
    default: return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void GridModel::setRows(int rows)
{
    const int current = rowCount();
    if (rows == current || rows < 0)
        return;
    if (rows > current) {
        beginInsertRows({}, current, rows - 1);
        texts_.resize(static_cast<std::size_t>(rows),
                      std::vector<QString>(static_cast<std::size_t>(cols_)));
        endInsertRows();
        return;
    }
    beginRemoveRows({}, rows, current - 1);
    texts_.resize(static_cast<std::size_t>(rows));
    for (auto it = backColors_.begin(); it != backColors_.end();)
        it = int(it.key() >> 32) >= rows ? backColors_.erase(it) : std::next(it);
    endRemoveRows();
}

void GridModel::setCols(int cols)
{
    if (cols == cols_ || cols < 0)
        return;
    if (cols > cols_)
        beginInsertColumns({}, cols_, cols - 1);
    else
        beginRemoveColumns({}, cols, cols_ - 1);
    const bool growing = cols > cols_;
    cols_ = cols;
    for (std::vector<QString> &rowTexts : texts_)
        rowTexts.resize(static_cast<std::size_t>(cols));
    for (auto it = backColors_.begin(); it != backColors_.end();)
        it = int(quint32(it.key())) >= cols ? backColors_.erase(it) : std::next(it);
    if (growing)
        endInsertColumns();
    else
        endRemoveColumns();
}

QString GridModel::text(int row, int col) const
{
    if (row < 0 || col < 0 || row >= rowCount() || col >= cols_)
        return {};
    return texts_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void GridModel::setText(int row, int col, const QString &text)
{
    if (row < 0 || col < 0 || row >= rowCount() || col >= cols_)
        return;
    texts_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
    changed(row, col);
}

QColor GridModel::backColor(int row, int col) const { return backColors_.value(key(row, col)); }

void GridModel::setBackColor(int row, int col, const QColor &color)
{
    if (row < 0 || col < 0 || row >= rowCount() || col >= cols_)
        return;
    backColors_.insert(key(row, col), color);
    changed(row, col);
}

void GridModel::clearCells()
{
    for (std::vector<QString> &rowTexts : texts_)
        std::fill(rowTexts.begin(), rowTexts.end(), QString());
    backColors_.clear();
    if (bulkDepth_ == 0 && rowCount() > 0 && cols_ > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, cols_ - 1));
}

void GridModel::beginBulk() { ++bulkDepth_; }

void GridModel::endBulk()
{
    if (--bulkDepth_ == 0 && rowCount() > 0 && cols_ > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, cols_ - 1));
}

void GridModel::changed(int row, int col)
{
    if (bulkDepth_ == 0)
        emit dataChanged(index(row, col), index(row, col));
}

FlexGrid::FlexGrid(int rows, int cols, int fixedRows, int fixedCols, QWidget *parent)
    : QTableView(parent), model_(new GridModel(rows, cols, fixedRows, fixedCols, this))
{
    setModel(model_);
    setItemDelegate(new FixedCellDelegate(*model_, this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);  // Tab leaves the grid, as it does every other control
    setSelectionMode(QAbstractItemView::SingleSelection);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: #C0C0C0; }"));
}

void FlexGrid::setColWidthTwips(int col, int twips) { setColumnWidth(col, ToPixels(twips)); }

int FlexGrid::row() const { return currentIndex().isValid() ? currentIndex().row() : 0; }

int FlexGrid::col() const { return currentIndex().isValid() ? currentIndex().column() : 0; }

void FlexGrid::setCurrentCell(int row, int col) { setCurrentIndex(model_->index(row, col)); }

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    // A typed character (Enter, Backspace and Esc included) is the table's key press;
    // Tab and the moving keys keep their usual work.
    const QString typed = event->text();
    if (!typed.isEmpty() && event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab) {
        emit keyPressed();
        return;
    }
    QTableView::keyPressEvent(event);
}

}  // namespace zerka
