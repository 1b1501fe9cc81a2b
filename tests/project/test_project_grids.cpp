// What the window's grids read from and write into the project: the forcing grid's texts, which
// days hold data before a shorter length discards them, and the observed cells a graph cleans.

#include "project/project.h"

#include "model/error.h"
#include "model/grid_block.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

GridBlock Cell(const std::string &text)
{
    return GridBlock(1, 1, text);
}

constexpr int kTemperature = 1, kFlow = 2, kRtb = 11;

TEST(ProjectForcingGrid, ShowsTheHeadingsTheDaysAndEveryCellAsTheGridShowsIt)
{
    Project project;
    project.setSimulationLength(3);
    project.setForcingCells(kFlow, 2, Cell("12.50"));
    project.setForcingCells(kTemperature, 3, Cell("warm"));
    project.setForcingCells(kRtb, 1, Cell("1E-3"));

    const TextGrid grid = project.forcingGrid();
    EXPECT_EQ(grid.columnCount(), 12);
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.cell(0, 0), "Day");
    EXPECT_EQ(grid.cell(1, 0), "temp.");
    EXPECT_EQ(grid.cell(11, 0), "RTB");
    EXPECT_EQ(grid.cell(0, 3), "3");
    EXPECT_EQ(grid.cell(kFlow, 2), "12.5"); // the day's number, as the grid shows it
    EXPECT_EQ(grid.cell(kTemperature, 3), "warm"); // a text that is no number as typed
    EXPECT_EQ(grid.cell(kRtb, 1), "0.001");
    EXPECT_EQ(grid.cell(kFlow, 3), "0.0001");
    EXPECT_EQ(project.forcingText(kTemperature, 3), "warm");
    EXPECT_EQ(project.state().days.node(3).day.get(DayField::temperature), 0.0001);
}

TEST(ProjectForcingGrid, TellsWhichDaysHoldDataOnBothSidesOfEachDay)
{
    Project project;
    project.setSimulationLength(5);
    EXPECT_FALSE(project.forcingDaysHoldData(1, 5));
    project.setForcingCells(kRtb, 3, Cell("2"));
    EXPECT_FALSE(project.forcingDaysHoldData(1, 2));
    EXPECT_TRUE(project.forcingDaysHoldData(3, 3));
    EXPECT_FALSE(project.forcingDaysHoldData(4, 5));
    EXPECT_TRUE(project.forcingDaysHoldData(2, 4));
    EXPECT_FALSE(project.forcingDaysHoldData(4, 3)); // first past last holds nothing

    // A text that is no number counts, though its day keeps 0.0001.
    project.setForcingCells(kFlow, 5, Cell("n/a"));
    EXPECT_TRUE(project.forcingDaysHoldData(5, 5));
    EXPECT_FALSE(project.forcingDaysHoldData(4, 4));
    // Days outside the project are not looked at.
    EXPECT_TRUE(project.forcingDaysHoldData(5, 99));
    EXPECT_FALSE(project.forcingDaysHoldData(6, 99));
    EXPECT_TRUE(project.forcingDaysHoldData(-3, 3));
    // An empty text makes the cell empty again.
    project.setForcingCells(kFlow, 5, Cell(""));
    EXPECT_FALSE(project.forcingDaysHoldData(5, 5));
    EXPECT_TRUE(project.forcingDrafts().empty());
}

TEST(ProjectForcingGrid, AShorterLengthDropsTheTextsOfTheDaysItCutsOff)
{
    Project project;
    project.setSimulationLength(5);
    project.setForcingCells(kFlow, 4, Cell("x"));
    project.setForcingCells(kFlow, 5, Cell("y"));
    project.setSimulationLength(4);
    ASSERT_EQ(project.forcingDrafts().size(), 1U);
    EXPECT_EQ(project.forcingText(kFlow, 4), "x");
    project.setSimulationLength(5);
    EXPECT_EQ(project.forcingText(kFlow, 5), "0.0001");
}

