#include "analysis/fit_statistics.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace carexa;
using carexa::testing_support::Lines;

namespace {

FitStatistics Fit(const std::vector<double> &observed, const std::vector<double> &simulated)
{
    return ComputeFitStatistics(observed, simulated);
}

// o = 1 2 3 4, s = 2 2 4 3, worked out by hand:
// errors 1 0 1 -1: SSE 3, sum |e| 3; means 2.5 and 2.75; sum((o - 2.5)^2) = 5;
// sum((s - 2.75)^2) = 2.75; sum of products of the deviations 2.5; r = 2.5 / sqrt(13.75);
// alpha = sqrt(2.75 / 5); beta = 2.75 / 2.5 = 1.1.
TEST(FitStatistics, HandWorkedSeries)
{
    const FitStatistics fit = Fit({1, 2, 3, 4}, {2, 2, 4, 3});
    EXPECT_EQ(fit.n, 4);
    EXPECT_DOUBLE_EQ(*fit.meanObserved, 2.5);
    EXPECT_DOUBLE_EQ(*fit.meanSimulated, 2.75);
    EXPECT_DOUBLE_EQ(*fit.rmse, std::sqrt(0.75));
    EXPECT_DOUBLE_EQ(*fit.mae, 0.75);
    EXPECT_DOUBLE_EQ(*fit.pbias, -10); // 100 * (10 - 11) / 10: the model is high
    EXPECT_DOUBLE_EQ(*fit.nse, 0.4); // 1 - 3 / 5
    EXPECT_DOUBLE_EQ(*fit.r2, 5.0 / 11.0); // 6.25 / 13.75
    // 1 - sqrt((0.674199862 - 1)^2 + (0.741619849 - 1)^2 + (1.1 - 1)^2)
    EXPECT_NEAR(*fit.kge, 0.5723248520198563, 1e-15);
}

TEST(FitStatistics, PerfectFitAndAModelThatIsLowEverywhere)
{
    const FitStatistics perfect = Fit({3, 5, 10}, {3, 5, 10});
    EXPECT_EQ(*perfect.rmse, 0);
    EXPECT_EQ(*perfect.pbias, 0);
    EXPECT_EQ(*perfect.nse, 1);
    EXPECT_DOUBLE_EQ(*perfect.r2, 1);
    EXPECT_DOUBLE_EQ(*perfect.kge, 1);

    // Half of every value: r = 1, alpha = 0.5, beta = 0.5; PBIAS positive as the model is low.
    const FitStatistics low = Fit({2, 4, 6}, {1, 2, 3});
    EXPECT_DOUBLE_EQ(*low.pbias, 50);
    EXPECT_DOUBLE_EQ(*low.nse, 1 - 14.0 / 8.0); // SSE 1 + 4 + 9, SST 4 + 0 + 4
    EXPECT_DOUBLE_EQ(*low.kge, 1 - std::sqrt(0.5));
    EXPECT_DOUBLE_EQ(*low.r2, 1);
}

TEST(FitStatistics, NoPairsGiveNothingButTheirCount)
{
    const FitStatistics fit = Fit({}, {});
    EXPECT_EQ(fit, FitStatistics {});
    EXPECT_EQ(fit.n, 0);
}

TEST(FitStatistics, OnePairHasErrorsButNoEfficiencies)
{
    const FitStatistics fit = Fit({2}, {3});
    EXPECT_EQ(fit.n, 1);
    EXPECT_EQ(*fit.meanObserved, 2);
    EXPECT_EQ(*fit.meanSimulated, 3);
    EXPECT_EQ(*fit.rmse, 1);
    EXPECT_EQ(*fit.mae, 1);
    EXPECT_EQ(*fit.pbias, -50);
    EXPECT_FALSE(fit.nse);
    EXPECT_FALSE(fit.r2);
    EXPECT_FALSE(fit.kge);
}

TEST(FitStatistics, EqualObservedValuesLeaveNseR2AndKgeOut)
{
    // A third of 0.3 three times does not come back to exactly 0.1: the test for equal values
    // must not depend on the sum.
    for (const double value : {2.0, 0.1}) {
        const FitStatistics fit = Fit({value, value, value}, {1, 2, 3});
        EXPECT_FALSE(fit.nse) << value;
        EXPECT_FALSE(fit.r2) << value;
        EXPECT_FALSE(fit.kge) << value;
        EXPECT_TRUE(fit.rmse);
        EXPECT_TRUE(fit.pbias);
    }
}

TEST(FitStatistics, EqualSimulatedValuesLeaveR2AndKgeOutButNotNse)
{
    const FitStatistics fit = Fit({1, 2, 3}, {2, 2, 2});
    EXPECT_DOUBLE_EQ(*fit.nse, 0); // 1 - 2 / 2
    EXPECT_EQ(*fit.pbias, 0);
    EXPECT_FALSE(fit.r2);
    EXPECT_FALSE(fit.kge);
}

TEST(FitStatistics, ObservedValuesSummingToZeroLeavePbiasAndKgeOut)
{
    const FitStatistics fit = Fit({-1, 1}, {0, 1});
    EXPECT_EQ(*fit.meanObserved, 0);
    EXPECT_FALSE(fit.pbias);
    EXPECT_FALSE(fit.kge); // beta divides by the mean observed value
    EXPECT_DOUBLE_EQ(*fit.nse, 0.5); // 1 - 1 / 2
    EXPECT_DOUBLE_EQ(*fit.r2, 1);
}

TEST(FitStatistics, SumsBeyondTheDoubleRangeAreNotNumbersButNothing)
{
    const FitStatistics fit = Fit({1e300, -1e300}, {-1e300, 1e300});
    EXPECT_FALSE(fit.rmse); // (2e300)^2 overflows
    EXPECT_DOUBLE_EQ(*fit.mae, 2e300);
    EXPECT_FALSE(fit.pbias);
    EXPECT_FALSE(fit.nse);
    EXPECT_FALSE(fit.r2);
    EXPECT_FALSE(fit.kge);
    for (const auto &value : {fit.meanObserved, fit.meanSimulated, fit.mae})
        EXPECT_TRUE(std::isfinite(*value));
}

struct RatingCase
{
    double value;
    FitRating rating;
};

class NseRating : public testing::TestWithParam<RatingCase>
{ };

TEST_P(NseRating, FollowsTheThresholdsForNutrients)
{
    EXPECT_EQ(RateNse(GetParam().value), GetParam().rating) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(BothSidesOfEveryThreshold, NseRating,
    testing::Values(RatingCase {1, FitRating::VeryGood}, RatingCase {0.7501, FitRating::VeryGood},
        RatingCase {0.75, FitRating::Good}, RatingCase {0.6501, FitRating::Good},
        RatingCase {0.65, FitRating::Satisfactory}, RatingCase {0.5001, FitRating::Satisfactory},
        RatingCase {0.5, FitRating::Unsatisfactory}, RatingCase {-3, FitRating::Unsatisfactory}));

class PbiasRating : public testing::TestWithParam<RatingCase>
{ };

TEST_P(PbiasRating, FollowsTheThresholdsForNutrientsOnBothSigns)
{
    EXPECT_EQ(RatePbias(GetParam().value), GetParam().rating) << GetParam().value;
    EXPECT_EQ(RatePbias(-GetParam().value), GetParam().rating) << -GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(BothSidesOfEveryThreshold, PbiasRating,
    testing::Values(RatingCase {0, FitRating::VeryGood}, RatingCase {24.99, FitRating::VeryGood},
        RatingCase {25, FitRating::Good}, RatingCase {39.99, FitRating::Good},
        RatingCase {40, FitRating::Satisfactory}, RatingCase {69.99, FitRating::Satisfactory},
        RatingCase {70, FitRating::Unsatisfactory}, RatingCase {250, FitRating::Unsatisfactory}));

TEST(FitRatings, NothingToRateWithoutAStatistic)
{
    EXPECT_FALSE(RateNse(std::nullopt));
    EXPECT_FALSE(RatePbias(std::nullopt));
    EXPECT_EQ(RatingText(FitRating::VeryGood), "very good");
    EXPECT_EQ(RatingText(FitRating::Good), "good");
    EXPECT_EQ(RatingText(FitRating::Satisfactory), "satisfactory");
    EXPECT_EQ(RatingText(FitRating::Unsatisfactory), "unsatisfactory");
}

TEST(SeriesFit, PairsTheMeasuredDaysWithTheSheetValuesTheRunLeaves)
{
    SeriesValues series;
    for (auto &values : series)
        values.assign(5, 1.0);
    // Days 1..5 of "nit. out": three decimals as the data sheet shows them after a run, a value
    // not above 0 as 1e-8.
    series[1] = {1.23449, 2.0004, -5, 4, 5};
    ObservedSeries observed;
    observed[1] = {{1, 1}, {2, 2}, {3, 1}, {7, 9}}; // day 7 lies beyond the run: left out
    const FitTable table = SeriesFit(observed, series);

    EXPECT_EQ(table[1].n, 3);
    EXPECT_DOUBLE_EQ(*table[1].meanSimulated, (1.234 + 2 + 1e-8) / 3);
    EXPECT_DOUBLE_EQ(*table[1].mae, (0.234 + 0 + (1 - 1e-8)) / 3);
    EXPECT_EQ(table[0].n, 0);
    EXPECT_FALSE(table[0].meanObserved);
}

TEST(FitCsv, HeaderElevenNamedRowsShortestNumbersAndNotAvailable)
{
    FitTable table;
    table[0] = Fit({1, 2, 3, 4}, {2, 2, 4, 3});
    table[3] = Fit({2}, {3});
    table[10].n = 2;
    table[10].meanObserved = 1e-8;
    table[10].meanSimulated = 1.0 / 3.0;
    const std::vector<std::string> lines = Lines(FitCsv(table));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "series,n,mean_observed,mean_simulated,rmse,mae,pbias,nse,kge,r2");
    EXPECT_EQ(lines[1],
        "BOD5 out,4,2.5,2.75,0.8660254037844386,0.75,-10,0.4,0.5723248520198563,"
        "0.4545454545454545");
    EXPECT_EQ(lines[2], "nit. out,0,n/a,n/a,n/a,n/a,n/a,n/a,n/a,n/a");
    EXPECT_EQ(lines[4], "total P. out,1,2,3,1,1,-50,n/a,n/a,n/a");
    EXPECT_EQ(lines[11], "eff. t.n. rem,2,1e-08,0.3333333333333333,n/a,n/a,n/a,n/a,n/a,n/a");
    for (std::size_t c = 0; c < kSeriesCount; ++c)
        EXPECT_EQ(lines[c + 1].substr(0, kSeriesHeadings[c].size()), kSeriesHeadings[c]);
}

TEST(FitCsv, ShortestFormReadsBackExactly)
{
    for (const double value : {0.1, 1e-8, -3.25, 123456789.125, 2.0 / 3.0,
             1.5e-300}) {
        std::string text;
        AppendShortest(text, value);
        EXPECT_EQ(std::stod(text), value) << text;
    }
    std::string text;
    AppendShortest(text, 0.1);
    EXPECT_EQ(text, "0.1");
}

} // namespace
