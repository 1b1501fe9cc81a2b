#pragma once

#include "io/csv_import.h"
#include "model/forcing_grid.h"
#include "model/model_state.h"
#include "model/text_grid.h"

#include <cstdint>
#include <string>

namespace carexa {

/// What an import does with days past the end of the grid.
enum class ExtraDays {
    Extend, ///< the grid grows to the last imported day, as typing that length would
    Drop, ///< only the days that fit are imported
};

/// The question asked when an import holds more days than the grid: "The imported data hold N
/// days; the project has M. Extend it to N days?"
std::string ExtendQuestion(std::int32_t importedDays, std::int32_t projectDays);

/// Imports forcing data: each imported row's values replace the chosen columns of its day in
/// `grid` (the forcing grid), and the whole grid is then stored into the days as leaving the grid
/// does (an empty cell becomes "0.0001"). With ExtraDays::Extend and more days than the
/// simulation length, the length first grows as ChangeSimulationLength does (the new days take
/// day 1's bed), in the window and the batch runner alike.
/// Everything is checked before anything changes: throws Error naming the day and column of a
/// grid cell that is no number (cells the import replaces are not read), and Error
/// when no imported day fits. Returns the number of days imported.
int ImportForcingData(
    ModelState &state, TextGrid &grid, const ImportedTable &table, ExtraDays extra);

/// Imports observed values: each imported row's values replace the chosen columns of its day in
/// the observed values grid, as screen text. With ExtraDays::Extend and more days than
/// `observedLength`, the observed length first grows as SetObservedLength does. Throws Error,
/// before anything changes, when no imported day fits. Returns the number of days imported.
int ImportObservedValues(
    std::int32_t &observedLength, TextGrid &grid, const ImportedTable &table, ExtraDays extra);

} // namespace carexa