// A script's numbers into a forcing field replace the texts of that column's cells on those
// days, and only there.
TEST(ProjectForcingGrid, NumbersFromAScriptReplaceTheTextsOfTheirColumnOnly)
{
    Project project;
    project.setSimulationLength(5);
    project.setForcingCells(kTemperature, 2, Cell("cold"));
    project.setForcingCells(kFlow, 2, Cell("n/a"));
    project.setForcingCells(kFlow, 4, Cell("?"));
    project.setForcingCells(kRtb, 2, Cell("r"));
    project.setDayValues(DayField::waterFlow, 2, {5, 6});
    EXPECT_EQ(project.forcingText(kFlow, 2), "5");
    EXPECT_EQ(project.forcingText(kFlow, 3), "6");
    EXPECT_EQ(project.forcingText(kFlow, 4), "?");
    EXPECT_EQ(project.forcingText(kTemperature, 2), "cold");
    EXPECT_EQ(project.forcingText(kRtb, 2), "r");
    EXPECT_EQ(project.forcingDrafts().size(), 3U);
    project.setDayValues(DayField::RTB, 2, {2.5});
    EXPECT_EQ(project.forcingText(kRtb, 2), "2.5");
    EXPECT_EQ(project.forcingText(kTemperature, 2), "cold");
}

// "Apply PF" divides day 1's eight inflow values by PF and leaves the rest of day 1 and every
// other day as they were.
TEST(ProjectForcingGrid, ApplyingPFDividesDayOnesInflowsOnly)
{
    Project project;
    project.load(ReadProjectFile(testing_support::ExampleFile("cold_climate_bed.mdl")));
    const double pf = project.state().initial.get(BoxField::PF);
    ASSERT_TRUE(pf > 0 && pf != 1.0) << pf;
    const double day2Bod = project.state().days.node(2).day.get(DayField::bod5In);
    project.applyPrecipitationFactor();
    const DayValues &day1 = project.state().days.node(1).day;
    EXPECT_DOUBLE_EQ(day1.get(DayField::bod5In), 137.7 / pf);
    EXPECT_DOUBLE_EQ(day1.get(DayField::nitrateIn), 3.1 / pf);
    EXPECT_DOUBLE_EQ(day1.get(DayField::popPercent), 20.9 / pf);
    EXPECT_EQ(day1.get(DayField::temperature), 1.5);
    EXPECT_EQ(day1.get(DayField::waterFlow), 10.1);
    EXPECT_EQ(day1.get(DayField::RTB), 3.8);
    EXPECT_EQ(project.state().days.node(2).day.get(DayField::bod5In), day2Bod);
}

TEST(ProjectObservedGrid, AGraphCleansTheObservedCellsItReadsAndOnlyThose)
{
    Project project;
    project.setObservedLength(10);
    project.setObservedCells(7, 4, Cell("n/a"));
    project.setObservedCells(6, 4, Cell("abc"));
    project.setObservedCells(7, 10, Cell(""));
    project.setObservedCells(7, 3, Cell("12.5"));
    int told = 0;
    project.subscribe([&told](const ProjectChange &change) {
        told += change.parts.contains(ProjectPart::Observed) ? 1 : 0;
    });

    GraphRequest request;
    request.column = 7;
    request.observedDays = 10;
    // Without the observed values on the graph nothing is read, so nothing is cleaned.
    project.cleanGraphCells(request);
    EXPECT_EQ(project.observed().cell(7, 4), "n/a");

    request.showObserved = true;
    project.cleanGraphCells(request);
    EXPECT_EQ(project.observed().cell(7, 4), "0.0001");
    EXPECT_EQ(project.observed().cell(7, 10), "0.0001");
    EXPECT_EQ(project.observed().cell(7, 3), "12.5");
    EXPECT_EQ(project.observed().cell(6, 4), "abc"); // another series
    EXPECT_EQ(told, 2);

    // A typed maximum that is no number refuses the graph before anything is cleaned.
    project.setObservedCells(7, 5, Cell("?"));
    request.typedMaximum = "big";
    EXPECT_THROW(project.cleanGraphCells(request), std::exception);
    EXPECT_EQ(project.observed().cell(7, 5), "?");
}

} // namespace
