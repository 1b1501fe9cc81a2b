#include "analysis/sensitivity.h"

#include "analysis_inputs.h"
#include "model/error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace carexa;
using carexa::testing_support::ExampleInput;
using carexa::testing_support::FixedRanges;
using carexa::testing_support::HotBedInput;
using carexa::testing_support::Lines;

namespace {

constexpr std::size_t kBodOut = 0, kNitOut = 1, kAmmOut = 2, kTotalPOut = 3, kOrgNOut = 4,
                      kEffP = 8, kEffOrgN = 9;

SensitivityInput Screening(RunInput run, int trajectories, std::uint64_t seed = 7)
{
    SensitivityInput input;
    input.ranges = ClimateRanges(run.climate);
    input.run = std::move(run);
    input.options.trajectories = trajectories;
    input.options.seed = seed;
    input.options.threads = 2;
    return input;
}

std::size_t Index(Parameter p)
{
    return static_cast<std::size_t>(p);
}

// ---------------------------------------------------------------------------------------------
// The design

TEST(MorrisDesign, DeltaIsHalfTheLevelsOverLevelsLessOne)
{
    EXPECT_EQ(MorrisDelta(2), 1.0);
    EXPECT_DOUBLE_EQ(MorrisDelta(4), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(MorrisDelta(6), 0.6);
    EXPECT_DOUBLE_EQ(MorrisDelta(10), 10.0 / 18.0);
}

class MorrisLevels : public testing::TestWithParam<int>
{ };

TEST_P(MorrisLevels, TrajectoriesMoveEachParameterOnceByDeltaOnTheGrid)
{
    const int p = GetParam();
    const double delta = MorrisDelta(p);
    std::set<int> upStarts, downStarts, firstMoved;
    int ups = 0;
    for (int t = 0; t < 300; ++t) {
        const MorrisTrajectory trajectory = DrawTrajectory(p, 3, t);
        std::set<int> order(trajectory.order.begin(), trajectory.order.end());
        ASSERT_EQ(order.size(), 16u);
        ASSERT_EQ(*order.begin(), 0);
        ASSERT_EQ(*order.rbegin(), 15);
        firstMoved.insert(trajectory.order[0]);
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            (trajectory.up[i] ? upStarts : downStarts).insert(trajectory.startLevel[i]);
            ups += trajectory.up[i];
        }
        auto before = TrajectoryPoint(trajectory, p, 0);
        for (int s = 1; s <= kParameterCount; ++s) {
            const auto after = TrajectoryPoint(trajectory, p, s);
            const auto moved
                = static_cast<std::size_t>(trajectory.order[static_cast<std::size_t>(s - 1)]);
            for (std::size_t i = 0; i < kParameterCount; ++i) {
                ASSERT_GE(after[i], 0.0);
                ASSERT_LE(after[i], 1.0);
                const double level = after[i] * (p - 1);
                ASSERT_NEAR(level, std::round(level), 1e-9) << "off the grid";
                if (i == moved)
                    ASSERT_NEAR(after[i] - before[i], trajectory.up[i] ? delta : -delta, 1e-12);
                else
                    ASSERT_EQ(after[i], before[i]);
            }
            before = after;
        }
    }
    // Up-moving parameters start on the lowest p/2 levels, down-moving ones p/2 levels higher;
    // every such level, both directions and every first parameter turn up.
    std::set<int> low, high;
    for (int level = 0; level < p / 2; ++level) {
        low.insert(level);
        high.insert(level + p / 2);
    }
    EXPECT_EQ(upStarts, low);
    EXPECT_EQ(downStarts, high);
    EXPECT_GT(ups, 300 * 16 * 4 / 10);
    EXPECT_LT(ups, 300 * 16 * 6 / 10);
    EXPECT_EQ(firstMoved.size(), 16u);
}

INSTANTIATE_TEST_SUITE_P(Levels, MorrisLevels, testing::Values(2, 4, 6));

TEST(MorrisDesign, ATrajectoryDependsOnSeedAndNumberOnly)
{
    const auto same = [](const MorrisTrajectory &a, const MorrisTrajectory &b) {
        return a.startLevel == b.startLevel && a.order == b.order && a.up == b.up;
    };
    EXPECT_TRUE(same(DrawTrajectory(4, 11, 5), DrawTrajectory(4, 11, 5)));
    EXPECT_FALSE(same(DrawTrajectory(4, 11, 5), DrawTrajectory(4, 11, 6)));
    EXPECT_FALSE(same(DrawTrajectory(4, 11, 5), DrawTrajectory(4, 12, 5)));
}

// ---------------------------------------------------------------------------------------------
// Structure of the model

class ScreeningOfExample : public testing::TestWithParam<const char *>
{ };

// PP and AF act on phosphorus only, and phosphorus on nothing else; "eff. P. rem" depends on
// the phosphorus outflow and inflow alone. Organic nitrogen is turned into ammonium by
// ammonification (AC, TA) and by nothing else.
TEST_P(ScreeningOfExample, ParametersThatCannotMoveASeriesHaveNoEffectOnIt)
{
    const SensitivityResult result = RunSensitivity(Screening(ExampleInput(GetParam()), 4));
    ASSERT_FALSE(result.cancelled);
    EXPECT_EQ(result.trajectoriesUsed, 4);
    EXPECT_EQ(result.trajectoriesFailed, 0);
    EXPECT_EQ(result.runs, 4 * 17);

    const std::set<Parameter> phosphorusOnly {Parameter::PP, Parameter::AF};
    const std::set<Parameter> organicNitrogen {Parameter::AC, Parameter::TA};
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        const std::string name(ParameterName(p));
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            const ElementaryEffects &e = result.effects[Index(p)][c];
            const bool phosphorusSeries = c == kTotalPOut || c == kEffP;
            const bool organicSeries = c == kOrgNOut || c == kEffOrgN;
            const bool cannot = phosphorusOnly.count(p)
                ? !phosphorusSeries
                : (phosphorusSeries || (organicSeries && !organicNitrogen.count(p)));
            if (cannot) {
                EXPECT_EQ(e.muStar, 0.0) << name << " on " << kSeriesHeadings[c];
                EXPECT_EQ(e.mu, 0.0) << name << " on " << kSeriesHeadings[c];
                EXPECT_EQ(e.sigma, 0.0) << name << " on " << kSeriesHeadings[c];
            }
        }
    }
    for (Parameter p : {Parameter::PP, Parameter::AF})
        EXPECT_GT(result.effects[Index(p)][kTotalPOut].muStar, 0) << ParameterName(p);
    for (Parameter p : {Parameter::AC, Parameter::TA})
        EXPECT_GT(result.effects[Index(p)][kOrgNOut].muStar, 0) << ParameterName(p);
    // More ammonification leaves less organic nitrogen; more uptake leaves less phosphorus.
    EXPECT_LT(result.effects[Index(Parameter::AC)][kOrgNOut].mu, 0);
    EXPECT_LT(result.effects[Index(Parameter::PP)][kTotalPOut].mu, 0);
    // Nitrification moves ammonium, and through denitrification BOD5.
    EXPECT_GT(result.effects[Index(Parameter::NC)][kAmmOut].muStar, 0);
    EXPECT_GT(result.effects[Index(Parameter::DC)][kNitOut].muStar, 0);
    EXPECT_GT(result.effects[Index(Parameter::DC)][kBodOut].muStar, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ScreeningOfExample, testing::Values("cold_climate_bed.mdl", "warm_climate_bed.mdl"));

