#include "app/data_files.h"

#include "io/csv_export.h"
#include "io/csv_import.h"
#include "io/csv_reader.h"
#include "io/grid_import.h"
#include "io/output_file.h"
#include "io/workbook.h"
#include "model/error.h"
#include "model/forcing_grid.h"
#include "results/data_sheet.h"

namespace carexa::batch {

namespace {

ImportedTable ReadDataFile(const std::string &name, ImportTarget target)
{
    const std::string text = ReadImportFile(name);
    try {
        const ImportSettings settings = DetectImport(text, target);
        RequireKnownHeadings(text, settings, target);
        return ReadImport(text, settings, target);
    } catch (const Error &e) {
        throw Error("\"" + name + "\": " + e.what());
    }
}

} // namespace

TextGrid ForcingGridOf(const ModelState &state)
{
    TextGrid grid(12, 1);
    LayOutForcingGrid(grid, state.simulationLength);
    RefreshForcingGrid(state, grid);
    return grid;
}

void ImportDataFiles(Session &session, const ParsedArguments &parsed)
{
    ModelState &state = session.state;
    if (const auto forcing = parsed.value("--forcing")) {
        const ImportedTable table = ReadDataFile(*forcing, ImportTarget::Forcing);
        TextGrid grid = ForcingGridOf(state);
        const std::int32_t length = state.simulationLength;
        ImportForcingData(state, grid, table, ExtraDays::Extend, FirstDayForcingFields(state));
        if (state.simulationLength > length)
            CalculateWaterVolume(state);
    }
    if (const auto observed = parsed.value("--observed")) {
        const ImportedTable table = ReadDataFile(*observed, ImportTarget::Observed);
        ImportObservedValues(state.observedLength, session.observed, table, ExtraDays::Extend);
    }
}

void WriteTableCsv(const std::string &name, const TextGrid &grid, int days,
    const std::vector<std::string> &headings, std::ostream &out, const std::string &what)
{
    if (name == "-") {
        StreamSink sink(out, "Standard output");
        WriteGridCsv(grid, days, headings, sink);
        return;
    }
    OutputFile file(name, what);
    WriteGridCsv(grid, days, headings, file);
}

void CheckWorkbookOption(const ParsedArguments &parsed)
{
    if (parsed.value("--xlsx") == "-")
        throw UsageError("--xlsx needs a file name; a workbook cannot go to standard output");
}

void WriteSessionWorkbook(const std::string &name, const Session &session)
{
    const SeriesValues results = ResultSeries(session.state);
    WriteWorkbook(name, {session.state, session.observed, session.design, results});
}

} // namespace carexa::batch
