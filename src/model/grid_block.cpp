#include "model/grid_block.h"

#include "model/error.h"
#include "model/number_text.h"

#include <algorithm>

namespace carexa {

GridBlock::GridBlock(int columns, int rows, const std::string &text)
    : columns_(std::max(columns, 0)),
      rows_(std::max(rows, 0)),
      texts_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), text)
{ }

std::size_t GridBlock::offset(int column, int row) const
{
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_)
        + static_cast<std::size_t>(column);
}

const std::string &GridBlock::text(int column, int row) const
{
    return texts_.at(offset(column, row));
}

void GridBlock::setText(int column, int row, std::string text)
{
    texts_.at(offset(column, row)) = std::move(text);
}

void GridBlock::keepRows(int rows)
{
    if (rows < 0 || rows >= rows_)
        return;
    rows_ = rows;
    texts_.resize(offset(0, rows));
}

GridBlock ReadBlock(const CellSource &grid, const CellRange &range)
{
    GridBlock block(range.columns, range.rows);
    for (int r = 0; r < block.rowCount(); ++r) {
        for (int c = 0; c < block.columnCount(); ++c)
            block.setText(c, r, grid.text(range.column + c, range.row + r));
    }
    return block;
}

GridBlock WriteBlock(TextGrid &grid, int column, int row, const GridBlock &block)
{
    GridBlock replaced = ReadBlock(grid, {column, row, block.columnCount(), block.rowCount()});
    for (int r = 0; r < block.rowCount(); ++r) {
        for (int c = 0; c < block.columnCount(); ++c)
            grid.setCell(column + c, row + r, block.text(c, r));
    }
    return replaced;
}

namespace {

void AppendField(std::string &out, const std::string &text)
{
    if (text.find_first_of("\t\n\r\"") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string BlockText(const CellSource &grid, const CellRange &range, bool withHeadings)
{
    std::string out;
    const auto appendLine = [&](int row) {
        for (int c = 0; c < range.columns; ++c) {
            if (c > 0)
                out += '\t';
            AppendField(out, grid.text(range.column + c, row));
        }
        out += '\n';
    };
    if (withHeadings)
        appendLine(0);
    for (int r = 0; r < range.rows; ++r)
        appendLine(range.row + r);
    return out;
}

FieldSeparator DetectSeparator(std::string_view text)
{
    bool quoted = false;
    bool semicolon = false;
    bool comma = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '\t')
            return FieldSeparator::Tab;
        else if (c == ';')
            semicolon = true;
        else if (c == ',')
            comma = true;
    }
    if (semicolon)
        return FieldSeparator::Semicolon;
    return comma ? FieldSeparator::Comma : FieldSeparator::None;
}

namespace {

char SeparatorChar(FieldSeparator separator)
{
    switch (separator) {
    case FieldSeparator::Tab:
        return '\t';
    case FieldSeparator::Semicolon:
        return ';';
    case FieldSeparator::Comma:
        return ',';
    case FieldSeparator::None:
        break;
    }
    return '\0';
}

using Lines = std::vector<std::vector<std::string>>;

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// Fields as spreadsheets write them: a field opening with a double quote runs to the closing
// quote, with "" for a quote inside; whatever follows the closing quote up to the separator is
// kept as written. Every line break outside quotes ends a line.
Lines SplitLines(std::string_view text, char separator)
{
    Lines lines;
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool atFieldStart = true;
    const auto endField = [&] {
        fields.push_back(std::move(field));
        field.clear();
        atFieldStart = true;
    };
    const auto endLine = [&] {
        endField();
        lines.push_back(std::move(fields));
        fields.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"' && atFieldStart) {
            field.clear(); // blanks before the opening quote
            quoted = true;
            atFieldStart = false;
        } else if (separator != '\0' && c == separator) {
            endField();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endLine();
        } else {
            field += c;
            if (c != ' ')
                atFieldStart = false;
        }
    }
    if (!fields.empty() || !field.empty() || quoted)
        endLine();
    // Blank lines at the end (a final line break, empty lines after the data).
    while (!lines.empty() && lines.back().size() == 1 && Trimmed(lines.back().front()).empty())
        lines.pop_back();
    return lines;
}

// "12,5" with a tab or semicolon between the fields: the comma is the decimal separator.
void ReadDecimalComma(std::string &text)
{
    const auto comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos
        || text.find('.') != std::string::npos)
        return;
    text[comma] = '.';
}

