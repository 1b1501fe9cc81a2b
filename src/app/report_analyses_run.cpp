// The analyses "carexa-sim report --with-analyses" runs before it makes the report, with the
// defaults of the commands that run them alone, and the side file that keeps their results.

#include "app/report_analyses_run.h"

#include "analysis/compliance.h"
#include "analysis/conditioning.h"
#include "analysis/fit_statistics.h"
#include "analysis/observations.h"
#include "analysis/parameter_space.h"
#include "analysis/sensitivity.h"
#include "model/error.h"
#include "model/output_series.h"
#include "report/side_file.h"
#include "simulation/simulation_run.h"

#include <algorithm>
#include <cctype>

namespace carexa::batch {

namespace {

bool AnyMeasured(const ObservedSeries &measured)
{
    return std::count_if(measured.begin(), measured.end(), [](const auto &s) { return s.size() >= 2; }) > 0;
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

KeptAnalyses RunReportAnalyses(Project &project, const ReportSettings &settings,
    std::uint64_t inputs, std::vector<std::string> &notes, std::optional<ProjectBands> &bands)
{
    KeptAnalyses kept;
    const ModelState &state = project.state();
    const RunInput run = project.runInput();

    // The conditioned uncertainty, when there are measurements to condition on.
    const ObservedSeries measured
        = MeasuredValues(project.observed(), state.observedLength, state.simulationLength);
    std::optional<Ensemble> conditioned;
    if (AnyMeasured(measured)) {
        const ConditioningInput input = DefaultConditioningInput(run, measured);
        try {
            const ConditioningResult result = RunConditioning(input);
            kept.conditioning = KeepConditioning(input, result, inputs);
            conditioned = result.ensemble;
            ProjectBands projectBands;
            projectBands.inputs = project.runInputsFingerprint();
            for (int s = 0; s < kSeriesCount; ++s) {
                const PredictionBand &band = result.band.bands[static_cast<std::size_t>(s)];
                projectBands.series[static_cast<std::size_t>(s)]
                    = ProjectBands::Band {band.lower, band.median, band.upper};
            }
            bands = std::move(projectBands);
            for (const std::string &line : ConditioningNotes(result, input.options.threshold))
                notes.push_back("Conditioned uncertainty: " + line);
        } catch (const Error &error) {
            notes.push_back(std::string("The conditioned uncertainty was not computed: ") + error.what());
        }
    } else {
        notes.emplace_back("The conditioned uncertainty was not computed: the project has no series "
                           "with two measured days.");
    }

    // Compliance, when the side file holds permit limits.
    if (!settings.limits.empty()) {
        ComplianceInput input;
        input.run = run;
        input.startDate = ParseIsoDate(settings.startDate);
        for (const PermitLimit &limit : settings.limits) {
            if (const std::optional<PermitTarget> target = TargetOfLimit(limit))
                input.targets.push_back(*target);
            else
                notes.push_back("The permit limit of " + std::string(kSeriesHeadings[static_cast<std::size_t>(limit.column - 1)])
                    + " has the statistic \"" + QuotedText(limit.statistic)
                    + "\", which the compliance analysis does not compute (max, mean, annual mean, "
                      "monthly mean, weekly mean, p95, exceed-days:K); it was left out.");
        }
        const ConditioningOptions defaults;
        const std::uint64_t seed = kDefaultAnalysisSeed;
        int samples = kDefaultComplianceSamples;
        if (conditioned) {
            input.ensemble = *conditioned;
            samples = defaults.samples;
        } else {
            std::array<bool, kParameterCount> varied {};
            varied.fill(true);
            input.ensemble = PlainEnsemble(run, ClimateRanges(state.climate), varied, samples, seed);
        }
        if (!input.targets.empty()) {
            try {
                const ComplianceResult result = RunCompliance(input);
                kept.compliance = KeptCompliance {.inputs = inputs, .seed = seed, .samples = samples,
                    .conditioned = result.conditioned, .warmUp = result.warmUp,
                    .runsUsed = result.runsUsed, .runsFailed = result.runsFailed,
                    .effectiveRuns = result.effectiveRuns, .outcomes = result.outcomes};
            } catch (const Error &error) {
                notes.push_back(std::string("The compliance was not computed: ") + error.what());
            }
        }
    }

    // Morris's screening.
    SensitivityInput input;
    input.run = run;
    input.ranges = ClimateRanges(state.climate);
    SensitivityResult result = RunSensitivity(input);
    if (result.trajectoriesUsed > 0) {
        result.failure.clear();
        kept.morris = KeptMorris {.inputs = inputs, .seed = input.options.seed,
            .levels = input.options.levels, .result = std::move(result)};
    } else {
        notes.push_back("The sensitivity screening gave no effects: " + result.failure);
    }
    return kept;
}

void KeepAnalysesBeside(const std::filesystem::path &project,
    const std::function<void(KeptAnalyses &)> &keep, std::vector<std::string> &notes)
{
    SideFileRead side = ReadSideFile(project);
    if (!side.problem.empty() && side.problem.find("is damaged") != std::string::npos) {
        notes.push_back(side.problem + " The analyses were not kept in it, so as not to write over it.");
        return;
    }
    keep(side.settings.analyses);
    WriteSideFile(project, side.settings);
}

} // namespace carexa::batch
