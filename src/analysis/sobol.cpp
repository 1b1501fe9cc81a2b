#include "analysis/sobol.h"

#include "analysis/random.h"
#include "analysis/sensitivity.h"
#include "analysis/thread_pool.h"
#include "analysis/uncertainty.h"
#include "model/error.h"

#include <boost/random/sobol.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace carexa {

namespace {

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

// The indices of every parameter on one quantity, from the rows `rows` (with repeats).
struct Estimate
{
    std::vector<double> s1;
    std::vector<double> st;
};

Estimate Estimated(const SobolOutputs &f, const std::vector<std::size_t> &rows)
{
    const std::size_t k = f.ab.size();
    const auto n = static_cast<double>(rows.size());
    // The mean as the first value and the mean deviation from it: outputs that are all the same
    // give that value exactly, and so V = 0.
    const double first = f.a[rows.front()];
    double deviation = 0;
    for (std::size_t j : rows)
        deviation += (f.a[j] - first) + (f.b[j] - first);
    const double mean = first + deviation / (2 * n);
    double squares = 0;
    for (std::size_t j : rows)
        squares += (f.a[j] - mean) * (f.a[j] - mean) + (f.b[j] - mean) * (f.b[j] - mean);
    const double variance = squares / (2 * n - 1);
    Estimate estimate {std::vector<double>(k, kUndefined), std::vector<double>(k, kUndefined)};
    if (!(variance > 0))
        return estimate;
    for (std::size_t i = 0; i < k; ++i) {
        double firstOrder = 0;
        double total = 0;
        for (std::size_t j : rows) {
            const double change = f.ab[i][j] - f.a[j];
            firstOrder += (f.b[j] - mean) * change;
            total += change * change;
        }
        estimate.s1[i] = firstOrder / n / variance;
        estimate.st[i] = total / (2 * n) / variance;
    }
    return estimate;
}

// The 2.5th and 97.5th percentiles of the values that are numbers.
std::pair<double, double> Interval(std::vector<double> values)
{
    values.erase(
        std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }),
        values.end());
    if (values.empty())
        return {kUndefined, kUndefined};
    std::sort(values.begin(), values.end());
    return {Percentile(values, 0.025), Percentile(values, 0.975)};
}

bool PowerOfTwo(int n)
{
    return n > 0 && std::has_single_bit(static_cast<unsigned>(n));
}

} // namespace

std::vector<double> SobolDesign::point(std::size_t matrix, std::size_t row) const
{
    std::vector<double> unit(a.begin() + static_cast<std::ptrdiff_t>(row * k),
        a.begin() + static_cast<std::ptrdiff_t>(row * k + k));
    if (matrix == 1)
        std::copy(b.begin() + static_cast<std::ptrdiff_t>(row * k),
            b.begin() + static_cast<std::ptrdiff_t>(row * k + k), unit.begin());
    else if (matrix >= 2)
        unit[matrix - 2] = b[row * k + matrix - 2];
    return unit;
}

SobolDesign MakeSobolDesign(std::size_t n, std::size_t k)
{
    SobolDesign design {n, k, std::vector<double>(n * k), std::vector<double>(n * k)};
    if (k == 0)
        return design;
    // Boost's engine gives the coordinates point by point; its first point is the sequence's
    // second, (1/2, ..., 1/2): the all-zero point is not among them.
    boost::random::sobol sequence(2 * k);
    for (std::size_t j = 0; j < n; ++j) {
        for (std::size_t d = 0; d < 2 * k; ++d) {
            const double unit = std::ldexp(static_cast<double>(sequence()), -64);
            (d < k ? design.a[j * k + d] : design.b[j * k + d - k]) = unit;
        }
    }
    return design;
}

std::vector<std::vector<SobolIndex>> SobolIndices(
    const std::vector<SobolOutputs> &outputs, int resamples, std::uint64_t seed, int threads)
{
    const std::size_t quantities = outputs.size();
    const std::size_t k = quantities > 0 ? outputs.front().ab.size() : 0;
    const std::size_t n = quantities > 0 ? outputs.front().a.size() : 0;
    std::vector<std::size_t> all(n);
    for (std::size_t j = 0; j < n; ++j)
        all[j] = j;
    std::vector<std::vector<SobolIndex>> indices(k, std::vector<SobolIndex>(quantities));
    for (std::size_t q = 0; q < quantities; ++q) {
        const Estimate estimate = Estimated(outputs[q], all);
        for (std::size_t i = 0; i < k; ++i) {
            indices[i][q].s1 = estimate.s1[i];
            indices[i][q].st = estimate.st[i];
        }
    }
    if (n == 0)
        return indices;

    // drawn[(r * quantities + q) * k + i] of each resample r.
    const auto count = static_cast<std::size_t>(std::max(resamples, 0));
    std::vector<double> drawnS1(count * quantities * k), drawnSt(count * quantities * k);
    ParallelFor(count, std::max(threads, 1), [&](std::size_t r, int) {
        std::mt19937_64 generator = TaskGenerator(seed, r);
        std::vector<std::size_t> rows(n);
        for (std::size_t &row : rows)
            row = std::min(
                n - 1, static_cast<std::size_t>(UnitDraw(generator) * static_cast<double>(n)));
        for (std::size_t q = 0; q < quantities; ++q) {
            const Estimate estimate = Estimated(outputs[q], rows);
            for (std::size_t i = 0; i < k; ++i) {
                drawnS1[(r * quantities + q) * k + i] = estimate.s1[i];
                drawnSt[(r * quantities + q) * k + i] = estimate.st[i];
            }
        }
    });
    std::vector<double> s1(count), st(count);
    for (std::size_t q = 0; q < quantities; ++q) {
        for (std::size_t i = 0; i < k; ++i) {
            SobolIndex &index = indices[i][q];
            if (std::isnan(index.s1)) {
                index = {kUndefined, kUndefined, kUndefined, kUndefined, kUndefined, kUndefined};
                continue;
            }
            for (std::size_t r = 0; r < count; ++r) {
                s1[r] = drawnS1[(r * quantities + q) * k + i];
                st[r] = drawnSt[(r * quantities + q) * k + i];
            }
            std::tie(index.s1Low, index.s1High) = Interval(s1);
            std::tie(index.stLow, index.stHigh) = Interval(st);
        }
    }
    return indices;
}

