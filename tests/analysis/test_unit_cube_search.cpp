// The calibration's search strategy on standard global-optimisation test functions with known
// minima, at fixed budgets and seeds: budgets at which the search finds every minimum to a tight
// tolerance, so that a weaker search (a smaller population, a wrong tie rule, another local step,
// a global phase that stops early, trials that go uncounted) fails here.

#include "analysis/sampling.h"
#include "analysis/trial_ledger.h"
#include "analysis/unit_cube_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <numbers>
#include <set>
#include <string>

using namespace carexa;

namespace {

constexpr double kFailed = 1e12;

// A test function on a box, minimised over the unit cube mapped linearly onto the box.
struct TestFunction
{
    std::string name;
    std::vector<std::pair<double, double>> box;
    double minimum; ///< the known global minimum
    double (*f)(const std::vector<double> &x);
};

double Branin(const std::vector<double> &x)
{
    const double pi = std::numbers::pi;
    const double b = 5.1 / (4 * pi * pi), c = 5 / pi, t = 1 / (8 * pi);
    const double y = x[1] - b * x[0] * x[0] + c * x[0] - 6;
    return y * y + 10 * (1 - t) * std::cos(x[0]) + 10;
}

double SixHumpCamel(const std::vector<double> &x)
{
    const double a = x[0] * x[0], b = x[1] * x[1];
    return (4 - 2.1 * a + a * a / 3) * a + x[0] * x[1] + (-4 + 4 * b) * b;
}

double Hartmann6(const std::vector<double> &x)
{
    static constexpr std::array<double, 4> alpha {1.0, 1.2, 3.0, 3.2};
    static constexpr double A[4][6] = {{10, 3, 17, 3.5, 1.7, 8}, {0.05, 10, 17, 0.1, 8, 14},
        {3, 3.5, 1.7, 10, 17, 8}, {17, 8, 0.05, 10, 0.1, 14}};
    static constexpr double P[4][6] = {{0.1312, 0.1696, 0.5569, 0.0124, 0.8283, 0.5886},
        {0.2329, 0.4135, 0.8307, 0.3736, 0.1004, 0.9991},
        {0.2348, 0.1451, 0.3522, 0.2883, 0.3047, 0.6650},
        {0.4047, 0.8828, 0.8732, 0.5743, 0.1091, 0.0381}};
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        double inner = 0;
        for (int j = 0; j < 6; ++j)
            inner += A[i][j] * (x[j] - P[i][j]) * (x[j] - P[i][j]);
        sum += alpha[i] * std::exp(-inner);
    }
    return -sum;
}

double Rosenbrock(const std::vector<double> &x)
{
    double sum = 0;
    for (std::size_t i = 0; i + 1 < x.size(); ++i)
        sum += 100 * std::pow(x[i + 1] - x[i] * x[i], 2) + std::pow(1 - x[i], 2);
    return sum;
}

const TestFunction kBranin {"Branin", {{-5, 10}, {0, 15}}, 0.39788735772973816, Branin};
const TestFunction kCamel {"SixHumpCamel", {{-3, 3}, {-2, 2}}, -1.0316284534898774, SixHumpCamel};
const TestFunction kHartmann {"Hartmann6", std::vector<std::pair<double, double>>(6, {0, 1}),
    -3.3223680114155147, Hartmann6};
const TestFunction kRosenbrock {"Rosenbrock4", std::vector<std::pair<double, double>>(4, {-2, 2}),
    0, Rosenbrock};

std::vector<double> OnBox(const TestFunction &function, const std::vector<double> &unit)
{
    std::vector<double> x(unit.size());
    for (std::size_t i = 0; i < unit.size(); ++i) {
        const auto [low, high] = function.box[i];
        x[i] = low + unit[i] * (high - low);
    }
    return x;
}

// One search of a test function, with the bookkeeping a calibration keeps: every trial counted,
// the best by objective with ties to the lower id.
struct Outcome
{
    double best = kFailed;
    std::uint64_t bestId = 0;
    std::vector<double> bestUnit;
    int trials = 0;
    int failed = 0;
    std::map<std::uint64_t, std::vector<double>> points; ///< every trial by id
    std::map<std::uint64_t, double> objectives; ///< and its objective
    std::map<std::uint64_t, SearchStep> steps; ///< and the step it belongs to
};

