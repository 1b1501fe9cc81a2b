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

#include <cstdio>
#include <ostream>

#include <fcntl.h>
#include <unistd.h>

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
        throw Error("\"" + QuotedText(name) + "\": " + e.what());
    }
}

// The spreadsheet library prints its own lines about a failed write on standard error; the
// command says it once, with the reason, so those lines are kept off the terminal while the
// workbook is written (nothing else runs meanwhile).
class QuietStandardError
{
public:
    QuietStandardError()
    {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0)
            ::dup2(null, STDERR_FILENO);
        if (null >= 0)
            ::close(null);
    }
    ~QuietStandardError()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;

private:
    int saved_ = -1;
};

} // namespace

TextGrid ForcingGridOf(const ModelState &state)
{
    TextGrid grid(12, 1);
    LayOutForcingGrid(grid, state.simulationLength);
    RefreshForcingGrid(state, grid);
    return grid;
}

void ImportDataFiles(Session &session, const ParsedArguments &parsed, std::ostream &err)
{
    Project &project = session.project;
    const bool recalculate = parsed.has("--recalculate");
    if (const auto forcing = parsed.value("--forcing")) {
        const ImportedTable table = ReadDataFile(*forcing, ImportTarget::Forcing);
        const ProjectChange change = project.importForcing(table, ExtraDays::Extend, recalculate);
        if (change.staled.contains(Derived::WaterVolume)
            || change.staled.contains(Derived::RetentionTimes))
            err << "carexa-sim: warning: " << project.staleForcingText()
                << " The run uses them as they are; --recalculate calculates them as \"Calculate "
                   "water volume\" and \"Calculate RTB values\" do.\n";
    } else if (recalculate) {
        project.calculateWaterVolume();
        project.calculateRetentionTimes();
    }
    if (const auto observed = parsed.value("--observed")) {
        const ImportedTable table = ReadDataFile(*observed, ImportTarget::Observed);
        project.importObserved(table, ExtraDays::Extend);
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
    const SeriesValues results = ResultSeries(session.state());
    const QuietStandardError quiet;
    WriteWorkbook(name, {session.state(), session.observed(), session.design(), results});
}

} // namespace carexa::batch
