#include "analysis/uncertainty.h"

#include "analysis_inputs.h"
#include "model/error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using namespace carexa;
using carexa::testing_support::ExampleInput;
using carexa::testing_support::FixedRanges;
using carexa::testing_support::HotBedInput;
using carexa::testing_support::Lines;

namespace {

UncertaintyInput Sampling(RunInput run, int samples, std::uint64_t seed = 3)
{
    UncertaintyInput input;
    input.ranges = ClimateRanges(run.climate);
    input.varied.fill(true);
    input.run = std::move(run);
    input.options.samples = samples;
    input.options.seed = seed;
    input.options.threads = 2;
    return input;
}

std::size_t Index(Parameter p)
{
    return static_cast<std::size_t>(p);
}

// ---------------------------------------------------------------------------------------------
// Percentiles, design, p- and r-factor by hand

TEST(Percentile, InterpolatesLinearlyBetweenOrderStatistics)
{
    const std::vector<double> five {1, 2, 3, 4, 5};
    EXPECT_DOUBLE_EQ(Percentile(five, 0.025), 1.1); // h = 0.1
    EXPECT_EQ(Percentile(five, 0.5), 3.0);
    EXPECT_DOUBLE_EQ(Percentile(five, 0.975), 4.9); // h = 3.9
    EXPECT_EQ(Percentile(five, 0.0), 1.0);
    EXPECT_EQ(Percentile(five, 1.0), 5.0);

    const std::vector<double> two {1, 2};
    EXPECT_DOUBLE_EQ(Percentile(two, 0.025), 1.025);
    EXPECT_DOUBLE_EQ(Percentile(two, 0.5), 1.5);
    EXPECT_DOUBLE_EQ(Percentile(two, 0.975), 1.975);

    EXPECT_EQ(Percentile(std::vector<double> {7.5}, 0.025), 7.5);

    std::vector<double> hundreds(200);
    for (std::size_t i = 0; i < hundreds.size(); ++i)
        hundreds[i] = static_cast<double>(i + 1);
    EXPECT_DOUBLE_EQ(Percentile(hundreds, 0.025), 5.975); // h = 4.975
    EXPECT_DOUBLE_EQ(Percentile(hundreds, 0.5), 100.5); // h = 99.5
    EXPECT_DOUBLE_EQ(Percentile(hundreds, 0.975), 195.025); // h = 194.025
}

TEST(LatinHypercube, EveryStratumOfEveryParameterHoldsOnePoint)
{
    for (int n : {2, 10, 37}) {
        const auto design = LatinHypercube(n, 4);
        ASSERT_EQ(design.size(), static_cast<std::size_t>(n));
        std::set<std::vector<int>> columns;
        for (std::size_t j = 0; j < kParameterCount; ++j) {
            std::vector<int> strata;
            for (const auto &point : design) {
                ASSERT_GE(point[j], 0.0);
                ASSERT_LE(point[j], 1.0);
                strata.push_back(std::min(static_cast<int>(point[j] * n), n - 1));
            }
            columns.insert(strata);
            std::sort(strata.begin(), strata.end());
            for (int s = 0; s < n; ++s)
                ASSERT_EQ(strata[static_cast<std::size_t>(s)], s)
                    << "n " << n << " parameter " << j;
        }
        if (n > 2) {
            EXPECT_GT(columns.size(), 1u) << "the parameters share one permutation";
        }
    }
    EXPECT_EQ(LatinHypercube(20, 8), LatinHypercube(20, 8));
    EXPECT_NE(LatinHypercube(20, 8), LatinHypercube(20, 9));
}

TEST(BandFit, PFactorCountsMeasurementsInsideTheBandEndsIncluded)
{
    PredictionBand band;
    band.lower = {1, 1, 1, 1, 1};
    band.upper = {3, 3, 5, 5, 5};
    band.median = band.lower;
    // Day 1 inside, day 2 on the upper end, day 3 below, day 4 above; day 9 lies past the band.
    const std::vector<Observation> observed {{1, 2}, {2, 3}, {3, 0.5}, {4, 6}, {9, 100}};
    const BandFit fit = FitOfBand(band, observed);
    EXPECT_EQ(fit.observed, 4);
    EXPECT_EQ(fit.pFactor, 0.5);
    // Mean width (2 + 2 + 4 + 4) / 4 = 3; the values 2, 3, 0.5, 6 have mean 2.875 and squared
    // deviations summing to 16.1875, so a standard deviation of sqrt(16.1875 / 3).
    EXPECT_NEAR(fit.rFactor, 1.2914928060015156, 1e-15);

    const BandFit onEnds = FitOfBand(band, {{1, 1}, {5, 5}, {3, std::nextafter(1.0, 0.0)}});
    EXPECT_DOUBLE_EQ(onEnds.pFactor, 2.0 / 3.0);

    const BandFit none = FitOfBand(band, {});
    EXPECT_EQ(none.observed, 0);
    EXPECT_TRUE(std::isnan(none.pFactor));
    EXPECT_TRUE(std::isnan(none.rFactor));
    const BandFit one = FitOfBand(band, {{3, 2}});
    EXPECT_EQ(one.pFactor, 1.0);
    EXPECT_TRUE(std::isnan(one.rFactor));
    const BandFit flat = FitOfBand(band, {{1, 2}, {2, 2}});
    EXPECT_TRUE(std::isnan(flat.rFactor));
}

// ---------------------------------------------------------------------------------------------
// Bands of the model

TEST(Uncertainty, ARangeOfOneValueForEveryParameterGivesTheRunItself)
{
    const RunInput run = ExampleInput("warm_climate_bed.mdl");
    UncertaintyInput input = Sampling(run, 5);
    input.ranges = FixedRanges(run);
    const UncertaintyResult result = RunUncertainty(input);
    const RunResult plain = Simulate(run);
    ASSERT_EQ(result.days, 365);
    EXPECT_EQ(result.runsUsed, 5);
    EXPECT_EQ(result.runsFailed, 0);
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        EXPECT_EQ(result.bands[c].lower, plain.series[c]) << kSeriesHeadings[c];
        EXPECT_EQ(result.bands[c].median, plain.series[c]) << kSeriesHeadings[c];
        EXPECT_EQ(result.bands[c].upper, plain.series[c]) << kSeriesHeadings[c];
    }
}

