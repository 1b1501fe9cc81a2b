// carexa-sim export: load a project and write its tables as File > "Export" does, without a run.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "app/data_files.h"

#include "io/csv_export.h"
#include "results/data_sheet.h"

namespace carexa::batch {

namespace {

int Export(const std::vector<std::string> &args, std::ostream &out, std::ostream &)
{
    const ParsedArguments parsed = ParseArguments(
        args, {.single = {"--forcing", "--observed", "--datasheet", "--boxes", "--xlsx"}});
    if (parsed.values.empty())
        throw UsageError(
            "export needs at least one of --forcing, --observed, --datasheet, --boxes, --xlsx");
    CheckWorkbookOption(parsed);

    Session session;
    LoadSession(session, parsed.positionals.front());
    const ModelState &state = session.state();
    const int days = state.simulationLength;

    if (const auto forcing = parsed.value("--forcing"))
        WriteTableCsv(
            *forcing, ForcingGridOf(state), days, ForcingCsvHeadings(), out, "The forcing data");
    if (const auto observed = parsed.value("--observed"))
        WriteTableCsv(*observed, session.observed(), state.observedLength, SeriesCsvHeadings(), out,
            "The observed values");
    if (const auto datasheet = parsed.value("--datasheet")) {
        TextGrid sheet(5, 5);
        FillSimulationDataSheet(state, sheet, kDataSheetButton);
        WriteTableCsv(*datasheet, sheet, days, SeriesCsvHeadings(), out, "The data sheet");
    }
    if (const auto boxes = parsed.value("--boxes")) {
        TextGrid table(5, 5);
        FillAdditionalResults(state, table);
        WriteTableCsv(*boxes, table, days, AdditionalCsvHeadings(), out, "The additional results");
    }
    if (const auto book = parsed.value("--xlsx"))
        WriteSessionWorkbook(*book, session);
    return kBatchOk;
}

} // namespace

const Command kExportCommand {
    .name = "export",
    .synopsis = "carexa-sim export PROJECT.mdl [--forcing F.csv] [--observed O.csv]\n"
                "                       [--datasheet SHEET.csv] [--boxes BOXES.csv] "
                "[--xlsx BOOK.xlsx]",
    .help = R"(export: loads PROJECT.mdl as "Load Project" does and writes its tables as File >
"Export" does, without simulating: comma-separated, a full stop as decimal mark, and a heading
line with units ("Day,temp. (deg C),water flow (m3/d),..."). At least one output is needed.

  --forcing F.csv        the forcing data, one line per day; "carexa-sim run --forcing" and
                         File > "Import forcing data..." read it back unchanged
  --observed O.csv       the observed values for the observed length ("0.0001": no measurement)
  --datasheet SHEET.csv  the "Data sheet" table of the results the file holds
  --boxes BOXES.csv      the "Additional results" table of the results the file holds
  --xlsx BOOK.xlsx       one workbook with the sheets Forcing, Observed, Results (with a chart
                         of each outflow), Boxes, Parameters and Design
)",
    .run = Export,
};

} // namespace carexa::batch
