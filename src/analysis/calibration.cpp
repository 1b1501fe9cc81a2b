#include "analysis/calibration.h"

#include "analysis/random.h"
#include "analysis/thread_pool.h"
#include "model/climate.h"
#include "model/error.h"
#include "model/model_state.h"
#include "model/number_text.h"

#include <nlopt.hpp>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <mutex>
#include <numeric>
#include <string>
#include <tuple>

// How the search works (Calibrate below puts the pieces together):
//
// The search runs in the unit cube of the ticked parameters, each coordinate mapped onto the
// values a run keeps (so no trial is ever swapped for the climate's fallback). It has three
// steps within the runs allowed:
// 1. a Latin hypercube population with the start point in it, and controlled random search with
//    local mutation on it (about 15 % of the runs), run in batches side by side;
// 2. four polishes from the best distinct members, side by side: each looks along every axis
//    through its point for a better value beyond the reach of a local method (the model has kinks,
//    such as adsorption that stops where uptake takes over), then runs BOBYQA, and while runs are
//    left looks again and polishes again;
// 3. the best found, rounded to the 6 significant digits a project file keeps, run once more.
//
// Determinism: NLopt's own random numbers are one generator shared by the process, so the
// global step is ours, with every random number drawn on the calling thread from the generator
// of its batch (TaskGenerator(seed, batch)); BOBYQA draws none, and each polish draws its axis
// points from its own generator. The batches and the polishes are the same for any number of
// threads (threads only share out the runs of a batch and the polishes), and the best is kept by
// objective with ties going to the earlier trial, so the result depends on the seed alone.
//
// The search compares the unrounded simulated values: the data sheet's three decimals turn the
// objective into a staircase on which a local method stalls. Everything reported (the objective
// before and after, the fit statistics) uses the data sheet's values.

namespace carexa {

namespace {

std::string Quoted(std::string_view heading)
{
    std::string text(1, '"');
    text.append(heading);
    text += '"';
    return text;
}

std::string Name(Parameter parameter)
{
    return std::string(ParameterName(parameter));
}

std::string ClimateName(std::int32_t climate)
{
    return climate == kWarmClimate ? "warm" : "cold";
}

std::string RangeText(const ParameterRange &range)
{
    std::string text = range.lowerExclusive ? "above " : "";
    text += FormatGeneral(range.lower);
    text += " to ";
    text += FormatGeneral(range.upper);
    return text;
}

// ---------------------------------------------------------------------------------------------
// The search space: the unit cube of the ticked parameters.

struct Dimension
{
    Parameter parameter;
    ParameterRange range;
};

struct Target
{
    std::size_t column;
    double weight;
    std::vector<std::size_t> index; ///< day - 1 of each measured day
    std::vector<double> observed;
};

// What every trial reads: shared by the workers, never written during the search.
struct Problem
{
    const CalibrationInput &input;
    std::vector<Dimension> dimensions;
    ModelParameters start; ///< the current values, ticked ones moved into their bounds
    std::vector<Target> targets;
    double weightSum = 0;

    explicit Problem(const CalibrationInput &calibration) : input(calibration)
    {
        start = CurrentParameters(input.run);
        for (int i = 0; i < kParameterCount; ++i) {
            const auto p = static_cast<Parameter>(i);
            const auto at = static_cast<std::size_t>(i);
            if (!input.fit[at])
                continue;
            const ParameterRange range = SearchRange(p, input.bounds[at], input.run.climate);
            start.set(p, Nearest(range, start.get(p)));
            const double low = LowestKept(range);
            if (!(range.upper > low))
                continue; // a single value: set, not searched
            dimensions.push_back({p, range});
        }
        const std::size_t days = input.run.days.size();
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            if (!input.series[c])
                continue;
            Target target {c, input.weights[c], {}, {}};
            for (const Observation &measured : input.observed[c]) {
                if (measured.day < 1 || static_cast<std::size_t>(measured.day) > days)
                    continue;
                target.index.push_back(static_cast<std::size_t>(measured.day - 1));
                target.observed.push_back(measured.value);
            }
            weightSum += target.weight;
            targets.push_back(std::move(target));
        }
    }

