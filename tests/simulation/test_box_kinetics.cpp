#include "simulation/box_kinetics.h"

#include <gtest/gtest.h>

#include <array>

using namespace carexa;

namespace {

ModelParameters WarmLike()
{
    // AC NC OC DC TA TN TO TD KO OO MA MN PA PN PP AF
    return ModelParameters(
        {0.5, 0.8, 0.2, 0.2, 1.04, 1.047, 1.04, 1.09, 1.3, 1.3, 1.0, 0.1, 0.01, 0.01, 0.003, 0.5});
}

DayValues ADay()
{
    DayValues day;
    day.set(DayField::temperature, 25);
    day.set(DayField::waterFlow, 40);
    day.set(DayField::boxWaterVolume, 500);
    day.set(DayField::porosity, 0.4);
    day.set(DayField::pomPercent, 30);
    day.set(DayField::ponPercent, 20);
    day.set(DayField::popPercent, 10);
    const std::array<double, 5> oxygen {1, 1.5, 2, 2.5, 3};
    for (int x = 0; x < 5; ++x)
        day.set(OxygenField(x), oxygen[static_cast<std::size_t>(x)]);
    day.set(DayField::bod5In, 200);
    day.set(DayField::nitrateIn, 3);
    day.set(DayField::ammoniumIn, 40);
    day.set(DayField::totalPIn, 8);
    day.set(DayField::orgNitrogenIn, 15);
    return day;
}

BoxValues AStart()
{
    BoxValues box;
    const std::array<std::array<double, 5>, 5> values {{{150, 100, 60, 30, 10}, {30, 20, 12, 8, 4},
        {10, 8, 6, 2, 1}, {10, 8, 6, 4, 2}, {10, 9, 8, 7, 6}}};
    for (int v = 0; v < 5; ++v) {
        for (int x = 0; x < 5; ++x)
            box.setConcentration(static_cast<Variable>(v), x,
                values[static_cast<std::size_t>(v)][static_cast<std::size_t>(x)]);
    }
    return box;
}

// One Euler step of a whole day, checked against values worked out by hand from the rate,
// transport and reaction tables.
TEST(SimulateDay, OneSubStepMatchesTheHandCalculation)
{
    DayNode node;
    node.box = AStart();
    SimulateDay(node, WarmLike(), ADay(), 1, node.box);
    const auto c = [&node](Variable v, int x) { return node.box.concentration(v, x); };
    EXPECT_NEAR(c(Variable::BOD5, 0), 136.30000809893426, 1e-9);
    EXPECT_NEAR(c(Variable::BOD5, 2), 51.81582976963253, 1e-9);
    EXPECT_NEAR(c(Variable::NIT, 2), 9.485263133453604, 1e-9);
    EXPECT_NEAR(c(Variable::AMM, 2), 9.12251624307532, 1e-9);
    EXPECT_NEAR(c(Variable::ORN, 1), 3.1333883903999995, 1e-9);
    // The three adsorption forms: A and B subtract (1 - phi) x AF, C to E multiply.
    EXPECT_NEAR(c(Variable::TPO, 0), 6.593, 1e-9);
    EXPECT_NEAR(c(Variable::TPO, 1), 5.673, 1e-9);
    EXPECT_NEAR(c(Variable::TPO, 2), 7.256, 1e-9);
}

TEST(SimulateDay, NoSubStepLeavesTheNodeAlone)
{
    for (int steps : {0, -5}) {
        DayNode node;
        node.box = AStart();
        SimulateDay(node, WarmLike(), ADay(), steps, node.box);
        EXPECT_EQ(node.box, AStart());
    }
}

TEST(SimulateDay, NitrateWithoutReactionsAndEvenTransportStays)
{
    ModelParameters p = WarmLike();
    p.set(Parameter::DC, 0);
    p.set(Parameter::NC, 0);
    p.set(Parameter::PN, 0);
    DayNode node;
    node.box = AStart();
    BoxValues source = node.box;
    for (int x = 0; x < 5; ++x)
        source.setConcentration(Variable::NIT, x, 7);
    SimulateDay(node, p, ADay(), 70, source);
    for (int x = 1; x < 5; ++x)
        EXPECT_DOUBLE_EQ(
            node.box.concentration(Variable::NIT, x), AStart().concentration(Variable::NIT, x));
}

TEST(SimulateDay, NegativeConcentrationsBecomeOneE4ButZeroStaysZero)
{
    DayNode node;
    node.box = AStart();
    node.box.setConcentration(Variable::ORN, 3, 0); // no inflow, no reaction: stays exactly 0
    BoxValues source = node.box;
    source.setConcentration(Variable::ORN, 2, 0);
    source.setConcentration(Variable::ORN, 3, 0);
    DayValues day = ADay();
    day.set(DayField::bod5In, 0); // box A's BOD5 is washed out and decomposed below zero
    day.set(DayField::waterFlow, 2000);
    SimulateDay(node, WarmLike(), day, 1, source);
    EXPECT_EQ(node.box.concentration(Variable::BOD5, 0), 0.0001);
    EXPECT_EQ(node.box.concentration(Variable::ORN, 3), 0);
}

TEST(SimulateDay, OnlyTheDissolvedPhosphorusOfBoxAIsTakenUp)
{
    ModelParameters p = WarmLike();
    p.set(Parameter::AF, 100); // no adsorption: the uptake alone acts
    const auto tpoA = [&p](double popPercent) {
        DayNode node;
        node.box = AStart();
        DayValues day = ADay();
        day.set(DayField::popPercent, popPercent);
        day.set(DayField::totalPIn, 0);
        day.set(DayField::waterFlow, 0);
        SimulateDay(node, p, day, 1, node.box);
        return node.box.concentration(Variable::TPO, 0);
    };
    EXPECT_DOUBLE_EQ(tpoA(0), 10 - 0.003 * 10);
    EXPECT_DOUBLE_EQ(tpoA(20), 10 - 0.003 * 0.8 * 10);
}

TEST(SimulateDay, AtTwentyDegreesTheTemperatureCoefficientsDoNotMatter)
{
    DayValues day = ADay();
    day.set(DayField::temperature, 20);
    ModelParameters neutral = WarmLike();
    for (Parameter t : {Parameter::TA, Parameter::TN, Parameter::TO, Parameter::TD})
        neutral.set(t, 1);
    DayNode a, b;
    a.box = b.box = AStart();
    SimulateDay(a, WarmLike(), day, 70, a.box);
    SimulateDay(b, neutral, day, 70, b.box);
    EXPECT_EQ(a.box, b.box);
}

TEST(SimulateDay, TheTransportSourceIsFixedForTheWholeDay)
{
    // Passing the node's own values as source must act like passing a copy of them.
    DayNode a, b;
    a.box = b.box = AStart();
    const BoxValues copy = b.box;
    SimulateDay(a, WarmLike(), ADay(), 70, a.box);
    SimulateDay(b, WarmLike(), ADay(), 70, copy);
    EXPECT_EQ(a.box, b.box);
}

} // namespace
