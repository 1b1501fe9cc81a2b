#include "results/downsample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace carexa;

namespace {

std::vector<DayPoint> Points(std::initializer_list<std::pair<double, double>> points)
{
    std::vector<DayPoint> result;
    for (const auto &[day, value] : points)
        result.push_back({day, value});
    return result;
}

TEST(MinMaxDownsample, KeepsEveryDayWhenTwoOrFewerFallOnAColumn)
{
    const std::vector<double> values {5, 6, 7, 8, 9, 10};
    EXPECT_EQ(MinMaxDownsample(values, 1, 6, 3),
        Points({{1, 5}, {2, 6}, {3, 7}, {4, 8}, {5, 9}, {6, 10}}));
    EXPECT_EQ(MinMaxDownsample(values, 2, 4, 2), Points({{2, 6}, {3, 7}, {4, 8}}));
    // The range is clipped to the days held; an empty range gives nothing.
    EXPECT_EQ(MinMaxDownsample(values, -3, 100, 10).size(), 6u);
    EXPECT_TRUE(MinMaxDownsample(values, 5, 4, 10).empty());
    EXPECT_TRUE(MinMaxDownsample({}, 1, 10, 10).empty());
}

// Twelve days on three columns: days 1-4, 5-8 and 9-12, each giving its lowest and highest day.
TEST(MinMaxDownsample, KeepsEachColumnsLowestAndHighestInDayOrder)
{
    const std::vector<double> values {0, 0, 0, 9, 0, 0, 0, 0, -4, 0, 0, 0};
    EXPECT_EQ(MinMaxDownsample(values, 1, 12, 3),
        Points({{1, 0}, {4, 9}, {5, 0}, {9, -4}, {10, 0}, {12, 0}}));
    // A peak before the trough keeps its order.
    const std::vector<double> falling {3, 8, 1, 2, 2, 2, 2, 2};
    EXPECT_EQ(MinMaxDownsample(falling, 1, 8, 2), Points({{1, 3}, {2, 8}, {3, 1}, {5, 2}, {8, 2}}));
}

TEST(MinMaxDownsample, SplitsUnevenDaysAsEvenlyAsWholeDaysAllow)
{
    // Seven days on three columns: days 1-2, 3-4 and 5-7.
    const std::vector<double> values {1, 2, 3, 4, 7, 5, 6};
    EXPECT_EQ(MinMaxDownsample(values, 1, 7, 3),
        Points({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 7}, {6, 5}, {7, 6}}));
    const std::vector<double> more {1, 2, 3, 4, 7, 5, 6, 0};
    // Eight days: 1-2, 3-5, 6-8.
    EXPECT_EQ(
        MinMaxDownsample(more, 1, 8, 3), Points({{1, 1}, {2, 2}, {3, 3}, {5, 7}, {7, 6}, {8, 0}}));
}

TEST(MinMaxDownsample, AHundredYearsOnAWindowKeepEveryPeak)
{
    std::vector<double> values(36500);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = std::sin(static_cast<double>(i) * 0.01);
    values[12345] = 50;
    values[23456] = -50;
    const std::vector<DayPoint> points = MinMaxDownsample(values, 1, 36500, 800);
    EXPECT_LE(points.size(), 2u * 800 + 2);
    EXPECT_GE(points.size(), 800u);
    EXPECT_EQ(points.front(), (DayPoint {1, 0}));
    EXPECT_EQ(points.back().day, 36500);
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
        [](const DayPoint &a, const DayPoint &b) { return a.day <= b.day; }));
    EXPECT_NE(std::find(points.begin(), points.end(), DayPoint {12346, 50}), points.end());
    EXPECT_NE(std::find(points.begin(), points.end(), DayPoint {23457, -50}), points.end());

    // Zoomed into a hundred days, every day is drawn again.
    EXPECT_EQ(MinMaxDownsample(values, 12300, 12399, 800).size(), 100u);
}

TEST(MinMaxDownsample, LeavesOutValuesThatAreNoNumbers)
{
    const std::vector<double> values {1, NAN, 3, INFINITY, 5, 6, 7, 8};
    EXPECT_EQ(MinMaxDownsample(values, 1, 8, 4),
        Points({{1, 1}, {3, 3}, {5, 5}, {6, 6}, {7, 7}, {8, 8}}));
    EXPECT_EQ(MinMaxDownsample(values, 1, 8, 2), Points({{1, 1}, {3, 3}, {5, 5}, {8, 8}}));
}

} // namespace
