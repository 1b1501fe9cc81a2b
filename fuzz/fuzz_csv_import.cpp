// The import of forcing data and of observed values from a CSV file, without a dialog and as the
// dialog reads it: any bytes are either refused with an Error or imported into a short project,
// whose days and grids then hold numbers only.

#include "io/csv_import.h"
#include "io/csv_reader.h"
#include "io/grid_import.h"
#include "model/error.h"
#include "model/forcing_grid.h"
#include "model/number_text.h"
#include "model/observed_grid.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace carexa;

namespace {

// Longer imports are read but only their first days imported, so an input stays quick.
constexpr std::int32_t kMostDays = 400;

void Import(const std::string &text, ImportTarget target)
{
    ImportSettings settings;
    try {
        settings = DetectImport(text, target);
        ImportHeadings(text, settings);
        SuggestColumns(text, settings, target);
    } catch (const Error &) {
        return;
    }
    try {
        RequireKnownHeadings(text, settings, target);
    } catch (const Error &) {
        // The dialog lets the user choose the columns; the import goes on as it would there.
    }
    ImportedTable table;
    try {
        table = ReadImport(text, settings, target);
    } catch (const Error &) {
        return;
    }
    const ExtraDays extra = table.lastDay <= kMostDays ? ExtraDays::Extend : ExtraDays::Drop;
    try {
        if (target == ImportTarget::Forcing) {
            ModelState state;
            state.setSimulationLength(10);
            TextGrid grid(12, 11);
            LayOutForcingGrid(grid, 10);
            RefreshForcingGrid(state, grid);
            ImportForcingData(state, grid, table, extra);
            for (const DayNode &node : state.days.active()) {
                for (double value : node.day.values()) {
                    if (!std::isfinite(value))
                        std::abort();
                }
            }
        } else {
            std::int32_t length = 10;
            TextGrid grid(12, 11);
            BuildObservedGrid(grid, length);
            ImportObservedValues(length, grid, table, extra);
            for (int r = 1; r <= length; ++r) {
                for (int c = 1; c <= 11; ++c)
                    ParseDouble(grid.cell(c, r)); // every cell reads as a number
            }
        }
    } catch (const Error &) {
        // Only "nothing fits" may be refused here: a table that starts after the project.
        if (extra == ExtraDays::Extend)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string text;
    try {
        text = DecodeTextFile(std::string_view(reinterpret_cast<const char *>(data), size));
    } catch (const Error &) {
        return 0;
    }
    Import(text, ImportTarget::Forcing);
    Import(text, ImportTarget::Observed);
    return 0;
}
