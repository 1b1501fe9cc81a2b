#pragma once

// Prediction uncertainty conditioned on the measurements: SUFI-2 iterations (Abbaspour et al.
// 2004, 2007) that narrow the sampled parameter ranges toward the measurements, with the band of
// each iteration made from its behavioural runs weighted by their likelihood as in GLUE (Beven and
// Binley 1992).
//
// An iteration samples a Latin hypercube of N sets in its ranges, and computes for every run the
// calibration's objective g, the weighted mean of 1 - NSE over the ticked series (of the days
// before the validation period). Runs whose weighted-mean NSE (1 - g) is at least the threshold
// are behavioural; with fewer than kMinBehaviouralRuns, the best kMinBehaviouralRuns runs (lowest
// g) stand in, and the iteration says so. Each gets the likelihood L = max(0, 1 - g), and the
// band is the weighted 2.5th and 97.5th percentile of each day (WeightedPercentile), held against
// the measurements with the p-factor and the r-factor (FitOfBand), for the calibration period and
// for the validation period apart.
//
// Then the ranges are updated as SUFI-2 does (Sufi2HalfWidths, Sufi2Range), and the next
// iteration samples in them. The analysis ends after the iterations asked for, or as soon as an
// iteration reaches p >= kGoalPFactor and r <= kGoalRFactor on every ticked series. It keeps the
// iteration whose p-factor is at least kGoalPFactor on every ticked series with the smallest mean
// r-factor, or, when none is, the one with the largest mean p-factor.

#include "analysis/ensemble.h"
#include "analysis/observations.h"
#include "analysis/parameter_space.h"
#include "analysis/range_update.h"
#include "analysis/run_many.h"
#include "analysis/uncertainty.h"
#include "model/model_parameters.h"
#include "model/output_series.h"
#include "simulation/simulation_run.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace carexa {

/// The defaults the window and carexa-sim share.
struct ConditioningOptions
{
    int samples = 500; ///< N, parameter sets of every iteration
    int iterations = 4;
    double threshold = 0.5; ///< the weighted-mean NSE a run needs to be behavioural
    /// The first day of the validation period (its measurements are not used to condition),
    /// or 0 for none.
    int validationFrom = 0;
    std::uint64_t seed = kDefaultAnalysisSeed;
    int threads = 0; ///< 0: every core
};

inline constexpr int kMinConditioningSamples = 20;
inline constexpr int kMaxConditioningSamples = 100000;
inline constexpr int kMaxConditioningIterations = 20;
/// The fewest runs a band rests on: with fewer behavioural runs the best this many are used.
inline constexpr int kMinBehaviouralRuns = 100;
/// The goal of an iteration on every ticked series: p-factor at least this ...
inline constexpr double kGoalPFactor = 0.7;
/// ... and r-factor at most this.
inline constexpr double kGoalRFactor = 1.5;

/// Everything a conditioning reads: a copy of the project's run input, its measurements, the
/// parameters varied and their starting ranges (each one a run in the input's climate keeps,
/// see CheckRanges; the others keep the input's values), the series of the objective with their
/// weights, and the options.
struct ConditioningInput
{
    RunInput run;
    ObservedSeries observed;
    std::array<ParameterRange, kParameterCount> ranges {};
    std::array<bool, kParameterCount> varied {};
    std::array<bool, kSeriesCount> series {}; ///< ticked: part of the objective
    std::array<double, kSeriesCount> weights {};
    ConditioningOptions options;
    /// Whether to make the bands of the kept iteration (EnsembleBands, every series and day);
    /// a probability of meeting the permit needs only the ensemble.
    bool bands = true;
    /// The most memory the values kept of the runs may take (see ValueStore).
    std::size_t storeLimitBytes = kEnsembleStoreLimitBytes;
};

/// The starting point of the window and carexa-sim: every parameter varied over its climate
/// range, every series with at least 2 measured days ticked with weight 1, the default options.
ConditioningInput DefaultConditioningInput(RunInput run, ObservedSeries observed);

