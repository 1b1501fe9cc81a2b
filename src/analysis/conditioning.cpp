#include "analysis/conditioning.h"

#include "analysis/calibration.h"
#include "analysis/calibration_problem.h"
#include "analysis/random.h"
#include "analysis/weighted_percentile.h"
#include "model/error.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace carexa {

namespace {

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<double, 2> kBandEnds {0.025, 0.975};

std::string Shortest(double value)
{
    std::string text;
    AppendCsvNumber(text, value);
    return text;
}

std::string Quoted(std::string_view heading)
{
    std::string text(1, '"');
    text.append(heading);
    text += '"';
    return text;
}

bool InValidation(const ConditioningInput &input, int day)
{
    return input.options.validationFrom > 0 && day >= input.options.validationFrom;
}

// The measurements within the run's days, split by period.
struct Measurements
{
    ObservedSeries calibration;
    ObservedSeries validation;
};

Measurements SplitMeasurements(const ConditioningInput &input)
{
    Measurements split;
    const auto days = static_cast<int>(input.run.days.size());
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        for (const Observation &o : input.observed[c]) {
            if (o.day < 1 || o.day > days)
                continue;
            (InValidation(input, o.day) ? split.validation : split.calibration)[c].push_back(o);
        }
    }
    return split;
}

// A measured day of a ticked series: the runs' values there are all the iterations keep.
struct Entry
{
    std::size_t series;
    std::size_t day; // 0-based
};

std::vector<Entry> MeasuredEntries(const ConditioningInput &input, const Measurements &measured)
{
    std::vector<Entry> entries;
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        if (!input.series[c])
            continue;
        for (const ObservedSeries *period : {&measured.calibration, &measured.validation}) {
            for (const Observation &o : (*period)[c])
                entries.push_back({c, static_cast<std::size_t>(o.day - 1)});
        }
    }
    return entries;
}

std::uint64_t IterationSeed(std::uint64_t seed, int iteration)
{
    // The first iteration samples as a plain uncertainty analysis with the same seed does.
    return iteration == 0 ? seed : TaskGenerator(seed, static_cast<std::uint64_t>(iteration))();
}

// Whether iteration `a` is to be kept rather than `b`.
bool KeepRather(const ConditioningIteration &a, const ConditioningIteration &b)
{
    if (a.reachesPFactor != b.reachesPFactor)
        return a.reachesPFactor;
    return a.reachesPFactor ? a.meanRFactor < b.meanRFactor : a.meanPFactor > b.meanPFactor;
}

} // namespace

ConditioningInput DefaultConditioningInput(RunInput run, ObservedSeries observed)
{
    ConditioningInput input;
    input.ranges = ClimateRanges(run.climate);
    input.varied.fill(true);
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        input.series[c] = observed[c].size() >= 2;
        input.weights[c] = 1;
    }
    input.run = std::move(run);
    input.observed = std::move(observed);
    return input;
}

