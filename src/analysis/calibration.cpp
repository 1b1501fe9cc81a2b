// A calibration: the model runs of a search over the unit cube of the ticked parameters.
//
// The search (unit_cube_search.h) runs in the unit cube of the ticked parameters, each coordinate
// mapped onto the values a run keeps (search_space.h), so no trial is ever swapped for the
// climate's fallback. Within the runs allowed it makes a global search, then polishes; the best
// found, rounded to the 6 significant digits a project file keeps, is run once more.
//
// Determinism: every random number is drawn from a generator of the seed and the batch or
// polish, and the best is kept by objective with ties going to the earlier trial (TrialLedger),
// so the result depends on the seed alone, not on the number of threads.
//
// The search compares the unrounded simulated values: the data sheet's three decimals turn the
// objective into a staircase on which a local method stalls. Everything reported (the objective
// before and after, the fit statistics) uses the data sheet's values.

#include "analysis/calibration.h"

#include "analysis/trial_ledger.h"
#include "analysis/unit_cube_search.h"

#include <atomic>
#include <mutex>

namespace carexa {

namespace {

// The trials: every model run of a calibration goes through one CalibrationTrials, which counts
// the runs, keeps the best with its parameters and series, and tells the monitor.
class CalibrationTrials
{
public:
    CalibrationTrials(const CalibrationProblem &problem, const CalibrationMonitor &monitor)
        : problem_(problem), monitor_(monitor)
    {
        progress_.runsAllowed = problem.input().runsAllowed;
    }

    struct Trial
    {
        double objective = kFailedObjective; ///< the search's (unrounded values)
        double sheetObjective = kFailedObjective; ///< of the data sheet's values
        bool failed = false;
        std::shared_ptr<const SeriesValues> series;
    };

    /// A run of the search with `parameters`: its objective, or nothing when the calibration
    /// was stopped before or during the run. `id` orders trials of equal objective.
    std::optional<double> evaluate(const ModelParameters &parameters, std::uint64_t id)
    {
        if (stopped())
            return std::nullopt;
        RunInput input = problem_.input().run;
        input.parameters = parameters;
        RunResult result = Simulate(std::move(input), [this](int, int) { return !stopped(); });
        if (result.cancelled)
            return std::nullopt;
        const double objective = problem_.objective(result.series, result.completed, false);
        const bool failed = !result.completed;
        // Only a trial that may become the best keeps its series (the best only improves, so a
        // trial that cannot beat it now never will).
        std::shared_ptr<const SeriesValues> series;
        if (!failed && beats(objective, id))
            series = std::make_shared<const SeriesValues>(std::move(result.series));

        const std::lock_guard lock(mutex_);
        ledger_.count(failed);
        if (ledger_.offer(objective, failed, id)) {
            progress_.bestObjective = objective;
            progress_.bestParameters = parameters;
            progress_.bestSeries = std::move(series);
        }
        progress_.runsDone = ledger_.done();
        progress_.runsFailed = ledger_.failed();
        if (monitor_ && !monitor_(progress_))
            stop_ = true;
        return objective;
    }

    /// A run outside the search (before, start, the rounded best), never stopped: both
    /// objectives and the series. It counts as a run, but is not offered as the best.
    Trial runWhole(const ModelParameters &parameters)
    {
        RunInput input = problem_.input().run;
        input.parameters = parameters;
        RunResult result = Simulate(std::move(input));
        Trial trial {problem_.objective(result.series, result.completed, false),
            problem_.objective(result.series, result.completed, true), !result.completed, {}};
        trial.series = std::make_shared<const SeriesValues>(std::move(result.series));
        const std::lock_guard lock(mutex_);
        ledger_.count(trial.failed);
        progress_.runsDone = ledger_.done();
        progress_.runsFailed = ledger_.failed();
        return trial;
    }