TEST(Sensitivity, ARangeOfOneValueHasNoEffectAnywhere)
{
    SensitivityInput input = Screening(ExampleInput("warm_climate_bed.mdl"), 3);
    input.ranges[Index(Parameter::NC)] = {0.8, 0.8, false};
    input.ranges[Index(Parameter::PP)] = {0.003, 0.003, false};
    const SensitivityResult result = RunSensitivity(input);
    for (Parameter p : {Parameter::NC, Parameter::PP}) {
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            EXPECT_EQ(result.effects[Index(p)][c].muStar, 0.0);
            EXPECT_EQ(result.effects[Index(p)][c].sigma, 0.0);
        }
    }
    EXPECT_GT(result.effects[Index(Parameter::MA)][kAmmOut].muStar, 0);
}

// With only AC varying, each trajectory's effect of AC is one difference of two plain runs.
TEST(Sensitivity, EffectsAreChangesOfTheSeriesMeanPerUnitOfScaledRange)
{
    const RunInput run = ExampleInput("warm_climate_bed.mdl");
    SensitivityInput input = Screening(run, 2, 21);
    input.ranges = FixedRanges(run);
    const ParameterRange ac {0.05, 2.0, false};
    input.ranges[Index(Parameter::AC)] = ac;
    const SensitivityResult result = RunSensitivity(input);

    const auto meanAt = [&](double unit, std::size_t series) {
        RunInput changed = run;
        changed.parameters = Simulate(run).parameters;
        changed.parameters.set(Parameter::AC, ValueAt(ac, unit));
        const std::vector<double> values = Simulate(changed).series[series];
        double sum = 0;
        for (double v : values)
            sum += v;
        return sum / static_cast<double>(values.size());
    };
    for (std::size_t c : {kAmmOut, kOrgNOut}) {
        std::array<double, 2> ee {};
        for (int t = 0; t < 2; ++t) {
            const MorrisTrajectory trajectory = DrawTrajectory(4, 21, t);
            const int level = trajectory.startLevel[0];
            const int low = trajectory.up[0] ? level : level - 2;
            ee[static_cast<std::size_t>(t)]
                = (meanAt((low + 2) / 3.0, c) - meanAt(low / 3.0, c)) / (2.0 / 3.0);
        }
        const ElementaryEffects &e = result.effects[0][c];
        EXPECT_NEAR(e.mu, (ee[0] + ee[1]) / 2, 1e-9 * std::abs(e.mu));
        EXPECT_NEAR(e.muStar, (std::abs(ee[0]) + std::abs(ee[1])) / 2, 1e-9 * e.muStar);
        EXPECT_NEAR(e.sigma, std::abs(ee[0] - ee[1]) / std::sqrt(2.0), 1e-9 * e.muStar);
        for (int i = 1; i < kParameterCount; ++i)
            EXPECT_EQ(result.effects[static_cast<std::size_t>(i)][c].muStar, 0.0);
    }
}

