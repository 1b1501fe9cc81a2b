#pragma once

#include "model/model_state.h"
#include "model/output_series.h"
#include "model/text_grid.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace carexa {

/// The sheets of an exported workbook, in order.
inline constexpr std::array<const char *, 6> kWorkbookSheets {
    "Forcing", "Observed", "Results", "Boxes", "Parameters", "Design"};

/// Called now and then with the rows written so far and the rows to write; returning false
/// stops the export (nothing is written then).
using WorkbookProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

/// What a workbook holds: the project, its observed values grid, the design input texts in
/// project-file order, and the eleven result series of days 1..L (values[c - 1][k - 1] for
/// column c and day k, as ResultSeries gives them).
struct WorkbookContent
{
    const ModelState &state;
    const TextGrid &observed;
    const std::array<std::string, 8> &designTexts;
    const std::array<std::vector<double>, kSeriesCount> &results;
};

/// Writes a project as one spreadsheet workbook (.xlsx) with the sheets of kWorkbookSheets:
/// - Forcing: the forcing values of every day, from the day list;
/// - Observed: the observed values grid for the observed length, "0.0001" (no measurement) left
///   empty, a cell that is no number kept as text;
/// - Results: the eleven result series unrounded (negative efficiencies kept, which the tables
///   show as 1E-8; each series heading's comment says so), the observed outflows beside them
///   (measurements by MeasuredValue), and a line chart of each outflow series (simulated as a
///   line, observed as markers on the measured days);
/// - Boxes: the concentration of every variable in every box per day, unrounded;
/// - Parameters: name, symbol, value, unit, and the accepted range and fallback of the project's
///   climate;
/// - Design: the eight design inputs and the eight design results with their units, and the
///   project's settings, each column as wide as its texts.
/// Numbers are stored as numbers; each sheet has a bold, frozen heading row with units. The file
/// appears complete or not at all (as OutputFile writes). Throws Error when it cannot be written;
/// returns false when `progress` stopped it.
bool WriteWorkbook(const std::filesystem::path &target, const WorkbookContent &content,
    const WorkbookProgress &progress = {});

} // namespace carexa
