#pragma once

// The space a calibration searches: each ticked parameter's bounds as the values a run keeps,
// mapped onto a unit coordinate, and the calibrated values as a project file keeps them.

#include "analysis/parameter_space.h"
#include "model/model_parameters.h"

#include <cstdint>

namespace carexa {

/// The bounds of a parameter's search, as the user gives them.
struct ParameterBounds
{
    double lower = 0;
    double upper = 0;

    friend bool operator==(const ParameterBounds &, const ParameterBounds &) = default;
};

/// The values a search over `bounds` keeps in a run of `climate`: where the bounds reach down to
/// an exclusive lower end of the climate's range ("above 0.0001"), the end itself is left out.
ParameterRange SearchRange(Parameter parameter, const ParameterBounds &bounds, std::int32_t climate);

/// A range whose highest value is this many times its lowest kept one or more (two decades) is
/// searched on a logarithmic scale.
inline constexpr double kLogarithmicRatio = 100;

/// Where the search puts a trial: the value at `unit` (0 to 1) along the range, on a logarithmic
/// scale where the range spans two decades or more (upper / LowestKept >= kLogarithmicRatio), so
/// small rates are as easy to reach as large ones, else on a linear one (ValueAt). Always a
/// value the range keeps.
double SearchValue(const ParameterRange &range, double unit);
/// The unit (0 to 1) at which SearchValue comes nearest to `value`; 0 for a range of one value.
double SearchUnit(const ParameterRange &range, double value);

/// A calibrated value as the result gives it: rounded to 6 significant digits (what a project
/// file keeps), moved one step of the sixth digit inwards where the rounding left the range, or
/// `value` itself when no value of 6 digits lies that close inside.
double CalibratedValue(const ParameterRange &range, double value);

} // namespace carexa
