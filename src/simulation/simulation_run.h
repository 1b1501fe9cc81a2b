#pragma once

#include "model/model_state.h"
#include "model/output_series.h"
#include "simulation/outflow_series.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

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

/// A copy of everything a run reads. Runs on their own inputs can go side by side on threads.
struct RunInput
{
    ModelParameters parameters;
    BoxValues initial; ///< initial concentrations (with the precipitation factor and design)
    std::vector<DayValues> days; ///< the forcing values of days 1..L
    std::int32_t stepsPerDay = ModelState::kStartStepsPerDay;
    std::int32_t climate = kNoClimate;
};

/// The input of a run of the project in `state` (a copy of its records).
RunInput MakeRunInput(const ModelState &state);

/// Told after every simulated day how many of the days to simulate are done; returning false
/// stops the run there (a cancel).
using RunMonitor = std::function<bool(int done, int total)>;

/// What a run computed, as numbers.
struct RunResult
{
    bool completed = true;
    bool cancelled = false; ///< the monitor stopped the run
    int failedDay = 0; ///< the day whose concentrations stopped being finite numbers, or 0
    std::string message; ///< empty when the run completed

    /// The inputs as the run used them, out-of-range values replaced.
    ModelParameters parameters;
    BoxValues initial;
    std::vector<DayValues> days;

    /// The day list's box values after the run: boxes[k - 1] is day k (1..L), numbered k, holding
    /// its end-of-day concentrations; boxes[L] is the trailing spare node's.
    std::vector<BoxValues> boxes;

    /// The eleven result series of days 1..L (series[c - 1][k - 1] for column c, day k): the
    /// lagged box-E outflows and the removal efficiencies, unrounded. An efficiency whose inflow
    /// is 0 is 0.
    SeriesValues series;

    int dayCount() const { return static_cast<int>(days.size()); }
};

/// Throws Error when a run of `input` cannot start: no day, a time step outside
/// 1..kMaxStepsPerDay, or a day whose retention time per box (RTB) is negative or not a number. The
/// first such day is named: "Day 40 has a negative retention time (RTB -2.5); a retention time
/// cannot be negative." A negative retention time would take a day's transport source from a later
/// day, one the run has not computed yet.
void CheckRunInput(const RunInput &input);

/// The whole simulation on a copy: replaces out-of-range initial values, parameters (by the
/// climate's preset) and day values, seeds days 1 and 2 with the initial values and advances
/// every day from day 2 on with its retention-time transport source. Reads and writes nothing
/// else, formats no text and keeps no state, so any number of runs may go at once.
///
/// Refuses with CheckRunInput's Error before anything is computed. When a day's concentrations
/// stop being finite numbers the run stops there: that day keeps its start-of-day values, later
/// days stay reset, and the result names the day. A monitor that returns false stops the run
/// likewise (cancelled).
RunResult Simulate(RunInput input, const RunMonitor &monitor = {});

/// A run input made ready once for many runs that differ only in their parameters (the runs of an
/// analysis): checked as CheckRunInput does, its out-of-range initial and day values replaced as
/// Simulate replaces them. The runs share it read-only; each gives its own parameters.
struct PreparedRun
{
    BoxValues initial;
    std::vector<DayValues> days;
    std::int32_t stepsPerDay = ModelState::kStartStepsPerDay;
    std::int32_t climate = kNoClimate;
};

/// Throws CheckRunInput's Error, else the input made ready (its parameters are left out).
PreparedRun PrepareRun(RunInput input);

/// What an analysis reads of a run: how it ended and its eleven series, as RunResult has them.
/// The buffers (the series and the day list's box values) are kept from run to run, so a worker
/// that runs many simulations allocates them once.
struct SeriesRun
{
    bool completed = true;
    bool cancelled = false;
    int failedDay = 0;
    std::string message;
    SeriesValues series;
    std::vector<BoxValues> boxes; ///< as RunResult::boxes
};

/// The run of `prepared` with `parameters` (out-of-range ones replaced by the climate's preset),
/// into `run`'s buffers: the same day loop and series as Simulate, so the same numbers bit for
/// bit, without copying the days or keeping the inputs.
void SimulateSeries(const PreparedRun &prepared, ModelParameters parameters, SeriesRun &run,
    const RunMonitor &monitor = {});

/// The data sheet's number of one result series value as the run leaves it (three decimals,
/// a value not above 0 as 1e-8).
double RunSheetValue(double value);

/// Writes a run's result into the project: the replaced inputs and every day's box values.
/// The day list must hold result.dayCount() + 1 nodes (CheckedIndex's refusal otherwise, with
/// nothing changed).
void CommitRun(RunResult &&result, ModelState &state);

/// Replaces out-of-range initial values in place by the fallback of their variable and box.
void ReplaceInitialValues(BoxValues &initial);
/// Replaces out-of-range forcing values of one day in place (RTB is not checked).
void ReplaceDayValues(DayValues &day);

/// Throws Error when the project cannot be simulated: stepsPerDay below 1 or above
/// kMaxStepsPerDay, simulationLength below 1, a day list that does not hold
/// simulationLength + 1 nodes, or a day with a negative retention time (CheckRunInput's
/// message).
void CheckRunnable(const ModelState &state);

/// The run of the project itself: CheckRunnable, Simulate on a copy of its inputs, CommitRun.
/// Refuses with CheckRunnable's Error before anything changes.
RunOutcome SimulateProject(ModelState &state, const ProgressCallback &progress = {});

} // namespace carexa
