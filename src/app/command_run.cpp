// carexa-sim run: load a project, simulate it as "Simulate" does, write the results.

#include "app/batch_command.h"
#include "app/batch_runner.h"

#include "io/buffered_writer.h"
#include "io/output_file.h"
#include "model/error.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <functional>
#include <memory>
#include <ostream>

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

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const ParsedArguments parsed
        = ParseArguments(args, {.single = {"--save", "--csv", "--datasheet", "--boxes"}});

    Session session;
    LoadSession(session, parsed.positionals.front());
    ModelState &state = session.state;
    const RunOutcome outcome = SimulateProject(state);

    if (const auto save = parsed.value("--save")) {
        if (*save == "-") {
            StreamSink sink(out, "Standard output");
            WriteProject(state, session.observed, session.design, sink);
        } else {
            SaveProjectFile(ProjectFileName(*save), state, session.observed, session.design);
        }
    }
    if (const auto csv = parsed.value("--csv")) {
        Output(*csv, out, "The data sheet",
            [&state](BufferedWriter &writer) { WriteSheetCsv(state, kRunSheet, writer); });
    }
    if (const auto datasheet = parsed.value("--datasheet")) {
        Output(*datasheet, out, "The data sheet",
            [&state](BufferedWriter &writer) { WriteSheetCsv(state, kDataSheetButton, writer); });
    }
    if (const auto boxes = parsed.value("--boxes")) {
        Output(*boxes, out, "The additional results",
            [&state](BufferedWriter &writer) { WriteAdditionalResultsCsv(state, writer); });
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
