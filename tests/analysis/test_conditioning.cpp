#include "analysis/conditioning.h"

#include "analysis/weighted_percentile.h"
#include "analysis_inputs.h"
#include "model/error.h"
#include "synthetic_measurements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

using namespace carexa;
using carexa::testing_support::ExampleInput;
using carexa::testing_support::FixedRanges;
using carexa::testing_support::HotBedInput;
using carexa::testing_support::Lines;
using carexa::testing_support::NoisyMeasurements;

namespace {

constexpr std::size_t kBod = 0;
constexpr std::size_t kAmmonium = 2;
constexpr std::size_t kPhosphorus = 3;

std::size_t Index(Parameter p)
{
    return static_cast<std::size_t>(p);
}

// The cold example (its parameters are the truth) with weekly BOD5 and ammonium measured with
// 5 % noise; AC, NC, OC and KO vary over their climate ranges, 200 samples an iteration.
ConditioningInput Twin(std::uint64_t noiseSeed = 7)
{
    const RunInput run = ExampleInput("cold_climate_bed.mdl", 5);
    ConditioningInput input = DefaultConditioningInput(
        run, NoisyMeasurements(Simulate(run), {kBod, kAmmonium}, 0.05, noiseSeed));
    input.varied.fill(false);
    for (Parameter p : {Parameter::AC, Parameter::NC, Parameter::OC, Parameter::KO})
        input.varied[Index(p)] = true;
    input.options.samples = 200;
    input.options.threads = 2;
    return input;
}

void ExpectWithinTheClimate(const ConditioningInput &input, const ConditioningResult &result)
{
    for (const ConditioningIteration &iteration : result.iterations) {
        EXPECT_NO_THROW(CheckRanges(iteration.ranges, input.run.climate));
        for (std::size_t j = 0; j < kParameterCount; ++j) {
            if (!input.varied[j]) {
                EXPECT_EQ(iteration.ranges[j], input.ranges[j]);
            }
            const ParameterRange climate
                = ClimateRange(static_cast<Parameter>(j), input.run.climate);
            EXPECT_TRUE(Keeps(climate, LowestKept(iteration.ranges[j])));
            EXPECT_TRUE(Keeps(climate, iteration.ranges[j].upper));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Conditioning on synthetic measurements

TEST(Conditioning, OnSyntheticMeasurementsKeepsTheTruthAndNarrowsTheBand)
{
    const ConditioningInput input = Twin();
    const ConditioningResult result = RunConditioning(input);
    ASSERT_FALSE(result.cancelled);
    ASSERT_FALSE(result.iterations.empty());
    EXPECT_LE(result.iterations.size(), 4u);
    ExpectWithinTheClimate(input, result);

    // The ranges of every iteration hold the parameters the measurements came from, and they
    // narrow: the last is narrower than the first for at least one parameter.
    const ModelParameters truth = Simulate(input.run).parameters;
    for (std::size_t it = 0; it < result.iterations.size(); ++it) {
        for (std::size_t j = 0; j < kParameterCount; ++j) {
            EXPECT_TRUE(Keeps(result.iterations[it].ranges[j], truth.values()[j]))
                << "iteration " << it + 1 << " " << ParameterName(static_cast<Parameter>(j));
        }
    }
    const auto width = [](const ParameterRange &r) { return r.upper - LowestKept(r); };
    bool narrowed = false;
    for (std::size_t j = 0; j < kParameterCount; ++j)
        narrowed
            = narrowed || width(result.iterations.back().ranges[j]) < 0.9 * width(input.ranges[j]);
    EXPECT_TRUE(narrowed);

    // The kept band is narrower against the measurements than the prior band of the same ranges.
    UncertaintyInput prior;
    prior.run = input.run;
    prior.ranges = input.ranges;
    prior.varied = input.varied;
    prior.observed = input.observed;
    prior.options.samples = 200;
    prior.options.threads = 2;
    const UncertaintyResult plain = RunUncertainty(prior);
    const ConditioningIteration &kept = result.iterations[static_cast<std::size_t>(result.kept)];
    for (std::size_t c : {kBod, kAmmonium}) {
        EXPECT_LT(kept.fit[c].calibration.rFactor, plain.fit[c].rFactor) << kSeriesHeadings[c];
        EXPECT_LT(result.band.fit[c].rFactor, plain.fit[c].rFactor) << kSeriesHeadings[c];
        // The iteration's fit is that of the kept bands on the same days.
        EXPECT_EQ(result.band.fit[c].pFactor, kept.fit[c].calibration.pFactor);
        EXPECT_EQ(result.band.fit[c].rFactor, kept.fit[c].calibration.rFactor);
    }

    // The ensemble: the kept iteration's runs with a weight, weights above 0 adding up to 1.
    EXPECT_TRUE(result.ensemble.conditioned);
    EXPECT_EQ(static_cast<int>(result.ensemble.size()), kept.runsUsed);
    EXPECT_EQ(result.band.runsUsed, kept.runsUsed);
    EXPECT_NEAR(
        std::accumulate(result.ensemble.weights.begin(), result.ensemble.weights.end(), 0.0), 1.0,
        1e-12);
    for (double w : result.ensemble.weights)
        EXPECT_GT(w, 0);
    for (const PredictionBand &band : result.band.bands) {
        ASSERT_EQ(band.lower.size(), 365u);
        for (std::size_t d = 0; d < 365; ++d) {
            ASSERT_LE(band.lower[d], band.median[d]);
            ASSERT_LE(band.median[d], band.upper[d]);
        }
    }
}

TEST(Conditioning, TheFirstIterationSamplesAsThePlainAnalysisWithTheSameSeed)
{
    ConditioningInput input = Twin();
    input.options.iterations = 1;
    input.bands = false;
    const ConditioningResult result = RunConditioning(input);
    ASSERT_EQ(result.iterations.size(), 1u);
    EXPECT_TRUE(result.band.bands[0].lower.empty());
    const Ensemble plain
        = PlainEnsemble(input.run, input.ranges, input.varied, 200, input.options.seed);
    for (const ModelParameters &parameters : result.ensemble.parameters)
        EXPECT_NE(std::find(plain.parameters.begin(), plain.parameters.end(), parameters),
            plain.parameters.end());
    // The best run is among them, and no run has a lower objective than the best's.
    EXPECT_NE(
        std::find(plain.parameters.begin(), plain.parameters.end(), result.iterations[0].best),
        plain.parameters.end());
    EXPECT_EQ(result.kept, 0);
}

TEST(Conditioning, TheSameForAnyNumberOfThreadsAndChangedBySeed)
{
    ConditioningInput input = Twin();
    input.options.samples = 120;
    input.options.iterations = 3;
    input.options.threads = 1;
    const ConditioningResult one = RunConditioning(input);
    input.options.threads = 3;
    const ConditioningResult three = RunConditioning(input);
    EXPECT_EQ(ConditioningRangesCsv(one, input.varied), ConditioningRangesCsv(three, input.varied));
    EXPECT_EQ(ConditioningReportCsv(one, input.series), ConditioningReportCsv(three, input.series));
    EXPECT_EQ(BandsCsv(one.band), BandsCsv(three.band));
    EXPECT_EQ(one.ensemble, three.ensemble);
    input.options.seed = 2;
    EXPECT_NE(ConditioningRangesCsv(RunConditioning(input), input.varied),
        ConditioningRangesCsv(one, input.varied));
}

// The kept iteration follows the rule, recomputed from the iterations.
void ExpectTheKeptIterationFollowsTheRule(const ConditioningResult &result)
{
    const auto &its = result.iterations;
    std::size_t expected = 0;
    for (std::size_t i = 1; i < its.size(); ++i) {
        if (its[i].noWeight)
            continue;
        const ConditioningIteration &a = its[i];
        const ConditioningIteration &b = its[expected];
        const bool better = a.reachesPFactor != b.reachesPFactor
            ? a.reachesPFactor
            : (a.reachesPFactor ? a.meanRFactor < b.meanRFactor : a.meanPFactor > b.meanPFactor);
        if (better)
            expected = i;
    }
    EXPECT_EQ(result.kept, static_cast<int>(expected));
    for (std::size_t i = 0; i + 1 < its.size(); ++i)
        EXPECT_FALSE(its[i].reachesGoal) << "the analysis went on after the goal";
}

TEST(Conditioning, StopsAtTheGoalAndKeepsThatIteration)
{
    // Noiseless measurements and only AC varied, over a range around its true 0.9: the band holds
    // the measurements and is narrow against their spread from the first iteration on.
    const RunInput run = ExampleInput("cold_climate_bed.mdl", 5);
    ConditioningInput input
        = DefaultConditioningInput(run, NoisyMeasurements(Simulate(run), {kBod}, 0, 1));
    input.varied.fill(false);
    input.varied[Index(Parameter::AC)] = true;
    input.ranges[Index(Parameter::AC)] = {0.8, 1.0, false};
    input.options.samples = 100;
    int lastDone = 0;
    int lastTotal = 0;
    const ConditioningResult result = RunConditioning(input, [&](int done, int total) {
        lastDone = done;
        lastTotal = total;
        return true;
    });
    ASSERT_EQ(result.iterations.size(), 1u);
    // Reaching the goal ends the iterations: the progress then counts one iteration and the
    // bands, and ends full.
    EXPECT_EQ(lastTotal, 200);
    EXPECT_EQ(lastDone, 200);
    const ConditioningIteration &first = result.iterations[0];
    EXPECT_TRUE(first.reachesGoal);
    EXPECT_TRUE(first.reachesPFactor);
    EXPECT_GE(first.fit[kBod].calibration.pFactor, 0.7);
    EXPECT_LE(first.fit[kBod].calibration.rFactor, 1.5);
    EXPECT_EQ(result.kept, 0);
    const std::vector<std::string> notes = ConditioningNotes(result, 0.5);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0],
        "Iteration 1 of 1 is kept: it reached p-factor >= 0.7 and r-factor <= 1.5 on every "
        "series.");
}

TEST(Conditioning, KeepsTheIterationTheRuleNamesAndSaysWhy)
{
    for (double threshold : {0.5, 0.9}) {
        ConditioningInput input = Twin(3);
        input.options.samples = 120;
        input.options.threshold = threshold;
        const ConditioningResult result = RunConditioning(input);
        ExpectTheKeptIterationFollowsTheRule(result);
        const std::vector<std::string> notes = ConditioningNotes(result, threshold);
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(notes.back().rfind("Iteration " + std::to_string(result.kept + 1) + " of "
                          + std::to_string(result.iterations.size()) + " is kept: ",
                      0),
            0u)
            << notes.back();
    }
}

TEST(Conditioning, WithFewBehaviouralRunsTheBestHundredStandInAndTheReportSaysSo)
{
    ConditioningInput input = Twin();
    input.options.samples = 150;
    input.options.iterations = 1;
    input.options.threshold = 0.995;
    const ConditioningResult result = RunConditioning(input);
    const ConditioningIteration &it = result.iterations[0];
    EXPECT_LT(it.behavioural, 100);
    EXPECT_TRUE(it.toppedUp);
    EXPECT_EQ(it.standIns, 100);
    EXPECT_LE(it.runsUsed, 100);
    EXPECT_GE(it.runsUsed, 1);
    const std::vector<std::string> notes = ConditioningNotes(result, 0.995);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0],
        "Iteration 1 had " + std::to_string(it.behavioural)
            + " runs with a weighted-mean NSE of at least 0.995; its band rests on the best 100 "
              "runs instead, "
            + std::to_string(it.runsUsed) + (it.runsUsed == 1 ? " of which has" : " of which have")
            + " a weight above 0.");
    const std::vector<std::string> report = Lines(ConditioningReportCsv(result, input.series));
    ASSERT_EQ(report.size(), 3u);
    EXPECT_EQ(report[0], "iteration,period,series,p_factor,r_factor,behavioural_runs,runs_failed");
    EXPECT_NE(report[1].find(",calibration,BOD5 out,"), std::string::npos);
    const std::string end = "," + std::to_string(it.behavioural) + ",0";
    EXPECT_EQ(report[1].substr(report[1].size() - end.size()), end);

