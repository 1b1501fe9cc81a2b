#include "analysis/calibration.h"

#include "analysis/random.h"
#include "model/climate.h"
#include "model/error.h"
#include "model/model_state.h"
#include "model/number_text.h"
#include "project/project_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>

using namespace carexa;
using carexa::testing_support::ExampleFile;

namespace {

// The cold example cut to 140 days at 30 sub-steps: the same bed, at a fifth of the cost a run.
RunInput ShortColdBed()
{
    ModelState state;
    ApplyProject(ReadProjectFile(ExampleFile("cold_climate_bed.mdl")), state);
    RunInput run = MakeRunInput(state);
    run.days.resize(140);
    run.stepsPerDay = 30;
    return run;
}

// Weekly samples (days 7, 14, ...) of the five outflows as the data sheet shows them, each
// multiplied by 1 + noise * u with u uniform in [-1, 1) from a fixed generator.
ObservedSeries WeeklySamples(const RunResult &truth, double noise)
{
    std::mt19937_64 generator = TaskGenerator(2024, 5);
    ObservedSeries observed;
    for (std::size_t c = 0; c < 5; ++c) {
        for (int day = 7; day <= truth.dayCount(); day += 7) {
            double value = RunSheetValue(truth.series[c][static_cast<std::size_t>(day - 1)]);
            value *= 1 + noise * (2 * UnitDraw(generator) - 1);
            observed[c].push_back({day, value});
        }
    }
    return observed;
}

// The warm climate's fallbacks: other values than the cold bed's, all inside the cold ranges.
ModelParameters OtherStart()
{
    ModelParameters parameters;
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        parameters.set(p, PresetOf(p).fallbackWarm);
    }
    return parameters;
}

CalibrationInput TwinInput(double noise, int runs)
{
    const RunInput truth = ShortColdBed();
    RunInput start = truth;
    start.parameters = OtherStart();
    CalibrationInput input = DefaultCalibrationInput(start, WeeklySamples(Simulate(truth), noise));
    input.runsAllowed = runs;
    input.threads = 2;
    return input;
}

void ExpectKeptAndWithinBounds(const CalibrationInput &input, const ModelParameters &parameters)
{
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        const auto at = static_cast<std::size_t>(i);
        if (!input.fit[at])
            continue;
        const ParameterRange range = SearchRange(p, input.bounds[at], input.run.climate);
        EXPECT_TRUE(Keeps(range, parameters.get(p))) << ParameterName(p) << " " << parameters.get(p);
    }
    // The run uses every value as it is: none is swapped for the climate's fallback.
    ModelParameters replaced = parameters;
    ApplyClimatePreset(replaced, input.run.climate);
    EXPECT_EQ(replaced, parameters);
}

TEST(Calibration, RecoversAFitFromNoiselessWeeklySamples)
{
    const CalibrationInput input = TwinInput(0, 4000);
    const CalibrationResult result = Calibrate(input);

    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.runsFailed, 0);
    EXPECT_LE(result.runsUsed, 4000);
    EXPECT_GE(result.runsUsed, 3990);
    EXPECT_EQ(result.before, OtherStart());
    EXPECT_GT(result.objectiveBefore, 0.5);
    EXPECT_LT(result.objectiveAfter, 0.05 * result.objectiveBefore);
    for (std::size_t c = 0; c < 5; ++c) {
        ASSERT_TRUE(input.series[c]);
        ASSERT_TRUE(result.fitAfter[c].nse);
        EXPECT_GE(*result.fitAfter[c].nse, 0.95) << kSeriesHeadings[c];
    }
    for (std::size_t c = 5; c < kSeriesCount; ++c)
        EXPECT_FALSE(input.series[c]); // no observed days
    ExpectKeptAndWithinBounds(input, result.after);

    // The objective is the weighted mean of 1 - NSE of a run with the parameters found, and the
    // numbers are what the project file keeps (6 significant digits).
    RunInput check = input.run;
    check.parameters = result.after;
    const RunResult run = Simulate(check);
    EXPECT_EQ(CalibrationObjective(input, run), result.objectiveAfter);
    EXPECT_EQ(SeriesFit(input.observed, run.series), result.fitAfter);
    double mean = 0;
    for (std::size_t c = 0; c < 5; ++c)
        mean += (1 - *result.fitAfter[c].nse) / 5;
    EXPECT_DOUBLE_EQ(mean, result.objectiveAfter);
    for (double value : result.after.values())
        EXPECT_EQ(ParseDouble(FormatFileDouble(value)), value);
}

