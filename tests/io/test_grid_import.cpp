#include "io/grid_import.h"

#include "model/error.h"
#include "model/observed_grid.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

ImportedTable Table(ImportTarget target, std::vector<int> columns, std::vector<std::int32_t> days,
    std::vector<double> values)
{
    ImportedTable table;
    table.target = target;
    table.columns = std::move(columns);
    table.days = std::move(days);
    table.values = std::move(values);
    table.lastDay = *std::max_element(table.days.begin(), table.days.end());
    return table;
}

std::vector<std::string> Cells(const TextGrid &grid, int rows)
{
    std::vector<std::string> cells;
    for (int r = 0; r <= rows; ++r) {
        for (int c = 0; c < 12; ++c)
            cells.push_back(grid.cell(c, r));
    }
    return cells;
}

class ForcingImport : public testing::Test
{
protected:
    ForcingImport()
    {
        state.setSimulationLength(10);
        LayOutForcingGrid(grid, 10);
        RefreshForcingGrid(state, grid);
        state.days.node(1).day.set(DayField::porosity, 0.4);
        state.days.node(1).day.set(DayField::oxygenE, 2.5);
    }
    double Day(int k, DayField field) const { return state.days.node(k).day.get(field); }

    ModelState state;
    TextGrid grid {12, 11};
};

TEST_F(ForcingImport, ReplacesTheChosenColumnsOfTheImportedDays)
{
    grid.setCell(2, 5, "");
    grid.setCell(1, 2, "3.5"); // typed, not yet stored
    const int imported = ImportForcingData(state, grid,
        Table(ImportTarget::Forcing, {3, 1}, {4, 2}, {120.5, 7, 0.1234567890123456, 8}),
        ExtraDays::Drop);
    EXPECT_EQ(imported, 2);
    EXPECT_EQ(grid.cell(3, 4), "120.5");
    EXPECT_EQ(grid.cell(1, 4), "7");
    EXPECT_EQ(grid.cell(3, 2), "0.123456789012346"); // as the screen shows it
    EXPECT_EQ(Day(2, DayField::bod5In), 0.123456789012346);
    EXPECT_EQ(Day(4, DayField::bod5In), 120.5);
    EXPECT_EQ(Day(2, DayField::temperature), 8);
    // The rest of the grid is stored as leaving the grid stores it.
    EXPECT_EQ(grid.cell(2, 5), "0.0001");
    EXPECT_EQ(grid.cell(3, 3), "0.0001");
    EXPECT_EQ(Day(3, DayField::bod5In), 0.0001);
    EXPECT_EQ(state.simulationLength, 10);
}

TEST_F(ForcingImport, ExtendsAsTypingTheLengthWould)
{
    state.days.node(3).day.set(DayField::RTB, 2);
    RefreshForcingGrid(state, grid);
    const ImportedTable table = Table(ImportTarget::Forcing, {2}, {1, 14, 12}, {30, 31, 32});
    EXPECT_EQ(ImportForcingData(state, grid, table, ExtraDays::Extend), 3);
    EXPECT_EQ(state.simulationLength, 14);
    EXPECT_EQ(state.days.count(), 15);
    EXPECT_EQ(grid.rowCount(), 15);
    EXPECT_EQ(grid.cell(0, 14), "14");
    EXPECT_EQ(grid.cell(2, 1), "30");
    EXPECT_EQ(grid.cell(2, 14), "31");
    EXPECT_EQ(Day(14, DayField::waterFlow), 31);
    EXPECT_EQ(Day(12, DayField::waterFlow), 32);
    EXPECT_EQ(grid.cell(2, 13), "0.0001");
    EXPECT_EQ(grid.cell(11, 3), "2"); // old days keep their values
    // The new days take day 1's bed; the days that stay keep theirs.
    EXPECT_EQ(Day(13, DayField::porosity), 0.4);
    EXPECT_EQ(Day(14, DayField::oxygenE), 2.5);
    EXPECT_EQ(Day(13, DayField::oxygenA), 0.0001);
    EXPECT_EQ(Day(2, DayField::porosity), 0.0001);
}

