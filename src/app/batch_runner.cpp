#include "app/batch_runner.h"

#include "model/error.h"
#include "model/model_state.h"
#include "model/output_series.h"
#include "model/text_grid.h"
#include "project/project_file.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <fstream>
#include <map>
#include <optional>
#include <ostream>

namespace carexa {

namespace {

struct Options
{
    std::string project;
    std::optional<std::string> save, csv, datasheet, boxes;
};

class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

Options ParseArguments(const std::vector<std::string> &args)
{
    if (args.empty())
        throw UsageError("no command given");
    if (args[0] != "run")
        throw UsageError("unknown command '" + args[0] + "'");
    Options options;
    const std::map<std::string, std::optional<std::string> Options::*> outputs {
        {"--save", &Options::save},
        {"--csv", &Options::csv},
        {"--datasheet", &Options::datasheet},
        {"--boxes", &Options::boxes},
    };
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const auto option = outputs.find(arg);
        if (option != outputs.end()) {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a file name");
            if (options.*(option->second))
                throw UsageError(arg + " is given twice");
            options.*(option->second) = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option '" + arg + "'");
        } else if (options.project.empty()) {
            options.project = arg;
        } else {
            throw UsageError("more than one project file given");
        }
    }
    if (options.project.empty())
        throw UsageError("no project file given");
    return options;
}

// Writes `text` to standard output for "-", else to the named file.
void WriteOutput(const std::string &name, const std::string &text, std::ostream &out)
{
    if (name == "-") {
        out << text;
        out.flush();
        return;
    }
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        throw Error("cannot write \"" + name + "\"");
}

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

} // namespace

std::string BatchHelp()
{
    return R"(Usage: carexa-sim run PROJECT.mdl [--save OUT.mdl] [--csv SHEET.csv]
                       [--datasheet SHEET.csv] [--boxes BOXES.csv]
       carexa-sim --help

Loads PROJECT.mdl as "Load Project" does (a damaged or incomplete file is refused), then
simulates it as "Simulate" does, with the climate and time steps per day stored in the file.

Options (each takes a file name; "-" writes to standard output):
  --save OUT.mdl         the project as "Save Project" writes it right after the run, results
                         included (".mdl" is appended unless the name already contains it)
  --csv SHEET.csv        the simulation data sheet as the run leaves it: outflows and
                         efficiencies with three decimals, one line per day
  --datasheet SHEET.csv  the table of the "Data sheet" button: outflows with four decimals,
                         efficiencies with two, values of 0.0001 and below shown as 0
  --boxes BOXES.csv      the "Additional results" table: every variable in every box, per day
  --help                 this text

Exit status: 0 on success; 1 with a one-line message on standard error when the project file is
refused, the run cannot start, the run stops early (the outputs then hold the days before it), or
an output cannot be written; 2 on wrong usage.
)";
}

int RunBatch(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    for (const std::string &arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << BatchHelp();
            return kBatchOk;
        }
    }
    Options options;
    try {
        options = ParseArguments(args);
    } catch (const UsageError &e) {
        err << "carexa-sim: " << e.what() << "\nTry 'carexa-sim --help'.\n";
        return kBatchUsage;
    }

    try {
        ModelState state;
        TextGrid observed(12, state.observedLength + 1);
        TextGrid dataGrid(5, 5);
        FillStartupDataSheet(state, dataGrid);

        DesignTexts design;
        {
            const LoadedProject loaded = ReadProjectFile(options.project);
            ApplyProject(loaded, state);
            FillObservedGrid(loaded, observed);
            design = LoadedDesignTexts(loaded);
        }

        const RunOutcome outcome = RunSimulation(state, dataGrid);
        const int days = state.simulationLength;

        if (options.save) {
            if (*options.save == "-")
                WriteOutput("-", ProjectText(state, observed, design), out);
            else
                SaveProjectFile(ProjectFileName(*options.save), state, observed, design);
        }
        if (options.csv)
            WriteOutput(*options.csv, Csv(dataGrid, 12, days, SheetHeader()), out);
        if (options.datasheet) {
            TextGrid sheet(5, 5);
            FillSimulationDataSheet(state, sheet, kDataSheetButton);
            WriteOutput(*options.datasheet, Csv(sheet, 12, days, HeaderOf(sheet, 12)), out);
        }
        if (options.boxes) {
            TextGrid boxes(5, 5);
            FillAdditionalResults(state, boxes);
            WriteOutput(*options.boxes,
                Csv(boxes, boxes.columnCount(), days, HeaderOf(boxes, boxes.columnCount())), out);
        }
        if (!outcome.completed) {
            err << "carexa-sim: " << outcome.message << '\n';
            return kBatchFailed;
        }
    } catch (const Error &e) {
        err << "carexa-sim: " << e.what() << '\n';
        return kBatchFailed;
    }
    return kBatchOk;
}

} // namespace carexa
