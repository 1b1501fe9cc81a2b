// carexa.Project: one project as the window holds it, with its inputs as NumPy arrays and plain
// values. Every setter checks the whole input first and refuses (carexa.ProjectError) before
// anything changes.

#include "python/bindings.h"

#include "model/error.h"
#include "model/forcing_grid.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "project/project_file.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace carexa::python {

namespace {

// Day fields outside the forcing grid, set per day as the grid's columns are.
struct NamedField
{
    const char *name;
    DayField field;
};
constexpr NamedField kOtherDayFields[] = {
    {"porosity", DayField::porosity},
    {"oxygen A", DayField::oxygenA},
    {"oxygen B", DayField::oxygenB},
    {"oxygen C", DayField::oxygenC},
    {"oxygen D", DayField::oxygenD},
    {"oxygen E", DayField::oxygenE},
    {"box water volume", DayField::boxWaterVolume},
};

// The forcing names in the order the getter gives them: the grid's columns, then the others.
std::vector<std::pair<std::string, DayField>> ForcingNames()
{
    std::vector<std::pair<std::string, DayField>> names;
    for (std::size_t c = 0; c < kForcingColumns.size(); ++c)
        names.emplace_back(std::string(kForcingHeadings[c + 1]), kForcingColumns[c]);
    for (const NamedField &other : kOtherDayFields)
        names.emplace_back(other.name, other.field);
    return names;
}

std::string QuotedNames(const std::vector<std::string> &names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += i + 1 == names.size() ? " or " : ", ";
        text += "'" + names[i] + "'";
    }
    return text;
}

// The (key, value) pairs of a dict or anything with keys() and [] (a pandas DataFrame).
std::vector<std::pair<std::string, py::object>> Items(const py::handle &mapping, const char *what)
{
    if (!py::hasattr(mapping, "keys"))
        throw Error(std::string(what) + " must be given as a dict.");
    std::vector<std::pair<std::string, py::object>> items;
    for (const py::handle key : mapping.attr("keys")()) {
        if (!py::isinstance<py::str>(key))
            throw Error(std::string(what) + " are keyed by their names, as text.");
        items.emplace_back(py::cast<std::string>(key), mapping[key]);
    }
    return items;
}

double NumberOf(const py::handle &value, const std::string &what)
{
    try {
        return py::cast<double>(value);
    } catch (const py::cast_error &) {
    } catch (const py::error_already_set &) { // an int too large for a double
    }
    throw Error(what + " must be a number.");
}

py::dict Forcing(const Project &project)
{
    const int days = project.state().simulationLength;
    py::dict forcing;
    for (const auto &[name, field] : ForcingNames()) {
        py::array_t<double> column(days);
        double *data = column.mutable_data();
        int d = 0;
        for (const DayNode &node : project.state().days.active())
            data[d++] = node.day.get(field);
        forcing[py::str(name)] = column;
    }
    return forcing;
}

void SetForcing(Project &project, const py::handle &mapping)
{
    const auto names = ForcingNames();
    std::vector<std::pair<DayField, std::vector<double>>> columns;
    for (const auto &[key, value] : Items(mapping, "The forcing values")) {
        const auto found = std::find_if(
            names.begin(), names.end(), [&key](const auto &name) { return name.first == key; });
        if (found == names.end()) {
            std::vector<std::string> known;
            for (const auto &name : names)
                known.push_back(name.first);
            throw Error(
                "'" + QuotedText(key) + "' is no forcing column: use " + QuotedNames(known) + ".");
        }
        columns.emplace_back(found->second,
            NumberColumn(value, project.state().simulationLength, "Forcing '" + key + "'"));
    }
    for (const auto &[field, values] : columns)
        project.setDayValues(field, 1, values);
}

py::dict Observed(const Project &project)
{
    const int rows = project.state().observedLength;
    py::dict observed;
    for (int c = 1; c <= kObservedColumns; ++c) {
        py::array_t<double> column(rows);
        double *data = column.mutable_data();
        for (int r = 1; r <= rows; ++r) {
            data[r - 1] = MeasuredValue(project.observed(), c, r)
                              .value_or(std::numeric_limits<double>::quiet_NaN());
        }
        observed[py::str(SeriesKey(c - 1))] = column;
    }
    return observed;
}

