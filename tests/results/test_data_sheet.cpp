#include "results/data_sheet.h"

#include "io/buffered_writer.h"
#include "model/number_text.h"
#include "model/rounding.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace carexa;

namespace {

constexpr int kBoxE = 4;

class DataSheet : public testing::Test
{
protected:
    DataSheet()
    {
        // Day d's box-E BOD5 is d, so a cell tells which day it came from; the initial one is 99.
        int d = 0;
        for (DayNode &node : state.days.active()) {
            ++d;
            node.box.setConcentration(Variable::BOD5, kBoxE, d);
            node.day.set(DayField::bod5In, 200);
        }
        state.initial.setConcentration(Variable::BOD5, kBoxE, 99);
    }
    void SetRtb(double rtb)
    {
        for (DayNode &node : state.days.active())
            node.day.set(DayField::RTB, rtb);
    }

    ModelState state;
    TextGrid grid {5, 5};
};

TEST_F(DataSheet, DefaultRetentionShowsEachDaysOwnOutflow)
{
    FillSimulationDataSheet(state, grid, kRunSheet);
    for (int k = 1; k <= 60; ++k)
        EXPECT_EQ(grid.cell(1, k), std::to_string(k));
}

TEST_F(DataSheet, OutflowLagsByTheWholeDaysOfTheRetentionTime)
{
    SetRtb(2.6);
    FillSimulationDataSheet(state, grid, kRunSheet);
    EXPECT_EQ(grid.cell(1, 1), "99");
    EXPECT_EQ(grid.cell(1, 2), "99");
    EXPECT_EQ(grid.cell(1, 3), "1");
    EXPECT_EQ(grid.cell(1, 4), "2");

    SetRtb(3);
    FillSimulationDataSheet(state, grid, kRunSheet);
    EXPECT_EQ(grid.cell(1, 2), "99");
    EXPECT_EQ(grid.cell(1, 3), "1");
    EXPECT_EQ(grid.cell(1, 4), "1");
    EXPECT_EQ(grid.cell(1, 5), "2");
}

// A loaded file may hold a negative retention time (a run refuses it): its outflow day lies
// after the day itself, and past the list it reads as the trailing node (box-E BOD5 61 here), in
// the sheet and in the series alike, without reading outside the list.
TEST_F(DataSheet, ANegativeRetentionTimeInALoadedFileReadsInsideTheList)
{
    state.days.last().box.setConcentration(Variable::BOD5, kBoxE, 61);
    state.days.node(1).day.set(DayField::RTB, -2.5); // day 1 + 2 = day 3
    state.days.node(59).day.set(DayField::RTB, -1e6); // far past the list
    state.days.node(60).day.set(DayField::RTB, -0.5); // trunc(-0.5) = 0: the day itself
    FillSimulationDataSheet(state, grid, kRunSheet);
    const SeriesValues series = ResultSeries(state);
    EXPECT_EQ(grid.cell(1, 1), "3");
    EXPECT_EQ(series[0][0], 3);
    EXPECT_EQ(grid.cell(1, 59), "61");
    EXPECT_EQ(series[0][58], 61);
    EXPECT_EQ(grid.cell(1, 60), "60");
    EXPECT_EQ(series[0][59], 60);
}

TEST_F(DataSheet, ZeroRuleAppliesToLaggedOutflowsOnly)
{
    state.days.node(1).box.setConcentration(Variable::NIT, kBoxE, 0.00009);
    state.initial.setConcentration(Variable::NIT, kBoxE, 0.00009);
    SetRtb(2);
    FillSimulationDataSheet(state, grid, kDataSheetButton);
    EXPECT_EQ(grid.cell(2, 1), "0.0001"); // from the initial values: rounded, not zeroed
    EXPECT_EQ(grid.cell(2, 2), "0"); // day 1's value, lagged
    FillSimulationDataSheet(state, grid, kRunSheet);
    EXPECT_EQ(grid.cell(2, 2), "1E-8"); // three decimals, no zero rule
}

TEST_F(DataSheet, EfficienciesUseTheDayItselfAndNeverShowZeroOrLess)
{
    SetRtb(3);
    state.days.node(5).box.setConcentration(Variable::BOD5, kBoxE, 50);
    state.days.node(6).box.setConcentration(Variable::BOD5, kBoxE, 300); // more out than in
    for (SheetFormat format : {kRunSheet, kDataSheetButton, kCloseSheet, kSimulateScreenSheet}) {
        FillSimulationDataSheet(state, grid, format);
        EXPECT_EQ(grid.cell(6, 5), "75");
        EXPECT_EQ(grid.cell(6, 6), "1E-8");
    }
}

TEST_F(DataSheet, AnInflowOfZeroShowsZeroEfficiency)
{
    state.days.node(3).day.set(DayField::bod5In, 0);
    for (DayField nitrogen : {DayField::nitrateIn, DayField::ammoniumIn, DayField::orgNitrogenIn})
        state.days.node(4).day.set(nitrogen, 0);
    FillSimulationDataSheet(state, grid, kRunSheet);
    EXPECT_EQ(grid.cell(6, 3), "0");
    EXPECT_EQ(grid.cell(11, 4), "0"); // total nitrogen: the sum of the three inflows is 0
}

TEST_F(DataSheet, DecimalsFollowTheVariant)
{
    state.days.node(1).box.setConcentration(Variable::TPO, kBoxE, 12.3456789);
    state.days.node(1).day.set(DayField::totalPIn, 24.691358);
    FillSimulationDataSheet(state, grid, kRunSheet);
    EXPECT_EQ(grid.cell(4, 1), "12.346");
    FillSimulationDataSheet(state, grid, kDataSheetButton);
    EXPECT_EQ(grid.cell(4, 1), "12.3457");
    EXPECT_EQ(grid.cell(9, 1), "50");
    FillSimulationDataSheet(state, grid, kSimulateScreenSheet);
    EXPECT_EQ(grid.cell(4, 1), "12.345679");
}

TEST_F(DataSheet, OnlyTheButtonVariantsLayOutTheTable)
{
    FillSimulationDataSheet(state, grid, kRunSheet);
    EXPECT_EQ(grid.columnCount(), 5);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.cell(11, 60), FormatGeneral(RoundPositive(0, 3)));
    EXPECT_EQ(grid.cell(0, 0), "");

