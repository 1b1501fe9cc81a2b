#include "analysis/ensemble.h"

#include "analysis/thread_pool.h"
#include "analysis/weighted_percentile.h"
#include "model/error.h"

#include <algorithm>
#include <array>

namespace carexa {

namespace {

constexpr std::array<double, 3> kBandFractions {0.025, 0.5, 0.975};
// Days per task when the percentiles are worked out on the workers.
constexpr std::size_t kDaysPerTask = 256;

} // namespace

Ensemble PlainEnsemble(const RunInput &run,
    const std::array<ParameterRange, kParameterCount> &ranges,
    const std::array<bool, kParameterCount> &varied, int samples, std::uint64_t seed)
{
    Ensemble ensemble;
    for (const auto &point : LatinHypercube(samples, seed)) {
        ModelParameters parameters = run.parameters;
        for (std::size_t j = 0; j < kParameterCount; ++j) {
            if (varied[j])
                parameters.set(static_cast<Parameter>(j), ValueAt(ranges[j], point[j]));
        }
        ensemble.parameters.push_back(parameters);
    }
    ensemble.weights.assign(ensemble.parameters.size(),
        ensemble.parameters.empty() ? 0.0 : 1.0 / static_cast<double>(ensemble.parameters.size()));
    return ensemble;
}

ValueStore::ValueStore(std::size_t count, std::size_t limitBytes)
    : narrow_(count > limitBytes / sizeof(double))
{
    if (narrow_)
        floats_.assign(count, 0.0f);
    else
        doubles_.assign(count, 0.0);
}

std::size_t StoreBytes(std::size_t runs, std::size_t days, std::size_t series)
{
    return runs * days * series * sizeof(float);
}

void CheckEnsembleStore(
    std::size_t runs, std::size_t days, const std::string &what, std::size_t limitBytes)
{
    const std::size_t bytes = StoreBytes(runs, days, 1);
    if (bytes > limitBytes)
        throw Error(what + " of " + std::to_string(runs) + " runs over " + std::to_string(days)
            + " days would keep " + std::to_string(bytes >> 20)
            + " MB for one series, more than the " + std::to_string(limitBytes >> 20)
            + " MB allowed; use fewer runs or a shorter simulation.");
}

UncertaintyResult EnsembleBands(const RunInput &run, const Ensemble &ensemble, int threads,
    const AnalysisProgress &progress, std::size_t limitBytes)
{
    const std::size_t runs = ensemble.size();
    const std::size_t days = run.days.size();
    CheckEnsembleStore(runs, days, "The bands", limitBytes);
    CheckRunInput(run);
    const std::size_t perSeries = std::max<std::size_t>(runs * days, 1);
    const bool allAtOnce = perSeries * kSeriesCount <= limitBytes / sizeof(double);
    const std::size_t perPass = allAtOnce
        ? kSeriesCount
        : std::min<std::size_t>(kSeriesCount, limitBytes / (perSeries * sizeof(float)));
    const std::size_t passes = (kSeriesCount + perPass - 1) / perPass;
    const auto total = static_cast<int>(runs * passes);

    UncertaintyResult result;
    result.days = static_cast<int>(days);
    for (PredictionBand &band : result.bands) {
        band.lower.resize(days);
        band.median.resize(days);
        band.upper.resize(days);
    }
    std::vector<char> failed(runs, 0);
    std::vector<std::string> messages(runs);
    // values[(kept series * days + day) * runs + run], one pass's series at a time.
    ValueStore values;
    for (std::size_t pass = 0; pass < passes; ++pass) {
        const std::size_t first = pass * perPass;
        const std::size_t count = std::min(perPass, kSeriesCount - first);
        values = ValueStore(); // the last pass's values go before this pass's come
        values = ValueStore(runs * days * count, limitBytes);
        const auto parametersOf = [&](std::size_t index) { return ensemble.parameters[index]; };
        const auto keep = [&](std::size_t index, const SeriesRun &simulated) {
            if (!simulated.completed) {
                failed[index] = 1;
                messages[index] = simulated.message;
                return;
            }
            for (std::size_t s = 0; s < count; ++s) {
                const std::vector<double> &series = simulated.series[first + s];
                for (std::size_t d = 0; d < days; ++d)
                    values.set((s * days + d) * runs + index, series[d]);
            }
        };
        const int before = static_cast<int>(runs * pass);
        const AnalysisProgress told = progress
            ? AnalysisProgress([&](int done, int) { return progress(before + done, total); })
            : AnalysisProgress();
        if (RunMany(runs, threads, run, parametersOf, keep, told).cancelled) {
            UncertaintyResult cancelled;
            cancelled.days = static_cast<int>(days);
            cancelled.cancelled = true;
            return cancelled;
        }
        std::vector<std::size_t> used;
        for (std::size_t i = 0; i < runs; ++i) {
            if (!failed[i])
                used.push_back(i);
        }
        if (used.empty()) {
            throw Error("Every one of the " + std::to_string(runs)
                + " runs stopped on non-finite values, so there is no band. The first: "
                + messages.front());
        }
        const std::size_t tasks = (days + kDaysPerTask - 1) / kDaysPerTask;
        ParallelFor(tasks, AnalysisThreads(threads), [&](std::size_t task, int) {
            std::vector<WeightedValue> day(used.size());
            const std::size_t from = task * kDaysPerTask;
            const std::size_t to = std::min(days, from + kDaysPerTask);
            for (std::size_t s = 0; s < count; ++s) {
                PredictionBand &band = result.bands[first + s];
                for (std::size_t d = from; d < to; ++d) {
                    const std::size_t at = (s * days + d) * runs;
                    for (std::size_t k = 0; k < used.size(); ++k)
                        day[k] = {values.get(at + used[k]), ensemble.weights[used[k]]};
                    const std::vector<double> p = WeightedPercentiles(day, kBandFractions);
                    band.lower[d] = p[0];
                    band.median[d] = p[1];
                    band.upper[d] = p[2];
                }
            }
        });
        result.runsUsed = static_cast<int>(used.size());
        result.runsFailed = static_cast<int>(runs - used.size());
        for (std::size_t i = 0; i < runs && result.failure.empty(); ++i) {
            if (failed[i])
                result.failure = messages[i];
        }
    }
    return result;
}

} // namespace carexa
