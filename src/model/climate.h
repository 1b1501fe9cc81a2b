#pragma once

#include "model/model_parameters.h"

#include <cstdint>

namespace carexa {

/// Screen colours of the climates as 0xRRGGBB.
inline constexpr std::uint32_t kColdScreenColour = 0xA6CAF0; ///< red 166, green 202, blue 240
inline constexpr std::uint32_t kWarmScreenColour = 0x81CB61; ///< red 129, green 203, blue 97
/// The warm colour a loaded project gets (a brighter green than the button's).
inline constexpr std::uint32_t kWarmLoadedScreenColour = 0xADE35B; ///< red 173, green 227, blue 91

/// Accepted range and fallbacks of one parameter.
struct ParameterPreset
{
    double lower;
    /// True where the range starts "above 0.0001": then p <= lower is outside; else p < lower.
    bool lowerExclusive;
    double upperCold;
    double upperWarm;
    double fallbackCold;
    double fallbackWarm;
};

const ParameterPreset &PresetOf(Parameter parameter);

/// Replaces every parameter outside its accepted range by the fallback of `climate` (1 cold,
/// 2 warm). Any other climate changes nothing.
void ApplyClimatePreset(ModelParameters &parameters, std::int32_t climate);

} // namespace carexa
