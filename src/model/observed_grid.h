#pragma once

#include "model/text_grid.h"

namespace carexa {

/// Lays out the observed values grid for `days` days: editable, 12 columns, days + 1 rows, the
/// headings and the day numbers. Value cells are left as they are.
void LayOutObservedGrid(TextGrid &grid, int days);

/// Builds the observed values grid as the window starts with it: laid out for `days` days with
/// "0.0001" (no observation) in every value cell.
void BuildObservedGrid(TextGrid &grid, int days);

} // namespace carexa
