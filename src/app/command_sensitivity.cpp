// carexa-sim sensitivity: Morris's screening of the sixteen parameters as the window's
// "Sensitivity..." runs it with its default ranges.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "app/kept_analyses_file.h"

#include "analysis/sensitivity.h"
#include "model/error.h"
#include "simulation/simulation_run.h"

#include <ostream>

namespace carexa::batch {

namespace {

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const ParsedArguments parsed = ParseArguments(
        args, {.single = {"--report", "--trajectories", "--levels", "--seed", "--threads"}, .flags = {"--keep"}});
    const std::optional<std::string> report = parsed.value("--report");
    if (!report)
        throw UsageError("sensitivity needs --report");
    const MorrisOptions defaults;
    SensitivityInput input;
    input.options.trajectories = static_cast<int>(WholeNumberOption(
        parsed, "--trajectories", defaults.trajectories, kMinTrajectories, kMaxTrajectories));
    input.options.levels = static_cast<int>(
        WholeNumberOption(parsed, "--levels", defaults.levels, kMinLevels, kMaxLevels));
    if (input.options.levels % 2 != 0)
        throw UsageError("--levels takes an even number");
    input.options.seed = SeedOption(parsed, defaults.seed);
    input.options.threads = ThreadsOption(parsed);

    Session session;
    LoadSession(session, parsed.positionals.front());
    CheckRunnable(session.state());
    const std::uint64_t inputs = session.project.runInputsFingerprint();
    input.run = MakeRunInput(session.state());
    input.ranges = ClimateRanges(session.state().climate);

    const SensitivityResult result = RunSensitivity(input);
    if (result.trajectoriesUsed == 0)
        throw Error("Every trajectory had a run that stopped on non-finite values, so there are "
                    "no effects. The first: "
            + result.failure);
    WriteOutput(*report, SensitivityCsv(result), out, "The sensitivity report");
    if (parsed.has("--keep")) {
        std::vector<std::string> notes;
        KeepAnalysesBeside(parsed.positionals.front(), [&](KeptAnalyses &kept) {
            kept.morris = KeptMorris {.inputs = inputs, .seed = input.options.seed,
                .levels = input.options.levels, .result = result};
            kept.morris->result.failure.clear();
        }, notes);
        WriteNotes(notes, err);
    }
    if (result.trajectoriesFailed > 0)
        err << "carexa-sim: note: " << result.trajectoriesFailed << " of " << result.trajectories
            << " trajectories were left out because a run stopped on non-finite values. The "
               "first: "
            << result.failure << '\n';
    return kBatchOk;
}

} // namespace

const Command kSensitivityCommand {
    .name = "sensitivity",
    .synopsis = "carexa-sim sensitivity PROJECT.mdl --report REPORT.csv [--trajectories R]\n"
                "                       [--levels P] [--seed S] [--threads T] [--keep]",
    .help = R"(sensitivity: loads PROJECT.mdl and screens the sixteen parameters by elementary
effects (Morris 1991; mu* of Campolongo et al. 2007), as "Sensitivity..." does with the ranges
the project's climate accepts: R trajectories of 17 runs on a P-level grid of the scaled ranges,
step Delta = P / (2 (P - 1)). The outcome of a run is the mean of each series over the simulated
days; an effect is (y(x + Delta e_i) - y(x)) / Delta with x in the unit cube, the change of that
mean per unit of the scaled range (a unit spans the whole range). A trajectory with a run that
stops on non-finite values is left out whole, with a note on standard error.

  --report REPORT.csv    the effects: "parameter,series,mu,mu_star,sigma", one line for each
                         parameter and series (16 x 11), series named by the data sheet headings;
                         sigma is the standard deviation with n - 1 (empty below two effects)
  --trajectories R       trajectories, 2 to 1000 (default 20)
  --levels P             grid levels, an even number from 2 to 100 (default 4)
  --seed S               seed of the design, 0 or more (default 1); the same seed gives the same
                         report on any number of threads
  --threads T            workers, 1 to 256 (default: every core)
  --keep                 keep the result in NAME.carexa.json beside PROJECT.mdl (written
                         whole, its other contents as they were) for the design report, with
                         the fingerprint of the inputs it ran on: a report of the project
                         changed since marks it stale
)",
    .run = Run,
};

} // namespace carexa::batch