    std::size_t size() const { return dimensions.size(); }

    ModelParameters at(const std::vector<double> &unit) const
    {
        ModelParameters parameters = start;
        for (std::size_t i = 0; i < dimensions.size(); ++i)
            parameters.set(dimensions[i].parameter, SearchValue(dimensions[i].range, unit[i]));
        return parameters;
    }

    std::vector<double> unitOf(const ModelParameters &parameters) const
    {
        std::vector<double> unit(dimensions.size());
        for (std::size_t i = 0; i < dimensions.size(); ++i)
            unit[i] = SearchUnit(dimensions[i].range, parameters.get(dimensions[i].parameter));
        return unit;
    }

    // The weighted mean of 1 - NSE over the ticked series, of the data sheet's values
    // (`sheet`, the same number as CalibrationObjective) or of the unrounded ones (the search's).
    double objective(const RunResult &run, bool sheet) const
    {
        if (!run.completed)
            return kFailedObjective;
        double total = 0;
        std::vector<double> simulated;
        for (const Target &target : targets) {
            const std::vector<double> &series = run.series[target.column];
            simulated.clear();
            for (std::size_t day : target.index)
                simulated.push_back(sheet ? RunSheetValue(series[day]) : series[day]);
            const FitStatistics fit = ComputeFitStatistics(target.observed, simulated);
            if (!fit.nse)
                return kFailedObjective;
            total += target.weight * (1 - *fit.nse);
        }
        const double objective = total / weightSum;
        return std::isfinite(objective) ? std::min(objective, kFailedObjective) : kFailedObjective;
    }
};

// ---------------------------------------------------------------------------------------------
// The trials: every model run of a calibration goes through one Search, which counts the runs,
// keeps the best and tells the monitor.

class Search
{
public:
    Search(const Problem &problem, const CalibrationMonitor &monitor)
        : problem_(problem), monitor_(monitor)
    {
        progress_.runsAllowed = problem.input.runsAllowed;
    }

    struct Trial
    {
        double objective = kFailedObjective; ///< the search's (unrounded values)
        double sheetObjective = kFailedObjective; ///< of the data sheet's values
        bool failed = false;
        std::shared_ptr<const SeriesValues> series;
    };

    /// A run of the search with `parameters`: its objective, or nothing when the calibration
    /// was stopped before or during the run. `id` orders trials of equal objective, so the best
    /// does not depend on which thread finished first.
    std::optional<double> evaluate(const ModelParameters &parameters, std::uint64_t id)
    {
        if (stopped())
            return std::nullopt;
        RunInput input = problem_.input.run;
        input.parameters = parameters;
        RunResult result = Simulate(std::move(input), [this](int, int) { return !stopped(); });
        if (result.cancelled)
            return std::nullopt;
        Trial trial {problem_.objective(result, false), kFailedObjective, !result.completed, {}};
        // Only a trial that may become the best keeps its series; a tie may win on its id.
        if (!trial.failed && trial.objective <= bestObjective())
            trial.series = std::make_shared<const SeriesValues>(std::move(result.series));

        const std::lock_guard lock(mutex_);
        count(trial);
        consider(parameters, trial, id);
        if (monitor_ && !monitor_(progress_))
            stop_ = true;
        return trial.objective;
    }

    /// A run outside the search (before, start, the rounded best), never stopped: both
    /// objectives and the series.
    Trial runWhole(const ModelParameters &parameters)
    {
        RunInput input = problem_.input.run;
        input.parameters = parameters;
        RunResult result = Simulate(std::move(input));
        Trial trial {problem_.objective(result, false), problem_.objective(result, true),
            !result.completed, {}};
        trial.series = std::make_shared<const SeriesValues>(std::move(result.series));
        const std::lock_guard lock(mutex_);
        count(trial);
        return trial;
    }

    /// Makes the start point a candidate for the best, and tells the monitor the run before.
    void begin(const ModelParameters &start, const Trial &trial,
        std::shared_ptr<const SeriesValues> before)
    {
        const std::lock_guard lock(mutex_);
        progress_.beforeSeries = std::move(before);
        consider(start, trial, 0);
    }

    bool stopped() const { return stop_.load(std::memory_order_relaxed); }

