#include "model/text_grid.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

TEST(TextGrid, CellsOutsideTheShownSizeKeepTheirText)
{
    TextGrid grid(5, 5);
    grid.setCell(11, 60, "12.5");
    EXPECT_EQ(grid.columnCount(), 5);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.cell(11, 60), "12.5");

    grid.setRowCount(61);
    grid.setRowCount(31);
    grid.setRowCount(61);
    EXPECT_EQ(grid.cell(11, 60), "12.5");
}

TEST(TextGrid, UnwrittenAndInvalidCellsAreEmpty)
{
    TextGrid grid(12, 61);
    EXPECT_EQ(grid.cell(3, 3), "");
    EXPECT_EQ(grid.cell(-1, 2), "");
    EXPECT_EQ(grid.cell(1000, 100000), "");
    grid.setCell(-1, 0, "ignored");
    EXPECT_EQ(grid.cell(-1, 0), "");
    grid.setCell(2, 2, "x");
    grid.clear(5, 5);
    EXPECT_EQ(grid.cell(2, 2), "");
    EXPECT_EQ(grid.rowCount(), 5);
}

} // namespace
