// The analyses of a project from Python, with the defaults and results of the carexa-sim
// commands: fit statistics, calibration, Morris screening and uncertainty bands. Each runs with
// the GIL released; its numbers come back as arrays and dicts.

#include "python/bindings.h"

#include "analysis/calibration.h"
#include "analysis/fit_statistics.h"
#include "analysis/observations.h"
#include "analysis/sensitivity.h"
#include "analysis/uncertainty.h"
#include "model/error.h"

#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <optional>

namespace carexa::python {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

ObservedSeries Measured(const Project &project)
{
    const ModelState &state = project.state();
    return MeasuredValues(project.observed(), state.observedLength, state.simulationLength);
}

py::object Optional(const std::optional<double> &value)
{
    return value ? py::object(py::float_(*value)) : py::object(py::none());
}

py::dict FitDict(const FitTable &table)
{
    py::dict fit;
    for (int c = 0; c < kSeriesCount; ++c) {
        const FitStatistics &s = table[static_cast<std::size_t>(c)];
        py::dict row;
        row["n"] = s.n;
        row["mean_observed"] = Optional(s.meanObserved);
        row["mean_simulated"] = Optional(s.meanSimulated);
        row["rmse"] = Optional(s.rmse);
        row["mae"] = Optional(s.mae);
        row["pbias"] = Optional(s.pbias);
        row["nse"] = Optional(s.nse);
        row["kge"] = Optional(s.kge);
        row["r2"] = Optional(s.r2);
        fit[py::str(SeriesKey(c))] = row;
    }
    return fit;
}

py::dict ParameterDict(const ModelParameters &parameters)
{
    py::dict values;
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        values[py::str(std::string(ParameterName(p)))] = parameters.get(p);
    }
    return values;
}

void Warn(const std::string &text)
{
    PyErr_WarnEx(PyExc_RuntimeWarning, text.c_str(), 1);
}

py::dict FitStatisticsOf(const Project &project)
{
    if (!project.run())
        throw Error("The project has no results yet: simulate it first.");
    return FitDict(SeriesFit(Measured(project), project.run()->series));
}

// The series named by their column (1 to 11) or heading.
std::array<bool, kSeriesCount> SeriesChoice(const py::handle &series)
{
    std::array<bool, kSeriesCount> chosen {};
    for (const py::handle item : series) {
        int column = 0;
        if (py::isinstance<py::str>(item)) {
            const auto name = py::cast<std::string>(item);
            for (int c = 0; c < kSeriesCount; ++c) {
                if (SeriesKey(c) == name)
                    column = c + 1;
            }
            if (column == 0)
                throw Error("'" + QuotedText(name)
                    + "' is no series: name them by the data "
                      "sheet's headings or columns 1 to 11.");
        } else {
            long long number = 0;
            try {
                number = py::cast<long long>(item);
            } catch (const py::cast_error &) {
                number = 0;
            }
            if (number < 1 || number > kSeriesCount || py::isinstance<py::bool_>(item))
                throw Error("The series are the data sheet's columns 1 to 11 or its headings, not "
                    + py::cast<std::string>(py::repr(item)).substr(0, 40) + ".");
            column = static_cast<int>(number);
        }
        chosen[static_cast<std::size_t>(column - 1)] = true;
    }
    return chosen;
}