    struct Best
    {
        ModelParameters parameters;
        double objective = kFailedObjective;
        std::shared_ptr<const SeriesValues> series;
        bool found = false;
    };
    Best best() const
    {
        const std::lock_guard lock(mutex_);
        return {progress_.bestParameters, progress_.bestObjective, progress_.bestSeries,
            bestFound_};
    }
    int runsDone() const
    {
        const std::lock_guard lock(mutex_);
        return progress_.runsDone;
    }
    int runsFailed() const
    {
        const std::lock_guard lock(mutex_);
        return progress_.runsFailed;
    }

private:
    double bestObjective() const
    {
        const std::lock_guard lock(mutex_);
        return progress_.bestObjective;
    }

    // Called with the mutex held.
    void count(const Trial &trial)
    {
        ++progress_.runsDone;
        if (trial.failed)
            ++progress_.runsFailed;
    }

    // Called with the mutex held. Of two trials with the same objective the one with the lower
    // id wins, so the best is the same whatever order the trials end in.
    void consider(const ModelParameters &parameters, const Trial &trial, std::uint64_t id)
    {
        if (trial.failed || !trial.series)
            return; // a trial without its series was already beaten when it ended
        if (bestFound_
            && std::tie(trial.objective, id) >= std::tie(progress_.bestObjective, bestId_))
            return;
        bestFound_ = true;
        bestId_ = id;
        progress_.bestObjective = trial.objective;
        progress_.bestParameters = parameters;
        progress_.bestSeries = trial.series;
    }

    const Problem &problem_;
    const CalibrationMonitor &monitor_;
    mutable std::mutex mutex_;
    std::atomic<bool> stop_ {false};
    CalibrationProgress progress_;
    bool bestFound_ = false;
    std::uint64_t bestId_ = 0;
};

// ---------------------------------------------------------------------------------------------
// The plan: how the runs allowed are shared between the global search and the polishes.

struct Plan
{
    int population = 0; ///< including the start point, which costs no new run
    int reflections = 0; ///< trials of the global search after the population
    int polishes = 0;
    int polishRuns = 0; ///< runs of all polishes together
};

// Most runs go to the polishes, which do the most for a fit; a polish needs room for BOBYQA's
// first model (2n + 1 points) and a little more, else its runs go to the global search. The
// population is Price's 10 (n + 1), or smaller when the runs are few.
constexpr int kPolishes = 4;
constexpr double kPolishShare = 0.85;

Plan PlanSearch(int runs, int n)
{
    Plan plan;
    const int polishRuns = static_cast<int>(runs * kPolishShare);
    plan.polishes = std::min(kPolishes, polishRuns / (2 * n + 6));
    plan.polishRuns = plan.polishes > 0 ? polishRuns : 0;
    const int global = runs - plan.polishRuns;
    // A reflection needs the best point and n others; with fewer runs the population takes all.
    plan.population = std::min(10 * (n + 1), global / 3 + 1);
    if (plan.population < n + 2)
        plan.population = global + 1;
    plan.reflections = global - (plan.population - 1);
    return plan;
}

// ---------------------------------------------------------------------------------------------
// The global search: controlled random search with local mutation (Price 1983, CRS2; Kaelo and
// Ali 2006, local mutation) over a Latin hypercube population (McKay, Beckman and Conover 1979).
// Trials are made in batches of kBatch from the population as it stands, run side by side, then
// merged in their order: a trial better than the worst member replaces it; a reflection that is
// not is followed by a local mutation towards the best member in the next batch.

constexpr std::size_t kBatch = 16;

struct Member
{
    std::vector<double> unit;
    double objective;
    std::uint64_t id;
};

bool Better(const Member &a, const Member &b)
{
    return std::tie(a.objective, a.id) < std::tie(b.objective, b.id);
}

// A whole number from 0 to count - 1.
std::size_t Pick(std::mt19937_64 &generator, std::size_t count)
{
    const auto drawn = static_cast<std::size_t>(UnitDraw(generator) * static_cast<double>(count));
    return std::min(count - 1, drawn);
}

double Distance(const std::vector<double> &a, const std::vector<double> &b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum);
}

