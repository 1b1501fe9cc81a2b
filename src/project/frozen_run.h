#pragma once

#include "model/day_values.h"
#include "model/model_state.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <cstdint>
#include <string>
#include <vector>

namespace carexa {

/// The results of a run as it computed them, kept apart from the inputs: editing an input after
/// a run leaves them as they are (they are marked stale instead). The data sheet, the graphs,
/// the fit and the result explorer show these.
struct FrozenRun
{
    /// Per day: bit kFromInitial when the outflow is the initial values' (the day came before
    /// its retention time), and bit kNoInflow + e when efficiency e (0 to 5) has an inflow of 0
    /// (its value is then 0, shown as "0").
    enum Flag : std::uint8_t { kFromInitial = 1, kNoInflow = 2 };

    SeriesValues series; ///< the eleven series of days 1..L, unrounded
    std::vector<std::uint8_t> flags; ///< one per day
    bool completed = true;
    int failedDay = 0; ///< the day the run stopped on, or 0
    std::string message; ///< why it stopped, or empty

    int days() const { return static_cast<int>(flags.size()); }
    bool fromInitial(int day) const { return (flags[static_cast<std::size_t>(day - 1)] & kFromInitial) != 0; }
    bool noInflow(int day, int efficiency) const
    {
        return (flags[static_cast<std::size_t>(day - 1)] & (kNoInflow << efficiency)) != 0;
    }

    friend bool operator==(const FrozenRun &, const FrozenRun &) = default;
};

/// The flags of FrozenRun for the forcing values a run used.
std::vector<std::uint8_t> RunFlags(const std::vector<DayValues> &days);

/// The run a finished (or stopped) run result leaves; the result's series move into it.
FrozenRun FreezeRun(RunResult &&result);

/// The run as a project's records hold it (after a load: the box values of the file and the
/// days' forcing values).
FrozenRun RecordedRun(const ModelState &state);

/// Fills the simulation data sheet of `format` from a frozen run (rows 1..run.days()), writing
/// the same texts FillSimulationDataSheet writes from the records the run left.
void FillRunDataSheet(const FrozenRun &run, TextGrid &grid, SheetFormat format);

/// The simulation data sheet of `format` as CSV from a frozen run, as WriteSheetCsv writes it.
void WriteRunSheetCsv(const FrozenRun &run, SheetFormat format, BufferedWriter &out);

/// The value a data sheet of `format` shows in column `column` (1 to 11) of day `day`.
double SheetValue(const FrozenRun &run, SheetFormat format, int column, int day);

} // namespace carexa
