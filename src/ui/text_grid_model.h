#pragma once

#include "model/text_grid.h"

#include <QAbstractTableModel>

namespace carexa {

/// A table model over a TextGrid: grid row 0 and column 0 are the header sections, so model cell
/// (r, c) is grid cell (c + 1, r + 1). Cells are editable while the grid is.
class TextGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    TextGridModel(TextGrid &grid, QObject *parent = nullptr);

    TextGrid &grid() { return *grid_; }
    /// Shows another grid (a model reset).
    void setGrid(TextGrid &grid);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    /// Tells the views that the grid changed under the model as a whole (a fill, a new size).
    void reload();
    /// Tells the views that the texts of `columns` x `rows` grid cells from (column, row) changed
    /// under the model; the size stayed. Cells outside the shown size are left out.
    void cellsChanged(int column, int row, int columns, int rows);

    /// Text of a grid cell, by grid coordinates.
    QString cellText(int column, int row) const;
    /// Writes a grid cell by grid coordinates and tells the views.
    void setCellText(int column, int row, const QString &text);

private:
    TextGrid *grid_;
};

} // namespace carexa
