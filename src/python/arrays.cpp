// Conversions between NumPy arrays and the engine's values, with the checks a script's input
// needs before any of it reaches the project.

#include "python/bindings.h"

#include "model/error.h"
#include "model/model_state.h"
#include "model/number_text.h"

#include <cmath>
#include <cstring>
#include <set>

namespace carexa::python {

py::array_t<double> ToArray(const std::vector<double> &values)
{
    py::array_t<double> array(static_cast<py::ssize_t>(values.size()));
    if (!values.empty())
        std::memcpy(array.mutable_data(), values.data(), values.size() * sizeof(double));
    return array;
}

std::string SeriesKey(int series)
{
    return std::string(kSeriesHeadings[static_cast<std::size_t>(series)]);
}

namespace {

std::string Shape(const py::array &array)
{
    std::string text = "(";
    for (py::ssize_t i = 0; i < array.ndim(); ++i) {
        if (i > 0)
            text += ", ";
        text += std::to_string(array.shape(i));
    }
    if (array.ndim() == 1)
        text += ",";
    return text + ")";
}

// The array of numbers `object` stands for; refuses what NumPy cannot read as numbers.
DoubleArray NumberArray(const py::handle &object, const std::string &what)
{
    DoubleArray array;
    try {
        array = DoubleArray::ensure(object);
    } catch (const py::error_already_set &) { }
    if (!array)
        throw Error(what + " must be numbers.");
    return array;
}

// A number as Python writes the ones that are not finite ("nan", "inf", "-inf").
std::string NumberText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    return FormatGeneral(value);
}

} // namespace

double CheckedNumber(double value, const std::string &what, bool nonNegative)
{
    if (!std::isfinite(value))
        throw Error(what + " must be a finite number, not " + NumberText(value) + ".");
    if (nonNegative && value < 0)
        throw Error(what + " cannot be negative (" + FormatGeneral(value) + ").");
    return value;
}

std::vector<double> NumberColumn(
    const py::handle &object, int length, const std::string &what, bool allowNan)
{
    DoubleArray array = NumberArray(object, what);
    if (array.ndim() != 1 || array.shape(0) != length)
        throw Error(what + " must be a 1-D array of " + std::to_string(length)
            + " numbers (one per day), not an array of shape " + Shape(array) + ".");
    std::vector<double> values(array.data(), array.data() + length);
    int day = 0;
    for (const double v : values) {
        ++day;
        if (std::isfinite(v) || (allowNan && std::isnan(v)))
            continue;
        throw Error(what + ", day " + std::to_string(day) + ": " + NumberText(v)
            + " is not a finite number.");
    }
    return values;
}

// The sixteen parameters in record order (made at compile time, so a loop past them cannot build).
constexpr std::array<Parameter, kParameterCount> kAllParameters = [] {
    std::array<Parameter, kParameterCount> all {};
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<Parameter>(i);
    return all;
}();

std::string ParameterCodes()
{
    std::string text;
    for (const Parameter p : kAllParameters) {
        if (p != kAllParameters.front())
            text += p == kAllParameters.back() ? " or " : ", ";
        text += ParameterName(p);
    }
    return text;
}

Parameter ParameterFromCode(const std::string &code)
{
    for (const Parameter p : kAllParameters) {
        if (ParameterName(p) == code)
            return p;
    }
    throw Error("'" + QuotedText(code) + "' is no parameter: use " + ParameterCodes() + ".");
}

std::vector<ModelParameters> ParameterSets(
    const py::handle &sets, const py::object &codes, const ModelParameters &base)
{
    std::vector<Parameter> columns;
    if (codes.is_none()) {
        for (int i = 0; i < kParameterCount; ++i)
            columns.push_back(static_cast<Parameter>(i));
    } else {
        std::set<Parameter> seen;
        for (const py::handle code : codes) {
            if (!py::isinstance<py::str>(code))
                throw Error("The parameters are named by their codes: " + ParameterCodes() + ".");
            const Parameter p = ParameterFromCode(py::cast<std::string>(code));
            if (!seen.insert(p).second)
                throw Error("The parameter " + std::string(ParameterName(p)) + " is named twice.");
            columns.push_back(p);
        }
        if (columns.empty())
            throw Error("Name at least one parameter to vary.");
    }
    DoubleArray array = NumberArray(sets, "The parameter sets");
    const auto width = static_cast<py::ssize_t>(columns.size());
    if (array.ndim() != 2 || array.shape(1) != width)
        throw Error("The parameter sets must be a 2-D array with one row per set and "
            + std::to_string(width) + " columns ("
            + (codes.is_none() ? std::string("the sixteen parameters in order, AC to AF")
                               : std::string("one per parameter named"))
            + "), not an array of shape " + Shape(array) + ".");
    std::vector<ModelParameters> result(static_cast<std::size_t>(array.shape(0)), base);
    const auto values = array.unchecked<2>();
    for (py::ssize_t r = 0; r < array.shape(0); ++r) {
        for (py::ssize_t c = 0; c < width; ++c) {
            const double v = values(r, c);
            const Parameter p = columns[static_cast<std::size_t>(c)];
            if (!std::isfinite(v))
                throw Error("Parameter set " + std::to_string(r) + ", "
                    + std::string(ParameterName(p)) + ": " + NumberText(v)
                    + " is not a finite number.");
            result[static_cast<std::size_t>(r)].set(p, v);
        }
    }
    return result;
}

std::int32_t ClimateFrom(const py::handle &climate)
{
    if (py::isinstance<py::str>(climate)) {
        const auto name = py::cast<std::string>(climate);
        if (name == "cold")
            return kColdClimate;
        if (name == "warm")
            return kWarmClimate;
        throw Error("The climate must be \"cold\" or \"warm\", not '" + QuotedText(name) + "'.");
    }
    if (!py::isinstance<py::int_>(climate) || py::isinstance<py::bool_>(climate))
        throw Error("The climate must be 1 (cold), 2 (warm), \"cold\" or \"warm\".");
    long long number = 0;
    try {
        number = py::cast<long long>(climate);
    } catch (const py::cast_error &) {
        throw Error("The climate must be 1 (cold), 2 (warm), \"cold\" or \"warm\".");
    }
    if (number != kColdClimate && number != kWarmClimate)
        throw Error("The climate must be " + std::to_string(kColdClimate) + " (cold) or "
            + std::to_string(kWarmClimate) + " (warm), not " + std::to_string(number) + ".");
    return static_cast<std::int32_t>(number);
}

int CheckedThreads(int threads)
{
    if (threads < 0 || threads > 256)
        throw Error("threads must be from 1 to 256, or 0 for every core; not "
            + std::to_string(threads) + ".");
    return threads;
}

} // namespace carexa::python