TEST(Calibration, ImprovesOnNoisySamplesAndNeverEndsWorseThanItsStart)
{
    const CalibrationInput input = TwinInput(0.05, 4000);
    const CalibrationResult result = Calibrate(input);
    EXPECT_LE(result.objectiveAfter, result.objectiveStart);
    EXPECT_LT(result.objectiveAfter, 0.01 * result.objectiveBefore);
    for (std::size_t c = 0; c < 5; ++c)
        EXPECT_GE(*result.fitAfter[c].nse, 0.85) << kSeriesHeadings[c];
    ExpectKeptAndWithinBounds(input, result.after);
}

TEST(Calibration, TheSameSeedGivesTheSameResultOnAnyNumberOfThreads)
{
    CalibrationInput input = TwinInput(0.05, 300);
    input.threads = 1;
    const CalibrationResult one = Calibrate(input);
    input.threads = 3;
    const CalibrationResult three = Calibrate(input);
    EXPECT_EQ(one.after, three.after);
    EXPECT_EQ(one.objectiveAfter, three.objectiveAfter);
    EXPECT_EQ(one.fitAfter, three.fitAfter);
    EXPECT_EQ(one.runsUsed, three.runsUsed);

    input.seed = 99;
    const CalibrationResult other = Calibrate(input);
    EXPECT_NE(other.after, one.after);
}

TEST(Calibration, AStopKeepsTheBestFoundSoFar)
{
    const CalibrationInput input = TwinInput(0, 1500);
    std::mutex mutex;
    CalibrationProgress last;
    int calls = 0;
    const CalibrationResult result = Calibrate(input, [&](const CalibrationProgress &progress) {
        const std::lock_guard lock(mutex);
        ++calls;
        EXPECT_EQ(progress.runsAllowed, 1500);
        EXPECT_LE(progress.bestObjective, last.bestObjective);
        last = progress;
        return progress.runsDone < 120;
    });
    EXPECT_TRUE(result.cancelled);
    EXPECT_GE(result.runsUsed, 120);
    EXPECT_LT(result.runsUsed, 120 + 20); // the batch under way, and the rounded best
    EXPECT_LT(result.objectiveAfter, result.objectiveStart);
    // The best so far, rounded to 6 digits; the search compares unrounded values, so the data
    // sheet's objective differs from it a little.
    EXPECT_NEAR(result.objectiveAfter, last.bestObjective, 0.01 * last.bestObjective);
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        EXPECT_NEAR(result.after.get(p), last.bestParameters.get(p),
            1e-5 * std::fabs(last.bestParameters.get(p)));
    }
    ASSERT_TRUE(last.bestSeries);
    EXPECT_EQ(last.bestSeries->front().size(), 140u);
}

