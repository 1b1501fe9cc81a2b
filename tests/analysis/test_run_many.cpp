#include "analysis/run_many.h"

#include "analysis/analysis_inputs.h"
#include "analysis/thread_pool.h"
#include "model/error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace carexa;
using carexa::testing_support::HotBedInput;

namespace {

// Run i with TN = 1 + i / 100 (run 7 with TN = 3e15, which overflows).
ModelParameters ParametersOf(const RunInput &input, std::size_t index)
{
    ModelParameters parameters = input.parameters;
    parameters.set(Parameter::TN, index == 7 ? 3e15 : 1 + static_cast<double>(index) / 100);
    return parameters;
}

// Every run is kept once, with the series and outcome of a run on its own, whatever the threads;
// each worker's buffer goes from run to run, a blown-up run among them.
TEST(RunMany, KeepsWhatEachRunAloneGives)
{
    const RunInput input = HotBedInput();
    constexpr std::size_t kRuns = 12;
    std::vector<RunResult> alone;
    for (std::size_t i = 0; i < kRuns; ++i) {
        RunInput run = input;
        run.parameters = ParametersOf(input, i);
        alone.push_back(Simulate(run));
    }
    ASSERT_FALSE(alone[7].completed);
    for (int threads : {1, 2, 3}) {
        std::vector<int> kept(kRuns, 0);
        std::vector<SeriesValues> series(kRuns);
        std::vector<std::string> messages(kRuns);
        std::vector<int> told;
        const ManyRunsOutcome outcome = RunMany(
            kRuns, threads, input, [&](std::size_t i) { return ParametersOf(input, i); },
            [&](std::size_t i, const SeriesRun &run) {
                ++kept[i];
                series[i] = run.series;
                messages[i] = run.completed ? "" : run.message;
            },
            [&](int done, int total) {
                EXPECT_EQ(total, static_cast<int>(kRuns));
                told.push_back(done);
                return true;
            });
        EXPECT_EQ(outcome.done, static_cast<int>(kRuns)) << threads;
        EXPECT_FALSE(outcome.cancelled) << threads;
        EXPECT_EQ(told.size(), kRuns);
        EXPECT_EQ(told.back(), static_cast<int>(kRuns));
        for (std::size_t i = 0; i < kRuns; ++i) {
            EXPECT_EQ(kept[i], 1) << threads << " threads, run " << i;
            EXPECT_EQ(series[i], alone[i].series) << threads << " threads, run " << i;
            EXPECT_EQ(messages[i], alone[i].message) << threads << " threads, run " << i;
        }
    }
}

// A stop asked after the last run is no cancel; one asked earlier is, and on one thread no run
// starts after it.
TEST(RunMany, AStopAfterTheLastRunIsNoCancel)
{
    const RunInput input = HotBedInput();
    const auto parametersOf = [&](std::size_t i) { return ParametersOf(input, i % 7); };
    const auto keep = [](std::size_t, const SeriesRun &) {};
    ManyRunsOutcome outcome = RunMany(
        4, 1, input, parametersOf, keep, [](int done, int total) { return done < total; });
    EXPECT_EQ(outcome.done, 4);
    EXPECT_FALSE(outcome.cancelled);
    outcome = RunMany(4, 1, input, parametersOf, keep, [](int done, int) { return done < 2; });
    EXPECT_EQ(outcome.done, 2);
    EXPECT_TRUE(outcome.cancelled);
}

TEST(RunMany, RefusesAnInputNoRunCanStartBeforeAnyRun)
{
    RunInput input = HotBedInput();
    input.days[4].set(DayField::RTB, -1);
    int made = 0;
    EXPECT_THROW(RunMany(
                     3, 2, input,
                     [&](std::size_t) {
                         ++made;
                         return input.parameters;
                     },
                     [](std::size_t, const SeriesRun &) {}, {}),
        Error);
    EXPECT_EQ(made, 0);
}

TEST(AnalysisThreads, APositiveNumberIsKeptAndZeroMeansEveryCore)
{
    EXPECT_EQ(AnalysisThreads(1), 1);
    EXPECT_EQ(AnalysisThreads(2), 2);
    EXPECT_EQ(AnalysisThreads(5), 5);
    EXPECT_EQ(AnalysisThreads(0), DefaultThreadCount());
    EXPECT_GE(AnalysisThreads(0), 1);
}

} // namespace
