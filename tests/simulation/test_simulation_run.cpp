#include "simulation/simulation_run.h"

#include "model/climate.h"
#include "model/error.h"
#include "model/number_text.h"
#include "model/rounding.h"
#include "results/data_sheet.h"
#include "simulation/box_kinetics.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

using namespace carexa;

namespace {

constexpr int kBoxE = 4;

// Forcing values inside every range, so the run replaces nothing and the expected days can be
// computed with SimulateDay directly.
void FillPlausibleDays(ModelState &state, double rtb)
{
    int d = 0;
    for (DayNode &node : state.days.active()) {
        ++d;
        DayValues &day = node.day;
        day.set(DayField::temperature, 10 + d % 7);
        day.set(DayField::waterFlow, 12);
        day.set(DayField::bod5In, 150 + d % 5);
        day.set(DayField::nitrateIn, 3);
        day.set(DayField::ammoniumIn, 35);
        day.set(DayField::totalPIn, 7);
        day.set(DayField::orgNitrogenIn, 14);
        day.set(DayField::pomPercent, 30);
        day.set(DayField::ponPercent, 25);
        day.set(DayField::popPercent, 20);
        day.set(DayField::porosity, 0.4);
        for (int x = 0; x < kBoxCount; ++x)
            day.set(OxygenField(x), 0.5 + 0.3 * x);
        day.set(DayField::boxWaterVolume, 40);
        day.set(DayField::RTB, rtb);
    }
}

TEST(SimulationRun, AllDefaultsInTheColdClimateRunWithTheFallbacks)
{
    ModelState state;
    state.climate = kColdClimate;
    TextGrid grid(5, 5);
    std::vector<int> progress;
    const RunOutcome outcome = RunSimulation(state, grid, [&](int done, int total) {
        progress.push_back(done);
        EXPECT_EQ(total, 59);
    });
    ASSERT_TRUE(outcome.completed) << outcome.message;
    EXPECT_EQ(progress.size(), 59u);
    EXPECT_EQ(progress.back(), 59);

    ModelParameters cold;
    ApplyClimatePreset(cold, kColdClimate);
    EXPECT_EQ(state.parameters, cold);
    EXPECT_EQ(state.initial.concentration(Variable::BOD5, 0), 150);
    EXPECT_EQ(state.initial.concentration(Variable::TPO, kBoxE), 6);
    const DayValues &day = state.days.node(30).day;
    EXPECT_EQ(day.get(DayField::temperature), 0.0001);
    EXPECT_EQ(day.get(DayField::porosity), 0.0001);
    EXPECT_EQ(day.get(DayField::waterFlow), 1);
    EXPECT_EQ(day.get(DayField::boxWaterVolume), 100);
    EXPECT_EQ(state.days.node(1).box.concentration(Variable::BOD5, 0), 150);
    EXPECT_EQ(state.days.last().day.get(DayField::waterFlow), 0.0001); // the spare is left alone

    // The grid keeps its shown size but holds every day, all finite numbers.
    EXPECT_EQ(grid.rowCount(), 5);
    for (int r = 1; r <= 60; ++r) {
        for (int c = 1; c <= 11; ++c)
            EXPECT_TRUE(std::isfinite(ParseDouble(grid.cell(c, r)))) << c << "," << r;
    }
    EXPECT_EQ(grid.cell(1, 1), "10"); // row 1: the initial BOD5-E
}

// Runs the days by hand with the transport sources the lag rule names and compares.
void ExpectSources(double rtb, const std::vector<int> &sourceOfDay)
{
    ModelState state;
    state.climate = kWarmClimate;
    state.setSimulationLength(static_cast<int>(sourceOfDay.size()) - 1);
    FillPlausibleDays(state, rtb);
    TextGrid grid(5, 5);
    ASSERT_TRUE(RunSimulation(state, grid).completed);

    // After the run the records hold the replaced inputs, so a replay starts from the same ones.
    std::vector<BoxValues> expected(sourceOfDay.size());
    expected[1] = state.initial;
    BoxValues start = state.initial;
    for (std::size_t d = 2; d < sourceOfDay.size(); ++d) {
        const int s = sourceOfDay[d];
        const BoxValues source = s == 0 ? state.initial
            : s == static_cast<int>(d)  ? start
                                        : expected[static_cast<std::size_t>(s)];
        DayNode node;
        node.box = start;
        SimulateDay(node, state.parameters, state.days.node(static_cast<int>(d)).day,
            state.stepsPerDay, source);
        expected[d] = node.box;
        start = node.box;
    }
    for (std::size_t d = 1; d < sourceOfDay.size(); ++d) {
        for (int x = 0; x < kBoxCount; ++x)
            EXPECT_EQ(state.days.node(static_cast<int>(d)).box.concentration(Variable::BOD5, x),
                expected[d].concentration(Variable::BOD5, x))
                << "day " << d << " box " << x;
    }
}

TEST(SimulationRun, TransportSourceFollowsTheRetentionTime)
{
    // RTB 3: days 2 and 3 from the initial values (day 3: lag 0 becomes 1), day 4 from day 1,
    // day 5 from day 2, day 6 from day 3. Index 0 is unused; 0 means the initial values.
    ExpectSources(3, {0, 0, 0, 1, 1, 2, 3});
    // RTB 0.75: every day flows from its own start-of-day values.
    ExpectSources(0.75, {0, 0, 2, 3, 4, 5});
    // RTB 2.6: lag 3 - 2 = 1 on day 3.
    ExpectSources(2.6, {0, 0, 0, 1, 2, 3});
}

TEST(SimulationRun, OutflowRowsLagAndEfficiencyRowsDoNot)
{
    ModelState state;
    state.climate = kColdClimate;
    state.setSimulationLength(8);
    FillPlausibleDays(state, 3);
    TextGrid grid(5, 5);
    ASSERT_TRUE(RunSimulation(state, grid).completed);
    const auto outE = [&](int day) {
        return FormatGeneral(
            RoundPositive(state.days.node(day).box.concentration(Variable::NIT, kBoxE), 3));
    };
    const std::string initialE
        = FormatGeneral(RoundPositive(state.initial.concentration(Variable::NIT, kBoxE), 3));
    EXPECT_EQ(grid.cell(2, 1), initialE);
    EXPECT_EQ(grid.cell(2, 2), initialE);
    EXPECT_EQ(grid.cell(2, 3), outE(1));
    EXPECT_EQ(grid.cell(2, 4), outE(1));
    EXPECT_EQ(grid.cell(2, 8), outE(5));
    const DayNode &day6 = state.days.node(6);
    const double in = day6.day.get(DayField::ammoniumIn);
    const double eff = (in - day6.box.concentration(Variable::AMM, kBoxE)) * 100 / in;
    EXPECT_EQ(grid.cell(8, 6), FormatGeneral(RoundPositive(eff, 3)));
}

TEST(SimulationRun, ASingleDaySimulatesNothing)
{
    ModelState state;
    state.climate = kColdClimate;
    state.setSimulationLength(1);
    TextGrid grid(5, 5);
    int calls = 0;
    ASSERT_TRUE(RunSimulation(state, grid, [&](int, int) { ++calls; }).completed);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(grid.cell(1, 1), "10");
    EXPECT_EQ(grid.cell(3, 1), "1");
}

TEST(SimulationRun, RefusesToStartWithoutChangingAnything)
{
    for (int steps : {0, -1}) {
        ModelState state;
        state.stepsPerDay = steps;
        TextGrid grid(5, 5);
        EXPECT_THROW(RunSimulation(state, grid), Error);
        EXPECT_EQ(state.initial, BoxValues());
        EXPECT_EQ(grid.cell(1, 1), "");
    }
    ModelState state;
    state.simulationLength = 0;
    TextGrid grid(5, 5);
    EXPECT_THROW(RunSimulation(state, grid), Error);
}

// A negative retention time would take a day's source from a later day, not computed yet (and
// past the list for a large one): the run is refused before anything changes, naming the first
// such day with its value. Zero (also written -0) is a retention time.
struct RetentionCase
{
    int days;
    std::vector<std::pair<int, double>> rtb; // day, value
    const char *message; // nullptr: the run goes
};

class NegativeRetention : public testing::TestWithParam<RetentionCase>
{ };

TEST_P(NegativeRetention, IsRefusedBeforeAnythingChanges)
{
    const RetentionCase &c = GetParam();
    ModelState state;
    state.climate = kColdClimate;
    state.setSimulationLength(c.days);
    FillPlausibleDays(state, 1.5);
    for (const auto &[day, value] : c.rtb)
        state.days.node(day).day.set(DayField::RTB, value);
    const ModelState before = state;
    TextGrid grid(5, 5);
    if (!c.message) {
        EXPECT_NO_THROW(CheckRunnable(state));
        EXPECT_TRUE(RunSimulation(state, grid).completed);
        return;
    }
    for (const auto &attempt : std::vector<std::function<void()>> {[&] { CheckRunnable(state); },
             [&] { RunSimulation(state, grid); }, [&] { Simulate(MakeRunInput(state)); }}) {
        try {
            attempt();
            ADD_FAILURE() << "not refused";
        } catch (const Error &e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(state.initial, before.initial);
    EXPECT_EQ(state.parameters, before.parameters);
    for (int d = 1; d <= c.days; ++d)
        EXPECT_EQ(state.days.node(d).box, before.days.node(d).box) << d;
    EXPECT_EQ(grid.cell(1, 1), "");
}

INSTANTIATE_TEST_SUITE_P(SimulationRun, NegativeRetention,
    testing::Values(RetentionCase {60, {{40, -2.5}, {50, -7}},
                        "Day 40 has a negative retention time (RTB -2.5); a retention time cannot "
                        "be negative."},
        // Day 1 is not simulated, but its outflow row would read day 1 + 5 = 6, past two days.
        RetentionCase {2, {{1, -5}},
            "Day 1 has a negative retention time (RTB -5); a retention time cannot be negative."},
        RetentionCase {10, {{10, -1e-300}},
            "Day 10 has a negative retention time (RTB -1E-300); a retention time cannot be "
            "negative."},
        RetentionCase {10, {{3, std::nan("")}},
            "Day 3 has a retention time (RTB) that is not a number; a retention time must be a "
            "number of days."},
        RetentionCase {10, {{3, 0.0}, {4, -0.0}, {10, 0.0}}, nullptr}));

// A monitor that says stop after the last day stops nothing: the run is complete. One day
// earlier it is a cancel.
TEST(SimulationRun, AStopAfterTheLastDayIsNoCancel)
{
    ModelState state;
    state.climate = kColdClimate;
    state.setSimulationLength(10);
    FillPlausibleDays(state, 1);
    const RunResult whole
        = Simulate(MakeRunInput(state), [](int done, int total) { return done < total; });
    EXPECT_TRUE(whole.completed);
    EXPECT_FALSE(whole.cancelled);
    EXPECT_TRUE(whole.message.empty());
    const RunResult stopped
        = Simulate(MakeRunInput(state), [](int done, int total) { return done < total - 1; });
    EXPECT_FALSE(stopped.completed);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.message, "The simulation was cancelled.");
}

// A run's days go into a day list of the same length only.
TEST(SimulationRun, ARunThatDoesNotFitTheDayListChangesNothing)
{
    ModelState state;
    state.climate = kColdClimate;
    state.setSimulationLength(10);
    FillPlausibleDays(state, 1);
    RunResult result = Simulate(MakeRunInput(state));
#ifndef NDEBUG
    EXPECT_DEATH(CommitRun(RunResult(result), ModelState()), "must match the project's day list");
    return; // a debug build stops at the assertion
#endif
    ModelState other;
    other.setSimulationLength(11);
    const BoxValues initial = other.initial;
    EXPECT_THROW(CommitRun(RunResult(result), other), Error);
    EXPECT_EQ(other.initial, initial);
    other.setSimulationLength(9);
    EXPECT_THROW(CommitRun(RunResult(result), other), Error);
    result.days.pop_back(); // one day fewer than its boxes
    state.setSimulationLength(10);
    EXPECT_THROW(CommitRun(RunResult(result), state), Error);
}

TEST(SimulationRun, ABlowUpStopsAtTheDayAndWritesOnlyFiniteNumbers)
{
    ModelState state; // no climate: the parameters are used as they stand
    state.setSimulationLength(10);
    FillPlausibleDays(state, 0.75);
    state.parameters.set(Parameter::AC, -1e200);
    TextGrid grid(5, 5);
    const RunOutcome outcome = RunSimulation(state, grid);
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.failedDay, 2);
    EXPECT_NE(outcome.message.find("day 2"), std::string::npos);
    for (const DayNode &node : state.days.active()) {
        for (double v : node.box.values())
            EXPECT_TRUE(std::isfinite(v));
    }
    for (int r = 1; r <= 10; ++r) {
        for (int c = 1; c <= 11; ++c)
            EXPECT_TRUE(std::isfinite(ParseDouble(grid.cell(c, r)))) << grid.cell(c, r);
    }
}

TEST(Replacement, EveryBoxHasItsOxygenLimitsBothSides)
{
    for (int x = 0; x < kBoxCount; ++x) {
        DayValues day;
        day.set(OxygenField(x), 0.000105); // just above the lower end: kept
        ReplaceDayValues(day);
        EXPECT_EQ(day.get(OxygenField(x)), 0.000105) << x;
        day.set(OxygenField(x), 0.000095); // just below: the lower fallback
        ReplaceDayValues(day);
        EXPECT_EQ(day.get(OxygenField(x)), 0.0001) << x;
        day.set(OxygenField(x), 20);
        ReplaceDayValues(day);
        EXPECT_EQ(day.get(OxygenField(x)), 20) << x;
        day.set(OxygenField(x), 20.001);
        ReplaceDayValues(day);
        EXPECT_EQ(day.get(OxygenField(x)), 20) << x;
    }
}

// Every day value on both sides of each end of its range (RTB is not checked).
struct DayLimit
{
    DayField field;
    double lower, low; // below `lower` becomes `low`
    double upper, high; // above `upper` becomes `high`
};

class DayLimits : public testing::TestWithParam<DayLimit>
{ };

TEST_P(DayLimits, EachEndIsStrictAndItsReplacementIsTabled)
{
    const DayLimit &l = GetParam();
    const auto replaced = [&l](double value) {
        DayValues day;
        day.set(l.field, value);
        ReplaceDayValues(day);
        return day.get(l.field);
    };
    EXPECT_EQ(replaced(l.lower), l.lower);
    EXPECT_EQ(replaced(l.upper), l.upper);
    EXPECT_EQ(replaced(l.lower - 1e-6), l.low);
    EXPECT_EQ(replaced(l.upper * 1.0001), l.high);
    EXPECT_EQ(replaced((l.lower + l.upper) / 2), (l.lower + l.upper) / 2);
}

INSTANTIATE_TEST_SUITE_P(Replacement, DayLimits,
    testing::Values(DayLimit {DayField::bod5In, 0.0001, 0.0001, 2000, 2000},
        DayLimit {DayField::nitrateIn, 0.0001, 0.0001, 100, 100},
        DayLimit {DayField::ammoniumIn, 0.0001, 0.0001, 100, 100},
        DayLimit {DayField::totalPIn, 0.0001, 0.0001, 200, 200},
        DayLimit {DayField::orgNitrogenIn, 0.0001, 0.0001, 200, 200},
        DayLimit {DayField::pomPercent, 0, 0.0001, 50, 50},
        DayLimit {DayField::ponPercent, 0, 0.0001, 50, 50},
        DayLimit {DayField::popPercent, 0, 0.0001, 50, 50},
        DayLimit {DayField::temperature, 0.0001, 20, 40, 20},
        DayLimit {DayField::waterFlow, 1, 1, 1000000, 1000000},
        DayLimit {DayField::porosity, 0.0001, 0.46, 1, 0.46},
        DayLimit {DayField::boxWaterVolume, 1, 100, 10000, 100}));

TEST(Replacement, EveryInitialValueHasItsBoxFallback)
{
    BoxValues initial; // every value 0: below the lower end everywhere
    ReplaceInitialValues(initial);
    const std::pair<Variable, std::array<double, kBoxCount>> fallbacks[] = {
        {Variable::BOD5, {150, 100, 60, 30, 10}},
        {Variable::NIT, {30, 20, 12, 8, 4}},
        {Variable::AMM, {10, 8, 6, 2, 1}},
        {Variable::ORN, {10, 8, 6, 4, 2}},
        {Variable::TPO, {10, 9, 8, 7, 6}},
    };
    for (const auto &[variable, boxes] : fallbacks) {
        for (int x = 0; x < kBoxCount; ++x)
            EXPECT_EQ(initial.concentration(variable, x), boxes[static_cast<std::size_t>(x)])
                << static_cast<int>(variable) << " box " << x;
    }
}

// Each variable's upper end is kept and anything above it replaced by the box's fallback; the
// lower end, 0.0001, is replaced, anything above it kept.
TEST(Replacement, InitialValuesKeepBothEndsOfTheirRange)
{
    struct Ends
    {
        Variable variable;
        double upper;
        double fallbackB;
    };
    const Ends ends[] = {{Variable::BOD5, 5000, 100}, {Variable::NIT, 1000, 20},
        {Variable::AMM, 1000, 8}, {Variable::ORN, 1000, 8}, {Variable::TPO, 200, 9}};
    for (const Ends &e : ends) {
        BoxValues initial;
        initial.setConcentration(e.variable, 0, e.upper);
        initial.setConcentration(e.variable, 1, e.upper + 0.5);
        initial.setConcentration(e.variable, 2, 0.00011);
        ReplaceInitialValues(initial);
        const int v = static_cast<int>(e.variable);
        EXPECT_EQ(initial.concentration(e.variable, 0), e.upper) << v;
        EXPECT_EQ(initial.concentration(e.variable, 1), e.fallbackB) << v;
        EXPECT_EQ(initial.concentration(e.variable, 2), 0.00011) << v;
    }
}

TEST(Replacement, BoundsAreStrict)
{
    DayValues day;
    day.set(DayField::temperature, 40);
    day.set(DayField::boxWaterVolume, 10000);
    day.set(DayField::waterFlow, 0.5);
    day.set(DayField::pomPercent, -1);
    day.set(DayField::ponPercent, 51);
    day.set(DayField::popPercent, 0);
    day.set(DayField::oxygenC, 25);
    day.set(DayField::porosity, 1.01);
    day.set(DayField::RTB, -4);
    ReplaceDayValues(day);
    EXPECT_EQ(day.get(DayField::temperature), 40);
    EXPECT_EQ(day.get(DayField::boxWaterVolume), 10000);
    EXPECT_EQ(day.get(DayField::waterFlow), 1);
    EXPECT_EQ(day.get(DayField::pomPercent), 0.0001);
    EXPECT_EQ(day.get(DayField::ponPercent), 50);
    EXPECT_EQ(day.get(DayField::popPercent), 0);
    EXPECT_EQ(day.get(DayField::oxygenC), 20);
    EXPECT_EQ(day.get(DayField::porosity), 0.46);
    EXPECT_EQ(day.get(DayField::RTB), -4);
    EXPECT_EQ(day.get(DayField::bod5In), 0.0001);

    day.set(DayField::temperature, 40.5);
    day.set(DayField::boxWaterVolume, 0.5);
    ReplaceDayValues(day);
    EXPECT_EQ(day.get(DayField::temperature), 20);
    EXPECT_EQ(day.get(DayField::boxWaterVolume), 100);

    BoxValues initial;
    initial.setConcentration(Variable::BOD5, 1, 5000);
    initial.setConcentration(Variable::BOD5, 2, 5000.5);
    initial.setConcentration(Variable::TPO, 3, 0.00011);
    ReplaceInitialValues(initial);
    EXPECT_EQ(initial.concentration(Variable::BOD5, 0), 150);
    EXPECT_EQ(initial.concentration(Variable::BOD5, 1), 5000);
    EXPECT_EQ(initial.concentration(Variable::BOD5, 2), 60);
    EXPECT_EQ(initial.concentration(Variable::TPO, 3), 0.00011);
    EXPECT_EQ(initial.concentration(Variable::ORN, 4), 2);
    EXPECT_EQ(initial.concentration(Variable::AMM, 3), 2);
}

} // namespace

