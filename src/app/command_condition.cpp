// carexa-sim condition: the uncertainty band conditioned on the project's measurements, as the
// window's "Uncertainty..." makes it in its "Condition on measurements" mode with its defaults.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "app/kept_analyses_file.h"

#include "analysis/conditioning.h"
#include "analysis/observations.h"
#include "model/error.h"
#include "simulation/simulation_run.h"

#include <limits>
#include <ostream>

namespace carexa::batch {

namespace {

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const ParsedArguments parsed = ParseArguments(args,
        {.single = {"--ranges", "--bands", "--report", "--samples", "--iterations", "--threshold",
             "--validation-from", "--params", "--series", "--seed", "--threads"},
            .flags = {"--keep"}});
    const std::optional<std::string> ranges = parsed.value("--ranges");
    const std::optional<std::string> bands = parsed.value("--bands");
    const std::optional<std::string> report = parsed.value("--report");
    if (!ranges || !bands || !report)
        throw UsageError("condition needs --ranges, --bands and --report");
    const ConditioningOptions defaults;
    ConditioningOptions options;
    options.samples = static_cast<int>(WholeNumberOption(
        parsed, "--samples", defaults.samples, kMinConditioningSamples, kMaxConditioningSamples));
    options.iterations = static_cast<int>(WholeNumberOption(
        parsed, "--iterations", defaults.iterations, 1, kMaxConditioningIterations));
    options.threshold = NumberOption(parsed, "--threshold", defaults.threshold);
    options.validationFrom = static_cast<int>(WholeNumberOption(
        parsed, "--validation-from", 0, 0, std::numeric_limits<std::int32_t>::max()));
    options.seed = SeedOption(parsed, defaults.seed);
    options.threads = ThreadsOption(parsed);

    Session session;
    LoadSession(session, parsed.positionals.front());
    const ModelState &state = session.state();
    CheckRunnable(state);
    const std::uint64_t inputs = session.project.runInputsFingerprint();
    ConditioningInput input = DefaultConditioningInput(MakeRunInput(state),
        MeasuredValues(session.observed(), state.observedLength, state.simulationLength));
    input.options = options;
    if (const auto params = parsed.value("--params"))
        input.varied = ParameterList(*params);
    if (const auto series = parsed.value("--series"))
        input.series = SeriesList(*series);

    const ConditioningResult result = RunConditioning(input);
    WriteOutput(*ranges, ConditioningRangesCsv(result, input.varied), out, "The ranges");
    WriteOutput(*report, ConditioningReportCsv(result, input.series), out, "The report");
    WriteOutput(*bands, BandsCsv(result.band), out, "The bands");
    std::vector<std::string> notes = ConditioningNotes(result, options.threshold);
    if (parsed.has("--keep")) {
        KeepAnalysesBeside(parsed.positionals.front(),
            [&](KeptAnalyses &kept) { kept.conditioning = KeepConditioning(input, result, inputs); }, notes);
    }
    int failed = 0;
    for (const ConditioningIteration &iteration : result.iterations)
        failed += iteration.runsFailed;
    if (failed > 0)
        notes.push_back(std::to_string(failed)
            + " runs stopped on non-finite values and were left "
              "out. The first: "
            + result.failure);
    WriteNotes(notes, err);
    return kBatchOk;
}

} // namespace

const Command kConditionCommand {
    .name = "condition",
    .synopsis = "carexa-sim condition PROJECT.mdl --ranges RANGES.csv --bands BANDS.csv\n"
                "                       --report REPORT.csv [--samples N] [--iterations K]\n"
                "                       [--threshold NSE] [--validation-from DAY]\n"
                "                       [--params AC,NC,...] [--series 1,2,...] [--seed S]\n"
                "                       [--threads T] [--keep]",
    .help = R"(condition: loads PROJECT.mdl and conditions the 95 % prediction uncertainty on its
observed values, as "Uncertainty..." does in its "Condition on measurements" mode: SUFI-2
iterations (Abbaspour et al. 2004, 2007) with GLUE weights (Beven and Binley 1992). Every
iteration simulates a Latin hypercube of N parameter sets in its ranges (the first in the ranges
the project's climate accepts). A run's objective g is the calibration's weighted mean of
1 - NSE over the conditioned series; runs with a weighted-mean NSE of at least the threshold are
behavioural (with fewer than 100, the best 100 stand in, and a note says so). Each gets the
weight max(0, 1 - g), and the band is the weighted 2.5th and 97.5th percentile of every day.
The next ranges come from a linear regression of g on the scaled parameters: the interval
b* -/+ t sqrt(C_jj) around the best run, C = s_g^2 (J^T J)^-1, widened by SUFI-2's rule and
clipped to the climate's ranges. The analysis stops after K iterations or once p-factor >= 0.7
and r-factor <= 1.5 on every conditioned series, and keeps the iteration with p-factor >= 0.7 on
every series and the smallest mean r-factor (if none, the largest mean p-factor); a note says
which and why. The result depends on the seed, not on the number of threads.

  --ranges RANGES.csv    "iteration,parameter,lower,upper,best": the range each iteration
                         sampled for every varied parameter and the value of its best run
  --bands BANDS.csv      the bands of the kept iteration, as --bands of "uncertainty" writes
                         them: "Day", then "<heading> p2.5,<heading> p50,<heading> p97.5" for
                         every series in data sheet order
  --report REPORT.csv    "iteration,period,series,p_factor,r_factor,behavioural_runs,runs_failed":
                         for every iteration and conditioned series, the share of measured days
                         inside the band (p-factor) and the mean band width over the standard
                         deviation of the measurements (r-factor), in the "calibration" period
                         and, with --validation-from, in the "validation" period
  --samples N            parameter sets of every iteration, 20 to 100000 (default 500)
  --iterations K         1 to 20 (default 4)
  --threshold NSE        the weighted-mean NSE of a behavioural run, at most 1 (default 0.5)
  --validation-from DAY  the first day of a validation period, 2 to the simulation length: its
                         measurements are not used to condition, and are reported apart
  --params AC,NC,...     the parameters to vary (default: all sixteen); the others keep their
                         values
  --series 1,2,...       the data sheet columns to condition on (default: every series with at
                         least 2 observed days), each with weight 1
  --seed S               seed of the samples, 0 or more (default 1)
  --threads T            workers, 1 to 256 (default: every core)
  --keep                 keep the result in NAME.carexa.json beside PROJECT.mdl (written
                         whole, its other contents as they were) for the design report, with
                         the fingerprint of the inputs it ran on: a report of the project
                         changed since marks it stale

The values of the runs are kept as numbers of 8 bytes where they fit in 448 MB, else of 4; an
analysis whose values on the measured days, or whose one series of the bands, would not fit
is refused (500 runs of 36,500 days fit).
)",
    .run = Run,
};

} // namespace carexa::batch