bool SameHeading(std::string_view pasted, std::string_view heading)
{
    const std::string a = Trimmed(pasted);
    const std::string b = Trimmed(heading);
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// Whether `fields`, from `first` on, name the headings of the grid's columns from `column` on.
bool NamesHeadings(
    const std::vector<std::string> &fields, std::size_t first, const CellSource &grid, int column)
{
    if (first >= fields.size())
        return false;
    for (std::size_t i = first; i < fields.size(); ++i) {
        const int c = column + static_cast<int>(i - first);
        if (c >= grid.columns() || !SameHeading(fields[i], grid.text(c, 0)))
            return false;
    }
    return true;
}

} // namespace

PastedText ParsePastedText(std::string_view text, const CellSource &grid, int column)
{
    PastedText pasted;
    pasted.separator = DetectSeparator(text);
    Lines lines = SplitLines(text, SeparatorChar(pasted.separator));
    if (!lines.empty()) {
        const auto &first = lines.front();
        if (NamesHeadings(first, 0, grid, column)) {
            pasted.headingSkipped = true;
        } else if (first.size() >= 2 && SameHeading(first.front(), grid.text(0, 0))
            && NamesHeadings(first, 1, grid, column)) {
            pasted.headingSkipped = true;
            pasted.dayColumnSkipped = true;
        }
    }
    const std::size_t firstLine = pasted.headingSkipped ? 1 : 0;
    const std::size_t firstField = pasted.dayColumnSkipped ? 1 : 0;
    std::size_t width = 0;
    for (std::size_t l = firstLine; l < lines.size(); ++l)
        width = std::max(width, lines[l].size() > firstField ? lines[l].size() - firstField : 0);
    const bool decimalComma
        = pasted.separator == FieldSeparator::Tab || pasted.separator == FieldSeparator::Semicolon;

    pasted.block = GridBlock(static_cast<int>(width), static_cast<int>(lines.size() - firstLine));
    if (pasted.block.empty())
        return pasted;
    for (std::size_t l = firstLine; l < lines.size(); ++l) {
        const auto &fields = lines[l];
        for (std::size_t f = firstField; f < fields.size(); ++f) {
            std::string cell = Trimmed(fields[f]);
            if (decimalComma)
                ReadDecimalComma(cell);
            pasted.block.setText(
                static_cast<int>(f - firstField), static_cast<int>(l - firstLine), std::move(cell));
        }
    }
    return pasted;
}

GridBlock PreparePaste(
    GridBlock block, const CellSource &grid, int column, int row, std::string_view emptyText)
{
    const int room = grid.columns() - column;
    if (block.columnCount() > room)
        throw Error("The pasted data hold " + std::to_string(block.columnCount())
            + " columns; from \"" + QuotedText(grid.text(column, 0)) + "\" on the grid has "
            + std::to_string(std::max(room, 0)) + ". Nothing was pasted.");
    for (int r = 0; r < block.rowCount(); ++r) {
        for (int c = 0; c < block.columnCount(); ++c) {
            const std::string &text = block.text(c, r);
            if (text.empty()) {
                block.setText(c, r, std::string(emptyText));
                continue;
            }
            try {
                ParseDouble(text);
            } catch (const ConversionError &e) {
                throw Error(grid.text(0, 0) + " " + FormatInteger(row + r) + ", \""
                    + QuotedText(grid.text(column + c, 0)) + "\": " + e.what()
                    + " Nothing was pasted.");
            }
        }
    }
    return block;
}

} // namespace carexa