    // Enough behavioural runs: no stand-ins.
    input.options.threshold = -1e9;
    const ConditioningResult all = RunConditioning(input);
    EXPECT_FALSE(all.iterations[0].toppedUp);
    EXPECT_EQ(all.iterations[0].behavioural, 150);
}

TEST(Conditioning, TheValidationPeriodIsNotUsedToConditionAndIsReportedApart)
{
    ConditioningInput input = Twin();
    input.options.samples = 120;
    input.options.iterations = 2;
    input.options.validationFrom = 200;
    const ConditioningResult result = RunConditioning(input);
    EXPECT_TRUE(result.validation);
    for (std::size_t c : {kBod, kAmmonium}) {
        // Weekly from day 7: days 7 ... 196 before day 200, 203 ... 364 from it.
        EXPECT_EQ(result.iterations[0].fit[c].calibration.observed, 28);
        EXPECT_EQ(result.iterations[0].fit[c].validation.observed, 24);
    }
    const std::vector<std::string> report = Lines(ConditioningReportCsv(result, input.series));
    ASSERT_EQ(report.size(), 1u + 2 * 2 * 2);
    EXPECT_NE(report[1].find("1,calibration,BOD5 out,"), std::string::npos);
    EXPECT_NE(report[2].find("1,calibration,amm. out,"), std::string::npos);
    EXPECT_NE(report[3].find("1,validation,BOD5 out,"), std::string::npos);
    EXPECT_NE(report[8].find("2,validation,amm. out,"), std::string::npos);

    // Other measurements in the validation period change its fit, not the conditioning.
    ConditioningInput moved = input;
    for (std::size_t c : {kBod, kAmmonium}) {
        for (Observation &o : moved.observed[c]) {
            if (o.day >= 200)
                o.value *= 3;
        }
    }
    const ConditioningResult other = RunConditioning(moved);
    EXPECT_EQ(
        ConditioningRangesCsv(other, input.varied), ConditioningRangesCsv(result, input.varied));
    EXPECT_EQ(other.ensemble, result.ensemble);
    EXPECT_NE(other.iterations[0].fit[kBod].validation.pFactor,
        result.iterations[0].fit[kBod].validation.pFactor);
    EXPECT_EQ(other.iterations[0].fit[kBod].calibration.pFactor,
        result.iterations[0].fit[kBod].calibration.pFactor);
}