TEST(Calibration, ValuesOutsideTheBoundsStartAtTheNearestBound)
{
    // An untouched project in the cold climate simulates with KO = 0.01 and OO = 0.05, below their
    // range from 0.1: the search starts at 0.1.
    CalibrationInput input = TwinInput(0, 60);
    input.run.parameters = ModelParameters();
    input.fit.fill(false);
    input.fit[static_cast<std::size_t>(Parameter::KO)] = true;
    input.fit[static_cast<std::size_t>(Parameter::OO)] = true;
    const CalibrationResult result = Calibrate(input);
    EXPECT_EQ(result.before.get(Parameter::KO), 0.01);
    EXPECT_EQ(result.before.get(Parameter::OO), 0.05);
    EXPECT_EQ(result.before.get(Parameter::AC), 0.9); // the cold fallback
    EXPECT_NE(result.objectiveStart, result.objectiveBefore);
    EXPECT_LE(result.objectiveAfter, result.objectiveStart);
    EXPECT_GE(result.after.get(Parameter::KO), 0.1);
    EXPECT_GE(result.after.get(Parameter::OO), 0.1);
    for (Parameter kept : {Parameter::AC, Parameter::PA, Parameter::AF})
        EXPECT_EQ(result.after.get(kept), result.before.get(kept));
}

TEST(Calibration, TrialsStayAboveAnExclusiveLowerEnd)
{
    // The samples come from a bed with PA, PN and PP at 0.0001 + a hair: the best fit lies at
    // the end a run excludes, so the search presses against it.
    RunInput truth = ShortColdBed();
    for (Parameter p : {Parameter::PA, Parameter::PN, Parameter::PP})
        truth.parameters.set(p, 0.00010001);
    CalibrationInput input = DefaultCalibrationInput(truth, WeeklySamples(Simulate(truth), 0));
    input.fit.fill(false);
    input.runsAllowed = 200;
    for (Parameter p : {Parameter::PA, Parameter::PN, Parameter::PP}) {
        input.fit[static_cast<std::size_t>(p)] = true;
        input.run.parameters.set(p, 0.5);
    }
    std::mutex mutex;
    std::vector<ModelParameters> bests;
    const CalibrationResult result = Calibrate(input, [&](const CalibrationProgress &progress) {
        const std::lock_guard lock(mutex);
        bests.push_back(progress.bestParameters);
        return true;
    });
    for (const ModelParameters &best : bests)
        ExpectKeptAndWithinBounds(input, best);
    ExpectKeptAndWithinBounds(input, result.after);
    EXPECT_LT(result.after.get(Parameter::PA), 0.01);
}

TEST(Calibration, RunsThatBlowUpCountAsFailedAndTheSearchGoesOn)
{
    // Without a climate nothing is replaced, so the bounds may reach a negative decomposition
    // rate of organic nitrogen, which makes it grow beyond any number within the 40 days.
    RunInput truth = ShortColdBed();
    truth.days.resize(40);
    truth.climate = kNoClimate;
    CalibrationInput input = DefaultCalibrationInput(truth, WeeklySamples(Simulate(truth), 0));
    input.fit.fill(false);
    input.fit[static_cast<std::size_t>(Parameter::AC)] = true;
    input.bounds[static_cast<std::size_t>(Parameter::AC)] = {-100, 2};
    input.runsAllowed = 120;
    const CalibrationResult result = Calibrate(input);
    EXPECT_GT(result.runsFailed, 0);
    EXPECT_GT(result.runsUsed - result.runsFailed, 60);
    EXPECT_LE(result.objectiveAfter, result.objectiveStart);
    EXPECT_LT(result.objectiveAfter, kFailedObjective);
    RunInput check = input.run;
    check.parameters = result.after;
    EXPECT_TRUE(Simulate(check).completed);
}

TEST(Calibration, ObservedDaysBeyondTheRunAreLeftOut)
{
    CalibrationInput input = TwinInput(0.05, 40);
    input.run.days.resize(100); // the samples of days 105 to 140 lie beyond it
    const CalibrationResult result = Calibrate(input);
    EXPECT_EQ(result.fitAfter[0].n, 14); // days 7 to 98
    RunInput check = input.run;
    check.parameters = result.after;
    EXPECT_EQ(CalibrationObjective(input, Simulate(check)), result.objectiveAfter);
    EXPECT_LE(result.objectiveAfter, result.objectiveStart);
}

