// carexa-sim uncertainty: the 95 % prediction uncertainty bands as the window's
// "Uncertainty..." makes them with its default ranges, every parameter varied.

#include "app/batch_command.h"
#include "app/batch_runner.h"

#include "analysis/observations.h"
#include "analysis/uncertainty.h"
#include "model/error.h"
#include "simulation/simulation_run.h"

#include <ostream>

namespace carexa::batch {

namespace {

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &)
{
    const ParsedArguments parsed = ParseArguments(
        args, {.single = {"--bands", "--report", "--samples", "--seed", "--threads"}});
    const std::optional<std::string> bands = parsed.value("--bands");
    if (!bands)
        throw UsageError("uncertainty needs --bands");
    const UncertaintyOptions defaults;
    UncertaintyInput input;
    input.options.samples = static_cast<int>(
        WholeNumberOption(parsed, "--samples", defaults.samples, kMinSamples, kMaxSamples));
    input.options.seed = SeedOption(parsed, defaults.seed);
    input.options.threads = ThreadsOption(parsed);

    Session session;
    LoadSession(session, parsed.positionals.front());
    const ModelState &state = session.state();
    CheckRunnable(state);
    input.run = MakeRunInput(state);
    input.ranges = ClimateRanges(state.climate);
    input.varied.fill(true);
    input.observed = MeasuredValues(session.observed(), state.observedLength, state.simulationLength);

    const UncertaintyResult result = RunUncertainty(input);
    WriteOutput(*bands, BandsCsv(result), out, "The uncertainty bands");
    if (const auto report = parsed.value("--report"))
        WriteOutput(*report, UncertaintyReportCsv(result), out, "The uncertainty report");
    return kBatchOk;
}

} // namespace

const Command kUncertaintyCommand {
    .name = "uncertainty",
    .synopsis = "carexa-sim uncertainty PROJECT.mdl --bands BANDS.csv [--report REPORT.csv]\n"
                "                       [--samples N] [--seed S] [--threads T]",
    .help = R"(uncertainty: loads PROJECT.mdl and simulates N parameter sets of a Latin hypercube
(McKay et al. 1979), every parameter uniform over the range the project's climate accepts, as
"Uncertainty..." does. For every day and series it gives the 2.5th, 50th and 97.5th percentiles
over the runs (linear interpolation between order statistics), the 95 % prediction uncertainty.
Runs that stop on non-finite values are left out and counted; when every run stops there is no
band (exit status 1).

  --bands BANDS.csv      "Day", then "<heading> p2.5,<heading> p50,<heading> p97.5" for every
                         series in data sheet order; one line per day
  --report REPORT.csv    "series,n_observed,p_factor,r_factor,runs_used,runs_failed": against the
                         project's observed values (days 1 to the shorter of both lengths), the
                         share of measured days inside the band, ends included (p-factor), and
                         the mean band width over those days divided by the standard deviation
                         of the measurements, n - 1 (r-factor); empty where undefined
  --samples N            parameter sets, 2 to 100000 (default 200)
  --seed S               seed of the samples, 0 or more (default 1); the same seed gives the same
                         bands on any number of threads
  --threads T            workers, 1 to 256 (default: every core)
)",
    .run = Run,
};

} // namespace carexa::batch
