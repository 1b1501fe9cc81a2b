#include "analysis/compliance.h"

#include "analysis/conditioning.h"
#include "analysis_inputs.h"
#include "model/error.h"
#include "synthetic_measurements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace carexa;
using carexa::testing_support::ExampleInput;
using carexa::testing_support::FixedRanges;
using carexa::testing_support::HotBedInput;
using carexa::testing_support::Lines;
using std::chrono::year_month_day;
using Periods = std::vector<std::pair<std::size_t, std::size_t>>;

namespace {

year_month_day Date(int y, unsigned m, unsigned d)
{
    return {std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
}

PermitTarget Target(int series, double limit, PermitStatistic statistic, int allowed = 0)
{
    return {series, limit, statistic, allowed};
}

// ---------------------------------------------------------------------------------------------
// Periods and statistics of hand-made series

TEST(PermitPeriods, BlocksFromTheFirstDayWithAPartialLastBlockOfTwoThirds)
{
    using S = PermitStatistic;
    // 30-day blocks: 20 days left over make two thirds, 19 do not.
    EXPECT_EQ(PermitPeriods(S::MonthlyMean, 80, 4, {}), (Periods {{0, 30}, {30, 60}, {60, 80}}));
    EXPECT_EQ(PermitPeriods(S::MonthlyMean, 79, 4, {}), (Periods {{0, 30}, {30, 60}}));
    EXPECT_EQ(PermitPeriods(S::RemovalMonthly, 19, 1, {}), Periods {});
    // 7-day blocks: 5 days of 7 count, 4 do not.
    EXPECT_EQ(PermitPeriods(S::WeeklyMean, 12, 1, {}), (Periods {{0, 7}, {7, 12}}));
    EXPECT_EQ(PermitPeriods(S::WeeklyMean, 11, 1, {}), (Periods {{0, 7}}));
    // 365-day periods: 244 days count, 243 do not.
    EXPECT_EQ(PermitPeriods(S::AnnualMean, 362, 4, {}), (Periods {{0, 362}}));
    EXPECT_EQ(PermitPeriods(S::AnnualMean, 609, 1, {}), (Periods {{0, 365}, {365, 609}}));
    EXPECT_EQ(PermitPeriods(S::ExceedDays, 608, 1, {}), (Periods {{0, 365}}));
    EXPECT_EQ(PermitPeriods(S::ExceedDays, 243, 1, {}), Periods {});
    // Annual periods stay blocks when a start date is given.
    EXPECT_EQ(PermitPeriods(S::AnnualMean, 400, 1, Date(2023, 7, 1)), (Periods {{0, 365}}));
    // Every day in one.
    for (S s : {S::Max, S::Mean, S::P95})
        EXPECT_EQ(PermitPeriods(s, 3, 9, {}), (Periods {{0, 3}}));
    EXPECT_EQ(PermitPeriods(S::Max, 0, 1, {}), Periods {});
}

TEST(PermitPeriods, CalendarMonthsAndWeeksFromTheStartDate)
{
    using S = PermitStatistic;
    // Day 1 is 1 January 2023 and 3 days are left out: 4 January (a Wednesday) comes first.
    // January keeps 28 of 31 days, February all 28, March 4 of 31.
    EXPECT_EQ(
        PermitPeriods(S::MonthlyMean, 60, 4, Date(2023, 1, 1)), (Periods {{0, 28}, {28, 56}}));
    // From 22 January: 10 of 31 days do not count (21 would).
    EXPECT_EQ(PermitPeriods(S::MonthlyMean, 40, 1, Date(2023, 1, 22)), (Periods {{10, 38}}));
    EXPECT_EQ(
        PermitPeriods(S::MonthlyMean, 49, 1, Date(2023, 1, 11)), (Periods {{0, 21}, {21, 49}}));
    // February 2024 has 29 days: 20 of them are not two thirds (19.33 needed... 20 are).
    EXPECT_EQ(PermitPeriods(S::RemovalMonthly, 20, 1, Date(2024, 2, 1)), (Periods {{0, 20}}));
    EXPECT_EQ(PermitPeriods(S::RemovalMonthly, 19, 1, Date(2024, 2, 1)), Periods {});
    // Weeks from Monday: Wednesday to Sunday are 5 days and count; Friday to Sunday do not.
    EXPECT_EQ(PermitPeriods(S::WeeklyMean, 19, 4, Date(2023, 1, 1)),
        (Periods {{0, 5}, {5, 12}, {12, 19}}));
    EXPECT_EQ(PermitPeriods(S::WeeklyMean, 10, 6, Date(2023, 1, 1)), (Periods {{3, 10}}));
    // Across the turn of a year, and before 1970.
    EXPECT_EQ(PermitPeriods(S::WeeklyMean, 14, 1, Date(1969, 12, 29)), (Periods {{0, 7}, {7, 14}}));
    EXPECT_EQ(
        PermitPeriods(S::MonthlyMean, 62, 1, Date(2022, 12, 1)), (Periods {{0, 31}, {31, 62}}));
}

TEST(PermitStatistic, OfHandMadeSeries)
{
    using S = PermitStatistic;
    // Days 1 to 40 after the warm-up: the values 1, 2, ..., 40.
    std::vector<double> rising(40);
    for (std::size_t i = 0; i < rising.size(); ++i)
        rising[i] = static_cast<double>(i + 1);
    EXPECT_EQ(PermitStatisticOf(Target(0, 0, S::Max), rising, 5, {}), 40.0);
    EXPECT_EQ(PermitStatisticOf(Target(0, 0, S::Mean), rising, 5, {}), 20.5);
    EXPECT_DOUBLE_EQ(PermitStatisticOf(Target(0, 0, S::P95), rising, 5, {}), 38.05); // h = 37.05
    // Blocks of 30 and of 10 (a third: left out): the highest mean is the first block's.
    EXPECT_EQ(PermitStatisticOf(Target(0, 0, S::MonthlyMean), rising, 5, {}), 15.5);
    // Weekly: 7-day blocks, the last five days (36 to 40) count with their mean 38.
    EXPECT_EQ(PermitStatisticOf(Target(0, 0, S::WeeklyMean), rising, 5, {}), 38.0);
    // One 365-day period of 40 days does not count: no statistic.
    EXPECT_TRUE(std::isnan(PermitStatisticOf(Target(0, 0, S::AnnualMean), rising, 5, {})));
    // Removal: the lowest monthly mean.
    EXPECT_EQ(PermitStatisticOf(Target(6, 0, S::RemovalMonthly), rising, 5, {}), 15.5);

    // 400 days: 8 days above 10 in the first 365, 3 in the last 35 (too few to count) ...
    std::vector<double> exceed(400, 5);
    for (std::size_t d : {0u, 10u, 20u, 100u, 200u, 300u, 364u, 50u})
        exceed[d] = 11;
    for (std::size_t d : {370u, 380u, 390u})
        exceed[d] = 12;
    exceed[30] = 10; // on the limit: not above
    EXPECT_EQ(PermitStatisticOf(Target(1, 10, S::ExceedDays, 7), exceed, 1, {}), 8.0);
    // ... and when 260 days are left after the first year, they count with 3 days above.
    std::vector<double> longer(625, 5);
    longer[400] = longer[401] = longer[402] = longer[403] = 11;
    EXPECT_EQ(PermitStatisticOf(Target(1, 10, S::ExceedDays, 2), longer, 1, {}), 4.0);
    EXPECT_EQ(PermitStatisticOf(Target(1, 10, S::AnnualMean), longer, 1, {}),
        (255 * 5 + 4 * 11 + 1 * 5.0) / 260);

    // Calendar months from 30 January 2023: February's 28 days are its mean.
    std::vector<double> months(30, 1);
    for (std::size_t d = 2; d < 30; ++d)
        months[d] = 7;
    EXPECT_EQ(PermitStatisticOf(Target(0, 0, S::MonthlyMean), months, 1, Date(2023, 1, 30)), 7.0);
    EXPECT_EQ(PermitStatisticOf(Target(0, 0, S::MonthlyMean), months, 1, {}), (2 + 28 * 7.0) / 30);
}

TEST(PermitTarget, MeetsAtMostTheLimitOrForRemovalAtLeast)
{
    using S = PermitStatistic;
    EXPECT_TRUE(Meets(Target(0, 25, S::Mean), 25));
    EXPECT_FALSE(Meets(Target(0, 25, S::Mean), std::nextafter(25.0, 26.0)));
    EXPECT_TRUE(Meets(Target(0, 25, S::P95), 0));
    EXPECT_TRUE(Meets(Target(6, 80, S::RemovalMonthly), 80));
    EXPECT_FALSE(Meets(Target(6, 80, S::RemovalMonthly), std::nextafter(80.0, 0.0)));
    EXPECT_TRUE(Meets(Target(1, 10, S::ExceedDays, 3), 3));
    EXPECT_FALSE(Meets(Target(1, 10, S::ExceedDays, 3), 4));
    EXPECT_FALSE(Meets(Target(0, 25, S::Mean), std::nan("")));
}

struct Parsed
{
    const char *text;
    PermitTarget target;
    const char *statistic;
};

class ParseTargetCase : public testing::TestWithParam<Parsed>
{ };

TEST_P(ParseTargetCase, ReadsSeriesLimitAndStatistic)
{
    const PermitTarget target = ParseTarget(GetParam().text);
    EXPECT_EQ(target, GetParam().target);
    EXPECT_EQ(StatisticText(target), GetParam().statistic);
}

INSTANTIATE_TEST_SUITE_P(Good, ParseTargetCase,
    testing::Values(Parsed {"1:25:mean", {0, 25, PermitStatistic::Mean, 0}, "mean"},
        Parsed {"5:0:max", {4, 0, PermitStatistic::Max, 0}, "max"},
        Parsed {"3:2.5:annual-mean", {2, 2.5, PermitStatistic::AnnualMean, 0}, "annual-mean"},
        Parsed {"4:1e-1:monthly-mean", {3, 0.1, PermitStatistic::MonthlyMean, 0}, "monthly-mean"},
        Parsed {"2:10:weekly-mean", {1, 10, PermitStatistic::WeeklyMean, 0}, "weekly-mean"},
        Parsed {"1:30:p95", {0, 30, PermitStatistic::P95, 0}, "p95"},
        Parsed {"3:10:exceed-days:0", {2, 10, PermitStatistic::ExceedDays, 0}, "exceed-days:0"},
        Parsed {
            "3:10:exceed-days:365", {2, 10, PermitStatistic::ExceedDays, 365}, "exceed-days:365"},
        Parsed {
            "6:80:removal-monthly", {5, 80, PermitStatistic::RemovalMonthly, 0}, "removal-monthly"},
        Parsed {"11:100:removal-monthly", {10, 100, PermitStatistic::RemovalMonthly, 0},
            "removal-monthly"}));

struct Refused
{
    const char *text;
    const char *message;
};

class ParseTargetRefusal : public testing::TestWithParam<Refused>
{ };

TEST_P(ParseTargetRefusal, SaysWhy)
{
    try {
        ParseTarget(GetParam().text);
        ADD_FAILURE() << "not refused";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Bad, ParseTargetRefusal,
    testing::Values(
        Refused {
            "1:25", "\"1:25\" is not a permit target SERIES:LIMIT:STATISTIC (such as 1:25:mean)."},
        Refused {"", "\"\" is not a permit target SERIES:LIMIT:STATISTIC (such as 1:25:mean)."},
        Refused {"0:25:mean", "\"0:25:mean\": the series is a data sheet column from 1 to 11."},
        Refused {"12:25:mean", "\"12:25:mean\": the series is a data sheet column from 1 to 11."},
        Refused {"x:25:mean", "\"x:25:mean\": the series is a data sheet column from 1 to 11."},
        Refused {"1:2x:mean", "\"1:2x:mean\": the limit is not a number."},
        Refused {"1:nan:mean", "\"1:nan:mean\": the limit is not a number."},
        Refused {"1:inf:max", "\"1:inf:max\": the limit is not a number."},
        Refused {"1:25:median",
            "\"1:25:median\": the statistic is one of max, mean, annual-mean, monthly-mean, "
            "weekly-mean, p95, exceed-days:K and removal-monthly."},
        Refused {"1:25:exceed-days",
            "\"1:25:exceed-days\": the statistic is one of max, mean, annual-mean, monthly-mean, "
            "weekly-mean, p95, exceed-days:K and removal-monthly."},
        Refused {"1:25:exceed-days:x",
            "\"1:25:exceed-days:x\": exceed-days:K takes a whole number K of days."},
        Refused {"1:25:exceed-days:366", "exceed-days allows from 0 to 365 days a year."},
        Refused {"1:25:exceed-days:-1", "exceed-days allows from 0 to 365 days a year."},
        Refused {"1:-1:mean", "A concentration limit is a number of 0 or more."},
        Refused {"6:101:removal-monthly", "A removal limit is a percentage from 0 to 100."},
        Refused {"6:-1:removal-monthly", "A removal limit is a percentage from 0 to 100."},
        Refused {"1:80:removal-monthly",
            "removal-monthly applies to the removal efficiencies (series 6 to 11), not to "
            "\"BOD5 out\"."},
        Refused {"7:80:mean",
            "The removal efficiency \"eff. nit. rem\" takes the statistic removal-monthly only."},
        Refused {"1:25:mean\n\x1b[31m-------------------------------------------------",
            "\"1:25:mean\\n\\x1B[31m-------------------------...\": the statistic is one of max, "
            "mean, annual-mean, monthly-mean, weekly-mean, p95, exceed-days:K and "
            "removal-monthly."}));

TEST(ParseIsoDate, ReadsCalendarDatesOnly)
{
    EXPECT_EQ(ParseIsoDate("2024-02-29"), Date(2024, 2, 29));
    EXPECT_EQ(ParseIsoDate("1999-12-31"), Date(1999, 12, 31));
    for (const char *bad : {"2023-02-29", "2023-13-01", "2023-00-10", "2023-1-01", "20230101",
             "2023-01-01x", "", "abcd-ef-gh", "2023/01/01"})
        EXPECT_FALSE(ParseIsoDate(bad)) << bad;
}

TEST(WilsonInterval, FromTheEffectiveNumberOfRuns)
{
    const auto half = WilsonInterval(0.5, 100);
    EXPECT_NEAR(half.first, 0.4038315303659957, 1e-12);
    EXPECT_NEAR(half.second, 0.5961684696340044, 1e-12);
    const auto all = WilsonInterval(1, 20);
    EXPECT_NEAR(all.first, 0.8388748419471806, 1e-12);
    EXPECT_EQ(all.second, 1.0);
    const auto none = WilsonInterval(0, 20);
    EXPECT_EQ(none.first, 0.0);
    EXPECT_NEAR(none.second, 0.16112515805281938, 1e-12);
    const auto fractional = WilsonInterval(0.3, 12.5);
    EXPECT_NEAR(fractional.first, 0.11991132526488328, 1e-12);
    EXPECT_NEAR(fractional.second, 0.5741184394665118, 1e-12);
    EXPECT_TRUE(std::isnan(WilsonInterval(0.5, 0).first));
}

TEST(DefaultWarmUp, IsTheLargestWholeRetentionTimeAtLeastOneDay)
{
    RunInput run = ExampleInput("cold_climate_bed.mdl");
    for (DayValues &d : run.days)
        d.set(DayField::RTB, 2.5);
    EXPECT_EQ(DefaultWarmUp(run), 2);
    run.days[100].set(DayField::RTB, 4.99);
    EXPECT_EQ(DefaultWarmUp(run), 4);
    for (DayValues &d : run.days)
        d.set(DayField::RTB, 0.75);
    EXPECT_EQ(DefaultWarmUp(run), 1);
    EXPECT_EQ(DefaultWarmUp(ExampleInput("cold_climate_bed.mdl")), 3); // RTB up to 3.8 or so
}

// ---------------------------------------------------------------------------------------------
// Over an ensemble of the model

ComplianceInput Plain(int samples = 40)
{
    const RunInput run = ExampleInput("warm_climate_bed.mdl", 4);
    std::array<bool, kParameterCount> varied {};
    varied.fill(true);
    ComplianceInput input;
    input.ensemble = PlainEnsemble(run, ClimateRanges(run.climate), varied, samples, 3);
    input.run = run;
    input.threads = 2;
    return input;
}

TEST(Compliance, ALimitAboveEveryValueIsMetSurelyAndOneBelowEveryValueNever)
{
    ComplianceInput input = Plain();
    input.targets = {Target(0, 1e9, PermitStatistic::Max), Target(0, 0, PermitStatistic::Mean),
        Target(3, 1e9, PermitStatistic::P95), Target(2, 0, PermitStatistic::WeeklyMean),
        Target(8, 100, PermitStatistic::RemovalMonthly),
        Target(5, 0, PermitStatistic::RemovalMonthly),
        Target(1, 1e9, PermitStatistic::ExceedDays, 0),
        Target(1, 0, PermitStatistic::ExceedDays, 3)};
    const ComplianceResult result = RunCompliance(input);
    ASSERT_EQ(result.outcomes.size(), 8u);
    EXPECT_FALSE(result.conditioned);
    EXPECT_EQ(result.runsUsed, 40);
    EXPECT_DOUBLE_EQ(result.effectiveRuns, 40.0);
    EXPECT_EQ(result.warmUp, DefaultWarmUp(input.run));
    const std::vector<double> expected {1, 0, 1, 0, 0, 1, 1, 0};
    for (std::size_t t = 0; t < 8; ++t) {
        const TargetOutcome &o = result.outcomes[t];
        EXPECT_EQ(o.probability, expected[t]) << t;
        const auto wilson = WilsonInterval(expected[t], result.effectiveRuns);
        EXPECT_EQ(o.probabilityLow, wilson.first) << t;
        EXPECT_EQ(o.probabilityHigh, wilson.second) << t;
        EXPECT_LE(o.statisticLow, o.statisticMedian) << t;
        EXPECT_LE(o.statisticMedian, o.statisticHigh) << t;
    }
    EXPECT_EQ(result.outcomes[6].statisticHigh, 0.0); // no day above 1e9
}

TEST(Compliance, TheStatisticsAreThoseOfEachRunAfterTheWarmUp)
{
    ComplianceInput input = Plain(5);
    input.warmUp = 10;
    input.startDate = Date(2023, 3, 15);
    input.targets = {Target(0, 30, PermitStatistic::MonthlyMean)};
    const ComplianceResult result = RunCompliance(input);
    EXPECT_EQ(result.warmUp, 10);
    std::vector<double> statistics;
    int met = 0;
    for (const ModelParameters &parameters : input.ensemble.parameters) {
        RunInput run = input.run;
        run.parameters = parameters;
        const std::vector<double> bod = Simulate(run).series[0];
        const std::vector<double> after(bod.begin() + 10, bod.end());
        const double s = PermitStatisticOf(input.targets[0], after, 11, input.startDate);
        statistics.push_back(s);
        met += s <= 30;
    }
    std::sort(statistics.begin(), statistics.end());
    EXPECT_DOUBLE_EQ(result.outcomes[0].probability, met / 5.0);
    EXPECT_DOUBLE_EQ(result.outcomes[0].statisticMedian, statistics[2]);
    EXPECT_DOUBLE_EQ(result.outcomes[0].statisticLow, Percentile(statistics, 0.025));
    EXPECT_DOUBLE_EQ(result.outcomes[0].statisticHigh, Percentile(statistics, 0.975));
}

TEST(Compliance, AConditionedEnsembleIsWeightedAndSaysSo)
{
    ComplianceInput input = Plain(4);
    input.ensemble.conditioned = true;
    input.ensemble.weights = {0.7, 0.1, 0.1, 0.1};
    input.targets = {Target(0, 1e9, PermitStatistic::Mean)};
    const ComplianceResult result = RunCompliance(input);
    EXPECT_TRUE(result.conditioned);
    EXPECT_DOUBLE_EQ(result.effectiveRuns, 1 / (0.49 + 0.03));
    const auto wilson = WilsonInterval(1, 1 / (0.49 + 0.03));
    EXPECT_DOUBLE_EQ(result.outcomes[0].probabilityLow, wilson.first);
    const std::vector<std::string> csv = Lines(ComplianceCsv(result));
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(csv[0],
        "series,limit,statistic,probability_met,probability_lo,probability_hi,statistic_p2_5,"
        "statistic_p50,statistic_p97_5,runs_used,ensemble");
    EXPECT_EQ(csv[1].rfind("BOD5 out,1e+09,mean,1,", 0), 0u) << csv[1];
    EXPECT_EQ(csv[1].substr(csv[1].size() - 14), ",4,conditioned");
    input.ensemble.conditioned = false;
    const std::string plain = Lines(ComplianceCsv(RunCompliance(input)))[1];
    EXPECT_EQ(plain.substr(plain.size() - 16), ",4,unconditioned");
}

TEST(Compliance, TheSameForAnyNumberOfThreadsAndStoppable)
{
    ComplianceInput input = Plain(30);
    input.targets
        = {Target(0, 40, PermitStatistic::P95), Target(3, 3, PermitStatistic::AnnualMean)};
    input.threads = 1;
    const std::string one = ComplianceCsv(RunCompliance(input));
    input.threads = 3;
    EXPECT_EQ(ComplianceCsv(RunCompliance(input)), one);
    const ComplianceResult stopped = RunCompliance(input, [](int done, int) { return done < 3; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.outcomes.empty());
}

TEST(Compliance, RunsThatStopAreLeftOutAndCounted)
{
    ComplianceInput input;
    input.run = HotBedInput();
    std::array<ParameterRange, kParameterCount> ranges = FixedRanges(input.run);
    ranges[static_cast<std::size_t>(Parameter::TN)] = {1, 3e15, false};
    std::array<bool, kParameterCount> varied {};
    varied[static_cast<std::size_t>(Parameter::TN)] = true;
    input.ensemble = PlainEnsemble(input.run, ranges, varied, 20, 8);
    input.targets = {Target(3, 1e9, PermitStatistic::Max)};
    const ComplianceResult result = RunCompliance(input);
    EXPECT_GT(result.runsFailed, 0);
    EXPECT_EQ(result.runsUsed + result.runsFailed, 20);
    EXPECT_EQ(result.outcomes[0].probability, 1.0);
    EXPECT_NE(result.failure.find("stopped at day 2"), std::string::npos);
}

struct ComplianceRefusalCase
{
    const char *name;
    std::function<void(ComplianceInput &)> change;
    const char *message;
};

class ComplianceRefusal : public testing::TestWithParam<ComplianceRefusalCase>
{ };

TEST_P(ComplianceRefusal, SaysWhyAndRunsNothing)
{
    ComplianceInput input = Plain(3);
    input.targets = {Target(0, 25, PermitStatistic::Mean)};
    EXPECT_NO_THROW(CheckComplianceInput(input));
    GetParam().change(input);
    int runs = 0;
    try {
        RunCompliance(input, [&](int, int) { return ++runs > 0; });
        ADD_FAILURE() << "not refused";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
    EXPECT_EQ(runs, 0);
}

INSTANTIATE_TEST_SUITE_P(BadInput, ComplianceRefusal,
    testing::Values(
        ComplianceRefusalCase {"NoTarget", [](ComplianceInput &in) { in.targets.clear(); },
            "Give at least one permit target."},
        ComplianceRefusalCase {"SeriesOutOfRange",
            [](ComplianceInput &in) { in.targets[0].series = 11; },
            "A permit target names a series from 1 to 11."},
        ComplianceRefusalCase {"StatisticTheSeriesDoesNotTake",
            [](ComplianceInput &in) { in.targets[0].statistic = PermitStatistic::RemovalMonthly; },
            "removal-monthly applies to the removal efficiencies (series 6 to 11), not to \"BOD5 "
            "out\"."},
        ComplianceRefusalCase {"NegativeLimit",
            [](ComplianceInput &in) { in.targets[0].limit = -2; },
            "A concentration limit is a number of 0 or more."},
        ComplianceRefusalCase {"NoEnsemble", [](ComplianceInput &in) { in.ensemble = {}; },
            "The probability of meeting the permit needs an ensemble of runs."},
        ComplianceRefusalCase {"WeightZero",
            [](ComplianceInput &in) { in.ensemble.weights[1] = 0; },
            "Every run of the ensemble needs a weight above 0."},
        ComplianceRefusalCase {"NegativeWarmUp", [](ComplianceInput &in) { in.warmUp = -1; },
            "The warm-up cannot be negative."},
        ComplianceRefusalCase {"WarmUpOverTheRun", [](ComplianceInput &in) { in.warmUp = 365; },
            "A warm-up of 365 days leaves none of the 365 days of the run."},
        ComplianceRefusalCase {"NoYearLeft",
            [](ComplianceInput &in) {
                in.warmUp = 122;
                in.targets.push_back(Target(1, 5, PermitStatistic::AnnualMean));
            },
            "The 243 days after the warm-up hold no period of annual-mean with at least two "
            "thirds of its days."},
        ComplianceRefusalCase {"NoCalendarMonthLeft",
            [](ComplianceInput &in) {
                in.warmUp = 345;
                in.startDate = Date(2023, 1, 1);
                in.targets.push_back(Target(1, 5, PermitStatistic::MonthlyMean));
            },
            "The 20 days after the warm-up hold no calendar period of monthly-mean with at least "
            "two thirds of its days."},
        ComplianceRefusalCase {"NoDays", [](ComplianceInput &in) { in.run.days.clear(); },
            "The simulation length must be at least 1 day; nothing was run."}),
    [](const testing::TestParamInfo<ComplianceRefusalCase> &info) {
        return std::string(info.param.name);
    });

} // namespace