TEST(SearchSpace, RangesOverTwoDecadesAreSearchedOnALogarithmicScale)
{
    // MN from 0.01 to 1: exactly two decades, halfway is 0.1.
    EXPECT_DOUBLE_EQ(SearchValue({0.01, 1, false}, 0.5), 0.1);
    EXPECT_DOUBLE_EQ(SearchValue({0.01, 1, false}, 0.25), std::sqrt(0.1) / 10);
    EXPECT_DOUBLE_EQ(SearchUnit({0.01, 1, false}, 0.1), 0.5);
    // A factor of 99: linear, halfway is the middle.
    EXPECT_DOUBLE_EQ(SearchValue({0.0101, 0.9999, false}, 0.5), 0.505);
    EXPECT_DOUBLE_EQ(SearchValue({0.1, 2, false}, 0.5), 1.05); // KO
    EXPECT_DOUBLE_EQ(SearchUnit({0.1, 2, false}, 0.575), 0.25);
    // PA above 0.0001 to 1: four decades from the lowest value kept, which the ends keep too.
    const ParameterRange pa {0.0001, 1, true};
    EXPECT_EQ(SearchValue(pa, 0), LowestKept(pa));
    EXPECT_EQ(SearchValue(pa, 1), 1);
    EXPECT_NEAR(SearchValue(pa, 0.5), 0.01, 1e-12);
    EXPECT_NEAR(SearchValue(pa, 0.75), 0.1, 1e-12);
    EXPECT_EQ(SearchUnit(pa, 0.0001), 0); // below the range: its lowest end
    EXPECT_EQ(SearchUnit(pa, 5), 1);
    // A single value.
    EXPECT_EQ(SearchValue({0.5, 0.5, false}, 0.3), 0.5);
    EXPECT_EQ(SearchUnit({0.5, 0.5, false}, 0.5), 0);
}

TEST(SearchSpace, CalibratedValuesHaveSixDigitsInsideTheirRange)
{
    EXPECT_EQ(CalibratedValue({0.05, 2, false}, 1.23456789), 1.23457);
    EXPECT_EQ(CalibratedValue({0.05, 2, false}, 0.0500000001), 0.05);
    // Rounding up past the upper end: one step of the sixth digit down.
    EXPECT_EQ(CalibratedValue({0.1, 0.1234567, false}, 0.12345668), 0.123456);
    // Rounding down below the lower end: one step up.
    EXPECT_EQ(CalibratedValue({0.1234563, 2, false}, 0.1234563), 0.123457);
    // The excluded end 0.0001 itself: the next value of 6 digits above it.
    const ParameterRange pa {0.0001, 1, true};
    EXPECT_EQ(CalibratedValue(pa, LowestKept(pa)), 0.000100001);
    EXPECT_EQ(CalibratedValue({1, 100, false}, 99.9999951), 100);
    // No value of 6 digits inside: the value itself.
    EXPECT_EQ(CalibratedValue({0.12345651, 0.12345659, false}, 0.12345655), 0.12345655);
}

struct Refusal
{
    const char *name;
    void (*change)(CalibrationInput &input);
    const char *message;
};

class CalibrationRefusal : public testing::TestWithParam<Refusal>
{ };

