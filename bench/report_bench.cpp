// The design report of a long project: its sections, tables and figures laid out and written as
// PDF, with the results already computed (a century of days must take under 3 s).

#include "long_project.h"

#include "project/project.h"
#include "report/report.h"
#include "ui/picture_export.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

using namespace carexa;

// A simulated project of `days` days, loaded from a file as a user would open it.
std::unique_ptr<Project> SimulatedProject(int days)
{
    const bench::LongProject made(days);
    const auto file = std::filesystem::temp_directory_path()
        / ("carexa-report-bench-" + std::to_string(::getpid()) + ".mdl");
    SaveProjectFile(file, made.state, made.observed, made.design);
    auto project = std::make_unique<Project>();
    project->load(ReadProjectFile(file));
    std::filesystem::remove(file);
    project->simulate();
    return project;
}

void Report(benchmark::State &state)
{
    const PictureSession session;
    const auto project = SimulatedProject(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    int pages = 0;
    for (auto _ : state) {
        const ReportSource source
            = ProjectReportSource(*project, "long.mdl", ReportSettings(), {}, "bench");
        const ReportDocument report = BuildReport(source, {});
        const QByteArray pdf = ReportPdf(report, ReportPaper::A4, "Long project", "", &pages);
        bytes = static_cast<std::size_t>(pdf.size());
        benchmark::DoNotOptimize(pdf.constData());
    }
    state.counters["pages"] = pages;
    state.counters["pdf_kB"] = static_cast<double>(bytes) / 1024;
}

BENCHMARK(Report)->Arg(365)->Arg(36500)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