// The lowest grid level of a range "above 0.0001" is the first value above it, which the run
// keeps; were it 0.0001 itself the run would simulate with the fallback 3.5 instead.
TEST(Sensitivity, ValuesStayAboveAnExcludedLowerEnd)
{
    SensitivityInput input = Screening(ExampleInput("cold_climate_bed.mdl"), 4);
    input.ranges[Index(Parameter::DC)] = {0.0001, 0.00010001, true};
    const SensitivityResult result = RunSensitivity(input);
    EXPECT_LT(result.effects[Index(Parameter::DC)][kNitOut].muStar, 1e-6);
    EXPECT_GT(result.effects[Index(Parameter::NC)][kNitOut].muStar, 1e-3);
}

// ---------------------------------------------------------------------------------------------
// Runs on threads, failures, cancel

TEST(Sensitivity, TheSameForAnyNumberOfThreadsAndChangedBySeed)
{
    SensitivityInput input = Screening(ExampleInput("cold_climate_bed.mdl", 3), 3, 99);
    input.options.threads = 1;
    const SensitivityResult one = RunSensitivity(input);
    input.options.threads = 2;
    const SensitivityResult two = RunSensitivity(input);
    input.options.threads = 3;
    const SensitivityResult three = RunSensitivity(input);
    EXPECT_EQ(SensitivityCsv(one), SensitivityCsv(two));
    EXPECT_EQ(SensitivityCsv(one), SensitivityCsv(three));
    input.options.seed = 100;
    EXPECT_NE(SensitivityCsv(RunSensitivity(input)), SensitivityCsv(one));
}

