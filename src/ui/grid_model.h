#pragma once

#include "model/grid_block.h"

#include <QAbstractTableModel>

#include <string>

namespace carexa {

/// A table model over the cells of a grid: grid row 0 and column 0 are the header sections, so
/// model cell (r, c) is grid cell (c + 1, r + 1). The view reads cells and writes blocks of them
/// through it; what a block write means (texts into a grid, an edit of the project) is the
/// model's.
class GridModel : public QAbstractTableModel, public CellSource
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    /// The shown rows, the heading row included.
    virtual int rows() const = 0;
    /// Whether the cells accept typing and pasting.
    virtual bool editable() const = 0;
    /// Writes `block` with its top-left corner at grid cell (column, row) and tells the views;
    /// throws Error (the cells unchanged) when the grid refuses it.
    virtual void write(int column, int row, const GridBlock &block) = 0;

    /// Text of a grid cell, by grid coordinates.
    std::string cell(int column, int row) const { return text(column, row); }
    QString cellText(int column, int row) const;
    /// Writes one cell as a block write does.
    void setCell(int column, int row, const std::string &text);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    /// Tells the views that the grid changed as a whole (a fill, a new size).
    void reload();
    /// Tells the views that the texts of `columns` x `rows` grid cells from (column, row)
    /// changed; the size stayed. Cells outside the shown size are left out.
    void cellsChanged(int column, int row, int columns, int rows);
};

} // namespace carexa