    /// Makes the start point (trial id 0) a candidate for the best, and tells the monitor the
    /// run before.
    void begin(const ModelParameters &start, const Trial &trial,
        std::shared_ptr<const SeriesValues> before)
    {
        const std::lock_guard lock(mutex_);
        progress_.beforeSeries = std::move(before);
        if (ledger_.offer(trial.objective, trial.failed, 0)) {
            progress_.bestObjective = trial.objective;
            progress_.bestParameters = start;
            progress_.bestSeries = trial.series;
        }
    }

    bool stopped() const { return stop_.load(std::memory_order_relaxed); }

    struct Best
    {
        ModelParameters parameters;
        bool found = false;
    };
    Best best() const
    {
        const std::lock_guard lock(mutex_);
        return {progress_.bestParameters, ledger_.found()};
    }
    int runsDone() const
    {
        const std::lock_guard lock(mutex_);
        return ledger_.done();
    }
    int runsFailed() const
    {
        const std::lock_guard lock(mutex_);
        return ledger_.failed();
    }

private:
    bool beats(double objective, std::uint64_t id) const
    {
        const std::lock_guard lock(mutex_);
        return ledger_.beats(objective, id);
    }

    const CalibrationProblem &problem_;
    const CalibrationMonitor &monitor_;
    mutable std::mutex mutex_;
    std::atomic<bool> stop_ {false};
    TrialLedger ledger_;
    CalibrationProgress progress_;
};

} // namespace

double CalibrationObjective(const CalibrationInput &input, const RunResult &run)
{
    return CalibrationProblem(input).objective(run.series, run.completed, true);
}

CalibrationResult Calibrate(const CalibrationInput &input, const CalibrationMonitor &monitor)
{
    CheckCalibration(input);
    const CalibrationProblem problem(input);
    CalibrationTrials trials(problem, monitor);
    CalibrationResult result;
    result.before = CurrentParameters(input.run);

    // The run as the project stands, and the start of the search where the bounds moved it.
    const CalibrationTrials::Trial before = trials.runWhole(input.run.parameters);
    result.objectiveBefore = before.sheetObjective;
    result.seriesBefore = before.series;
    result.fitBefore = SeriesFit(input.observed, *before.series);
    const CalibrationTrials::Trial start
        = problem.start() == result.before ? before : trials.runWhole(problem.start());
    result.objectiveStart = start.sheetObjective;
    trials.begin(problem.start(), start, before.series);

    // One run stays for the rounded best.
    UnitSearchInput search;
    search.start = problem.unitOf(problem.start());
    search.startObjective = start.objective;
    search.runs = input.runsAllowed - trials.runsDone() - 1;
    search.seed = input.seed;
    search.threads = input.threads;
    SearchUnitCube(
        search,
        [&](const std::vector<double> &unit, std::uint64_t id) {
            return trials.evaluate(problem.at(unit), id);
        },
        [&trials] { return trials.stopped(); });

    // The best, rounded to what the project file keeps; never worse than the start.
    const CalibrationTrials::Best best = trials.best();
    result.cancelled = trials.stopped();
    result.after = problem.start();
    result.objectiveAfter = start.sheetObjective;
    result.seriesAfter = start.series;
    if (best.found && !(best.parameters == problem.start())) {
        ModelParameters rounded = best.parameters;
        for (const CalibrationProblem::Dimension &dimension : problem.dimensions())
            rounded.set(dimension.parameter,
                CalibratedValue(dimension.range, best.parameters.get(dimension.parameter)));
        const CalibrationTrials::Trial last = trials.runWhole(rounded);
        if (!last.failed && last.sheetObjective <= start.sheetObjective) {
            result.after = rounded;
            result.objectiveAfter = last.sheetObjective;
            result.seriesAfter = last.series;
        }
    }
    result.fitAfter = SeriesFit(input.observed, *result.seriesAfter);
    result.runsUsed = trials.runsDone();
    result.runsFailed = trials.runsFailed();
    return result;
}

} // namespace carexa
