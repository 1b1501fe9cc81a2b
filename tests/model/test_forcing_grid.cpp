#include "model/error.h"
#include "model/forcing_grid.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

class ForcingGrid : public testing::Test
{
protected:
    ForcingGrid()
    {
        LayOutForcingGrid(grid, state.simulationLength);
        RefreshForcingGrid(state, grid);
    }
    double Day(int k, DayField field) const { return state.days.node(k).day.get(field); }

    ModelState state;
    TextGrid grid {12, 61};
};

TEST_F(ForcingGrid, LayoutHeadingsAndLegend)
{
    EXPECT_EQ(grid.rowCount(), 61);
    EXPECT_EQ(grid.columnCount(), 12);
    EXPECT_EQ(grid.cell(0, 0), "Day");
    EXPECT_EQ(grid.cell(2, 0), "water flow");
    EXPECT_EQ(grid.cell(11, 0), "RTB");
    EXPECT_EQ(grid.cell(0, 60), "60");
    EXPECT_EQ(grid.cell(7, 60), "0.0001");
    const std::string legend = ForcingLegend();
    EXPECT_EQ(legend.substr(0, 26), "Temp. = average C. daily \n");
    EXPECT_EQ(std::count(legend.begin(), legend.end(), '\n'), 11);
    EXPECT_NE(legend.find("POM = Particulated Organic Phosphorous \n"), std::string::npos);
}

TEST_F(ForcingGrid, StoreFillsEmptyCellsAndConvertsTheRest)
{
    grid.setCell(1, 2, "12.5");
    grid.setCell(3, 5, "");
    StoreForcingGrid(state, grid);
    EXPECT_EQ(Day(2, DayField::temperature), 12.5);
    EXPECT_EQ(grid.cell(3, 5), "0.0001");
    EXPECT_EQ(Day(5, DayField::bod5In), 0.0001);

    grid.setCell(2, 3, "4");
    grid.setCell(2, 7, "n/a");
    grid.setCell(2, 9, "8");
    EXPECT_THROW(StoreForcingGrid(state, grid), ConversionError);
    EXPECT_EQ(Day(3, DayField::waterFlow), 4); // days before the bad cell are stored
    EXPECT_EQ(Day(9, DayField::waterFlow), 0.0001);
}

TEST_F(ForcingGrid, FillEmptyDaysCarriesValuesDown)
{
    const char *temps[] = {"10", "", "", "12", "0.0001"};
    for (int r = 1; r <= 5; ++r)
        grid.setCell(1, r, temps[r - 1]);
    grid.setCell(3, 1, "");
    grid.setCell(3, 2, "");
    grid.setCell(4, 1, "5");
    FillEmptyForcingDays(state, grid);
    for (int r = 1; r <= 3; ++r)
        EXPECT_EQ(grid.cell(1, r), "10");
    EXPECT_EQ(grid.cell(1, 4), "12");
    EXPECT_EQ(grid.cell(1, 5), "12");
    EXPECT_EQ(grid.cell(1, 60), "12");
    EXPECT_EQ(Day(60, DayField::temperature), 12);
    EXPECT_EQ(grid.cell(3, 1), "0.0001");
    EXPECT_EQ(grid.cell(3, 2), "0.0001");
    EXPECT_EQ(Day(33, DayField::nitrateIn), 5);
}

TEST_F(ForcingGrid, WaterVolumeAndRetentionTimes)
{
    state.initial.set(BoxField::VO, 375);
    for (DayNode &node : state.days.active())
        node.day.set(DayField::porosity, 0.4);
    EXPECT_DOUBLE_EQ(CalculateWaterVolume(state), 150);
    EXPECT_EQ(state.days.first().box.get(BoxField::VO), 375);
    EXPECT_DOUBLE_EQ(Day(60, DayField::boxWaterVolume), 30);

    for (DayNode &node : state.days.active())
        node.day.set(DayField::waterFlow, node.box.dayNumber() == 2 ? 100 : 10);
    CalculateRetentionTimes(state, grid);
    EXPECT_EQ(Day(1, DayField::RTB), 3);
    EXPECT_EQ(Day(2, DayField::RTB), 0.75);
    EXPECT_EQ(grid.cell(11, 1), "3");
    EXPECT_EQ(grid.cell(11, 2), "0.75");

    state.days.node(40).day.set(DayField::waterFlow, 7);
    CalculateRetentionTimes(state, grid);
    EXPECT_EQ(grid.cell(11, 40), "4.29");
}

