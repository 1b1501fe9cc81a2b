#include "model/climate.h"

#include "model/model_state.h"

#include <array>

namespace carexa {

namespace {

// Parameter order of the record: AC NC OC DC TA TN TO TD KO OO MA MN PA PN PP AF.
// The cold fallbacks of KO and OO lie below their own range on purpose: the cold climate
// simulates with them unless the user types a value inside the range.
constexpr std::array<ParameterPreset, kParameterCount> kPresets {{
    {0.05, false, 2.0, 2.0, 0.9, 0.5}, // AC
    {0.1, false, 2.5, 2.5, 0.9, 0.8}, // NC
    {0.05, false, 2.0, 2.0, 0.2, 0.5}, // OC
    {0.0001, true, 5.0, 5.0, 3.5, 2.2}, // DC
    {1.02, false, 1.06, 1.06, 1.05, 1.04}, // TA
    {1.02, false, 1.09, 1.07, 1.07, 1.047}, // TN
    {1.02, false, 1.06, 1.06, 1.04, 1.04}, // TO
    {1.05, false, 1.12, 1.12, 1.07, 1.09}, // TD
    {0.1, false, 2.0, 2.0, 0.01, 1.3}, // KO
    {0.1, false, 2.0, 2.0, 0.05, 1.3}, // OO
    {0.05, false, 2.0, 2.0, 0.1, 1.0}, // MA
    {0.01, false, 1.0, 1.0, 0.1, 0.1}, // MN
    {0.0001, true, 1.0, 1.0, 0.01, 0.01}, // PA
    {0.0001, true, 1.0, 1.0, 0.001, 0.01}, // PN
    {0.0001, true, 1.0, 1.0, 0.001, 0.003}, // PP
    {0.0001, true, 100, 100, 0.36, 1.0}, // AF
}};

} // namespace

const ParameterPreset &PresetOf(Parameter parameter)
{
    return kPresets[static_cast<std::size_t>(parameter)];
}

void ApplyClimatePreset(ModelParameters &parameters, std::int32_t climate)
{
    if (climate != kColdClimate && climate != kWarmClimate)
        return;
    const bool cold = climate == kColdClimate;
    for (int i = 0; i < kParameterCount; ++i) {
        const auto parameter = static_cast<Parameter>(i);
        const ParameterPreset &preset = PresetOf(parameter);
        const double value = parameters.get(parameter);
        const bool below = preset.lowerExclusive ? value <= preset.lower : value < preset.lower;
        const bool above = value > (cold ? preset.upperCold : preset.upperWarm);
        if (below || above)
            parameters.set(parameter, cold ? preset.fallbackCold : preset.fallbackWarm);
    }
}

} // namespace carexa
