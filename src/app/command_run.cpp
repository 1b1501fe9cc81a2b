// carexa-sim run: load a project, simulate it as "Simulate" does, write the results.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "app/data_files.h"
#include "app/graph_outputs.h"

#include "analysis/fit_statistics.h"
#include "analysis/observations.h"
#include "io/buffered_writer.h"
#include "io/output_file.h"
#include "model/error.h"
#include "model/output_series.h"
#include "results/data_sheet.h"
#include "project/frozen_run.h"
#include "simulation/simulation_run.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace carexa::batch {

namespace {

// Writes one output through `write`: "-" to `out`, any other name as a file that appears whole
// or not at all.
void Output(const std::string &name, std::ostream &out, const std::string &what,
    const std::function<void(BufferedWriter &)> &write)
{
    std::unique_ptr<ByteSink> sink;
    if (name == "-")
        sink = std::make_unique<StreamSink>(out, "Standard output");
    else
        sink = std::make_unique<OutputFile>(name, what);
    BufferedWriter writer(*sink);
    write(writer);
    writer.finish();
}

// One table of the finished run, written to `name` ("-": the stream it is given).
struct TableOutput
{
    std::string name;
    std::function<void(std::ostream &)> write;
};

// Writes the tables. They only read the finished run, so those going to files of their own are
// written side by side, each on its own thread; those for standard output follow in the order
// of the options. Every table is attempted; the first failure, in the order of the options, is
// the one reported.
void WriteTables(const std::vector<TableOutput> &tables, std::ostream &out)
{
    std::set<std::string> files;
    bool sideBySide = true;
    for (const TableOutput &table : tables)
        sideBySide = sideBySide && (table.name == "-" || files.insert(table.name).second);
    sideBySide = sideBySide && files.size() > 1;

    std::vector<std::future<void>> pending(tables.size());
    if (sideBySide) {
        for (std::size_t i = 0; i < tables.size(); ++i) {
            if (tables[i].name != "-") {
                pending[i] = std::async(std::launch::async,
                    [&table = tables[i], &out] { table.write(out); });
            }
        }
    }
    std::exception_ptr first;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        try {
            if (pending[i].valid())
                pending[i].get();
            else
                tables[i].write(out);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

// What a run without an output option prints: the days simulated and the last of them as the
// data sheet shows it after the run (the line of --csv).
std::string RunSummary(const ModelState &state, const FrozenRun &outcome)
{
    const int days = state.simulationLength;
    const int last = outcome.completed ? days : outcome.failedDay - 1;
    StringSink sheet;
    BufferedWriter writer(sheet);
    WriteSheetCsv(state, kRunSheet, writer);
    writer.finish();
    std::size_t start = 0;
    for (int line = 0; line < last; ++line)
        start = sheet.text().find('\n', start) + 1;
    const std::string_view row = std::string_view(sheet.text()).substr(start);

    std::string text = "Days simulated: " + std::to_string(last);
    if (!outcome.completed)
        text += " of " + std::to_string(days);
    text += "\nDay " + std::to_string(last) + ":\n";
    std::size_t field = row.find(',') + 1;
    for (std::string_view heading : kSeriesHeadings) {
        const std::size_t end = row.find_first_of(",\n", field);
        text += "  ";
        text += heading;
        text.append(16 - heading.size(), ' ');
        text += row.substr(field, end - field);
        text += '\n';
        field = end + 1;
    }
    return text;
}

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const ParsedArguments parsed = ParseArguments(args,
        {.single = {"--save", "--csv", "--datasheet", "--boxes", "--graph-size", "--forcing",
             "--observed", "--xlsx", "--fit"},
            .repeatable = {"--graph"},
            .flags = {"--recalculate"}});
    const GraphOutputs graphs = ParseGraphOutputs(parsed);
    CheckWorkbookOption(parsed);

    Session session;
    LoadSession(session, parsed.positionals.front());
    ImportDataFiles(session, parsed, err);
    const ModelState &state = session.state();
    session.project.simulate();
    const FrozenRun &outcome = *session.project.run();

    std::vector<TableOutput> tables;
    if (const auto save = parsed.value("--save")) {
        if (*save == "-") {
            tables.push_back({"-", [&session](std::ostream &stream) {
                                  StreamSink sink(stream, "Standard output");
                                  session.project.write(sink);
                              }});
        } else {
            const std::filesystem::path file = ProjectFileName(*save);
            tables.push_back({file.string(),
                [&session, file](std::ostream &) { session.project.save(file); }});
        }
    }
    const auto table = [&](const char *option, const std::string &what,
                           std::function<void(BufferedWriter &)> write) {
        if (const auto name = parsed.value(option)) {
            tables.push_back({*name, [name = *name, what, write](std::ostream &stream) {
                                  Output(name, stream, what, write);
                              }});
        }
    };
    table("--csv", "The data sheet",
        [&state](BufferedWriter &writer) { WriteSheetCsv(state, kRunSheet, writer); });
    table("--datasheet", "The data sheet",
        [&state](BufferedWriter &writer) { WriteSheetCsv(state, kDataSheetButton, writer); });
    table("--boxes", "The additional results",
        [&state](BufferedWriter &writer) { WriteAdditionalResultsCsv(state, writer); });
    table("--fit", "The fit statistics", [&session, &state](BufferedWriter &writer) {
        const ObservedSeries observed
            = MeasuredValues(session.observed(), state.observedLength, state.simulationLength);
        writer.text(FitCsv(SeriesFit(observed, ResultSeries(state))));
    });
    WriteTables(tables, out);
    WriteGraphOutputs(graphs, session);
    if (!parsed.value("--save") && !parsed.value("--csv") && !parsed.value("--datasheet")
        && !parsed.value("--boxes") && !parsed.value("--xlsx") && !parsed.value("--fit")
        && graphs.graphs.empty()) {
        const std::string summary = RunSummary(state, outcome);
        Output(
            "-", out, "The summary", [&summary](BufferedWriter &writer) { writer.text(summary); });
    }
    if (const auto book = parsed.value("--xlsx"))
        WriteSessionWorkbook(*book, session);
    if (!outcome.completed) {
        err << "carexa-sim: " << outcome.message << '\n';
        return kBatchFailed;
    }
    return kBatchOk;
}

} // namespace

const Command kRunCommand {
    .name = "run",
    .synopsis = "carexa-sim run PROJECT.mdl [--save OUT.mdl] [--csv SHEET.csv]\n"
                "                       [--datasheet SHEET.csv] [--boxes BOXES.csv]\n"
                "                       [--graph COLUMN:FILE]... [--graph-size WxH]\n"
                "                       [--forcing F.csv] [--observed O.csv] [--xlsx BOOK.xlsx]\n"
                "                       [--fit FIT.csv] [--recalculate]",
    .help = R"(run: loads PROJECT.mdl as "Load Project" does (a damaged or incomplete file is
refused), then simulates it as "Simulate" does, with the climate and time steps per day stored in
the file.

