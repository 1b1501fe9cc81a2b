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

namespace {

TEST(TextGrid, EveryCellReadsBackTheTextItWasGiven)
{
    TextGrid grid(12, 61);
    const char *texts[] = {"0.0001", "12.5", "12.50", "0.00010", "1E-8", "1e-8", "-0", "0", "+5",
        "n/a", "1.2.3", " 5", "2.80699981710047E190", "Day", "139.9995", "007", "1E15"};
    int row = 1;
    for (const char *text : texts)
        grid.setCell(3, row++, text);
    row = 1;
    for (const char *text : texts)
        EXPECT_EQ(grid.cell(3, row++), text);
}

TEST(TextGrid, ScreenFormsOfNumbersAreHeldAsNumbers)
{
    TextGrid grid(12, 61);
    grid.setCell(1, 1, "0.0001");
    grid.setCell(1, 2, "0.00010");
    grid.setCell(1, 3, "1E-8");
    grid.setCell(1, 4, "-0");
    grid.setCell(1, 5, "n/a");
    EXPECT_EQ(grid.number(1, 1), 0.0001);
    EXPECT_EQ(grid.number(1, 2), std::nullopt); // not the screen form: kept as typed
    EXPECT_EQ(grid.number(1, 3), 1e-8);
    EXPECT_EQ(grid.number(1, 4), std::nullopt);
    EXPECT_EQ(grid.number(1, 5), std::nullopt);
    EXPECT_EQ(grid.number(1, 6), std::nullopt); // never written
    EXPECT_EQ(grid.number(-1, 1), std::nullopt);
}

TEST(TextGrid, NumbersShowTheirScreenForm)
{
    TextGrid grid(5, 5);
    grid.setNumber(1, 1, 139.9995);
    grid.setNumber(1, 2, 1e-8);
    grid.setNumber(1, 3, -0.0);
    grid.setNumber(1, 4, 1e300 * 1e300);
    grid.setNumber(1, 5, 60);
    EXPECT_EQ(grid.cell(1, 1), "139.9995");
    EXPECT_EQ(grid.cell(1, 2), "1E-8");
    EXPECT_EQ(grid.cell(1, 3), "0");
    EXPECT_EQ(grid.number(1, 3), 0.0);
    EXPECT_EQ(grid.cell(1, 4), "INF");
    EXPECT_EQ(grid.number(1, 4), std::nullopt);
    EXPECT_EQ(grid.cell(1, 5), "60");
    std::string line = "x,";
    grid.appendCell(line, 1, 1);
    grid.appendCell(line, 1, 99);
    EXPECT_EQ(line, "x,139.9995");
}

TEST(TextGrid, RewritingACellReplacesItsTextOrNumber)
{
    TextGrid grid(5, 5);
    grid.setCell(2, 2, "n/a");
    grid.setNumber(2, 2, 3.5);
    EXPECT_EQ(grid.cell(2, 2), "3.5");
    grid.setCell(2, 2, "abc");
    grid.setCell(2, 3, "def");
    EXPECT_EQ(grid.cell(2, 2), "abc");
    grid.setCell(2, 2, "");
    EXPECT_TRUE(grid.empty(2, 2));
    EXPECT_FALSE(grid.empty(2, 3));
    grid.setCell(2, 4, "ghi"); // takes the freed text's place
    EXPECT_EQ(grid.cell(2, 3), "def");
    EXPECT_EQ(grid.cell(2, 4), "ghi");
}

TEST(TextGrid, WideningKeepsEveryCell)
{
    const auto name = [](int r) {
        std::string text = "t";
        text += std::to_string(r);
        return text;
    };
    TextGrid grid(2, 2);
    for (int r = 0; r < 50; ++r) {
        grid.setNumber(0, r, r);
        grid.setCell(1, r, name(r));
    }
    grid.setCell(30, 7, "far");
    for (int r = 0; r < 50; ++r) {
        EXPECT_EQ(grid.cell(0, r), std::to_string(r));
        EXPECT_EQ(grid.cell(1, r), name(r));
    }
    EXPECT_EQ(grid.cell(30, 7), "far");
    EXPECT_EQ(grid.cell(29, 7), "");
}

} // namespace