class GlobalSearch
{
public:
    GlobalSearch(const Problem &problem, Search &search)
        : problem_(problem), search_(search), n_(problem.size())
    { }

    void populate(int size, const std::vector<double> &startUnit, double startObjective)
    {
        population_.push_back({startUnit, startObjective, 0});
        nextId_ = 1;
        const auto count = static_cast<std::size_t>(size - 1);
        if (count == 0)
            return;
        std::mt19937_64 generator = TaskGenerator(problem_.input.seed, 0);
        const std::vector<std::vector<double>> points = UnitLatinHypercube(count, n_, generator);
        const std::uint64_t first = nextId_;
        const auto objectives = evaluate(points);
        for (std::size_t i = 0; i < count; ++i) {
            if (objectives[i])
                population_.push_back({points[i], *objectives[i], first + i});
        }
    }

    void run(int trials)
    {
        std::uint64_t batch = 1;
        std::vector<std::vector<double>> mutations; // reflections to follow by a local mutation
        while (trials > 0 && !search_.stopped() && population_.size() >= n_ + 2) {
            std::mt19937_64 generator = TaskGenerator(problem_.input.seed, batch++);
            const std::size_t size
                = std::min<std::size_t>(kBatch, static_cast<std::size_t>(trials));
            std::vector<std::vector<double>> points;
            std::vector<bool> reflected;
            const std::vector<double> best = bestMember().unit;
            for (const std::vector<double> &failed : mutations) {
                if (points.size() == size)
                    break;
                points.push_back(mutate(best, failed, generator));
                reflected.push_back(false);
            }
            mutations.clear();
            while (points.size() < size) {
                points.push_back(reflect(generator));
                reflected.push_back(true);
            }
            const std::uint64_t first = nextId_;
            const auto objectives = evaluate(points);
            trials -= static_cast<int>(size);
            for (std::size_t i = 0; i < points.size(); ++i) {
                if (!objectives[i])
                    continue;
                const Member trial {points[i], *objectives[i], first + i};
                const auto worst
                    = std::max_element(population_.begin(), population_.end(), Better);
                if (Better(trial, *worst))
                    *worst = trial;
                else if (reflected[i])
                    mutations.push_back(points[i]);
            }
        }
    }

    /// Up to `count` members to polish from: the best first, then each next best at least a
    /// little apart from those chosen before it, as far as the population allows.
    std::vector<Member> starts(std::size_t count) const
    {
        std::vector<Member> sorted = population_;
        std::sort(sorted.begin(), sorted.end(), Better);
        const double apart = 0.05 * std::sqrt(static_cast<double>(n_));
        std::vector<Member> chosen;
        std::vector<bool> taken(sorted.size(), false);
        for (const double distance : {apart, 0.0}) {
            for (std::size_t i = 0; i < sorted.size() && chosen.size() < count; ++i) {
                const bool far = std::all_of(chosen.begin(), chosen.end(), [&](const Member &m) {
                    return Distance(m.unit, sorted[i].unit) >= distance;
                });
                if (!taken[i] && far) {
                    chosen.push_back(sorted[i]);
                    taken[i] = true;
                }
            }
        }
        return chosen;
    }

    std::uint64_t nextId() const { return nextId_; }

private:
    // Evaluates the trials side by side; their objectives in order (nothing where stopped).
    std::vector<std::optional<double>> evaluate(const std::vector<std::vector<double>> &trials)
    {
        std::vector<std::optional<double>> objectives(trials.size());
        const std::uint64_t first = nextId_;
        nextId_ += trials.size();
        ParallelFor(
            trials.size(), problem_.input.threads,
            [&](std::size_t i, int) {
                objectives[i] = search_.evaluate(problem_.at(trials[i]), first + i);
            },
            [this] { return search_.stopped(); });
        return objectives;
    }

    const Member &bestMember() const
    {
        return *std::min_element(population_.begin(), population_.end(), Better);
    }

