#include "analysis/weighted_percentile.h"

#include "analysis/ensemble.h"
#include "analysis/random.h"
#include "analysis/uncertainty.h"
#include "analysis_inputs.h"
#include "model/error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace carexa;
using carexa::testing_support::ExampleInput;

namespace {

// ---------------------------------------------------------------------------------------------
// The weighted percentile by hand

TEST(WeightedPercentile, InterpolatesBetweenThePositionsOfTheCumulativeWeights)
{
    // Values 1, 2, 3 with weights 1, 3, 5: positions 0, 1/4, 1 (the last weight takes no part).
    const std::vector<double> values {1, 2, 3};
    const std::vector<double> weights {1, 3, 5};
    EXPECT_EQ(WeightedPercentile(values, weights, 0.0), 1.0);
    EXPECT_DOUBLE_EQ(WeightedPercentile(values, weights, 0.1), 1.4); // 1 + 0.1 / 0.25
    EXPECT_EQ(WeightedPercentile(values, weights, 0.25), 2.0);
    EXPECT_DOUBLE_EQ(WeightedPercentile(values, weights, 0.5), 2 + 0.25 / 0.75);
    EXPECT_DOUBLE_EQ(WeightedPercentile(values, weights, 0.975), 2 + 0.725 / 0.75);
    EXPECT_EQ(WeightedPercentile(values, weights, 1.0), 3.0);
    // Only the ratios count.
    EXPECT_DOUBLE_EQ(
        WeightedPercentile(values, std::vector<double> {0.1, 0.3, 0.5}, 0.5), 2 + 0.25 / 0.75);

    // A weight of 0 takes no width: 2 sits where 3 does.
    const std::vector<double> four {1, 2, 3, 4};
    EXPECT_DOUBLE_EQ(WeightedPercentile(four, std::vector<double> {1, 0, 1, 1}, 0.25), 1.5);
    EXPECT_DOUBLE_EQ(WeightedPercentile(four, std::vector<double> {1, 0, 1, 1}, 0.75), 3.5);
    EXPECT_EQ(WeightedPercentile(four, std::vector<double> {0, 0, 0, 7}, 0.0), 1.0);
    EXPECT_EQ(WeightedPercentile(four, std::vector<double> {0, 0, 0, 7}, 0.5), 4.0);
    EXPECT_EQ(WeightedPercentile(std::vector<double> {7.5}, std::vector<double> {2}, 0.3), 7.5);
    // No weight at all: the lowest value at 0, the highest above.
    EXPECT_EQ(WeightedPercentile(four, std::vector<double> {0, 0, 0, 0}, 0.0), 1.0);
    EXPECT_EQ(WeightedPercentile(four, std::vector<double> {0, 0, 0, 0}, 0.025), 4.0);
}

TEST(WeightedPercentile, WithEqualWeightsIsExactlyTheBandsPercentile)
{
    std::mt19937_64 generator = TaskGenerator(11, 0);
    for (std::size_t n : {2u, 3u, 5u, 40u, 199u, 200u, 500u}) {
        std::vector<double> values(n);
        for (double &v : values)
            v = 100 * UnitDraw(generator) - 20;
        std::sort(values.begin(), values.end());
        for (double weight : {1.0, 0.37, 1.0 / static_cast<double>(n), 1e-300}) {
            const std::vector<double> weights(n, weight);
            for (double fraction : {0.0, 0.025, 0.05, 0.5, 0.95, 0.975, 1.0, 1.0 / 3}) {
                ASSERT_EQ(
                    WeightedPercentile(values, weights, fraction), Percentile(values, fraction))
                    << "n " << n << " weight " << weight << " fraction " << fraction;
            }
        }
    }
}

TEST(WeightedPercentile, ValuesInAnyOrderAreSortedWithTheirWeights)
{
    std::vector<WeightedValue> values {{3, 5}, {1, 1}, {2, 3}};
    const std::vector<double> fractions {0.1, 0.5};
    const std::vector<double> found = WeightedPercentiles(values, fractions);
    EXPECT_DOUBLE_EQ(found[0], 1.4);
    EXPECT_DOUBLE_EQ(found[1], 2 + 0.25 / 0.75);
    EXPECT_EQ(values, (std::vector<WeightedValue> {{1, 1}, {2, 3}, {3, 5}}));
}

TEST(EffectiveRuns, IsTheSquaredSumOverTheSumOfSquares)
{
    EXPECT_EQ(EffectiveRuns(std::vector<double> {0.25, 0.25, 0.25, 0.25}), 4.0);
    EXPECT_EQ(EffectiveRuns(std::vector<double> {3, 3, 3}), 3.0);
    EXPECT_DOUBLE_EQ(EffectiveRuns(std::vector<double> {2, 1}), 1.8);
    EXPECT_EQ(EffectiveRuns(std::vector<double> {1, 0, 0}), 1.0);
    EXPECT_EQ(EffectiveRuns(std::vector<double> {}), 0.0);
    EXPECT_EQ(EffectiveRuns(std::vector<double> {0, 0}), 0.0);
}

// ---------------------------------------------------------------------------------------------
// Bands of an ensemble

std::array<bool, kParameterCount> AllVaried()
{
    std::array<bool, kParameterCount> varied {};
    varied.fill(true);
    return varied;
}

TEST(EnsembleBands, OfAPlainEnsembleAreTheUncertaintyBands)
{
    const RunInput run = ExampleInput("warm_climate_bed.mdl", 3);
    UncertaintyInput plain;
    plain.run = run;
    plain.ranges = ClimateRanges(run.climate);
    plain.varied = AllVaried();
    plain.options.samples = 30;
    plain.options.seed = 6;
    plain.options.threads = 2;
    const UncertaintyResult expected = RunUncertainty(plain);

    const Ensemble ensemble = PlainEnsemble(run, plain.ranges, plain.varied, 30, 6);
    ASSERT_EQ(ensemble.size(), 30u);
    EXPECT_FALSE(ensemble.conditioned);
    EXPECT_EQ(ensemble.weights, std::vector<double>(30, 1.0 / 30));
    const UncertaintyResult bands = EnsembleBands(run, ensemble, 2);
    EXPECT_EQ(bands.days, 365);
    EXPECT_EQ(bands.runsUsed, 30);
    EXPECT_EQ(bands.runsFailed, 0);
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        EXPECT_EQ(bands.bands[c].lower, expected.bands[c].lower) << kSeriesHeadings[c];
        EXPECT_EQ(bands.bands[c].median, expected.bands[c].median) << kSeriesHeadings[c];
        EXPECT_EQ(bands.bands[c].upper, expected.bands[c].upper) << kSeriesHeadings[c];
    }
}

