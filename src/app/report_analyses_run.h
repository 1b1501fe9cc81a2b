#pragma once

#include "project/project.h"
#include "report/kept_analyses.h"
#include "report/report_settings.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace carexa::batch {

/// The compliance target of a permit limit: its statistic as a target names it, the words
/// separated by spaces or hyphens, in any case ("annual mean", "Monthly-Mean", "maximum",
/// "95th percentile", "exceed days:3"; none: "mean"); nothing when it names none.
std::optional<PermitTarget> TargetOfLimit(const PermitLimit &limit);

/// Runs, with their commands' defaults, a conditioned uncertainty (when a series has two measured
/// days) with the bands of its kept iteration, the compliance of the side file's permit limits
/// (over the conditioned ensemble when there is one, else a plain one), and Morris's screening,
/// on the project's run input. Each is kept with `inputs`, the fingerprint of the project as
/// loaded; what could not be computed is said in `notes`.
KeptAnalyses RunReportAnalyses(Project &project, const ReportSettings &settings,
    std::uint64_t inputs, std::vector<std::string> &notes, std::optional<ProjectBands> &bands);

/// Keeps analyses in the side file beside `project`: reads it, lets `keep` change its analyses,
/// and writes it whole (its other settings as they were). A damaged side file is left as it is,
/// said in `notes`. Throws Error when the file cannot be written.
void KeepAnalysesBeside(const std::filesystem::path &project,
    const std::function<void(KeptAnalyses &)> &keep, std::vector<std::string> &notes);

} // namespace carexa::batch