TEST(Conditioning, ProgressCountsEveryIterationAndTheBandsAndCanStop)
{
    ConditioningInput input = Twin();
    input.options.samples = 40;
    input.options.iterations = 2;
    int calls = 0;
    int last = 0;
    const ConditioningResult result = RunConditioning(input, [&](int done, int total) {
        EXPECT_EQ(total, 120);
        EXPECT_GE(done, last);
        last = done;
        ++calls;
        return true;
    });
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(calls, 80 + static_cast<int>(result.ensemble.size()));
    EXPECT_EQ(last, 120);

    // Without bands, the iterations alone.
    input.bands = false;
    int total = 0;
    RunConditioning(input, [&](int, int all) {
        total = all;
        return true;
    });
    EXPECT_EQ(total, 80);
    input.bands = true;

    const ConditioningResult stopped
        = RunConditioning(input, [](int done, int) { return done < 50; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.iterations.empty());
    EXPECT_TRUE(stopped.ensemble.parameters.empty());
}

TEST(Conditioning, RunsThatStopAreLeftOutAndCounted)
{
    RunInput run = HotBedInput();
    RunResult truth = Simulate(run);
    ConditioningInput input
        = DefaultConditioningInput(run, NoisyMeasurements(truth, {kPhosphorus}, 0, 4, 2));
    input.ranges = FixedRanges(run);
    input.ranges[Index(Parameter::TN)] = {1, 3e15, false};
    input.ranges[Index(Parameter::NC)] = {0.5, 1.0, false};
    input.varied.fill(false);
    input.varied[Index(Parameter::TN)] = true;
    input.varied[Index(Parameter::NC)] = true;
    input.options.samples = 40;
    input.options.iterations = 1;
    input.options.threshold = -1e9;
    const ConditioningResult result = RunConditioning(input);
    const ConditioningIteration &it = result.iterations[0];
    EXPECT_GT(it.runsFailed, 5);
    EXPECT_LT(it.runsFailed, 20);
    EXPECT_EQ(it.behavioural, 40 - it.runsFailed);
    EXPECT_NE(result.failure.find("stopped at day 2"), std::string::npos) << result.failure;
    EXPECT_EQ(result.band.runsFailed, 0); // the ensemble holds completed runs only
}

// ---------------------------------------------------------------------------------------------
// Refusals

using Change = std::function<void(ConditioningInput &)>;

struct Refusal
{
    const char *name;
    Change change;
    const char *part;
    bool afterRuns = false; ///< only the runs can tell
};

class ConditioningRefusal : public testing::TestWithParam<Refusal>
{ };

TEST_P(ConditioningRefusal, SaysWhyAndRunsNothing)
{
    ConditioningInput input = Twin();
    EXPECT_NO_THROW(CheckConditioningInput(input));
    GetParam().change(input);
    int runs = 0;
    try {
        RunConditioning(input, [&](int, int) {
            ++runs;
            return true;
        });
        ADD_FAILURE() << "not refused";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().part), std::string::npos) << e.what();
    }
    if (!GetParam().afterRuns) {
        EXPECT_EQ(runs, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(BadInput, ConditioningRefusal,
    testing::Values(Refusal {"FewSamples", [](ConditioningInput &in) { in.options.samples = 19; },
                        "samples must be from 20 to 100000"},
        Refusal {"ManySamples", [](ConditioningInput &in) { in.options.samples = 100001; },
            "samples must be from 20"},
        Refusal {"NoIteration", [](ConditioningInput &in) { in.options.iterations = 0; },
            "iterations must be from 1 to 20"},
        Refusal {"ManyIterations", [](ConditioningInput &in) { in.options.iterations = 21; },
            "iterations must be from 1 to 20"},
        Refusal {"ThresholdNotANumber",
            [](ConditioningInput &in) { in.options.threshold = std::nan(""); }, "threshold"},
        Refusal {"ThresholdAboveOne", [](ConditioningInput &in) { in.options.threshold = 1.01; },
            "threshold"},
        Refusal {
            "NegativeThreads", [](ConditioningInput &in) { in.options.threads = -1; }, "threads"},
        Refusal {"ValidationOnDayOne", [](ConditioningInput &in) { in.options.validationFrom = 1; },
            "day from 2 to 365"},
        Refusal {"ValidationAfterTheLastDay",
            [](ConditioningInput &in) { in.options.validationFrom = 366; }, "day from 2 to 365"},
        Refusal {"NothingVaried", [](ConditioningInput &in) { in.varied.fill(false); },
            "at least one parameter"},
        Refusal {"RangeOutsideTheClimate",
            [](ConditioningInput &in) { in.ranges[Index(Parameter::TN)].upper = 1.2; }, "TN"},
        Refusal {"NoMeasurements", [](ConditioningInput &in) { in.observed = {}; },
            "no measurements to condition on"},
        Refusal {"MeasurementsBeyondTheRun",
            [](ConditioningInput &in) {
                for (auto &series : in.observed)
                    for (Observation &o : series)
                        o.day += 400;
            },
            "no measurements to condition on"},
        Refusal {"NoSeriesTicked", [](ConditioningInput &in) { in.series.fill(false); },
            "Tick at least one series"},
        Refusal {"TickedWithoutMeasurements",
            [](ConditioningInput &in) { in.series[kPhosphorus] = true; },
            "\"total P. out\" has fewer than 2 measured days, so its NSE cannot be computed; "
            "untick it or add measurements."},
        Refusal {"TickedWithOneMeasurement",
            [](ConditioningInput &in) {
                in.series[kPhosphorus] = true;
                in.observed[kPhosphorus] = {{30, 1.5}};
            },
            "\"total P. out\" has fewer than 2 measured days, so"},
        Refusal {"TickedWithoutMeasurementsBeforeValidation",
            [](ConditioningInput &in) { in.options.validationFrom = 10; },
            "fewer than 2 measured days before day 10, where validation begins"},
        Refusal {"AllTheSame",
            [](ConditioningInput &in) {
                for (Observation &o : in.observed[kBod])
                    o.value = 4;
            },
            "\"BOD5 out\" are all the same"},
        Refusal {"WeightZero", [](ConditioningInput &in) { in.weights[kAmmonium] = 0; },
            "weight of \"amm. out\""},
        Refusal {"StoreOfTheMeasuredDays",
            [](ConditioningInput &in) { in.storeLimitBytes = 200 * 104 * 4 - 1; },
            "would keep 0 MB of values on measured days, more than the 0 MB allowed"},
        Refusal {"StoreOfTheBands",
            [](ConditioningInput &in) { in.storeLimitBytes = 200 * 365 * 4 - 1; },
            "The bands of the conditioning of 200 runs over 365 days"},
        Refusal {"NoDays", [](ConditioningInput &in) { in.run.days.clear(); }, "at least 1 day"},
        Refusal {"EveryWeightZero",
            [](ConditioningInput &in) {
                // Far from any run: every NSE is below 0, though every run is behavioural.
                for (Observation &o : in.observed[kBod])
                    o.value = 1000 + 10 * (o.day % 3);
                in.options.threshold = -1e12;
            },
            "every weight is 0", true}),
    [](const testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

TEST(ConditioningMemory, FiveHundredRunsOfAHundredYearsStayWithinTheLimit)
{
    RunInput run = ExampleInput("cold_climate_bed.mdl", 1);
    const std::vector<DayValues> year = run.days;
    run.days.clear();
    for (int y = 0; y < 100; ++y)
        run.days.insert(run.days.end(), year.begin(), year.end());
    ObservedSeries observed;
    // Three series measured every day of the hundred years.
    for (std::size_t c : {kBod, kAmmonium, kPhosphorus}) {
        for (int d = 1; d <= 36500; ++d)
            observed[c].push_back({d, 1.0 + d % 7});
    }
    ConditioningInput input = DefaultConditioningInput(run, observed);
    EXPECT_NO_THROW(CheckConditioningInput(input)); // 219 MB on measured days, 73 MB a series
    input.options.samples = 1300; // 571 MB on measured days
    try {
        CheckConditioningInput(input);
        ADD_FAILURE() << "not refused";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()),
            "The conditioning of 1300 runs would keep 543 MB of values on measured days, more "
            "than the 448 MB allowed; use fewer samples or untick a series.");
    }
}

TEST(Conditioning, TwoMeasuredDaysOfASeriesAreEnough)
{
    ConditioningInput input = Twin();
    input.options.samples = 20;
    input.options.iterations = 1;
    input.series[kPhosphorus] = true;
    // The varied parameters leave phosphorus as it is: every run fits these two days.
    const RunResult truth = Simulate(input.run);
    input.observed[kPhosphorus] = {{30, truth.series[kPhosphorus][29]}, {60, truth.series[kPhosphorus][59]}};
    const ConditioningResult result = RunConditioning(input);
    EXPECT_EQ(result.iterations[0].fit[kPhosphorus].calibration.observed, 2);
}

TEST(Conditioning, OneParameterNarrowsAroundTheMeasurements)
{
    // AC alone over its climate range, BOD5 and ammonium measured with 2 % noise: the second
    // iteration samples a narrower range that holds the true 0.9. (AC leaves ammonium as it is,
    // so its band has no width, holds no measurement, and the goal is not reached.)
    const RunInput run = ExampleInput("cold_climate_bed.mdl", 3);
    ConditioningInput input = DefaultConditioningInput(
        run, NoisyMeasurements(Simulate(run), {kBod, kAmmonium}, 0.02, 1));
    input.varied.fill(false);
    input.varied[Index(Parameter::AC)] = true;
    input.options.samples = 100;
    input.options.iterations = 2;
    input.options.threshold = 1; // no run is behavioural: the best 100 stand in
    input.bands = false;
    const ConditioningResult result = RunConditioning(input);
    ASSERT_EQ(result.iterations.size(), 2u);
    const ParameterRange first = result.iterations[0].ranges[Index(Parameter::AC)];
    const ParameterRange second = result.iterations[1].ranges[Index(Parameter::AC)];
    EXPECT_EQ(first, ClimateRange(Parameter::AC, kColdClimate));
    EXPECT_LT(second.upper - second.lower, 0.95 * (first.upper - first.lower));
    EXPECT_TRUE(Keeps(second, 0.9));
}

TEST(ConditioningDefaults, EveryParameterOverItsClimateRangeAndEverySeriesWithTwoDays)
{
    const RunInput run = ExampleInput("warm_climate_bed.mdl");
    ObservedSeries observed;
    observed[1] = {{3, 1.0}, {9, 2.0}};
    observed[4] = {{3, 1.0}};
    const ConditioningInput input = DefaultConditioningInput(run, observed);
    EXPECT_EQ(input.ranges, ClimateRanges(run.climate));
    EXPECT_TRUE(std::all_of(input.varied.begin(), input.varied.end(), [](bool v) { return v; }));
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        EXPECT_EQ(input.series[c], c == 1) << c;
        EXPECT_EQ(input.weights[c], 1.0);
    }
    EXPECT_EQ(input.options.samples, 500);
    EXPECT_EQ(input.options.iterations, 4);
    EXPECT_EQ(input.options.threshold, 0.5);
    EXPECT_EQ(input.options.validationFrom, 0);
    EXPECT_EQ(input.options.seed, 1u);
    EXPECT_TRUE(input.bands);
}

TEST(ConditioningCsv, RangesListTheVariedParametersOfEveryIteration)
{
    ConditioningResult result;
    ConditioningIteration first;
    first.ranges = ClimateRanges(kColdClimate);
    first.best.set(Parameter::AC, 0.75);
    first.best.set(Parameter::PP, 0.25);
    ConditioningIteration second = first;
    second.ranges[Index(Parameter::AC)] = {0.5, 1.25, false};
    result.iterations = {first, second};
    std::array<bool, kParameterCount> varied {};
    varied[Index(Parameter::AC)] = true;
    varied[Index(Parameter::PP)] = true;
    EXPECT_EQ(ConditioningRangesCsv(result, varied),
        "iteration,parameter,lower,upper,best\n"
        "1,AC,0.05,2,0.75\n"
        "1,PP,0.00010000000000000002,1,0.25\n"
        "2,AC,0.5,1.25,0.75\n"
        "2,PP,0.00010000000000000002,1,0.25\n");
}

} // namespace

