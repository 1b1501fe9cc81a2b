#pragma once

#include "model/text_grid.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace carexa {

/// The one rule of what an observed cell holds: a measurement is a number as a typed cell is read
/// (ParseDouble: "12.5", "-3" and "1E-6" alike) other than 0.0001, which marks a day without
/// one; an empty cell or a text that is no number is none. The graphs, the fit statistics, the
/// calibration, the result explorer and the workbook count measurements by it.
std::optional<double> MeasuredValue(std::string_view text);
/// The same for cell (column, row) of the observed values grid.
std::optional<double> MeasuredValue(const TextGrid &observed, int column, int row);

/// Lays out the observed values grid for `days` days: editable, 12 columns, days + 1 rows, the
/// headings and the day numbers. Value cells are left as they are.
void LayOutObservedGrid(TextGrid &grid, int days);

/// Builds the observed values grid as the window starts with it: laid out for `days` days with
/// "0.0001" (no observation) in every value cell.
void BuildObservedGrid(TextGrid &grid, int days);

/// A new observed length (0 to the program's longest length; Error otherwise, nothing changed):
/// the grid shows rows 1..newLength; rows that come back past the old length start again with
/// "0.0001" in every value cell, rows that stay keep their cells, and rows past a shorter length
/// keep their text but are no longer shown.
void SetObservedLength(std::int32_t &observedLength, TextGrid &grid, std::int32_t newLength);

/// Whether any of rows first..last holds an observation: a value cell that is neither empty nor
/// "0.0001". first > last holds nothing.
bool ObservedDaysHoldData(const TextGrid &grid, int first, int last);

/// "Fill empty days": in each value column, over rows 1..length, an empty or "0.0001" cell takes
/// the text of the cell above it, and an empty first cell becomes "0.0001".
void FillEmptyObservedDays(TextGrid &grid, int length);

/// Fills a column's empty cells forward (shared with the forcing grid): a cell that is empty or
/// "0.0001" takes the text above it; the first becomes "0.0001" when empty.
void FillColumnForward(TextGrid &grid, int column, int rows);

} // namespace carexa