/// How the band of one iteration holds the measurements of a ticked series.
struct PeriodFits
{
    BandFit calibration; ///< days before the validation period (every day without one)
    BandFit validation; ///< days from the validation period on (none without one)
};

/// One iteration of a conditioning.
struct ConditioningIteration
{
    /// The ranges sampled (those of parameters not varied are the input's).
    std::array<ParameterRange, kParameterCount> ranges {};
    ModelParameters best; ///< the parameters of the run with the lowest objective
    double bestObjective = 0;
    int behavioural = 0; ///< runs with a weighted-mean NSE at least the threshold
    /// Fewer than kMinBehaviouralRuns were behavioural, so the best runs stood in for them.
    bool toppedUp = false;
    int standIns = 0; ///< the number of best runs that stood in (kMinBehaviouralRuns or fewer)
    int runsUsed = 0; ///< runs the band rests on (weight above 0)
    /// No run fitted better than the mean of the measurements, so there is no band (every fit
    /// is undefined) and the iterations ended here; never the one kept.
    bool noWeight = false;
    int runsFailed = 0; ///< runs that stopped on non-finite values
    std::array<PeriodFits, kSeriesCount> fit {}; ///< of the ticked series; the others empty
    /// p >= kGoalPFactor on every ticked series in the calibration period.
    bool reachesPFactor = false;
    /// ... and r <= kGoalRFactor as well: the analysis stops here.
    bool reachesGoal = false;
    double meanPFactor = 0; ///< over the ticked series, calibration period
    double meanRFactor = 0;
};

/// What a conditioning computed.
struct ConditioningResult
{
    std::vector<ConditioningIteration> iterations;
    int kept = 0; ///< index into iterations of the one kept
    /// The kept iteration's runs with a weight above 0 and their weights, conditioned.
    Ensemble ensemble;
    /// The kept iteration's bands of every series (EnsembleBands), their fit against every
    /// measured day, and the runs they rest on; empty when the input asked for none.
    UncertaintyResult band;
    bool validation = false; ///< the input had a validation period
    bool cancelled = false; ///< stopped by the progress callback; then nothing else is filled in
    std::string failure; ///< the message of the first run (in run order) that stopped
};

/// Refuses (Error) options outside their ranges, an analysis that varies no parameter, ranges a
/// run would not keep, a validation day outside 2 to the number of days, no measurements, no
/// ticked series, a ticked series with fewer than 2 measured days before the validation period
/// or with values that are all equal there, a weight not above 0, values of the runs on the
/// measured days or of one series of the bands that would pass the store limit as floats, and
/// what CheckRunInput refuses.
void CheckConditioningInput(const ConditioningInput &input);

/// Runs the iterations on the option's threads and, when asked, the bands of the kept one.
/// The progress counts N runs for each iteration planned and N for the bands; an iteration that
/// reaches the goal ends the analysis early. The result depends on the input and the seed only,
/// never on the number of threads. Refuses (Error) what CheckConditioningInput refuses, an
/// iteration in which every run stops, and a first iteration in which every weight is 0 (no run
/// fits better than the mean of the measurements); a later one ends the iterations.
ConditioningResult RunConditioning(
    const ConditioningInput &input, const AnalysisProgress &progress = {});

/// "iteration,parameter,lower,upper,best": one line per iteration and varied parameter (record
/// order): the range sampled (its lowest kept value as lower) and the best run's value.
std::string ConditioningRangesCsv(
    const ConditioningResult &result, const std::array<bool, kParameterCount> &varied);

/// "iteration,period,series,p_factor,r_factor,behavioural_runs,runs_failed": one line per
/// iteration, period ("calibration", then "validation" when there is one) and ticked series
/// (data sheet order, named by heading); an undefined factor is left empty.
std::string ConditioningReportCsv(
    const ConditioningResult &result, const std::array<bool, kSeriesCount> &series);

/// What the report says of the run: every iteration whose band rests on the best runs for want
/// of behavioural ones, one where every weight was 0, and the iteration kept and why. One
/// sentence a line.
std::vector<std::string> ConditioningNotes(const ConditioningResult &result, double threshold);

} // namespace carexa
