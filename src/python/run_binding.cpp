// Runs from Python: Project.simulate() and its Result, and carexa.simulate_many, which runs
// parameter sets side by side on the engine's workers with the GIL released.

#include "python/bindings.h"

#include "analysis/run_many.h"
#include "analysis/thread_pool.h"
#include "io/buffered_writer.h"
#include "model/error.h"
#include "model/number_text.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <pybind11/eval.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace carexa::python {

namespace {

// What a run left: its results as computed and every day's box values.
struct Result
{
    FrozenRun run;
    std::vector<double> boxes; ///< days x 5 variables x 5 boxes

    int days() const { return run.days(); }
};

Result ResultOf(const Project &project, const FrozenRun &run)
{
    Result result {run, {}};
    const int days = std::min(run.days(), project.state().simulationLength);
    result.boxes.reserve(static_cast<std::size_t>(days) * kVariableCount * kBoxCount);
    for (int d = 1; d <= days; ++d) {
        const BoxValues &box = project.state().days.node(d).box;
        for (int v = 0; v < kVariableCount; ++v) {
            for (int b = 0; b < kBoxCount; ++b)
                result.boxes.push_back(box.concentration(static_cast<Variable>(v), b));
        }
    }
    result.boxes.resize(static_cast<std::size_t>(run.days()) * kVariableCount * kBoxCount,
        std::numeric_limits<double>::quiet_NaN());
    return result;
}

py::dict Series(const Result &result)
{
    py::dict series;
    for (int c = 0; c < kSeriesCount; ++c)
        series[py::str(SeriesKey(c))] = ToArray(result.run.series[static_cast<std::size_t>(c)]);
    return series;
}

// The numbers of the data sheet's texts, as the sheet (and carexa-sim run --csv) shows them:
// read back from the same texts, so they equal the numbers a reader of the CSV gets.
py::dict Sheet(const Result &result)
{
    StringSink text;
    BufferedWriter writer(text);
    WriteRunSheetCsv(result.run, kRunSheet, writer);
    writer.finish();
    std::vector<py::array_t<double>> columns;
    for (int c = 0; c < kSeriesCount; ++c)
        columns.emplace_back(result.days());
    const std::string &csv = text.text();
    std::size_t at = csv.find('\n') + 1; // past the heading line
    for (int d = 0; d < result.days(); ++d) {
        at = csv.find(',', at) + 1; // past the day number
        for (int c = 0; c < kSeriesCount; ++c) {
            const std::size_t end = csv.find_first_of(",\n", at);
            columns[static_cast<std::size_t>(c)].mutable_data()[d]
                = ParseDouble(std::string_view(csv).substr(at, end - at));
            at = end + 1;
        }
    }
    py::dict sheet;
    for (int c = 0; c < kSeriesCount; ++c)
        sheet[py::str(SeriesKey(c))] = columns[static_cast<std::size_t>(c)];
    return sheet;
}

py::array_t<double> Boxes(const Result &result)
{
    py::array_t<double> boxes({result.days(), kVariableCount, kBoxCount});
    if (!result.boxes.empty())
        std::memcpy(
            boxes.mutable_data(), result.boxes.data(), result.boxes.size() * sizeof(double));
    return boxes;
}

py::object DataFrame(const Result &result, bool sheet)
{
    py::module_ pandas;
    try {
        pandas = py::module_::import("pandas");
    } catch (const py::error_already_set &) {
        throw py::import_error("to_dataframe() needs pandas (Debian: python3-pandas); the "
                               "series are in .series as NumPy arrays without it.");
    }
    py::object index = pandas.attr("RangeIndex")(1, result.days() + 1, py::arg("name") = "Day");
    return pandas.attr("DataFrame")(
        sheet ? Sheet(result) : Series(result), py::arg("index") = index);
}

Result Simulate(Project &project)
{
    project.checkRunnable();
    RunInput input = project.runInput();
    const std::uint64_t inputs = project.runInputsFingerprint();
    RunResult run;
    {
        py::gil_scoped_release release;
        run = carexa::Simulate(std::move(input));
    }
    project.commitRun(std::move(run), inputs);
    return ResultOf(project, *project.run());
}

// The series of every parameter set, run on `threads` workers with the GIL released:
// runs x 11 x days, and whether each run completed.
std::pair<py::array_t<double>, py::array_t<bool>> RunSets(const Project &project,
    const py::handle &sets, int threads, const py::object &codes, bool keepSeries)
{
    project.checkRunnable();
    const RunInput base = project.runInput();
    const std::vector<ModelParameters> parameters = ParameterSets(sets, codes, base.parameters);
    CheckedThreads(threads);
    const auto count = static_cast<py::ssize_t>(parameters.size());
    const auto days = static_cast<py::ssize_t>(base.days.size());
    py::array_t<double> series(
        std::vector<py::ssize_t> {keepSeries ? count : 0, kSeriesCount, days});
    py::array_t<bool> completed(count);
    double *out = series.mutable_data();
    bool *done = completed.mutable_data();
    {
        py::gil_scoped_release release;
        RunMany(
            parameters.size(), threads, base, [&](std::size_t index) { return parameters[index]; },
            [&](std::size_t index, const SeriesRun &result) {
                done[index] = result.completed;
                if (!keepSeries)
                    return;
                double *run = out + index * kSeriesCount * static_cast<std::size_t>(days);
                for (const std::vector<double> &values : result.series) {
                    std::copy(values.begin(), values.end(), run);
                    run += days;
                }
            },
            {});
    }
    return {series, completed};
}

} // namespace

