#pragma once

#include "io/buffered_writer.h"
#include "model/model_state.h"
#include "model/output_series.h"
#include "model/text_grid.h"
#include "simulation/outflow_series.h"
#include "simulation/simulation_run.h"

#include <array>
#include <functional>
#include <vector>

namespace carexa {

/// How a fill of the simulation data sheet writes its numbers.
struct SheetFormat
{
    int concentrationDecimals; ///< decimals of the outflow columns 1 to 5
    int efficiencyDecimals; ///< decimals of the efficiency columns 6 to 11
    bool zeroRule; ///< lagged outflows <= 0.0001 show "0"; efficiencies <= 0.0001 count as 0
    bool layout; ///< also set 12 columns, N + 1 rows, the headings and day numbers

    friend bool operator==(const SheetFormat &, const SheetFormat &) = default;
};

inline constexpr SheetFormat kRunSheet {3, 3, false, false}; ///< end of a simulation run
inline constexpr SheetFormat kSimulateScreenSheet {6, 6, false, false}; ///< Simulate screen opened
inline constexpr SheetFormat kDataSheetButton {4, 2, true, true}; ///< "Data sheet" pressed
inline constexpr SheetFormat kCloseSheet {6, 6, true, true}; ///< closing the additional results
inline constexpr SheetFormat kPrintSheet {4, 2, true, false}; ///< the data sheet print

/// Writes the simulated data sheet into `grid` from the active days: row k holds day k's box-E
/// outflow, lagged by the whole days of its retention time per box (the initial values while
/// k < RTB), and the six removal efficiencies of day k itself. An efficiency whose inflow is 0
/// is written "0".
void FillSimulationDataSheet(const ModelState &state, TextGrid &grid, SheetFormat format);

/// The fill done once when the window is built: the same cells from the default records,
/// without rounding and without layout.
void FillStartupDataSheet(const ModelState &state, TextGrid &grid);

/// Lays out and fills the "Additional results" table: 26 columns ("Day", BOD5-A..E, NIT-A..E,
/// AMM-A..E, TPO-A..E, ORN-A..E), N + 1 rows, every concentration as RoundPositive(value, 4).
void FillAdditionalResults(const ModelState &state, TextGrid &grid);

/// The simulation data sheet of `format` as CSV, straight from the project's records: the
/// heading line "Day,BOD5 out,...,eff. t.n. rem", then one line a day with exactly the texts a
/// fill of that format writes into the grid.
void WriteSheetCsv(const ModelState &state, SheetFormat format, BufferedWriter &out);

/// The "Additional results" table as CSV, straight from the project's records, with the texts
/// its fill writes.
void WriteAdditionalResultsCsv(const ModelState &state, BufferedWriter &out);

/// Row 0 headings of the additional results table, column 1 to 25.
std::string AdditionalResultsHeading(int column);

/// The result series of the project's day list, as the data sheet shows them before rounding
/// (an outflow day past the list, which only a negative retention time in a loaded file gives,
/// reads as the trailing node, as the data sheet's FindDay does).
SeriesValues ResultSeries(const ModelState &state);

/// The whole simulation behind "Simulate", on the project itself (SimulateProject, then the
/// data sheet fill): replaces out-of-range initial values, parameters (by the climate's preset)
/// and day values, resets and seeds the days, advances every day from day 2 on with its
/// retention-time transport source, and writes the outflow and efficiency cells of the data
/// sheet with three decimals.
///
/// Refuses with CheckRunnable's Error before anything changes. When a day's concentrations stop
/// being finite numbers the run stops there: that day keeps its start-of-day values, later days
/// stay reset, the data sheet is written from what was computed, and the outcome names the day.
RunOutcome RunSimulation(
    ModelState &state, TextGrid &dataGrid, const ProgressCallback &progress = {});

} // namespace carexa