class BandsOfExample : public testing::TestWithParam<const char *>
{ };

TEST_P(BandsOfExample, AreOrderedAndHoldTheMeasurements)
{
    UncertaintyInput input = Sampling(ExampleInput(GetParam()), 24);
    // Weekly measurements: the band's own median, and one far above it.
    const std::vector<double> median = RunUncertainty(input).bands[1].median;
    for (int d = 7; d <= 365; d += 7)
        input.observed[1].push_back({d, median[static_cast<std::size_t>(d - 1)]});
    input.observed[1].push_back({3, 1e6});
    const UncertaintyResult result = RunUncertainty(input);
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        const PredictionBand &band = result.bands[c];
        ASSERT_EQ(band.lower.size(), 365u);
        bool wide = false;
        for (std::size_t d = 0; d < 365; ++d) {
            ASSERT_LE(band.lower[d], band.median[d]) << kSeriesHeadings[c] << " day " << d + 1;
            ASSERT_LE(band.median[d], band.upper[d]) << kSeriesHeadings[c] << " day " << d + 1;
            wide = wide || band.upper[d] > band.lower[d];
        }
        EXPECT_TRUE(wide) << kSeriesHeadings[c];
    }
    EXPECT_EQ(result.fit[1].observed, 53);
    EXPECT_DOUBLE_EQ(result.fit[1].pFactor, 52.0 / 53.0);
    EXPECT_GT(result.fit[1].rFactor, 0);
    EXPECT_EQ(result.fit[0].observed, 0);
    EXPECT_TRUE(std::isnan(result.fit[0].pFactor));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, BandsOfExample, testing::Values("cold_climate_bed.mdl", "warm_climate_bed.mdl"));