TEST_F(ForcingGrid, ZeroFlowStoresNoRetentionTime)
{
    for (DayNode &node : state.days.active()) {
        node.day.set(DayField::boxWaterVolume, 30);
        node.day.set(DayField::waterFlow, 10);
    }
    state.days.node(8).day.set(DayField::waterFlow, 0);
    try {
        CalculateRetentionTimes(state, grid);
        ADD_FAILURE() << "stored a retention time for a zero flow";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("day 8"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Day(1, DayField::RTB), 0.0001);
    EXPECT_EQ(grid.cell(11, 1), "0.0001");
}

TEST_F(ForcingGrid, WarningWhenTheRunIsShorterThanTwelveRetentionTimes)
{
    const auto setLength = [this](int length) {
        ChangeSimulationLength(state, grid, length);
        for (DayNode &node : state.days.active())
            node.day.set(DayField::RTB, 3);
    };
    setLength(35);
    EXPECT_TRUE(RetentionWarning(state));
    setLength(36);
    EXPECT_FALSE(RetentionWarning(state));
}

// Lengthening continues the bed of day 1 on the new days only: its volume, porosity, oxygen and
// box water volume; the grid columns and results of a new day start empty, also for a day an
// earlier shortening cut off. Days that stay keep every value.
TEST_F(ForcingGrid, LengtheningGivesTheNewDaysTheBedOfDayOne)
{
    DayNode &first = state.days.node(1);
    first.box.set(BoxField::VO, 180);
    first.day.set(DayField::porosity, 0.38);
    first.day.set(DayField::oxygenC, 1.5);
    first.day.set(DayField::boxWaterVolume, 13.68);
    state.days.node(30).day.set(DayField::porosity, 0.41); // a day of its own
    state.days.node(60).day.set(DayField::bod5In, 140);
    state.days.node(60).box.setConcentration(Variable::NIT, 2, 7.5);
    state.days.last().box.setConcentration(Variable::NIT, 2, 8.5); // the spare after a run
    ChangeSimulationLength(state, grid, 70);
    EXPECT_EQ(state.simulationLength, 70);
    EXPECT_EQ(state.days.count(), 71);
    EXPECT_EQ(grid.rowCount(), 71);
    EXPECT_EQ(grid.cell(0, 70), "70");
    EXPECT_EQ(grid.cell(3, 60), "140");
    EXPECT_EQ(Day(30, DayField::porosity), 0.41);
    EXPECT_EQ(Day(2, DayField::porosity), 0.0001); // days that stay keep theirs
    EXPECT_EQ(state.days.node(60).box.concentration(Variable::NIT, 2), 7.5);
    for (int k = 61; k <= 70; ++k) {
        for (int c = 1; c <= 11; ++c)
            EXPECT_EQ(grid.cell(c, k), "0.0001") << k << "," << c;
        EXPECT_EQ(state.days.node(k).box.get(BoxField::VO), 180) << k;
        EXPECT_EQ(Day(k, DayField::porosity), 0.38) << k;
        EXPECT_EQ(Day(k, DayField::oxygenC), 1.5) << k;
        EXPECT_EQ(Day(k, DayField::oxygenA), 0.0001) << k;
        EXPECT_EQ(Day(k, DayField::boxWaterVolume), 13.68) << k;
        EXPECT_EQ(state.days.node(k).box.concentration(Variable::NIT, 2), 0.0001) << k;
        EXPECT_EQ(state.days.node(k).box.dayNumber(), k);
    }
    EXPECT_EQ(state.days.last().day.get(DayField::porosity), 0.0001);

    ChangeSimulationLength(state, grid, 59);
    EXPECT_EQ(state.days.count(), 60);
    EXPECT_EQ(grid.rowCount(), 60);
    // Day 60 was cut off; lengthening again brings it back empty, not with its old values.
    ChangeSimulationLength(state, grid, 60);
    EXPECT_EQ(Day(60, DayField::bod5In), 0.0001);
    EXPECT_EQ(grid.cell(3, 60), "0.0001");
    EXPECT_EQ(state.days.node(60).box.concentration(Variable::NIT, 2), 0.0001);
    EXPECT_EQ(Day(60, DayField::porosity), 0.38);
}

TEST_F(ForcingGrid, LengthsOutsideTheRangeAreRefused)
{
    for (int length : {0, -4, kMaxDays + 1}) {
        EXPECT_THROW(ChangeSimulationLength(state, grid, length), Error);
        EXPECT_EQ(state.simulationLength, 60);
        EXPECT_EQ(grid.rowCount(), 61);
    }
    // The ends of the range are lengths; the longest on the records alone (no grid of texts).
    ChangeSimulationLength(state, grid, 1);
    EXPECT_EQ(state.simulationLength, 1);
    EXPECT_EQ(grid.rowCount(), 2);
    ChangeSimulationLength(state, kMaxDays);
    EXPECT_EQ(state.simulationLength, 300000);
    EXPECT_EQ(state.days.count(), 300001);
}

TEST_F(ForcingGrid, ResetWritesTheEmptyValueEverywhere)
{
    for (int c = 1; c <= 11; ++c)
        grid.setCell(c, 10, "33");
    StoreForcingGrid(state, grid);
    state.days.node(10).day.set(DayField::porosity, 0.4);
    ResetForcingGrid(state, grid);
    for (int c = 1; c <= 11; ++c)
        EXPECT_EQ(grid.cell(c, 10), "0.0001") << c;
    EXPECT_EQ(Day(10, DayField::temperature), 0.0001);
    EXPECT_EQ(Day(10, DayField::RTB), 0.0001);
    EXPECT_EQ(Day(10, DayField::ammoniumIn), 0.0001);
    EXPECT_EQ(Day(10, DayField::porosity), 0.4); // not a grid column
}

// Before a shorter length cuts days off: which days hold data, in the days or in the grid.
TEST_F(ForcingGrid, DaysHoldDataWhenAnyForcingValueIsNotTheEmptyValue)
{
    EXPECT_FALSE(ForcingDaysHoldData(state, grid, 1, 60));
    state.days.node(50).day.set(DayField::RTB, 2.5);
    EXPECT_TRUE(ForcingDaysHoldData(state, grid, 50, 60));
    EXPECT_TRUE(ForcingDaysHoldData(state, grid, 11, 50));
    EXPECT_FALSE(ForcingDaysHoldData(state, grid, 51, 60));
    EXPECT_FALSE(ForcingDaysHoldData(state, grid, 1, 49));
    EXPECT_FALSE(ForcingDaysHoldData(state, grid, 51, 50)); // nothing cut off

    // A value of 0 is data too; porosity, oxygen and results are not grid columns.
    state.days.node(55).day.set(DayField::temperature, 0);
    EXPECT_TRUE(ForcingDaysHoldData(state, grid, 51, 60));
    state.days.node(55).day.set(DayField::temperature, 0.0001);
    state.days.node(58).day.set(DayField::porosity, 0.4);
    state.days.node(58).day.set(DayField::oxygenC, 2);
    state.days.node(58).box.setConcentration(Variable::BOD5, 4, 12);
    EXPECT_FALSE(ForcingDaysHoldData(state, grid, 51, 60));

    // Text typed into the grid and not yet stored counts; an empty cell does not.
    grid.setCell(3, 59, "");
    EXPECT_FALSE(ForcingDaysHoldData(state, grid, 51, 60));
    grid.setCell(3, 59, "140");
    EXPECT_TRUE(ForcingDaysHoldData(state, grid, 59, 59));
    EXPECT_FALSE(ForcingDaysHoldData(state, grid, 60, 60));
    grid.setCell(11, 60, "x");
    EXPECT_TRUE(ForcingDaysHoldData(state, grid, 60, 60));
    grid.setCell(1, 57, "12"); // the first column is read too
    EXPECT_TRUE(ForcingDaysHoldData(state, grid, 57, 57));
    EXPECT_TRUE(ForcingDaysHoldData(state, grid, 60, 90)); // past the last day: not looked at
    EXPECT_FALSE(ForcingDaysHoldData(state, grid, 61, 90));
}

TEST(ShorteningQuestion, NamesTheDaysCutOff)
{
    EXPECT_EQ(ShorteningQuestion(10, 90),
        "Shortening to 10 days discards the data of days 11 to 90. Shorten?");
    EXPECT_EQ(
        ShorteningQuestion(59, 60), "Shortening to 59 days discards the data of day 60. Shorten?");
    EXPECT_EQ(ShorteningQuestion(58, 60),
        "Shortening to 58 days discards the data of days 59 to 60. Shorten?");
    EXPECT_EQ(
        ShorteningQuestion(1, 5), "Shortening to 1 day discards the data of days 2 to 5. Shorten?");
    EXPECT_EQ(ShorteningQuestion(0, 5),
        "Shortening to 0 days discards the data of days 1 to 5. Shorten?");
}

} // namespace