namespace {

TEST(Conditioning, AnIterationWithoutWeightsEndsTheIterationsAndKeepsAnEarlierOne)
{
    // The cold example's own measurements over every climate range with 100 samples: the third
    // iteration's ranges miss every run that fits better than the mean.
    const RunInput run = ExampleInput("cold_climate_bed.mdl", 3);
    ConditioningInput input = DefaultConditioningInput(
        run, testing_support::ExampleMeasurements("cold_climate_bed.mdl"));
    input.options.samples = 100;
    const ConditioningResult result = RunConditioning(input);
    ASSERT_EQ(result.iterations.size(), 3u);
    const ConditioningIteration &last = result.iterations.back();
    EXPECT_TRUE(last.noWeight);
    EXPECT_EQ(last.runsUsed, 0);
    EXPECT_TRUE(std::isnan(last.fit[kBod].calibration.pFactor));
    EXPECT_FALSE(result.iterations[0].noWeight);
    EXPECT_LT(result.kept, 2);
    EXPECT_FALSE(result.ensemble.parameters.empty());
    EXPECT_EQ(
        result.band.runsUsed, result.iterations[static_cast<std::size_t>(result.kept)].runsUsed);
    const std::vector<std::string> notes = ConditioningNotes(result, 0.5);
    EXPECT_NE(std::find(notes.begin(), notes.end(),
                  "No run of iteration 3 fits the measurements better than their mean (every "
                  "weight is 0), so the iterations ended there."),
        notes.end());
    // The report leaves its factors empty.
    const std::vector<std::string> report = Lines(ConditioningReportCsv(result, input.series));
    EXPECT_EQ(report.back(), "3,calibration,total P. out,,,0,0");
}

} // namespace