TEST(Uncertainty, ParametersNotVariedKeepTheProjectValue)
{
    const RunInput run = ExampleInput("warm_climate_bed.mdl");
    UncertaintyInput input = Sampling(run, 6);
    input.varied.fill(false);
    input.varied[Index(Parameter::PP)] = true;
    input.varied[Index(Parameter::AF)] = true;
    const UncertaintyResult result = RunUncertainty(input);
    const RunResult plain = Simulate(run);
    EXPECT_EQ(result.bands[0].upper, plain.series[0]); // BOD5 cannot move
    EXPECT_EQ(result.bands[2].lower, plain.series[2]); // nor ammonium
    EXPECT_NE(result.bands[3].upper, result.bands[3].lower); // phosphorus can
}

// Runs from TN of about 2.1e15 on overflow on day 2: they are left out and counted.
TEST(Uncertainty, RunsThatStopAreLeftOutAndCounted)
{
    const RunInput run = HotBedInput();
    UncertaintyInput input = Sampling(run, 40, 8);
    input.ranges = FixedRanges(run);
    input.ranges[Index(Parameter::TN)] = {1, 3e15, false};
    input.ranges[Index(Parameter::NC)] = {0.5, 1.0, false};
    int above = 0, surely = 0;
    for (const auto &point : LatinHypercube(40, 8)) {
        above += point[Index(Parameter::TN)] > 0.69;
        surely += point[Index(Parameter::TN)] > 0.70;
    }
    const UncertaintyResult result = RunUncertainty(input);
    EXPECT_GE(result.runsFailed, surely);
    EXPECT_LE(result.runsFailed, above);
    EXPECT_EQ(result.runsUsed + result.runsFailed, 40);
    EXPECT_NE(result.failure.find("stopped at day 2"), std::string::npos);
    for (const PredictionBand &band : result.bands) {
        for (double v : band.upper)
            ASSERT_TRUE(std::isfinite(v));
    }
    const std::vector<std::string> report = Lines(UncertaintyReportCsv(result));
    EXPECT_EQ(report[1],
        "BOD5 out,0,,," + std::to_string(result.runsUsed) + ","
            + std::to_string(result.runsFailed));

    input.ranges[Index(Parameter::TN)] = {2.5e15, 3e15, false};
    try {
        RunUncertainty(input);
        ADD_FAILURE() << "a band without runs";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("Every one of the 40 runs"), std::string::npos);
    }
}

TEST(Uncertainty, TheSameForAnyNumberOfThreadsAndChangedBySeed)
{
    UncertaintyInput input = Sampling(ExampleInput("cold_climate_bed.mdl", 3), 12, 42);
    input.observed[3] = {{10, 1.0}, {20, 2.0}, {30, 1.5}};
    input.options.threads = 1;
    const UncertaintyResult one = RunUncertainty(input);
    input.options.threads = 2;
    const UncertaintyResult two = RunUncertainty(input);
    input.options.threads = 3;
    const UncertaintyResult three = RunUncertainty(input);
    EXPECT_EQ(BandsCsv(one), BandsCsv(two));
    EXPECT_EQ(BandsCsv(one), BandsCsv(three));
    EXPECT_EQ(UncertaintyReportCsv(one), UncertaintyReportCsv(two));
    input.options.seed = 43;
    EXPECT_NE(BandsCsv(RunUncertainty(input)), BandsCsv(one));
}

