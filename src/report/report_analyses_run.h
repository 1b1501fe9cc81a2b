#pragma once

#include "analysis/compliance.h"
#include "analysis/observations.h"
#include "analysis/run_many.h"
#include "analysis/uncertainty.h"
#include "project/kept_analyses.h"
#include "project/report_settings.h"
#include "simulation/simulation_run.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace carexa {

/// The compliance target of a permit limit: its statistic as a target names it, the words
/// separated by spaces or hyphens, in any case ("annual mean", "Monthly-Mean", "maximum",
/// "95th percentile", "exceed days:3"; none: "mean"); nothing when it names none.
std::optional<PermitTarget> TargetOfLimit(const PermitLimit &limit);

/// What the analyses a report may hold read: copies of the project's, so they run on any thread.
struct ReportAnalysesInput
{
    RunInput run; ///< the project's run input
    ObservedSeries measured; ///< its measurements on the simulated days
    std::int32_t climate = 0; ///< whose ranges the parameters are varied over
    std::uint64_t inputs = 0; ///< the fingerprint the results are kept with
    std::vector<PermitLimit> limits;
    std::string startDate; ///< the date of day 1, "YYYY-MM-DD", or empty
};

/// What they computed.
struct ReportAnalysesOutput
{
    KeptAnalyses analyses; ///< the ones that could be computed
    /// The conditioned uncertainty's bands of every series, when it ran.
    std::optional<std::array<PredictionBand, kSeriesCount>> bands;
    std::vector<std::string> notes; ///< what could not be computed, and why; the conditioning's notes
    bool cancelled = false; ///< the progress asked to stop: nothing more was run
};

/// Runs, with the defaults of their commands and windows, a conditioned uncertainty (when a
/// series has two measured days) with the bands of its kept iteration, the compliance of the
/// permit limits (over the conditioned ensemble when there is one, else a plain one of
/// kDefaultComplianceSamples), and Morris's screening. `progress` sees the runs of all three as
/// one count; returning false stops them, and what finished before is kept.
ReportAnalysesOutput RunReportAnalyses(
    const ReportAnalysesInput &input, const AnalysisProgress &progress = {});

} // namespace carexa
