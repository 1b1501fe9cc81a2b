#pragma once

#include <string>
#include <vector>

namespace carexa {

/// A grid of cell texts addressed by column and row. The shown size (columnCount x rowCount)
/// is what a view displays; cells outside it keep their text and can be read back, so a table
/// can be filled before it is laid out, and rows hidden by a smaller size come back unchanged.
/// Row 0 and column 0 are the fixed headings.
class TextGrid
{
public:
    TextGrid(int columns, int rows);

    int columnCount() const { return columns_; }
    int rowCount() const { return rows_; }
    void setColumnCount(int columns) { columns_ = columns; }
    void setRowCount(int rows) { rows_ = rows; }

    /// Whether the cells accept typing (the view's editing option).
    bool editable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }

    /// The text of a cell; the empty text for a cell never written (or outside any storage).
    const std::string &cell(int column, int row) const;
    void setCell(int column, int row, std::string text);

    /// Drops every stored text and returns to the given shown size.
    void clear(int columns, int rows);

private:
    int columns_;
    int rows_;
    bool editable_ = false;
    std::vector<std::vector<std::string>> cells_; // [row][column], grown on demand
};

} // namespace carexa
