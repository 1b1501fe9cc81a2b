// The sections of a design report, made from the project's numbers.

#include "report/report.h"

#include "analysis/fit_statistics.h"
#include "analysis/observations.h"
#include "model/climate.h"
#include "model/number_text.h"
#include "model/rounding.h"
#include "report/report_analyses.h"
#include "report/report_assistant.h"
#include "report/report_facts.h"
#include "report/report_figures.h"
#include "report/report_text.h"
#include "results/graph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace carexa {

namespace {

constexpr double kSeriesFigureHeight = 262;
constexpr int kOutflowCount = 5;

std::vector<std::string> SeriesHeadings(int first, int last)
{
    std::vector<std::string> headings;
    for (int c = first; c <= last; ++c)
        headings.emplace_back(kSeriesHeadings[static_cast<std::size_t>(c - 1)]);
    return headings;
}

std::optional<double> LimitOf(const ReportSettings &settings, int column)
{
    for (const PermitLimit &limit : settings.limits) {
        if (limit.column == column)
            return limit.value;
    }
    return std::nullopt;
}

std::string SeriesUnit(int column)
{
    return column <= kOutflowCount ? "mg/l" : "%";
}

// The period table of day series as report rows: the period, its days, then the means.
ReportTable PeriodReportTable(const std::string &caption, std::vector<std::string> headings,
    const std::vector<std::vector<double>> &series, const ReportSettings &settings, int decimals)
{
    const PeriodTable periods = PeriodMeans(series, ParseStartDate(settings.startDate));
    ReportTable table;
    table.caption = caption
        + (periods.yearsAveraged ? " (each row averages that period of every year)" : "");
    table.headings = {"Period", "Days"};
    for (auto &h : headings)
        table.headings.push_back(std::move(h));
    for (std::size_t r = 0; r < periods.labels.size(); ++r) {
        std::vector<std::string> row {periods.labels[r], std::to_string(periods.dayCounts[r])};
        for (double mean : periods.means[r])
            row.push_back(ReportNumber(mean, decimals));
        table.rows.push_back(std::move(row));
    }
    return table;
}

void DesignBasis(ReportDocument &report, const ReportSource &source)
{
    const ModelState &state = *source.state;
    const ReportSettings &settings = source.settings;
    report.section(std::string(ReportSectionTitle(ReportSection::DesignBasis)));
    report.paragraph("Source: the design inputs and results of the Design screen, kept in the "
                     "project file; the design basis and permit limits typed for this report, "
                     "kept in the side file.");
    if (!settings.designBasis.empty())
        report.paragraph(settings.designBasis);

    report.subsection("Design flow");
    std::string flow = "Design flow Q: " + (source.design[7].empty() ? std::string("not entered")
                                                                     : source.design[7] + " m3 / 24h")
        + ".";
    if (settings.populationEquivalent)
        flow += " Population equivalent: " + SignificantNumber(*settings.populationEquivalent) + ".";
    if (settings.peakFactor)
        flow += " Peak factor: " + SignificantNumber(*settings.peakFactor) + ".";
    report.paragraph(flow);
    if (!settings.designAssistant)
        report.note(std::string(kPkcNote));

    ReportTable inputs {.caption = "Design inputs (Design screen)", .headings = {"Input", "Value", "Unit"}};
    static constexpr std::array<std::pair<const char *, const char *>, 8> kInputs {{
        {"Width (WI)", "m"},
        {"Length (LE)", "m"},
        {"Depth (DE)", "m"},
        {"Precipitation factor (PF)", "-"},
        {"Slope (S)", "cm / m"},
        {"Avrg. % particular matter (AP)", "%"},
        {"Hydraulic conductivity (HC)", "m / 24h"},
        {"Selected flow (Q)", "m3 / 24h"},
    }};
    for (std::size_t i = 0; i < kInputs.size(); ++i) {
        inputs.rows.push_back({kInputs[i].first,
            source.design[i].empty() ? std::string("not entered") : source.design[i], kInputs[i].second});
    }
    std::string type = "not recorded";
    if (source.wetlandType)
        type = *source.wetlandType == WetlandType::Constructed ? "Constructed Wetland" : "Natural Wetland";
    inputs.rows.push_back({"Wetland type", type, ""});
    report.table(std::move(inputs));

    ReportTable results {.caption = "Design results", .headings = {"Result", "Value", "Unit"}};
    static constexpr std::array<const char *, 8> kUnits {
        "m2", "m3", "m3 / (m2 / 24h)", "m / 24h", "m3 / 24h", "m", "m", "-"};
    for (std::size_t i = 0; i < kDesignResultFields.size(); ++i) {
        const double value = state.initial.get(kDesignResultFields[i]);
        std::string caption(DesignResultCaption(kDesignResultFields[i]));
        if (!caption.empty() && caption.back() == ':')
            caption.pop_back();
        results.rows.push_back({caption,
            IsEmptyValue(value) ? std::string("not calculated") : FormatGeneral(RoundDesignResult(value)),
            kUnits[i]});
    }
    report.table(std::move(results));

    // Loading and water balance from the forcing data.
    const double area = state.initial.get(BoxField::AA);
    double flowSum = 0, bodLoad = 0;
    const int days = state.simulationLength;
    for (int d = 1; d <= days; ++d) {
        const DayValues &day = state.days.node(d).day;
        flowSum += day.get(DayField::waterFlow);
        bodLoad += day.get(DayField::waterFlow) * day.get(DayField::bod5In);
    }
    if (!IsEmptyValue(area) && area > 0 && days > 0) {
        report.subsection("Loading and water balance");
        const double meanFlow = flowSum / days;
        const double pf = state.initial.get(BoxField::PF);
        ReportTable loading {.caption = "Areal loading and water balance (mean of the forcing days)",
            .headings = {"Quantity", "Value", "Unit", "Guideline"}};
        loading.rows.push_back({"Mean inflow", ReportNumber(meanFlow, 2), "m3 / 24h", ""});
        loading.rows.push_back(
            {"Hydraulic loading rate", ReportNumber(meanFlow / area * 100, 2), "cm / 24h", ""});
        loading.rows.push_back({"BOD5 areal loading", ReportNumber(bodLoad / days / area, 2),
            "g / (m2 24h)", "up to 6 g / (m2 24h)"});
        if (!IsEmptyValue(pf) && pf > 0) {
            loading.rows.push_back({"Precipitation factor PF", FormatGeneral(pf), "-", ""});
            loading.rows.push_back({"Share of precipitation in the water (1 - 1/PF)",
                ReportNumber(100 * (1 - 1 / pf), 1), "%", ""});
        }
        loading.rows.push_back({"Mean outflow (no losses modelled)", ReportNumber(meanFlow, 2), "m3 / 24h", ""});
        report.table(std::move(loading));
        report.note(std::string(kGuidelineNote));
    }

    if (settings.designAssistant)
        AddDesignAssistant(report, source);

    if (!settings.limits.empty()) {
        report.subsection("Permit limits");
        ReportTable limits {.caption = "Permit limits the bed must meet",
            .headings = {"Series", "Limit (mg/l)", "Statistic", "Legal source"}};
        for (const PermitLimit &limit : settings.limits) {
            limits.rows.push_back({std::string(kSeriesHeadings[static_cast<std::size_t>(limit.column - 1)]),
                SignificantNumber(limit.value), limit.statistic, limit.source});
        }
        report.table(std::move(limits));
    }
}

void Forcing(ReportDocument &report, const ReportSource &source)
{
    const ModelState &state = *source.state;
    report.section(std::string(ReportSectionTitle(ReportSection::Forcing)));
    report.paragraph("Source: the forcing values of the " + std::to_string(state.simulationLength)
        + " days in the project file (Forcing Functions screen).");
    static constexpr std::array<std::pair<DayField, const char *>, 11> kFields {{
        {DayField::temperature, "Temp. (deg C)"},
        {DayField::waterFlow, "Flow (m3/24h)"},
        {DayField::bod5In, "BOD5 in"},
        {DayField::nitrateIn, "Nitrate in"},
        {DayField::ammoniumIn, "Ammon. in"},
        {DayField::totalPIn, "Total P in"},
        {DayField::orgNitrogenIn, "Org. N in"},
        {DayField::pomPercent, "POM %"},
        {DayField::ponPercent, "PON %"},
        {DayField::popPercent, "POP %"},
        {DayField::RTB, "RTB (d)"},
    }};
    std::vector<std::vector<double>> series(kFields.size());
    std::vector<std::string> headings;
    for (std::size_t f = 0; f < kFields.size(); ++f) {
        headings.emplace_back(kFields[f].second);
        series[f].reserve(static_cast<std::size_t>(state.simulationLength));
        for (int d = 1; d <= state.simulationLength; ++d)
            series[f].push_back(state.days.node(d).day.get(kFields[f].first));
    }
    report.table(PeriodReportTable("Monthly means of the forcing data (concentrations in mg/l)",
        headings, series, source.settings, 2));
    report.figure("Temperature and water flow of the simulated days", 200, ForcingFigure(state));
}

void ModelSetup(ReportDocument &report, const ReportSource &source)
{
    const ModelState &state = *source.state;
    report.section(std::string(ReportSectionTitle(ReportSection::ModelSetup)));
    report.paragraph("Source: the parameters, initial values and settings in the project file. "
                     "Simulated days: " + std::to_string(state.simulationLength)
        + "; sub-steps per day: " + std::to_string(state.stepsPerDay)
        + "; observed days: " + std::to_string(state.observedLength) + ".");
    const bool cold = state.climate == kColdClimate;
    const bool known = state.climate == kColdClimate || state.climate == kWarmClimate;
    ReportTable parameters {.caption = std::string("Model parameters")
            + (known ? (cold ? " and the cold climate's ranges" : " and the warm climate's ranges") : ""),
        .headings = {"Name", "Description", "Unit", "Value", "Range", "Fallback"}};
    for (int p = 0; p < kParameterCount; ++p) {
        const auto parameter = static_cast<Parameter>(p);
        const ParameterPreset &preset = PresetOf(parameter);
        const double value = state.parameters.get(parameter);
        const double upper = cold ? preset.upperCold : preset.upperWarm;
        const double fallback = cold ? preset.fallbackCold : preset.fallbackWarm;
        std::string range = known ? (preset.lowerExclusive ? "above " : "") + FormatGeneral(preset.lower)
                + " to " + FormatGeneral(upper)
                                  : std::string("no climate");
        parameters.rows.push_back({std::string(ParameterName(parameter)),
            std::string(ParameterDescription(parameter)), std::string(ParameterUnit(parameter)),
            FormatFileDouble(value), range, known && value == fallback ? "yes" : "no"});
    }
    report.table(std::move(parameters));
    report.note("\"Fallback\" says that a value equals the climate's fallback, which the program "
                "puts in place of a value outside the climate's range.");

    ReportTable initial {.caption = "Initial concentrations by box (mg/l)",
        .headings = {"Variable", "A", "B", "C", "D", "E"}};
    for (int v = 0; v < kVariableCount; ++v) {
        const auto variable = static_cast<Variable>(v);
        std::vector<std::string> row {std::string(VariableName(variable))};
        for (int box = 0; box < kBoxCount; ++box)
            row.push_back(FormatFileDouble(state.initial.concentration(variable, box)));
        initial.rows.push_back(std::move(row));
    }
    report.table(std::move(initial));
}

void Results(ReportDocument &report, const ReportSource &source,
    const std::shared_ptr<const TextGrid> &sheet, const std::shared_ptr<const TextGrid> &observed)
{
    const FrozenRun &run = *source.run;
    report.section(std::string(ReportSectionTitle(ReportSection::Results)));
    std::string origin = "Source: the results of the last run as the project holds them ("
        + std::to_string(run.days()) + " days).";
    if (source.resultsStale)
        origin += " STALE: the inputs changed after this run; these results are not those of the "
                  "inputs shown in this report.";
    if (!run.completed)
        origin += " The run stopped early on day " + std::to_string(run.failedDay) + ": " + run.message;
    report.paragraph(origin);
    const ObservedSeries measured
        = MeasuredValues(*source.observed, source.state->observedLength, run.days());
    if (source.bands)
        report.paragraph("The grey lines are the 2.5th and 97.5th percentiles of the last "
                         "uncertainty analysis (parameters only).");
    for (int c = 1; c <= kOutflowCount; ++c) {
        report.figure(std::string(PrintedGraphTitle(c)) + " (mg/l): simulated (red line)"
                + (measured[static_cast<std::size_t>(c - 1)].empty() ? "" : ", measured (blue markers)"),
            kSeriesFigureHeight,
            SeriesFigure(sheet, run.days(), observed, source.state->observedLength, c, source.bands,
                LimitOf(source.settings, c)));
    }
    std::vector<std::vector<double>> series;
    for (int c = 1; c <= kSeriesCount; ++c) {
        std::vector<double> values;
        values.reserve(static_cast<std::size_t>(run.days()));
        for (int d = 1; d <= run.days(); ++d)
            values.push_back(sheet->number(c, d).value_or(0));
        series.push_back(std::move(values));
    }
    report.table(PeriodReportTable("Monthly means of the outflows (mg/l) and efficiencies (%)",
        SeriesHeadings(1, kSeriesCount), series, source.settings, 2));
}

// The fit statistics of the series with measurements, one row each.
ReportTable FitReportTable(const std::string &caption, const FitTable &fit)
{
    ReportTable table {.caption = caption,
        .headings = {"Series", "n", "Mean obs.", "Mean sim.", "RMSE", "MAE", "PBIAS %", "NSE", "RSR",
            "KGE", "R2"}};
    for (int c = 1; c <= kSeriesCount; ++c) {
        const FitStatistics &f = fit[static_cast<std::size_t>(c - 1)];
        if (f.n == 0)
            continue;
        table.rows.push_back({std::string(kSeriesHeadings[static_cast<std::size_t>(c - 1)]),
            std::to_string(f.n), ReportNumber(f.meanObserved, 3), ReportNumber(f.meanSimulated, 3),
            ReportNumber(f.rmse, 3), ReportNumber(f.mae, 3), ReportNumber(f.pbias, 3),
            ReportNumber(f.nse, 3), ReportNumber(Rsr(f), 3), ReportNumber(f.kge, 3), ReportNumber(f.r2, 3)});
    }
    return table;
}

// The measurements of the days from `first` to `last` (both included).
ObservedSeries MeasuredBetween(const ObservedSeries &measured, int first, int last)
{
    ObservedSeries part;
    for (std::size_t c = 0; c < measured.size(); ++c) {
        for (const Observation &o : measured[c]) {
            if (o.day >= first && o.day <= last)
                part[c].push_back(o);
        }
    }
    return part;
}

void Fit(ReportDocument &report, const ReportSource &source, const ObservedSeries &measured)
{
    const FrozenRun &run = *source.run;
    const FitTable fit = SeriesFit(measured, run.series);
    report.section(std::string(ReportSectionTitle(ReportSection::Fit)));
    report.paragraph("Source: the measured values of the project file against the data sheet of "
                     "the last run, day by day (" + std::to_string(source.state->observedLength)
        + " observed days); the same pairs and statistics as \"carexa-sim run --fit\".");
    report.table(FitReportTable("Fit statistics of the series with measurements", fit));
    ReportTable ratings {.caption = "Ratings (Moriasi et al. 2007)",
        .headings = {"Series", "NSE", "PBIAS", "RSR"}};
    const auto rating = [](std::optional<FitRating> r) {
        return r ? std::string(RatingText(*r)) : std::string("n/a");
    };
    for (int c = 1; c <= kSeriesCount; ++c) {
        const FitStatistics &f = fit[static_cast<std::size_t>(c - 1)];
        if (f.n == 0)
            continue;
        const std::string name(kSeriesHeadings[static_cast<std::size_t>(c - 1)]);
        ratings.rows.push_back({name, c == 1 ? "none given" : rating(RateNse(f.nse)),
            c == 1 ? "none given" : rating(RatePbias(f.pbias)),
            c == 1 ? "none given" : rating(RateRsr(Rsr(f)))});
    }
    report.table(std::move(ratings));
    report.note(std::string(kRatingScopeNote));

    for (int c = 1; c <= kOutflowCount; ++c) {
        const auto &points = measured[static_cast<std::size_t>(c - 1)];
        if (points.empty())
            continue;
        std::vector<std::pair<int, double>> residuals;
        for (const Observation &o : points)
            residuals.emplace_back(o.day, RunSheetValue(run.series[static_cast<std::size_t>(c - 1)]
                                                          [static_cast<std::size_t>(o.day - 1)]) - o.value);
        report.figure("Residuals of " + std::string(kSeriesHeadings[static_cast<std::size_t>(c - 1)]),
            170, ResidualFigure(std::move(residuals), run.days(), SeriesUnit(c)));
    }
    // A validation period, when the conditioning kept one: its measurements were held back.
    const std::optional<KeptConditioning> &conditioning = source.analyses().conditioning;
    const int split = conditioning ? conditioning->validationFrom : 0;
    if (split > 1 && split <= run.days()) {
        report.subsection("Calibration and validation periods");
        report.paragraph("Source: the same pairs split at day " + std::to_string(split)
            + ", the first day of the validation period of the conditioned uncertainty analysis: "
              "the measurements from that day on were not used to condition it.");
        report.table(FitReportTable("Fit in the calibration period (days 1 to "
                + std::to_string(split - 1) + ")",
            SeriesFit(MeasuredBetween(measured, 1, split - 1), run.series)));
        report.table(FitReportTable("Fit in the validation period (days " + std::to_string(split)
                + " to " + std::to_string(run.days()) + ")",
            SeriesFit(MeasuredBetween(measured, split, run.days()), run.series)));
    }
    AddCalibrationTables(report, source);
}

} // namespace