py::dict CalibrateProject(Project &project, const py::object &parameters, const py::object &series,
    int runs, std::uint64_t seed, int threads, bool apply)
{
    project.checkRunnable();
    CalibrationInput input = DefaultCalibrationInput(project.runInput(), Measured(project));
    if (!parameters.is_none()) {
        input.fit.fill(false);
        for (const py::handle code : parameters) {
            if (!py::isinstance<py::str>(code))
                throw Error("The parameters are named by their codes: " + ParameterCodes() + ".");
            input.fit[static_cast<std::size_t>(ParameterFromCode(py::cast<std::string>(code)))]
                = true;
        }
    }
    if (!series.is_none())
        input.series = SeriesChoice(series);
    input.runsAllowed = runs;
    input.seed = seed;
    input.threads = AnalysisThreads(CheckedThreads(threads));
    CheckCalibration(input);

    CalibrationResult result;
    {
        py::gil_scoped_release release;
        result = carexa::Calibrate(input);
    }
    if (result.objectiveAfter >= kFailedObjective)
        throw Error("every run stopped on concentrations too large for a number; nothing was "
                    "calibrated. Check the forcing values and the time step.");
    if (result.runsFailed > 0)
        Warn(std::to_string(result.runsFailed) + " of the " + std::to_string(result.runsUsed)
            + " runs stopped on concentrations too large for a number; they counted as the "
              "worst fit and the search went on.");
    if (apply)
        project.applyCalibration(result.after);

    py::dict lower, upper;
    for (int i = 0; i < kParameterCount; ++i) {
        const py::str code(std::string(ParameterName(static_cast<Parameter>(i))));
        lower[code] = input.bounds[static_cast<std::size_t>(i)].lower;
        upper[code] = input.bounds[static_cast<std::size_t>(i)].upper;
    }
    py::dict out;
    out["before"] = ParameterDict(result.before);
    out["after"] = ParameterDict(result.after);
    out["lower"] = lower;
    out["upper"] = upper;
    out["objective_before"] = result.objectiveBefore;
    out["objective_after"] = result.objectiveAfter;
    out["fit_before"] = FitDict(result.fitBefore);
    out["fit_after"] = FitDict(result.fitAfter);
    out["runs_used"] = result.runsUsed;
    out["runs_failed"] = result.runsFailed;
    return out;
}

py::array_t<double> Matrix(int rows, int columns)
{
    return py::array_t<double>(std::vector<py::ssize_t> {rows, columns});
}

py::dict SensitivityOf(
    const Project &project, int trajectories, int levels, std::uint64_t seed, int threads)
{
    if (levels % 2 != 0)
        throw Error("levels takes an even number.");
    SensitivityInput input;
    input.options.trajectories = trajectories;
    input.options.levels = levels;
    input.options.seed = seed;
    input.options.threads = CheckedThreads(threads);
    project.checkRunnable();
    input.run = project.runInput();
    input.ranges = ClimateRanges(project.state().climate);
    CheckSensitivityInput(input);

    SensitivityResult result;
    {
        py::gil_scoped_release release;
        result = RunSensitivity(input);
    }
    if (result.trajectoriesUsed == 0)
        throw Error("Every trajectory had a run that stopped on non-finite values, so there are "
                    "no effects. The first: "
            + result.failure);
    if (result.trajectoriesFailed > 0)
        Warn(std::to_string(result.trajectoriesFailed) + " of "
            + std::to_string(result.trajectories)
            + " trajectories were left out because a run stopped on non-finite values. The "
              "first: "
            + result.failure);
    py::array_t<double> mu = Matrix(kParameterCount, kSeriesCount);
    py::array_t<double> muStar = Matrix(kParameterCount, kSeriesCount);
    py::array_t<double> sigma = Matrix(kParameterCount, kSeriesCount);
    auto m = mu.mutable_unchecked<2>();
    auto ms = muStar.mutable_unchecked<2>();
    auto s = sigma.mutable_unchecked<2>();
    for (int p = 0; p < kParameterCount; ++p) {
        for (int c = 0; c < kSeriesCount; ++c) {
            const ElementaryEffects &e = result.of(static_cast<Parameter>(p), c);
            m(p, c) = e.mu;
            ms(p, c) = e.muStar;
            s(p, c) = e.sigma;
        }
    }
    py::dict out;
    out["mu"] = mu;
    out["mu_star"] = muStar;
    out["sigma"] = sigma;
    out["trajectories"] = result.trajectories;
    out["trajectories_used"] = result.trajectoriesUsed;
    out["trajectories_failed"] = result.trajectoriesFailed;
    out["runs"] = result.runs;
    return out;
}