    FillSimulationDataSheet(state, grid, kDataSheetButton);
    EXPECT_EQ(grid.columnCount(), 12);
    EXPECT_EQ(grid.rowCount(), 61);
    EXPECT_TRUE(grid.editable());
    EXPECT_EQ(grid.cell(0, 0), "Day");
    EXPECT_EQ(grid.cell(1, 0), "BOD5 out");
    EXPECT_EQ(grid.cell(11, 0), "eff. t.n. rem");
    EXPECT_EQ(grid.cell(0, 60), "60");
}

TEST_F(DataSheet, AdditionalResultsShowEveryBoxWithTpoBeforeOrn)
{
    DayNode &day7 = state.days.node(7);
    day7.box.setConcentration(Variable::TPO, 0, 6.54321);
    day7.box.setConcentration(Variable::ORN, 0, 3.2);
    day7.box.setConcentration(Variable::AMM, 2, -1);
    FillAdditionalResults(state, grid);
    EXPECT_EQ(grid.columnCount(), 26);
    EXPECT_EQ(grid.rowCount(), 61);
    EXPECT_EQ(grid.cell(1, 0), "BOD5-A");
    EXPECT_EQ(grid.cell(16, 0), "TPO-A");
    EXPECT_EQ(grid.cell(21, 0), "ORN-A");
    EXPECT_EQ(grid.cell(25, 0), "ORN-E");
    EXPECT_EQ(grid.cell(16, 7), "6.5432");
    EXPECT_EQ(grid.cell(21, 7), "3.2");
    EXPECT_EQ(grid.cell(13, 7), "1E-8");
    EXPECT_EQ(grid.cell(5, 7), "7");
}

// The CSV of the additional results heads every one of its 25 columns, the first box's BOD5 too.
TEST_F(DataSheet, AdditionalResultsCsvHeadsEveryColumn)
{
    StringSink sink;
    BufferedWriter out(sink);
    WriteAdditionalResultsCsv(state, out);
    out.flush();
    const std::string &text = sink.text();
    const std::string heading = text.substr(0, text.find('\n'));
    EXPECT_EQ(heading.substr(0, 24), "Day,BOD5-A,BOD5-B,BOD5-C");
    EXPECT_EQ(std::count(heading.begin(), heading.end(), ','), 25);
    EXPECT_EQ(heading.substr(heading.size() - 6), ",ORN-E");
}

TEST_F(DataSheet, StartUpFillWritesThePlainDefaults)
{
    ModelState fresh;
    FillStartupDataSheet(fresh, grid);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.cell(1, 60), "0.0001");
    EXPECT_EQ(grid.cell(5, 1), "0.0001");
    EXPECT_EQ(grid.cell(6, 1), "0");
}

} // namespace