TEST_F(ForcingImport, DropsTheDaysThatDoNotFit)
{
    const ImportedTable table = Table(ImportTarget::Forcing, {1}, {10, 11}, {5, 6});
    EXPECT_EQ(ImportForcingData(state, grid, table, ExtraDays::Drop), 1);
    EXPECT_EQ(state.simulationLength, 10);
    EXPECT_EQ(grid.cell(1, 10), "5");
    EXPECT_EQ(grid.cell(1, 11), "");
}

TEST_F(ForcingImport, RefusesBeforeAnythingChanges)
{
    grid.setCell(4, 6, "n/a");
    grid.setCell(1, 7, "12,5");
    const std::vector<std::string> before = Cells(grid, 10);
    const ImportedTable table = Table(ImportTarget::Forcing, {1, 4}, {7, 12}, {1, 2, 3, 4});
    try {
        ImportForcingData(state, grid, table, ExtraDays::Extend);
        FAIL();
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(),
            "Day 6, column \"Nitrate\" of the forcing grid holds 'n/a', which is not a number. "
            "Correct or clear that cell before importing.");
    }
    EXPECT_EQ(Cells(grid, 10), before);
    EXPECT_EQ(state.simulationLength, 10);
    EXPECT_EQ(Day(7, DayField::temperature), 0.0001);

    // A bad cell the import replaces is no obstacle.
    grid.setCell(4, 6, "");
    EXPECT_EQ(ImportForcingData(state, grid, table, ExtraDays::Drop), 1);
    EXPECT_EQ(grid.cell(1, 7), "1");

    const ImportedTable late = Table(ImportTarget::Forcing, {1}, {13, 11}, {1, 2});
    try {
        ImportForcingData(state, grid, late, ExtraDays::Drop);
        FAIL();
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(),
            "The imported data start at day 11, after the 10 days of the project; nothing was "
            "imported.");
    }
    EXPECT_THROW(ImportForcingData(
                     state, grid, Table(ImportTarget::Observed, {1}, {1}, {1}), ExtraDays::Drop),
        Error);
}

TEST(ObservedImport, WritesScreenTextAndExtends)
{
    std::int32_t length = 5;
    TextGrid grid(12, 6);
    BuildObservedGrid(grid, 5);
    grid.setCell(2, 5, "typed");
    const ImportedTable table
        = Table(ImportTarget::Observed, {1, 11}, {2, 8}, {12.25, 0.0001, 1e-9, 95});
    EXPECT_EQ(ImportObservedValues(length, grid, table, ExtraDays::Drop), 1);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(grid.cell(1, 2), "12.25");
    EXPECT_EQ(grid.cell(11, 2), "0.0001");
    EXPECT_EQ(grid.cell(2, 5), "typed");

    EXPECT_EQ(ImportObservedValues(length, grid, table, ExtraDays::Extend), 2);
    EXPECT_EQ(length, 8);
    EXPECT_EQ(grid.rowCount(), 9);
    EXPECT_EQ(grid.cell(1, 8), "1E-9");
    EXPECT_EQ(grid.cell(11, 8), "95");
    EXPECT_EQ(grid.cell(3, 7), "0.0001");
    EXPECT_EQ(grid.cell(0, 7), "7");
    EXPECT_EQ(grid.cell(2, 5), "typed");

    std::int32_t shortLength = 1;
    EXPECT_THROW(ImportObservedValues(shortLength, grid, table, ExtraDays::Drop), Error);
    EXPECT_EQ(shortLength, 1);
}

TEST(GridImport, TheQuestionNamesBothLengths)
{
    EXPECT_EQ(ExtendQuestion(400, 365),
        "The imported data hold 400 days; the project has 365. Extend it to 400 days?");
}

} // namespace
