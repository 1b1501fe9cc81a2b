// The project reader followed by a run of at most 30 days: any text either is refused with an
// Error or loads, and a loaded project either is refused by the run's checks or simulates, fills
// its tables and saves; what it saves reloads and saves again to the same bytes.

#include "io/buffered_writer.h"
#include "model/error.h"
#include "model/observed_grid.h"
#include "project/project_file.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace carexa;

namespace {

constexpr std::int32_t kMostDays = 30;
constexpr std::int32_t kMostSteps = 50; // keeps a run short; the code paths are the same

std::string Save(const LoadedProject &loaded)
{
    ModelState state;
    ApplyProject(loaded, state);
    TextGrid observed(12, 1);
    FillObservedGrid(loaded, observed);
    return ProjectText(state, observed, LoadedDesignTexts(loaded));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    LoadedProject loaded;
    try {
        loaded = ParseProject(text);
    } catch (const Error &) {
        return 0;
    }
    if (loaded.simulationLength > kMostDays)
        return 0;
    if (loaded.stepsPerDay > kMostSteps)
        loaded.stepsPerDay = kMostSteps;

    // Saved, the project reads back; saved again, it gives the same bytes (a value such as "0.0"
    // may change on the first save, as "0" reads as 0.0001).
    const std::string once = Save(loaded);
    const std::string twice = Save(ParseProject(once));
    if (Save(ParseProject(twice)) != twice)
        std::abort();

    ModelState state;
    ApplyProject(loaded, state);
    TextGrid sheet(5, 5);
    try {
        RunSimulation(state, sheet);
    } catch (const Error &) {
        return 0; // refused before anything changed
    }
    FillSimulationDataSheet(state, sheet, kDataSheetButton);
    const SeriesValues series = ResultSeries(state);
    TextGrid boxes(5, 5);
    FillAdditionalResults(state, boxes);
    StringSink sink;
    BufferedWriter writer(sink);
    WriteSheetCsv(state, kDataSheetButton, writer);
    WriteAdditionalResultsCsv(state, writer);
    writer.finish();
    if (series[0].size() != static_cast<std::size_t>(state.simulationLength))
        std::abort();
    return 0;
}