void CheckSobolInput(const SobolInput &input)
{
    const SobolOptions &o = input.options;
    if (!PowerOfTwo(o.baseSamples) || o.baseSamples < kMinSobolSamples
        || o.baseSamples > kMaxSobolSamples)
        throw Error("The base sample must be a power of two from "
            + std::to_string(kMinSobolSamples) + " to " + std::to_string(kMaxSobolSamples) + ".");
    if (o.resamples < kMinResamples || o.resamples > kMaxResamples)
        throw Error("The number of bootstrap resamples must be from "
            + std::to_string(kMinResamples) + " to " + std::to_string(kMaxResamples) + ".");
    if (o.threads < 0)
        throw Error("The number of threads cannot be negative.");
    if (std::none_of(input.varied.begin(), input.varied.end(), [](bool v) { return v; }))
        throw Error("Choose at least one parameter to vary.");
    CheckRanges(input.ranges, input.run.climate);
    CheckRunInput(input.run);
}

SobolResult RunSobol(const SobolInput &input, const AnalysisProgress &progress)
{
    CheckSobolInput(input);
    SobolResult result;
    for (std::size_t j = 0; j < kParameterCount; ++j) {
        if (input.varied[j])
            result.parameters.push_back(static_cast<Parameter>(j));
    }
    const std::size_t k = result.parameters.size();
    const auto n = static_cast<std::size_t>(input.options.baseSamples);
    const SobolDesign design = MakeSobolDesign(n, k);
    const std::size_t matrices = k + 2;
    const std::size_t runs = n * matrices; // run j * (k + 2) + m: row j of matrix m

    std::vector<std::array<double, kSeriesCount>> means(runs);
    std::vector<char> failed(runs, 0);
    std::vector<std::string> messages(runs);
    const auto parametersOf = [&](std::size_t index) {
        const std::vector<double> unit = design.point(index % matrices, index / matrices);
        ModelParameters parameters = input.run.parameters;
        for (std::size_t i = 0; i < k; ++i) {
            const auto p = result.parameters[i];
            parameters.set(p, ValueAt(input.ranges[static_cast<std::size_t>(p)], unit[i]));
        }
        return parameters;
    };
    const auto keep = [&](std::size_t index, const SeriesRun &run) {
        if (!run.completed) {
            failed[index] = 1;
            messages[index] = run.message;
            return;
        }
        means[index] = SeriesMeans(run.series);
    };
    const ManyRunsOutcome done
        = RunMany(runs, input.options.threads, input.run, parametersOf, keep, progress);
    result.baseSamples = static_cast<int>(n);
    result.runs = done.done;
    if (done.cancelled) {
        SobolResult cancelled;
        cancelled.cancelled = true;
        cancelled.runs = done.done;
        return cancelled;
    }

    // A row with a run that stopped is left out of every matrix.
    std::vector<std::size_t> rows;
    for (std::size_t j = 0; j < n; ++j) {
        bool usable = true;
        for (std::size_t m = 0; m < matrices; ++m) {
            if (failed[j * matrices + m]) {
                usable = false;
                if (result.failure.empty())
                    result.failure = messages[j * matrices + m];
            }
        }
        if (usable)
            rows.push_back(j);
    }
    result.rowsUsed = static_cast<int>(rows.size());
    result.rowsFailed = static_cast<int>(n - rows.size());
    if (rows.empty())
        throw Error("Every one of the " + std::to_string(n)
            + " rows had a run that stopped on non-finite values, so there are no indices. The "
              "first: "
            + result.failure);

    std::vector<SobolOutputs> outputs(kSeriesCount);
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        SobolOutputs &f = outputs[c];
        f.ab.assign(k, {});
        for (std::size_t j : rows) {
            f.a.push_back(means[j * matrices][c]);
            f.b.push_back(means[j * matrices + 1][c]);
            for (std::size_t i = 0; i < k; ++i)
                f.ab[i].push_back(means[j * matrices + 2 + i][c]);
        }
    }
    const auto indices = SobolIndices(outputs, input.options.resamples, input.options.seed,
        AnalysisThreads(input.options.threads));
    result.indices.assign(k, {});
    for (std::size_t i = 0; i < k; ++i) {
        for (std::size_t c = 0; c < kSeriesCount; ++c)
            result.indices[i][c] = indices[i][c];
    }
    return result;
}

std::string SobolCsv(const SobolResult &result)
{
    std::string text = "parameter,series,s1,s1_lo,s1_hi,st,st_lo,st_hi\n";
    for (std::size_t i = 0; i < result.parameters.size(); ++i) {
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            const SobolIndex &index = result.indices[i][c];
            text += ParameterName(result.parameters[i]);
            text += ',';
            text += kSeriesHeadings[c];
            for (double value :
                {index.s1, index.s1Low, index.s1High, index.st, index.stLow, index.stHigh}) {
                text += ',';
                if (std::isfinite(value))
                    AppendCsvNumber(text, value);
                else
                    text += "n/a";
            }
            text += '\n';
        }
    }
    return text;
}

} // namespace carexa