void CheckConditioningInput(const ConditioningInput &input)
{
    const ConditioningOptions &o = input.options;
    if (o.samples < kMinConditioningSamples || o.samples > kMaxConditioningSamples)
        throw Error("The number of samples must be from " + std::to_string(kMinConditioningSamples)
            + " to " + std::to_string(kMaxConditioningSamples) + ".");
    if (o.iterations < 1 || o.iterations > kMaxConditioningIterations)
        throw Error("The number of iterations must be from 1 to "
            + std::to_string(kMaxConditioningIterations) + ".");
    if (!std::isfinite(o.threshold) || o.threshold > 1)
        throw Error("The NSE threshold of a behavioural run must be a number of at most 1.");
    if (o.threads < 0)
        throw Error("The number of threads cannot be negative.");
    CheckRunInput(input.run);
    const auto days = static_cast<int>(input.run.days.size());
    if (o.validationFrom != 0 && (o.validationFrom < 2 || o.validationFrom > days))
        throw Error("The validation period must start on a day from 2 to " + std::to_string(days)
            + ", so that both periods hold days.");
    if (std::none_of(input.varied.begin(), input.varied.end(), [](bool v) { return v; }))
        throw Error("Choose at least one parameter to vary.");
    CheckRanges(input.ranges, input.run.climate);

    const Measurements measured = SplitMeasurements(input);
    const bool any = std::any_of(measured.calibration.begin(), measured.calibration.end(),
                         [](const auto &series) { return !series.empty(); })
        || std::any_of(measured.validation.begin(), measured.validation.end(),
            [](const auto &series) { return !series.empty(); });
    if (!any)
        throw Error("There are no measurements to condition on. Type them into \"Observed "
                    "values\" (0.0001 marks a day without one).");
    if (std::none_of(input.series.begin(), input.series.end(), [](bool s) { return s; }))
        throw Error("Tick at least one series to condition on.");
    const std::string before = o.validationFrom > 0
        ? " before day " + std::to_string(o.validationFrom) + ", where validation begins"
        : "";
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        if (!input.series[c])
            continue;
        const std::vector<Observation> &values = measured.calibration[c];
        const std::string heading = Quoted(kSeriesHeadings[c]);
        if (values.size() < 2)
            throw Error(heading + " has fewer than 2 measured days" + before
                + ", so its NSE cannot be computed; untick it or add measurements.");
        if (std::all_of(values.begin(), values.end(),
                [&](const Observation &v) { return v.value == values.front().value; }))
            throw Error("The measurements of " + heading + before
                + " are all the same, so its NSE cannot be computed; untick it.");
        if (!std::isfinite(input.weights[c]) || !(input.weights[c] > 0))
            throw Error("The weight of " + heading + " must be a number above 0.");
    }
    const auto samples = static_cast<std::size_t>(o.samples);
    const std::size_t entryBytes = StoreBytes(samples, MeasuredEntries(input, measured).size(), 1);
    if (entryBytes > input.storeLimitBytes)
        throw Error("The conditioning of " + std::to_string(samples) + " runs would keep "
            + std::to_string(entryBytes >> 20) + " MB of values on measured days, more than the "
            + std::to_string(input.storeLimitBytes >> 20)
            + " MB allowed; use fewer samples or untick a series.");
    if (input.bands)
        CheckEnsembleStore(
            samples, input.run.days.size(), "The bands of the conditioning", input.storeLimitBytes);
}

