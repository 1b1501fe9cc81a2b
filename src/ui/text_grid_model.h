#pragma once

#include "model/text_grid.h"
#include "ui/grid_model.h"

#include <optional>

namespace carexa {

/// A grid model over a TextGrid: a table the window fills (a data sheet, a dialog's table).
/// Cells are editable while the grid is; a write puts the texts into the grid as they are.
class TextGridModel : public GridModel
{
    Q_OBJECT

public:
    /// A model over a grid that the caller keeps.
    TextGridModel(TextGrid &grid, QObject *parent = nullptr);
    /// A model that keeps a grid of its own, `columns` x `rows`.
    TextGridModel(int columns, int rows, QObject *parent = nullptr);

    TextGrid &grid() { return *grid_; }
    const TextGrid &grid() const { return *grid_; }
    /// Replaces the grid's content (a model reset).
    void setGrid(TextGrid grid);

    int columns() const override { return grid_->columnCount(); }
    int rows() const override { return grid_->rowCount(); }
    std::string text(int column, int row) const override { return grid_->cell(column, row); }
    bool editable() const override { return grid_->editable(); }
    void write(int column, int row, const GridBlock &block) override;

    /// Writes a grid cell by grid coordinates and tells the views.
    void setCellText(int column, int row, const QString &text);

private:
    std::optional<TextGrid> own_;
    TextGrid *grid_;
};

} // namespace carexa
