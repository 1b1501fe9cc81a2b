// The report's parts made from the analyses the side file keeps: the calibration in the fit
// section, sensitivity and uncertainty, compliance, and their lines on the title page.

#include "report/report_analyses.h"

#include "analysis/conditioning.h"
#include "model/output_series.h"
#include "report/report_facts.h"
#include "report/report_figures.h"

#include <cmath>

namespace carexa {

namespace {

constexpr int kOutflowCount = 5;

std::string SeriesName(int index)
{
    return std::string(kSeriesHeadings[static_cast<std::size_t>(index)]);
}

std::string StaleMark(const ReportSource &source, std::uint64_t inputs)
{
    return source.stale(inputs) ? "STALE; " : "";
}

// The paragraph that says an analysis is stale, when it is.
void StaleParagraph(ReportDocument &report, const ReportSource &source, std::uint64_t inputs,
    const std::string &what)
{
    if (source.stale(inputs)) {
        report.paragraph("STALE: the project's inputs changed after " + what
            + " ran; its numbers are not those of the inputs shown in this report.");
    }
}

std::string Percent(double share)
{
    return ReportNumber(std::isfinite(share) ? std::optional<double>(100 * share) : std::nullopt, 1);
}

std::string ComplianceRuns(const KeptCompliance &c)
{
    return std::to_string(c.runsUsed) + " runs (" + (c.conditioned ? "conditioned" : "unconditioned")
        + "), " + std::to_string(c.warmUp) + " days of warm-up left out";
}

} // namespace

bool HasSensitivity(const ReportSource &source)
{
    const KeptAnalyses &a = source.analyses();
    return a.morris || a.sobol || a.conditioning;
}

std::vector<std::pair<std::string, std::string>> AnalysisTitleLines(const ReportSource &source)
{
    const KeptAnalyses &a = source.analyses();
    std::vector<std::pair<std::string, std::string>> lines;
    if (a.calibration) {
        const KeptCalibration &c = *a.calibration;
        lines.emplace_back("Calibration", StaleMark(source, c.inputs) + "seed " + std::to_string(c.seed)
                + ", " + std::to_string(c.runsUsed) + " of " + std::to_string(c.runsAllowed) + " runs");
    }
    if (a.morris) {
        const KeptMorris &m = *a.morris;
        lines.emplace_back("Sensitivity screening", StaleMark(source, m.inputs) + "seed "
                + std::to_string(m.seed) + ", " + std::to_string(m.result.trajectories)
                + " trajectories, " + std::to_string(m.levels) + " levels");
    }
    if (a.sobol) {
        const KeptSobol &s = *a.sobol;
        lines.emplace_back("Sobol' indices", StaleMark(source, s.inputs) + "seed " + std::to_string(s.seed)
                + ", " + std::to_string(s.result.baseSamples) + " base samples, "
                + std::to_string(s.resamples) + " resamples");
    }
    if (a.conditioning) {
        const KeptConditioning &c = *a.conditioning;
        lines.emplace_back("Conditioned uncertainty", StaleMark(source, c.inputs) + "seed "
                + std::to_string(c.seed) + ", " + std::to_string(c.samples) + " samples x "
                + std::to_string(c.iterationsRun) + " iterations, NSE threshold "
                + ReportNumber(c.threshold, 2)
                + (c.validationFrom > 0 ? ", validation from day " + std::to_string(c.validationFrom)
                                        : std::string()));
    }
    if (a.compliance) {
        const KeptCompliance &c = *a.compliance;
        lines.emplace_back("Compliance", StaleMark(source, c.inputs) + "seed " + std::to_string(c.seed)
                + ", " + std::to_string(c.samples) + " samples, " + ComplianceRuns(c));
    }
    return lines;
}

std::vector<std::string> StaleAnalysisLines(const ReportSource &source)
{
    const KeptAnalyses &a = source.analyses();
    std::vector<std::string> lines;
    const auto add = [&](bool kept, std::uint64_t inputs, const char *name) {
        if (kept && source.stale(inputs))
            lines.push_back(std::string("The ") + name + " is stale: it ran before the inputs last changed.");
    };
    add(a.calibration.has_value(), a.calibration ? a.calibration->inputs : 0, "calibration");
    add(a.morris.has_value(), a.morris ? a.morris->inputs : 0, "sensitivity screening");
    add(a.sobol.has_value(), a.sobol ? a.sobol->inputs : 0, "Sobol' analysis");
    add(a.conditioning.has_value(), a.conditioning ? a.conditioning->inputs : 0,
        "conditioned uncertainty analysis");
    add(a.compliance.has_value(), a.compliance ? a.compliance->inputs : 0, "compliance analysis");
    return lines;
}

void AddCalibrationTables(ReportDocument &report, const ReportSource &source)
{
    if (!source.analyses().calibration)
        return;
    const KeptCalibration &c = *source.analyses().calibration;
    report.subsection("Calibration");
    report.paragraph("Source: the last calibration kept in the side file: a global search and local "
                     "polishes of the weighted mean of 1 - NSE over the fitted series, seed "
        + std::to_string(c.seed) + ", " + std::to_string(c.runsUsed) + " of "
        + std::to_string(c.runsAllowed) + " runs allowed; objective " + ReportNumber(c.objectiveBefore, 4)
        + " before, " + ReportNumber(c.objectiveAfter, 4) + " after.");
    StaleParagraph(report, source, c.inputs, "this calibration");
    const bool intervals = std::any_of(c.parameters.begin(), c.parameters.end(),
        [](const KeptCalibrationParameter &p) { return p.interval.has_value(); });
    ReportTable table {.caption = "Calibrated parameters: before and after, within the bounds searched",
        .headings = {"Name", "Fitted", "Before", "After", "Lower bound", "Upper bound"}};
    if (intervals) {
        for (const char *heading : {"CI 95 % low", "CI 95 % high", "Status"})
            table.headings.emplace_back(heading);
    }
    for (const KeptCalibrationParameter &p : c.parameters) {
        std::vector<std::string> row {std::string(ParameterName(p.parameter)), p.fitted ? "yes" : "no",
            SignificantNumber(p.before), SignificantNumber(p.after),
            p.fitted ? SignificantNumber(p.lower) : "", p.fitted ? SignificantNumber(p.upper) : ""};
        if (intervals) {
            if (p.interval) {
                row.push_back(SignificantNumber(p.interval->lower));
                row.push_back(SignificantNumber(p.interval->upper));
                row.emplace_back(StatusText(p.interval->status));
            } else {
                row.insert(row.end(), {"", "", ""});
            }
        }
        table.rows.push_back(std::move(row));
    }
    report.table(std::move(table));
    if (intervals)
        report.note(std::string(kConfidenceAssumption));
}

void AddSensitivitySection(ReportDocument &report, const ReportSource &source)
{
    const KeptAnalyses &a = source.analyses();
    report.section(std::string(ReportSectionTitle(ReportSection::Sensitivity)));
    if (a.morris) {
        const KeptMorris &m = *a.morris;
        report.subsection("Morris screening");
        report.paragraph("Source: Morris's screening of the sixteen parameters over the climate's "
                         "ranges, with " + std::to_string(m.result.trajectories) + " trajectories, "
            + std::to_string(m.levels) + " levels and seed " + std::to_string(m.seed) + "; "
            + std::to_string(m.result.runs) + " runs went to their end. The outcome of a run is the "
                                              "mean of each series over the days.");
        StaleParagraph(report, source, m.inputs, "this screening");
        ReportTable table {.caption = "Mean absolute elementary effects (mu*) on the outflows",
            .headings = {"Parameter"}};
        for (int c = 0; c < kOutflowCount; ++c)
            table.headings.push_back(SeriesName(c));
        for (int p = 0; p < kParameterCount; ++p) {
            const auto parameter = static_cast<Parameter>(p);
            std::vector<std::string> row {std::string(ParameterName(parameter))};
            for (int c = 0; c < kOutflowCount; ++c)
                row.push_back(SignificantNumber(m.result.of(parameter, c).muStar));
            table.rows.push_back(std::move(row));
        }
        report.table(std::move(table));
        for (int c = 1; c <= kOutflowCount; ++c) {
            report.figure("Ranking of the parameters by mu* for " + SeriesName(c - 1), 230,
                ScreeningFigure(m.result, c));
        }
    }
    if (a.sobol) {
        const KeptSobol &s = *a.sobol;
        report.subsection("Sobol' indices");
        report.paragraph("Source: variance-based indices (Saltelli et al. 2010) of the "
            + std::to_string(s.result.parameters.size()) + " varied parameters from "
            + std::to_string(s.result.baseSamples) + " base samples (" + std::to_string(s.result.runs)
            + " runs, " + std::to_string(s.result.rowsUsed) + " rows used), 95 % intervals from "
            + std::to_string(s.resamples) + " bootstrap resamples with seed " + std::to_string(s.seed)
            + ". S1 is the share of the output's variance a parameter causes alone, ST with all its "
              "interactions.");
        StaleParagraph(report, source, s.inputs, "this Sobol' analysis");
        ReportTable table {.caption = "Total Sobol' indices (ST) on the outflows", .headings = {"Parameter"}};
        for (int c = 0; c < kOutflowCount; ++c)
            table.headings.push_back(SeriesName(c));
        for (std::size_t p = 0; p < s.result.parameters.size(); ++p) {
            std::vector<std::string> row {std::string(ParameterName(s.result.parameters[p]))};
            for (int c = 0; c < kOutflowCount; ++c)
                row.push_back(ReportNumber(s.result.indices[p][static_cast<std::size_t>(c)].st, 3));
            table.rows.push_back(std::move(row));
        }
        report.table(std::move(table));
        for (int c = 1; c <= kOutflowCount; ++c) {
            report.figure("Sobol' indices for " + SeriesName(c - 1)
                    + ": first order S1 (filled) and total ST (outline)",
                230, SobolFigure(s.result, c));
        }
    }
    if (a.conditioning) {
        const KeptConditioning &c = *a.conditioning;
        report.subsection("Uncertainty conditioned on the measurements");
        report.paragraph("Source: SUFI-2 iterations (Abbaspour et al. 2007) of " + std::to_string(c.samples)
            + " Latin hypercube samples each, seed " + std::to_string(c.seed) + "; runs with a "
            "weighted-mean NSE of at least " + ReportNumber(c.threshold, 2) + " are behavioural and "
            "weighted by their likelihood (GLUE). " + std::to_string(c.iterationsRun) + " of "
            + std::to_string(c.iterationsAsked) + " iterations ran; iteration " + std::to_string(c.kept)
            + " was kept, with " + std::to_string(c.behavioural) + " behavioural runs"
            + (c.toppedUp ? " (too few: the best runs stood in for them)" : "")
            + "; its band rests on " + std::to_string(c.runsUsed) + " runs.");
        StaleParagraph(report, source, c.inputs, "this analysis");
        ReportTable table {.caption = "p-factor (share of the measured days inside the 95 % band) and "
                                      "r-factor (mean band width over the standard deviation of the "
                                      "measurements)",
            .headings = {"Series", "Period", "Days", "p-factor", "r-factor"}};
        for (const KeptBandFit &fit : c.fits) {
            const auto row = [&](const char *period, const BandFit &f) {
                table.rows.push_back({SeriesName(fit.series), period, std::to_string(f.observed),
                    ReportNumber(f.pFactor, 2), ReportNumber(f.rFactor, 2)});
            };
            row(c.validationFrom > 0 ? "calibration" : "all days", fit.calibration);
            if (fit.validation)
                row("validation", *fit.validation);
        }
        report.table(std::move(table));
        report.note("A band is good when it holds most measurements (p-factor at least 0.7) and stays "
                    "narrow (r-factor at most 1.5). It covers the uncertainty of the parameters only.");
    }
}

void AddComplianceSection(ReportDocument &report, const ReportSource &source)
{
    const KeptCompliance &c = *source.analyses().compliance;
    report.section(std::string(ReportSectionTitle(ReportSection::Compliance)));
    report.paragraph("Source: the compliance analysis kept in the side file: each permit limit's "
                     "statistic worked out for every run of "
        + (c.conditioned ? "the conditioned ensemble (the weighted runs of the kept iteration of a "
                           "conditioning of " + std::to_string(c.samples) + " samples per iteration, seed "
                               + std::to_string(c.seed) + ")"
                         : "an ensemble of " + std::to_string(c.samples)
                               + " parameter sets, not conditioned on the measurements (seed "
                               + std::to_string(c.seed) + ")")
        + "; " + ComplianceRuns(c) + ", " + ReportNumber(c.effectiveRuns, 1) + " effective runs.");
    StaleParagraph(report, source, c.inputs, "this compliance analysis");
    ReportTable table {.caption = "Probability of meeting each permit limit",
        .headings = {"Series", "Limit", "Statistic", "P(met) %", "95 % interval", "Stat. 2.5 %",
            "Median", "Stat. 97.5 %"}};
    for (const TargetOutcome &o : c.outcomes) {
        table.rows.push_back({SeriesName(o.target.series), SignificantNumber(o.target.limit),
            StatisticText(o.target), Percent(o.probability),
            Percent(o.probabilityLow) + " to " + Percent(o.probabilityHigh),
            SignificantNumber(o.statisticLow), SignificantNumber(o.statisticMedian),
            SignificantNumber(o.statisticHigh)});
    }
    report.table(std::move(table));
    report.note(std::string(kComplianceScope) + " The interval is Wilson's 95 % interval from the "
                "effective number of runs; the statistic's percentiles are weighted over the runs.");
}

} // namespace carexa