ConditioningResult RunConditioning(const ConditioningInput &input, const AnalysisProgress &progress)
{
    CheckConditioningInput(input);
    const ConditioningOptions &options = input.options;
    const auto samples = static_cast<std::size_t>(options.samples);
    const std::size_t days = input.run.days.size();
    const Measurements measured = SplitMeasurements(input);
    const std::vector<Entry> entries = MeasuredEntries(input, measured);

    // The calibration's objective, of the measurements before the validation period. The problem
    // reads the measured days within the run's days, so it needs the run as well.
    CalibrationInput objectiveInput;
    objectiveInput.run = input.run;
    objectiveInput.observed = measured.calibration;
    objectiveInput.series = input.series;
    objectiveInput.weights = input.weights;
    const CalibrationProblem objective(objectiveInput);

    std::array<ParameterRange, kParameterCount> limits {};
    for (std::size_t j = 0; j < kParameterCount; ++j)
        limits[j]
            = ConditioningLimit(static_cast<Parameter>(j), input.run.climate, input.ranges[j]);

    ConditioningResult result;
    result.validation = options.validationFrom > 0;
    int planned = options.iterations;
    const auto totalRuns = [&] { return options.samples * (planned + (input.bands ? 1 : 0)); };

    std::array<ParameterRange, kParameterCount> ranges = input.ranges;
    std::vector<double> objectives(samples);
    std::vector<char> failed(samples);
    std::vector<std::string> messages(samples);
    // The runs' values on the measured days: store[entry * samples + run].
    ValueStore store(entries.size() * samples, input.storeLimitBytes);

    for (int it = 0; it < planned; ++it) {
        const auto design = LatinHypercube(options.samples, IterationSeed(options.seed, it));
        const auto parametersOf = [&](std::size_t index) {
            ModelParameters parameters = input.run.parameters;
            for (std::size_t j = 0; j < kParameterCount; ++j) {
                if (input.varied[j])
                    parameters.set(static_cast<Parameter>(j), ValueAt(ranges[j], design[index][j]));
            }
            return parameters;
        };
        std::fill(failed.begin(), failed.end(), 0);
        const auto keep = [&](std::size_t index, const SeriesRun &run) {
            if (!run.completed) {
                failed[index] = 1;
                messages[index] = run.message;
                return;
            }
            objectives[index] = objective.objective(run.series, run.completed, true);
            for (std::size_t e = 0; e < entries.size(); ++e)
                store.set(e * samples + index, run.series[entries[e].series][entries[e].day]);
        };
        const int before = options.samples * it;
        const AnalysisProgress told = progress
            ? AnalysisProgress([&](int done, int) { return progress(before + done, totalRuns()); })
            : AnalysisProgress();
        if (RunMany(samples, options.threads, input.run, parametersOf, keep, told).cancelled) {
            ConditioningResult cancelled;
            cancelled.cancelled = true;
            return cancelled;
        }

        ConditioningIteration iteration;
        iteration.ranges = ranges;
        std::vector<std::size_t> completed;
        for (std::size_t i = 0; i < samples; ++i) {
            if (!failed[i])
                completed.push_back(i);
            else if (result.failure.empty())
                result.failure = messages[i];
        }
        iteration.runsFailed = static_cast<int>(samples - completed.size());
        if (completed.empty())
            throw Error("Every one of the " + std::to_string(samples) + " runs of iteration "
                + std::to_string(it + 1) + " stopped on non-finite values, so there is no band. "
                + "The first: " + result.failure);

        // The best first; ties go to the earlier run, so no thread decides.
        std::vector<std::size_t> ranked = completed;
        std::stable_sort(ranked.begin(), ranked.end(),
            [&](std::size_t a, std::size_t b) { return objectives[a] < objectives[b]; });
        const std::size_t best = ranked.front();
        iteration.best = parametersOf(best);
        iteration.bestObjective = objectives[best];

        std::vector<std::size_t> chosen;
        for (std::size_t i : completed) {
            if (1 - objectives[i] >= options.threshold)
                chosen.push_back(i);
        }
        iteration.behavioural = static_cast<int>(chosen.size());
        const std::size_t fewest
            = std::min(static_cast<std::size_t>(kMinBehaviouralRuns), completed.size());
        if (chosen.size() < fewest) {
            iteration.toppedUp = true;
            iteration.standIns = static_cast<int>(fewest);
            chosen.assign(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(fewest));
            std::sort(chosen.begin(), chosen.end());
        }
        Ensemble ensemble;
        ensemble.conditioned = true;
        std::vector<std::size_t> weighted;
        for (std::size_t i : chosen) {
            const double likelihood = std::max(0.0, 1 - objectives[i]);
            if (likelihood > 0) {
                weighted.push_back(i);
                ensemble.parameters.push_back(parametersOf(i));
                ensemble.weights.push_back(likelihood);
            }
        }
        if (weighted.empty() && it == 0)
            throw Error("No run fits the measurements better than their mean (every weighted-mean "
                        "NSE is 0 or below), so every weight is 0 and there is no band. Narrow "
                        "the ranges or check the measurements.");
        if (weighted.empty()) {
            // The ranges led away from the measurements: the iterations end here, and the
            // best of those before is kept.
            iteration.noWeight = true;
            for (std::size_t c = 0; c < kSeriesCount; ++c) {
                if (input.series[c])
                    iteration.fit[c] = {{0, kUndefined, kUndefined}, {0, kUndefined, kUndefined}};
            }
            iteration.meanPFactor = iteration.meanRFactor = kUndefined;
            result.iterations.push_back(iteration);
            planned = it + 1;
            break;
        }
        const double sum = std::accumulate(ensemble.weights.begin(), ensemble.weights.end(), 0.0);
        for (double &w : ensemble.weights)
            w /= sum;
        iteration.runsUsed = static_cast<int>(weighted.size());

        // The band on the measured days, and how it holds the measurements.
        std::array<PredictionBand, kSeriesCount> band;
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            if (input.series[c]) {
                band[c].lower.assign(days, kUndefined);
                band[c].upper.assign(days, kUndefined);
            }
        }
        std::vector<WeightedValue> values(weighted.size());
        for (std::size_t e = 0; e < entries.size(); ++e) {
            for (std::size_t k = 0; k < weighted.size(); ++k)
                values[k] = {store.get(e * samples + weighted[k]), ensemble.weights[k]};
            const std::vector<double> ends = WeightedPercentiles(values, kBandEnds);
            band[entries[e].series].lower[entries[e].day] = ends[0];
            band[entries[e].series].upper[entries[e].day] = ends[1];
        }
        iteration.reachesPFactor = true;
        bool narrow = true;
        int ticked = 0;
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            if (!input.series[c])
                continue;
            PeriodFits &fit = iteration.fit[c];
            fit.calibration = FitOfBand(band[c], measured.calibration[c]);
            if (result.validation)
                fit.validation = FitOfBand(band[c], measured.validation[c]);
            iteration.reachesPFactor
                = iteration.reachesPFactor && fit.calibration.pFactor >= kGoalPFactor;
            narrow = narrow && fit.calibration.rFactor <= kGoalRFactor;
            iteration.meanPFactor += fit.calibration.pFactor;
            iteration.meanRFactor += fit.calibration.rFactor;
            ++ticked;
        }
        iteration.meanPFactor /= ticked;
        iteration.meanRFactor /= ticked;
        iteration.reachesGoal = iteration.reachesPFactor && narrow;

        if (result.iterations.empty()
            || KeepRather(iteration, result.iterations[static_cast<std::size_t>(result.kept)])) {
            result.kept = static_cast<int>(result.iterations.size());
            result.ensemble = std::move(ensemble);
        }
        result.iterations.push_back(iteration);
        if (iteration.reachesGoal) {
            planned = it + 1;
            break;
        }
        if (it + 1 == planned)
            break;

        // SUFI-2: the next ranges from this iteration's runs.
        std::vector<std::size_t> columns;
        for (std::size_t j = 0; j < kParameterCount; ++j) {
            if (input.varied[j] && ranges[j].upper > LowestKept(ranges[j]))
                columns.push_back(j);
        }
        std::vector<std::vector<double>> units;
        std::vector<double> g;
        for (std::size_t i : completed) {
            std::vector<double> row;
            for (std::size_t j : columns)
                row.push_back(design[i][j]);
            units.push_back(std::move(row));
            g.push_back(objectives[i]);
        }
        const std::vector<double> halfWidths = Sufi2HalfWidths(units, g);
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const std::size_t j = columns[k];
            ranges[j] = Sufi2Range(ranges[j], limits[j], design[best][j], halfWidths[k]);
        }
    }
    store = {};

    if (input.bands) {
        const int before = options.samples * planned;
        const AnalysisProgress told = progress ? AnalysisProgress([&](int done, int total) {
            const auto scaled = static_cast<int>(
                static_cast<long long>(done) * options.samples / std::max(total, 1));
            return progress(before + scaled, totalRuns());
        })
                                               : AnalysisProgress();
        result.band = EnsembleBands(
            input.run, result.ensemble, options.threads, told, input.storeLimitBytes);
        if (result.band.cancelled) {
            ConditioningResult cancelled;
            cancelled.cancelled = true;
            return cancelled;
        }
        for (std::size_t c = 0; c < kSeriesCount; ++c)
            result.band.fit[c] = FitOfBand(result.band.bands[c], input.observed[c]);
    }
    return result;
}