py::dict UncertaintyOf(const Project &project, int samples, std::uint64_t seed, int threads)
{
    UncertaintyInput input;
    input.options.samples = samples;
    input.options.seed = seed;
    input.options.threads = CheckedThreads(threads);
    project.checkRunnable();
    input.run = project.runInput();
    input.ranges = ClimateRanges(project.state().climate);
    input.varied.fill(true);
    input.observed = Measured(project);
    CheckUncertaintyInput(input);

    UncertaintyResult result;
    {
        py::gil_scoped_release release;
        result = RunUncertainty(input);
    }
    const int days = result.days;
    py::array_t<double> lower = Matrix(kSeriesCount, days);
    py::array_t<double> median = Matrix(kSeriesCount, days);
    py::array_t<double> upper = Matrix(kSeriesCount, days);
    py::array_t<int> observed(kSeriesCount);
    py::array_t<double> pFactor(kSeriesCount);
    py::array_t<double> rFactor(kSeriesCount);
    auto lo = lower.mutable_unchecked<2>();
    auto me = median.mutable_unchecked<2>();
    auto up = upper.mutable_unchecked<2>();
    for (int c = 0; c < kSeriesCount; ++c) {
        const PredictionBand &band = result.bands[static_cast<std::size_t>(c)];
        for (int d = 0; d < days; ++d) {
            const auto i = static_cast<std::size_t>(d);
            lo(c, d) = i < band.lower.size() ? band.lower[i] : kNaN;
            me(c, d) = i < band.median.size() ? band.median[i] : kNaN;
            up(c, d) = i < band.upper.size() ? band.upper[i] : kNaN;
        }
        const BandFit &fit = result.fit[static_cast<std::size_t>(c)];
        observed.mutable_data()[c] = fit.observed;
        pFactor.mutable_data()[c] = fit.pFactor;
        rFactor.mutable_data()[c] = fit.rFactor;
    }
    py::dict out;
    out["lower"] = lower;
    out["median"] = median;
    out["upper"] = upper;
    out["n_observed"] = observed;
    out["p_factor"] = pFactor;
    out["r_factor"] = rFactor;
    out["runs_used"] = result.runsUsed;
    out["runs_failed"] = result.runsFailed;
    return out;
}

} // namespace

void AddAnalysisMethods(py::class_<Project> &project)
{
    project
        .def("fit_statistics", &FitStatisticsOf,
            R"(The fit of the results to the observed values, as "Fit statistics..." and
carexa-sim run --fit give it: a dict keyed by the series headings of dicts with n,
mean_observed, mean_simulated, rmse, mae, pbias, nse, kge and r2 (None where a statistic
cannot be computed). The pairs are the days with a measurement against the data sheet's values.)")
        .def("calibrate", &CalibrateProject, py::kw_only(), py::arg("parameters") = py::none(),
            py::arg("series") = py::none(), py::arg("runs") = kDefaultCalibrationRuns,
            py::arg("seed") = kDefaultCalibrationSeed, py::arg("threads") = 0,
            py::arg("apply") = true,
            R"(Fits the parameters to the observed values as carexa-sim calibrate does: the
weighted mean of 1 - NSE over the series (default: every series with at least 2 measured days;
or a list of columns 1-11 or headings), every parameter (or the codes listed) searched within
the range the climate keeps, `runs` model runs (20 to 1000000, default 4000), the seed (default
1; the result does not depend on the threads). With apply=True (the default) the project takes
the calibrated parameters and is simulated with them, as the command saves it.

Returns a dict: before, after, lower, upper (dicts code -> value), objective_before,
objective_after, fit_before, fit_after (as fit_statistics()), runs_used, runs_failed.)")
        .def("sensitivity", &SensitivityOf, py::kw_only(), py::arg("trajectories") = 20,
            py::arg("levels") = 4, py::arg("seed") = kDefaultAnalysisSeed, py::arg("threads") = 0,
            R"(Morris's screening of the sixteen parameters as carexa-sim sensitivity does:
`trajectories` (2 to 1000, default 20) of 17 runs on a `levels`-level grid (an even number from 2
to 100, default 4) of the ranges the climate accepts, the outcome the mean of each series over
the days. Returns a dict with "mu", "mu_star" and "sigma" (arrays 16 parameters x 11 series, in
carexa.PARAMETERS and carexa.SERIES order; NaN where undefined), "trajectories",
"trajectories_used", "trajectories_failed" and "runs".)")
        .def("uncertainty", &UncertaintyOf, py::kw_only(), py::arg("samples") = 200,
            py::arg("seed") = kDefaultAnalysisSeed, py::arg("threads") = 0,
            R"(The 95 % prediction uncertainty bands as carexa-sim uncertainty makes them:
`samples` parameter sets (2 to 100000, default 200) of a Latin hypercube over the ranges the
climate accepts, every parameter varied. Returns a dict with "lower", "median" and "upper"
(the 2.5th, 50th and 97.5th percentiles, arrays 11 series x days), "n_observed", "p_factor" and
"r_factor" (per series, against the observed values; NaN where undefined), "runs_used" and
"runs_failed".)");
}

void BindAnalyses(py::module_ &)
{ }

} // namespace carexa::python
