// The design assistant's part of the design basis: the sizing per pollutant, sized again from the
// inputs the side file keeps, with the source of every constant, the hydraulic check, and the
// assistant's outflow beside the simulated one.

#include "report/report_assistant.h"

#include "model/bed_shape.h"
#include "model/error.h"
#include "model/output_series.h"
#include "report/report_facts.h"
#include "report/report_text.h"
#include "simulation/simulation_run.h"

#include <cmath>

namespace carexa {

namespace {

std::string Source(double value, double standard, std::string_view source)
{
    return value == standard ? std::string(source) : std::string("entered in the assistant");
}

// The outflow series (data sheet columns, 1-based) a pollutant is, summed: TN is the sum of
// nitrate, ammonium and organic N.
std::vector<int> SeriesOf(Pollutant pollutant)
{
    switch (pollutant) {
    case Pollutant::BOD5:
        return {1};
    case Pollutant::Nitrate:
        return {2};
    case Pollutant::Ammonium:
        return {3};
    case Pollutant::TotalP:
        return {4};
    case Pollutant::OrganicN:
        return {5};
    case Pollutant::TotalN:
        return {2, 3, 5};
    }
    return {};
}

// The mean over the run's days of the sum of the series.
double SimulatedMean(const FrozenRun &run, const std::vector<int> &columns)
{
    double sum = 0;
    for (int d = 0; d < run.days(); ++d) {
        for (int c : columns)
            sum += RunSheetValue(run.series[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(d)]);
    }
    return run.days() > 0 ? sum / run.days() : std::nan("");
}

std::string WidthSourceText(WidthSource source)
{
    switch (source) {
    case WidthSource::Given:
        return "entered in the assistant";
    case WidthSource::LongTermMinimum:
        return "the smallest width that carries the flow with the long-term conductivity, rounded "
               "up to 0.1 m";
    case WidthSource::DesignScreen:
        return "the Design screen's width, at least the long-term minimum";
    }
    return {};
}

void DarcyPart(ReportDocument &report, const AssistantInputs &in, const AssistantResult &r)
{
    if (!r.darcy || !in.hydraulics)
        return;
    const DarcyCheck &d = *r.darcy;
    const HydraulicInputs &h = *in.hydraulics;
    ReportTable table {.caption = "Hydraulic check by Darcy's law, Q = K x width x depth x S",
        .headings = {"Quantity", "Value", "Unit"}};
    table.rows = {{"Clean hydraulic conductivity K", SignificantNumber(h.conductivity), "m / d"},
        {"Long-term share of K (clogged gravel)", SignificantNumber(h.longTermFactor), "-"},
        {"Slope S", SignificantNumber(h.slope), "m / m"},
        {"Depth", SignificantNumber(in.depth), "m"},
        {"Minimum width, clean gravel", ReportNumber(d.minWidthClean, 2), "m"},
        {"Minimum width, long-term", ReportNumber(d.minWidthLongTerm, 2), "m"}};
    if (d.maxFlowClean)
        table.rows.push_back({"Largest flow at the chosen width, clean", ReportNumber(*d.maxFlowClean, 2), "m3 / d"});
    if (d.maxFlowLongTerm)
        table.rows.push_back({"Largest flow at the chosen width, long-term", ReportNumber(*d.maxFlowLongTerm, 2), "m3 / d"});
    report.table(std::move(table));
    if (r.width && *r.width < d.minWidthClean) {
        report.paragraph("Warning: a width of " + SignificantNumber(*r.width)
            + " m is too narrow even for clean gravel: it carries " + ReportNumber(d.maxFlowClean, 2)
            + " of the " + SignificantNumber(in.sizing.flow) + " m3/d; the rest would run over the surface.");
    } else if (r.width && *r.width < d.minWidthLongTerm) {
        report.paragraph("Warning: a width of " + SignificantNumber(*r.width) + " m is below the "
            "long-term minimum of " + ReportNumber(d.minWidthLongTerm, 2) + " m: once the gravel "
            "clogs the bed carries " + ReportNumber(d.maxFlowLongTerm, 2) + " of the "
            + SignificantNumber(in.sizing.flow) + " m3/d.");
    } else {
        report.paragraph("The chosen width carries the design flow with the long-term conductivity.");
    }
}

} // namespace

void AddDesignAssistant(ReportDocument &report, const ReportSource &source)
{
    const AssistantInputs &in = source.settings.designAssistant->inputs;
    AssistantResult r;
    try {
        r = RunDesignAssistant(in);
    } catch (const Error &error) {
        report.paragraph(std::string("The design assistant's inputs kept in the side file cannot be "
                                     "sized again: ") + error.what());
        return;
    }
    report.subsection("Design assistant");
    report.paragraph("Source: the design assistant's inputs kept in the side file when its design was "
                     "taken (\"Use this design\"), sized again here with the tanks-in-series model "
                     "(P-k-C*): q = 365 Q / A, kT = k20 theta^(T - 20), Co = C* + (Cin - C*) / "
                     "(1 + kT / (P q))^P. Design flow Q: " + SignificantNumber(in.sizing.flow)
        + " m3/d.");
    const std::optional<double> coldest = SummarizeForcing(source.state->days).coldestMonthTemperature;
    const bool fromForcing = coldest && std::abs(*coldest - in.sizing.temperature) < 1e-9 * std::max(1.0, std::abs(*coldest));
    report.paragraph("Design water temperature T: " + SignificantNumber(in.sizing.temperature) + " deg C, "
        + (fromForcing ? "the coldest mean water temperature over 30 consecutive days of the forcing data"
                       : "entered in the assistant")
        + ". The rate constants fall with the temperature, so the coldest month sets the area a bed "
          "needs all year.");

    ReportTable sizing {.caption = "Sizing per pollutant (tanks-in-series model; concentrations in "
                                   "mg/l, k20 and kT in m/yr, areas in m2)",
        .headings = {"Pollutant", "Inflow", "Target", "k20", "theta", "C*", "P", "kT", "Required area",
            "Outflow at " + (r.area ? ReportNumber(*r.area, 1) : std::string("area")) + " m2"}};
    ReportTable sources {.caption = "Sources of the constants", .headings = {"Pollutant", "Constant", "Value", "Source"}};
    for (const PollutantSizing &p : r.sizing.pollutants) {
        const std::string name(PollutantName(p.input.pollutant));
        const RateConstants &c = p.input.constants;
        sizing.rows.push_back({name, SignificantNumber(p.input.inflow), SignificantNumber(p.input.target),
            SignificantNumber(c.k20), SignificantNumber(c.theta), SignificantNumber(c.cStar),
            SignificantNumber(c.tanks), SignificantNumber(p.kT),
            p.requiredArea ? ReportNumber(*p.requiredArea, 1) : std::string("unreachable (target at or below C*)"),
            ReportNumber(p.outflow, 2)});
        const DefaultConstants standard = DefaultRateConstants(p.input.pollutant, p.input.inflow);
        sources.rows.push_back({name, "k20", SignificantNumber(c.k20), Source(c.k20, standard.values.k20, standard.k20Source)});
        sources.rows.push_back({"", "theta", SignificantNumber(c.theta), Source(c.theta, standard.values.theta, standard.thetaSource)});
        sources.rows.push_back({"", "C*", SignificantNumber(c.cStar), Source(c.cStar, standard.values.cStar, standard.cStarSource)});
        sources.rows.push_back({"", "P", SignificantNumber(c.tanks), Source(c.tanks, standard.values.tanks, standard.tanksSource)});
    }
    report.table(std::move(sizing));
    report.table(std::move(sources));

    std::string bed;
    if (r.sizing.governing) {
        bed += "Governing pollutant: "
            + std::string(PollutantName(r.sizing.pollutants[*r.sizing.governing].input.pollutant))
            + ", which needs the largest area, " + ReportNumber(r.sizing.governingArea, 1) + " m2. ";
    }
    if (r.width && r.length) {
        bed += "Chosen bed: " + SignificantNumber(*r.width) + " m wide (" + WidthSourceText(r.widthSource)
            + ") and " + SignificantNumber(*r.length) + " m long (" + (r.lengthGiven ? "entered" : "the governing area over the width, rounded up to 0.1 m")
            + "), " + ReportNumber(r.area, 1) + " m2; length to width "
            + ReportNumber(*r.length / *r.width, 2)
            + (CheckLengthToWidth(*r.length, *r.width) == ShapeWarning::None
                    ? std::string()
                    : " (Warning: outside 0.25 to 4, the usual shapes)")
            + ". ";
    }
    if (r.retentionTime) {
        bed += "Nominal retention time (area x depth " + SignificantNumber(in.depth) + " m x porosity "
            + SignificantNumber(in.porosity) + " / Q): " + ReportNumber(*r.retentionTime, 2) + " d. ";
    }
    if (r.bod5Loading)
        bed += "BOD5 areal loading at the area: " + ReportNumber(*r.bod5Loading, 2) + " g / (m2 d) (guideline up to 6). ";
    if (!bed.empty())
        report.paragraph(bed);
    DarcyPart(report, in, r);
    report.note(std::string(kPkcNote));

    ReportTable beside {.caption = "The assistant's outflow (long-term mean at its area) beside the "
                                   "simulated mean outflow (mg/l)",
        .headings = {"Pollutant", "Assistant", "Simulated", "Series"}};
    for (const PollutantSizing &p : r.sizing.pollutants) {
        const std::vector<int> columns = SeriesOf(p.input.pollutant);
        std::string series;
        for (int c : columns)
            series += (series.empty() ? "" : " + ") + std::string(kSeriesHeadings[static_cast<std::size_t>(c - 1)]);
        beside.rows.push_back({std::string(PollutantName(p.input.pollutant)), ReportNumber(p.outflow, 2),
            source.run ? ReportNumber(SimulatedMean(*source.run, columns), 2) : std::string("not simulated"),
            series});
    }
    report.table(std::move(beside));
    report.note("The simulation runs the project's bed (the Design screen's area) on every forcing day; "
                "the assistant's outflow is the long-term mean of its own area at the design temperature.");
}

} // namespace carexa