// TN = 3e15 overflows a run on day 2, TN = 2e15 does not: with p = 4 the trajectories whose TN
// moves between levels 1 and 3 fail, those between levels 0 and 2 do not.
TEST(Sensitivity, ATrajectoryWithAFailedRunIsLeftOutWholeAndCounted)
{
    const RunInput run = HotBedInput();
    SensitivityInput input = Screening(run, 12, 5);
    input.ranges = FixedRanges(run);
    input.ranges[Index(Parameter::TN)] = {1, 3e15, false};
    input.ranges[Index(Parameter::NC)] = {0.5, 1.0, false};
    int expectedFailures = 0;
    for (int t = 0; t < 12; ++t)
        expectedFailures += DrawTrajectory(4, 5, t).startLevel[Index(Parameter::TN)] % 2;
    ASSERT_GT(expectedFailures, 0);
    ASSERT_LT(expectedFailures, 12);

    const SensitivityResult result = RunSensitivity(input);
    EXPECT_EQ(result.trajectoriesFailed, expectedFailures);
    EXPECT_EQ(result.trajectoriesUsed, 12 - expectedFailures);
    EXPECT_EQ(result.runs, 12 * 17);
    EXPECT_NE(result.failure.find("stopped at day 2"), std::string::npos) << result.failure;
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        EXPECT_TRUE(std::isfinite(result.effects[Index(Parameter::NC)][c].muStar));
        EXPECT_TRUE(std::isfinite(result.effects[Index(Parameter::TN)][c].sigma));
    }

    // Every trajectory failing leaves every statistic undefined: empty fields in the report.
    input.ranges[Index(Parameter::TN)] = {2.5e15, 3e15, false};
    const SensitivityResult none = RunSensitivity(input);
    EXPECT_EQ(none.trajectoriesUsed, 0);
    EXPECT_EQ(none.trajectoriesFailed, 12);
    EXPECT_TRUE(std::isnan(none.effects[0][0].muStar));
    EXPECT_EQ(Lines(SensitivityCsv(none))[1], "AC,BOD5 out,,,");
}

TEST(Sensitivity, ProgressCountsEveryRunAndCanStopTheScreening)
{
    SensitivityInput input = Screening(ExampleInput("cold_climate_bed.mdl", 3), 3);
    std::vector<int> told;
    RunSensitivity(input, [&](int done, int total) {
        told.push_back(done);
        EXPECT_EQ(total, 3 * 17);
        return true;
    });
    ASSERT_EQ(told.size(), 51u);
    for (std::size_t i = 0; i < told.size(); ++i)
        EXPECT_EQ(told[i], static_cast<int>(i) + 1);

    int calls = 0;
    const SensitivityResult stopped = RunSensitivity(input, [&](int done, int) {
        ++calls;
        return done < 5;
    });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(calls, 5);
    EXPECT_GE(stopped.runs, 5);
    EXPECT_LT(stopped.runs, 51);
}

// ---------------------------------------------------------------------------------------------
// Refusals and the report

TEST(Sensitivity, RefusesOptionsOutsideTheirRanges)
{
    const SensitivityInput good = Screening(ExampleInput("cold_climate_bed.mdl"), 2);
    EXPECT_NO_THROW(CheckSensitivityInput(good));
    const auto refused = [&](auto change, const std::string &part) {
        SensitivityInput input = good;
        change(input);
        try {
            RunSensitivity(input);
            ADD_FAILURE() << "not refused: " << part;
        } catch (const Error &e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    };
    refused([](SensitivityInput &in) { in.options.trajectories = 1; }, "trajectories");
    refused([](SensitivityInput &in) { in.options.trajectories = 1001; }, "trajectories");
    refused([](SensitivityInput &in) { in.options.levels = 3; }, "even");
    refused([](SensitivityInput &in) { in.options.levels = 0; }, "even");
    refused([](SensitivityInput &in) { in.options.levels = 102; }, "even");
    refused([](SensitivityInput &in) { in.ranges[0] = {0.01, 1, false}; }, "AC");
    refused([](SensitivityInput &in) { in.run.days.clear(); }, "1 day");
    refused([](SensitivityInput &in) { in.run.stepsPerDay = 0; }, "time step");
    SensitivityInput edge = good;
    edge.options.trajectories = 1000;
    edge.options.levels = 100;
    EXPECT_NO_THROW(CheckSensitivityInput(edge));
}

TEST(Sensitivity, TheReportHasALineForEveryParameterAndSeries)
{
    SensitivityResult result;
    result.effects[Index(Parameter::NC)][kAmmOut] = {-0.25, 1.5, 0.1};
    result.effects[Index(Parameter::AF)][10] = {1e-8, 2, std::nan("")};
    const std::vector<std::string> lines = Lines(SensitivityCsv(result));
    ASSERT_EQ(lines.size(), 1u + 16 * 11);
    EXPECT_EQ(lines[0], "parameter,series,mu,mu_star,sigma");
    EXPECT_EQ(lines[1], "AC,BOD5 out,0,0,0");
    EXPECT_EQ(lines[11], "AC,eff. t.n. rem,0,0,0");
    EXPECT_EQ(lines[12 + 2], "NC,amm. out,-0.25,1.5,0.1");
    EXPECT_EQ(lines[176], "AF,eff. t.n. rem,1e-08,2,");
}

} // namespace
