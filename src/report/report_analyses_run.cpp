// The analyses a design report holds, run one after the other with their defaults: for
// "carexa-sim report --with-analyses" and the report dialog's "Run missing analyses".

#include "report/report_analyses_run.h"

#include "analysis/conditioning.h"
#include "analysis/fit_statistics.h"
#include "analysis/parameter_space.h"
#include "analysis/sensitivity.h"
#include "model/error.h"
#include "model/output_series.h"

#include <algorithm>
#include <cctype>

namespace carexa {

namespace {

bool AnyMeasured(const ObservedSeries &measured)
{
    return std::any_of(measured.begin(), measured.end(), [](const auto &s) { return s.size() >= 2; });
}

// The progress of one stage as a share of the whole: stage `stage` of `stages`, in thousandths.
AnalysisProgress StageProgress(const AnalysisProgress &progress, int stage, int stages)
{
    if (!progress)
        return {};
    return [progress, stage, stages](int done, int total) {
        const int share = total > 0 ? static_cast<int>(1000LL * done / total) : 0;
        return progress(stage * 1000 + share, stages * 1000);
    };
}

} // namespace

std::optional<PermitTarget> TargetOfLimit(const PermitLimit &limit)
{
    std::string statistic;
    for (char c : limit.statistic) {
        const auto lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        statistic += lower == ' ' || lower == '_' ? '-' : lower;
    }
    if (statistic == "maximum")
        statistic = "max";
    else if (statistic == "95th-percentile" || statistic == "95-percentile")
        statistic = "p95";
    else if (statistic.empty())
        statistic = "mean";
    try {
        std::string text = std::to_string(limit.column) + ":";
        AppendShortest(text, limit.value);
        return ParseTarget(text + ":" + statistic);
    } catch (const Error &) {
        return std::nullopt;
    }
}

ReportAnalysesOutput RunReportAnalyses(const ReportAnalysesInput &in, const AnalysisProgress &progress)
{
    ReportAnalysesOutput out;
    const bool condition = AnyMeasured(in.measured);
    const int stages = (condition ? 1 : 0) + (in.limits.empty() ? 0 : 1) + 1;
    int stage = 0;

    // The conditioned uncertainty, when there are measurements to condition on.
    std::optional<Ensemble> conditioned;
    if (condition) {
        const ConditioningInput input = DefaultConditioningInput(in.run, in.measured);
        try {
            const ConditioningResult result = RunConditioning(input, StageProgress(progress, stage++, stages));
            if (result.cancelled) {
                out.cancelled = true;
                return out;
            }
            out.analyses.conditioning = KeepConditioning(input, result, in.inputs);
            conditioned = result.ensemble;
            std::array<PredictionBand, kSeriesCount> bands = result.band.bands;
            out.bands = std::move(bands);
            for (const std::string &line : ConditioningNotes(result, input.options.threshold))
                out.notes.push_back("Conditioned uncertainty: " + line);
        } catch (const Error &error) {
            out.notes.push_back(std::string("The conditioned uncertainty was not computed: ") + error.what());
        }
    } else {
        out.notes.emplace_back("The conditioned uncertainty was not computed: the project has no series "
                               "with two measured days.");
    }

    // Compliance, when there are permit limits.
    if (!in.limits.empty()) {
        ComplianceInput input;
        input.run = in.run;
        input.startDate = ParseIsoDate(in.startDate);
        for (const PermitLimit &limit : in.limits) {
            if (const std::optional<PermitTarget> target = TargetOfLimit(limit)) {
                input.targets.push_back(*target);
            } else {
                out.notes.push_back("The permit limit of "
                    + std::string(kSeriesHeadings[static_cast<std::size_t>(limit.column - 1)])
                    + " has the statistic \"" + QuotedText(limit.statistic)
                    + "\", which the compliance analysis does not compute (max, mean, annual mean, "
                      "monthly mean, weekly mean, p95, exceed-days:K); it was left out.");
            }
        }
        const std::uint64_t seed = kDefaultAnalysisSeed;
        int samples = kDefaultComplianceSamples;
        if (conditioned) {
            input.ensemble = *conditioned;
            samples = ConditioningOptions {}.samples;
        } else {
            std::array<bool, kParameterCount> varied {};
            varied.fill(true);
            input.ensemble = PlainEnsemble(in.run, ClimateRanges(in.climate), varied, samples, seed);
        }
        const AnalysisProgress stageProgress = StageProgress(progress, stage++, stages);
        if (!input.targets.empty()) {
            try {
                const ComplianceResult result = RunCompliance(input, stageProgress);
                if (result.cancelled) {
                    out.cancelled = true;
                    return out;
                }
                out.analyses.compliance = KeptCompliance {.inputs = in.inputs, .seed = seed,
                    .samples = samples, .conditioned = result.conditioned, .warmUp = result.warmUp,
                    .runsUsed = result.runsUsed, .runsFailed = result.runsFailed,
                    .effectiveRuns = result.effectiveRuns, .outcomes = result.outcomes};
            } catch (const Error &error) {
                out.notes.push_back(std::string("The compliance was not computed: ") + error.what());
            }
        }
    }

    // Morris's screening.
    SensitivityInput input;
    input.run = in.run;
    input.ranges = ClimateRanges(in.climate);
    try {
        SensitivityResult result = RunSensitivity(input, StageProgress(progress, stage++, stages));
        if (result.cancelled) {
            out.cancelled = true;
            return out;
        }
        if (result.trajectoriesUsed > 0) {
            result.failure.clear();
            out.analyses.morris = KeptMorris {.inputs = in.inputs, .seed = input.options.seed,
                .levels = input.options.levels, .result = std::move(result)};
        } else {
            out.notes.push_back("The sensitivity screening gave no effects: " + result.failure);
        }
    } catch (const Error &error) {
        out.notes.push_back(std::string("The sensitivity screening was not computed: ") + error.what());
    }
    return out;
}

} // namespace carexa
