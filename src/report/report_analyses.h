#pragma once

#include "report/report.h"

#include <string>
#include <utility>
#include <vector>

namespace carexa {

/// Whether the source keeps an analysis that section 7 ("Sensitivity and uncertainty") shows:
/// Morris's screening, Sobol' indices or a conditioned uncertainty.
bool HasSensitivity(const ReportSource &source);

/// The title page's lines of the kept analyses: what each ran with, "STALE; " before the stale.
std::vector<std::pair<std::string, std::string>> AnalysisTitleLines(const ReportSource &source);

/// One sentence per kept analysis that ran on other inputs than the project's.
std::vector<std::string> StaleAnalysisLines(const ReportSource &source);

/// The kept calibration in the fit section: each parameter before and after with its bounds and,
/// when computed, its confidence interval and status.
void AddCalibrationTables(ReportDocument &report, const ReportSource &source);

/// Section 7: Morris's ranking and Sobol' indices as bars per outflow, the p- and r-factors.
void AddSensitivitySection(ReportDocument &report, const ReportSource &source);

/// Section 8: the probability of meeting each permit limit.
void AddComplianceSection(ReportDocument &report, const ReportSource &source);

} // namespace carexa
