#pragma once

#include "model/text_grid.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace carexa {

/// A rectangle of cell texts, addressed from its top-left corner (column 0, row 0).
class GridBlock
{
public:
    GridBlock() = default;
    /// A block of the given size with every text `text`.
    GridBlock(int columns, int rows, const std::string &text = {});

    int columnCount() const { return columns_; }
    int rowCount() const { return rows_; }
    bool empty() const { return columns_ == 0 || rows_ == 0; }

    const std::string &text(int column, int row) const;
    void setText(int column, int row, std::string text);
    /// Keeps the first `rows` rows (fewer rows only).
    void keepRows(int rows);

    bool operator==(const GridBlock &) const = default;

private:
    std::size_t offset(int column, int row) const;

    int columns_ = 0;
    int rows_ = 0;
    std::vector<std::string> texts_; // row by row
};

/// Read access to the cells of a grid shown somewhere: a text grid, or a view of a project's
/// values. Row 0 and column 0 are the headings.
class CellSource
{
public:
    /// The shown columns, the heading column included.
    virtual int columns() const = 0;
    /// The text of a cell; the empty text outside the grid.
    virtual std::string text(int column, int row) const = 0;

protected:
    CellSource() = default;
    CellSource(const CellSource &) = default;
    CellSource &operator=(const CellSource &) = default;
    ~CellSource() = default;
};

/// The cells of a text grid as a CellSource.
class TextGridCells final : public CellSource
{
public:
    explicit TextGridCells(const TextGrid &grid) : grid_(&grid) { }
    int columns() const override { return grid_->columnCount(); }
    std::string text(int column, int row) const override { return grid_->cell(column, row); }

private:
    const TextGrid *grid_;
};

/// Value cells of a grid in grid coordinates: `columns` x `rows` cells from (column, row).
struct CellRange
{
    int column = 1;
    int row = 1;
    int columns = 0;
    int rows = 0;
};

/// The texts of `range` as they stand in the grid (an unwritten cell reads as the empty text).
GridBlock ReadBlock(const CellSource &grid, const CellRange &range);
inline GridBlock ReadBlock(const TextGrid &grid, const CellRange &range)
{
    return ReadBlock(TextGridCells(grid), range);
}

/// Writes `block` with its top-left corner at grid cell (column, row), texts as they are, and
/// returns the texts it replaced. Cells outside the grid's shown size are written too (the grid
/// keeps them).
GridBlock WriteBlock(TextGrid &grid, int column, int row, const GridBlock &block);

/// The copied form of `range`: one line per row, each ended by a line feed, the texts separated
/// by tabs. With `withHeadings` the row-0 texts of its columns come first as a heading line. A
/// text holding a tab, a line break or a double quote is put in double quotes (inner quotes
/// doubled), as spreadsheets write and read it.
std::string BlockText(const CellSource &grid, const CellRange &range, bool withHeadings);
inline std::string BlockText(const TextGrid &grid, const CellRange &range, bool withHeadings)
{
    return BlockText(TextGridCells(grid), range, withHeadings);
}

/// How the fields of a pasted line are separated.
enum class FieldSeparator { None, Tab, Semicolon, Comma };

/// The separator of a pasted text: a tab when one occurs anywhere (outside double quotes), else
/// a semicolon, else a comma, else None (a single column).
FieldSeparator DetectSeparator(std::string_view text);

/// A pasted text taken apart for a grid.
struct PastedText
{
    GridBlock block; ///< the texts, trimmed, a decimal comma read as a full stop
    FieldSeparator separator = FieldSeparator::None;
    bool headingSkipped = false; ///< the first line held the grid's headings and was left out
    bool dayColumnSkipped = false; ///< that line began with the grid's day heading: the first
                                   ///< field of every line (the day numbers) was left out
};

/// Splits a clipboard text into a block for pasting into `grid` from value column `column`:
/// - lines end with "\n", "\r\n" or "\r"; empty lines at the end are dropped, and a shorter
///   line is padded with empty texts to the widest line;
/// - fields are separated as DetectSeparator finds; a field in double quotes may hold the
///   separator, line breaks and doubled quotes;
/// - every text is trimmed of spaces and tabs;
/// - with a tab or semicolon separator a text holding exactly one comma and no full stop
///   ("12,5") has the comma read as a decimal point;
/// - a first line whose texts equal (trimmed, letter case aside) the grid's row-0 headings of
///   the columns they would land in is a heading line and is dropped; so is a first line that
///   starts with the grid's corner heading ("Day") followed by those headings, and then the
///   first field of every line is dropped as well.
/// An empty or blank text gives an empty block.
PastedText ParsePastedText(std::string_view text, const CellSource &grid, int column);
inline PastedText ParsePastedText(std::string_view text, const TextGrid &grid, int column)
{
    return ParsePastedText(text, TextGridCells(grid), column);
}

/// Makes a pasted block ready for grid cell (column, row): throws Error when the block is wider
/// than the grid's columns from `column` on, or when a text is no number by ParseDouble (the
/// check a typed cell meets when it is stored); the message names the first such cell, row by
/// row, by its day and heading ("Day 5, \"water flow\": 'x' is not a valid number. ...") and
/// quotes the text with QuotedText. Rows beyond the grid are checked too. Empty texts become
/// `emptyText`, the entry of an empty cell in that grid.
GridBlock PreparePaste(
    GridBlock block, const CellSource &grid, int column, int row, std::string_view emptyText);
inline GridBlock PreparePaste(
    GridBlock block, const TextGrid &grid, int column, int row, std::string_view emptyText)
{
    return PreparePaste(std::move(block), TextGridCells(grid), column, row, emptyText);
}

} // namespace carexa
