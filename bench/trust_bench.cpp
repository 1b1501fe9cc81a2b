// Benchmarks of the analyses that say how far a prediction can be trusted, on the year of the
// cold-climate example at its 70 sub-steps a day with its measurements: Sobol' indices with
// N = 1024 (18,432 runs), four conditioned iterations of 500 runs with the bands of the one
// kept, and the confidence intervals of all sixteen parameters at a calibration's result; each on
// one and on two threads. After the runs the times are printed side by side with the speed-up
// of two threads over one. A last benchmark conditions 500 runs of a hundred years (one sub-step
// a day, three series measured every day) and reports the peak memory of the process.

#include "long_project.h"

#include "analysis/calibration.h"
#include "analysis/conditioning.h"
#include "analysis/confidence.h"
#include "analysis/observations.h"
#include "analysis/random.h"
#include "analysis/sobol.h"
#include "simulation/simulation_run.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <string>

using namespace carexa;

namespace {

struct Example
{
    RunInput run;
    ObservedSeries observed;
};

Example ColdExample()
{
    ModelState state;
    const LoadedProject project = ReadProjectFile(bench::ExamplesFolder() / "cold_climate_bed.mdl");
    ApplyProject(project, state);
    TextGrid observed(12, 61);
    FillObservedGrid(project, observed);
    return {MakeRunInput(state),
        MeasuredValues(observed, state.observedLength, state.simulationLength)};
}

// One plain run of the example year, as each of the analyses' runs simulates it, on one thread or
// on two at once (per run): the floor under the analyses' times.
void BM_ExampleRun(benchmark::State &state)
{
    const Example example = ColdExample();
    for (auto _ : state) {
        const RunResult result = Simulate(example.run);
        benchmark::DoNotOptimize(result.series[0].data());
    }
}
BENCHMARK(BM_ExampleRun)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Sobol1024(benchmark::State &state)
{
    const Example example = ColdExample();
    SobolInput input;
    input.run = example.run;
    input.ranges = ClimateRanges(input.run.climate);
    input.varied.fill(true);
    input.options.threads = static_cast<int>(state.range(0));
    SobolResult result;
    for (auto _ : state) {
        result = RunSobol(input);
        benchmark::DoNotOptimize(result.rowsUsed);
    }
    state.counters["runs"] = result.runs;
    state.counters["steps_per_day"] = input.run.stepsPerDay;
}
BENCHMARK(BM_Sobol1024)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

void BM_Condition4x500(benchmark::State &state)
{
    const Example example = ColdExample();
    ConditioningInput input = DefaultConditioningInput(example.run, example.observed);
    input.options.threads = static_cast<int>(state.range(0));
    ConditioningResult result;
    for (auto _ : state) {
        result = RunConditioning(input);
        benchmark::DoNotOptimize(result.kept);
    }
    state.counters["iterations"] = static_cast<double>(result.iterations.size());
    state.counters["band_runs"] = result.band.runsUsed;
}
BENCHMARK(BM_Condition4x500)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

void BM_ConfidenceAfterCalibration(benchmark::State &state)
{
    const Example example = ColdExample();
    CalibrationInput input = DefaultCalibrationInput(example.run, example.observed);
    input.threads = static_cast<int>(state.range(0));
    // The project's parameters stand for a calibration's result: every one of the sixteen fitted.
    const ModelParameters fitted = CurrentParameters(input.run);
    ConfidenceResult result;
    for (auto _ : state) {
        result = ParameterConfidence(input, fitted);
        benchmark::DoNotOptimize(result.variance);
    }
    state.counters["runs"] = result.runs;
}
BENCHMARK(BM_ConfidenceAfterCalibration)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Last, so that its peak is the process's: 500 runs of 36,500 days, measured daily.
void BM_ConditionCenturyMemory(benchmark::State &state)
{
    bench::LongProject project(36500);
    project.state.stepsPerDay = 1;
    const RunInput run = MakeRunInput(project.state);
    const RunResult truth = Simulate(run);
    ObservedSeries observed;
    std::mt19937_64 generator = TaskGenerator(3, 0);
    for (std::size_t c : {0u, 2u, 3u}) {
        for (int d = 1; d <= 36500; ++d)
            observed[c].push_back({d,
                truth.series[c][static_cast<std::size_t>(d - 1)]
                    * (1 + 0.1 * (UnitDraw(generator) - 0.5))});
    }
    ConditioningInput input = DefaultConditioningInput(run, observed);
    // AC close to the value the measurements come from: every run fits, and the bands rest on
    // all 500 (six series a pass, as floats).
    input.varied.fill(false);
    input.varied[static_cast<std::size_t>(Parameter::AC)] = true;
    input.ranges[static_cast<std::size_t>(Parameter::AC)] = {0.85, 0.95, false};
    input.options.iterations = 1;
    input.options.threshold = -1e9;
    input.options.threads = 2;
    ConditioningResult result;
    for (auto _ : state) {
        result = RunConditioning(input);
        benchmark::DoNotOptimize(result.kept);
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["band_runs"] = result.band.runsUsed;
    state.counters["peak_rss_mib"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_ConditionCenturyMemory)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// The console report, and the wall time of each benchmark kept for the speed-ups.
class SpeedUpReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &reports) override
    {
        for (const Run &run : reports) {
            if (run.run_type == Run::RT_Iteration)
                seconds[run.benchmark_name()]
                    = run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(reports);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    SpeedUpReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char *name :
        {"BM_Sobol1024", "BM_Condition4x500", "BM_ConfidenceAfterCalibration"}) {
        const std::string base = std::string(name) + "/threads:";
        double t1 = 0, t2 = 0;
        for (const auto &[key, value] : reporter.seconds) {
            if (key.rfind(base + "1/", 0) == 0)
                t1 = value;
            if (key.rfind(base + "2/", 0) == 0)
                t2 = value;
        }
        if (t1 > 0 && t2 > 0)
            std::printf("%s: %.3f s on 1 thread, %.3f s on 2 threads, %.2fx faster\n", name, t1, t2,
                t1 / t2);
    }
    benchmark::Shutdown();
    return 0;
}
