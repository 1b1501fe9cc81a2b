// carexa.size: the design assistant's sizing for target outflows and its Darcy check, with the
// inputs, defaults and refusals of carexa-sim size.

#include "python/bindings.h"

#include "model/error.h"
#include "model/wetland_sizing.h"

#include <pybind11/stl.h>

#include <cctype>
#include <optional>

namespace carexa::python {

namespace {

py::object Optional(const std::optional<double> &value)
{
    return value ? py::object(py::float_(*value)) : py::object(py::none());
}

double Number(const py::handle &value, const std::string &what)
{
    try {
        return py::cast<double>(value);
    } catch (const py::cast_error &) {
    } catch (const py::error_already_set &) { // an int too large for a double
    }
    throw Error(what + " must be a number.");
}

// (NAME, IN, TARGET[, K20, THETA, CSTAR, P]) or a dict with name, inflow, target and any of
// k20, theta, cstar, tanks; a constant left out or None takes its default.
PollutantInput ParsePollutant(const py::handle &item)
{
    std::array<py::object, 7> fields;
    if (py::isinstance<py::dict>(item)) {
        const py::dict entry = py::reinterpret_borrow<py::dict>(item);
        constexpr const char *keys[]
            = {"name", "inflow", "target", "k20", "theta", "cstar", "tanks"};
        for (const auto &[key, value] : entry) {
            const auto name = py::cast<std::string>(py::str(key));
            const auto found = std::find(std::begin(keys), std::end(keys), name);
            if (found == std::end(keys))
                throw Error("'" + QuotedText(name)
                    + "' is no pollutant field: use name, inflow, "
                      "target, k20, theta, cstar and tanks.");
            fields[static_cast<std::size_t>(found - std::begin(keys))]
                = py::reinterpret_borrow<py::object>(value);
        }
    } else if (py::isinstance<py::sequence>(item) && !py::isinstance<py::str>(item)) {
        const py::sequence entry = py::reinterpret_borrow<py::sequence>(item);
        if (entry.size() < 3 || entry.size() > 7)
            throw Error("A pollutant is (NAME, IN, TARGET[, K20, THETA, CSTAR, P]).");
        for (std::size_t i = 0; i < entry.size(); ++i)
            fields[i] = entry[i];
    } else {
        throw Error("A pollutant is (NAME, IN, TARGET[, K20, THETA, CSTAR, P]) or a dict.");
    }
    if (!fields[0] || !fields[1] || !fields[2] || fields[0].is_none() || fields[1].is_none()
        || fields[2].is_none())
        throw Error("A pollutant needs its name, inflow and target.");
    std::string key = py::cast<std::string>(py::str(fields[0]));
    for (char &c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::optional<Pollutant> pollutant = PollutantFromKey(key);
    if (!pollutant)
        throw Error("The pollutant '" + QuotedText(py::cast<std::string>(py::str(fields[0])))
            + "' is no pollutant: use BOD5, ORGN, NH4, NO3, TN or TP.");
    const std::string name(PollutantName(*pollutant));
    PollutantInput in;
    in.pollutant = *pollutant;
    in.inflow = Number(fields[1], name + " inflow");
    in.target = Number(fields[2], name + " target");
    in.constants = DefaultRateConstants(*pollutant, in.inflow).values;
    double *constants[]
        = {&in.constants.k20, &in.constants.theta, &in.constants.cStar, &in.constants.tanks};
    constexpr const char *names[] = {" k20", " theta", " C*", " P"};
    for (std::size_t i = 0; i < 4; ++i) {
        if (fields[i + 3] && !fields[i + 3].is_none())
            *constants[i] = Number(fields[i + 3], name + names[i]);
    }
    return in;
}

std::optional<double> OptionalNumber(const py::object &value, const char *what)
{
    if (value.is_none())
        return std::nullopt;
    return Number(value, what);
}

py::dict Size(double flow, const py::iterable &pollutants, double temperature,
    const py::object &areaObject, const py::object &depthObject, const py::object &porosityObject,
    const py::object &conductivityObject, const py::object &slopeObject,
    const py::object &factorObject, const py::object &widthObject)
{
    const std::optional<double> givenArea = OptionalNumber(areaObject, "area");
    const std::optional<double> depth = OptionalNumber(depthObject, "depth");
    const std::optional<double> porosity = OptionalNumber(porosityObject, "porosity");
    const std::optional<double> conductivity = OptionalNumber(conductivityObject, "conductivity");
    const std::optional<double> slope = OptionalNumber(slopeObject, "slope");
    const std::optional<double> factor = OptionalNumber(factorObject, "long_term_factor");
    const std::optional<double> width = OptionalNumber(widthObject, "width");

    AssistantInputs in;
    in.sizing.flow = flow;
    in.sizing.temperature = temperature;
    for (const py::handle item : pollutants)
        in.sizing.pollutants.push_back(ParsePollutant(item));
    if (in.sizing.pollutants.empty())
        throw Error("size needs at least one pollutant.");
    const bool darcy = width || conductivity;
    if (darcy && !(conductivity && slope && depth))
        throw Error("the hydraulic check needs conductivity, slope and depth.");
    if (!darcy && (slope || factor))
        throw Error("slope and long_term_factor belong to the hydraulic check: give conductivity "
                    "too.");
    if (porosity && !depth)
        throw Error("porosity needs depth.");
    in.depth = depth.value_or(in.depth);
    in.porosity = porosity.value_or(in.porosity);
    if (darcy)
        in.hydraulics = HydraulicInputs {*conductivity, *slope, factor.value_or(0.1)};
    in.width = width;

    AssistantResult result = RunDesignAssistant(in);
    TargetSizing &sizing = result.sizing;
    const std::optional<double> area = givenArea ? givenArea : sizing.governingArea;
    if (area)
        OutflowsAt(sizing, in.sizing.flow, *area);

    py::list rows;
    for (const PollutantSizing &row : sizing.pollutants) {
        const PollutantInput &p = row.input;
        py::dict entry;
        entry["pollutant"] = std::string(PollutantKey(p.pollutant));
        entry["inflow"] = p.inflow;
        entry["target"] = p.target;
        entry["k20"] = p.constants.k20;
        entry["theta"] = p.constants.theta;
        entry["cstar"] = p.constants.cStar;
        entry["tanks"] = p.constants.tanks;
        entry["kT"] = row.kT;
        entry["required_area_m2"] = Optional(row.requiredArea);
        entry["outflow_at_area"] = Optional(row.outflow);
        rows.append(entry);
    }
    py::dict out;
    out["pollutants"] = rows;
    out["governing_area_m2"] = Optional(sizing.governingArea);
    out["area_m2"] = Optional(area);
    if (darcy) {
        const DarcyCheck &check = *result.darcy;
        py::dict block;
        block["width_m"] = Optional(result.width);
        block["min_width_clean_m"] = check.minWidthClean;
        block["min_width_long_term_m"] = check.minWidthLongTerm;
        block["max_flow_long_term_m3d"] = Optional(check.maxFlowLongTerm);
        out["darcy"] = block;
    } else {
        out["darcy"] = py::none();
    }
    if (depth) {
        std::optional<double> retention, loading;
        if (area) {
            const char *areaName = givenArea ? "area" : "the governing area";
            retention = RequireComputable(
                NominalRetentionTime(*area, in.depth, in.porosity, in.sizing.flow),
                "The nominal retention time",
                std::string("depth, porosity and ") + areaName + " over flow");
            for (const PollutantSizing &row : sizing.pollutants) {
                if (row.input.pollutant == Pollutant::BOD5)
                    loading = RequireComputable(
                        ArealLoading(in.sizing.flow, row.input.inflow, *area), "The BOD5 loading",
                        std::string("flow and the BOD5 inflow over ") + areaName);
            }
        }
        out["retention_time_d"] = Optional(retention);
        out["bod5_loading_g_m2d"] = Optional(loading);
    }
    return out;
}

} // namespace

void BindSizing(py::module_ &module)
{
    module.def("size", &Size, py::arg("flow"), py::arg("pollutants"), py::kw_only(),
        py::arg("temperature") = 20.0, py::arg("area") = py::none(), py::arg("depth") = py::none(),
        py::arg("porosity") = py::none(), py::arg("conductivity") = py::none(),
        py::arg("slope") = py::none(), py::arg("long_term_factor") = py::none(),
        py::arg("width") = py::none(),
        R"(Sizes a horizontal subsurface-flow bed for target outflows with the tanks-in-series
model and checks its cross-section by Darcy's law, as carexa-sim size and the "Design
assistant..." do, with their defaults.

flow: design flow, m3/d. pollutants: a list of (NAME, IN, TARGET[, K20, THETA, CSTAR, P]) or
dicts (name, inflow, target, k20, theta, cstar, tanks); NAME is BOD5, ORGN, NH4, NO3, TN or TP,
a constant left out or None takes its default. temperature: deg C (default 20). area: the area
for the outflows (default: the governing area). depth (m) and porosity (default 0.4) add the
retention time and the BOD5 loading; conductivity (m/d) with slope (m/m) and depth adds the
Darcy check, long_term_factor (default 0.1), width (default: the smallest that carries the
flow, rounded up to 0.1 m).

Returns a dict: "pollutants" (one dict each: pollutant, inflow, target, k20, theta, cstar,
tanks, kT, required_area_m2 (None: unreachable), outflow_at_area), "governing_area_m2",
"area_m2", "darcy" (width_m, min_width_clean_m, min_width_long_term_m, max_flow_long_term_m3d,
or None), and with depth "retention_time_d" and "bod5_loading_g_m2d".)");
}

} // namespace carexa::python
