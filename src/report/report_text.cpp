#include "report/report_text.h"

#include "model/climate.h"
#include "model/model_parameters.h"
#include "report/report_analyses.h"
#include "report/report_facts.h"

#include <algorithm>
#include <array>

namespace carexa {

namespace {

struct SectionName
{
    ReportSection section;
    std::string_view key;
    std::string_view title;
};

constexpr std::array<SectionName, kReportSectionCount> kSections {{
    {ReportSection::DesignBasis, "basis", "Design basis"},
    {ReportSection::Forcing, "forcing", "Forcing data"},
    {ReportSection::ModelSetup, "setup", "Model set-up"},
    {ReportSection::Results, "results", "Results"},
    {ReportSection::Fit, "fit", "Fit to measurements"},
    {ReportSection::Sensitivity, "sensitivity", "Sensitivity and uncertainty"},
    {ReportSection::Compliance, "compliance", "Compliance"},
    {ReportSection::Scope, "scope", "Scope and limitations"},
}};

std::string ClimateText(std::int32_t climate)
{
    if (climate == kColdClimate)
        return "cold";
    if (climate == kWarmClimate)
        return "warm";
    return "none chosen";
}

bool AnyMeasurement(const ReportSource &source)
{
    if (!source.run)
        return false;
    const ObservedSeries measured
        = MeasuredValues(*source.observed, source.state->observedLength, source.run->days());
    return std::any_of(measured.begin(), measured.end(), [](const auto &s) { return !s.empty(); });
}

} // namespace

std::string_view ReportSectionTitle(ReportSection section)
{
    return kSections[static_cast<std::size_t>(section)].title;
}

std::string_view ReportSectionKey(ReportSection section)
{
    return kSections[static_cast<std::size_t>(section)].key;
}

std::optional<ReportSection> ReportSectionFromKey(std::string_view key)
{
    for (const SectionName &name : kSections) {
        if (name.key == key)
            return name.section;
    }
    return std::nullopt;
}

bool HoldsResults(const ModelState &state)
{
    for (int d = 1; d <= state.simulationLength; ++d) {
        const BoxValues &box = state.days.node(d).box;
        for (int v = 0; v < kVariableCount; ++v) {
            if (!IsEmptyValue(box.concentration(static_cast<Variable>(v), kBoxCount - 1)))
                return true;
        }
    }
    return false;
}

std::vector<ReportSection> AvailableSections(const ReportSource &source)
{
    const ModelState &state = *source.state;
    std::vector<ReportSection> sections;
    bool design = std::any_of(source.design.begin(), source.design.end(),
        [](const std::string &text) { return !text.empty(); });
    for (BoxField field : kDesignResultFields)
        design = design || !IsEmptyValue(state.initial.get(field));
    if (design || !source.settings.designBasis.empty() || !source.settings.limits.empty()
        || source.settings.designAssistant)
        sections.push_back(ReportSection::DesignBasis);
    bool forcing = false;
    for (int d = 1; d <= state.simulationLength && !forcing; ++d) {
        const DayValues &day = state.days.node(d).day;
        forcing = !IsEmptyValue(day.get(DayField::waterFlow))
            || !IsEmptyValue(day.get(DayField::temperature));
    }
    if (forcing)
        sections.push_back(ReportSection::Forcing);
    sections.push_back(ReportSection::ModelSetup);
    if (source.run)
        sections.push_back(ReportSection::Results);
    if (AnyMeasurement(source))
        sections.push_back(ReportSection::Fit);
    if (HasSensitivity(source))
        sections.push_back(ReportSection::Sensitivity);
    if (source.analyses().compliance)
        sections.push_back(ReportSection::Compliance);
    sections.push_back(ReportSection::Scope);
    return sections;
}

std::string MissingText(ReportSection section)
{
    switch (section) {
    case ReportSection::DesignBasis:
        return "Design basis: the project holds no design inputs or results (Design screen, "
               "\"Calculate\").";
    case ReportSection::Forcing:
        return "Forcing data: the project holds no forcing values (Forcing Functions screen).";
    case ReportSection::Results:
        return "Results: the project was not simulated (\"Simulate\", or carexa-sim run).";
    case ReportSection::Fit:
        return "Fit to measurements: there are no results, or no measured values on the simulated "
               "days (Observed values).";
    case ReportSection::Sensitivity:
        return "Sensitivity and uncertainty: no screening, Sobol' analysis or conditioned "
               "uncertainty was kept (carexa-sim report --with-analyses runs a screening, and a "
               "conditioned uncertainty when there are measurements).";
    case ReportSection::Compliance:
        return "Compliance: no probability of meeting the permit limits was kept (enter the "
               "limits, then carexa-sim report --with-analyses).";
    case ReportSection::ModelSetup:
    case ReportSection::Scope:
        break;
    }
    return {};
}

std::vector<std::pair<std::string, std::string>> TitleLines(const ReportSource &source)
{
    const ReportSettings &s = source.settings;
    const auto or_ = [](const std::string &text, const char *none) {
        return text.empty() ? std::string(none) : text;
    };
    std::string type = "not recorded";
    if (source.wetlandType)
        type = *source.wetlandType == WetlandType::Constructed ? "Constructed Wetland" : "Natural Wetland";
    std::string results = "none (not simulated)";
    if (source.run)
        results = source.resultsStale ? "STALE: computed before the inputs last changed" : "current";
    std::vector<std::pair<std::string, std::string>> lines {
        {"Project file", source.projectFile},
        {"Author", or_(s.author, "not given")},
        {"Checked by", or_(s.checkedBy, "not given")},
        {"Revision", or_(s.revision, "not given")},
        {"Date", source.date},
        {"Program", "Carexa " + source.programVersion},
        {"Climate", ClimateText(source.state->climate)},
        {"Wetland type", type},
        {"Results", results},
        {"SHA-256 of the project file", or_(source.projectSha256, "none (not saved)")},
        {"SHA-256 of the side file", or_(source.sideFileSha256, "none")},
    };
    for (auto &line : AnalysisTitleLines(source))
        lines.push_back(std::move(line));
    if (!s.startDate.empty())
        lines.emplace_back("Day 1", s.startDate);
    return lines;
}

void AddScopeSection(
    ReportDocument &report, const ReportSource &source, const std::vector<std::string> &missing)
{
    const ModelState &state = *source.state;
    report.section(std::string(ReportSectionTitle(ReportSection::Scope)));
    report.subsection("What the numbers cover");
    report.paragraph("The results are those of one deterministic run of the five-box model with "
                     "the parameters, initial values and forcing data shown. An uncertainty band, "
                     "where one is shown, covers the uncertainty of the parameters only: not that of "
                     "the forcing data, the measurements or the model's structure.");
    report.subsection("Assumptions the program made");
    std::vector<std::string> assumptions;
    if (state.climate == kColdClimate || state.climate == kWarmClimate) {
        const bool cold = state.climate == kColdClimate;
        std::string fallbacks;
        for (int p = 0; p < kParameterCount; ++p) {
            const auto parameter = static_cast<Parameter>(p);
            const ParameterPreset &preset = PresetOf(parameter);
            if (state.parameters.get(parameter) == (cold ? preset.fallbackCold : preset.fallbackWarm))
                fallbacks += (fallbacks.empty() ? "" : ", ") + std::string(ParameterName(parameter));
        }
        if (!fallbacks.empty())
            assumptions.push_back("Parameters at the climate's fallback value: " + fallbacks + ".");
    } else {
        assumptions.push_back("No climate was chosen: the parameters are not checked against a range.");
    }
    if (source.resultsStale)
        assumptions.push_back("The results are stale: the inputs changed after the last run, and the "
                              "user kept the results of that run.");
    if (source.run && !source.run->completed)
        assumptions.push_back("The last run stopped early, on day " + std::to_string(source.run->failedDay)
            + ": " + source.run->message);
    for (std::string &line : StaleAnalysisLines(source))
        assumptions.push_back(std::move(line));
    if (assumptions.empty())
        assumptions.push_back("None beyond the model's own.");
    for (const std::string &line : assumptions)
        report.paragraph("- " + line);

    if (!missing.empty() || !source.notes.empty()) {
        report.subsection("Not in this report");
        for (const std::string &line : source.notes)
            report.paragraph("- " + line);
        for (const std::string &line : missing)
            report.paragraph("- " + line);
    }

    report.subsection("References");
    for (const char *reference : {
             "Kadlec, R.H. and Wallace, S.D. (2009): Treatment Wetlands, 2nd edition. CRC Press.",
             "Moriasi, D.N. et al. (2007): Model evaluation guidelines for systematic quantification "
             "of accuracy in watershed simulations. Transactions of the ASABE 50(3), 885-900.",
             "Moriasi, D.N. et al. (2015): Hydrologic and water quality models: performance measures "
             "and evaluation criteria. Transactions of the ASABE 58(6), 1763-1785.",
             "Abbaspour, K.C. et al. (2007): Modelling hydrology and water quality in the pre-alpine/"
             "alpine Thur watershed using SWAT. Journal of Hydrology 333, 413-430.",
             "Beven, K. and Binley, A. (1992): The future of distributed models: model calibration "
             "and uncertainty prediction. Hydrological Processes 6, 279-298.",
             "Saltelli, A. et al. (2010): Variance based sensitivity analysis of model output. "
             "Computer Physics Communications 181, 259-270.",
             "Morris, M.D. (1991): Factorial sampling plans for preliminary computational "
             "experiments. Technometrics 33(2), 161-174.",
             "Nash, J.E. and Sutcliffe, J.V. (1970): River flow forecasting through conceptual models, "
             "part I. Journal of Hydrology 10(3), 282-290.",
             "Gupta, H.V. et al. (2009): Decomposition of the mean squared error and NSE performance "
             "criteria. Journal of Hydrology 377, 80-91.",
             "US EPA (2000): Constructed Wetlands Treatment of Municipal Wastewaters. "
             "EPA/625/R-99/010.",
         })
        report.paragraph(reference);
}

} // namespace carexa
