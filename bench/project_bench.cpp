// The project document against the records it wraps, at 300,000 days: a run committed through
// the document (which freezes the run's series and takes the fingerprints its staleness judges
// by) beside the same run committed straight into the records, and a load through the document
// beside the plain load. Items are days. The counters give the bytes each way keeps per day.

#include "long_project.h"

#include "model/observed_grid.h"
#include "project/project.h"
#include "project/project_file.h"
#include "simulation/simulation_run.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace carexa;
using carexa::bench::LongProject;

namespace {

// What the records hold per day (a day node: its forcing values and box values).
double RecordBytesPerDay()
{
    return static_cast<double>(sizeof(DayNode));
}

void BM_RunOnRecords(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    project.state.stepsPerDay = 70;
    for (auto _ : state) {
        const RunOutcome outcome = SimulateProject(project.state);
        benchmark::DoNotOptimize(outcome.completed);
    }
    state.SetItemsProcessed(state.iterations() * days);
    state.counters["bytes_per_day"] = RecordBytesPerDay();
}
BENCHMARK(BM_RunOnRecords)->Arg(300000)->Unit(benchmark::kMillisecond);

void BM_RunThroughProject(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject records(days);
    records.state.stepsPerDay = 70;
    Project project(records.state);
    for (auto _ : state) {
        const ProjectChange change = project.simulate();
        benchmark::DoNotOptimize(change.parts);
    }
    state.SetItemsProcessed(state.iterations() * days);
    // The frozen series (eleven numbers a day) and their flags come on top of the records.
    const FrozenRun &run = *project.run();
    double frozen = static_cast<double>(run.flags.capacity());
    for (const auto &series : run.series)
        frozen += static_cast<double>(series.capacity() * sizeof(double));
    state.counters["bytes_per_day"] = RecordBytesPerDay() + frozen / days;
}
BENCHMARK(BM_RunThroughProject)->Arg(300000)->Unit(benchmark::kMillisecond);

std::filesystem::path LongFile(int days)
{
    const auto file = std::filesystem::temp_directory_path() / "carexa-bench-project.mdl";
    LongProject project(days);
    project.state.stepsPerDay = 20;
    SimulateProject(project.state);
    SaveProjectFile(file, project.state, project.observed, project.design);
    return file;
}

void BM_LoadOnRecords(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    const auto file = LongFile(days);
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
BENCHMARK(BM_LoadOnRecords)->Arg(300000)->Unit(benchmark::kMillisecond);

void BM_LoadThroughProject(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    const auto file = LongFile(days);
    Project project;
    for (auto _ : state) {
        const ProjectChange change = project.load(ReadProjectFile(file));
        benchmark::DoNotOptimize(change.parts);
    }
    state.SetItemsProcessed(state.iterations() * days);
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadThroughProject)->Arg(300000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
