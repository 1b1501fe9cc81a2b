#pragma once

#include "model/model_state.h"
#include "model/text_grid.h"

#include <functional>
#include <string>

namespace carexa {

/// Called after every simulated day with the number of days done so far (1, 2, ...) and the
/// number of days the run will simulate (simulationLength - 1).
using ProgressCallback = std::function<void(int done, int total)>;

struct RunOutcome
{
    bool completed = true;
    int failedDay = 0; ///< the day whose concentrations stopped being finite numbers, or 0
    std::string message; ///< empty when the run completed
};

/// Replaces out-of-range initial values in place by the fallback of their variable and box.
void ReplaceInitialValues(BoxValues &initial);
/// Replaces out-of-range forcing values of one day in place (RTB is not checked).
void ReplaceDayValues(DayValues &day);

/// Throws Error when the project cannot be simulated: stepsPerDay or simulationLength below 1,
/// or a day list that does not hold simulationLength + 1 nodes.
void CheckRunnable(const ModelState &state);

/// The whole simulation behind "Simulate": replaces out-of-range initial values, parameters
/// (by the climate's preset) and day values, resets and seeds the days, advances every day from
/// day 2 on with its retention-time transport source, and writes the outflow and efficiency cells
/// of the data sheet with three decimals.
///
/// Refuses with CheckRunnable's Error before anything changes. When a day's concentrations stop
/// being finite numbers the run stops there: that day keeps its start-of-day values, later days
/// stay reset, the data sheet is written from what was computed, and the outcome names the day.
RunOutcome RunSimulation(
    ModelState &state, TextGrid &dataGrid, const ProgressCallback &progress = {});

} // namespace carexa
