#include "model/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace carexa;

namespace {

TEST(RoundPositive, RoundsHalvesUpAndFloorsAtOneE8)
{
    EXPECT_DOUBLE_EQ(RoundPositive(12.3456, 3), 12.346);
    EXPECT_DOUBLE_EQ(RoundPositive(12.3456789, 6), 12.345679);
    EXPECT_DOUBLE_EQ(RoundPositive(0.125, 2), 0.13);
    EXPECT_DOUBLE_EQ(RoundPositive(3.0, 2), 3.0);
    EXPECT_EQ(RoundPositive(-5, 3), 1e-8);
    EXPECT_EQ(RoundPositive(0, 3), 1e-8);
    EXPECT_EQ(RoundPositive(0.0004, 3), 1e-8);
    EXPECT_DOUBLE_EQ(RoundPositive(0.0005, 3), 0.001);
}

TEST(RoundPositive, CopesWithEveryDouble)
{
    EXPECT_EQ(RoundPositive(1e144, 3), 1e144);
    EXPECT_EQ(
        RoundPositive(std::numeric_limits<double>::max(), 6), std::numeric_limits<double>::max());
    EXPECT_EQ(RoundPositive(-std::numeric_limits<double>::max(), 6), 1e-8);
    EXPECT_EQ(RoundPositive(std::numeric_limits<double>::infinity(), 3), 1e-8);
    EXPECT_EQ(RoundPositive(std::nan(""), 3), 1e-8);
    EXPECT_EQ(RoundPositive(std::numeric_limits<double>::denorm_min(), 3), 1e-8);
}

TEST(SimpleRoundTo, TakesTheIntegerPartOfTheScaledValuePlusAHalf)
{
    EXPECT_DOUBLE_EQ(SimpleRoundTo(0.588235294117647, -4), 0.5882);
    EXPECT_DOUBLE_EQ(SimpleRoundTo(51.0000001, -4), 51);
    EXPECT_EQ(SimpleRoundTo(50.5, 0), 51);
    EXPECT_EQ(SimpleRoundTo(50.49, 0), 50);
    EXPECT_EQ(SimpleRoundTo(1e300, -4), 1e300);
    EXPECT_EQ(SimpleRoundTo(-1e300, -4), -1e300);
    EXPECT_EQ(SimpleRoundTo(1234.0, 2), 1200);
}

TEST(RoundDay, AddsOneOnlyAboveAHalf)
{
    EXPECT_EQ(RoundDay(7.5), 7);
    EXPECT_EQ(RoundDay(7.51), 8);
    EXPECT_EQ(RoundDay(7.506), 8); // the fraction rounds to 0.51 first
    EXPECT_EQ(RoundDay(4.918), 5);
    EXPECT_EQ(RoundDay(-2.7), -2);
    EXPECT_EQ(RoundDay(0), 0);
    EXPECT_EQ(RoundDay(std::nan("")), 0);
    EXPECT_EQ(RoundDay(1e300), std::int64_t {1} << 62);
}

} // namespace
