// Benchmarks of the sampling analyses on the year of the cold-climate example at 70 sub-steps a
// day: 200 Latin hypercube samples and Morris's screening with r = 20 (340 runs), each on one
// and on two threads. After the runs the speed-up of two threads over one is printed.

#include "long_project.h"

#include "analysis/sensitivity.h"
#include "analysis/uncertainty.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

using namespace carexa;
using carexa::bench::LongProject;

namespace {

RunInput YearInput()
{
    LongProject project(365);
    project.state.stepsPerDay = 70;
    return MakeRunInput(project.state);
}

void BM_Uncertainty200(benchmark::State &state)
{
    UncertaintyInput input;
    input.run = YearInput();
    input.ranges = ClimateRanges(input.run.climate);
    input.varied.fill(true);
    input.options.samples = 200;
    input.options.threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const UncertaintyResult result = RunUncertainty(input);
        benchmark::DoNotOptimize(result.runsUsed);
    }
    state.counters["runs"] = 200;
}
BENCHMARK(BM_Uncertainty200)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_Morris20(benchmark::State &state)
{
    SensitivityInput input;
    input.run = YearInput();
    input.ranges = ClimateRanges(input.run.climate);
    input.options.trajectories = 20;
    input.options.threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const SensitivityResult result = RunSensitivity(input);
        benchmark::DoNotOptimize(result.trajectoriesUsed);
    }
    state.counters["runs"] = 340;
}
BENCHMARK(BM_Morris20)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The console report, and the wall time of each benchmark kept for the speed-ups.
class SpeedUpReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &reports) override
    {
        for (const Run &run : reports) {
            if (run.run_type == Run::RT_Iteration && run.repetitions <= 1)
                seconds[run.benchmark_name()] = run.GetAdjustedRealTime() / 1000.0;
            else if (run.aggregate_name == "median")
                seconds[run.run_name.str()] = run.GetAdjustedRealTime() / 1000.0;
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
    for (const char *name : {"BM_Uncertainty200", "BM_Morris20"}) {
        const std::string base = std::string(name) + "/threads:";
        const auto one = reporter.seconds.find(base + "1/real_time");
        const auto two = reporter.seconds.find(base + "2/real_time");
        if (one != reporter.seconds.end() && two != reporter.seconds.end())
            std::printf("%s: %.3f s on 1 thread, %.3f s on 2 threads, %.2fx faster\n", name,
                one->second, two->second, one->second / two->second);
    }
    benchmark::Shutdown();
    return 0;
}
