#include "ui/text_grid_model.h"

#include <algorithm>

namespace carexa {

TextGridModel::TextGridModel(TextGrid &grid, QObject *parent)
    : QAbstractTableModel(parent), grid_(&grid)
{ }

void TextGridModel::setGrid(TextGrid &grid)
{
    beginResetModel();
    grid_ = &grid;
    endResetModel();
}

int TextGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(grid_->rowCount() - 1, 0);
}

int TextGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(grid_->columnCount() - 1, 0);
}

QVariant TextGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return cellText(index.column() + 1, index.row() + 1);
}

bool TextGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !grid_->editable())
        return false;
    grid_->setCell(index.column() + 1, index.row() + 1, value.toString().toStdString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? cellText(section + 1, 0) : cellText(0, section + 1);
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (grid_->editable())
        flags |= Qt::ItemIsEditable;
    return flags;
}

void TextGridModel::reload()
{
    beginResetModel();
    endResetModel();
}

void TextGridModel::cellsChanged(int column, int row, int columns, int rows)
{
    const int firstRow = std::max(row, 1) - 1;
    const int firstColumn = std::max(column, 1) - 1;
    const int lastRow = std::min(row + rows - 1, grid_->rowCount() - 1) - 1;
    const int lastColumn = std::min(column + columns - 1, grid_->columnCount() - 1) - 1;
    if (firstRow > lastRow || firstColumn > lastColumn)
        return;
    emit dataChanged(
        index(firstRow, firstColumn), index(lastRow, lastColumn), {Qt::DisplayRole, Qt::EditRole});
}

QString TextGridModel::cellText(int column, int row) const
{
    return QString::fromStdString(grid_->cell(column, row));
}

void TextGridModel::setCellText(int column, int row, const QString &text)
{
    grid_->setCell(column, row, text.toStdString());
    if (row >= 1 && column >= 1 && row < grid_->rowCount() && column < grid_->columnCount()) {
        const QModelIndex changed = index(row - 1, column - 1);
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    }
}

} // namespace carexa
