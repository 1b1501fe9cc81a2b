#include "model/error.h"
#include "model/observed_grid.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

// The one rule of a measurement, on both sides: any number a typed cell reads as, but 0.0001.
TEST(ObservedGrid, AMeasurementIsANumberOtherThanTheEmptyMark)
{
    const std::pair<const char *, double> measured[] = {{"3", 3}, {"0", 0}, {"12.5", 12.5},
        {".5", 0.5}, {"0.00011", 0.00011}, {"0.00009", 0.00009}, {"1E-6", 1e-6}, {"1e-6", 1e-6},
        {"-2", -2}, {"150%", 0}, {"1E+3", 1000}};
    for (const auto &[text, value] : measured) {
        if (std::string_view(text) == "150%") {
            EXPECT_FALSE(MeasuredValue(text)) << text; // no number
            continue;
        }
        ASSERT_TRUE(MeasuredValue(text)) << text;
        EXPECT_EQ(*MeasuredValue(text), value) << text;
    }
    for (const char *text : {"0.0001", "0.00010", "1E-4", "1e-04", "", " ", "n/a", "1.2.3", ".",
             "1,5", " 3", "3 ", "nan", "inf"})
        EXPECT_FALSE(MeasuredValue(text)) << '"' << text << '"';

    // A cell holds its text or the number it was written as; both read alike.
    TextGrid grid(12, 5);
    grid.setNumber(1, 1, 1e-6);
    grid.setNumber(1, 2, 0.0001);
    grid.setCell(1, 3, "0.00010");
    grid.setCell(1, 4, "-2.50");
    EXPECT_EQ(MeasuredValue(grid, 1, 1), 1e-6);
    EXPECT_FALSE(MeasuredValue(grid, 1, 2));
    EXPECT_FALSE(MeasuredValue(grid, 1, 3));
    EXPECT_EQ(MeasuredValue(grid, 1, 4), -2.5);
    EXPECT_FALSE(MeasuredValue(grid, 1, 5)); // never written
}

TEST(ObservedGrid, StartsWithEveryDayEmpty)
{
    TextGrid grid(5, 5);
    BuildObservedGrid(grid, 60);
    EXPECT_EQ(grid.rowCount(), 61);
    EXPECT_EQ(grid.columnCount(), 12);
    EXPECT_EQ(grid.cell(0, 0), "Day");
    EXPECT_EQ(grid.cell(6, 0), "eff. BOD5 rem");
    EXPECT_EQ(grid.cell(0, 60), "60");
    EXPECT_EQ(grid.cell(11, 60), "0.0001");
    EXPECT_TRUE(grid.editable());
}

TEST(ObservedGrid, RowsComingBackStartEmptyAgain)
{
    TextGrid grid(5, 5);
    std::int32_t length = 60;
    BuildObservedGrid(grid, length);
    grid.setCell(2, 10, "4.4");
    grid.setCell(2, 40, "7.7");
    SetObservedLength(length, grid, 30);
    EXPECT_EQ(length, 30);
    EXPECT_EQ(grid.rowCount(), 31);
    EXPECT_EQ(grid.cell(2, 10), "4.4");
    EXPECT_EQ(grid.cell(2, 40), "7.7"); // kept, not shown
    grid.setCell(5, 30, "3.3");
    grid.setCell(5, 31, "9.9");
    grid.setCell(5, 46, "6.6");
    SetObservedLength(length, grid, 45);
    EXPECT_EQ(grid.rowCount(), 46);
    EXPECT_EQ(grid.cell(5, 30), "3.3"); // the last row kept keeps its cells
    EXPECT_EQ(grid.cell(5, 31), "0.0001"); // the first row coming back starts empty
    EXPECT_EQ(grid.cell(5, 45), "0.0001");
    EXPECT_EQ(grid.cell(5, 46), "6.6"); // past the new length: not written
    EXPECT_EQ(grid.cell(2, 40), "0.0001");
    EXPECT_EQ(grid.cell(0, 45), "45");
    EXPECT_EQ(grid.cell(2, 10), "4.4");

    SetObservedLength(length, grid, 0);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_THROW(SetObservedLength(length, grid, -1), Error);
    EXPECT_EQ(length, 0);
}

TEST(ObservedGrid, FillEmptyDaysRepeatsTheLastObservation)
{
    TextGrid grid(5, 5);
    BuildObservedGrid(grid, 6);
    const char *column[] = {"", "2.5", "", "0.0001", "3.1", ""};
    for (int r = 1; r <= 6; ++r)
        grid.setCell(3, r, column[r - 1]);
    grid.setCell(5, 2, "0.00010"); // an observation of 0.0001 typed otherwise stays
    grid.setCell(5, 3, "0.0001");
    FillEmptyObservedDays(grid, 6);
    const char *expected[] = {"0.0001", "2.5", "2.5", "2.5", "3.1", "3.1"};
    for (int r = 1; r <= 6; ++r)
        EXPECT_EQ(grid.cell(3, r), expected[r - 1]) << r;
    EXPECT_EQ(grid.cell(5, 3), "0.00010");
}

TEST(ObservedGrid, FillingOneRowOrNone)
{
    TextGrid grid(12, 3);
    FillColumnForward(grid, 1, 0);
    EXPECT_EQ(grid.cell(1, 1), "");
    FillColumnForward(grid, 1, 1);
    EXPECT_EQ(grid.cell(1, 1), "0.0001");
    EXPECT_EQ(grid.cell(1, 2), "");
}

TEST(ObservedGrid, DaysHoldDataWhenACellIsNeitherEmptyNorTheEmptyValue)
{
    TextGrid grid(5, 5);
    BuildObservedGrid(grid, 90);
    EXPECT_FALSE(ObservedDaysHoldData(grid, 1, 90));
    grid.setCell(11, 40, "");
    EXPECT_FALSE(ObservedDaysHoldData(grid, 1, 90));
    grid.setCell(11, 40, "0.00010"); // typed so, it is text of the user's, not the empty mark
    EXPECT_TRUE(ObservedDaysHoldData(grid, 40, 40));
    EXPECT_TRUE(ObservedDaysHoldData(grid, 11, 90));
    EXPECT_FALSE(ObservedDaysHoldData(grid, 41, 90));
    EXPECT_FALSE(ObservedDaysHoldData(grid, 1, 39));
    grid.setCell(1, 90, "abc");
    EXPECT_TRUE(ObservedDaysHoldData(grid, 90, 90));
    EXPECT_FALSE(ObservedDaysHoldData(grid, 91, 90));
    grid.setCell(0, 0, "Day"); // headings are not data
    EXPECT_FALSE(ObservedDaysHoldData(grid, 0, 0));
    grid.setCell(1, 1, "5"); // the first day counts, from 0 or 1 on
    EXPECT_TRUE(ObservedDaysHoldData(grid, 1, 1));
    EXPECT_TRUE(ObservedDaysHoldData(grid, 0, 1));
}

} // namespace
