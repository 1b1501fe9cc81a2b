#pragma once

// Elementary-effects screening of the sixteen parameters (Morris 1991), with the mean of the
// absolute effects mu* (Campolongo, Cariboni and Saltelli 2007).

#include "analysis/parameter_space.h"
#include "analysis/run_many.h"
#include "model/model_parameters.h"
#include "model/output_series.h"
#include "simulation/simulation_run.h"

#include <array>
#include <cstdint>
#include <string>

namespace carexa {

/// The outcome of a run a sensitivity analysis looks at: the mean of every series over the
/// simulated days (0 for a series without days), in data sheet order.
std::array<double, kSeriesCount> SeriesMeans(const RunResult &result);
/// The same of a run's series.
std::array<double, kSeriesCount> SeriesMeans(const SeriesValues &series);

/// The design and the workers of a screening.
struct MorrisOptions
{
    int trajectories = 20; ///< r, 2 to 1000; the screening makes r x 17 runs
    int levels = 4; ///< p, an even number from 2 to 100
    std::uint64_t seed = kDefaultAnalysisSeed;
    int threads = 0; ///< 0: every core
};

inline constexpr int kMinTrajectories = 2;
inline constexpr int kMaxTrajectories = 1000;
inline constexpr int kMinLevels = 2;
inline constexpr int kMaxLevels = 100;

/// Everything a screening reads: a copy of the project's run input, the range of every
/// parameter (each must be one a run in the input's climate keeps, see CheckRanges) and the
/// options.
struct SensitivityInput
{
    RunInput run;
    std::array<ParameterRange, kParameterCount> ranges {};
    MorrisOptions options;
};

/// The step of a p-level design: Delta = p / (2 (p - 1)) of the unit range.
double MorrisDelta(int levels);

/// One trajectory of Morris's design, in the unit cube [0, 1]^16 on the grid of p levels {0,
/// 1/(p-1), ..., 1}: a start point, and the order in which the sixteen parameters each move once
/// by Delta (p / 2 levels; up where `up` is true, else down). As in Morris's construction the
/// base point x* is drawn uniformly from the levels where x* + Delta stays in [0, 1], the
/// directions and the order uniformly at random, and the start point is x* for the parameters
/// that move up and x* + Delta for those that move down.
struct MorrisTrajectory
{
    std::array<int, kParameterCount> startLevel {}; ///< the first point's level, 0 to p - 1
    std::array<int, kParameterCount> order {}; ///< the parameter moved at step 1, 2, ... 16
    std::array<bool, kParameterCount> up {};
};

/// Trajectory number `trajectory` of a p-level design, drawn from TaskGenerator(seed,
/// trajectory) alone, so it does not depend on the thread that runs it.
MorrisTrajectory DrawTrajectory(int levels, std::uint64_t seed, int trajectory);

/// The unit coordinates of a trajectory after `steps` moves (0: the start point).
std::array<double, kParameterCount> TrajectoryPoint(
    const MorrisTrajectory &trajectory, int levels, int steps);

/// The statistics of a parameter's elementary effects on one series. An elementary effect is
/// EE = (y(x + Delta e_i) - y(x)) / Delta, with x in the unit cube and y the mean of the series
/// over the simulated days: the change of that mean per unit of the parameter's scaled range (a
/// unit coordinate of 1 spans the whole range). Not a number where it is undefined: everything
/// without a trajectory, sigma with fewer than two.
struct ElementaryEffects
{
    double mu = 0; ///< mean of the effects
    double muStar = 0; ///< mean of their absolute values
    double sigma = 0; ///< their standard deviation (n - 1 in the denominator)
};

/// What a screening computed.
struct SensitivityResult
{
    /// effects[parameter][series], parameters in record order, series in data sheet order.
    std::array<std::array<ElementaryEffects, kSeriesCount>, kParameterCount> effects {};
    int trajectories = 0; ///< trajectories of the design
    int trajectoriesUsed = 0;
    /// Trajectories left out whole because one of their runs stopped on non-finite values.
    int trajectoriesFailed = 0;
    int runs = 0; ///< runs that went to their end
    bool cancelled = false; ///< stopped by the progress callback; then nothing else is filled in
    std::string failure; ///< the message of the first run (in design order) that stopped

    const ElementaryEffects &of(Parameter parameter, int series) const
    {
        return effects[static_cast<std::size_t>(parameter)][static_cast<std::size_t>(series)];
    }
};

/// Refuses (Error) options outside their ranges and ranges a run would not keep.
void CheckSensitivityInput(const SensitivityInput &input);

/// Morris's screening: r trajectories of 17 runs each, on the option's threads. The result
/// depends on the input and the seed only, never on the number of threads. A trajectory with a
/// run that stops on non-finite values is left out whole and counted. Refuses (Error) what
/// CheckSensitivityInput refuses, and an input without days or with a time step below 1.
SensitivityResult RunSensitivity(
    const SensitivityInput &input, const AnalysisProgress &progress = {});

/// The CSV report: the line "parameter,series,mu,mu_star,sigma", then one line per parameter and
/// series (16 x 11, parameters in record order, the series of each in data sheet order, named by
/// their headings); numbers in their shortest exact form, an undefined one left empty.
std::string SensitivityCsv(const SensitivityResult &result);

} // namespace carexa
