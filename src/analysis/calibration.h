#pragma once

#include "analysis/fit_statistics.h"
#include "analysis/observations.h"
#include "analysis/parameter_space.h"
#include "model/model_parameters.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace carexa {

inline constexpr int kDefaultCalibrationRuns = 4000;
inline constexpr int kMinCalibrationRuns = 20;
inline constexpr int kMaxCalibrationRuns = 1000000;
/// The seed the window and carexa-sim start from.
inline constexpr std::uint64_t kDefaultCalibrationSeed = 1;

/// The bounds of a parameter's search, as the user gives them.
struct ParameterBounds
{
    double lower = 0;
    double upper = 0;

    friend bool operator==(const ParameterBounds &, const ParameterBounds &) = default;
};

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

/// The values a search over `bounds` keeps in a run of `climate`: where the bounds reach down to
/// an exclusive lower end of the climate's range ("above 0.0001"), the end itself is left out.
ParameterRange SearchRange(Parameter parameter, const ParameterBounds &bounds, std::int32_t climate);

/// Where the search puts a trial: the value at `unit` (0 to 1) along the range, on a logarithmic
/// scale where the range spans two decades or more (upper / LowestKept >= 100), so small rates
/// are as easy to reach as large ones, else on a linear one (ValueAt). Always a value the range
/// keeps.
double SearchValue(const ParameterRange &range, double unit);
/// The unit (0 to 1) at which SearchValue comes nearest to `value`.
double SearchUnit(const ParameterRange &range, double value);

/// A calibrated value as the result gives it: rounded to 6 significant digits (what a project
/// file keeps), moved one step of the sixth digit inwards where the rounding left the range, or
/// `value` itself when no value of 6 digits lies that close inside.
double CalibratedValue(const ParameterRange &range, double value);

/// A Latin hypercube in the unit cube (McKay, Beckman and Conover 1979): `points` points in which
/// every coordinate takes each of the `points` equal strata of [0, 1) exactly once, at a uniform
/// place within it, the strata shuffled uniformly per coordinate.
std::vector<std::vector<double>> UnitLatinHypercube(
    std::size_t points, std::size_t dimensions, std::mt19937_64 &generator);

/// Throws Error with a message for the user when the input cannot be calibrated: no parameter or
/// no series ticked, no observed values at all, bounds that are not numbers, a lower bound above
/// its upper bound, bounds outside what a run of the climate keeps, a ticked series with fewer
/// than 2 observed days or with observed values that are all equal (its NSE cannot be computed),
/// a weight that is not above 0, runs allowed outside kMinCalibrationRuns..kMaxCalibrationRuns,
/// fewer than 1 thread, or a project a run refuses (no day, a time step out of range).
void CheckCalibration(const CalibrationInput &input);

/// The objective of a run: the weighted mean of (1 - NSE) over the ticked series, NSE computed as
/// SeriesFit does. A run that stopped on numbers that are not finite gets kFailedObjective.
double CalibrationObjective(const CalibrationInput &input, const RunResult &run);

/// The objective of a failed trial, worse than any other.
inline constexpr double kFailedObjective = 1e12;

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