    // Reflection through the centroid of a random simplex holding the best member: the best and
    // n - 1 other members make the centroid, one more member is reflected through it.
    std::vector<double> reflect(std::mt19937_64 &generator) const
    {
        const auto bestAt = static_cast<std::size_t>(&bestMember() - population_.data());
        std::vector<std::size_t> others;
        others.reserve(population_.size() - 1);
        for (std::size_t i = 0; i < population_.size(); ++i) {
            if (i != bestAt)
                others.push_back(i);
        }
        for (std::size_t k = 0; k < n_; ++k)
            std::swap(others[k], others[k + Pick(generator, others.size() - k)]);
        std::vector<double> centroid = population_[bestAt].unit;
        for (std::size_t k = 0; k + 1 < n_; ++k) {
            for (std::size_t j = 0; j < n_; ++j)
                centroid[j] += population_[others[k]].unit[j];
        }
        const std::vector<double> &through = population_[others[n_ - 1]].unit;
        std::vector<double> point(n_);
        for (std::size_t j = 0; j < n_; ++j) {
            const double reflected = 2 * centroid[j] / static_cast<double>(n_) - through[j];
            point[j] = std::clamp(reflected, 0.0, 1.0);
        }
        return point;
    }

    // Local mutation: each coordinate of the failed trial taken to the other side of the best
    // member by a random share of their distance.
    std::vector<double> mutate(const std::vector<double> &best, const std::vector<double> &failed,
        std::mt19937_64 &generator) const
    {
        std::vector<double> point(n_);
        for (std::size_t j = 0; j < n_; ++j) {
            const double w = UnitDraw(generator);
            point[j] = std::clamp((1 + w) * best[j] - w * failed[j], 0.0, 1.0);
        }
        return point;
    }

    const Problem &problem_;
    Search &search_;
    std::size_t n_;
    std::vector<Member> population_;
    std::uint64_t nextId_ = 0;
};

// ---------------------------------------------------------------------------------------------
// A polish: BOBYQA (Powell 2009) through NLopt from one member, with looks along the axes
// between. Each polish has its own share of the runs, its own trial ids and its own generator
// for the axis points, so it gives the same result on any thread.

class Polish
{
public:
    Polish(const Problem &problem, Search &search, const Member &from, int runs,
        std::uint64_t firstId)
        : problem_(problem),
          search_(search),
          n_(problem.size()),
          nextId_(firstId),
          left_(runs),
          best_(from.unit),
          bestObjective_(from.objective),
          generator_(TaskGenerator(problem.input.seed, firstId))
    { }

    void run()
    {
        // Up to a quarter of the runs go to each look along the axes, up to 8 points an axis.
        const int points = std::min(8, left_ / (4 * static_cast<int>(n_)));
        const int restartMinimum = 2 * static_cast<int>(n_) + 3;
        constexpr double kFirstStep = 0.1;
        constexpr double kSmallestStep = 1e-4;
        double step = kFirstStep;
        scan(points);
        while (bobyqa(step) && left_ > 0) {
            const bool moved = scan(points);
            if (left_ < restartMinimum)
                break;
            // From a new point BOBYQA starts wide; at the same point it looks closer.
            step = moved || step / 4 < kSmallestStep ? kFirstStep : step / 4;
        }
    }

private:
    // One trial; nothing when the calibration was stopped or this polish has no runs left.
    std::optional<double> evaluate(const std::vector<double> &unit)
    {
        if (left_ <= 0)
            return std::nullopt;
        --left_;
        const std::optional<double> objective = search_.evaluate(problem_.at(unit), nextId_++);
        if (objective && *objective < bestObjective_) {
            bestObjective_ = *objective;
            best_ = unit;
        }
        return objective;
    }

