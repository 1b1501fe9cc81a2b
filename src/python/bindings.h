#pragma once

// What the parts of the Python module share: the registration of each part and the conversions
// between NumPy arrays and the engine's values, each refusing bad input with a message for the
// user (carexa::Error, raised in Python as carexa.ProjectError) before anything changes.

#include "model/model_parameters.h"
#include "model/output_series.h"
#include "project/project.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace carexa::python {

namespace py = pybind11;

using DoubleArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

void BindProject(py::module_ &module);
void BindRuns(py::module_ &module);
void BindAnalyses(py::module_ &module);
void BindSizing(py::module_ &module);

/// The pickled state of a project: (version, file bytes, what the file does not hold).
py::tuple ProjectState(const Project &project);
/// The project a pickled state describes; throws Error for a state that is not one.
std::unique_ptr<Project> ProjectFromState(const py::tuple &state);

/// A 1-D array holding a copy of `values`.
py::array_t<double> ToArray(const std::vector<double> &values);

/// The series headings ("BOD5 out" ... "eff. t.n. rem"), as Python keys.
std::string SeriesKey(int series);

/// `object` as a 1-D array of `length` doubles for `what`: refuses another shape or length, and
/// a value that is no finite number unless `allowNan` (then NaN stays NaN).
std::vector<double> NumberColumn(
    const py::handle &object, int length, const std::string &what, bool allowNan = false);

/// One number for `what`: refuses a value that is no finite number, or below 0 when
/// `nonNegative`.
double CheckedNumber(double value, const std::string &what, bool nonNegative);

/// The parameter with that code ("AC" ... "AF"); refuses any other text naming the codes.
Parameter ParameterFromCode(const std::string &code);

/// "AC, NC, ... or AF", for messages.
std::string ParameterCodes();

/// The parameter sets of a 2-D array (one row per set): either 16 columns in record order, or
/// one column per code of `codes` (the other parameters keep `base`'s values). Refuses another
/// shape, an unknown or repeated code, and a value that is no finite number.
std::vector<ModelParameters> ParameterSets(
    const py::handle &sets, const py::object &codes, const ModelParameters &base);

/// A climate given as 1, 2, "cold" or "warm"; refuses anything else with the project's message.
std::int32_t ClimateFrom(const py::handle &climate);

/// Rejects a thread count below 0 or above the batch runner's 256.
int CheckedThreads(int threads);

} // namespace carexa::python
