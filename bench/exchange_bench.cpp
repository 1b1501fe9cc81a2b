// Data exchange benchmarks: the forcing data of a project exported as CSV, the same text read
// back (settings found, rows read, days replaced), and the whole workbook, for one and one
// hundred years. Items are days, so items_per_second compares the cost per day.

#include "long_project.h"

#include "io/buffered_writer.h"
#include "io/csv_export.h"
#include "io/csv_import.h"
#include "io/grid_import.h"
#include "io/workbook.h"
#include "model/forcing_grid.h"
#include "results/data_sheet.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

using namespace carexa;
using carexa::bench::LongProject;

namespace {

TextGrid ForcingGrid(const ModelState &state)
{
    TextGrid grid(12, 1);
    LayOutForcingGrid(grid, state.simulationLength);
    RefreshForcingGrid(state, grid);
    return grid;
}

std::string ForcingCsv(const ModelState &state)
{
    StringSink sink;
    WriteGridCsv(ForcingGrid(state), state.simulationLength, ForcingCsvHeadings(), sink);
    return sink.text();
}

void BM_ExportForcingCsv(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    const TextGrid grid = ForcingGrid(project.state);
    for (auto _ : state) {
        StringSink sink;
        WriteGridCsv(grid, days, ForcingCsvHeadings(), sink);
        benchmark::DoNotOptimize(sink.text().data());
    }
    state.SetItemsProcessed(state.iterations() * days);
}
BENCHMARK(BM_ExportForcingCsv)->Arg(365)->Arg(36500)->Unit(benchmark::kMillisecond);

void BM_ImportForcingCsv(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    const std::string text = ForcingCsv(project.state);
    TextGrid grid = ForcingGrid(project.state);
    for (auto _ : state) {
        const ImportSettings settings = DetectImport(text, ImportTarget::Forcing);
        const ImportedTable table = ReadImport(text, settings, ImportTarget::Forcing);
        ImportForcingData(project.state, grid, table, ExtraDays::Drop);
    }
    state.SetItemsProcessed(state.iterations() * days);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ImportForcingCsv)->Arg(365)->Arg(36500)->Unit(benchmark::kMillisecond);

void BM_WriteWorkbook(benchmark::State &state)
{
    const int days = static_cast<int>(state.range(0));
    LongProject project(days);
    const std::filesystem::path file = std::filesystem::temp_directory_path()
        / ("carexa-bench-" + std::to_string(::getpid()) + ".xlsx");
    for (auto _ : state) {
        const SeriesValues results = ResultSeries(project.state);
        WriteWorkbook(file, {project.state, project.observed, project.design, results});
    }
    std::filesystem::remove(file);
    state.SetItemsProcessed(state.iterations() * days);
}
BENCHMARK(BM_WriteWorkbook)->Arg(365)->Arg(36500)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