void AddRunMethods(py::class_<Project> &project)
{
    project
        .def("simulate", &Simulate,
            R"("Simulate": runs the project as it is (the GIL is released meanwhile) and keeps the
results, as the window does. Returns the Result. A run that stops on concentrations that are
no longer finite numbers is no refusal: the Result says so (completed, message). Raises
ProjectError when the project cannot be simulated.)")
        .def_property_readonly(
            "result",
            [](const Project &self) -> std::optional<Result> {
                if (!self.run())
                    return std::nullopt;
                return ResultOf(self, *self.run());
            },
            R"(The results the project holds (of its last run, or as its file held them), or
None before any run.)");
}

void BindRuns(py::module_ &module)
{
    py::class_<Result>(module, "Result", R"(The results of a run: what the data sheet, the graphs
and the additional results show. Days are on axis 0 (day 1 at index 0).)")
        .def_property_readonly("series", &Series,
            R"(The eleven result series, unrounded: a dict keyed by the data sheet's headings
("BOD5 out", "nit. out", "amm. out", "total P. out", "org. N. out", "eff. BOD5 rem", "eff. nit.
rem", "eff. amm rem", "eff. P. rem", "eff. o.n. rem", "eff. t.n. rem") of 1-D arrays, one value
per day: the lagged outflows of box E (mg/l) and the removal efficiencies (%).)")
        .def_property_readonly("sheet", &Sheet,
            R"(The data sheet as a run leaves it: the same keys, the values rounded to three
decimals, a value that rounds to 0 or below as 1e-8 (what carexa-sim run --csv writes).)")
        .def_property_readonly("boxes", &Boxes,
            R"(Every day's concentrations: an array days x 5 variables (BOD5, NIT, AMM, ORN,
TPO) x 5 boxes (A to E), the end-of-day values the "Additional results" table shows unrounded.)")
        .def_property_readonly(
            "completed", [](const Result &r) { return r.run.completed; },
            "False when the run stopped on a day whose concentrations were no longer finite.")
        .def_property_readonly(
            "message", [](const Result &r) { return r.run.message; },
            "Why the run stopped (the program's message), or an empty text.")
        .def_property_readonly(
            "failed_day", [](const Result &r) { return r.run.failedDay; },
            "The day the run stopped on, or 0.")
        .def_property_readonly("days", &Result::days, "The days of the series.")
        .def("to_dataframe", &DataFrame, py::arg("sheet") = false,
            R"(The series as a pandas DataFrame indexed by day (1 to days); sheet=True gives the
data sheet's rounded values. Needs pandas (not a dependency of carexa).)")
        .def("__repr__", [](const Result &r) {
            return "<carexa.Result: " + std::to_string(r.days()) + " days"
                + (r.run.completed ? std::string()
                                   : ", stopped on day " + std::to_string(r.run.failedDay))
                + ">";
        });

    module.def(
        "_simulate_many",
        [](const Project &project, const py::handle &sets, int threads, const py::object &codes,
            bool returnCompleted) -> py::object {
            auto [series, completed] = RunSets(project, sets, threads, codes, true);
            if (returnCompleted)
                return py::make_tuple(series, completed);
            return series;
        },
        py::arg("project"), py::arg("parameter_sets"), py::kw_only(), py::arg("threads") = 0,
        py::arg("parameters") = py::none(), py::arg("return_completed") = false);
    // simulate_many is a Python function over the compiled one, so that it pickles by name and a
    // distributed engine (Dask, multiprocessing) can send it to its workers.
    py::dict scope;
    scope["_simulate_many"] = module.attr("_simulate_many");
    py::exec(R"(
def simulate_many(project, parameter_sets, *, threads=0, parameters=None, return_completed=False):
    return _simulate_many(project, parameter_sets, threads=threads, parameters=parameters,
                          return_completed=return_completed)
)",
        scope);
    py::object simulateMany = scope["simulate_many"];
    simulateMany.attr("__module__") = "carexa";
    simulateMany.attr("__doc__")
        = R"(Runs the project once per parameter set, side by side on `threads` workers of the
engine (0: every core) with the GIL released, and returns the unrounded series of every run: an
array runs x 11 series (data sheet order, carexa.SERIES) x days. Each run equals
project.simulate() with that set's parameters; the project is not changed.

parameter_sets is a 2-D array, one row per set: 16 columns in record order (carexa.PARAMETERS)
or, with parameters=["AC", "KO", ...], one column per code named (the others keep the
project's values). A run that stops on non-finite concentrations keeps the values as simulate()
gives them; return_completed=True also returns a bool array saying which runs completed.)";
    module.attr("simulate_many") = simulateMany;

    // The reference for the benchmark: the same runs with nothing handed to Python.
    module.def(
        "_run_many_engine",
        [](const Project &project, const py::handle &sets, int threads) {
            return RunSets(project, sets, threads, py::none(), false).second;
        },
        py::arg("project"), py::arg("parameter_sets"), py::arg("threads") = 0);
    // The reference for the overhead of simulate(): the engine's run alone, timed in C++.
    module.def(
        "_engine_run_seconds",
        [](const Project &project, int repeats) {
            project.checkRunnable();
            const RunInput input = project.runInput();
            std::vector<double> seconds;
            py::gil_scoped_release release;
            for (int i = 0; i < repeats; ++i) {
                const auto start = std::chrono::steady_clock::now();
                RunResult run = carexa::Simulate(input);
                const auto end = std::chrono::steady_clock::now();
                seconds.push_back(std::chrono::duration<double>(end - start).count());
            }
            return seconds;
        },
        py::arg("project"), py::arg("repeats") = 1);
    // And for the same operation in C++: "Simulate" on the project itself (the run and keeping
    // its results), as the window and the batch runner do it.
    module.def(
        "_project_simulate_seconds",
        [](Project &project, int repeats) {
            std::vector<double> seconds;
            for (int i = 0; i < repeats; ++i) {
                const auto start = std::chrono::steady_clock::now();
                project.simulate();
                const auto end = std::chrono::steady_clock::now();
                seconds.push_back(std::chrono::duration<double>(end - start).count());
            }
            return seconds;
        },
        py::arg("project"), py::arg("repeats") = 1);
    module.def("default_threads", &DefaultThreadCount,
        "The number of workers threads=0 gives: the machine's cores.");
}

} // namespace carexa::python
