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
};

// `fails` marks points where a trial fails (a run that stopped): it costs a run and gives the
// failed objective.
Outcome Search(const TestFunction &function, int runs, std::uint64_t seed, int threads = 1,
    bool (*fails)(const std::vector<double> &unit) = nullptr)
{
    const std::size_t n = function.box.size();
    UnitSearchInput input;
    input.start.assign(n, 0.5);
    input.startObjective = function.f(OnBox(function, input.start));
    input.runs = runs;
    input.seed = seed;
    input.threads = threads;

    std::mutex mutex;
    TrialLedger ledger;
    Outcome outcome;
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
