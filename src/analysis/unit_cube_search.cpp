#include "analysis/unit_cube_search.h"

#include "analysis/random.h"
#include "analysis/sampling.h"
#include "analysis/thread_pool.h"

#include <nlopt.hpp>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace carexa {

namespace {

// ---------------------------------------------------------------------------------------------
// The plan.

constexpr int kPolishes = 4;
constexpr double kPolishShare = 0.85;

// ---------------------------------------------------------------------------------------------
// The global search: controlled random search with local mutation over a Latin hypercube
// population. Trials are made in batches of kBatch from the population as it stands, run side by
// side, then merged in their order.

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
    GlobalSearch(const UnitSearchInput &input, const UnitObjective &objective,
        const std::function<bool()> &stopped)
        : input_(input), objective_(objective), stopped_(stopped), n_(input.start.size())
    { }

    void populate(int size)
    {
        population_.push_back({input_.start, input_.startObjective, 0});
        nextId_ = 1;
        const auto count = static_cast<std::size_t>(size - 1);
        if (count == 0)
            return;
        // The population's stream is apart from the batches' (TaskGenerator(seed, 1, 2, ...)).
        std::mt19937_64 seeds = TaskGenerator(input_.seed, 0);
        const std::vector<std::vector<double>> points = LatinHypercube(count, n_, seeds());
        const std::uint64_t first = nextId_;
        const auto objectives
            = evaluate(points, std::vector<SearchStep>(count, SearchStep::Population));
        for (std::size_t i = 0; i < count; ++i) {
            if (objectives[i])
                population_.push_back({points[i], *objectives[i], first + i});
        }
    }

    void run(int trials)
    {
        std::uint64_t batch = 1;
        std::vector<std::vector<double>> mutations; // reflections to follow by a local mutation
        while (trials > 0 && !stopped_() && population_.size() >= n_ + 2) {
            std::mt19937_64 generator = TaskGenerator(input_.seed, batch++);
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
            std::vector<SearchStep> steps;
            for (bool reflection : reflected)
                steps.push_back(reflection ? SearchStep::Reflection : SearchStep::Mutation);
            const std::uint64_t first = nextId_;
            const auto objectives = evaluate(points, steps);
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
    std::vector<std::optional<double>> evaluate(
        const std::vector<std::vector<double>> &trials, const std::vector<SearchStep> &steps)
    {
        std::vector<std::optional<double>> objectives(trials.size());
        const std::uint64_t first = nextId_;
        nextId_ += trials.size();
        ParallelFor(
            trials.size(), input_.threads,
            [&](std::size_t i, int) {
                if (input_.observe)
                    input_.observe(first + i, steps[i]);
                objectives[i] = objective_(trials[i], first + i);
            },
            stopped_);
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

    const UnitSearchInput &input_;
    const UnitObjective &objective_;
    const std::function<bool()> &stopped_;
    std::size_t n_;
    std::vector<Member> population_;
    std::uint64_t nextId_ = 0;
};

// ---------------------------------------------------------------------------------------------
// A polish: BOBYQA through NLopt from one member, with looks along the axes between. Each polish
// has its own share of the runs, its own trial ids and its own generator for the axis points, so
// it gives the same result on any thread. NLopt's own random numbers are one generator shared by
// the process; BOBYQA draws none.

class Polish
{
public:
    Polish(const UnitSearchInput &input, const UnitObjective &objective,
        const std::function<bool()> &stopped, const Member &from, int runs, std::uint64_t firstId)
        : input_(input),
          objective_(objective),
          stopped_(stopped),
          n_(from.unit.size()),
          nextId_(firstId),
          left_(runs),
          best_(from.unit),
          bestObjective_(from.objective),
          generator_(TaskGenerator(input.seed, firstId))
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
    // One trial; nothing when the search was stopped or this polish has no runs left.
    std::optional<double> evaluate(const std::vector<double> &unit, SearchStep step)
    {
        if (left_ <= 0)
            return std::nullopt;
        --left_;
        if (input_.observe)
            input_.observe(nextId_, step);
        const std::optional<double> objective = objective_(unit, nextId_++);
        if (objective && *objective < bestObjective_) {
            bestObjective_ = *objective;
            best_ = unit;
        }
        return objective;
    }

    // BOBYQA from the best point until it converges; false when the search was stopped or the
    // runs ran out.
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
                const std::optional<double> objective = static_cast<Polish *>(data)->evaluate(
                    std::vector<double>(x, x + size), SearchStep::Bobyqa);
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
        return !stopped_();
    }

    // A look along each axis through the best point at `points` values spread over the whole
    // range (one at random in each equal part), moving to any that is better: BOBYQA only sees
    // its neighbourhood, and a better value beyond a kink of the objective is found this way.
    bool scan(int points)
    {
        const double before = bestObjective_;
        for (std::size_t i = 0; i < n_ && points > 0; ++i) {
            for (int k = 0; k < points; ++k) {
                std::vector<double> unit = best_;
                unit[i] = (k + UnitDraw(generator_)) / points;
                if (!evaluate(unit, SearchStep::AxisScan))
                    return bestObjective_ < before;
            }
        }
        return bestObjective_ < before;
    }

    const UnitSearchInput &input_;
    const UnitObjective &objective_;
    const std::function<bool()> &stopped_;
    std::size_t n_;
    std::uint64_t nextId_;
    int left_;
    std::vector<double> best_;
    double bestObjective_;
    std::mt19937_64 generator_;
};

} // namespace

SearchPlan PlanSearch(int runs, int dimensions)
{
    SearchPlan plan;
    const int n = dimensions;
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

void SearchUnitCube(const UnitSearchInput &input, const UnitObjective &objective,
    const std::function<bool()> &stopped)
{
    const auto n = static_cast<int>(input.start.size());
    if (n == 0 || input.runs <= 0)
        return;
    const SearchPlan plan = PlanSearch(input.runs, n);
    GlobalSearch global(input, objective, stopped);
    global.populate(plan.population);
    global.run(plan.reflections);
    if (plan.polishes == 0 || stopped())
        return;
    const std::vector<Member> starts = global.starts(static_cast<std::size_t>(plan.polishes));
    const auto count = static_cast<int>(starts.size());
    const std::uint64_t firstId = global.nextId();
    ParallelFor(starts.size(), input.threads, [&](std::size_t k, int) {
        const int runs
            = plan.polishRuns / count + (static_cast<int>(k) < plan.polishRuns % count ? 1 : 0);
        Polish(input, objective, stopped, starts[k], runs,
            firstId + k * static_cast<std::uint64_t>(plan.polishRuns))
            .run();
    });
}

} // namespace carexa
