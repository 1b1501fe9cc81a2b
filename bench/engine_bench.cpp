// Engine benchmarks: one day of box kinetics, whole runs of one and one hundred years (with the
// data sheet fill each run does), numbers-only runs on one and two threads and from one year to
// 300,000 days, the batch runner with every output next to the numbers-only run of the same
// project, the other data sheet fills, and saving and loading a hundred-year project. Items are
// days, so items_per_second compares the cost per day.

#include "long_project.h"

#include "app/batch_runner.h"

#include "model/observed_grid.h"
#include "project/project_file.h"
#include "results/data_sheet.h"
#include "simulation/box_kinetics.h"
#include "simulation/simulation_run.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

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

// The reentrant run alone: numbers in, numbers out, no grid and no text. With ->Threads(2) each
// thread runs its own copy, so items_per_second (summed over the threads) is the throughput.
void BM_NumbersOnlyRun(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    project.state.stepsPerDay = 70;
    const RunInput input = MakeRunInput(project.state);
    for (auto _ : state) {
        const RunResult result = Simulate(input);
        benchmark::DoNotOptimize(result.series[0].data());
    }
    state.SetItemsProcessed(state.iterations() * days);
}
BENCHMARK(BM_NumbersOnlyRun)->Arg(365)->Threads(1)->Threads(2)->UseRealTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_NumbersOnlyRun)->Arg(36500)->Arg(300000)->Unit(benchmark::kMillisecond);

std::filesystem::path BenchFile(const char *name)
{
    return std::filesystem::temp_directory_path() / name;
}

// `carexa-sim run` of a hundred-year project at 70 sub-steps with --save, --csv, --datasheet and
// --boxes (loading the file included), to set beside BM_NumbersOnlyRun/36500.
void BM_BatchRunAllOutputs(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    const auto project = BenchFile("carexa-bench-batch.mdl");
    {
        LongProject made(days);
        made.state.stepsPerDay = 70;
        SaveProjectFile(project, made.state, made.observed, made.design);
    }
    const std::vector<std::string> args {"run", project.string(), "--save",
        BenchFile("carexa-bench-out.mdl").string(), "--csv", BenchFile("carexa-bench-run.csv").string(),
        "--datasheet", BenchFile("carexa-bench-sheet.csv").string(), "--boxes",
        BenchFile("carexa-bench-boxes.csv").string()};
    for (auto _ : state) {
        std::ostringstream out, err;
        if (RunBatch(args, out, err) != 0)
            state.SkipWithError(err.str().c_str());
    }
    state.SetItemsProcessed(state.iterations() * days);
    for (const char *name : {"carexa-bench-batch.mdl", "carexa-bench-out.mdl",
             "carexa-bench-run.csv", "carexa-bench-sheet.csv", "carexa-bench-boxes.csv"})
        std::filesystem::remove(BenchFile(name));
}
BENCHMARK(BM_BatchRunAllOutputs)->Arg(36500)->Unit(benchmark::kMillisecond);

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