void SetObserved(Project &project, const py::handle &mapping)
{
    std::vector<std::pair<int, std::vector<double>>> columns;
    for (const auto &[key, value] : Items(mapping, "The observed values")) {
        int column = 0;
        for (int c = 0; c < kSeriesCount; ++c) {
            if (SeriesKey(c) == key)
                column = c + 1;
        }
        if (column == 0) {
            std::vector<std::string> known;
            for (int c = 0; c < kSeriesCount; ++c)
                known.push_back(SeriesKey(c));
            throw Error(
                "'" + QuotedText(key) + "' is no observed series: use " + QuotedNames(known) + ".");
        }
        std::vector<double> values
            = NumberColumn(value, project.state().observedLength, "Observed '" + key + "'", true);
        // A day without a measurement holds the value of nothing entered, as in the file.
        for (double &v : values) {
            if (std::isnan(v))
                v = kEmptyValue;
        }
        columns.emplace_back(column, std::move(values));
    }
    for (const auto &[column, values] : columns)
        project.setObservedValues(column, 1, values);
}

py::dict Parameters(const Project &project)
{
    py::dict parameters;
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        parameters[py::str(std::string(ParameterName(p)))] = project.state().parameters.get(p);
    }
    return parameters;
}

void SetParameters(Project &project, const py::handle &mapping)
{
    ModelParameters parameters = project.state().parameters;
    for (const auto &[key, value] : Items(mapping, "The parameters")) {
        const Parameter p = ParameterFromCode(key);
        const std::string what = "Parameter " + key;
        parameters.set(p, CheckedNumber(NumberOf(value, what), what, true));
    }
    project.setParameters(parameters);
}

py::array_t<double> Initial(const Project &project)
{
    py::array_t<double> initial({kVariableCount, kBoxCount});
    auto values = initial.mutable_unchecked<2>();
    for (int v = 0; v < kVariableCount; ++v) {
        for (int b = 0; b < kBoxCount; ++b)
            values(v, b) = project.state().initial.concentration(static_cast<Variable>(v), b);
    }
    return initial;
}

void SetInitial(Project &project, const py::handle &object)
{
    DoubleArray array;
    try {
        array = DoubleArray::ensure(object);
    } catch (const py::error_already_set &) { }
    if (!array || array.ndim() != 2 || array.shape(0) != kVariableCount
        || array.shape(1) != kBoxCount)
        throw Error("The initial values must be a 5 x 5 array: the variables BOD5, NIT, AMM, ORN "
                    "and TPO by the boxes A to E.");
    const auto values = array.unchecked<2>();
    for (int v = 0; v < kVariableCount; ++v) {
        for (int b = 0; b < kBoxCount; ++b)
            CheckedNumber(values(v, b), ConcentrationName(static_cast<Variable>(v), b), true);
    }
    for (int v = 0; v < kVariableCount; ++v) {
        for (int b = 0; b < kBoxCount; ++b)
            project.setInitialValue(static_cast<Variable>(v), b, values(v, b));
    }
}

constexpr const char *kDesignKeys[kDesignInputCount] = {"width", "length", "depth",
    "precipitation_factor", "slope", "particular_matter", "conductivity", "flow"};
constexpr const char *kDesignResultKeys[] = {"AA", "VO", "HL", "HF", "RF", "FW", "FL", "NP"};

py::dict Design(const Project &project)
{
    py::dict design;
    for (int i = 0; i < kDesignInputCount; ++i) {
        const std::string &text = project.designInputs()[static_cast<std::size_t>(i)];
        const std::optional<double> value = TryParseDouble(text);
        if (value)
            design[kDesignKeys[i]] = *value;
        else if (text.empty())
            design[kDesignKeys[i]] = py::none();
        else
            design[kDesignKeys[i]] = text;
    }
    const std::optional<WetlandType> type = project.wetlandType();
    design["type"] = !type                  ? py::object(py::none())
        : *type == WetlandType::Constructed ? py::object(py::str("constructed"))
                                            : py::object(py::str("natural"));
    py::dict results;
    results["PF"] = project.state().initial.get(BoxField::PF);
    for (std::size_t i = 0; i < kDesignResultFields.size(); ++i)
        results[kDesignResultKeys[i]] = project.state().initial.get(kDesignResultFields[i]);
    design["results"] = results;
    return design;
}

// The shortest text that reads back as exactly `value` (FormatGeneral keeps six digits only).
std::string ExactText(double value)
{
    std::array<char, 32> buffer {};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    std::string text(buffer.data(), end);
    if (TryParseDouble(text) == value)
        return text;
    return FormatGeneral(value);
}

