// Engine benchmarks: one day of box kinetics, whole runs of one and one hundred years (with the
// data sheet fill each run does), the other data sheet fills, and saving and loading a
// hundred-year project. Items are days, so items_per_second compares the cost per day.

#include "long_project.h"

#include "model/observed_grid.h"
#include "project/project_file.h"
#include "results/data_sheet.h"
#include "simulation/box_kinetics.h"
#include "simulation/simulation_run.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

using namespace carexa;
using carexa::bench::LongProject;

namespace {

void BM_SimulateDay(benchmark::State &state)
{
    LongProject project(2);
    TextGrid grid(5, 5);
    RunSimulation(project.state, grid); // replaced, plausible inputs
    DayNode node = project.state.days.node(2);
    const BoxValues start = node.box;
    for (auto _ : state) {
        node.box = start;
        SimulateDay(node, project.state.parameters, node.day, 70, start);
        benchmark::DoNotOptimize(node.box);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SimulateDay);

void BM_RunSimulation(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    project.state.stepsPerDay = 70;
    TextGrid grid(5, 5);
    for (auto _ : state) {
        const RunOutcome outcome = RunSimulation(project.state, grid);
        benchmark::DoNotOptimize(outcome.completed);
    }
    state.SetItemsProcessed(state.iterations() * days);
}
BENCHMARK(BM_RunSimulation)->Arg(365)->Arg(36500)->Unit(benchmark::kMillisecond);

void BM_DataSheetFill(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    TextGrid grid(5, 5);
    RunSimulation(project.state, grid);
    for (auto _ : state)
        FillSimulationDataSheet(project.state, grid, kDataSheetButton);
    state.SetItemsProcessed(state.iterations() * days);
}
BENCHMARK(BM_DataSheetFill)->Arg(365)->Arg(36500)->Unit(benchmark::kMillisecond);

void BM_AdditionalResultsFill(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    TextGrid grid(5, 5);
    RunSimulation(project.state, grid);
    for (auto _ : state)
        FillAdditionalResults(project.state, grid);
    state.SetItemsProcessed(state.iterations() * days);
}
BENCHMARK(BM_AdditionalResultsFill)->Arg(36500)->Unit(benchmark::kMillisecond);

std::filesystem::path BenchFile(const char *name)
{
    return std::filesystem::temp_directory_path() / name;
}

void BM_SaveProject(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    TextGrid grid(5, 5);
    RunSimulation(project.state, grid);
    const auto file = BenchFile("carexa-bench-save.mdl");
    for (auto _ : state)
        SaveProjectFile(file, project.state, project.observed, project.design);
    state.SetItemsProcessed(state.iterations() * days);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}
BENCHMARK(BM_SaveProject)->Arg(36500)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    const auto file = BenchFile("carexa-bench-load.mdl");
    {
        LongProject project(days);
        TextGrid grid(5, 5);
        RunSimulation(project.state, grid);
        SaveProjectFile(file, project.state, project.observed, project.design);
    }
    ModelState target;
    TextGrid observed(12, 61);
    for (auto _ : state) {
        const LoadedProject loaded = ReadProjectFile(file);
        ApplyProject(loaded, target);
        FillObservedGrid(loaded, observed);
    }
    state.SetItemsProcessed(state.iterations() * days);
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadProject)->Arg(36500)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
