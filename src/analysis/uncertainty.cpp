#include "analysis/uncertainty.h"

#include "analysis/sampling.h"
#include "analysis/thread_pool.h"
#include "model/error.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace carexa {

namespace {

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<double, 3> kBandFractions {0.025, 0.5, 0.975};
constexpr std::array<std::string_view, 3> kBandNames {" p2.5", " p50", " p97.5"};
// Days per task when the percentiles are worked out on the workers.
constexpr std::size_t kDaysPerTask = 256;

std::size_t StoreBytes(std::size_t samples, std::size_t days)
{
    return samples * days * kSeriesCount * sizeof(double);
}

} // namespace

std::vector<std::array<double, kParameterCount>> LatinHypercube(int samples, std::uint64_t seed)
{
    const auto points = static_cast<std::size_t>(std::max(samples, 0));
    const std::vector<std::vector<double>> sample = LatinHypercube(points, kParameterCount, seed);
    std::vector<std::array<double, kParameterCount>> design(points);
    for (std::size_t i = 0; i < points; ++i)
        std::copy(sample[i].begin(), sample[i].end(), design[i].begin());
    return design;
}

double Percentile(std::span<const double> sorted, double fraction)
{
    const double h = static_cast<double>(sorted.size() - 1) * fraction;
    const double below = std::floor(h);
    const auto lo = static_cast<std::size_t>(below);
    const std::size_t hi = std::min(lo + 1, sorted.size() - 1);
    return sorted[lo] + (h - below) * (sorted[hi] - sorted[lo]);
}

BandFit FitOfBand(const PredictionBand &band, const std::vector<Observation> &observed)
{
    BandFit fit;
    const auto days = static_cast<int>(band.lower.size());
    int inside = 0;
    double width = 0, sum = 0;
    std::vector<double> values;
    for (const Observation &o : observed) {
        if (o.day < 1 || o.day > days)
            continue;
        const auto d = static_cast<std::size_t>(o.day - 1);
        ++fit.observed;
        if (o.value >= band.lower[d] && o.value <= band.upper[d])
            ++inside;
        width += band.upper[d] - band.lower[d];
        sum += o.value;
        values.push_back(o.value);
    }
    if (fit.observed == 0)
        return {0, kUndefined, kUndefined};
    const auto n = static_cast<double>(fit.observed);
    fit.pFactor = inside / n;
    double squares = 0;
    const double mean = sum / n;
    for (double v : values)
        squares += (v - mean) * (v - mean);
    const double deviation = fit.observed < 2 ? 0 : std::sqrt(squares / (n - 1));
    fit.rFactor = deviation > 0 ? (width / n) / deviation : kUndefined;
    return fit;
}

void CheckUncertaintyInput(const UncertaintyInput &input)
{
    const UncertaintyOptions &o = input.options;
    if (o.samples < kMinSamples || o.samples > kMaxSamples)
        throw Error("The number of samples must be from " + std::to_string(kMinSamples) + " to "
            + std::to_string(kMaxSamples) + ".");
    if (o.threads < 0)
        throw Error("The number of threads cannot be negative.");
    if (std::none_of(input.varied.begin(), input.varied.end(), [](bool v) { return v; }))
        throw Error("Choose at least one parameter to vary.");
    CheckRanges(input.ranges, input.run.climate);
    const std::size_t bytes
        = StoreBytes(static_cast<std::size_t>(o.samples), input.run.days.size());
    if (bytes > kSampleStoreLimitBytes)
        throw Error("The bands of " + std::to_string(o.samples) + " samples over "
            + std::to_string(input.run.days.size()) + " days would keep "
            + std::to_string(bytes >> 20) + " MB of results, more than the "
            + std::to_string(kSampleStoreLimitBytes >> 20) + " MB allowed; use fewer samples.");
}

