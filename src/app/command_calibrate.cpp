// carexa-sim calibrate: fit the parameters to the observed values of a project, as the window's
// "Calibrate..." does with its defaults, and save the project with them.

#include "app/batch_command.h"
#include "app/batch_runner.h"

#include "analysis/calibration.h"
#include "analysis/observations.h"
#include "io/output_file.h"
#include "model/error.h"
#include "model/output_series.h"
#include "simulation/simulation_run.h"

#include <charconv>
#include <ostream>

namespace carexa::batch {

namespace {

// A text of the user's in a message: at most 40 characters, escaped, in double quotes.
std::string Quote(std::string_view text)
{
    std::string quoted(1, '"');
    quoted += QuotedText(text);
    quoted += '"';
    return quoted;
}

std::vector<std::string> CommaList(const std::string &text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

std::string ParameterNames()
{
    std::string names;
    for (int i = 0; i < kParameterCount; ++i) {
        if (i > 0)
            names += ", ";
        names += ParameterName(static_cast<Parameter>(i));
    }
    return names;
}

// --params AC,NC,...: only these parameters are fitted, the others keep their values.
void ChooseParameters(CalibrationInput &input, const std::string &list)
{
    input.fit.fill(false);
    for (const std::string &name : CommaList(list)) {
        bool known = false;
        for (int i = 0; i < kParameterCount; ++i) {
            if (ParameterName(static_cast<Parameter>(i)) == name) {
                input.fit[static_cast<std::size_t>(i)] = true;
                known = true;
            }
        }
        if (!known)
            throw Error("--params names parameters among " + ParameterNames() + ", not "
                + Quote(name) + ".");
    }
}

// --series 1,3,...: only these columns of the data sheet are fitted.
void ChooseSeries(CalibrationInput &input, const std::string &list)
{
    input.series.fill(false);
    for (const std::string &item : CommaList(list)) {
        int column = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), column);
        if (item.empty() || error != std::errc() || end != item.data() + item.size() || column < 1
            || column > kSeriesCount)
            throw Error("--series names data sheet columns 1 to 11, not " + Quote(item) + ".");
        input.series[static_cast<std::size_t>(column - 1)] = true;
    }
}

std::string Report(const CalibrationInput &input, const CalibrationResult &result)
{
    std::string text = "parameter,before,after,lower,upper\n";
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        const ParameterBounds &bounds = input.bounds[static_cast<std::size_t>(i)];
        text += ParameterName(p);
        for (double value :
            {result.before.get(p), result.after.get(p), bounds.lower, bounds.upper}) {
            text += ',';
            AppendShortest(text, value);
        }
        text += '\n';
    }
    text += '\n';
    text += FitCsv(result.fitAfter);
    return text;
}

int Calibrate(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const ParsedArguments parsed = ParseArguments(args,
        {.single
            = {"--save", "--report", "--params", "--series", "--runs", "--seed", "--threads"}});
    const std::optional<std::string> save = parsed.value("--save");
    if (!save)
        throw UsageError("calibrate needs --save OUT.mdl");

    Session session;
    LoadSession(session, parsed.positionals.front());
    ModelState &state = session.state;
    CheckRunnable(state);

    CalibrationInput input = DefaultCalibrationInput(MakeRunInput(state),
        MeasuredValues(session.observed, state.observedLength, state.simulationLength));
    if (const auto params = parsed.value("--params"))
        ChooseParameters(input, *params);
    if (const auto series = parsed.value("--series"))
        ChooseSeries(input, *series);
    input.runsAllowed = static_cast<int>(WholeNumberOption(
        parsed, "--runs", kDefaultCalibrationRuns, kMinCalibrationRuns, kMaxCalibrationRuns));
    input.seed = SeedOption(parsed, kDefaultCalibrationSeed);
    input.threads = ThreadsOption(parsed);

    const CalibrationResult result = carexa::Calibrate(input);
    if (result.objectiveAfter >= kFailedObjective)
        throw Error("every run stopped on concentrations too large for a number; nothing was "
                    "calibrated. Check the forcing values and the time step.");
    if (result.runsFailed > 0)
        err << "carexa-sim: " << result.runsFailed << " of the " << result.runsUsed
            << " runs stopped on concentrations too large for a number; they counted as the "
               "worst fit and the search went on.\n";

    state.parameters = result.after;
    const RunOutcome outcome = SimulateProject(state);
    if (*save == "-") {
        StreamSink sink(out, "Standard output");
        WriteProject(state, session.observed, session.design, sink);
    } else {
        SaveProjectFile(ProjectFileName(*save), state, session.observed, session.design);
    }
    if (const auto report = parsed.value("--report"))
        WriteOutput(*report, Report(input, result), out, "The calibration report");
    if (!outcome.completed) {
        err << "carexa-sim: " << outcome.message << '\n';
        return kBatchFailed;
    }
    return kBatchOk;
}

} // namespace

const Command kCalibrateCommand {
    .name = "calibrate",
    .synopsis = "carexa-sim calibrate PROJECT.mdl --save OUT.mdl [--report REPORT.csv]\n"
                "                       [--params AC,NC,...] [--series 1,2,...] [--runs N]\n"
                "                       [--seed S] [--threads T]",
    .help = R"(calibrate: loads PROJECT.mdl, fits the parameters to its observed values as the
window's "Calibrate..." does with its defaults, and saves the project with the calibrated
parameters and the results of a run with them. The objective is the weighted mean of 1 - NSE
over the fitted series (weights 1); each parameter is searched within the range a run keeps in
the project's climate, starting from its current value (or the nearest bound). The result depends
on the seed, not on the number of threads.

  --save OUT.mdl         the calibrated project (".mdl" is appended unless the name already
                         contains it); required
  --report REPORT.csv    "parameter,before,after,lower,upper", one line per parameter, then an
                         empty line and the fit statistics of the calibrated run, as --fit of
                         "run" writes them
  --params AC,NC,...     the parameters to fit (default: all sixteen); the others keep their
                         values
  --series 1,2,...       the data sheet columns to fit, 1 "BOD5 out" to 11 "eff. t.n. rem"
                         (default: every series with at least 2 observed days)
  --runs N               the model runs allowed, 20 to 1000000 (default 4000)
  --seed S               the seed of the search (default 1)
  --threads T            the worker threads, 1 to 256 (default: the machine's cores)
)",
    .run = Calibrate,
};

} // namespace carexa::batch
