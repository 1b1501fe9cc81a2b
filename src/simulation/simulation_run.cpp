#include "simulation/simulation_run.h"

#include "model/climate.h"
#include "model/error.h"
#include "results/data_sheet.h"
#include "simulation/box_kinetics.h"

#include <array>
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
    if (state.simulationLength < 1)
        throw Error("The simulation length must be at least 1 day; the simulation was not run.");
    if (state.days.count() != state.simulationLength + 1)
        throw Error("The day list does not match the simulation length.");
}

RunOutcome RunSimulation(ModelState &state, TextGrid &dataGrid, const ProgressCallback &progress)
{
    CheckRunnable(state);

    ReplaceInitialValues(state.initial);
    ApplyClimatePreset(state.parameters, state.climate);
    for (DayNode &node : state.days.active()) {
        ReplaceDayValues(node.day);
        node.box.reset();
    }

    const int total = state.simulationLength - 1;
    DayList &days = state.days;
    days.node(1).box.copyValues(state.initial);
    days.node(2).box.copyValues(state.initial);

    RunOutcome outcome;
    int done = 0;
    for (DayNode *n = &days.node(2); n->next; n = n->next) {
        const int d = n->box.dayNumber();
        const std::int64_t sourceDay = OutflowDay(d, n->day.get(DayField::RTB));
        const BoxValues source = sourceDay == 0 ? state.initial : days.findDay(sourceDay).box;
        const BoxValues startOfDay = n->box;
        SimulateDay(*n, state.parameters, n->day, state.stepsPerDay, source);
        if (!AllFinite(n->box)) {
            n->box = startOfDay;
            outcome = {false, d,
                "The simulation stopped at day " + std::to_string(d)
                    + ": the concentrations grew beyond what a number can hold. "
                      "Check that day's forcing values, the parameters and the time step."};
            break;
        }
        n->next->box.copyValues(n->box);
        ++done;
        if (progress)
            progress(done, total);
    }

    FillSimulationDataSheet(state, dataGrid, kRunSheet);
    return outcome;
}

} // namespace carexa
