#pragma once

// Run inputs the analysis tests share: the examples, and a small bed without a climate whose
// nitrification temperature coefficient makes a run overflow from about TN = 2.1e15 on.

#include "analysis/observations.h"
#include "analysis/parameter_space.h"
#include "model/model_state.h"
#include "project/project_file.h"
#include "simulation/simulation_run.h"
#include "support/temp_dir.h"

#include <string>

namespace carexa::testing_support {

/// An example project's run input, with `steps` sub-steps a day so the tests stay quick.
inline RunInput ExampleInput(const std::string &name, int steps = 5)
{
    ModelState state;
    ApplyProject(ReadProjectFile(ExampleFile(name)), state);
    RunInput input = MakeRunInput(state);
    input.stepsPerDay = steps;
    return input;
}

/// An example project's measurements, as a run of it compares with them.
inline ObservedSeries ExampleMeasurements(const std::string &name)
{
    const LoadedProject project = ReadProjectFile(ExampleFile(name));
    ModelState state;
    ApplyProject(project, state);
    TextGrid observed(12, ModelState::kStartLength + 1);
    FillObservedGrid(project, observed);
    return MeasuredValues(observed, state.observedLength, state.simulationLength);
}

/// Thirty days at 40 degrees in a bed without a climate, parameters as the warm preset.
inline RunInput HotBedInput()
{
    RunInput input;
    input.climate = kNoClimate;
    input.stepsPerDay = 10;
    input.parameters = ModelParameters(
        {0.5, 0.8, 0.5, 2.2, 1.04, 1.047, 1.04, 1.09, 1.3, 1.3, 1.0, 0.1, 0.01, 0.01, 0.003, 1.0});
    DayValues day;
    const std::pair<DayField, double> values[] = {{DayField::RTB, 1}, {DayField::bod5In, 200},
        {DayField::nitrateIn, 10}, {DayField::ammoniumIn, 30}, {DayField::totalPIn, 8},
        {DayField::orgNitrogenIn, 15}, {DayField::pomPercent, 20}, {DayField::ponPercent, 20},
        {DayField::popPercent, 20}, {DayField::temperature, 40}, {DayField::waterFlow, 20},
        {DayField::porosity, 0.4}, {DayField::boxWaterVolume, 30}};
    for (const auto &[field, value] : values)
        day.set(field, value);
    for (int x = 0; x < kBoxCount; ++x)
        day.set(OxygenField(x), 2);
    input.days.assign(30, day);
    return input;
}

/// Every parameter's range a single value: the value a run of `input` simulates with.
inline std::array<ParameterRange, kParameterCount> FixedRanges(const RunInput &input)
{
    const ModelParameters kept = Simulate(input).parameters;
    std::array<ParameterRange, kParameterCount> ranges {};
    for (std::size_t i = 0; i < kParameterCount; ++i)
        ranges[i] = {kept.values()[i], kept.values()[i], false};
    return ranges;
}

} // namespace carexa::testing_support
