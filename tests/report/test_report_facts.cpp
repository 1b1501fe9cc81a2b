#include "report/report_facts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace carexa {
namespace {

struct PeriodCase
{
    int day;
    int period;
};

class BlockPeriods : public ::testing::TestWithParam<PeriodCase>
{ };

TEST_P(BlockPeriods, ThirtyDayBlocksOfTheYearWithTheLastTakingTheRest)
{
    EXPECT_EQ(PeriodOfDay(GetParam().day, std::nullopt), GetParam().period);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, BlockPeriods,
    ::testing::Values(PeriodCase {1, 0}, PeriodCase {30, 0}, PeriodCase {31, 1}, PeriodCase {60, 1},
        PeriodCase {330, 10}, PeriodCase {331, 11}, PeriodCase {360, 11}, PeriodCase {365, 11},
        PeriodCase {366, 0}, PeriodCase {395, 0}, PeriodCase {396, 1}, PeriodCase {36500, 11}));

TEST(CalendarPeriods, FollowTheMonthsFromTheStartDate)
{
    const auto start = ParseStartDate("2024-01-31");
    ASSERT_TRUE(start);
    EXPECT_EQ(PeriodOfDay(1, start), 0); // 31 January
    EXPECT_EQ(PeriodOfDay(2, start), 1); // 1 February
    EXPECT_EQ(PeriodOfDay(30, start), 1); // 29 February 2024, a leap day
    EXPECT_EQ(PeriodOfDay(31, start), 2); // 1 March
    EXPECT_EQ(PeriodOfDay(336, start), 11); // 31 December
    EXPECT_EQ(PeriodOfDay(337, start), 0); // 1 January 2025
}

TEST(StartDate, TakesOnlyRealIsoDates)
{
    EXPECT_EQ(ParseStartDate("2024-02-29"), (std::array<int, 3> {2024, 2, 29}));
    EXPECT_FALSE(ParseStartDate("2023-02-29"));
    EXPECT_FALSE(ParseStartDate("2024-13-01"));
    EXPECT_FALSE(ParseStartDate("2024-1-01"));
    EXPECT_FALSE(ParseStartDate("2024/01/01"));
    EXPECT_FALSE(ParseStartDate("+024-01-01"));
    EXPECT_FALSE(ParseStartDate(""));
}

TEST(PeriodMeans, OneYearGivesOneRowPerBlockInDayOrder)
{
    std::vector<double> days(365);
    for (int d = 1; d <= 365; ++d)
        days[static_cast<std::size_t>(d - 1)] = d;
    const PeriodTable table = PeriodMeans({days}, std::nullopt);
    ASSERT_EQ(table.labels.size(), 12u);
    EXPECT_EQ(table.labels.front(), "Days 1-30");
    EXPECT_EQ(table.labels.back(), "Days 331-365");
    EXPECT_EQ(table.dayCounts.front(), 30);
    EXPECT_EQ(table.dayCounts.back(), 35);
    EXPECT_DOUBLE_EQ(table.means.front().front(), 15.5);
    EXPECT_DOUBLE_EQ(table.means.back().front(), 348);
    EXPECT_FALSE(table.yearsAveraged);
}

TEST(PeriodMeans, ACenturyStaysTwelveRowsAveragedOverTheYears)
{
    const int years = 100;
    std::vector<double> values(static_cast<std::size_t>(365 * years));
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<double>(i / 365); // the year's number: 0 to 99
    const PeriodTable table = PeriodMeans({values, values}, std::nullopt);
    ASSERT_EQ(table.labels.size(), 12u);
    EXPECT_TRUE(table.yearsAveraged);
    EXPECT_EQ(table.dayCounts[0], 30 * years);
    EXPECT_DOUBLE_EQ(table.means[0][0], 49.5);
    EXPECT_DOUBLE_EQ(table.means[11][1], 49.5);
}

TEST(PeriodMeans, ShortProjectsKeepOnlyTheirPeriods)
{
    const PeriodTable table = PeriodMeans({{1, 2, 3}}, std::nullopt);
    ASSERT_EQ(table.labels.size(), 1u);
    EXPECT_EQ(table.dayCounts[0], 3);
    EXPECT_DOUBLE_EQ(table.means[0][0], 2);
    EXPECT_FALSE(table.yearsAveraged);
    EXPECT_TRUE(PeriodMeans({}, std::nullopt).labels.empty());
}

TEST(PeriodMeans, CalendarRowsStartWithTheMonthOfDayOne)
{
    std::vector<double> values(61, 1.0);
    const PeriodTable table = PeriodMeans({values}, ParseStartDate("2023-11-15"));
    ASSERT_EQ(table.labels.size(), 3u);
    EXPECT_EQ(table.labels[0], "Nov");
    EXPECT_EQ(table.labels[1], "Dec");
    EXPECT_EQ(table.labels[2], "Jan");
    EXPECT_EQ(table.dayCounts[0], 16);
    EXPECT_EQ(table.dayCounts[1], 31);
    EXPECT_EQ(table.dayCounts[2], 14);
}

TEST(Rsr, IsTheSquareRootOfOneLessNse)
{
    FitStatistics fit;
    EXPECT_FALSE(Rsr(fit));
    fit.nse = 0.75;
    EXPECT_DOUBLE_EQ(*Rsr(fit), 0.5);
    fit.nse = -3;
    EXPECT_DOUBLE_EQ(*Rsr(fit), 2);
    fit.nse = 1;
    EXPECT_DOUBLE_EQ(*Rsr(fit), 0);
}

TEST(Rsr, RatingsAtTheirThresholds)
{
    EXPECT_FALSE(RateRsr(std::nullopt));
    EXPECT_EQ(RateRsr(0.5), FitRating::VeryGood);
    EXPECT_EQ(RateRsr(0.5000001), FitRating::Good);
    EXPECT_EQ(RateRsr(0.6), FitRating::Good);
    EXPECT_EQ(RateRsr(0.6000001), FitRating::Satisfactory);
    EXPECT_EQ(RateRsr(0.7), FitRating::Satisfactory);
    EXPECT_EQ(RateRsr(0.7000001), FitRating::Unsatisfactory);
}

TEST(ReportNumbers, FixedDecimalsAndNothingAsNa)
{
    EXPECT_EQ(ReportNumber(12.3456, 2), "12.35");
    EXPECT_EQ(ReportNumber(-0.0001, 3), "0.000");
    EXPECT_EQ(ReportNumber(-0.5, 1), "-0.5");
    EXPECT_EQ(ReportNumber(std::nullopt, 3), "n/a");
    EXPECT_EQ(ReportNumber(std::nan(""), 3), "n/a");
    EXPECT_EQ(SignificantNumber(0.0125), "0.0125");
    EXPECT_EQ(SignificantNumber(1234.5), "1234");
    EXPECT_EQ(SignificantNumber(1234567), "1.235e+06");
}

TEST(ParameterUnits, RatesPerDayAndHalfSaturationsInMgPerLitre)
{
    EXPECT_EQ(ParameterUnit(Parameter::AC), "1 / 24h");
    EXPECT_EQ(ParameterUnit(Parameter::PP), "1 / 24h");
    EXPECT_EQ(ParameterUnit(Parameter::KO), "mg / l");
    EXPECT_EQ(ParameterUnit(Parameter::MN), "mg / l");
    EXPECT_EQ(ParameterUnit(Parameter::TA), "-");
    EXPECT_EQ(ParameterUnit(Parameter::AF), "-");
}

} // namespace
} // namespace carexa
