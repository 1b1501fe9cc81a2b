#include "analysis/parameter_space.h"

#include "model/climate.h"
#include "model/model_state.h"

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

} // namespace carexa
