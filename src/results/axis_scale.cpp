#include "results/axis_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace carexa {

namespace {

constexpr int kMostSteps = 8;
// A value within this share of a step from a multiple of it counts as that multiple.
constexpr double kSlack = 1e-9;

int Decimals(double step)
{
    return step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - kSlack));
}

} // namespace

double RoundStep(double span)
{
    if (!std::isfinite(span) || !(span > 0))
        return 0.2;
    const double rough = span / kMostSteps;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough * (1 - kSlack))
            return factor * power;
    }
    return 10 * power;
}

AxisScale RoundAxis(double low, double high, std::optional<double> cap)
{
    if (!std::isfinite(low) || !std::isfinite(high) || low > high)
        return {};
    const double bottom = std::min(low, 0.0);
    double top = std::max(high, 0.0);
    if (top == bottom)
        return {bottom, bottom + 1, 0.2};
    const double step = RoundStep(top - bottom);
    AxisScale axis;
    axis.step = step;
    // "+ 0.0" turns a negative zero into zero, so the end reads "0".
    axis.min = bottom < 0 ? std::floor(bottom / step + kSlack) * step + 0.0 : 0;
    axis.max = std::ceil(top / step - kSlack) * step + 0.0;
    if (cap && top <= *cap)
        axis.max = std::min(axis.max, *cap);
    return axis;
}

std::vector<AxisTick> AxisTicks(double min, double max, double step)
{
    std::vector<AxisTick> ticks;
    if (!std::isfinite(min) || !std::isfinite(max) || !(step > 0) || !(max >= min)
        || (max - min) / step > 1000)
        return ticks;
    const int decimals = Decimals(step);
    const auto first = static_cast<long long>(std::ceil(min / step - kSlack));
    const auto last = static_cast<long long>(std::floor(max / step + kSlack));
    for (long long k = first; k <= last; ++k) {
        const double value = k == 0 ? 0.0 : static_cast<double>(k) * step;
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        std::string label = text;
        // A value that rounds to zero is written as zero, without a sign.
        if (label.find_first_not_of("-0.") == std::string::npos && label.front() == '-')
            label.erase(0, 1);
        ticks.push_back({value, label});
    }
    return ticks;
}

} // namespace carexa
