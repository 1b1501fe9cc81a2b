// carexa-sim calibrate: fit the parameters to the observed values of a project, as the window's
// "Calibrate..." does with its defaults, and save the project with them.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "project/kept_analyses.h"
#include "report/side_file.h"
#include "project/project_file.h"

#include "analysis/calibration.h"
#include "analysis/confidence.h"
#include "analysis/observations.h"
#include "io/output_file.h"
#include "model/error.h"
#include "model/output_series.h"
#include "simulation/simulation_run.h"

#include <charconv>
#include <ostream>

namespace carexa::batch {

namespace {

// --params AC,NC,...: only these parameters are fitted, the others keep their values.
void ChooseParameters(CalibrationInput &input, const std::string &list)
{
    input.fit = ParameterList(list);
}

// --series 1,3,...: only these columns of the data sheet are fitted.
void ChooseSeries(CalibrationInput &input, const std::string &list)
{
    input.series = SeriesList(list);
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
        {.single = {"--save", "--report", "--confidence", "--correlation", "--params", "--series",
             "--runs", "--seed", "--threads"}});
    const std::optional<std::string> save = parsed.value("--save");
    if (!save)
        throw UsageError("calibrate needs --save OUT.mdl");

    Session session;
    LoadSession(session, parsed.positionals.front());
    const ModelState &state = session.state();
    session.project.checkRunnable();

    CalibrationInput input = DefaultCalibrationInput(MakeRunInput(state),
        MeasuredValues(session.observed(), state.observedLength, state.simulationLength));
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

    // The intervals come before anything is written: a refusal leaves every file as it was.
    const std::optional<std::string> confidence = parsed.value("--confidence");
    const std::optional<std::string> correlation = parsed.value("--correlation");
    ConfidenceResult intervals;
    if (confidence || correlation)
        intervals = ParameterConfidence(input, result.after);

    // Applied as "Apply" in the calibration window applies it: the parameters, then a run.
    session.project.applyCalibration(result.after);
    const FrozenRun &outcome = *session.project.run();
    if (*save == "-") {
        StreamSink sink(out, "Standard output");
        session.project.write(sink);
    } else {
        const std::filesystem::path saved = ProjectFileName(*save);
        session.project.save(saved);
        // The calibration goes into the saved project's side file (the input's side file
        // follows the project), with the fingerprint of the project as it loads from the file.
        SideFileRead side = ReadSideFile(parsed.positionals.front());
        std::vector<std::string> notes;
        if (side.problem.find("is damaged") != std::string::npos) {
            notes.push_back(side.problem + " The calibration was not kept in a side file.");
        } else {
            Project reread;
            reread.load(ReadProjectFile(saved));
            reread.takeSideFile(std::move(side.settings), side.problem);
            KeptAnalyses calibrated;
            calibrated.calibration = KeepCalibration(input, result,
                confidence || correlation ? &intervals : nullptr, reread.runInputsFingerprint());
            reread.keepAnalyses(calibrated);
            WriteSideFile(saved, reread.reportSettings());
        }
        WriteNotes(notes, err);
    }
    if (const auto report = parsed.value("--report"))
        WriteOutput(*report, Report(input, result), out, "The calibration report");
    if (confidence)
        WriteOutput(*confidence, ConfidenceCsv(intervals), out, "The confidence intervals");
    if (correlation)
        WriteOutput(*correlation, CorrelationCsv(intervals), out, "The correlation matrix");
    if (confidence || correlation)
        WriteNotes({std::string(kConfidenceAssumption)}, err);
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
                "                       [--confidence CI.csv] [--correlation CORR.csv]\n"
                "                       [--params AC,NC,...] [--series 1,2,...] [--runs N]\n"
                "                       [--seed S] [--threads T]",
    .help = R"(calibrate: loads PROJECT.mdl, fits the parameters to its observed values as the
window's "Calibrate..." does with its defaults, and saves the project with the calibrated
parameters and the results of a run with them. The objective is the weighted mean of 1 - NSE
over the fitted series (weights 1); each parameter is searched within the range a run keeps in
the project's climate, starting from its current value (or the nearest bound). The result depends
on the seed, not on the number of threads.

  --save OUT.mdl         the calibrated project (".mdl" is appended unless the name already
                         contains it); required. The calibration (each parameter before and
                         after, its bounds, and the confidence when asked) is kept for the
                         design report in OUT.carexa.json, which starts from PROJECT's side file
  --report REPORT.csv    "parameter,before,after,lower,upper", one line per parameter, then an
                         empty line and the fit statistics of the calibrated run, as --fit of
                         "run" writes them
  --confidence CI.csv    "parameter,value,std_error,ci95_lower,ci95_upper,status": the linear
                         95 % confidence interval of every fitted parameter at its calibrated
                         value. The residuals are those of the objective, sqrt(w / SST)
                         (sim - obs); the Jacobian comes from central differences of a
                         hundredth of each range as the search scales it (logarithmic over two
                         decades or more); the covariance s^2 (J^T J)^-1, s^2 = sum r^2 / (n - p),
                         from a singular value decomposition with the columns scaled; Student's
                         t at n - p degrees of freedom. status is "at_bound" for a parameter
                         within a step of a bound (left out of the covariance), "undetermined"
                         for one the measurements cannot pin (in the null space of J, an
                         interval wider than its bounds, or a correlation beyond 0.95 with
                         another), else "determined"; "n/a" for numbers that cannot be computed.
                         The intervals assume independent errors; daily residuals are
                         autocorrelated, so they are too narrow (a note on standard error says so)
  --correlation CORR.csv
                         the correlation matrix of the fitted parameters, their codes as the
                         heading line and the first column; "n/a" where not computable
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
