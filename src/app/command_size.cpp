// carexa-sim size: the design assistant's sizing for target outflows and its Darcy check.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "project/project.h"
#include "project/project_file.h"
#include "report/side_file.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/wetland_sizing.h"

#include <array>
#include <cctype>
#include <filesystem>
#include <charconv>

namespace carexa::batch {

namespace {

// The shortest text that reads back as the same double. Every value printed is a finite number:
// one that is not is refused by the sizing's checks first, and this is the last guard.
std::string Number(double value)
{
    RequireComputable(value, "A value of the sizing", "the inputs");
    std::array<char, 32> buffer {};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string Number(const std::optional<double> &value)
{
    return value ? Number(*value) : std::string();
}

double ParseValue(std::string_view text, const std::string &what)
{
    try {
        return ParseDouble(text);
    } catch (const ConversionError &) {
        throw Error(what + ": '" + QuotedText(text) + "' is not a number.");
    }
}

std::optional<double> NumberOption(const ParsedArguments &parsed, const std::string &option)
{
    const std::optional<std::string> text = parsed.value(option);
    if (!text)
        return std::nullopt;
    return ParseValue(*text, option);
}

std::vector<std::string_view> SplitFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string_view::npos)
            return fields;
        start = colon + 1;
    }
}

// NAME:IN:TARGET[:K20:THETA:CSTAR:P]; a constant left out or empty takes its default.
PollutantInput ParsePollutant(std::string_view text)
{
    const std::vector<std::string_view> fields = SplitFields(text);
    if (fields.size() < 3 || fields.size() > 7)
        throw Error("--pollutant '" + QuotedText(text)
            + "' is not of the form NAME:IN:TARGET[:K20:THETA:CSTAR:P].");
    std::string key(fields[0]);
    for (char &c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::optional<Pollutant> pollutant = PollutantFromKey(key);
    if (!pollutant)
        throw Error("--pollutant '" + QuotedText(fields[0])
            + "' is no pollutant: use BOD5, ORGN, NH4, NO3, TN or TP.");
    const std::string name(PollutantName(*pollutant));

    PollutantInput in;
    in.pollutant = *pollutant;
    in.inflow = ParseValue(fields[1], name + " inflow");
    in.target = ParseValue(fields[2], name + " target");
    in.constants = DefaultRateConstants(*pollutant, in.inflow).values;
    const std::array<std::pair<double *, const char *>, 4> constants {{
        {&in.constants.k20, " k20"},
        {&in.constants.theta, " theta"},
        {&in.constants.cStar, " C*"},
        {&in.constants.tanks, " P"},
    }};
    for (std::size_t i = 3; i < fields.size(); ++i) {
        if (!fields[i].empty())
            *constants[i - 3].first = ParseValue(fields[i], name + constants[i - 3].second);
    }
    return in;
}

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &)
{
    const ParsedArguments parsed = ParseArguments(args,
        {.single = {"--flow", "--temperature", "--area", "--depth", "--porosity", "--conductivity",
             "--slope", "--long-term-factor", "--width", "--keep"},
            .repeatable = {"--pollutant"},
            .positionals = 0});
    const auto given = [&](const char *option) { return parsed.value(option).has_value(); };
    if (!given("--flow"))
        throw UsageError("size needs --flow");
    if (parsed.all("--pollutant").empty())
        throw UsageError("size needs at least one --pollutant");
    const bool darcy = given("--width") || given("--conductivity");
    if (darcy && !(given("--conductivity") && given("--slope") && given("--depth")))
        throw UsageError("the hydraulic check needs --conductivity, --slope and --depth");
    if (!darcy && (given("--slope") || given("--long-term-factor")))
        throw UsageError("--slope and --long-term-factor belong to the hydraulic check: give "
                         "--conductivity too");
    if (given("--porosity") && !given("--depth"))
        throw UsageError("--porosity needs --depth");
    if (given("--keep") && given("--area"))
        throw UsageError("--keep keeps the assistant's own sizing, whose area is the governing one "
                         "(or width x length): leave out --area");

    // The same defaults as the design assistant's window.
    AssistantInputs in;
    in.sizing.flow = *NumberOption(parsed, "--flow");
    in.sizing.temperature = NumberOption(parsed, "--temperature").value_or(20);
    for (const std::string &text : parsed.all("--pollutant"))
        in.sizing.pollutants.push_back(ParsePollutant(text));
    in.depth = NumberOption(parsed, "--depth").value_or(in.depth);
    in.porosity = NumberOption(parsed, "--porosity").value_or(in.porosity);
    if (darcy) {
        in.hydraulics = HydraulicInputs {*NumberOption(parsed, "--conductivity"),
            *NumberOption(parsed, "--slope"),
            NumberOption(parsed, "--long-term-factor").value_or(0.1)};
    }
    in.width = NumberOption(parsed, "--width");
    const std::optional<double> givenArea = NumberOption(parsed, "--area");

    AssistantResult result = RunDesignAssistant(in);
    TargetSizing &sizing = result.sizing;
    const std::optional<double> area = givenArea ? givenArea : sizing.governingArea;
    if (area)
        OutflowsAt(sizing, in.sizing.flow, *area);

    std::string text = "pollutant,inflow,target,k20,theta,cstar,tanks,kT,required_area_m2,"
                       "outflow_at_area\n";
    for (const PollutantSizing &row : sizing.pollutants) {
        const PollutantInput &p = row.input;
        text += PollutantKey(p.pollutant);
        for (double value : {p.inflow, p.target, p.constants.k20, p.constants.theta,
                 p.constants.cStar, p.constants.tanks, row.kT}) {
            text += ',';
            text += Number(value);
        }
        text += ',';
        text += row.requiredArea ? Number(*row.requiredArea) : std::string("unreachable");
        text += ',';
        text += Number(row.outflow);
        text += '\n';
    }
    if (darcy) {
        const DarcyCheck &check = *result.darcy;
        text += "\nwidth_m,min_width_clean_m,min_width_long_term_m,max_flow_long_term_m3d\n";
        text += Number(result.width) + ',' + Number(check.minWidthClean) + ','
            + Number(check.minWidthLongTerm) + ',' + Number(check.maxFlowLongTerm) + '\n';
    }
    if (given("--depth")) {
        std::optional<double> retention, loading;
        if (area) {
            const char *areaName = givenArea ? "--area" : "the governing area";
            retention = RequireComputable(
                NominalRetentionTime(*area, in.depth, in.porosity, in.sizing.flow),
                "The nominal retention time",
                std::string("--depth, --porosity and ") + areaName + " over --flow");
            for (const PollutantSizing &row : sizing.pollutants) {
                if (row.input.pollutant == Pollutant::BOD5)
                    loading = RequireComputable(
                        ArealLoading(in.sizing.flow, row.input.inflow, *area), "The BOD5 loading",
                        std::string("--flow and the BOD5 inflow over ") + areaName);
            }
        }
        text += "\narea_m2,retention_time_d,bod5_loading_g_m2d\n";
        text += Number(area) + ',' + Number(retention) + ',' + Number(loading) + '\n';
    }
    WriteOutput("-", text, out, "The sizing");
    if (const auto project = parsed.value("--keep")) {
        // As "Use this design" keeps it: the report sizes again from these inputs.
        const std::filesystem::path file = ProjectFileName(*project);
        if (!std::filesystem::exists(file))
            throw Error("--keep: there is no project " + QuotedText(file.filename().string()));
        SideFileRead side = ReadSideFile(file);
        if (side.problem.find("is damaged") != std::string::npos)
            throw Error(side.problem + " The sizing was not kept, so as not to write over it.");
        Project kept;
        kept.takeSideFile(std::move(side.settings), side.problem);
        kept.keepAssistant(in);
        WriteSideFile(file, kept.reportSettings());
    }
    return kBatchOk;
}

} // namespace

