#pragma once

#include "model/model_parameters.h"

#include <array>
#include <cstdint>

namespace carexa {

/// The range an analysis varies a parameter over. Where the lower end is exclusive (a range
/// "above 0.0001"), values must stay strictly above it: a run replaces a value at or below such
/// an end by the climate's fallback, so the varied value would never reach the model.
struct ParameterRange
{
    double lower = 0;
    double upper = 0;
    bool lowerExclusive = false;

    friend bool operator==(const ParameterRange &, const ParameterRange &) = default;
};

/// The accepted range of a parameter in a climate (1 cold, 2 warm); any other climate replaces
/// no parameter, and gets the cold ranges as its defaults.
ParameterRange ClimateRange(Parameter parameter, std::int32_t climate);

/// The sixteen climate ranges, in record order.
std::array<ParameterRange, kParameterCount> ClimateRanges(std::int32_t climate);

/// The lowest value of the range that a run keeps: the lower end, or the next double above it
/// where the end is exclusive.
double LowestKept(const ParameterRange &range);

/// The value at `unit` (0 to 1) along the range, from LowestKept (0) to the upper end (1);
/// never below LowestKept, never above the upper end.
double ValueAt(const ParameterRange &range, double unit);

/// Whether `value` lies within the range as a run with that range keeps it (the ends as the
/// climate checks them: an exclusive lower end excluded, the upper end included).
bool Keeps(const ParameterRange &range, double value);

/// The nearest value to `value` that the range keeps.
double Nearest(const ParameterRange &range, double value);

/// The range from `lower` to `upper` an analysis may vary a parameter over in `climate`: its
/// lower end is exclusive where it is the climate's own exclusive end ("above 0.0001"). Refuses
/// (Error, naming the parameter) ends that are not finite numbers, a lower end above the upper
/// end, and, in the cold and warm climates, a range reaching outside the climate's accepted range,
/// where a run would replace the varied values by the fallback. Without a climate a run keeps
/// every value, and any finite range is taken.
ParameterRange KeptRange(Parameter parameter, std::int32_t climate, double lower, double upper);

/// Refuses (Error) the first of `ranges` (in record order) whose values a run in `climate` would
/// not all keep, with KeptRange's messages.
void CheckRanges(const std::array<ParameterRange, kParameterCount> &ranges, std::int32_t climate);

} // namespace carexa
