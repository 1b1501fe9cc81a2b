#include "results/axis_scale.h"

#include <gtest/gtest.h>

#include <cmath>

#include <ostream>
#include <string>
#include <vector>

using namespace carexa;

namespace {

std::vector<std::string> Labels(const std::vector<AxisTick> &ticks)
{
    std::vector<std::string> labels;
    for (const AxisTick &t : ticks)
        labels.push_back(t.label);
    return labels;
}

struct Case
{
    const char *name;
    double low, high;
    std::optional<double> cap;
    double min, max, step;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

class RoundAxisCase : public testing::TestWithParam<Case>
{ };

TEST_P(RoundAxisCase, EndsAtARoundValueJustBeyondTheData)
{
    const Case &c = GetParam();
    const AxisScale axis = RoundAxis(c.low, c.high, c.cap);
    EXPECT_DOUBLE_EQ(axis.min, c.min);
    EXPECT_DOUBLE_EQ(axis.max, c.max);
    EXPECT_DOUBLE_EQ(axis.step, c.step);
}

INSTANTIATE_TEST_SUITE_P(Axes, RoundAxisCase,
    testing::Values(Case {"Concentrations", 0.4, 23.2, {}, 0, 25, 5},
        Case {"OnAStep", 0, 20, {}, 0, 20, 5}, // 20 / 8 = 2.5: steps of 5
        Case {"JustAboveAStep", 0, 20.01, {}, 0, 25, 5},
        Case {"Small", 0.0001, 0.0042, {}, 0, 0.005, 0.001},
        Case {"Large", 3, 381.7, {}, 0, 400, 50},
        // Efficiencies stop at 100 % unless a value is above it; a band to 99 no longer
        // stretches the axis to 150 %.
        Case {"Efficiency", 12, 99.2, 100.0, 0, 100, 20},
        Case {"EfficiencyLow", 12, 83, 100.0, 0, 100, 20},
        Case {"EfficiencyAt100", 0, 100, 100.0, 0, 100, 20},
        Case {"EfficiencyAbove100", 0, 100.5, 100.0, 0, 120, 20},
        Case {"SmallEfficiency", 0, 41, 100.0, 0, 50, 10},
        // Below 0: a round value just below the lowest.
        Case {"Negative", -172.7, 95, 100.0, -200, 100, 50},
        Case {"SlightlyNegative", -0.04, 0.37, {}, -0.1, 0.4, 0.1},
        Case {"Nothing", 0, 0, {}, 0, 1, 0.2}, Case {"NoValues", 1, -1, {}, 0, 1, 0.2}),
    [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

TEST(AxisScale, AnAxisOfValuesBelowZeroEndsAtZeroWithoutASign)
{
    const AxisScale axis = RoundAxis(-4.2, -1e-8, 100.0);
    EXPECT_EQ(axis.min, -5);
    EXPECT_EQ(axis.max, 0);
    EXPECT_FALSE(std::signbit(axis.max));
    EXPECT_EQ(AxisTicks(axis.min, axis.max, axis.step).back().label, "0");
}

TEST(AxisScale, StepsAreOneTwoOrFiveTimesAPowerOfTen)
{
    EXPECT_DOUBLE_EQ(RoundStep(8), 1);
    EXPECT_DOUBLE_EQ(RoundStep(8.1), 2);
    EXPECT_DOUBLE_EQ(RoundStep(16), 2);
    EXPECT_DOUBLE_EQ(RoundStep(16.1), 5);
    EXPECT_DOUBLE_EQ(RoundStep(40), 5);
    EXPECT_DOUBLE_EQ(RoundStep(40.1), 10);
    EXPECT_DOUBLE_EQ(RoundStep(0.0008), 0.0001);
    EXPECT_DOUBLE_EQ(RoundStep(0), 0.2);
    EXPECT_DOUBLE_EQ(RoundStep(-3), 0.2);
}

TEST(AxisScale, TicksAreRoundAndZeroHasNoSign)
{
    EXPECT_EQ(Labels(AxisTicks(0, 25, 5)), (std::vector<std::string> {"0", "5", "10", "15", "20", "25"}));
    EXPECT_EQ(Labels(AxisTicks(-0.3, 0.2, 0.1)),
        (std::vector<std::string> {"-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2"}));
    // A range that starts a rounding error below zero.
    EXPECT_EQ(Labels(AxisTicks(-1e-17, 0.4, 0.2)), (std::vector<std::string> {"0.0", "0.2", "0.4"}));
    // A zoomed range: the multiples of the step inside it only.
    EXPECT_EQ(Labels(AxisTicks(1.3, 2.9, 0.5)), (std::vector<std::string> {"1.5", "2.0", "2.5"}));
    EXPECT_EQ(Labels(AxisTicks(0, 0.005, 0.001)),
        (std::vector<std::string> {"0.000", "0.001", "0.002", "0.003", "0.004", "0.005"}));
    for (const AxisTick &t : AxisTicks(-200, 100, 50))
        EXPECT_NE(t.label, "-0") << t.value;
    EXPECT_EQ(AxisTicks(-200, 100, 50)[4].value, 0.0);
    EXPECT_FALSE(std::signbit(AxisTicks(-200, 100, 50)[4].value));
    EXPECT_TRUE(AxisTicks(0, 1, 0).empty());
    EXPECT_TRUE(AxisTicks(0, 1e9, 1e-3).empty()); // too many to draw
}

} // namespace
