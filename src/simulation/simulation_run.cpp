#include "simulation/simulation_run.h"

#include "model/climate.h"
#include "model/error.h"
#include "model/number_text.h"
#include "model/rounding.h"
#include "simulation/box_kinetics.h"
#include "simulation/outflow_series.h"

#include <array>
#include <cassert>
#include <cmath>

namespace carexa {

namespace {

struct InitialRange
{
    double upper;
    std::array<double, kBoxCount> fallback; // boxes A to E
};

// Record order of the variables: BOD5, NIT, AMM, ORN, TPO.
constexpr std::array<InitialRange, kVariableCount> kInitialRanges {{
    {5000, {150, 100, 60, 30, 10}},
    {1000, {30, 20, 12, 8, 4}},
    {1000, {10, 8, 6, 2, 1}},
    {1000, {10, 8, 6, 4, 2}},
    {200, {10, 9, 8, 7, 6}},
}};

// Below `lower` becomes `low`, above `upper` becomes `high`; both comparisons strict.
void Limit(DayValues &day, DayField field, double lower, double low, double upper, double high)
{
    const double value = day.get(field);
    if (value < lower)
        day.set(field, low);
    else if (value > upper)
        day.set(field, high);
}

bool AllFinite(const BoxValues &box)
{
    for (int v = 0; v < kVariableCount; ++v) {
        for (int x = 0; x < kBoxCount; ++x) {
            if (!std::isfinite(box.concentration(static_cast<Variable>(v), x)))
                return false;
        }
    }
    return true;
}

std::string RetentionRefusal(std::int64_t day, double rtb)
{
    if (std::isnan(rtb))
        return "Day " + std::to_string(day)
            + " has a retention time (RTB) that is not a number; a retention time must be a "
              "number of days.";
    return "Day " + std::to_string(day) + " has a negative retention time (RTB "
        + FormatGeneral(rtb) + "); a retention time cannot be negative.";
}

// Day 1 first; the first day whose retention time is negative or no number is refused.
template <typename Days, typename DayOf> void CheckRetentionTimes(const Days &days, DayOf dayOf)
{
    std::int64_t d = 0;
    for (const auto &entry : days) {
        ++d;
        const double rtb = dayOf(entry).get(DayField::RTB);
        if (!(rtb >= 0))
            throw Error(RetentionRefusal(d, rtb));
    }
}

} // namespace

void ReplaceInitialValues(BoxValues &initial)
{
    for (int v = 0; v < kVariableCount; ++v) {
        const InitialRange &range = kInitialRanges[static_cast<std::size_t>(v)];
        for (int x = 0; x < kBoxCount; ++x) {
            const auto variable = static_cast<Variable>(v);
            const double value = initial.concentration(variable, x);
            if (value <= kEmptyValue || value > range.upper)
                initial.setConcentration(variable, x, range.fallback[static_cast<std::size_t>(x)]);
        }
    }
}

void ReplaceDayValues(DayValues &day)
{
    Limit(day, DayField::bod5In, 0.0001, 0.0001, 2000, 2000);
    Limit(day, DayField::nitrateIn, 0.0001, 0.0001, 100, 100);
    Limit(day, DayField::ammoniumIn, 0.0001, 0.0001, 100, 100);
    Limit(day, DayField::totalPIn, 0.0001, 0.0001, 200, 200);
    Limit(day, DayField::orgNitrogenIn, 0.0001, 0.0001, 200, 200);
    Limit(day, DayField::pomPercent, 0, 0.0001, 50, 50);
    Limit(day, DayField::ponPercent, 0, 0.0001, 50, 50);
    Limit(day, DayField::popPercent, 0, 0.0001, 50, 50);
    Limit(day, DayField::temperature, 0.0001, 20, 40, 20);
    Limit(day, DayField::waterFlow, 1, 1, 1000000, 1000000);
    Limit(day, DayField::porosity, 0.0001, 0.46, 1, 0.46);
    for (int x = 0; x < kBoxCount; ++x)
        Limit(day, OxygenField(x), 0.0001, 0.0001, 20, 20);
    Limit(day, DayField::boxWaterVolume, 1, 100, 10000, 100);
}

void CheckRunnable(const ModelState &state)
{
    if (state.stepsPerDay < 1)
        throw Error(
            "The time step must be at least 1 sub-step per day; the simulation was not run.");
    if (state.stepsPerDay > kMaxStepsPerDay)
        throw Error("The time step must be at most " + std::to_string(kMaxStepsPerDay)
            + " sub-steps per day; the simulation was not run.");
    if (state.simulationLength < 1)
        throw Error("The simulation length must be at least 1 day; the simulation was not run.");
    if (state.days.count() != state.simulationLength + 1)
        throw Error("The day list does not match the simulation length.");
    CheckRetentionTimes(
        state.days.active(), [](const DayNode &node) -> const DayValues & { return node.day; });
}

void CheckRunInput(const RunInput &input)
{
    if (input.days.empty())
        throw Error("The simulation length must be at least 1 day; nothing was run.");
    if (input.stepsPerDay < 1 || input.stepsPerDay > kMaxStepsPerDay)
        throw Error("The time step must be from 1 to " + std::to_string(kMaxStepsPerDay)
            + " sub-steps per day; nothing was run.");
    CheckRetentionTimes(input.days, [](const DayValues &day) -> const DayValues & { return day; });
}

RunInput MakeRunInput(const ModelState &state)
{
    RunInput input;
    input.parameters = state.parameters;
    input.initial = state.initial;
    input.days.reserve(static_cast<std::size_t>(state.days.activeCount()));
    for (const DayNode &node : state.days.active())
        input.days.push_back(node.day);
    input.stepsPerDay = state.stepsPerDay;
    input.climate = state.climate;
    return input;
}

double RunSheetValue(double value)
{
    return RoundPositive(value, 3);
}

namespace {

struct DaysOutcome
{
    bool completed = true;
    bool cancelled = false;
    int failedDay = 0;
    std::string message;
};

// The day loop of every run, on inputs whose out-of-range values are replaced already. `boxes`
// becomes the day list's nodes 1..L + 1, numbered; days 1 and 2 start from the initial values and
// every day from day 2 on advances with its retention-time source. Nodes the run does not reach
// are reset, so a buffer reused from an earlier run ends as a fresh one would.
DaysOutcome AdvanceDays(const ModelParameters &parameters, const BoxValues &initial,
    const std::vector<DayValues> &days, int stepsPerDay, std::vector<BoxValues> &boxes,
    const RunMonitor &monitor)
{
    DaysOutcome outcome;
    const int L = static_cast<int>(days.size());
    boxes.resize(static_cast<std::size_t>(L) + 1);
    for (int k = 1; k <= L + 1; ++k)
        boxes[static_cast<std::size_t>(k - 1)].setDayNumber(k);
    boxes[0].copyValues(initial);
    if (L >= 1)
        boxes[1].copyValues(initial);
    std::size_t written = 1; // the last node the run has given its values

    const int total = L - 1;
    for (int d = 2; d <= L; ++d) {
        const auto index = static_cast<std::size_t>(d - 1);
        const DayValues &day = days[index];
        const double rtb = day.get(DayField::RTB);
        const std::int64_t sourceDay = OutflowDay(d, rtb);
        // The source is a day computed already or this day's own start, never a later day
        // (SimulateDay reads it before it changes the day, so it may be the day itself).
        const BoxValues &source = sourceDay == 0 ? initial
                                                 : boxes[CheckedIndex(sourceDay - 1, index + 1,
                                                     [&] { return RetentionRefusal(d, rtb); })];
        BoxValues &box = boxes[index];
        const BoxValues startOfDay = box;
        SimulateDay(box, parameters, day, stepsPerDay, source);
        if (!AllFinite(box)) {
            box = startOfDay;
            outcome.completed = false;
            outcome.failedDay = d;
            outcome.message = "The simulation stopped at day " + std::to_string(d)
                + ": the concentrations grew beyond what a number can hold. "
                  "Check that day's forcing values, the parameters and the time step.";
            break;
        }
        boxes[index + 1].copyValues(box);
        written = index + 1;
        if (monitor && !monitor(d - 1, total)) {
            if (d < L) {
                outcome.completed = false;
                outcome.cancelled = true;
                outcome.message = "The simulation was cancelled.";
            }
            break;
        }
    }
    for (std::size_t i = written + 1; i < boxes.size(); ++i)
        boxes[i].reset();
    return outcome;
}

SeriesValues SeriesOf(const BoxValues &initial, const std::vector<DayValues> &days,
    const std::vector<BoxValues> &boxes)
{
    return ComputeSeries(initial, days, [&boxes](int k) -> const BoxValues & {
        return boxes[CheckedIndex(k - 1, boxes.size(), [k, &boxes] {
            return "The run found its outflow on day " + std::to_string(k) + ", outside its "
                + std::to_string(boxes.size() - 1) + " days.";
        })];
    });
}

} // namespace

PreparedRun PrepareRun(RunInput input)
{
    CheckRunInput(input);
    PreparedRun prepared {input.initial, std::move(input.days), input.stepsPerDay, input.climate};
    ReplaceInitialValues(prepared.initial);
    for (DayValues &day : prepared.days)
        ReplaceDayValues(day);
    return prepared;
}

RunResult Simulate(RunInput input, const RunMonitor &monitor)
{
    CheckRunInput(input);
    RunResult result;
    result.parameters = input.parameters;
    result.initial = input.initial;
    result.days = std::move(input.days);
    ReplaceInitialValues(result.initial);
    ApplyClimatePreset(result.parameters, input.climate);
    for (DayValues &day : result.days)
        ReplaceDayValues(day);

    DaysOutcome outcome = AdvanceDays(
        result.parameters, result.initial, result.days, input.stepsPerDay, result.boxes, monitor);
    result.completed = outcome.completed;
    result.cancelled = outcome.cancelled;
    result.failedDay = outcome.failedDay;
    result.message = std::move(outcome.message);
    result.series = SeriesOf(result.initial, result.days, result.boxes);
    return result;
}

void SimulateSeries(const PreparedRun &prepared, ModelParameters parameters, SeriesRun &run,
    const RunMonitor &monitor)
{
    ApplyClimatePreset(parameters, prepared.climate);
    DaysOutcome outcome = AdvanceDays(
        parameters, prepared.initial, prepared.days, prepared.stepsPerDay, run.boxes, monitor);
    run.completed = outcome.completed;
    run.cancelled = outcome.cancelled;
    run.failedDay = outcome.failedDay;
    run.message = std::move(outcome.message);
    run.series = SeriesOf(prepared.initial, prepared.days, run.boxes);
}

void CommitRun(RunResult &&result, ModelState &state)
{
    // The run's days are written node by node: the day list must have room for exactly them.
    const bool fits = result.boxes.size() == result.days.size() + 1
        && result.boxes.size() == static_cast<std::size_t>(state.days.count());
    assert(fits && "a run's days must match the project's day list");
    if (!fits)
        throw Error("The run of " + std::to_string(result.dayCount())
            + " days does not fit the project's " + std::to_string(state.days.activeCount())
            + " days; nothing was changed.");
    state.parameters = result.parameters;
    state.initial = result.initial;
    std::size_t i = 0;
    for (DayNode &node : state.days.active()) {
        node.day = result.days[i];
        node.box.copyValues(result.boxes[i]);
        ++i;
    }
    state.days.last().box.copyValues(result.boxes[i]);
}

RunOutcome SimulateProject(ModelState &state, const ProgressCallback &progress)
{
    CheckRunnable(state);
    RunMonitor monitor;
    if (progress) {
        monitor = [&progress](int done, int total) {
            progress(done, total);
            return true;
        };
    }
    RunResult result = Simulate(MakeRunInput(state), monitor);
    const RunOutcome outcome {result.completed, result.failedDay, result.message};
    CommitRun(std::move(result), state);
    return outcome;
}

} // namespace carexa
