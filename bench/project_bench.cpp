// The project document at 300,000 days, each figure beside what it replaced, in one run:
//
// - the engine alone: a run committed through the document (which freezes the run's series and
//   takes the fingerprints its staleness judges by) beside the same run committed straight into
//   the records, and a load through the document beside the plain load of the records;
// - the whole program: a load through the document beside a load as the window made one when it
//   kept the project in its own grids (the records, then the forcing grid and the simulation
//   data sheet filled with every day's texts);
// - single edits: an observed value beside a day's flow, the first needing no walk over the days.
//
// Items are days. The counter bytes_per_day is what each way keeps per day on the heap: the
// records' day node, plus the document's frozen run, retention-time basis and observed grid
// (Project::keptBytes), or plus the window's two grids (TextGrid::storedBytes).

#include "long_project.h"

#include "model/forcing_grid.h"
#include "model/observed_grid.h"
#include "project/project.h"
#include "project/project_file.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

using namespace carexa;
using carexa::bench::LongProject;

namespace {

constexpr int kDays = 300000;

// What the records hold per day (a day node: its forcing values and box values).
double RecordBytesPerDay()
{
    return static_cast<double>(sizeof(DayNode));
}

double DocumentBytesPerDay(const Project &project, int days)
{
    return RecordBytesPerDay() + static_cast<double>(project.keptBytes()) / days;
}

void BM_RunOnRecords(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    project.state.stepsPerDay = 70;
    // The observed grid a project of that length keeps, as the document keeps one.
    TextGrid observed(12, 61);
    BuildObservedGrid(observed, days);
    for (auto _ : state) {
        const RunOutcome outcome = SimulateProject(project.state);
        benchmark::DoNotOptimize(outcome.completed);
    }
    state.SetItemsProcessed(state.iterations() * days);
    state.counters["bytes_per_day"]
        = RecordBytesPerDay() + static_cast<double>(observed.storedBytes()) / days;
}
BENCHMARK(BM_RunOnRecords)->Arg(kDays)->Unit(benchmark::kMillisecond);

std::filesystem::path LongFile(int days);

void BM_RunThroughProject(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    const auto file = LongFile(days);
    Project project;
    project.load(ReadProjectFile(file));
    std::filesystem::remove(file);
    project.setStepsPerDay(70);
    for (auto _ : state) {
        const ProjectChange change = project.simulate();
        benchmark::DoNotOptimize(change.parts);
    }
    state.SetItemsProcessed(state.iterations() * days);
    state.counters["bytes_per_day"] = DocumentBytesPerDay(project, days);
}
BENCHMARK(BM_RunThroughProject)->Arg(kDays)->Unit(benchmark::kMillisecond);

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
    state.counters["bytes_per_day"]
        = RecordBytesPerDay() + static_cast<double>(observed.storedBytes()) / days;
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadOnRecords)->Arg(kDays)->Unit(benchmark::kMillisecond);

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
    state.counters["bytes_per_day"] = DocumentBytesPerDay(project, days);
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadThroughProject)->Arg(kDays)->Unit(benchmark::kMillisecond);

// One edit at a time, as typing gives them, on a loaded project whose retention times were
// calculated: an observed value (which leaves the days' judgement as it was) beside a day's flow
// (which has the days judged again). Items are edits.
void EditProject(benchmark::State &state, bool day)
{
    const int days = static_cast<int>(state.range(0));
    const auto file = LongFile(days);
    Project project;
    project.load(ReadProjectFile(file));
    project.calculateRetentionTimes();
    if (project.state().observedLength < 1)
        project.setObservedLength(1);
    GridBlock cell(1, 1);
    double value = 1;
    for (auto _ : state) {
        value = value == 1 ? 2 : 1;
        if (day) {
            project.setDayValues(DayField::waterFlow, 2, {value});
        } else {
            cell.setText(0, 0, value == 1 ? "1" : "2");
            project.setObservedCells(1, 1, cell);
        }
    }
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove(file);
}
void BM_EditAnObservedValue(benchmark::State &state)
{
    EditProject(state, false);
}
void BM_EditADaysFlow(benchmark::State &state)
{
    EditProject(state, true);
}
BENCHMARK(BM_EditAnObservedValue)->Arg(kDays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditADaysFlow)->Arg(kDays)->Unit(benchmark::kMillisecond);

// A load as the window made one while it kept the project in its grids: the records and the
// observed grid, then every day's forcing texts into the forcing grid and the data sheet filled
// as "Data sheet" fills it.
void BM_LoadIntoWindowGrids(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    const auto file = LongFile(days);
    ModelState target;
    TextGrid observed(12, 61);
    TextGrid forcing(12, 61);
    TextGrid sheet(12, 61);
    for (auto _ : state) {
        const LoadedProject loaded = ReadProjectFile(file);
        ApplyProject(loaded, target);
        FillObservedGrid(loaded, observed);
        LayOutForcingGrid(forcing, target.simulationLength);
        RefreshForcingGrid(target, forcing);
        FillSimulationDataSheet(target, sheet, kDataSheetButton);
    }
    state.SetItemsProcessed(state.iterations() * days);
    const auto grids = observed.storedBytes() + forcing.storedBytes() + sheet.storedBytes();
    state.counters["bytes_per_day"] = RecordBytesPerDay() + static_cast<double>(grids) / days;
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadIntoWindowGrids)->Arg(kDays)->Unit(benchmark::kMillisecond);

// The three loads above in turn within each iteration, so that each comparison is made under
// the same load on the machine: the counters are the median milliseconds of each way, and the
// document's ratios to the plain load and to the window's.
void BM_LoadsInTurn(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    const int days = static_cast<int>(state.range(0));
    const auto file = LongFile(days);
    ModelState records;
    TextGrid observed(12, 61);
    Project project;
    ModelState window;
    TextGrid windowObserved(12, 61);
    TextGrid forcing(12, 61);
    TextGrid sheet(12, 61);
    std::vector<double> plain, document, grids;
    const auto timed = [](std::vector<double> &times, const auto &load) {
        const auto start = Clock::now();
        load();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    };
    for (auto _ : state) {
        timed(plain, [&] {
            const LoadedProject loaded = ReadProjectFile(file);
            ApplyProject(loaded, records);
            FillObservedGrid(loaded, observed);
        });
        timed(
            document, [&] { benchmark::DoNotOptimize(project.load(ReadProjectFile(file)).parts); });
        timed(grids, [&] {
            const LoadedProject loaded = ReadProjectFile(file);
            ApplyProject(loaded, window);
            FillObservedGrid(loaded, windowObserved);
            LayOutForcingGrid(forcing, window.simulationLength);
            RefreshForcingGrid(window, forcing);
            FillSimulationDataSheet(window, sheet, kDataSheetButton);
        });
    }
    const auto median = [](std::vector<double> times) {
        std::sort(times.begin(), times.end());
        const std::size_t n = times.size();
        return n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    };
    state.counters["records_ms"] = median(plain);
    state.counters["document_ms"] = median(document);
    state.counters["window_ms"] = median(grids);
    state.counters["document_to_records"] = median(document) / median(plain);
    state.counters["document_to_window"] = median(document) / median(grids);
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadsInTurn)->Arg(kDays)->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace

BENCHMARK_MAIN();
