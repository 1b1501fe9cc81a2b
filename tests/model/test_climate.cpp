#include "model/climate.h"
#include "model/model_state.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

TEST(ClimatePreset, UntouchedParametersTakeTheWholeColumn)
{
    for (std::int32_t climate : {kColdClimate, kWarmClimate}) {
        ModelParameters parameters;
        ApplyClimatePreset(parameters, climate);
        for (int i = 0; i < kParameterCount; ++i) {
            const auto p = static_cast<Parameter>(i);
            const ParameterPreset &preset = PresetOf(p);
            EXPECT_EQ(parameters.get(p),
                climate == kColdClimate ? preset.fallbackCold : preset.fallbackWarm)
                << ParameterName(p);
        }
    }
    ModelParameters cold;
    ApplyClimatePreset(cold, kColdClimate);
    EXPECT_EQ(cold.get(Parameter::KO), 0.01);
    EXPECT_EQ(cold.get(Parameter::OO), 0.05);
    EXPECT_EQ(cold.get(Parameter::AF), 0.36);
}

struct BoundCase
{
    Parameter parameter;
    std::int32_t climate;
    double typed;
    double expected;
};

class ClimateBound : public testing::TestWithParam<BoundCase>
{ };

TEST_P(ClimateBound, ReplacesOnlyOutsideTheRange)
{
    const BoundCase c = GetParam();
    ModelParameters parameters;
    parameters.set(c.parameter, c.typed);
    ApplyClimatePreset(parameters, c.climate);
    EXPECT_EQ(parameters.get(c.parameter), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Presets, ClimateBound,
    testing::Values(BoundCase {Parameter::TN, kWarmClimate, 1.08, 1.047},
        BoundCase {Parameter::TN, kColdClimate, 1.08, 1.08},
        BoundCase {Parameter::TN, kColdClimate, 1.0901, 1.07},
        BoundCase {Parameter::KO, kColdClimate, 0.05, 0.01},
        BoundCase {Parameter::KO, kColdClimate, 0.5, 0.5},
        BoundCase {Parameter::KO, kColdClimate, 0.1, 0.1},
        BoundCase {Parameter::DC, kColdClimate, 5.0, 5.0},
        BoundCase {Parameter::DC, kColdClimate, 5.01, 3.5},
        // "above 0.0001" ranges refuse the bound itself; the others keep it.
        BoundCase {Parameter::DC, kWarmClimate, 0.0001, 2.2},
        BoundCase {Parameter::DC, kWarmClimate, 0.00011, 0.00011},
        BoundCase {Parameter::PA, kColdClimate, 0.0001, 0.01},
        BoundCase {Parameter::AC, kColdClimate, 0.05, 0.05},
        BoundCase {Parameter::AC, kColdClimate, 0.0499, 0.9},
        BoundCase {Parameter::AF, kWarmClimate, 100, 100},
        BoundCase {Parameter::AF, kWarmClimate, 100.5, 1.0},
        BoundCase {Parameter::MN, kWarmClimate, 0.01, 0.01}));

TEST(ClimatePreset, NoChosenClimateChangesNothing)
{
    for (std::int32_t climate : {kNoClimate, 3, -1}) {
        ModelParameters parameters;
        parameters.set(Parameter::TN, 9);
        ApplyClimatePreset(parameters, climate);
        EXPECT_EQ(parameters.get(Parameter::TN), 9);
        EXPECT_EQ(parameters.get(Parameter::AC), kEmptyValue);
    }
}

} // namespace