TEST(EnsembleBands, InPassesOfFloatsWhenTheStoreIsSmall)
{
    const RunInput run = ExampleInput("cold_climate_bed.mdl", 3);
    Ensemble ensemble = PlainEnsemble(run, ClimateRanges(run.climate), AllVaried(), 12, 2);
    // Weights 1 to 12: the lowest values count least.
    for (std::size_t i = 0; i < ensemble.size(); ++i)
        ensemble.weights[i] = static_cast<double>(i + 1) / 78;
    const UncertaintyResult whole = EnsembleBands(run, ensemble, 2);
    // 12 runs x 365 days x 4 bytes = 17,520 bytes a series: three series a pass, four passes.
    int calls = 0;
    int last = 0;
    const UncertaintyResult passes = EnsembleBands(
        run, ensemble, 3,
        [&](int done, int total) {
            EXPECT_EQ(total, 48);
            last = done;
            ++calls;
            return true;
        },
        3 * 17520 + 100);
    EXPECT_EQ(calls, 48);
    EXPECT_EQ(last, 48);
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        for (std::size_t d = 0; d < 365; ++d) {
            const auto near = [](double a, double b) {
                return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(b));
            };
            ASSERT_TRUE(near(passes.bands[c].lower[d], whole.bands[c].lower[d])) << c << " " << d;
            ASSERT_TRUE(near(passes.bands[c].median[d], whole.bands[c].median[d])) << c << " " << d;
            ASSERT_TRUE(near(passes.bands[c].upper[d], whole.bands[c].upper[d])) << c << " " << d;
            ASSERT_LE(whole.bands[c].lower[d], whole.bands[c].median[d]);
            ASSERT_LE(whole.bands[c].median[d], whole.bands[c].upper[d]);
        }
    }
    // Stopped in the second pass.
    const UncertaintyResult stopped = EnsembleBands(
        run, ensemble, 1, [](int done, int) { return done < 15; }, 3 * 17520 + 100);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.bands[0].lower.empty());
}

TEST(EnsembleBands, RefuseAStoreOverTheLimitNamingIt)
{
    RunInput run = ExampleInput("cold_climate_bed.mdl", 1);
    const Ensemble ensemble = PlainEnsemble(run, ClimateRanges(run.climate), AllVaried(), 4, 2);
    try {
        EnsembleBands(run, ensemble, 1, {}, 4 * 365 * 4 - 1);
        ADD_FAILURE() << "not refused";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("0 MB allowed"), std::string::npos) << e.what();
    }
    // 500 runs of 36,500 days keep 73 MB a series: within the limit, 3,700 runs are not.
    EXPECT_NO_THROW(CheckEnsembleStore(500, 36500, "The bands"));
    try {
        CheckEnsembleStore(3700, 36500, "The bands");
        ADD_FAILURE() << "not refused";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()),
            "The bands of 3700 runs over 36500 days would keep 515 MB for one series, more than "
            "the 448 MB allowed; use fewer runs or a shorter simulation.");
    }
}

TEST(ValueStore, KeepsDoublesWhereTheyFitElseFloats)
{
    ValueStore wide(4, 32);
    EXPECT_FALSE(wide.narrow());
    wide.set(3, 0.1);
    EXPECT_EQ(wide.get(3), 0.1);
    ValueStore narrow(5, 32);
    EXPECT_TRUE(narrow.narrow());
    narrow.set(4, 0.1);
    EXPECT_EQ(narrow.get(4), static_cast<double>(0.1f));
    EXPECT_EQ(narrow.get(0), 0.0);
}

} // namespace
