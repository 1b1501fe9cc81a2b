// carexa-sim compliance: the probability that the bed meets its permit limits, over the runs of a
// plain or a conditioned ensemble, as the window shows it beside the band.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "app/kept_analyses_file.h"

#include "analysis/compliance.h"
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
        {.single = {"--report", "--samples", "--start-date", "--warm-up", "--seed", "--threads"},
            .repeatable = {"--target"},
            .flags = {"--condition", "--keep"}});
    const std::optional<std::string> report = parsed.value("--report");
    if (!report)
        throw UsageError("compliance needs --report");
    if (parsed.all("--target").empty())
        throw UsageError("compliance needs at least one --target SERIES:LIMIT:STATISTIC");
    const bool condition = parsed.has("--condition");
    const int samples = static_cast<int>(WholeNumberOption(parsed, "--samples",
        condition ? ConditioningOptions {}.samples : kDefaultComplianceSamples,
        condition ? kMinConditioningSamples : kMinSamples,
        condition ? kMaxConditioningSamples : kMaxSamples));
    const std::uint64_t seed = SeedOption(parsed, kDefaultAnalysisSeed);
    const int threads = ThreadsOption(parsed);
    ComplianceInput input;
    input.threads = threads;
    if (const auto date = parsed.value("--start-date")) {
        input.startDate = ParseIsoDate(*date);
        if (!input.startDate)
            throw UsageError("--start-date takes a date YYYY-MM-DD");
    }
    if (parsed.value("--warm-up"))
        input.warmUp = static_cast<int>(
            WholeNumberOption(parsed, "--warm-up", 0, 0, std::numeric_limits<std::int32_t>::max()));
    for (const std::string &target : parsed.all("--target"))
        input.targets.push_back(ParseTarget(target));

    Session session;
    LoadSession(session, parsed.positionals.front());
    const ModelState &state = session.state();
    CheckRunnable(state);
    const std::uint64_t inputs = session.project.runInputsFingerprint();
    input.run = MakeRunInput(state);
    std::vector<std::string> notes;
    if (condition) {
        ConditioningInput conditioning = DefaultConditioningInput(input.run,
            MeasuredValues(session.observed(), state.observedLength, state.simulationLength));
        conditioning.options.samples = samples;
        conditioning.options.seed = seed;
        conditioning.options.threads = threads;
        conditioning.bands = false;
        // The targets are checked before the runs of the conditioning.
        input.ensemble.parameters = {input.run.parameters};
        input.ensemble.weights = {1};
        CheckComplianceInput(input);
        const ConditioningResult conditioned = RunConditioning(conditioning);
        input.ensemble = conditioned.ensemble;
        notes = ConditioningNotes(conditioned, conditioning.options.threshold);
    } else {
        std::array<bool, kParameterCount> varied {};
        varied.fill(true);
        input.ensemble
            = PlainEnsemble(input.run, ClimateRanges(state.climate), varied, samples, seed);
    }
    const ComplianceResult result = RunCompliance(input);
    WriteOutput(*report, ComplianceCsv(result), out, "The compliance report");
    notes.push_back(
        std::string(result.conditioned ? "The ensemble is conditioned on the measurements: "
                                       : "The ensemble is not conditioned: ")
        + std::to_string(result.runsUsed) + " runs, " + std::to_string(result.warmUp)
        + " days of warm-up left out.");
    if (result.runsFailed > 0)
        notes.push_back(std::to_string(result.runsFailed)
            + " runs stopped on non-finite values and were left out. The first: " + result.failure);
    notes.emplace_back(kComplianceScope);
    if (parsed.has("--keep")) {
        KeepAnalysesBeside(parsed.positionals.front(), [&](KeptAnalyses &kept) {
            kept.compliance = KeptCompliance {.inputs = inputs, .seed = seed, .samples = samples,
                .conditioned = result.conditioned, .warmUp = result.warmUp, .runsUsed = result.runsUsed,
                .runsFailed = result.runsFailed, .effectiveRuns = result.effectiveRuns,
                .outcomes = result.outcomes};
        }, notes);
    }
    WriteNotes(notes, err);
    return kBatchOk;
}

} // namespace

const Command kComplianceCommand {
    .name = "compliance",
    .synopsis = "carexa-sim compliance PROJECT.mdl --target SERIES:LIMIT:STATISTIC ...\n"
                "                       --report C.csv [--samples N] [--condition]\n"
                "                       [--start-date YYYY-MM-DD] [--warm-up DAYS] [--seed S]\n"
                "                       [--threads T] [--keep]",
    .help = R"(compliance: loads PROJECT.mdl and gives the probability that the bed meets each
permit target, over an ensemble of parameter sets: a Latin hypercube of N sets over the ranges
the project's climate accepts, equally weighted, or with --condition the behavioural runs of
"condition" with its defaults, weighted as its band. A target is SERIES:LIMIT:STATISTIC, SERIES
a data sheet column 1 to 11, and it is met when the statistic is at most the limit:
  max              the highest day
  mean             the mean of the days
  annual-mean      the highest mean of a 365-day period
  monthly-mean     the highest mean of a calendar month (with --start-date), else of a 30-day
                   block from the first day after the warm-up
  weekly-mean      the same of a week, Monday to Sunday, or of a 7-day block
  p95              the 95th percentile of the days (h = (n - 1) 0.95)
  exceed-days:K    at most K days above the limit in any 365-day period
  removal-monthly  for the efficiencies (columns 6 to 11): the lowest monthly mean removal, as
                   monthly-mean takes its months, must be at least the limit (in %)
A period that is not whole counts when it holds at least two thirds of its days. The days of
the warm-up are left out first: by default the largest retention time per box (RTB) of the run
in whole days, at least 1. The probability is the weighted share of the runs that meet the
target, with a 95 % Wilson interval from the effective number of runs (sum w)^2 / sum w^2.
Notes on standard error say whether the ensemble was conditioned, the warm-up, and that the
probabilities cover the uncertainty of the parameters only, not that of the forcing data or of
the model's form.

  --target T             a permit target (repeat for more); refused with a message when it is
                         not one, or when no period of its statistic counts after the warm-up
  --report C.csv         "series,limit,statistic,probability_met,probability_lo,probability_hi,
                         statistic_p2_5,statistic_p50,statistic_p97_5,runs_used,ensemble": one
                         line per target, the weighted 2.5th, 50th and 97.5th percentiles of
                         the statistic over the runs, ensemble "conditioned" or "unconditioned"
  --samples N            parameter sets: of the ensemble, 2 to 100000 (default 500); with
                         --condition, of every iteration, 20 to 100000 (default 500)
  --condition            condition the ensemble on the project's observed values (refused
                         without any)
  --start-date D         the date of day 1, YYYY-MM-DD: months and weeks are calendar ones
  --warm-up DAYS         the days left out at the start, 0 or more
  --seed S               seed of the samples, 0 or more (default 1)
  --threads T            workers, 1 to 256 (default: every core)
  --keep                 keep the result in NAME.carexa.json beside PROJECT.mdl (written
                         whole, its other contents as they were) for the design report, with
                         the fingerprint of the inputs it ran on: a report of the project
                         changed since marks it stale
)",
    .run = Run,
};

} // namespace carexa::batch