UncertaintyResult RunUncertainty(const UncertaintyInput &input, const AnalysisProgress &progress)
{
    CheckUncertaintyInput(input);
    CheckRunInput(input.run);
    const auto samples = static_cast<std::size_t>(input.options.samples);
    const std::size_t days = input.run.days.size();
    const auto design = LatinHypercube(input.options.samples, input.options.seed);

    // Every sample's series, laid out so that one day's values of one series lie side by side:
    // values[(series * days + day) * samples + sample].
    std::vector<double> values(samples * days * kSeriesCount);
    std::vector<char> failed(samples, 0);
    std::vector<std::string> messages(samples);

    const auto parametersOf = [&](std::size_t sample) {
        ModelParameters parameters = input.run.parameters;
        for (std::size_t j = 0; j < kParameterCount; ++j) {
            if (input.varied[j])
                parameters.set(
                    static_cast<Parameter>(j), ValueAt(input.ranges[j], design[sample][j]));
        }
        return parameters;
    };
    const auto keep = [&](std::size_t sample, const SeriesRun &result) {
        if (!result.completed) {
            failed[sample] = 1;
            messages[sample] = result.message;
            return;
        }
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            const std::vector<double> &series = result.series[c];
            for (std::size_t d = 0; d < days; ++d)
                values[(c * days + d) * samples + sample] = series[d];
        }
    };
    const ManyRunsOutcome done
        = RunMany(samples, input.options.threads, input.run, parametersOf, keep, progress);

    UncertaintyResult result;
    result.days = static_cast<int>(days);
    if (done.cancelled) {
        result.cancelled = true;
        return result;
    }
    std::vector<std::size_t> used;
    for (std::size_t i = 0; i < samples; ++i) {
        if (!failed[i])
            used.push_back(i);
        else if (result.failure.empty())
            result.failure = messages[i];
    }
    result.runsUsed = static_cast<int>(used.size());
    result.runsFailed = static_cast<int>(samples - used.size());
    if (used.empty())
        throw Error("Every one of the " + std::to_string(samples)
            + " runs stopped on non-finite values, so there is no band. The first: "
            + result.failure);

    for (PredictionBand &band : result.bands) {
        band.lower.resize(days);
        band.median.resize(days);
        band.upper.resize(days);
    }
    const std::size_t tasks = (days + kDaysPerTask - 1) / kDaysPerTask;
    ParallelFor(tasks, AnalysisThreads(input.options.threads), [&](std::size_t task, int) {
        std::vector<double> sorted(used.size());
        const std::size_t first = task * kDaysPerTask;
        const std::size_t last = std::min(days, first + kDaysPerTask);
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            PredictionBand &band = result.bands[c];
            for (std::size_t d = first; d < last; ++d) {
                const double *day = &values[(c * days + d) * samples];
                for (std::size_t k = 0; k < used.size(); ++k)
                    sorted[k] = day[used[k]];
                std::sort(sorted.begin(), sorted.end());
                band.lower[d] = Percentile(sorted, kBandFractions[0]);
                band.median[d] = Percentile(sorted, kBandFractions[1]);
                band.upper[d] = Percentile(sorted, kBandFractions[2]);
            }
        }
    });
    for (std::size_t c = 0; c < kSeriesCount; ++c)
        result.fit[c] = FitOfBand(result.bands[c], input.observed[c]);
    return result;
}

std::string BandsCsv(const UncertaintyResult &result)
{
    std::string text(kDayHeading);
    for (std::string_view heading : kSeriesHeadings) {
        for (std::string_view name : kBandNames) {
            text += ',';
            text += heading;
            text += name;
        }
    }
    text += '\n';
    text.reserve(text.size() + static_cast<std::size_t>(result.days) * kSeriesCount * 3 * 20);
    for (int d = 0; d < result.days; ++d) {
        const auto day = static_cast<std::size_t>(d);
        AppendCsvNumber(text, d + 1);
        for (const PredictionBand &band : result.bands) {
            for (const std::vector<double> *values : {&band.lower, &band.median, &band.upper}) {
                text += ',';
                AppendCsvNumber(text, (*values)[day]);
            }
        }
        text += '\n';
    }
    return text;
}

std::string UncertaintyReportCsv(const UncertaintyResult &result)
{
    std::string text = "series,n_observed,p_factor,r_factor,runs_used,runs_failed\n";
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        const BandFit &fit = result.fit[c];
        text += kSeriesHeadings[c];
        text += ',';
        AppendCsvNumber(text, fit.observed);
        text += ',';
        AppendCsvNumber(text, fit.pFactor);
        text += ',';
        AppendCsvNumber(text, fit.rFactor);
        text += ',';
        AppendCsvNumber(text, result.runsUsed);
        text += ',';
        AppendCsvNumber(text, result.runsFailed);
        text += '\n';
    }
    return text;
}

} // namespace carexa
