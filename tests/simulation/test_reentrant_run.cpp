#include "simulation/simulation_run.h"

#include "project/project_file.h"
#include "results/data_sheet.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <thread>

using namespace carexa;
using carexa::testing_support::ExampleFile;

namespace {

ModelState LoadExample(const std::string &name)
{
    ModelState state;
    ApplyProject(ReadProjectFile(ExampleFile(name)), state);
    return state;
}

void ExpectSameResult(const RunResult &a, const RunResult &b)
{
    EXPECT_EQ(a.completed, b.completed);
    EXPECT_EQ(a.parameters, b.parameters);
    EXPECT_EQ(a.initial, b.initial);
    ASSERT_EQ(a.boxes.size(), b.boxes.size());
    for (std::size_t i = 0; i < a.boxes.size(); ++i)
        ASSERT_EQ(a.boxes[i], b.boxes[i]) << "day " << i + 1;
    EXPECT_EQ(a.series, b.series);
}

class ReentrantRun : public testing::TestWithParam<const char *>
{ };

// The run on a copy computes exactly what "Simulate" leaves in the project and on the sheet.
TEST_P(ReentrantRun, GivesBitIdenticalNumbersToTheProjectRun)
{
    ModelState project = LoadExample(GetParam());
    const RunResult result = Simulate(MakeRunInput(project));
    TextGrid sheet(5, 5);
    ASSERT_TRUE(RunSimulation(project, sheet).completed);

    ASSERT_TRUE(result.completed);
    EXPECT_EQ(result.parameters, project.parameters);
    EXPECT_EQ(result.initial, project.initial);
    ASSERT_EQ(result.dayCount(), 365);
    ASSERT_EQ(result.boxes.size(), 366u);
    int k = 0;
    for (const DayNode &node : project.days.active()) {
        ASSERT_EQ(result.boxes[static_cast<std::size_t>(k)], node.box) << "day " << k + 1;
        ASSERT_EQ(result.days[static_cast<std::size_t>(k)], node.day) << "day " << k + 1;
        ++k;
        for (int c = 1; c <= kSeriesCount; ++c) {
            const double value
                = result.series[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(k - 1)];
            ASSERT_EQ(sheet.number(c, k), RunSheetValue(value)) << "column " << c << " day " << k;
        }
    }
    EXPECT_EQ(result.boxes.back(), project.days.last().box);
    // The same series come from the project's records.
    EXPECT_EQ(ResultSeries(project), result.series);
}

// Each thread runs its own copy; the numbers are those of a run alone.
TEST_P(ReentrantRun, TwoThreadsGiveTheSameAsOne)
{
    const RunInput input = MakeRunInput(LoadExample(GetParam()));
    RunInput other = input;
    other.parameters.set(Parameter::NC, 1.7);
    const RunResult alone = Simulate(input);
    const RunResult otherAlone = Simulate(other);

    RunResult first, second, third;
    {
        std::jthread a([&] { first = Simulate(input); });
        std::jthread b([&] { second = Simulate(input); });
        std::jthread c([&] { third = Simulate(other); });
    }
    ExpectSameResult(first, alone);
    ExpectSameResult(second, alone);
    ExpectSameResult(third, otherAlone);
    EXPECT_NE(third.series[2], alone.series[2]); // the nitrification rate moves ammonium
}

// The analyses' run of the shared, prepared input gives every run's series and day values bit
// for bit as a run on its own, one buffer reused across parameter sets, and two threads with a
// buffer each sharing the prepared input.
TEST_P(ReentrantRun, TheAnalysisRunGivesTheSameNumbersAsARunAlone)
{
    const RunInput input = MakeRunInput(LoadExample(GetParam()));
    std::vector<ModelParameters> sets(4, input.parameters);
    sets[1].set(Parameter::NC, 1.7);
    sets[2].set(Parameter::OC, 0.05);
    sets[2].set(Parameter::PP, 0.5);
    sets[3].set(Parameter::DC, 1e9); // outside every climate's range: the preset replaces it
    std::vector<RunResult> alone;
    for (const ModelParameters &parameters : sets) {
        RunInput run = input;
        run.parameters = parameters;
        alone.push_back(Simulate(run));
    }
    const PreparedRun prepared = PrepareRun(input);
    const auto expectSame = [&](const SeriesRun &run, std::size_t set) {
        EXPECT_TRUE(run.completed);
        ASSERT_EQ(run.boxes.size(), alone[set].boxes.size());
        for (std::size_t i = 0; i < run.boxes.size(); ++i)
            ASSERT_EQ(run.boxes[i], alone[set].boxes[i]) << "set " << set << " node " << i + 1;
        EXPECT_EQ(run.series, alone[set].series) << "set " << set;
    };
    SeriesRun buffer;
    for (std::size_t set : {1u, 0u, 3u, 2u, 1u}) {
        SimulateSeries(prepared, sets[set], buffer);
        expectSame(buffer, set);
    }
    EXPECT_NE(alone[1].series[2], alone[0].series[2]);
    EXPECT_NE(alone[2].series[0], alone[0].series[0]);
    EXPECT_NE(alone[2].series[3], alone[0].series[3]);
    EXPECT_NE(alone[3].parameters.get(Parameter::DC), 1e9);

    SeriesRun first, second;
    {
        std::jthread a([&] {
            for (std::size_t set : {0u, 2u})
                SimulateSeries(prepared, sets[set], first);
        });
        std::jthread b([&] {
            for (std::size_t set : {2u, 1u})
                SimulateSeries(prepared, sets[set], second);
        });
    }
    expectSame(first, 2);
    expectSame(second, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ReentrantRun, testing::Values("cold_climate_bed.mdl", "warm_climate_bed.mdl"));

TEST(Simulate, AMonitorThatSaysStopCancelsTheRun)
{
    const RunInput input = MakeRunInput(LoadExample("cold_climate_bed.mdl"));
    std::vector<int> told;
    const RunResult result = Simulate(input, [&told](int done, int total) {
        told.push_back(done);
        EXPECT_EQ(total, 364);
        return done < 10;
    });
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.failedDay, 0);
    EXPECT_EQ(result.message, "The simulation was cancelled.");
    EXPECT_EQ(told.size(), 10u);
    // Day 11 was simulated and handed on to day 12, which was not simulated; day 13 still holds
    // its reset values.
    EXPECT_NE(result.boxes[10].concentration(Variable::BOD5, 4), 0.0001);
    EXPECT_EQ(result.boxes[11].concentration(Variable::BOD5, 4),
        result.boxes[10].concentration(Variable::BOD5, 4));
    EXPECT_EQ(result.boxes[12].concentration(Variable::BOD5, 4), 0.0001);
    // Saying stop after the last day changes nothing.
    const RunResult whole = Simulate(input, [](int done, int total) { return done < total; });
    EXPECT_TRUE(whole.completed);
    EXPECT_FALSE(whole.cancelled);
}

TEST(Simulate, OneDayRunsNothingAndShowsTheInitialValues)
{
    RunInput input;
    input.climate = kColdClimate;
    input.days.resize(1);
    const RunResult result = Simulate(input);
    ASSERT_TRUE(result.completed);
    ASSERT_EQ(result.boxes.size(), 2u);
    EXPECT_EQ(result.boxes[0].concentration(Variable::BOD5, 4), 10); // the fallback BOD5-E
    EXPECT_EQ(result.boxes[1].concentration(Variable::BOD5, 4), 10); // node 2, the spare
    EXPECT_EQ(result.boxes[1].dayNumber(), 2);
    EXPECT_EQ(result.series[0], std::vector<double> {10});
    // Inflows at their default 0.0001 and box E above them: negative efficiencies.
    EXPECT_LT(result.series[5][0], 0);
    EXPECT_EQ(RunSheetValue(result.series[5][0]), 1e-8);
    EXPECT_EQ(RunSheetValue(12.3456), 12.346);
}

TEST(CommitRun, WritesTheRunIntoTheProject)
{
    ModelState project = LoadExample("warm_climate_bed.mdl");
    project.days.node(200).box.setConcentration(Variable::BOD5, 4, 123.5);
    ModelState copy = project;
    RunResult result = Simulate(MakeRunInput(copy));
    const BoxValues day200 = result.boxes[199];
    ASSERT_NE(day200.concentration(Variable::BOD5, 4), 123.5);
    CommitRun(std::move(result), copy);
    EXPECT_EQ(copy.days.node(200).box, day200);
    EXPECT_EQ(copy.days.node(200).box.dayNumber(), 200);
    // The project the copy came from is untouched.
    EXPECT_EQ(project.days.node(200).box.concentration(Variable::BOD5, 4), 123.5);
}

} // namespace
