#include "app/batch_runner.h"

#include "app/batch_command.h"
#include "app/version.h"
#include "io/output_file.h"
#include "model/error.h"

#include <array>
#include <ostream>

namespace carexa {

namespace {

using batch::Command;

// Every command of carexa-sim, in the order --help lists them.
const std::array<const Command *, 10> kCommands {&batch::kRunCommand, &batch::kCalibrateCommand,
    &batch::kSensitivityCommand, &batch::kSobolCommand, &batch::kUncertaintyCommand,
    &batch::kConditionCommand, &batch::kComplianceCommand, &batch::kReportCommand,
    &batch::kExportCommand, &batch::kSizeCommand};

const Command *FindCommand(const std::string &name)
{
    for (const Command *command : kCommands) {
        if (command->name == name)
            return command;
    }
    return nullptr;
}

} // namespace

std::span<const batch::Command *const> BatchCommands()
{
    return kCommands;
}

std::string BatchVersion()
{
    return std::string("carexa-sim ") + kCarexaVersion + '\n';
}

std::string BatchHelp()
{
    std::string help = "Usage: ";
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (i > 0)
            help += "       ";
        help += kCommands[i]->synopsis;
        help += '\n';
    }
    help += "       carexa-sim --help\n";
    help += "       carexa-sim --version\n";
    for (const Command *command : kCommands) {
        help += '\n';
        help += command->help;
    }
    help += R"(
Headings of --forcing and --observed files. Letter case, punctuation, units in brackets, unit
words at the end and the words for the direction ("in", "influent", "inlet" in forcing data;
"out", "effluent", "outlet" in observed values) do not matter. A first column "Day" (day
numbers) or "Date" (dd.mm.yyyy, yyyy-mm-dd, dd/mm/yyyy) gives each row its day.
  forcing data      temp. (Temperature, T), water flow (Flow, Q, Discharge, Inflow), BOD5 (BOD,
                    BSB5, CBOD5), Nitrate (NO3-N, NO3), Ammonium (NH4-N, NH3-N, Ammonia),
                    total P. (TP, Ptot, Phosphorus), Org. Nit. (Organic N, Norg, ON), POM %,
                    PON %, POP % (Particulate organic matter, nitrogen, phosphorus), RTB
                    (Retention time)
  observed values   BOD5 out, nit. out, amm. out, total P. out, org. N. out (the names above
                    for each), eff. BOD5 rem, eff. nit. rem, eff. amm rem, eff. P. rem,
                    eff. o.n. rem, eff. t.n. rem ("BOD5 removal", "eff. TN", "TN elimination")
)";
    help += R"(
Every file option takes "-" for standard output. Output files are written whole or not at all:
a file that cannot be written completely leaves any earlier file of that name as it was.

Exit status: 0 on success; 1 with a one-line message on standard error when the project file is
refused, the run cannot start, the run stops early (the outputs then hold the days before it), an
analysis has no run to report on, a value given to size is refused (a flow, area, k20 or depth not
above 0, P below 1, a target not below its inflow ...), or an output cannot be written; 2 on wrong
usage.
)";
    return help;
}

int FinishBatch(int status, std::ostream &out, std::ostream &err)
{
    try {
        FlushStream(out, "Standard output");
    } catch (const Error &e) {
        // A failed output was already reported by the run; the flush only repeats it.
        if (status == kBatchOk) {
            err << "carexa-sim: " << e.what() << '\n';
            return kBatchFailed;
        }
    }
    return status;
}

int RunBatch(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    try {
        for (const std::string &arg : args) {
            if (arg == "--help" || arg == "-h") {
                batch::WriteOutput("-", BatchHelp(), out, "The help");
                return kBatchOk;
            }
            if (arg == "--version") {
                batch::WriteOutput("-", BatchVersion(), out, "The version");
                return kBatchOk;
            }
        }
        if (args.empty())
            throw batch::UsageError("no command given");
        const Command *command = FindCommand(args.front());
        if (!command)
            throw batch::UsageError("unknown command '" + QuotedText(args.front()) + "'");
        return command->run(args, out, err);
    } catch (const batch::UsageError &e) {
        err << "carexa-sim: " << e.what() << "\nTry 'carexa-sim --help'.\n";
        return kBatchUsage;
    } catch (const Error &e) {
        err << "carexa-sim: " << e.what() << '\n';
        return kBatchFailed;
    } catch (const std::bad_alloc &) {
        err << "carexa-sim: there is not enough memory for this project.\n";
        return kBatchFailed;
    }
}

} // namespace carexa