TEST_P(CalibrationRefusal, SaysWhyAndRunsNothing)
{
    CalibrationInput input = TwinInput(0, 100);
    GetParam().change(input);
    int runs = 0;
    try {
        Calibrate(input, [&](const CalibrationProgress &) {
            ++runs;
            return true;
        });
        FAIL() << "not refused";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
    EXPECT_EQ(runs, 0);
}

constexpr std::size_t At(Parameter p)
{
    return static_cast<std::size_t>(p);
}

INSTANTIATE_TEST_SUITE_P(BadInput, CalibrationRefusal,
    testing::Values(
        Refusal {"LowerAboveUpper",
            [](CalibrationInput &in) { in.bounds[At(Parameter::NC)] = {1.5, 1.2}; },
            "The lower bound of NC (1.5) lies above its upper bound (1.2)."},
        Refusal {"NoParameter", [](CalibrationInput &in) { in.fit.fill(false); },
            "Tick at least one parameter to fit."},
        Refusal {"NoSeries", [](CalibrationInput &in) { in.series.fill(false); },
            "Tick at least one series to fit."},
        Refusal {"NoObservedValues",
            [](CalibrationInput &in) { in.observed = ObservedSeries(); },
            "There are no observed values to calibrate against. Type the measurements into "
            "\"Observed values\" (0.0001 marks a day without one)."},
        Refusal {"ObservedOnlyAfterTheLastDay",
            [](CalibrationInput &in) { in.run.days.resize(6); },
            "There are no observed values to calibrate against. Type the measurements into "
            "\"Observed values\" (0.0001 marks a day without one)."},
        Refusal {"BelowTheClimateRange",
            [](CalibrationInput &in) { in.bounds[At(Parameter::KO)] = {0.01, 2}; },
            "The bounds of KO (0.01 to 2) must lie within 0.1 to 2: a run in the cold climate "
            "replaces any other value by its fallback."},
        Refusal {"AboveTheClimateRange",
            [](CalibrationInput &in) { in.bounds[At(Parameter::TN)] = {1.02, 1.095}; },
            "The bounds of TN (1.02 to 1.095) must lie within 1.02 to 1.09: a run in the cold "
            "climate replaces any other value by its fallback."},
        Refusal {"OnlyTheExcludedEnd",
            [](CalibrationInput &in) { in.bounds[At(Parameter::PP)] = {0.0001, 0.0001}; },
            "The bounds of PP (0.0001 to 0.0001) must lie within above 0.0001 to 1: a run in the "
            "cold climate replaces any other value by its fallback."},
        Refusal {"NotNumbers",
            [](CalibrationInput &in) { in.bounds[At(Parameter::AF)].upper = NAN; },
            "The bounds of AF must be numbers."},
        Refusal {"OneObservedDay",
            [](CalibrationInput &in) { in.observed[2].resize(1); },
            "\"amm. out\" has fewer than 2 observed days, so its NSE cannot be computed; untick "
            "it or add measurements."},
        Refusal {"EqualObservedValues",
            [](CalibrationInput &in) {
                for (Observation &o : in.observed[3])
                    o.value = 2.5;
            },
            "The observed values of \"total P. out\" are all the same, so its NSE cannot be "
            "computed; untick it."},
        Refusal {"ZeroWeight", [](CalibrationInput &in) { in.weights[0] = 0; },
            "The weight of \"BOD5 out\" must be a number above 0."},
        Refusal {"TooFewRuns", [](CalibrationInput &in) { in.runsAllowed = 19; },
            "The number of model runs must be from 20 to 1000000."},
        Refusal {"NoThread", [](CalibrationInput &in) { in.threads = 0; },
            "The number of threads must be at least 1."},
        Refusal {"NoTimeStep", [](CalibrationInput &in) { in.run.stepsPerDay = 0; },
            "The time step must be from 1 to 100000 sub-steps per day; nothing was calibrated."}),
    [](const testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

TEST(Calibration, BoundsMayBeNarrowerAndTheUntickedSeriesAndParametersAreLeftAlone)
{
    CalibrationInput input = TwinInput(0, 20);
    EXPECT_NO_THROW(CheckCalibration(input));
    input.bounds[At(Parameter::KO)] = {0.5, 0.5}; // a single value: set, not searched
    input.bounds[At(Parameter::DC)] = {0.0001, 5}; // the excluded end itself may be the bound
    input.series[2] = false;
    input.observed[2].resize(1); // unticked: its single day does not matter
    EXPECT_NO_THROW(CheckCalibration(input));
    const CalibrationResult result = Calibrate(input);
    EXPECT_EQ(result.after.get(Parameter::KO), 0.5);
    EXPECT_LE(result.runsUsed, 20);

    // Observed values that differ only on the run's last day still differ.
    CalibrationInput last = TwinInput(0, 20);
    const int days = static_cast<int>(last.run.days.size());
    last.observed[3] = {{days - 7, 2.5}, {days - 1, 2.5}, {days, 3}, {days + 7, 2.5}};
    EXPECT_NO_THROW(CheckCalibration(last));
    last.observed[3][2].value = 2.5;
    EXPECT_THROW(CheckCalibration(last), Error);
}

TEST(Calibration, WithEveryTickedParameterFixedNothingIsSearched)
{
    // Every ticked parameter's bounds hold a single value: it is set, and no run is spent on a
    // search without a dimension.
    CalibrationInput input = TwinInput(0, 200);
    for (ParameterBounds &bounds : input.bounds)
        bounds.upper = bounds.lower;
    input.bounds[At(Parameter::PP)] = {0.5, 0.5};
    input.bounds[At(Parameter::PA)] = {0.5, 0.5};
    input.bounds[At(Parameter::PN)] = {0.5, 0.5};
    input.bounds[At(Parameter::AF)] = {0.5, 0.5};
    input.bounds[At(Parameter::DC)] = {0.5, 0.5};
    const CalibrationResult result = Calibrate(input);
    // The run before, the start with the bounds applied, and the rounded best: nothing more.
    EXPECT_LE(result.runsUsed, 3);
    EXPECT_EQ(result.after.get(Parameter::PP), 0.5);
}

TEST(CalibrationDefaults, EveryParameterInItsClimateRangeAndEverySeriesWithTwoDays)
{
    RunInput run = ShortColdBed();
    run.climate = kWarmClimate;
    ObservedSeries observed;
    observed[0] = {{1, 2}, {3, 4}};
    observed[6] = {{2, 5}};
    const CalibrationInput input = DefaultCalibrationInput(run, observed);
    for (bool fit : input.fit)
        EXPECT_TRUE(fit);
    EXPECT_EQ(input.bounds[At(Parameter::TN)], (ParameterBounds {1.02, 1.07}));
    EXPECT_EQ(input.bounds[At(Parameter::PA)], (ParameterBounds {0.0001, 1.0}));
    EXPECT_TRUE(input.series[0]);
    EXPECT_FALSE(input.series[6]);
    EXPECT_FALSE(input.series[1]);
    for (double weight : input.weights)
        EXPECT_EQ(weight, 1);
    EXPECT_EQ(input.runsAllowed, 4000);
    EXPECT_EQ(input.seed, 1u);
    EXPECT_GE(input.threads, 1);

    EXPECT_EQ(SearchRange(Parameter::PA, {0.0001, 1}, kColdClimate),
        (ParameterRange {0.0001, 1, true}));
    EXPECT_EQ(SearchRange(Parameter::PA, {0.001, 1}, kColdClimate),
        (ParameterRange {0.001, 1, false}));
    EXPECT_EQ(SearchRange(Parameter::PA, {0.0001, 1}, kNoClimate),
        (ParameterRange {0.0001, 1, false})); // nothing is replaced without a climate
    EXPECT_EQ(SearchRange(Parameter::AC, {0.05, 1}, kWarmClimate),
        (ParameterRange {0.05, 1, false}));
}

} // namespace

TEST(Calibration, AMeasurementOnTheFirstDayCounts)
{
    // Two measured days, the first and the second: without day 1 there would be one, and no NSE.
    CalibrationInput input = TwinInput(0, 40);
    const RunResult run = Simulate(input.run);
    input.observed = {};
    input.observed[0] = {{1, 1.5 * RunSheetValue(run.series[0][0])},
        {2, 0.5 * RunSheetValue(run.series[0][1])}};
    input.series.fill(false);
    input.series[0] = true;
    const double objective = CalibrationObjective(input, run);
    EXPECT_LT(objective, kFailedObjective);
    EXPECT_GT(objective, 0);
}
