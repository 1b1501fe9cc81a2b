#include "analysis/range_update.h"

#include "analysis/random.h"
#include "model/model_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace carexa;

namespace {

constexpr double kInfinite = std::numeric_limits<double>::infinity();

// ---------------------------------------------------------------------------------------------
// The half-widths of a regression worked by hand

TEST(Sufi2HalfWidths, OfARegressionWorkedByHand)
{
    // x = 0, 0.25, 0.5, 0.75, 1 and g = 1, 2, 2, 4, 5: centred x has sum of squares 0.625, the
    // slope is 2.5 / 0.625 = 4, g has variance 10.8 / 4 = 2.7, so C = 2.7 (1 / 0.625) / 16 =
    // 0.27 and the half-width is t(3 df, 97.5 %) sqrt(0.27) = 3.18245 x 0.519615.
    const std::vector<std::vector<double>> units {{0}, {0.25}, {0.5}, {0.75}, {1}};
    const std::vector<double> g {1, 2, 2, 4, 5};
    const std::vector<double> half = Sufi2HalfWidths(units, g);
    ASSERT_EQ(half.size(), 1u);
    EXPECT_NEAR(half[0], 1.6536476079333722, 1e-9);

    // Scaling g scales s_g and beta alike: the same half-width.
    std::vector<double> scaled = g;
    for (double &v : scaled)
        v = 3 * v + 7;
    EXPECT_NEAR(Sufi2HalfWidths(units, scaled)[0], 1.6536476079333722, 1e-9);
}

TEST(Sufi2HalfWidths, NarrowForTheParameterThatDrivesTheObjective)
{
    // g = 5 x0 + 0.2 x1 + a little noise, 200 runs of a Latin-like design.
    std::mt19937_64 generator = TaskGenerator(5, 1);
    std::vector<std::vector<double>> units;
    std::vector<double> g;
    for (int i = 0; i < 200; ++i) {
        const double x0 = UnitDraw(generator);
        const double x1 = UnitDraw(generator);
        units.push_back({x0, x1, 0.5});
        g.push_back(5 * x0 + 0.2 * x1 + 0.3 * (UnitDraw(generator) - 0.5));
    }
    const std::vector<double> half = Sufi2HalfWidths(units, g);
    ASSERT_EQ(half.size(), 3u);
    EXPECT_GT(half[0], 0);
    EXPECT_LT(half[0], 0.2);
    EXPECT_GT(half[1], 5 * half[0]);
    EXPECT_EQ(half[2], kInfinite); // a coordinate that does not vary
}

TEST(Sufi2HalfWidths, InfiniteWhereNothingCanBePinned)
{
    const std::vector<std::vector<double>> units {{0.1, 0.2}, {0.4, 0.9}, {0.8, 0.3}, {0.6, 0.5}};
    EXPECT_EQ(Sufi2HalfWidths(units, std::vector<double> {2, 2, 2, 2}),
        (std::vector<double> {kInfinite, kInfinite})); // g does not vary
    // 4 runs, 2 parameters: one degree of freedom is enough ...
    const std::vector<double> g {1, 2, 4, 3};
    const std::vector<double> half = Sufi2HalfWidths(units, g);
    EXPECT_TRUE(std::isfinite(half[0]));
    EXPECT_TRUE(std::isfinite(half[1]));
    // ... three runs leave none.
    const std::vector<std::vector<double>> three(units.begin(), units.begin() + 3);
    EXPECT_EQ(Sufi2HalfWidths(three, std::vector<double> {1, 2, 4}),
        (std::vector<double> {kInfinite, kInfinite}));
    EXPECT_TRUE(Sufi2HalfWidths({}, std::vector<double> {}).empty());
}

// ---------------------------------------------------------------------------------------------
// The range update by hand

struct RangeCase
{
    double best;
    double halfWidth;
    double lower;
    double upper;
};

class Sufi2RangeCase : public testing::TestWithParam<RangeCase>
{ };

TEST_P(Sufi2RangeCase, NarrowsAroundTheBestAndStaysWithinTheLimit)
{
    const RangeCase c = GetParam();
    const ParameterRange range = Sufi2Range({0, 10, false}, {0, 20, false}, c.best, c.halfWidth);
    EXPECT_NEAR(range.lower, c.lower, 1e-12);
    EXPECT_NEAR(range.upper, c.upper, 1e-12);
    EXPECT_FALSE(range.lowerExclusive);
}

INSTANTIATE_TEST_SUITE_P(ByHand, Sufi2RangeCase,
    testing::Values(
        // b_lo 0.4, b_up 0.6, widened by max(0.2, 0.2): 0.2 to 0.8 of 0 to 10.
        RangeCase {0.5, 0.1, 2, 8},
        // b_lo 0, b_up 0.2, widened by max(0, 0.4): -0.4 to 0.6, clipped at 0.
        RangeCase {0.1, 0.1, 0, 6},
        // b_lo 0.7, b_up 0.9, widened by max(0.35, 0.05): 0.35 to 1.25.
        RangeCase {0.8, 0.1, 3.5, 12.5},
        // An interval wider than the range: widened by max(-0.75, -0.75), -0.75 to 1.75.
        RangeCase {0.5, 2.0, 0, 17.5},
        // No width: b* itself, widened by max(0.15, 0.35) to -0.05 .. 0.65.
        RangeCase {0.3, 0.0, 0, 6.5}, RangeCase {0.5, kInfinite, 0, 20},
        RangeCase {0.5, std::numeric_limits<double>::quiet_NaN(), 0, 20}));

TEST(Sufi2Range, KeepsAboveAnExclusiveLowerEnd)
{
    const ParameterRange limit {0.0001, 1, true};
    const double first = std::nextafter(0.0001, 1.0);
    const ParameterRange range = Sufi2Range({0.0001, 1, true}, limit, 0.05, 0.02);
    EXPECT_EQ(range.lower, first);
    EXPECT_FALSE(range.lowerExclusive);
    EXPECT_TRUE(Keeps(limit, range.lower));
    EXPECT_EQ(
        Sufi2Range({0.5, 0.6, false}, limit, 0.5, kInfinite), (ParameterRange {first, 1, false}));
    // A range of one value stays.
    EXPECT_EQ(Sufi2Range({0.3, 0.3, false}, limit, 0.5, 0.1), (ParameterRange {0.3, 0.3, false}));
}

TEST(ConditioningLimit, IsTheClimateRangeOrWithoutAClimateWidenedToTheStart)
{
    EXPECT_EQ(ConditioningLimit(Parameter::TN, kColdClimate, {1.0, 1.05, false}),
        ClimateRange(Parameter::TN, kColdClimate));
    EXPECT_EQ(ConditioningLimit(Parameter::AC, kWarmClimate, {0.2, 0.3, false}),
        ClimateRange(Parameter::AC, kWarmClimate));
    const ParameterRange cold = ClimateRange(Parameter::TN, kColdClimate);
    EXPECT_EQ(ConditioningLimit(Parameter::TN, kNoClimate, {0.5, 3e15, false}),
        (ParameterRange {0.5, 3e15, false}));
    EXPECT_EQ(ConditioningLimit(Parameter::TN, kNoClimate, {cold.lower, cold.lower, false}), cold);
}

} // namespace
