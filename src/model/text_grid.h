#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// A grid of cells addressed by column and row, each holding a text. The shown size
/// (columnCount x rowCount) is what a view displays; cells outside it keep their text and can be
/// read back, so a table can be filled before it is laid out, and rows hidden by a smaller size
/// come back unchanged. Row 0 and column 0 are the fixed headings.
///
/// Cells are kept as numbers where they can be: a number written with setNumber, or a text that
/// is exactly the screen form of a number (FormatGeneral), is stored as that number and its text
/// is made when asked for. Any other text ("12.50", "n/a", a heading) is kept as written. So every
/// cell reads back exactly the text it was given, while a grid of numbers costs one double a cell.
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
    std::string cell(int column, int row) const;
    /// Appends the text of a cell to `out`.
    void appendCell(std::string &out, int column, int row) const;
    /// Writes a text (cells at a negative column or row are ignored).
    void setCell(int column, int row, std::string_view text);
    /// Writes a number; the cell's text is its screen form. A value that is not finite is kept
    /// as its text ("NAN", "INF").
    void setNumber(int column, int row, double value);
    /// The number a cell holds when its text is the screen form of a number; nothing for an
    /// empty cell or any other text.
    std::optional<double> number(int column, int row) const;
    /// Whether a cell's text is empty.
    bool empty(int column, int row) const;

    /// Drops every stored text and returns to the given shown size.
    void clear(int columns, int rows);

    /// A count that grows with every write, so a reader can tell whether the grid changed
    /// since it last looked.
    std::uint64_t revision() const { return revision_; }

    /// The bytes the grid keeps on the heap for its cells: a double per stored cell, and the
    /// texts kept as written (with the characters of those too long to sit in the text itself).
    std::size_t storedBytes() const;

private:
    // A cell is a double, or one of two NaN patterns that no stored number uses: empty, and text
    // (its low 32 bits index texts_).
    using Bits = std::uint64_t;
    static constexpr Bits kEmpty = 0x7FF4'0000'0000'0000ULL;
    static constexpr Bits kTextTag = 0x7FF5'0000'0000'0000ULL;
    static constexpr Bits kTagMask = 0xFFFF'0000'0000'0000ULL;

    Bits bits(int column, int row) const;
    Bits &slot(int column, int row);
    void releaseText(Bits old);
    void storeText(Bits &target, std::string_view text);

    int columns_;
    int rows_;
    bool editable_ = false;
    std::uint64_t revision_ = 0;
    int stride_ = 0; // columns stored per row
    int storedRows_ = 0;
    std::vector<Bits> cells_; // row-major, stride_ cells a row
    std::vector<std::string> texts_;
    std::vector<std::uint32_t> freeTexts_;
};

} // namespace carexa
