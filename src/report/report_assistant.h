#pragma once

#include "report/report.h"

namespace carexa {

/// The design assistant's part of the design basis, when the side file keeps its inputs: the
/// table per pollutant, the source of every constant, the governing pollutant, the bed, the
/// retention time, the BOD5 loading, the Darcy check with its warnings, the design temperature,
/// what P-k-C* promises, and the assistant's outflow beside the simulated one.
void AddDesignAssistant(ReportDocument &report, const ReportSource &source);

} // namespace carexa