// `fails` marks points where a trial fails (a run that stopped): it costs a run and gives the
// failed objective.
Outcome Search(const TestFunction &function, int runs, std::uint64_t seed, int threads = 1,
    bool (*fails)(const std::vector<double> &unit) = nullptr, double start = 0.5)
{
    const std::size_t n = function.box.size();
    UnitSearchInput input;
    input.start.assign(n, start);
    input.startObjective = function.f(OnBox(function, input.start));
    input.runs = runs;
    input.seed = seed;
    input.threads = threads;

    std::mutex mutex;
    TrialLedger ledger;
    Outcome outcome;
    input.observe = [&](std::uint64_t id, SearchStep step) {
        const std::lock_guard lock(mutex);
        EXPECT_TRUE(outcome.steps.emplace(id, step).second) << "trial id " << id << " twice";
    };
    ledger.offer(input.startObjective, false, 0);
    outcome.best = input.startObjective;
    outcome.bestUnit = input.start;
    SearchUnitCube(
        input,
        [&](const std::vector<double> &unit, std::uint64_t id) -> std::optional<double> {
            const bool failed = fails && fails(unit);
            const double value = failed ? kFailed : function.f(OnBox(function, unit));
            const std::lock_guard lock(mutex);
            EXPECT_TRUE(outcome.points.emplace(id, unit).second) << "trial id " << id << " twice";
            outcome.objectives[id] = value;
            if (ledger.record(value, failed, id)) {
                outcome.best = value;
                outcome.bestUnit = unit;
            }
            return value;
        },
        [] { return false; });
    outcome.trials = ledger.done();
    outcome.failed = ledger.failed();
    outcome.bestId = ledger.bestId();
    return outcome;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Finding the minima

struct Case
{
    const TestFunction *function;
    int runs;
    std::vector<std::uint64_t> seeds;
    double tolerance; ///< of the objective above the known minimum
};

class KnownMinimum : public testing::TestWithParam<Case>
{ };

TEST_P(KnownMinimum, IsFoundWithinTheBudget)
{
    const Case &c = GetParam();
    for (std::uint64_t seed : c.seeds) {
        const Outcome outcome = Search(*c.function, c.runs, seed);
        EXPECT_LE(outcome.trials, c.runs) << "seed " << seed;
        EXPECT_EQ(outcome.failed, 0);
        EXPECT_GE(outcome.best, c.function->minimum - 1e-9) << "seed " << seed;
        EXPECT_LE(outcome.best - c.function->minimum, c.tolerance) << "seed " << seed;
    }
}

// The budgets are a little above what the search needs at these seeds; Hartmann's function has
// a wide local minimum (-3.2032) that holds the search at some other seeds.
INSTANTIATE_TEST_SUITE_P(TestFunctions, KnownMinimum,
    testing::Values(Case {&kBranin, 150, {1, 2, 3, 4, 5, 6}, 1e-7},
        Case {&kCamel, 150, {1, 2, 3, 4, 5, 6}, 1e-8},
        Case {&kHartmann, 400, {1, 2, 3, 5}, 1e-6},
        Case {&kRosenbrock, 1200, {1, 2, 3, 4, 5, 6}, 1e-7}),
    [](const testing::TestParamInfo<Case> &info) { return info.param.function->name; });

TEST(UnitCubeSearch, TheSameSeedMakesTheSameTrialsOnAnyNumberOfThreads)
{
    for (const TestFunction *function : {&kBranin, &kHartmann}) {
        const Outcome one = Search(*function, 300, 7, 1);
        const Outcome three = Search(*function, 300, 7, 3);
        EXPECT_EQ(one.points, three.points) << function->name;
        EXPECT_EQ(one.best, three.best);
        EXPECT_EQ(one.bestId, three.bestId);
        EXPECT_NE(Search(*function, 300, 8, 1).points, one.points);
    }
}

TEST(UnitCubeSearch, StaysInTheCubeAndWithinItsRuns)
{
    for (int runs : {1, 2, 7, 30, 61, 250}) {
        const Outcome outcome = Search(kHartmann, runs, 3);
        EXPECT_LE(outcome.trials, runs);
        EXPECT_EQ(outcome.points.size(), static_cast<std::size_t>(outcome.trials));
        for (const auto &[id, unit] : outcome.points) {
            EXPECT_GE(id, 1u);
            for (double u : unit) {
                EXPECT_GE(u, 0.0);
                EXPECT_LE(u, 1.0);
            }
        }
    }
    EXPECT_EQ(Search(kBranin, 0, 1).trials, 0);
    EXPECT_EQ(Search(kBranin, -3, 1).trials, 0);
    // No dimension: nothing to search, whatever the runs.
    UnitSearchInput none;
    none.runs = 100;
    int trials = 0;
    SearchUnitCube(
        none,
        [&trials](const std::vector<double> &, std::uint64_t) -> std::optional<double> {
            ++trials;
            return 0.0;
        },
        [] { return false; });
    EXPECT_EQ(trials, 0);
}

TEST(UnitCubeSearch, WithoutPolishesTheGlobalSearchSpendsEveryRun)
{
    // Budgets too small for a polish: the population and the reflections take them all, also
    // where the population holds just the n + 2 members a reflection needs.
    for (int runs : {3, 5, 9, 11}) {
        ASSERT_EQ(PlanSearch(runs, 2).polishes, 0) << runs;
        EXPECT_EQ(Search(kCamel, runs, 5).trials, runs);
    }
    for (int runs : {17, 21}) {
        ASSERT_EQ(PlanSearch(runs, 6).polishes, 0);
        EXPECT_EQ(Search(kHartmann, runs, 5).trials, runs);
    }
}

TEST(UnitCubeSearch, ThePopulationIsALatinHypercubeOfThePlannedSize)
{
    for (const TestFunction *function : {&kBranin, &kHartmann}) {
        const std::size_t n = function->box.size();
        const int runs = 2000;
        const SearchPlan plan = PlanSearch(runs, static_cast<int>(n));
        const Outcome outcome = Search(*function, runs, 11);
        // Trials 1 .. population - 1 are the population besides the start.
        const auto members = static_cast<std::size_t>(plan.population - 1);
        for (std::size_t j = 0; j < n; ++j) {
            std::set<std::size_t> strata;
            for (std::uint64_t id = 1; id <= members; ++id)
                strata.insert(static_cast<std::size_t>(outcome.points.at(id)[j] * members));
            EXPECT_EQ(strata.size(), members) << function->name << " coordinate " << j;
        }
    }
}

TEST(UnitCubeSearch, PolishesStartFromTheBestMemberAndOthersApartFromIt)
{
    // Each polish first looks along the first axis through its start, so its first trial holds
    // the start's other coordinates; the start itself is a trial of the global search.
    for (std::uint64_t seed : {1, 2, 3}) {
        const std::size_t n = kHartmann.box.size();
        const int runs = 2000;
        const SearchPlan plan = PlanSearch(runs, static_cast<int>(n));
        ASSERT_EQ(plan.polishes, 4);
        const Outcome outcome = Search(kHartmann, runs, seed);
        const auto globalEnd = static_cast<std::uint64_t>(plan.population + plan.reflections);
        std::vector<std::vector<double>> starts;
        for (int k = 0; k < plan.polishes; ++k) {
            const std::vector<double> &first
                = outcome.points.at(globalEnd + static_cast<std::uint64_t>(k * plan.polishRuns));
            std::vector<double> start;
            for (const auto &[id, unit] : outcome.points) {
                if (id < globalEnd && std::equal(unit.begin() + 1, unit.end(), first.begin() + 1))
                    start = unit;
            }
            ASSERT_FALSE(start.empty()) << "polish " << k << " starts from no member";
            starts.push_back(start);
        }
        // The first from the best trial of the global search.
        std::uint64_t best = 1;
        for (std::uint64_t id = 1; id < globalEnd; ++id) {
            if (outcome.objectives.at(id) < outcome.objectives.at(best))
                best = id;
        }
        EXPECT_EQ(starts.front(), outcome.points.at(best)) << "seed " << seed;
        // The others at least 0.05 sqrt(n) from each other.
        for (std::size_t a = 0; a < starts.size(); ++a) {
            for (std::size_t b = a + 1; b < starts.size(); ++b) {
                double sum = 0;
                for (std::size_t j = 0; j < n; ++j)
                    sum += std::pow(starts[a][j] - starts[b][j], 2);
                EXPECT_GE(std::sqrt(sum), 0.05 * std::sqrt(static_cast<double>(n)))
                    << "seed " << seed << ", polishes " << a << " and " << b;
            }
        }
    }
}

// The trials of the steps, by id: the population first, then the global search's reflections
// and mutations, then each polish's share of the runs.
TEST(UnitCubeSearch, EveryStepMakesThePlannedTrialsInItsRangeOfIds)
{
    const std::pair<const TestFunction *, int> cases[] = {
        {&kBranin, 161}, {&kHartmann, 161}, {&kCamel, 11}, {&kHartmann, 2000}, {&kRosenbrock, 700}};
    for (const auto &[function, runs] : cases) {
        const int n = static_cast<int>(function->box.size());
        const SearchPlan plan = PlanSearch(runs, n);
        const Outcome outcome = Search(*function, runs, 4, 2, nullptr, 0.9);
        ASSERT_EQ(outcome.steps.size(), outcome.points.size());
        std::map<SearchStep, int> counts;
        const auto population = static_cast<std::uint64_t>(plan.population);
        const auto globalEnd = population + static_cast<std::uint64_t>(plan.reflections);
        for (const auto &[id, step] : outcome.steps) {
            ++counts[step];
            if (id < population)
                EXPECT_EQ(step, SearchStep::Population) << function->name << " trial " << id;
            else if (id < globalEnd)
                EXPECT_TRUE(step == SearchStep::Reflection || step == SearchStep::Mutation);
            else
                EXPECT_TRUE(step == SearchStep::AxisScan || step == SearchStep::Bobyqa);
        }
        EXPECT_EQ(counts[SearchStep::Population], plan.population - 1) << function->name;
        EXPECT_EQ(counts[SearchStep::Reflection] + counts[SearchStep::Mutation], plan.reflections)
            << function->name << " " << runs;
        if (plan.reflections > 16) {
            EXPECT_GT(counts[SearchStep::Mutation], 0) << function->name;
        }
        // Each polish within its share of the runs and its own ids.
        for (const auto &[id, step] : outcome.steps) {
            if (id < globalEnd)
                continue;
            const std::uint64_t k = (id - globalEnd) / static_cast<std::uint64_t>(plan.polishRuns);
            EXPECT_LT(k, static_cast<std::uint64_t>(plan.polishes)) << function->name;
            const auto share = static_cast<std::uint64_t>(plan.polishRuns / plan.polishes + 1);
            EXPECT_LT((id - globalEnd) % static_cast<std::uint64_t>(plan.polishRuns), share);
        }
    }
}

// A reflection that does not enter the population is followed, in the next batch of 16, by a
// local mutation (Kaelo and Ali 2006): each coordinate taken to the other side of the best member
// by a random share w (0 <= w < 1, drawn per coordinate) of its distance from the reflection.
bool MutationOf(const std::vector<double> &m, const std::vector<double> &best,
    const std::vector<double> &r)
{
    for (std::size_t j = 0; j < m.size(); ++j) {
        const double b = best[j];
        if (m[j] <= 0) {
            if (!(b == 0 || r[j] > 2 * b))
                return false;
        } else if (m[j] >= 1) {
            if (!(b == 1 || 2 * b - r[j] > 1))
                return false;
        } else if (b == r[j]) {
            if (std::fabs(m[j] - b) > 1e-12)
                return false;
        } else {
            const double w = (m[j] - b) / (b - r[j]);
            if (!(w >= -1e-12 && w < 1))
                return false;
        }
    }
    return true;
}

TEST(UnitCubeSearch, MutationsStepPastTheBestMemberAwayFromAFailedReflection)
{
    for (std::uint64_t seed : {1, 2, 3}) {
        const TestFunction &function = kHartmann;
        const int runs = 2000;
        const SearchPlan plan = PlanSearch(runs, 6);
        const std::vector<double> start(6, 0.9);
        const Outcome outcome = Search(function, runs, seed, 1, nullptr, 0.9);
        const auto population = static_cast<std::uint64_t>(plan.population);
        const auto globalEnd = population + static_cast<std::uint64_t>(plan.reflections);
        int mutations = 0;
        for (std::uint64_t batch = population; batch < globalEnd; batch += 16) {
            // The best trial so far is the best member (the start has id 0).
            std::uint64_t best = 0;
            double bestObjective = function.f(OnBox(function, start));
            for (std::uint64_t id = 1; id < batch; ++id) {
                if (outcome.objectives.at(id) < bestObjective) {
                    best = id;
                    bestObjective = outcome.objectives.at(id);
                }
            }
            const std::vector<double> &bestUnit = best == 0 ? start : outcome.points.at(best);
            // The mutations come first, in the order of the reflections they follow.
            std::uint64_t from = batch - 16;
            bool mutating = true;
            for (std::uint64_t id = batch; id < std::min(batch + 16, globalEnd); ++id) {
                if (outcome.steps.at(id) != SearchStep::Mutation) {
                    mutating = false;
                    continue;
                }
                EXPECT_TRUE(mutating) << "a mutation after a reflection in its batch";
                ASSERT_GE(batch, population + 16) << "a mutation in the first batch";
                ++mutations;
                bool found = false;
                for (; from < batch && !found; ++from) {
                    found = outcome.steps.at(from) == SearchStep::Reflection
                        && MutationOf(outcome.points.at(id), bestUnit, outcome.points.at(from));
                }
                EXPECT_TRUE(found) << "seed " << seed << ", mutation " << id;
            }
        }
        EXPECT_GT(mutations, 10) << "seed " << seed;
    }
}

// A polish looks along each axis at one point in each of `points` equal parts, then starts
// BOBYQA with points a tenth of the cube apart along the axes.
TEST(UnitCubeSearch, APolishScansEachAxisThenStepsATenthOfTheCube)
{
    const TestFunction &function = kHartmann;
    const int n = 6;
    const int runs = 2000;
    const SearchPlan plan = PlanSearch(runs, n);
    const Outcome outcome = Search(function, runs, 5, 1, nullptr, 0.9);
    const auto globalEnd = static_cast<std::uint64_t>(plan.population + plan.reflections);
    const int share = plan.polishRuns / plan.polishes;
    const int points = std::min(8, share / (4 * n));
    ASSERT_EQ(points, 8);
    for (int k = 0; k < plan.polishes; ++k) {
        const std::uint64_t first = globalEnd + static_cast<std::uint64_t>(k * plan.polishRuns);
        for (int axis = 0; axis < n; ++axis) {
            for (int p = 0; p < points; ++p) {
                const std::uint64_t id = first + static_cast<std::uint64_t>(axis * points + p);
                ASSERT_EQ(outcome.steps.at(id), SearchStep::AxisScan) << "polish " << k;
                const double u = outcome.points.at(id)[static_cast<std::size_t>(axis)];
                EXPECT_GE(u, static_cast<double>(p) / points);
                EXPECT_LT(u, static_cast<double>(p + 1) / points);
            }
        }
        // Each run of BOBYQA (after each look along the axes) starts with its first model: its
        // start, then one step along each axis either way (towards a bound nearer than a step
        // it goes twice the other way). The first step is a tenth of the cube; a run that starts
        // again from the same point steps a quarter as far as the one before.
        const std::uint64_t end = first + static_cast<std::uint64_t>(plan.polishRuns);
        // The polish's best so far: its start member's objective, then its trials'.
        double best = std::numeric_limits<double>::max();
        for (const auto &[id, unit] : outcome.points) {
            if (id < globalEnd
                && std::equal(unit.begin() + 1, unit.end(), outcome.points.at(first).begin() + 1))
                best = outcome.objectives.at(id);
        }
        double bestBeforeScan = best;
        int runsOfBobyqa = 0;
        double lastStep = 0;
        for (std::uint64_t id = first; id < end && outcome.steps.count(id); ++id) {
            const SearchStep step = outcome.steps.at(id);
            const bool scanStarts
                = step == SearchStep::AxisScan && (id == first || outcome.steps.at(id - 1) != step);
            if (scanStarts)
                bestBeforeScan = best;
            const bool bobyqaStarts
                = step == SearchStep::Bobyqa && outcome.steps.at(id - 1) == SearchStep::AxisScan;
            best = std::min(best, outcome.objectives.at(id));
            if (!bobyqaStarts)
                continue;
            if (!outcome.steps.count(id + 2 * n) || outcome.steps.at(id + 2 * n) != SearchStep::Bobyqa)
                break; // the runs ran out within its first model
            ++runsOfBobyqa;
            const bool moved = best < bestBeforeScan;
            const std::vector<double> &x0 = outcome.points.at(id);
            double offset = 0;
            for (int i = 1; i <= 2 * n; ++i) {
                const std::vector<double> &x = outcome.points.at(id + static_cast<std::uint64_t>(i));
                int axes = 0;
                for (int j = 0; j < n; ++j) {
                    const double d = std::fabs(x[static_cast<std::size_t>(j)] - x0[static_cast<std::size_t>(j)]);
                    if (d < 1e-12)
                        continue;
                    ++axes;
                    if (offset == 0 || d < offset)
                        offset = d;
                }
                EXPECT_EQ(axes, 1) << "polish " << k << ", trial " << id + i;
            }
            // The first run, and a run from a point the look along the axes moved to, step a
            // tenth of the cube; a run from the same point a quarter of the step before (a tenth
            // again below 0.0001).
            const double expected = runsOfBobyqa == 1 || moved || lastStep / 4 < 1e-4 ? 0.1 : lastStep / 4;
            EXPECT_NEAR(offset, expected, 1e-9 * expected)
                << "polish " << k << ", run " << runsOfBobyqa << (moved ? " (moved)" : "");
            lastStep = expected;
        }
        EXPECT_GE(runsOfBobyqa, 1) << "polish " << k;
    }
}

TEST(SearchPlan, SharesTheRunsBetweenTheGlobalSearchAndThePolishes)
{
    // 85 % to four polishes, the rest to a population of 10 (n + 1) and its reflections.
    EXPECT_EQ(PlanSearch(4000, 16), (SearchPlan {170, 431, 4, 3400}));
    EXPECT_EQ(PlanSearch(1200, 4), (SearchPlan {50, 131, 4, 1020}));
    // Fewer runs: a population of a third of the global runs, fewer polishes.
    EXPECT_EQ(PlanSearch(100, 2), (SearchPlan {6, 10, 4, 85}));
    EXPECT_EQ(PlanSearch(60, 6), (SearchPlan {10, 0, 2, 51}));
    EXPECT_EQ(PlanSearch(150, 2), (SearchPlan {8, 16, 4, 127}));
    // A polish needs 2n + 6 runs; a population that cannot reflect (n + 1 others) takes all.
    EXPECT_EQ(PlanSearch(20, 16), (SearchPlan {21, 0, 0, 0}));
    EXPECT_EQ(PlanSearch(29, 2), (SearchPlan {6, 0, 2, 24}));
    EXPECT_EQ(PlanSearch(161, 6), (SearchPlan {9, 17, 4, 136}));
    // A population of exactly n + 2 reflects.
    EXPECT_EQ(PlanSearch(11, 2), (SearchPlan {4, 8, 0, 0}));
    EXPECT_EQ(PlanSearch(21, 6), (SearchPlan {8, 14, 0, 0}));
}

// ---------------------------------------------------------------------------------------------
// The bookkeeping of the trials

TEST(TrialLedger, TiesGoToTheLowerIdWhateverTheOrder)
{
    TrialLedger later;
    EXPECT_TRUE(later.record(2.5, false, 7));
    EXPECT_TRUE(later.record(2.5, false, 3));
    EXPECT_FALSE(later.record(2.5, false, 5));
    EXPECT_EQ(later.bestId(), 3u);

    TrialLedger earlier;
    EXPECT_TRUE(earlier.record(2.5, false, 3));
    EXPECT_FALSE(earlier.record(2.5, false, 7));
    EXPECT_FALSE(earlier.record(2.5, false, 3)); // the same trial again is no better
    EXPECT_EQ(earlier.bestId(), 3u);
    EXPECT_EQ(earlier.bestObjective(), 2.5);

    EXPECT_TRUE(earlier.record(2.4, false, 9)); // a better objective wins whatever its id
    EXPECT_EQ(earlier.bestId(), 9u);
    EXPECT_FALSE(earlier.record(2.6, false, 1));
    EXPECT_EQ(earlier.done(), 5);
    EXPECT_EQ(earlier.failed(), 0);
}

TEST(TrialLedger, FailedTrialsAreCountedAndNeverBest)
{
    TrialLedger ledger;
    EXPECT_FALSE(ledger.found());
    EXPECT_FALSE(ledger.record(-1, true, 0)); // a failed trial, even with a low objective
    EXPECT_FALSE(ledger.found());
    EXPECT_EQ(ledger.done(), 1);
    EXPECT_EQ(ledger.failed(), 1);
    EXPECT_TRUE(ledger.record(kFailed, false, 4));
    EXPECT_TRUE(ledger.found());
    EXPECT_FALSE(ledger.record(0.5, true, 2));
    EXPECT_EQ(ledger.bestId(), 4u);
    EXPECT_EQ(ledger.done(), 3);
    EXPECT_EQ(ledger.failed(), 2);

    ledger.count(true); // a run outside the search: counted, not offered
    EXPECT_EQ(ledger.done(), 4);
    EXPECT_EQ(ledger.failed(), 3);
    EXPECT_FALSE(ledger.offer(kFailed, false, 6));
    EXPECT_EQ(ledger.done(), 4);
}

TEST(UnitCubeSearch, FailedTrialsCostARunAndTheSearchGoesOn)
{
    // Trials in the left tenth of the camel's box fail; the minima lie elsewhere.
    const auto fails = [](const std::vector<double> &unit) { return unit[0] < 0.1; };
    const Outcome outcome = Search(kCamel, 200, 2, 1, fails);
    int failing = 0;
    for (const auto &[id, unit] : outcome.points)
        failing += fails(unit);
    EXPECT_GT(failing, 0);
    EXPECT_EQ(outcome.failed, failing);
    EXPECT_EQ(outcome.trials, static_cast<int>(outcome.points.size()));
    EXPECT_GE(outcome.bestUnit[0], 0.1);
    EXPECT_LE(outcome.best - kCamel.minimum, 1e-8);
}

TEST(UnitCubeSearch, NoTrialStartsOnceStopped)
{
    UnitSearchInput input;
    input.start = {0.5, 0.5};
    input.startObjective = Branin(OnBox(kBranin, input.start));
    input.runs = 500;
    input.threads = 1;
    int trials = 0;
    SearchUnitCube(
        input,
        [&](const std::vector<double> &unit, std::uint64_t) -> std::optional<double> {
            ++trials;
            return Branin(OnBox(kBranin, unit));
        },
        [&] { return trials >= 25; });
    EXPECT_EQ(trials, 25);
}

// ---------------------------------------------------------------------------------------------
// The Latin hypercube the calibration and the uncertainty analysis share

TEST(LatinHypercube, TakesEachStratumOnceAndShufflesThemEvenly)
{
    const auto sample = LatinHypercube(10, 3, 3);
    ASSERT_EQ(sample.size(), 10u);
    for (std::size_t j = 0; j < 3; ++j) {
        std::vector<int> strata;
        for (const auto &point : sample) {
            ASSERT_EQ(point.size(), 3u);
            strata.push_back(static_cast<int>(point[j] * 10));
        }
        std::sort(strata.begin(), strata.end());
        for (int k = 0; k < 10; ++k)
            EXPECT_EQ(strata[static_cast<std::size_t>(k)], k);
    }
    // Each of 4 points lands in each of the 4 strata about equally often.
    std::array<std::array<int, 4>, 4> counts {};
    for (std::uint64_t seed = 0; seed < 4000; ++seed) {
        const auto points = LatinHypercube(4, 1, seed);
        for (std::size_t i = 0; i < 4; ++i)
            ++counts[i][static_cast<std::size_t>(points[i][0] * 4)];
    }
    for (const auto &point : counts) {
        for (int count : point)
            EXPECT_NEAR(count, 1000, 120);
    }
    // A dimension's values do not depend on how many follow it.
    const auto two = LatinHypercube(12, 2, 5);
    const auto five = LatinHypercube(12, 5, 5);
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(two[i][0], five[i][0]);
        EXPECT_EQ(two[i][1], five[i][1]);
    }
    EXPECT_TRUE(LatinHypercube(0, 3, 1).empty());
}
