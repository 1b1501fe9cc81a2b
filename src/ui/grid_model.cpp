#include "ui/grid_model.h"

#include <algorithm>

namespace carexa {

QString GridModel::cellText(int column, int row) const
{
    return QString::fromStdString(text(column, row));
}

void GridModel::setCell(int column, int row, const std::string &text)
{
    write(column, row, GridBlock(1, 1, text));
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(rows() - 1, 0);
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(columns() - 1, 0);
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return cellText(index.column() + 1, index.row() + 1);
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !editable())
        return false;
    setCell(index.column() + 1, index.row() + 1, value.toString().toStdString());
    return true;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? cellText(section + 1, 0) : cellText(0, section + 1);
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (editable())
        flags |= Qt::ItemIsEditable;
    return flags;
}

void GridModel::reload()
{
    beginResetModel();
    endResetModel();
}

void GridModel::cellsChanged(int column, int row, int columns, int rows)
{
    const int firstRow = std::max(row, 1) - 1;
    const int firstColumn = std::max(column, 1) - 1;
    const int lastRow = std::min(row + rows - 1, this->rows() - 1) - 1;
    const int lastColumn = std::min(column + columns - 1, this->columns() - 1) - 1;
    if (firstRow > lastRow || firstColumn > lastColumn)
        return;
    emit dataChanged(
        index(firstRow, firstColumn), index(lastRow, lastColumn), {Qt::DisplayRole, Qt::EditRole});
}

} // namespace carexa
