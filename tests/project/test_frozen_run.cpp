// A run's results frozen as computed: the data sheet made from them is the one the records the
// run left give, and editing an input afterwards leaves them as they are.

#include "project/frozen_run.h"

#include "io/buffered_writer.h"
#include "project/project.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace carexa;
using carexa::testing_support::ExampleFile;

namespace {

std::filesystem::path GoldenInput(const std::string &name)
{
    return std::filesystem::path(CAREXA_SOURCE_DIR) / "tests/data/golden" / name;
}

const SheetFormat kFormats[]
    = {kRunSheet, kSimulateScreenSheet, kDataSheetButton, kCloseSheet, kPrintSheet};

class FrozenRunOf : public testing::TestWithParam<std::filesystem::path>
{ };

TEST_P(FrozenRunOf, FillsTheSheetsTheRecordsOfItsRunFill)
{
    ModelState state;
    ApplyProject(ReadProjectFile(GetParam()), state);
    RunResult result = Simulate(MakeRunInput(state));
    RunResult copy = result;
    const FrozenRun frozen = FreezeRun(std::move(copy));
    CommitRun(std::move(result), state);
    EXPECT_EQ(frozen.days(), state.simulationLength);
    // What the records hold gives the same run: a project saved after a run loads with it.
    const FrozenRun recorded = RecordedRun(state);
    EXPECT_EQ(recorded.series, frozen.series);
    EXPECT_EQ(recorded.flags, frozen.flags);

    for (const SheetFormat &format : kFormats) {
        TextGrid fromRecords(5, 5), fromRun(5, 5);
        FillSimulationDataSheet(state, fromRecords, {format.concentrationDecimals,
                                                        format.efficiencyDecimals, format.zeroRule, true});
        FillRunDataSheet(frozen, fromRun,
            {format.concentrationDecimals, format.efficiencyDecimals, format.zeroRule, true});
        ASSERT_EQ(fromRun.rowCount(), fromRecords.rowCount());
        ASSERT_EQ(fromRun.columnCount(), fromRecords.columnCount());
        for (int r = 0; r < fromRecords.rowCount(); ++r) {
            for (int c = 0; c < fromRecords.columnCount(); ++c)
                ASSERT_EQ(fromRun.cell(c, r), fromRecords.cell(c, r)) << "column " << c << ", day " << r;
        }
        StringSink a, b;
        BufferedWriter wa(a), wb(b);
        WriteSheetCsv(state, format, wa);
        WriteRunSheetCsv(frozen, format, wb);
        wa.finish();
        wb.finish();
        EXPECT_EQ(b.text(), a.text());
    }
}

INSTANTIATE_TEST_SUITE_P(Projects, FrozenRunOf,
    testing::Values(ExampleFile("cold_climate_bed.mdl"), ExampleFile("warm_climate_bed.mdl"),
        GoldenInput("warm_lags.mdl"), GoldenInput("no_climate.mdl"), GoldenInput("blow_up.mdl")),
    [](const testing::TestParamInfo<std::filesystem::path> &info) {
        return info.param.stem().string();
    });

TEST(FrozenRun, TheSheetRulesOnEveryValue)
{
    FrozenRun run;
    // Day 1 flows out from the initial values, day 2 from day 1; day 2 has no BOD5 inflow.
    run.flags = {FrozenRun::kFromInitial, FrozenRun::kNoInflow};
    for (auto &series : run.series)
        series = {0.00008, 0.00008};
    run.series[5] = {-3, 0.00008};
    run.series[6] = {12.345678, 50};
    // Outflows at or below 0.0001 show 0 under the zero rule, unless they are initial values.
    EXPECT_EQ(SheetValue(run, kDataSheetButton, 1, 1), 0.0001);
    EXPECT_EQ(SheetValue(run, kDataSheetButton, 1, 2), 0.0);
    EXPECT_EQ(SheetValue(run, kRunSheet, 1, 2), 1e-8); // rounds to 0, shown as the floor
    // An efficiency without inflow is 0; one at or below 0.0001 is 0 under the zero rule.
    EXPECT_EQ(SheetValue(run, kRunSheet, 6, 2), 0.0);
    EXPECT_EQ(SheetValue(run, kRunSheet, 6, 1), 1e-8); // negative: the floor
    EXPECT_EQ(SheetValue(run, kDataSheetButton, 8, 1), 1e-8);
    EXPECT_EQ(SheetValue(run, kDataSheetButton, 7, 1), 12.35);
    EXPECT_DOUBLE_EQ(SheetValue(run, kCloseSheet, 7, 1), 12.345678);
    EXPECT_EQ(SheetValue(run, kRunSheet, 7, 2), 50);
    EXPECT_TRUE(run.fromInitial(1));
    EXPECT_FALSE(run.fromInitial(2));
    EXPECT_TRUE(run.noInflow(2, 0));
    EXPECT_FALSE(run.noInflow(2, 1));
}

TEST(FrozenRun, FlagsFollowTheRetentionTimeAndTheInflows)
{
    std::vector<DayValues> days(4);
    for (DayValues &day : days)
        day.set(DayField::RTB, 2.5);
    days[3].set(DayField::nitrateIn, 0);
    days[3].set(DayField::ammoniumIn, 0);
    days[3].set(DayField::orgNitrogenIn, 0);
    const auto flags = RunFlags(days);
    ASSERT_EQ(flags.size(), 4u);
    EXPECT_EQ(flags[0], FrozenRun::kFromInitial); // day 1 < 2.5
    EXPECT_EQ(flags[1], FrozenRun::kFromInitial); // day 2 < 2.5
    EXPECT_EQ(flags[2], 0); // day 3 from day 1
    // Day 4: no nitrate, ammonium, organic N and so no total nitrogen inflow.
    EXPECT_EQ(flags[3], (FrozenRun::kNoInflow << 1) | (FrozenRun::kNoInflow << 2)
            | (FrozenRun::kNoInflow << 4) | (FrozenRun::kNoInflow << 5));
}

TEST(FrozenRun, EditingAnInputAfterARunLeavesTheResultsShown)
{
    Project project;
    project.load(ReadProjectFile(ExampleFile("cold_climate_bed.mdl")));
    project.simulate();
    const FrozenRun run = *project.run();
    TextGrid before(5, 5);
    FillRunDataSheet(run, before, kDataSheetButton);

    GridBlock rtb(1, 1);
    rtb.setText(0, 0, "9");
    project.setForcingCells(11, 40, rtb);
    GridBlock inflow(1, 1);
    inflow.setText(0, 0, "500");
    project.setForcingCells(3, 41, inflow);

    EXPECT_EQ(*project.run(), run);
    EXPECT_TRUE(project.stale(Derived::Results));
    TextGrid after(5, 5);
    FillRunDataSheet(*project.run(), after, kDataSheetButton);
    for (int r = 1; r <= 365; ++r) {
        for (int c = 1; c <= kSeriesCount; ++c)
            ASSERT_EQ(after.cell(c, r), before.cell(c, r));
    }
    // The records alone would show another outflow on day 40 and another efficiency on day 41.
    TextGrid records(5, 5);
    FillSimulationDataSheet(project.state(), records, kDataSheetButton);
    EXPECT_NE(records.cell(1, 40), after.cell(1, 40));
    EXPECT_NE(records.cell(6, 41), after.cell(6, 41));
}

} // namespace