  --save OUT.mdl         the project as "Save Project" writes it right after the run, results
                         included (".mdl" is appended unless the name already contains it)
  --csv SHEET.csv        the simulation data sheet as the run leaves it: outflows and
                         efficiencies with three decimals, one line per day; a value that
                         rounds to 0 or below shows as 1E-8
  --datasheet SHEET.csv  the table of the "Data sheet" button: outflows with four decimals,
                         efficiencies with two; an outflow of 0.0001 or less shows as 0 (the
                         first days, before a day reaches its retention time, show the initial
                         values of box E instead), and an efficiency that rounds to 0 or below
                         (no removal, or more out than in) shows as 1E-8
  --boxes BOXES.csv      the "Additional results" table: every variable in every box, per day,
                         with four decimals
  --graph COLUMN:FILE    the graph of series COLUMN (1 to 11, the columns of the data sheet, from
                         1 "BOD5 out" to 11 "eff. t.n. rem") as "Export graph..." draws it, with
                         the automatic maximum and, when the project holds observed values, those
                         shown; FILE ends in .png, .svg or .pdf (not "-"); may be repeated. Needs
                         no display.
  --graph-size WxH       the size of those pictures: pixels for PNG and SVG, points for PDF, each
                         side from 100 to 10000 (default 800x600)
  --forcing F.csv        before the run, imports forcing data as File > "Import forcing data..."
                         does, without a dialog: the delimiter (comma, semicolon, tab) and the
                         decimal mark are found in the file, its first line must name every
                         column (the headings Carexa exports, or the usual names such as
                         "Temperature", "Flow", "NH4-N"), and a first column of day numbers or
                         dates gives each row its day. A file with more days than the project
                         extends it without asking: the new days take day 1's volume, porosity,
                         average oxygen and box water volume. When the imported flows (or
                         the added days) leave the retention times calculated for other
                         flows, a warning on standard error names the days; the run uses the
                         retention times as they are unless --recalculate is given
  --observed O.csv       before the run, imports observed values the same way (a file with more
                         days extends the observed length without asking)
  --recalculate          before the run (after --forcing's import), calculates the water volume
                         and the retention times as "Calculate water volume" and "Calculate
                         RTB values" do: every day's box water volume from the design volume
                         and day 1's porosity, every day's RTB from it and the day's flow (a
                         day with a water flow of 0 is refused, and nothing is imported)
  --xlsx BOOK.xlsx       after the run, the workbook of File > Export > "Workbook (.xlsx)..."
  --fit FIT.csv          the fit of the eleven series to the observed values, as "Fit
                         statistics..." shows it: "series,n,mean_observed,mean_simulated,rmse,
                         mae,pbias,nse,kge,r2", one line per series, "n/a" where a statistic
                         cannot be computed (pairs: the days with an observed value other than
                         0.0001, against the data sheet as the run leaves it)

With no output option, run prints the days simulated and the last day's outflows and
efficiencies as --csv writes them.
)",
    .run = Run,
};

} // namespace carexa::batch
