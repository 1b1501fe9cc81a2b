#include "model/text_grid.h"

namespace carexa {

namespace {
const std::string kEmptyText;
}

TextGrid::TextGrid(int columns, int rows) : columns_(columns), rows_(rows)
{ }

const std::string &TextGrid::cell(int column, int row) const
{
    if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= cells_.size())
        return kEmptyText;
    const auto &line = cells_[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(column) >= line.size())
        return kEmptyText;
    return line[static_cast<std::size_t>(column)];
}

void TextGrid::setCell(int column, int row, std::string text)
{
    if (row < 0 || column < 0)
        return;
    const auto r = static_cast<std::size_t>(row);
    const auto c = static_cast<std::size_t>(column);
    if (r >= cells_.size())
        cells_.resize(r + 1);
    auto &line = cells_[r];
    if (c >= line.size())
        line.resize(c + 1);
    line[c] = std::move(text);
}

void TextGrid::clear(int columns, int rows)
{
    cells_.clear();
    columns_ = columns;
    rows_ = rows;
}

} // namespace carexa
