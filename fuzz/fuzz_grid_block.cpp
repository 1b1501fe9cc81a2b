// The grid block parser behind Ctrl+V in the forcing grid and the observed values: a pasted text
// is taken apart for the cell the first two bytes choose, checked as a paste is, written, and
// copied back out. A block that is accepted holds only numbers, fits the grid's columns, and
// reads back as written; a copied block pastes back to the same cells.

#include "model/error.h"
#include "model/forcing_grid.h"
#include "model/grid_block.h"
#include "model/number_text.h"
#include "model/observed_grid.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace carexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    constexpr int kDays = 20;
    TextGrid grid(12, kDays + 1);
    const bool forcing = (data[0] & 1) != 0;
    if (forcing)
        LayOutForcingGrid(grid, kDays);
    else
        BuildObservedGrid(grid, kDays);
    const int column = 1 + (data[0] >> 1) % 11;
    const int row = 1 + data[1] % (kDays + 5); // rows past the grid are checked too
    const std::string_view text(reinterpret_cast<const char *>(data + 2), size - 2);

    PastedText pasted = ParsePastedText(text, grid, column);
    if (pasted.block.empty())
        return 0;
    GridBlock block;
    try {
        block = PreparePaste(std::move(pasted.block), grid, column, row, "0.0001");
    } catch (const Error &) {
        return 0;
    }
    if (column + block.columnCount() - 1 > 11)
        std::abort();
    for (int r = 0; r < block.rowCount(); ++r) {
        for (int c = 0; c < block.columnCount(); ++c)
            ParseDouble(block.text(c, r)); // throws (and so fails) for a text that is no number
    }
    const GridBlock before = WriteBlock(grid, column, row, block);
    const CellRange range {column, row, block.columnCount(), block.rowCount()};
    if (!(ReadBlock(grid, range) == block))
        std::abort();

    // What is copied out pastes back to the same texts.
    const std::string copied = BlockText(grid, range, false);
    PastedText again = ParsePastedText(copied, grid, column);
    const GridBlock back = PreparePaste(std::move(again.block), grid, column, row, "0.0001");
    if (!(back == block))
        std::abort();
    WriteBlock(grid, column, row, before);
    return 0;
}