    // BOBYQA from the best point until it converges; false when the calibration was stopped or
    // the runs ran out.
    bool bobyqa(double step)
    {
        nlopt::opt optimizer(nlopt::LN_BOBYQA, static_cast<unsigned>(n_));
        optimizer.set_lower_bounds(std::vector<double>(n_, 0.0));
        optimizer.set_upper_bounds(std::vector<double>(n_, 1.0));
        optimizer.set_maxeval(left_);
        optimizer.set_initial_step(step);
        // A millionth of a range is finer than the project file keeps.
        optimizer.set_xtol_abs(1e-6);
        optimizer.set_min_objective(
            [](unsigned size, const double *x, double *, void *data) -> double {
                const std::optional<double> objective
                    = static_cast<Polish *>(data)->evaluate(std::vector<double>(x, x + size));
                if (!objective)
                    throw nlopt::forced_stop();
                return *objective;
            },
            this);
        std::vector<double> x = best_;
        double value = 0;
        try {
            if (optimizer.optimize(x, value) == nlopt::MAXEVAL_REACHED)
                return false;
        } catch (const nlopt::forced_stop &) {
            return false; // stopped, or out of runs: the search keeps the best so far
        } catch (const nlopt::roundoff_limited &) {
            // converged as far as the objective's resolution allows
        }
        return !search_.stopped();
    }

    // A look along each axis through the best point at `points` values spread over the whole
    // range (one at random in each equal part), moving to any that is better: BOBYQA only sees
    // its neighbourhood, and a better value beyond a kink of the model is found this way.
    bool scan(int points)
    {
        const double before = bestObjective_;
        for (std::size_t i = 0; i < n_ && points > 0; ++i) {
            for (int k = 0; k < points; ++k) {
                std::vector<double> unit = best_;
                unit[i] = (k + UnitDraw(generator_)) / points;
                if (!evaluate(unit))
                    return bestObjective_ < before;
            }
        }
        return bestObjective_ < before;
    }

    const Problem &problem_;
    Search &search_;
    std::size_t n_;
    std::uint64_t nextId_;
    int left_;
    std::vector<double> best_;
    double bestObjective_;
    std::mt19937_64 generator_;
};

} // namespace

// ---------------------------------------------------------------------------------------------

// A range over two decades or more is searched on a logarithmic scale.
constexpr double kLogarithmicRatio = 100;

namespace {

bool Logarithmic(const ParameterRange &range)
{
    const double low = LowestKept(range);
    return low > 0 && range.upper / low >= kLogarithmicRatio;
}

// Rounds to `digits` significant digits, as the project file writes a number.
double RoundSignificant(double value, int digits)
{
    if (value == 0 || !std::isfinite(value))
        return value;
    char text[40];
    const auto written
        = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, digits - 1);
    double rounded = value;
    std::from_chars(text, written.ptr, rounded);
    return rounded;
}

} // namespace

double SearchValue(const ParameterRange &range, double unit)
{
    if (!Logarithmic(range))
        return ValueAt(range, unit);
    const double low = LowestKept(range);
    return Nearest(range, low * std::pow(range.upper / low, std::clamp(unit, 0.0, 1.0)));
}

double SearchUnit(const ParameterRange &range, double value)
{
    const double low = LowestKept(range);
    const double high = range.upper;
    if (!(high > low))
        return 0;
    const double unit = Logarithmic(range) ? std::log(value / low) / std::log(high / low)
                                           : (value - low) / (high - low);
    return std::isfinite(unit) ? std::clamp(unit, 0.0, 1.0) : 0.0;
}

double CalibratedValue(const ParameterRange &range, double value)
{
    constexpr int kDigits = 6;
    const double rounded = RoundSignificant(value, kDigits);
    if (Keeps(range, rounded))
        return rounded;
    const double step
        = std::pow(10.0, std::floor(std::log10(std::fabs(rounded))) - (kDigits - 1));
    const double inside
        = RoundSignificant(rounded < value ? rounded + step : rounded - step, kDigits);
    return Keeps(range, inside) ? inside : value;
}

std::vector<std::vector<double>> UnitLatinHypercube(
    std::size_t points, std::size_t dimensions, std::mt19937_64 &generator)
{
    std::vector<std::vector<double>> sample(points, std::vector<double>(dimensions));
    std::vector<std::size_t> strata(points);
    for (std::size_t j = 0; j < dimensions; ++j) {
        std::iota(strata.begin(), strata.end(), std::size_t {0});
        for (std::size_t i = points; i > 1; --i) // Fisher and Yates
            std::swap(strata[i - 1], strata[Pick(generator, i)]);
        for (std::size_t i = 0; i < points; ++i)
            sample[i][j] = (static_cast<double>(strata[i]) + UnitDraw(generator))
                / static_cast<double>(points);
    }
    return sample;
}

