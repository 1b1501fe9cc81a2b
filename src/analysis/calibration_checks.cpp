// The input checks of a calibration and its starting point.

#include "analysis/calibration.h"

#include "analysis/thread_pool.h"
#include "model/climate.h"
#include "model/error.h"
#include "model/model_state.h"
#include "model/number_text.h"

#include <algorithm>
#include <cmath>
#include <string>

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

} // namespace

ModelParameters CurrentParameters(const RunInput &run)
{
    ModelParameters parameters = run.parameters;
    ApplyClimatePreset(parameters, run.climate);
    return parameters;
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

} // namespace carexa