std::string ConditioningRangesCsv(
    const ConditioningResult &result, const std::array<bool, kParameterCount> &varied)
{
    std::string text = "iteration,parameter,lower,upper,best\n";
    for (std::size_t it = 0; it < result.iterations.size(); ++it) {
        const ConditioningIteration &iteration = result.iterations[it];
        for (std::size_t j = 0; j < kParameterCount; ++j) {
            if (!varied[j])
                continue;
            const auto p = static_cast<Parameter>(j);
            AppendCsvNumber(text, static_cast<double>(it + 1));
            text += ',';
            text += ParameterName(p);
            text += ',';
            AppendCsvNumber(text, LowestKept(iteration.ranges[j]));
            text += ',';
            AppendCsvNumber(text, iteration.ranges[j].upper);
            text += ',';
            AppendCsvNumber(text, iteration.best.get(p));
            text += '\n';
        }
    }
    return text;
}

std::string ConditioningReportCsv(
    const ConditioningResult &result, const std::array<bool, kSeriesCount> &series)
{
    std::string text = "iteration,period,series,p_factor,r_factor,behavioural_runs,runs_failed\n";
    for (std::size_t it = 0; it < result.iterations.size(); ++it) {
        const ConditioningIteration &iteration = result.iterations[it];
        for (int period = 0; period < (result.validation ? 2 : 1); ++period) {
            for (std::size_t c = 0; c < kSeriesCount; ++c) {
                if (!series[c])
                    continue;
                const BandFit &fit
                    = period == 0 ? iteration.fit[c].calibration : iteration.fit[c].validation;
                AppendCsvNumber(text, static_cast<double>(it + 1));
                text += period == 0 ? ",calibration," : ",validation,";
                text += kSeriesHeadings[c];
                text += ',';
                AppendCsvNumber(text, fit.pFactor);
                text += ',';
                AppendCsvNumber(text, fit.rFactor);
                text += ',';
                AppendCsvNumber(text, iteration.behavioural);
                text += ',';
                AppendCsvNumber(text, iteration.runsFailed);
                text += '\n';
            }
        }
    }
    return text;
}