namespace {

// What an analysis run leaves in its buffer must be what a run on its own gives, bit for bit.
void ExpectSameAsAlone(const SeriesRun &run, const RunResult &alone)
{
    EXPECT_EQ(run.completed, alone.completed);
    EXPECT_EQ(run.cancelled, alone.cancelled);
    EXPECT_EQ(run.failedDay, alone.failedDay);
    EXPECT_EQ(run.message, alone.message);
    ASSERT_EQ(run.boxes.size(), alone.boxes.size());
    for (std::size_t i = 0; i < run.boxes.size(); ++i) {
        ASSERT_EQ(run.boxes[i], alone.boxes[i]) << "node " << i + 1;
        ASSERT_EQ(run.boxes[i].dayNumber(), static_cast<std::int32_t>(i + 1));
    }
    EXPECT_EQ(run.series, alone.series);
}

} // namespace

// One buffer goes from a complete run to one that blows up on day 2, one cancelled on day 6, a
// shorter and a longer input: each time it holds what a fresh run holds, so nodes an earlier run
// reached and this one did not are reset, not left over.
TEST(SimulateSeries, AReusedBufferEndsAsAFreshRun)
{
    ModelState state; // no climate: the parameters are used as they stand
    state.setSimulationLength(10);
    FillPlausibleDays(state, 1.5);
    const RunInput input = MakeRunInput(state);
    const PreparedRun prepared = PrepareRun(input);

    SeriesRun run;
    SimulateSeries(prepared, input.parameters, run);
    ASSERT_TRUE(run.completed);
    ExpectSameAsAlone(run, Simulate(input));

    RunInput blowUp = input;
    blowUp.parameters.set(Parameter::AC, -1e200);
    SimulateSeries(prepared, blowUp.parameters, run);
    EXPECT_FALSE(run.completed);
    EXPECT_EQ(run.failedDay, 2);
    EXPECT_EQ(run.boxes[5].concentration(Variable::BOD5, kBoxE), 0.0001);
    ExpectSameAsAlone(run, Simulate(blowUp));

    SimulateSeries(prepared, input.parameters, run);
    const auto stopAt6 = [](int done, int) { return done < 5; };
    SimulateSeries(prepared, input.parameters, run, stopAt6);
    EXPECT_TRUE(run.cancelled);
    EXPECT_EQ(run.boxes[7].concentration(Variable::BOD5, kBoxE), 0.0001);
    ExpectSameAsAlone(run, Simulate(input, stopAt6));

    ModelState shorter = state;
    shorter.setSimulationLength(4);
    FillPlausibleDays(shorter, 0.5);
    const RunInput shortInput = MakeRunInput(shorter);
    SimulateSeries(PrepareRun(shortInput), shortInput.parameters, run);
    ExpectSameAsAlone(run, Simulate(shortInput));
    SimulateSeries(prepared, input.parameters, run);
    ExpectSameAsAlone(run, Simulate(input));
}

