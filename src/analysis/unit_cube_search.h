#pragma once

// The search strategy of a calibration, on any objective over the unit cube: a global controlled
// random search, then local polishes. It knows nothing of the model, so it can be tried on test
// functions with known minima.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace carexa {

/// How the runs allowed are shared between the global search and the polishes.
struct SearchPlan
{
    int population = 0; ///< including the start point, which costs no new run
    int reflections = 0; ///< trials of the global search after the population
    int polishes = 0;
    int polishRuns = 0; ///< runs of all polishes together

    friend bool operator==(const SearchPlan &, const SearchPlan &) = default;
};

/// The plan for `runs` trials in `dimensions` dimensions (both >= 1). Most runs (85 %) go to up
/// to 4 polishes, each of which needs room for BOBYQA's first model (2n + 1 points) and a little
/// more (2n + 6 runs); otherwise the runs go to the global search. Its population is Price's
/// 10 (n + 1), or a third of its runs (plus the start) when that is smaller; a population too
/// small to reflect (fewer than n + 2 members) takes all of the global runs.
SearchPlan PlanSearch(int runs, int dimensions);

/// One trial: the objective at `unit` (smaller is better; a failed trial gives a large value),
/// or nothing when the search has been stopped. `id` numbers the trials of a search, each once,
/// the same on any number of threads, so that equal objectives can be ordered.
using UnitObjective
    = std::function<std::optional<double>(const std::vector<double> &unit, std::uint64_t id)>;

/// The step of the search a trial belongs to.
enum class SearchStep : std::uint8_t {
    Population, ///< a point of the Latin hypercube population
    Reflection, ///< a reflection through the centroid of a random simplex with the best member
    Mutation, ///< a local mutation of a reflection that did not enter the population
    AxisScan, ///< a polish's look along one axis through its best point
    Bobyqa, ///< a trial of a polish's BOBYQA
};

/// Where a search starts and what it may spend.
struct UnitSearchInput
{
    std::vector<double> start; ///< a point of [0, 1]^n, n >= 1: a member of the population
    double startObjective = 0; ///< its objective, known already (its id is 0)
    int runs = 0; ///< trials the search may make
    std::uint64_t seed = 1;
    int threads = 1; ///< changes only how fast: the trials are the same for any number
    /// Told the id and step of every trial before it is made, from the thread that makes it
    /// (for progress and for a look at what the search does); may be empty.
    std::function<void(std::uint64_t id, SearchStep step)> observe;
};

/// Minimises an objective over the unit cube within `runs` trials (never more):
/// 1. a population of PlanSearch's size, the start and a Latin hypercube (of the seed's own
///    stream), and controlled random search with local mutation on it (Price 1983, CRS2; Kaelo
///    and Ali 2006), in batches of 16 trials side by side: a trial better than the worst member
///    replaces it, and a reflection that is not is followed by a local mutation towards the best
///    member in the next batch;
/// 2. up to four polishes side by side from the best members that lie apart: each looks along
///    every axis through its point for a better value beyond the reach of a local method, then
///    runs BOBYQA (Powell 2009, through NLopt), and while runs are left looks and polishes again.
/// Every random number comes from a generator of the seed and the batch or polish, drawn on the
/// thread that plans the trials, so the trials, their ids and their order of merging depend on
/// the seed alone. `stopped` is asked between trials; once it says true no trial starts. The
/// best is what the caller keeps of the trials' objectives (see TrialLedger).
void SearchUnitCube(const UnitSearchInput &input, const UnitObjective &objective,
    const std::function<bool()> &stopped);

} // namespace carexa
