#pragma once

// An ensemble: parameter sets with weights, the runs a conditioned band or a probability of
// meeting the permit rests on, and the bands of its runs.

#include "analysis/parameter_space.h"
#include "analysis/run_many.h"
#include "analysis/uncertainty.h"
#include "model/model_parameters.h"
#include "simulation/simulation_run.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace carexa {

/// The most memory the series values an ensemble analysis keeps may take. Values are kept as
/// doubles where all of them fit, else as floats (4 bytes for every run, day and series kept at
/// once): 500 runs of 36,500 days keep 73 MB a series, so up to six series at a time, and the
/// bands of the eleven are made in passes.
inline constexpr std::size_t kEnsembleStoreLimitBytes = std::size_t {448} << 20;

/// Values of runs kept for percentiles: as doubles, or as floats where doubles would pass the
/// limit (the choice is made once, for all of them).
class ValueStore
{
public:
    ValueStore() = default;
    /// `count` values of 0, as floats when `count` doubles would take more than `limitBytes`.
    ValueStore(std::size_t count, std::size_t limitBytes);

    bool narrow() const { return narrow_; }
    void set(std::size_t index, double value)
    {
        if (narrow_)
            floats_[index] = static_cast<float>(value);
        else
            doubles_[index] = value;
    }
    double get(std::size_t index) const
    {
        return narrow_ ? static_cast<double>(floats_[index]) : doubles_[index];
    }

private:
    bool narrow_ = false;
    std::vector<double> doubles_;
    std::vector<float> floats_;
};

/// Parameter sets with their weights, in run order. The weights are above 0 and add up to 1.
struct Ensemble
{
    std::vector<ModelParameters> parameters;
    std::vector<double> weights;
    /// Conditioned on measurements (the behavioural runs of RunConditioning, weighted by their
    /// likelihood), or a plain Latin hypercube of equal weights.
    bool conditioned = false;

    std::size_t size() const { return parameters.size(); }
    friend bool operator==(const Ensemble &, const Ensemble &) = default;
};

/// A plain ensemble: the `samples` points of LatinHypercube(samples, seed), the varied
/// parameters at ValueAt(range, design value) and the others as `run` has them, equal weights.
Ensemble PlainEnsemble(const RunInput &run,
    const std::array<ParameterRange, kParameterCount> &ranges,
    const std::array<bool, kParameterCount> &varied, int samples, std::uint64_t seed);

/// The bytes a store of `runs` runs x `days` days x `series` series of floats takes.
std::size_t StoreBytes(std::size_t runs, std::size_t days, std::size_t series);

/// Refuses (Error, naming the limit in MB) an ensemble of `runs` runs over `days` days whose one
/// series alone would pass `limitBytes` as floats; `what` names the analysis in the message.
void CheckEnsembleStore(std::size_t runs, std::size_t days, const std::string &what,
    std::size_t limitBytes = kEnsembleStoreLimitBytes);

/// The 2.5th, 50th and 97.5th weighted percentiles (WeightedPercentile) of every series and day
/// over the runs of `ensemble`, simulated again with `run`'s other inputs on `threads` workers
/// (0: every core). The series are kept in a ValueStore, all at once where they fit in
/// `limitBytes`, else as many at a time as fit as floats (the runs are repeated for each further
/// pass); with equal weights and doubles the bands are RunUncertainty's. The fit fields are left
/// empty; runs that stop on non-finite values are left out and counted. The result depends on the
/// ensemble only, never on the number of threads. Refuses (Error) what CheckEnsembleStore refuses
/// and an ensemble in which every run stops; a stop by `progress` gives a cancelled result.
UncertaintyResult EnsembleBands(const RunInput &run, const Ensemble &ensemble, int threads,
    const AnalysisProgress &progress = {}, std::size_t limitBytes = kEnsembleStoreLimitBytes);

} // namespace carexa
