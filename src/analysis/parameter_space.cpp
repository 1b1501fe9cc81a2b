#include "analysis/parameter_space.h"

#include "model/climate.h"
#include "model/error.h"
#include "model/model_state.h"
#include "model/number_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace carexa {

ParameterRange ClimateRange(Parameter parameter, std::int32_t climate)
{
    const ParameterPreset &preset = PresetOf(parameter);
    return {preset.lower, climate == kWarmClimate ? preset.upperWarm : preset.upperCold,
        preset.lowerExclusive};
}

std::array<ParameterRange, kParameterCount> ClimateRanges(std::int32_t climate)
{
    std::array<ParameterRange, kParameterCount> ranges {};
    for (int i = 0; i < kParameterCount; ++i)
        ranges[static_cast<std::size_t>(i)] = ClimateRange(static_cast<Parameter>(i), climate);
    return ranges;
}

double LowestKept(const ParameterRange &range)
{
    return range.lowerExclusive
        ? std::nextafter(range.lower, std::numeric_limits<double>::infinity())
        : range.lower;
}

double ValueAt(const ParameterRange &range, double unit)
{
    const double low = LowestKept(range);
    const double value = low + (range.upper - low) * unit;
    return std::clamp(value, low, std::max(low, range.upper));
}

bool Keeps(const ParameterRange &range, double value)
{
    const bool aboveLower = range.lowerExclusive ? value > range.lower : value >= range.lower;
    return aboveLower && value <= range.upper;
}

double Nearest(const ParameterRange &range, double value)
{
    return std::clamp(value, LowestKept(range), std::max(LowestKept(range), range.upper));
}

namespace {

std::string RangeText(const ParameterRange &range)
{
    return (range.lowerExclusive ? "above " : "") + FormatGeneral(range.lower) + " to "
        + FormatGeneral(range.upper);
}

// Refuses a range whose values a run in `climate` would not keep.
void CheckKept(Parameter parameter, std::int32_t climate, const ParameterRange &range)
{
    const std::string name(ParameterName(parameter));
    if (!std::isfinite(range.lower) || !std::isfinite(range.upper))
        throw Error("The range of " + name + " needs two numbers.");
    if (range.lower > range.upper)
        throw Error("The lower end of the range of " + name + " (" + FormatGeneral(range.lower)
            + ") lies above its upper end (" + FormatGeneral(range.upper) + ").");
    const ParameterRange accepted = ClimateRange(parameter, climate);
    const bool climateReplaces = climate == kColdClimate || climate == kWarmClimate;
    if (climateReplaces && (!Keeps(accepted, LowestKept(range)) || !Keeps(accepted, range.upper)))
        throw Error("The range of " + name + " must lie within " + RangeText(accepted)
            + ", where a run in this climate keeps its values; " + RangeText(range) + " does not.");
}

} // namespace

ParameterRange KeptRange(Parameter parameter, std::int32_t climate, double lower, double upper)
{
    const ParameterRange accepted = ClimateRange(parameter, climate);
    const ParameterRange range {lower, upper, accepted.lowerExclusive && lower == accepted.lower};
    CheckKept(parameter, climate, range);
    return range;
}

void CheckRanges(const std::array<ParameterRange, kParameterCount> &ranges, std::int32_t climate)
{
    for (int i = 0; i < kParameterCount; ++i)
        CheckKept(static_cast<Parameter>(i), climate, ranges[static_cast<std::size_t>(i)]);
}

} // namespace carexa
