// Pickling a Project: the bytes of its project file, plus what the file does not hold (the
// file keeps six significant digits; the design inputs as typed; the wetland type), so that a
// project carried to another process (a Dask worker) simulates exactly as the original does.

#include "python/bindings.h"

#include "model/error.h"
#include "model/number_text.h"
#include "project/project_file.h"

#include <pybind11/stl.h>

#include <cstring>

namespace carexa::python {

namespace {

constexpr int kStateVersion = 1;

template <std::size_t N> std::vector<double> Flat(const std::vector<std::array<double, N>> &rows)
{
    std::vector<double> flat;
    flat.reserve(rows.size() * N);
    for (const auto &row : rows)
        flat.insert(flat.end(), row.begin(), row.end());
    return flat;
}

py::bytes Bytes(const std::vector<double> &values)
{
    return py::bytes(reinterpret_cast<const char *>(values.data()), values.size() * sizeof(double));
}

std::vector<double> Doubles(const py::handle &object, std::size_t count)
{
    const auto bytes = py::cast<std::string>(object);
    if (bytes.size() != count * sizeof(double))
        throw Error("This is not a pickled Carexa project: its values do not fit its file.");
    std::vector<double> values(count);
    std::memcpy(values.data(), bytes.data(), bytes.size());
    return values;
}

} // namespace

py::tuple ProjectState(const Project &project)
{
    const ModelState &state = project.state();
    std::vector<std::array<double, kDayFieldCount>> days;
    std::vector<std::array<double, kBoxDoubleCount>> boxes;
    for (const DayNode &node : state.days.active()) {
        days.push_back(node.day.values());
        boxes.push_back(node.box.values());
    }
    std::vector<double> observed;
    for (int r = 1; r <= state.observedLength; ++r) {
        for (int c = 1; c <= kObservedColumns; ++c)
            observed.push_back(project.observed().number(c, r).value_or(kEmptyValue));
    }
    const std::array<double, kParameterCount> &parameters = state.parameters.values();
    const std::array<double, kBoxDoubleCount> &initial = state.initial.values();

    py::dict exact;
    exact["parameters"] = Bytes({parameters.begin(), parameters.end()});
    exact["initial"] = Bytes({initial.begin(), initial.end()});
    exact["days"] = Bytes(Flat(days));
    exact["boxes"] = Bytes(Flat(boxes));
    exact["observed"] = Bytes(observed);
    exact["design_inputs"] = py::list(py::cast(project.designInputs()));
    const std::optional<WetlandType> type = project.wetlandType();
    exact["wetland_type"] = type ? static_cast<int>(*type) : -1;
    return py::make_tuple(kStateVersion, py::bytes(project.text()), exact);
}

std::unique_ptr<Project> ProjectFromState(const py::tuple &state)
{
    if (state.size() != 3 || !py::isinstance<py::int_>(state[0])
        || py::cast<int>(state[0]) != kStateVersion || !py::isinstance<py::bytes>(state[1])
        || !py::isinstance<py::dict>(state[2]))
        throw Error("This is not a pickled Carexa project of this version.");
    LoadedProject loaded = ParseProject(py::cast<std::string>(state[1]));
    const py::dict exact = state[2];
    const auto length = static_cast<std::size_t>(loaded.simulationLength);
    const auto observedLength = static_cast<std::size_t>(loaded.observedLength);
    try {
        const std::vector<double> parameters = Doubles(exact["parameters"], kParameterCount);
        for (int i = 0; i < kParameterCount; ++i)
            loaded.parameters.set(
                static_cast<Parameter>(i), parameters[static_cast<std::size_t>(i)]);
        const std::vector<double> initial = Doubles(exact["initial"], kBoxDoubleCount);
        std::array<double, kBoxDoubleCount> initialValues {};
        std::copy(initial.begin(), initial.end(), initialValues.begin());
        loaded.initial = BoxValues(initialValues, loaded.initial.dayNumber());
        const std::vector<double> days = Doubles(exact["days"], length * kDayFieldCount);
        const std::vector<double> boxes = Doubles(exact["boxes"], length * kBoxDoubleCount);
        for (std::size_t d = 0; d < length; ++d) {
            std::array<double, kDayFieldCount> day {};
            std::copy_n(days.begin() + static_cast<std::ptrdiff_t>(d * kDayFieldCount),
                kDayFieldCount, day.begin());
            loaded.days[d] = DayValues(day);
            std::array<double, kBoxDoubleCount> box {};
            std::copy_n(boxes.begin() + static_cast<std::ptrdiff_t>(d * kBoxDoubleCount),
                kBoxDoubleCount, box.begin());
            loaded.dayBoxes[d] = BoxValues(box, loaded.dayBoxes[d].dayNumber());
        }
        const std::vector<double> observed
            = Doubles(exact["observed"], observedLength * kObservedColumns);
        for (std::size_t r = 0; r < observedLength; ++r)
            std::copy_n(observed.begin() + static_cast<std::ptrdiff_t>(r * kObservedColumns),
                kObservedColumns, loaded.observed[r].begin());

        auto project = std::make_unique<Project>();
        project->load(loaded);
        // Loading sets every box water volume from day 1's; the project had its own.
        std::vector<double> boxWater(length);
        for (std::size_t d = 0; d < length; ++d)
            boxWater[d] = loaded.days[d].get(DayField::boxWaterVolume);
        project->setDayValues(DayField::boxWaterVolume, 1, boxWater);
        project->setDesignInputs(py::cast<DesignTexts>(exact["design_inputs"]));
        const int type = py::cast<int>(exact["wetland_type"]);
        if (type >= 0)
            project->setWetlandType(static_cast<WetlandType>(type));
        return project;
    } catch (const py::error_already_set &) {
        throw Error("This is not a pickled Carexa project of this version.");
    } catch (const py::cast_error &) {
        throw Error("This is not a pickled Carexa project of this version.");
    }
}

} // namespace carexa::python
