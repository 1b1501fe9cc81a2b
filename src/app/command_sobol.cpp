// carexa-sim sobol: variance-based sensitivity indices of the parameters, as the window's
// sensitivity dialog computes them beside Morris's screening.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "app/kept_analyses_file.h"

#include "analysis/sobol.h"
#include "model/error.h"
#include "simulation/simulation_run.h"

#include <bit>
#include <ostream>

namespace carexa::batch {

namespace {

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const ParsedArguments parsed = ParseArguments(
        args, {.single = {"--report", "--base-samples", "--params", "--seed", "--threads"}, .flags = {"--keep"}});
    const std::optional<std::string> report = parsed.value("--report");
    if (!report)
        throw UsageError("sobol needs --report");
    const SobolOptions defaults;
    SobolInput input;
    const long long n = WholeNumberOption(
        parsed, "--base-samples", defaults.baseSamples, kMinSobolSamples, kMaxSobolSamples);
    if (!std::has_single_bit(static_cast<unsigned long long>(n)))
        throw UsageError("--base-samples takes a power of two from "
            + std::to_string(kMinSobolSamples) + " to " + std::to_string(kMaxSobolSamples));
    input.options.baseSamples = static_cast<int>(n);
    input.options.seed = SeedOption(parsed, defaults.seed);
    input.options.threads = ThreadsOption(parsed);
    input.varied.fill(true);
    if (const auto params = parsed.value("--params"))
        input.varied = ParameterList(*params);

    Session session;
    LoadSession(session, parsed.positionals.front());
    CheckRunnable(session.state());
    const std::uint64_t inputs = session.project.runInputsFingerprint();
    input.run = MakeRunInput(session.state());
    input.ranges = ClimateRanges(session.state().climate);

    const SobolResult result = RunSobol(input);
    WriteOutput(*report, SobolCsv(result), out, "The Sobol report");
    if (parsed.has("--keep")) {
        std::vector<std::string> notes;
        KeepAnalysesBeside(parsed.positionals.front(), [&](KeptAnalyses &kept) {
            kept.sobol = KeptSobol {.inputs = inputs, .seed = input.options.seed,
                .resamples = input.options.resamples, .result = result};
            kept.sobol->result.failure.clear();
        }, notes);
        WriteNotes(notes, err);
    }
    if (result.rowsFailed > 0)
        WriteNotes({std::to_string(result.rowsFailed) + " of " + std::to_string(result.baseSamples)
                       + " rows were left out because a run stopped on non-finite values. The "
                         "first: "
                       + result.failure},
            err);
    return kBatchOk;
}

} // namespace

const Command kSobolCommand {
    .name = "sobol",
    .synopsis = "carexa-sim sobol PROJECT.mdl --report S.csv [--base-samples N]\n"
                "                       [--params AC,NC,...] [--seed S] [--threads T] [--keep]",
    .help = R"(sobol: loads PROJECT.mdl and splits the variance of every series among the
parameters (Sobol' indices), as the sensitivity dialog does beside Morris's screening, with the
ranges the project's climate accepts. The sample is N points of a 2k-dimensional Sobol'
sequence (Boost.Random's, without its all-zero first point): matrices A and B of k columns and
each A_B^(i), A with column i from B; N (k + 2) runs. The output of a run is each series' mean
over the simulated days. With V the variance of f(A) and f(B) together, the estimators of
Saltelli et al. (2010) are S1_i = (1/N) sum f(B) (f(A_B^(i)) - f(A)) / V and
ST_i = (1/(2N)) sum (f(A) - f(A_B^(i)))^2 / V (the outputs taken from their mean); a parameter
without effect on a series has exactly 0 for both. The 95 % intervals are percentiles of 1000
bootstrap resamples of the rows, shared by A, B and every A_B^(i). A row with a run that stops
on non-finite values is left out whole, with a note on standard error.

  --report S.csv         "parameter,series,s1,s1_lo,s1_hi,st,st_lo,st_hi": one line for each
                         varied parameter and series; "n/a" where the series does not vary (V = 0)
  --base-samples N       N, a power of two from 8 to 65536 (default 1024)
  --params AC,NC,...     the parameters to vary (default: all sixteen); the others keep their
                         values
  --seed S               seed of the bootstrap resamples, 0 or more (default 1); the same seed
                         gives the same report on any number of threads
  --threads T            workers, 1 to 256 (default: every core)
  --keep                 keep the result in NAME.carexa.json beside PROJECT.mdl (written
                         whole, its other contents as they were) for the design report, with
                         the fingerprint of the inputs it ran on: a report of the project
                         changed since marks it stale
)",
    .run = Run,
};

} // namespace carexa::batch