void SetDesign(Project &project, const py::handle &mapping)
{
    DesignTexts texts = project.designInputs();
    std::optional<std::optional<WetlandType>> type;
    for (const auto &[key, value] : Items(mapping, "The design inputs")) {
        if (key == "type") {
            if (value.is_none())
                type = std::optional<WetlandType>();
            else if (py::isinstance<py::str>(value)
                && py::cast<std::string>(value) == "constructed")
                type = WetlandType::Constructed;
            else if (py::isinstance<py::str>(value) && py::cast<std::string>(value) == "natural")
                type = WetlandType::Natural;
            else
                throw Error("The wetland type must be \"constructed\", \"natural\" or None.");
            continue;
        }
        if (key == "results")
            throw Error("The design results are calculated: set the inputs and call "
                        "calculate_design().");
        const auto found = std::find(std::begin(kDesignKeys), std::end(kDesignKeys), key);
        if (found == std::end(kDesignKeys)) {
            std::vector<std::string> known(std::begin(kDesignKeys), std::end(kDesignKeys));
            known.emplace_back("type");
            throw Error(
                "'" + QuotedText(key) + "' is no design input: use " + QuotedNames(known) + ".");
        }
        const std::string what = "The design input " + key;
        texts[static_cast<std::size_t>(found - std::begin(kDesignKeys))] = value.is_none()
            ? std::string()
            : ExactText(CheckedNumber(NumberOf(value, what), what, true));
    }
    project.setDesignInputs(texts);
    if (type)
        project.setWetlandType(*type);
}

// A whole-number setting: values beyond 32 bits go to the project as the nearest 32-bit value,
// which it refuses with its own message.
std::int32_t Whole(long long value)
{
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

} // namespace

void AddRunMethods(py::class_<Project> &project);
void AddAnalysisMethods(py::class_<Project> &project);