ModelParameters CurrentParameters(const RunInput &run)
{
    ModelParameters parameters = run.parameters;
    ApplyClimatePreset(parameters, run.climate);
    return parameters;
}

ParameterRange SearchRange(Parameter parameter, const ParameterBounds &bounds, std::int32_t climate)
{
    const ParameterRange climateRange = ClimateRange(parameter, climate);
    const bool replaces = climate == kColdClimate || climate == kWarmClimate;
    return {bounds.lower, bounds.upper,
        replaces && climateRange.lowerExclusive && bounds.lower <= climateRange.lower};
}

CalibrationInput DefaultCalibrationInput(RunInput run, ObservedSeries observed)
{
    CalibrationInput input;
    const auto ranges = ClimateRanges(run.climate);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        input.fit[i] = true;
        input.bounds[i] = {ranges[i].lower, ranges[i].upper};
    }
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        input.series[c] = observed[c].size() >= 2;
        input.weights[c] = 1;
    }
    input.run = std::move(run);
    input.observed = std::move(observed);
    input.threads = DefaultThreadCount();
    return input;
}

void CheckCalibration(const CalibrationInput &input)
{
    const RunInput &run = input.run;
    if (run.days.empty())
        throw Error("The simulation length must be at least 1 day; nothing was calibrated.");
    if (run.stepsPerDay < 1 || run.stepsPerDay > kMaxStepsPerDay)
        throw Error("The time step must be from 1 to " + std::to_string(kMaxStepsPerDay)
            + " sub-steps per day; nothing was calibrated.");
    if (std::none_of(input.fit.begin(), input.fit.end(), [](bool fit) { return fit; }))
        throw Error("Tick at least one parameter to fit.");
    const std::size_t days = run.days.size();
    const auto measured = [&](std::size_t c) {
        return std::count_if(input.observed[c].begin(), input.observed[c].end(),
            [days](const Observation &o) { return o.day >= 1 && static_cast<std::size_t>(o.day) <= days; });
    };
    bool anyObserved = false;
    for (std::size_t c = 0; c < kSeriesCount; ++c)
        anyObserved = anyObserved || measured(c) > 0;
    if (!anyObserved)
        throw Error("There are no observed values to calibrate against. Type the measurements "
                    "into \"Observed values\" (0.0001 marks a day without one).");
    if (std::none_of(input.series.begin(), input.series.end(), [](bool fit) { return fit; }))
        throw Error("Tick at least one series to fit.");

    const bool replaces = run.climate == kColdClimate || run.climate == kWarmClimate;
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        const auto at = static_cast<std::size_t>(i);
        if (!input.fit[at])
            continue;
        const ParameterBounds &bounds = input.bounds[at];
        if (!std::isfinite(bounds.lower) || !std::isfinite(bounds.upper))
            throw Error("The bounds of " + Name(p) + " must be numbers.");
        if (bounds.lower > bounds.upper)
            throw Error("The lower bound of " + Name(p) + " (" + FormatGeneral(bounds.lower)
                + ") lies above its upper bound (" + FormatGeneral(bounds.upper) + ").");
        if (!replaces)
            continue;
        const ParameterRange climate = ClimateRange(p, run.climate);
        const ParameterRange search = SearchRange(p, bounds, run.climate);
        if (bounds.lower < climate.lower || bounds.upper > climate.upper
            || !Keeps(climate, LowestKept(search)) || LowestKept(search) > search.upper)
            throw Error("The bounds of " + Name(p) + " (" + FormatGeneral(bounds.lower) + " to "
                + FormatGeneral(bounds.upper) + ") must lie within " + RangeText(climate)
                + ": a run in the " + ClimateName(run.climate)
                + " climate replaces any other value by its fallback.");
    }
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        if (!input.series[c])
            continue;
        const std::string heading = Quoted(kSeriesHeadings[c]);
        if (measured(c) < 2)
            throw Error(heading + " has fewer than 2 observed days, so its NSE cannot be "
                                  "computed; untick it or add measurements.");
        std::vector<double> values;
        for (const Observation &o : input.observed[c]) {
            if (o.day >= 1 && static_cast<std::size_t>(o.day) <= days)
                values.push_back(o.value);
        }
        if (std::all_of(values.begin(), values.end(), [&](double v) { return v == values.front(); }))
            throw Error("The observed values of " + heading
                + " are all the same, so its NSE cannot be computed; untick it.");
        if (!std::isfinite(input.weights[c]) || !(input.weights[c] > 0))
            throw Error("The weight of " + heading + " must be a number above 0.");
    }
    if (input.runsAllowed < kMinCalibrationRuns || input.runsAllowed > kMaxCalibrationRuns)
        throw Error("The number of model runs must be from " + std::to_string(kMinCalibrationRuns)
            + " to " + std::to_string(kMaxCalibrationRuns) + ".");
    if (input.threads < 1)
        throw Error("The number of threads must be at least 1.");
}

