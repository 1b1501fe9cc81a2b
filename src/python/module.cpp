// The Python module `carexa`: the engine of Carexa for scripts.

#include "python/bindings.h"

#include "analysis/parameter_space.h"
#include "model/error.h"
#include "model/model_state.h"

namespace carexa::python {
namespace {

py::list SeriesNames()
{
    py::list names;
    for (int c = 0; c < kSeriesCount; ++c)
        names.append(SeriesKey(c));
    return names;
}

py::list ParameterNames()
{
    py::list names;
    for (int i = 0; i < kParameterCount; ++i)
        names.append(std::string(ParameterName(static_cast<Parameter>(i))));
    return names;
}

// The range a run in `climate` keeps for each parameter: code -> (lowest kept, upper).
py::dict ParameterRanges(const py::object &climate)
{
    const std::array<ParameterRange, kParameterCount> ranges = ClimateRanges(ClimateFrom(climate));
    py::dict out;
    for (int i = 0; i < kParameterCount; ++i) {
        const ParameterRange &range = ranges[static_cast<std::size_t>(i)];
        out[py::str(std::string(ParameterName(static_cast<Parameter>(i))))]
            = py::make_tuple(LowestKept(range), range.upper);
    }
    return out;
}

} // namespace
} // namespace carexa::python

PYBIND11_MODULE(carexa, module)
{
    using namespace carexa::python;
    module.doc() = R"(Carexa's engine for Python: load, edit and save projects of subsurface-flow
treatment wetlands, simulate them, run many parameter sets side by side, and calibrate, screen
and size as carexa-sim does.

    import carexa
    p = carexa.Project.load("cold_climate_bed.mdl")
    r = p.simulate()
    r.series["BOD5 out"]          # the unrounded daily outflow, a NumPy array

Every refusal raises carexa.ProjectError with the program's message.)";
    module.attr("__version__") = CAREXA_PYTHON_VERSION;
    // Refusals for the user; Cancelled and ConversionError are refusals too.
    py::register_exception<carexa::Error>(module, "ProjectError");
    module.attr("ProjectError").attr("__doc__")
        = "A refusal of the engine: the message says what was refused and why; the project "
          "is as it was.";
    // A Python value of a type the engine cannot take is the caller's TypeError, not a
    // RuntimeError of the module.
    py::register_exception_translator([](std::exception_ptr raised) {
        try {
            if (raised)
                std::rethrow_exception(raised);
        } catch (const py::cast_error &error) {
            PyErr_SetString(PyExc_TypeError, error.what());
        }
    });
    module.attr("COLD") = carexa::kColdClimate;
    module.attr("WARM") = carexa::kWarmClimate;
    module.attr("SERIES") = py::tuple(SeriesNames());
    module.attr("PARAMETERS") = py::tuple(ParameterNames());
    module.def("parameter_ranges", &ParameterRanges, py::arg("climate"),
        R"(The range a run in the climate (1 or "cold", 2 or "warm") keeps for each parameter: a
dict code -> (lowest value kept, highest), the ranges the analyses sample. A value outside is
replaced by the climate's fallback when the project is simulated.)");
    BindRuns(module);
    BindProject(module);
    BindAnalyses(module);
    BindSizing(module);
}
