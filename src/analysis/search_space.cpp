#include "analysis/search_space.h"

#include "model/model_state.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace carexa {

namespace {

bool Logarithmic(const ParameterRange &range)
{
    const double low = LowestKept(range);
    return low > 0 && range.upper / low >= kLogarithmicRatio;
}

// Rounds to `digits` significant digits, as the project file writes a number.
double RoundSignificant(double value, int digits)
{
    if (value == 0 || !std::isfinite(value))
        return value;
    char text[40];
    const auto written
        = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, digits - 1);
    double rounded = value;
    std::from_chars(text, written.ptr, rounded);
    return rounded;
}

} // namespace

ParameterRange SearchRange(Parameter parameter, const ParameterBounds &bounds, std::int32_t climate)
{
    const ParameterRange climateRange = ClimateRange(parameter, climate);
    const bool replaces = climate == kColdClimate || climate == kWarmClimate;
    return {bounds.lower, bounds.upper,
        replaces && climateRange.lowerExclusive && bounds.lower <= climateRange.lower};
}

double SearchValue(const ParameterRange &range, double unit)
{
    if (!Logarithmic(range))
        return ValueAt(range, unit);
    const double low = LowestKept(range);
    return Nearest(range, low * std::pow(range.upper / low, std::clamp(unit, 0.0, 1.0)));
}

double SearchUnit(const ParameterRange &range, double value)
{
    const double low = LowestKept(range);
    const double high = range.upper;
    if (!(high > low))
        return 0;
    const double unit = Logarithmic(range) ? std::log(value / low) / std::log(high / low)
                                           : (value - low) / (high - low);
    return std::isfinite(unit) ? std::clamp(unit, 0.0, 1.0) : 0.0;
}

double CalibratedValue(const ParameterRange &range, double value)
{
    constexpr int kDigits = 6;
    const double rounded = RoundSignificant(value, kDigits);
    if (Keeps(range, rounded))
        return rounded;
    const double step
        = std::pow(10.0, std::floor(std::log10(std::fabs(rounded))) - (kDigits - 1));
    const double inside
        = RoundSignificant(rounded < value ? rounded + step : rounded - step, kDigits);
    return Keeps(range, inside) ? inside : value;
}

} // namespace carexa