double CalibrationObjective(const CalibrationInput &input, const RunResult &run)
{
    if (!run.completed)
        return kFailedObjective;
    const FitTable fit = SeriesFit(input.observed, run.series);
    double total = 0;
    double weights = 0;
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        if (!input.series[c])
            continue;
        if (!fit[c].nse)
            return kFailedObjective;
        total += input.weights[c] * (1 - *fit[c].nse);
        weights += input.weights[c];
    }
    const double objective = total / weights;
    return std::isfinite(objective) ? std::min(objective, kFailedObjective) : kFailedObjective;
}

CalibrationResult Calibrate(const CalibrationInput &input, const CalibrationMonitor &monitor)
{
    CheckCalibration(input);
    const Problem problem(input);
    Search search(problem, monitor);
    CalibrationResult result;
    result.before = CurrentParameters(input.run);

    // The run as the project stands, and the start of the search where the bounds moved it.
    const Search::Trial before = search.runWhole(input.run.parameters);
    result.objectiveBefore = before.sheetObjective;
    result.seriesBefore = before.series;
    result.fitBefore = SeriesFit(input.observed, *before.series);
    const Search::Trial start
        = problem.start == result.before ? before : search.runWhole(problem.start);
    result.objectiveStart = start.sheetObjective;
    search.begin(problem.start, start, before.series);

    // One run stays for the rounded best.
    const int budget = input.runsAllowed - search.runsDone() - 1;
    const auto n = static_cast<int>(problem.size());
    if (n > 0 && budget > 0) {
        const Plan plan = PlanSearch(budget, n);
        GlobalSearch global(problem, search);
        global.populate(plan.population, problem.unitOf(problem.start), start.objective);
        global.run(plan.reflections);
        if (plan.polishes > 0 && !search.stopped()) {
            const std::vector<Member> starts = global.starts(static_cast<std::size_t>(plan.polishes));
            const auto count = static_cast<int>(starts.size());
            const std::uint64_t firstId = global.nextId();
            ParallelFor(starts.size(), input.threads, [&](std::size_t k, int) {
                const int runs = plan.polishRuns / count
                    + (static_cast<int>(k) < plan.polishRuns % count ? 1 : 0);
                Polish(problem, search, starts[k], runs,
                    firstId + k * static_cast<std::uint64_t>(plan.polishRuns))
                    .run();
            });
        }
    }

    // The best, rounded to what the project file keeps; never worse than the start.
    const Search::Best best = search.best();
    result.cancelled = search.stopped();
    result.after = problem.start;
    result.objectiveAfter = start.sheetObjective;
    result.seriesAfter = start.series;
    if (best.found && !(best.parameters == problem.start)) {
        ModelParameters rounded = best.parameters;
        for (const Dimension &dimension : problem.dimensions)
            rounded.set(dimension.parameter,
                CalibratedValue(dimension.range, best.parameters.get(dimension.parameter)));
        const Search::Trial last = search.runWhole(rounded);
        if (!last.failed && last.sheetObjective <= start.sheetObjective) {
            result.after = rounded;
            result.objectiveAfter = last.sheetObjective;
            result.seriesAfter = last.series;
        }
    }
    result.fitAfter = SeriesFit(input.observed, *result.seriesAfter);
    result.runsUsed = search.runsDone();
    result.runsFailed = search.runsFailed();
    return result;
}

} // namespace carexa