void AddScopeSection(ReportDocument &report, const ReportSource &source,
    const std::vector<std::string> &missing);

ReportDocument BuildReport(const ReportSource &source, const std::vector<ReportSection> &asked)
{
    const std::vector<ReportSection> available = AvailableSections(source);
    const auto wanted = [&](ReportSection section) {
        return asked.empty() || std::find(asked.begin(), asked.end(), section) != asked.end();
    };
    const auto has = [&](ReportSection section) {
        return std::find(available.begin(), available.end(), section) != available.end();
    };
    std::vector<std::string> missing;
    for (int s = 0; s < kReportSectionCount; ++s) {
        const auto section = static_cast<ReportSection>(s);
        if (wanted(section) && !has(section))
            missing.push_back(MissingText(section));
    }

    ReportDocument report;
    report.setTitlePage(source.settings.title.empty() ? "Design report: " + source.projectFile
                                                      : source.settings.title,
        TitleLines(source));
    report.setFooter(source.projectFile + (source.settings.revision.empty()
                                                  ? std::string()
                                                  : ", revision " + source.settings.revision));

    std::shared_ptr<const TextGrid> sheet;
    const auto observed = std::make_shared<const TextGrid>(*source.observed);
    if (source.run)
        sheet = ReportSheetGrid(*source.run);
    if (wanted(ReportSection::DesignBasis) && has(ReportSection::DesignBasis))
        DesignBasis(report, source);
    if (wanted(ReportSection::Forcing) && has(ReportSection::Forcing))
        Forcing(report, source);
    if (wanted(ReportSection::ModelSetup))
        ModelSetup(report, source);
    if (wanted(ReportSection::Results) && has(ReportSection::Results))
        Results(report, source, sheet, observed);
    if (wanted(ReportSection::Fit) && has(ReportSection::Fit)) {
        Fit(report, source,
            MeasuredValues(*source.observed, source.state->observedLength, source.run->days()));
    }
    if (wanted(ReportSection::Sensitivity) && has(ReportSection::Sensitivity))
        AddSensitivitySection(report, source);
    if (wanted(ReportSection::Compliance) && has(ReportSection::Compliance))
        AddComplianceSection(report, source);
    if (wanted(ReportSection::Scope))
        AddScopeSection(report, source, missing);
    return report;
}

} // namespace carexa