// The prepared input holds the values a run uses: out-of-range ones replaced, the climate kept
// for the parameters of each run (which SimulateSeries replaces by the climate's preset).
TEST(SimulateSeries, PreparesTheInputAsARunDoesAndAppliesTheClimatePreset)
{
    ModelState state;
    state.climate = kColdClimate;
    state.setSimulationLength(6);
    FillPlausibleDays(state, 2);
    state.days.node(3).day.set(DayField::temperature, 55); // above 40: becomes 20
    state.initial.setConcentration(Variable::NIT, 2, 5000); // above 1000: becomes 12
    state.parameters.set(Parameter::NC, 1e6); // outside the cold climate's range
    const RunInput input = MakeRunInput(state);
    const RunResult alone = Simulate(input);
    const PreparedRun prepared = PrepareRun(input);
    EXPECT_EQ(prepared.initial, alone.initial);
    EXPECT_EQ(prepared.initial.concentration(Variable::NIT, 2), 12);
    EXPECT_EQ(prepared.days, alone.days);
    EXPECT_EQ(prepared.days[2].get(DayField::temperature), 20);
    EXPECT_EQ(prepared.stepsPerDay, input.stepsPerDay);
    EXPECT_EQ(prepared.climate, kColdClimate);
    SeriesRun run;
    SimulateSeries(prepared, input.parameters, run);
    ExpectSameAsAlone(run, alone);
    EXPECT_NE(alone.parameters.get(Parameter::NC), 1e6);
}

TEST(SimulateSeries, PrepareRunRefusesWhatARunRefuses)
{
    ModelState state;
    state.setSimulationLength(5);
    FillPlausibleDays(state, 1);
    RunInput input = MakeRunInput(state);
    input.days[3].set(DayField::RTB, -2.5);
    try {
        PrepareRun(input);
        FAIL() << "a negative retention time was prepared";
    } catch (const Error &error) {
        EXPECT_STREQ(error.what(),
            "Day 4 has a negative retention time (RTB -2.5); a retention time cannot be negative.");
    }
    input.days.clear();
    EXPECT_THROW(PrepareRun(input), Error);
    input = MakeRunInput(state);
    input.stepsPerDay = 0;
    EXPECT_THROW(PrepareRun(input), Error);
}