TEST(Uncertainty, ProgressCanStopTheAnalysis)
{
    UncertaintyInput input = Sampling(ExampleInput("cold_climate_bed.mdl", 3), 20);
    int calls = 0;
    const UncertaintyResult stopped = RunUncertainty(input, [&](int done, int total) {
        EXPECT_EQ(total, 20);
        ++calls;
        return done < 4;
    });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(calls, 4);
    EXPECT_TRUE(stopped.bands[0].lower.empty());
}

TEST(Uncertainty, RefusesWhatItCannotSample)
{
    const UncertaintyInput good = Sampling(ExampleInput("cold_climate_bed.mdl"), 200);
    EXPECT_NO_THROW(CheckUncertaintyInput(good));
    const auto refused = [&](auto change, const std::string &part) {
        UncertaintyInput input = good;
        change(input);
        try {
            CheckUncertaintyInput(input);
            ADD_FAILURE() << "not refused: " << part;
        } catch (const Error &e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    };
    refused([](UncertaintyInput &in) { in.options.samples = 1; }, "samples");
    refused([](UncertaintyInput &in) { in.options.samples = 100001; }, "samples");
    refused([](UncertaintyInput &in) { in.varied.fill(false); }, "at least one");
    refused([](UncertaintyInput &in) { in.ranges[Index(Parameter::TN)].upper = 1.1; }, "TN");
    // 8 bytes x 11 series x 1000 days x samples: 12201 samples fit in 1 GiB, 12202 do not.
    UncertaintyInput large = good;
    large.run.days.resize(1000);
    large.options.samples = 12201;
    EXPECT_NO_THROW(CheckUncertaintyInput(large));
    refused(
        [](UncertaintyInput &in) {
            in.run.days.resize(1000);
            in.options.samples = 12202;
        },
        "1024 MB");
}

TEST(Uncertainty, TheCsvFilesHaveTheirHeadersAndOneLinePerDayOrSeries)
{
    UncertaintyResult result;
    result.days = 2;
    for (std::size_t c = 0; c < kSeriesCount; ++c)
        result.bands[c] = {{0.5, 1}, {1, 2}, {1.5, 3}};
    result.bands[10].upper[1] = 1e-8;
    result.fit[4] = {3, 2.0 / 3.0, 0.25};
    result.runsUsed = 198;
    result.runsFailed = 2;
    const std::vector<std::string> bands = Lines(BandsCsv(result));
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0],
        "Day,BOD5 out p2.5,BOD5 out p50,BOD5 out p97.5,nit. out p2.5,nit. out p50,nit. out p97.5,"
        "amm. out p2.5,amm. out p50,amm. out p97.5,total P. out p2.5,total P. out p50,"
        "total P. out p97.5,org. N. out p2.5,org. N. out p50,org. N. out p97.5,eff. BOD5 rem p2.5,"
        "eff. BOD5 rem p50,eff. BOD5 rem p97.5,eff. nit. rem p2.5,eff. nit. rem p50,"
        "eff. nit. rem p97.5,eff. amm rem p2.5,eff. amm rem p50,eff. amm rem p97.5,"
        "eff. P. rem p2.5,eff. P. rem p50,eff. P. rem p97.5,eff. o.n. rem p2.5,eff. o.n. rem p50,"
        "eff. o.n. rem p97.5,eff. t.n. rem p2.5,eff. t.n. rem p50,eff. t.n. rem p97.5");
    EXPECT_EQ(bands[1].substr(0, 16), "1,0.5,1,1.5,0.5,");
    EXPECT_EQ(bands[2].substr(bands[2].size() - 10), ",1,2,1e-08");

    const std::vector<std::string> report = Lines(UncertaintyReportCsv(result));
    ASSERT_EQ(report.size(), 12u);
    EXPECT_EQ(report[0], "series,n_observed,p_factor,r_factor,runs_used,runs_failed");
    EXPECT_EQ(report[5], "org. N. out,3,0.6666666666666666,0.25,198,2");
    EXPECT_EQ(report[11], "eff. t.n. rem,0,0,0,198,2");
}

} // namespace
