#pragma once

#include "model/day_values.h"
#include "model/model_state.h"
#include "model/text_grid.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// The forcing values of grid columns 1 to 11: temp., water flow, BOD5, Nitrate, Ammonium,
/// total P., Org. Nit., POM %, PON %, POP %, RTB.
inline constexpr std::array<DayField, 11> kForcingColumns {DayField::temperature,
    DayField::waterFlow, DayField::bod5In, DayField::nitrateIn, DayField::ammoniumIn,
    DayField::totalPIn, DayField::orgNitrogenIn, DayField::pomPercent, DayField::ponPercent,
    DayField::popPercent, DayField::RTB};

/// Row-0 headings, columns 0 to 11.
inline constexpr std::array<std::string_view, 12> kForcingHeadings {"Day", "temp.", "water flow",
    "BOD5", "Nitrate", "Ammonium", "total P.", "Org. Nit.", "POM %", "PON %", "POP %", "RTB"};

/// The grid's legend (its tool tip): one line per column 1 to 11, each followed by a space.
std::string ForcingLegend();

/// Lays out the forcing grid for `days` days: editable, 12 columns, days + 1 rows, the headings
/// and the day numbers.
void LayOutForcingGrid(TextGrid &grid, int days);

/// Writes columns 1 to 11 of every day row from the active days, as screen text.
void RefreshForcingGrid(const ModelState &state, TextGrid &grid);

/// Stores the grid into the active days: an empty cell becomes "0.0001" first. Throws
/// ConversionError at a cell that is no number; the days before it are stored.
void StoreForcingGrid(ModelState &state, TextGrid &grid);

/// "Fill empty days": in each column an empty or "0.0001" cell takes the text above it (day 1
/// takes "0.0001"), then every day is stored from the grid.
void FillEmptyForcingDays(ModelState &state, TextGrid &grid);

/// "Calculate water volume": day 1 takes the design volume, and every day's box water volume
/// becomes day 1's porosity x that volume x 0.2. Returns the whole water volume (5 boxes).
double CalculateWaterVolume(ModelState &state);

/// The retention times "Calculate RTB values" gives, day by day: day 1's box water volume over
/// the day's water flow, at least 0.75, rounded to two decimals. Throws Error naming the first
/// day whose value would not be a finite number (a zero water flow).
std::vector<double> RetentionTimes(const ModelState &state);

/// "Calculate RTB values": RetentionTimes into the days and column 11. Throws as
/// RetentionTimes does; then nothing changes.
void CalculateRetentionTimes(ModelState &state, TextGrid &grid);

/// Whether the retention-time warning shows: simulationLength < 12 x the largest RTB.
bool RetentionWarning(const ModelState &state);

/// "Reset": every day's eleven grid values become 0.0001, in the days and in the grid.
void ResetForcingGrid(ModelState &state, TextGrid &grid);

/// Whether any of days first..last holds forcing data: a value other than 0.0001 in one of the
/// eleven grid columns, in the day list or in the grid's cells (which may hold text not yet
/// stored). Days outside the simulation are not looked at; first > last holds nothing. Box
/// results do not count: a run makes them again.
bool ForcingDaysHoldData(const ModelState &state, const TextGrid &grid, int first, int last);

/// The question before a length is shortened from `oldLength` to `newLength` days, over days
/// that hold data: "Shortening to N days discards the data of days N+1 to M. Shorten?" (one day
/// named as "day M").
std::string ShorteningQuestion(int newLength, int oldLength);

/// A new simulation length (1 to kMaxDays; Error otherwise, nothing changed): the grid and the
/// day list get newLength + 1 rows and nodes. Days that stay keep every value. Days added at the
/// end continue the bed of day 1: each takes day 1's volume, porosity, average oxygen of every
/// box and box water volume (what the Forcing Functions fields show, since a field is stored
/// into every day when it is left), while everything else starts empty (0.0001): its eleven
/// grid columns, and its results until the next run, even where an earlier shortening cut that
/// day off. Every
/// day is shown again in the grid. The window and the batch runner both lengthen this way.
void ChangeSimulationLength(ModelState &state, TextGrid &grid, std::int32_t newLength);
/// The same for the records alone, for a caller that shows them in no grid.
void ChangeSimulationLength(ModelState &state, std::int32_t newLength);

} // namespace carexa
