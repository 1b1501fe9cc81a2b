#pragma once

#include <optional>
#include <string>
#include <vector>

namespace carexa {

/// A value axis with round ends and round steps.
struct AxisScale
{
    double min = 0;
    double max = 1;
    double step = 0.2;
};

/// A labelled tick of a value axis.
struct AxisTick
{
    double value = 0;
    std::string label;
};

/// The step of an axis spanning `span`: 1, 2 or 5 times a power of ten, the smallest that
/// divides the span into at most 8 steps. A span that is not a number greater than 0 gets 0.2.
double RoundStep(double span);

/// An axis for values from `low` to `high`: from 0 (or, when `low` is below 0, the round value
/// at or just below it) to the round value at or just above `high`, in RoundStep steps. With a
/// `cap` (100 for efficiencies in %) the axis ends at the cap unless `high` lies above it.
/// Values that are not finite numbers, and no values at all (low > high), give 0 to 1.
AxisScale RoundAxis(double low, double high, std::optional<double> cap = std::nullopt);

/// The ticks of an axis from `min` to `max`: every whole multiple of `step` between them (the
/// ends included, give or take a rounding error), labelled with as many decimals as the step
/// needs and never as a negative zero ("-0.0").
std::vector<AxisTick> AxisTicks(double min, double max, double step);

} // namespace carexa
