#include "ui/text_grid_model.h"

#include <utility>

namespace carexa {

TextGridModel::TextGridModel(TextGrid &grid, QObject *parent) : GridModel(parent), grid_(&grid)
{ }

TextGridModel::TextGridModel(int columns, int rows, QObject *parent)
    : GridModel(parent), own_(std::in_place, columns, rows), grid_(&*own_)
{ }

void TextGridModel::setGrid(TextGrid grid)
{
    beginResetModel();
    *grid_ = std::move(grid);
    endResetModel();
}

void TextGridModel::write(int column, int row, const GridBlock &block)
{
    WriteBlock(*grid_, column, row, block);
    cellsChanged(column, row, block.columnCount(), block.rowCount());
}

void TextGridModel::setCellText(int column, int row, const QString &text)
{
    write(column, row, GridBlock(1, 1, text.toStdString()));
}

} // namespace carexa
