#pragma once

#include "analysis/calibration_problem.h"
#include "analysis/fit_statistics.h"
#include "analysis/observations.h"
#include "analysis/parameter_space.h"
#include "analysis/search_space.h"
#include "model/model_parameters.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace carexa {

inline constexpr int kDefaultCalibrationRuns = 4000;
inline constexpr int kMinCalibrationRuns = 20;
inline constexpr int kMaxCalibrationRuns = 1000000;
/// The seed the window and carexa-sim start from.
inline constexpr std::uint64_t kDefaultCalibrationSeed = 1;

/// Everything a calibration reads: the project's run, its observed values, what to fit and how.
struct CalibrationInput
{
    /// The project's run; its parameters are the values a calibration starts from.
    RunInput run;
    ObservedSeries observed;
    std::array<bool, kParameterCount> fit {}; ///< ticked: varied; otherwise kept
    std::array<ParameterBounds, kParameterCount> bounds {};
    std::array<bool, kSeriesCount> series {}; ///< ticked: part of the objective
    std::array<double, kSeriesCount> weights {};
    int runsAllowed = kDefaultCalibrationRuns;
    std::uint64_t seed = kDefaultCalibrationSeed;
    int threads = 1; ///< changes only how fast: the result is the same for any number
};

/// The starting point of the window and carexa-sim: every parameter ticked with the climate's
/// range as its bounds, every series with at least 2 observed days ticked with weight 1, 4000
/// runs, the default seed and DefaultThreadCount() threads.
CalibrationInput DefaultCalibrationInput(RunInput run, ObservedSeries observed);

/// The parameters as a run of `run` uses them: each outside its climate's range replaced by the
/// climate's fallback (the values the calibration table shows as current).
ModelParameters CurrentParameters(const RunInput &run);

/// Throws Error with a message for the user when the input cannot be calibrated: no parameter or
/// no series ticked, no observed values at all, bounds that are not numbers, a lower bound above
/// its upper bound, bounds outside what a run of the climate keeps, a ticked series with fewer
/// than 2 observed days or with observed values that are all equal (its NSE cannot be computed),
/// a weight that is not above 0, runs allowed outside kMinCalibrationRuns..kMaxCalibrationRuns,
/// fewer than 1 thread, or a project a run refuses (no day, a time step out of range).
void CheckCalibration(const CalibrationInput &input);

/// The objective of a run as the user sees it: CalibrationProblem's of the data sheet's values,
/// the weighted mean of (1 - NSE) over the ticked series, NSE computed as SeriesFit does. A run
/// that stopped on numbers that are not finite gets kFailedObjective.
double CalibrationObjective(const CalibrationInput &input, const RunResult &run);

/// What a calibration reports while it runs.
struct CalibrationProgress
{
    int runsDone = 0;
    int runsAllowed = 0;
    int runsFailed = 0;
    /// The objective of the best run so far as the search compares runs: of the unrounded
    /// simulated values, which differs from the data sheet's in the fifth digit or so.
    double bestObjective = kFailedObjective;
    ModelParameters bestParameters;
    /// The series of the best run so far (unrounded), shared so a copy costs nothing.
    std::shared_ptr<const SeriesValues> bestSeries;
    /// The series of the run with the parameters as they were.
    std::shared_ptr<const SeriesValues> beforeSeries;
};

/// Told after every model run, from the calibration's worker threads but one call at a time;
/// returning false stops the calibration, which then ends with the best found so far.
using CalibrationMonitor = std::function<bool(const CalibrationProgress &progress)>;

/// What a calibration found.
/// The objectives are CalibrationObjective's, of the data sheet's values.
struct CalibrationResult
{
    ModelParameters before; ///< CurrentParameters of the input
    ModelParameters after; ///< the best found, every fitted value rounded to 6 significant digits
    double objectiveBefore = kFailedObjective; ///< with the parameters as they were
    double objectiveStart = kFailedObjective; ///< where the search began (bounds applied)
    double objectiveAfter = kFailedObjective; ///< never above objectiveStart
    FitTable fitBefore;
    FitTable fitAfter;
    std::shared_ptr<const SeriesValues> seriesBefore;
    std::shared_ptr<const SeriesValues> seriesAfter;
    int runsUsed = 0;
    int runsFailed = 0; ///< runs that stopped on numbers that are not finite
    bool cancelled = false;
};

/// Fits the ticked parameters within their bounds so that the weighted mean of (1 - NSE) over
/// the ticked series is as small as the runs allowed find, starting from the current values
/// (a value outside its bounds starts at the nearest bound): a global search, then local
/// polishes (BOBYQA), on input.threads threads. Every run counts against runsAllowed, the run
/// before and the run of the rounded best included; a run that stops on numbers that are not
/// finite counts as the worst fit, and the search goes on. The input is checked first
/// (CheckCalibration's Error). The result depends on the input and the seed only, not on the
/// number of threads, unless the monitor stopped it.
CalibrationResult Calibrate(const CalibrationInput &input, const CalibrationMonitor &monitor = {});

} // namespace carexa
