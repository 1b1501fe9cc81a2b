// Analysis benchmarks: calibration of all sixteen parameters of the cold-climate example (365 days,
// 70 sub-steps, its weekly measurements) with 4,000 runs on one and on two threads, side by side,
// with the speed-up; and the fit statistics of a hundred-year project. Times are wall-clock: the
// calibration's worker threads are what is measured.

#include "long_project.h"

#include "analysis/calibration.h"
#include "analysis/fit_statistics.h"
#include "analysis/observations.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace carexa;

namespace {

CalibrationInput ExampleCalibration(int threads)
{
    ModelState state;
    const LoadedProject project = ReadProjectFile(bench::ExamplesFolder() / "cold_climate_bed.mdl");
    ApplyProject(project, state);
    TextGrid observed(12, 61);
    FillObservedGrid(project, observed);
    CalibrationInput input = DefaultCalibrationInput(MakeRunInput(state),
        MeasuredValues(observed, state.observedLength, state.simulationLength));
    input.threads = threads;
    return input;
}

double Seconds(const CalibrationInput &input, CalibrationResult &result)
{
    const auto start = std::chrono::steady_clock::now();
    result = Calibrate(input);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Calibrate(benchmark::State &state)
{
    const CalibrationInput input = ExampleCalibration(static_cast<int>(state.range(0)));
    CalibrationResult result;
    for (auto _ : state) {
        result = Calibrate(input);
        benchmark::DoNotOptimize(result);
    }
    state.counters["runs"] = result.runsUsed;
    state.counters["objective_after"] = result.objectiveAfter;
    state.SetItemsProcessed(state.iterations() * result.runsUsed);
}
BENCHMARK(BM_Calibrate)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// One and two threads in turn, so both see the same load on the machine; the counters are the
// mean seconds of each and their ratio.
void BM_CalibrationSpeedUp(benchmark::State &state)
{
    const CalibrationInput one = ExampleCalibration(1);
    const CalibrationInput two = ExampleCalibration(2);
    double seconds1 = 0;
    double seconds2 = 0;
    int rounds = 0;
    CalibrationResult result1, result2;
    for (auto _ : state) {
        seconds1 += Seconds(one, result1);
        seconds2 += Seconds(two, result2);
        ++rounds;
    }
    if (!(result1.after == result2.after))
        state.SkipWithError("one and two threads gave different results");
    state.counters["seconds_1_thread"] = seconds1 / rounds;
    state.counters["seconds_2_threads"] = seconds2 / rounds;
    state.counters["speed_up"] = seconds1 / seconds2;
}
BENCHMARK(BM_CalibrationSpeedUp)->Iterations(2)->UseRealTime()->Unit(benchmark::kSecond);

void BM_FitStatistics(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    bench::LongProject project(days);
    // Weekly measurements of every series.
    for (int d = 7; d <= days; d += 7) {
        for (int c = 1; c <= kSeriesCount; ++c)
            project.observed.setNumber(c, d, 10 + (d % 13));
    }
    SimulateProject(project.state);
    for (auto _ : state) {
        const FitTable fit = SeriesFit(MeasuredValues(project.observed, days, days),
            ResultSeries(project.state));
        benchmark::DoNotOptimize(fit);
    }
    state.SetItemsProcessed(state.iterations() * days);
}
BENCHMARK(BM_FitStatistics)->Arg(36500)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