const Command kSizeCommand {
    .name = "size",
    .synopsis = "carexa-sim size --flow Q [--temperature T]\n"
                "                       --pollutant NAME:IN:TARGET[:K20:THETA:CSTAR:P] ...\n"
                "                       [--area A] [--depth D --porosity N]\n"
                "                       [--conductivity K --slope S --long-term-factor F "
                "--width W]\n"
                "                       [--keep PROJECT.mdl]",
    .help = R"(size: sizes a horizontal subsurface-flow bed for target outflows with the first-order
tanks-in-series model, q = 365 Q / A, kT = k20 theta^(T - 20),
Co = C* + (Cin - C*) / (1 + kT / (P q))^P, as the Design screen's "Design assistant..." does, and
checks by Darcy's law, Q = K x width x depth x S, that the bed's cross-section carries the flow.
Writes CSV to standard output.

  --flow Q               design flow, m3/d
  --temperature T        design water temperature, deg C (default 20, where kT = k20); take the
                         coldest month's
  --pollutant NAME:IN:TARGET[:K20:THETA:CSTAR:P]
                         one per pollutant: NAME is BOD5, ORGN (organic N), NH4 (NH4-N),
                         NO3 (NO3-N), TN or TP; IN the inflow and TARGET the wanted outflow,
                         mg/L; then k20 (m/yr), theta, C* (mg/L) and P (apparent number of
                         tanks, 1 to 100). A constant left out or empty takes its default for
                         horizontal subsurface flow: P, C* and k20 are the medians of Kadlec &
                         Wallace (2009), theta is Kadlec & Knight's (1996):
                           BOD5      P 3, theta 1, and C*, k20 by inflow: 1, 86 up to 30 mg/L;
                                     5, 37 up to 100; 10, 25 up to 200; 15, 66 above 200
                           ORGN      P 6, C* 1, k20 19.6, theta 1.05
                           NH4       P 6, C* 0, k20 11.4, theta 1.04
                           NO3       P 8, C* 0, k20 42, theta 1.09
                           TN        P 6, C* 1, k20 8.4, theta 1.05
                           TP        C* 0.02, k20 12, theta 1 (Kadlec & Knight 1996), P 3
                                     (assumed)
  --area A               the bed's area for the outflow column, m2 (default: the governing
                         area, the largest the targets need)
  --depth D              bed depth, m; adds a block with the nominal retention time
                         (A x depth x porosity / Q) and the BOD5 loading at the area
  --porosity N           porosity of the gravel, a fraction (default 0.4)
  --conductivity K       clean hydraulic conductivity of the gravel, m/d; adds the Darcy block
                         (needs --slope and --depth)
  --slope S              bed slope as a fraction, m/m (the Design screen's 1 cm/m is 0.01)
  --long-term-factor F   share of the clean conductivity left once the bed has clogged, a
                         fraction (default 0.1)
  --width W              the bed's width, m (default: the smallest that carries Q with the
                         long-term conductivity, rounded up to 0.1 m); adds the Darcy block
  --keep PROJECT.mdl     keep these inputs in PROJECT's side file (NAME.carexa.json) as "Use
                         this design" in the window does: the design report then shows the
                         assistant's sizing (not with --area)

Output: "pollutant,inflow,target,k20,theta,cstar,tanks,kT,required_area_m2,outflow_at_area",
one row per pollutant (kT in m/yr, areas in m2, concentrations in mg/L; "unreachable" where the
target is at or below C*, the outflow at the area above); with --width or --conductivity, after
an empty line, "width_m,min_width_clean_m,min_width_long_term_m,max_flow_long_term_m3d" (the
largest flow the width carries with the long-term conductivity); with --depth, after an empty
line, "area_m2,retention_time_d,bod5_loading_g_m2d" (g/m2/d).
)",
    .run = Run,
};

} // namespace carexa::batch
