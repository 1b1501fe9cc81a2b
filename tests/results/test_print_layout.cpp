#include "results/print_layout.h"

#include "model/number_text.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

using namespace carexa;
using carexa::testing_support::RecordingCanvas;

namespace {

// The day numbers a table page prints, in order.
std::vector<int> DaysOnPage(const PrintTable &table, int page)
{
    RecordingCanvas canvas;
    DrawTablePage(canvas, table, page);
    std::vector<int> days;
    for (const auto &text : canvas.texts) {
        if (text.x == 150 && text.y >= 600)
            days.push_back(static_cast<int>(ParseInteger(text.text)));
    }
    return days;
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> days;
    for (int d = first; d <= last; ++d)
        days.push_back(d);
    return days;
}

TEST(PrintTables, FiftyRowsAPage)
{
    TextGrid grid(12, 121);
    EXPECT_EQ(TablePageCount(60), 2);
    EXPECT_EQ(DaysOnPage(SimulationSheetTable(grid, 60), 1), Range(1, 50));
    EXPECT_EQ(DaysOnPage(SimulationSheetTable(grid, 60), 2), Range(51, 60));
    EXPECT_EQ(TablePageCount(101), 3);
    EXPECT_EQ(DaysOnPage(ForcingTable(grid, 101), 3), Range(101, 101));
    EXPECT_EQ(DaysOnPage(ObservedTable(grid, 120), 2), Range(51, 100));
    EXPECT_EQ(TablePageCount(30), 1);
    EXPECT_EQ(TablePageCount(50), 1);
    EXPECT_EQ(TablePageCount(0), 1);
}

TEST(PrintTables, FrameHeadingsAndCells)
{
    TextGrid grid(12, 61);
    grid.setCell(3, 52, "1E-8");
    grid.setCell(11, 51, "12.5");
    RecordingCanvas canvas;
    DrawTablePage(canvas, SimulationSheetTable(grid, 60), 2);
    EXPECT_EQ(canvas.textAt(300, 150)->text, "Simulation Data");
    EXPECT_EQ(canvas.textAt(300, 150)->fontSize, 14);
    EXPECT_EQ(canvas.textAt(150, 430)->text, "Day");
    EXPECT_EQ(canvas.textAt(400, 430)->text, "BOD5out");
    EXPECT_EQ(canvas.textAt(4400, 430)->text, "eff.t.n.");
    EXPECT_EQ(canvas.textAt(4400, 430)->fontSize, 10);
    EXPECT_EQ(canvas.textAt(4400, 600)->text, "12.5"); // day 51 is the page's first row
    EXPECT_EQ(canvas.textAt(1200, 720)->text, "1E-8");
    ASSERT_EQ(canvas.segments.size(), 12u);
    EXPECT_EQ(canvas.segments[0].width, 8);
    EXPECT_EQ(canvas.segments[1].x1, 380);
    EXPECT_EQ(canvas.segments[11].x1, 4380);
    EXPECT_EQ(canvas.segments[11].y2, 6700);

    RecordingCanvas forcing;
    DrawTablePage(forcing, ForcingTable(grid, 60), 1);
    EXPECT_EQ(forcing.textAt(800, 430)->text, "w.flow");
    EXPECT_EQ(forcing.textAt(4400, 430)->text, "RTB");
}

TEST(PrintLists, EachParameterBesideItsLabel)
{
    ModelParameters parameters;
    parameters.set(Parameter::PN, 0.001);
    parameters.set(Parameter::DC, 3.5);
    RecordingCanvas canvas;
    DrawListPage(canvas, ModelParameterList(parameters));
    EXPECT_EQ(canvas.textAt(400, 450)->text, "Model Parameters:");
    const int pnY = 630 + 13 * 100;
    EXPECT_EQ(canvas.textAt(400, pnY)->text, "Max. plant uptake-rate of nitrate (PN)");
    EXPECT_EQ(canvas.textAt(3000, pnY)->text, "0.001");
    EXPECT_EQ(canvas.textAt(400, 930)->text, "Max. denitrification rate (DC");
    EXPECT_EQ(canvas.textAt(3000, 930)->text, "3.5");
    EXPECT_EQ(canvas.textAt(400, 630)->fontSize, 12);
}

TEST(PrintLists, InitialValuesAndDesign)
{
    ModelState state;
    state.days.first().box.set(BoxField::VO, 480);
    state.days.first().day.set(DayField::porosity, 0.4);
    state.initial.setConcentration(Variable::AMM, 0, 30);
    state.initial.setConcentration(Variable::TPO, 4, 4);
    const PrintList list = InitialValuesList(state);
    ASSERT_EQ(list.rows.size(), 34u);
    RecordingCanvas canvas;
    DrawListPage(canvas, list);
    EXPECT_EQ(canvas.textAt(1350, 630)->text, "60");
    EXPECT_EQ(canvas.textAt(400, 730)->text, "Volume of Wetland:");
    EXPECT_EQ(canvas.textAt(1350, 730)->text, "480");
    EXPECT_EQ(canvas.textAt(1350, 830)->text, "0.4");
    EXPECT_EQ(canvas.textAt(400, 1530)->text, "Initial AMMA:");
    EXPECT_EQ(canvas.textAt(1350, 1530)->text, "30");
    EXPECT_EQ(canvas.textAt(400, 3930)->text, "Initial TPOE:");
    EXPECT_EQ(canvas.textAt(1350, 3930)->text, "4");
}

} // namespace
