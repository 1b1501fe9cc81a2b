// carexa-sim run: load a project, simulate it as "Simulate" does, write the results.

#include "app/batch_command.h"
#include "app/batch_runner.h"

#include "model/error.h"
#include "model/output_series.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <ostream>

namespace carexa::batch {

namespace {

std::string Csv(const TextGrid &grid, int columns, int days, const std::string &header)
{
    std::string text = header + '\n';
    for (int row = 1; row <= days; ++row) {
        text += std::to_string(row);
        for (int c = 1; c < columns; ++c) {
            text += ',';
            text += grid.cell(c, row);
        }
        text += '\n';
    }
    return text;
}

std::string HeaderOf(const TextGrid &grid, int columns)
{
    std::string header;
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            header += ',';
        header += grid.cell(c, 0);
    }
    return header;
}

std::string SheetHeader()
{
    std::string header(kDayHeading);
    for (std::string_view heading : kSeriesHeadings) {
        header += ',';
        header += heading;
    }
    return header;
}

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const ParsedArguments parsed
        = ParseArguments(args, {.single = {"--save", "--csv", "--datasheet", "--boxes"}});

    Session session;
    LoadSession(session, parsed.positionals.front());
    ModelState &state = session.state;
    const RunOutcome outcome = RunSimulation(state, session.dataGrid);
    const int days = state.simulationLength;

    if (const auto save = parsed.value("--save")) {
        if (*save == "-")
            WriteOutput("-", ProjectText(state, session.observed, session.design), out,
                "The project");
        else
            SaveProjectFile(ProjectFileName(*save), state, session.observed, session.design);
    }
    if (const auto csv = parsed.value("--csv"))
        WriteOutput(*csv, Csv(session.dataGrid, 12, days, SheetHeader()), out, "The data sheet");
    if (const auto datasheet = parsed.value("--datasheet")) {
        TextGrid sheet(5, 5);
        FillSimulationDataSheet(state, sheet, kDataSheetButton);
        WriteOutput(*datasheet, Csv(sheet, 12, days, HeaderOf(sheet, 12)), out, "The data sheet");
    }
    if (const auto boxesName = parsed.value("--boxes")) {
        TextGrid boxes(5, 5);
        FillAdditionalResults(state, boxes);
        WriteOutput(*boxesName,
            Csv(boxes, boxes.columnCount(), days, HeaderOf(boxes, boxes.columnCount())), out,
            "The additional results");
    }
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
                "                       [--datasheet SHEET.csv] [--boxes BOXES.csv]",
    .help = R"(run: loads PROJECT.mdl as "Load Project" does (a damaged or incomplete file is
refused), then simulates it as "Simulate" does, with the climate and time steps per day stored in
the file.

  --save OUT.mdl         the project as "Save Project" writes it right after the run, results
                         included (".mdl" is appended unless the name already contains it)
  --csv SHEET.csv        the simulation data sheet as the run leaves it: outflows and
                         efficiencies with three decimals, one line per day
  --datasheet SHEET.csv  the table of the "Data sheet" button: outflows with four decimals,
                         efficiencies with two, values of 0.0001 and below shown as 0
  --boxes BOXES.csv      the "Additional results" table: every variable in every box, per day
)",
    .run = Run,
};

} // namespace carexa::batch