void BindProject(py::module_ &module)
{
    py::class_<Project> project(module, "Project", R"(One Carexa project: the design, the forcing
data, the initial values, the parameters, the observed values, the settings and the last run's
results, as the window holds them.

Every setter checks its whole input first: a bad value raises carexa.ProjectError with the
program's message and leaves the project as it was. Getters return copies: change a value in
the copy, then assign it back (p.parameters = {"AC": 0.2} changes only AC).

Project() is a project as the program starts with one: 60 days, 70 sub-steps per day, no
climate, every value 0.0001. Use Project.new(climate=...) for "New Project", or
Project.load(path) for a project file.)");

    project.def(py::init<>())
        .def_static(
            "new",
            [](const py::object &climate) {
                const std::int32_t chosen = ClimateFrom(climate);
                auto created = std::make_unique<Project>();
                created->reset(Project::ResetKind::New);
                created->chooseClimate(chosen);
                return created;
            },
            py::kw_only(), py::arg("climate"),
            R"(A new, empty project as "New Project" makes it: 60 days, 50 sub-steps per day,
every value 0.0001, in the climate chosen (1 or "cold", 2 or "warm").)")
        .def_static(
            "load",
            [](const std::filesystem::path &path) {
                LoadedProject loaded;
                {
                    py::gil_scoped_release release;
                    loaded = ReadProjectFile(path);
                }
                auto created = std::make_unique<Project>();
                created->load(loaded);
                return created;
            },
            py::arg("path"),
            R"(The project in a project file (.mdl), read as "Load Project" reads it: a damaged or
incomplete file raises ProjectError with the program's message. The results the file holds
are the project's result.)")
        .def_static(
            "from_bytes",
            [](const py::bytes &data) {
                auto created = std::make_unique<Project>();
                created->load(ParseProject(std::string_view(data)));
                return created;
            },
            py::arg("data"), "The project whose project file holds these bytes.")
        .def(
            "save", [](const Project &self, const std::filesystem::path &path) { self.save(path); },
            py::arg("path"),
            R"(Writes the project file as "Save Project" does, to exactly this path (no ".mdl" is
added): a temporary file replaces the target only once it is whole, so a failed save leaves
any file there as it was.)")
        .def(
            "to_bytes", [](const Project &self) { return py::bytes(self.text()); },
            "The bytes of the project file save() writes.")
        .def_property(
            "simulation_length", [](const Project &self) { return self.state().simulationLength; },
            [](Project &self, long long days) { self.setSimulationLength(Whole(days)); },
            R"(Days simulated, 1 to 300000. A shorter project drops days at the end; added days
take day 1's bed (volume, porosity, average oxygen, box water volume).)")
        .def_property(
            "observed_length", [](const Project &self) { return self.state().observedLength; },
            [](Project &self, long long days) { self.setObservedLength(Whole(days)); },
            "Days of observed values, 0 to 300000.")
        .def_property(
            "steps_per_day", [](const Project &self) { return self.state().stepsPerDay; },
            [](Project &self, long long steps) {
                if (steps < 1)
                    throw Error("The time step must be at least 1 sub-step per day.");
                self.setStepsPerDay(Whole(steps));
            },
            "Sub-steps per simulated day, 1 to 100000.")
        .def_property(
            "climate", [](const Project &self) { return self.state().climate; },
            [](Project &self, const py::object &climate) {
                self.chooseClimate(ClimateFrom(climate));
            },
            R"(0 (none chosen), 1 (cold) or 2 (warm). Set it with 1, 2, "cold" or "warm"; the
climate decides which parameter values a run keeps.)")
        .def_property("forcing", &Forcing, &SetForcing,
            R"(The forcing values of every day: a dict of 1-D float arrays (one value per day)
keyed by the forcing grid's headings ("temp.", "water flow", "BOD5", "Nitrate", "Ammonium",
"total P.", "Org. Nit.", "POM %", "PON %", "POP %", "RTB") and the other day values
("porosity", "oxygen A" to "oxygen E", "box water volume"). Assign a dict (or a pandas
DataFrame) with any of these keys; each array must hold simulation_length finite numbers.
0.0001 is the value of nothing entered.)")
        .def_property("observed", &Observed, &SetObserved,
            R"(The observed values: a dict of 1-D float arrays (observed_length days) keyed by the
series headings ("BOD5 out" ... "eff. t.n. rem"), NaN where nothing was measured (0.0001 in
the file). Assign a dict with any of these keys; NaN marks a day without a measurement.)")
        .def_property("parameters", &Parameters, &SetParameters,
            R"(The sixteen kinetic parameters: a dict code -> value ("AC", "NC", "OC", "DC",
"TA", "TN", "TO", "TD", "KO", "OO", "MA", "MN", "PA", "PN", "PP", "AF"). Assign a dict with
any of these codes; each value must be a finite number of 0 or more. A run replaces a value
outside the range the climate accepts by the climate's fallback.)")
        .def_property("initial", &Initial, &SetInitial,
            R"(The initial concentrations (mg/l): a 5 x 5 array, the variables BOD5, NIT, AMM,
ORN and TPO by the boxes A to E. Assign a 5 x 5 array of finite numbers of 0 or more.)")
        .def_property("design", &Design, &SetDesign,
            R"(The design: the eight inputs ("width", "length", "depth",
"precipitation_factor", "slope", "particular_matter", "conductivity", "flow"; None where
empty), the wetland "type" ("constructed", "natural" or None) and the "results" (PF, AA, VO,
HL, HF, RF, FW, FL, NP) of the last calculation. Assign a dict with any inputs and the type,
then call calculate_design().)")
        .def(
            "calculate_design", [](Project &self) { self.calculateDesign(); },
            R"("Calculate" on the Design screen: sizes the bed from the inputs and the wetland
type; raises ProjectError ("One or more input fields are empty!") when one is missing.)")
        .def(
            "calculate_water_volume", [](Project &self) { self.calculateWaterVolume(); },
            R"("Calculate water volume": day 1 takes the design volume, every day's box water
volume becomes day 1's porosity x that volume x 0.2.)")
        .def(
            "calculate_retention_times", [](Project &self) { self.calculateRetentionTimes(); },
            R"("Calculate RTB values": every day's retention time per box from its water flow
and box water volume; raises ProjectError for a day without flow.)")
        .def_property_readonly(
            "water_volume", [](const Project &self) { return self.waterVolume(); },
            "The whole water volume of the bed (5 x day 1's box water volume).")
        .def("__repr__", [](const Project &self) {
            const ModelState &s = self.state();
            return "<carexa.Project: " + std::to_string(s.simulationLength) + " days, "
                + std::to_string(s.stepsPerDay) + " sub-steps per day, climate "
                + std::to_string(s.climate) + ">";
        });

    project.def(py::pickle([](const Project &self) { return ProjectState(self); },
        [](const py::tuple &state) { return ProjectFromState(state); }));

    AddRunMethods(project);
    AddAnalysisMethods(project);
}

} // namespace carexa::python
