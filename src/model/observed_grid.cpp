#include "model/observed_grid.h"

#include "model/number_text.h"
#include "model/output_series.h"

#include <string>

namespace carexa {

void LayOutObservedGrid(TextGrid &grid, int days)
{
    grid.setEditable(true);
    grid.setColumnCount(1 + kSeriesCount);
    grid.setRowCount(days + 1);
    grid.setCell(0, 0, std::string(kDayHeading));
    for (int c = 1; c <= kSeriesCount; ++c)
        grid.setCell(c, 0, std::string(kSeriesHeadings[static_cast<std::size_t>(c - 1)]));
    for (int r = 1; r <= days; ++r)
        grid.setCell(0, r, FormatInteger(r));
}

void BuildObservedGrid(TextGrid &grid, int days)
{
    LayOutObservedGrid(grid, days);
    for (int r = 1; r <= days; ++r) {
        for (int c = 1; c <= kSeriesCount; ++c)
            grid.setCell(c, r, "0.0001");
    }
}

} // namespace carexa