std::vector<std::string> ConditioningNotes(const ConditioningResult &result, double threshold)
{
    std::vector<std::string> notes;
    for (std::size_t it = 0; it < result.iterations.size(); ++it) {
        const ConditioningIteration &iteration = result.iterations[it];
        if (iteration.toppedUp) {
            notes.push_back("Iteration " + std::to_string(it + 1) + " had "
                + std::to_string(iteration.behavioural)
                + " runs with a weighted-mean NSE of at least " + Shortest(threshold)
                + "; its band rests on the best " + std::to_string(iteration.standIns)
                + " runs instead, " + std::to_string(iteration.runsUsed)
                + (iteration.runsUsed == 1 ? " of which has" : " of which have")
                + " a weight above 0.");
        }
        if (iteration.noWeight)
            notes.push_back("No run of iteration " + std::to_string(it + 1)
                + " fits the measurements better than their mean (every weight is 0), so the "
                  "iterations ended there.");
    }
    if (result.iterations.empty())
        return notes;
    const ConditioningIteration &kept = result.iterations[static_cast<std::size_t>(result.kept)];
    std::string why;
    if (kept.reachesGoal)
        why = "it reached p-factor >= 0.7 and r-factor <= 1.5 on every series";
    else if (kept.reachesPFactor)
        why = "of the iterations with p-factor >= 0.7 on every series it has the smallest mean "
              "r-factor";
    else
        why = "no iteration reached p-factor >= 0.7 on every series, and it has the largest mean "
              "p-factor";
    notes.push_back("Iteration " + std::to_string(result.kept + 1) + " of "
        + std::to_string(result.iterations.size()) + " is kept: " + why + ".");
    return notes;
}

} // namespace carexa
