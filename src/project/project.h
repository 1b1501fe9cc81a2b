#pragma once

#include "io/csv_import.h"
#include "io/grid_import.h"
#include "io/output_file.h"
#include "model/design.h"
#include "model/forcing_grid.h"
#include "model/grid_block.h"
#include "model/model_state.h"
#include "model/text_grid.h"
#include "project/frozen_run.h"
#include "project/project_file.h"
#include "project/report_settings.h"
#include "project/staleness.h"
#include "results/graph.h"
#include "simulation/simulation_run.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace carexa {

/// The parts of a project, to say what an operation changed.
enum class ProjectPart : std::uint8_t {
    Climate,
    Settings, ///< the simulation length and the time step
    DesignInputs, ///< the eight design input texts and the wetland type
    DesignResults, ///< PF and the eight design results
    Days, ///< forcing values of the days (their number included)
    Observed, ///< the observed values and the observed length
    Parameters,
    Initial, ///< the initial concentrations
    Results, ///< the frozen run and every day's box values
    Calibration, ///< the run kept for undoing a calibration
    Bands, ///< the uncertainty bands
    Report, ///< the design report's texts, limits and kept analyses (the side file)
};

class PartSet
{
public:
    constexpr PartSet() = default;
    constexpr PartSet(std::initializer_list<ProjectPart> parts)
    {
        for (ProjectPart p : parts)
            insert(p);
    }
    constexpr bool contains(ProjectPart p) const { return (bits_ & bit(p)) != 0; }
    constexpr void insert(ProjectPart p) { bits_ |= bit(p); }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr PartSet operator|(PartSet other) const
    {
        PartSet set;
        set.bits_ = bits_ | other.bits_;
        return set;
    }
    friend constexpr bool operator==(PartSet, PartSet) = default;

private:
    static constexpr unsigned bit(ProjectPart p) { return 1u << static_cast<unsigned>(p); }
    unsigned bits_ = 0;
};

/// What one operation changed, for the views to show again.
struct ProjectChange
{
    PartSet parts; ///< the parts whose values may differ now
    DerivedSet staled; ///< derived values that were current and are stale now
    DerivedSet refreshed; ///< derived values that were stale (or missing) and are current now
    /// Days whose forcing values changed (first..last), or nothing when none or every day did.
    std::optional<DayRange> days;

    bool empty() const { return parts.empty() && staled.empty() && refreshed.empty(); }
};

/// The uncertainty bands of the last analysis, as a document keeps them: the 2.5th, 50th and
/// 97.5th percentile of every series on every day, with what they were computed from.
struct ProjectBands
{
    struct Band
    {
        std::vector<double> lower, median, upper;
        friend bool operator==(const Band &, const Band &) = default;
    };
    std::array<Band, kSeriesCount> series;
    std::uint64_t inputs = 0; ///< RunInputsFingerprint of the project the samples were run from
};

/// The run before the last applied calibration, to undo it.
struct CalibrationUndo
{
    ModelParameters parameters; ///< as the project held them before
    RunResult run; ///< the records as that run left them (inputs, box values)
    FrozenRun frozen; ///< and its results
    std::uint64_t inputs = 0; ///< the inputs but the parameters, after the calibrated run
};

/// One open project: everything a project is, and one operation per thing a user does with it.
///
/// It owns the records (parameters, initial values and design results, the days with their
/// forcing values and box values, the settings), the observed values (as the texts of their
/// cells), the design inputs as typed, the wetland type, the last run's results frozen as
/// computed, the run kept for undoing a calibration, the last uncertainty bands, the design
/// report's settings with the analyses kept for it (the side file's content), and what every
/// derived value was computed from (staleness.h). It knows no widget and no thread: the window,
/// the batch runner and scripts drive the same operations, on the thread that owns it.
///
/// Every operation either completes or throws Error (or ConversionError) with a message for the
/// user and changes nothing. A completed operation returns what it changed and tells every
/// listener. Reading never changes anything.
class Project
{
public:
    /// A project as the program starts with one: 60 days, 70 sub-steps per day, no climate,
    /// every value 0.0001, 60 observed days with no observation.
    Project();

    Project(const Project &) = delete;
    Project &operator=(const Project &) = delete;

    // ------------------------------------------------------------------------------------------
    // Reading

    /// The records: parameters, initial values and design results, the days and the settings.
    const ModelState &state() const { return state_; }
    /// The observed values grid: rows 1..observedLength, columns 1..11, cells as typed.
    const TextGrid &observed() const { return observed_; }
    /// The design inputs as typed, in file order (Width, Length, Depth, PF, Slope, AP, HC, flow).
    const DesignTexts &designInputs() const { return designInputs_; }
    std::optional<WetlandType> wetlandType() const { return wetlandType_; }
    /// Whether the project holds a design: PF and the eight results are finite numbers above 0
    /// that were entered (none is 0.0001, the value of nothing entered), as "Calculate" leaves
    /// them. The Forcing Functions screen needs one.
    bool holdsDesign() const;
    /// The last run's results as computed (after a load: as the file holds them), or nothing
    /// before any run or load.
    const std::optional<FrozenRun> &run() const { return run_; }
    /// The run kept for undoing the last applied calibration, while it may still be undone.
    const std::optional<CalibrationUndo> &calibrationUndo() const { return undo_; }
    /// The last uncertainty bands, while their results are the project's.
    const std::optional<ProjectBands> &bands() const { return bands_; }
    /// The design report's texts, limits, the design assistant's inputs and the analyses kept
    /// for it, as the side file beside the project file keeps them.
    const ReportSettings &reportSettings() const { return report_; }
    /// Why the side file was left aside at the last load (one line), until it is written again;
    /// empty when it was read whole or there was none.
    const std::string &sideFileProblem() const { return sideFileProblem_; }
    /// A copy of what a run reads (for a run or an analysis in the background).
    RunInput runInput() const { return MakeRunInput(state_); }
    /// The text a forcing grid cell shows: a text that holds no number as it was typed,
    /// otherwise the day's value (column 1 to 11, day 1 to simulationLength).
    std::string forcingText(int column, int day) const;
    /// The forcing grid as it shows: the headings, the day numbers and forcingText of every
    /// cell (for a print or an export).
    TextGrid forcingGrid() const;
    /// The forcing cells that hold a text that is no number, by (day, column).
    const std::map<std::pair<int, int>, std::string> &forcingDrafts() const { return drafts_; }
    /// The whole water volume of the bed (5 x day 1's box water volume), as "Calculate water
    /// volume" shows it.
    double waterVolume() const;

    /// The bytes the project keeps on the heap besides its records (the parameters, initial
    /// values and day list of state()): the frozen run, what the retention times were calculated
    /// from, the forcing cells that hold no number, the calibration undo, the bands and the
    /// observed values grid. For measuring what the document costs per day.
    std::size_t keptBytes() const;

    // ------------------------------------------------------------------------------------------
    // Staleness

    /// Whether a derived value no longer matches what it was computed from. Values never
    /// computed (no run, no bands) are not stale.
    bool stale(Derived derived) const { return stale_.contains(derived); }
    DerivedSet staleSet() const { return stale_; }
    /// The days whose retention time was calculated for another flow, box water volume or day
    /// list (none when the user entered them).
    const std::vector<DayRange> &staleRetentionDays() const { return staleRtbDays_; }
    /// Whether every day's RTB is the user's (typed, pasted or imported): never called stale.
    bool retentionTimesEntered() const;
    /// The line the Forcing Functions screen shows while water volumes or retention times are
    /// stale ("Retention times were calculated for other flows on days 1-365."), else empty.
    std::string staleForcingText() const;

    /// A fingerprint of what the project file holds: its numbers (an observed cell or a design
    /// input by the number its text stands for) and settings, so that a change of any of it is
    /// an unsaved change, and a change taken back is none. Numbers are compared as they are, so
    /// a change the file's six digits would not keep still counts.
    std::uint64_t fileFingerprint() const;

    // ------------------------------------------------------------------------------------------
    // Listeners

    using Listener = std::function<void(const ProjectChange &change)>;
    /// Calls `listener` after every completed operation; returns an id for unsubscribe.
    int subscribe(Listener listener);
    void unsubscribe(int id);

    // ------------------------------------------------------------------------------------------
    // The project as a whole

    /// Replaces the project by a file's content (read with ReadProjectFile, which may run in the
    /// background): the records, the observed values, the design inputs (as screen text); no
    /// wetland type; its results as the file holds them; its RTB counts as the user's until the
    /// flows, the box water volume or the days change. Drops the calibration undo and the bands.
    ProjectChange load(const LoadedProject &loaded);
    /// Writes the project file (ProjectText's layout) to `sink`; throws as WriteProject does
    /// (an observed cell or design input that is no number), before writing anything.
    void write(ByteSink &sink) const;
    /// The whole text of the project file.
    std::string text() const;
    /// Writes the project file whole or not at all (OutputFile).
    void save(const std::filesystem::path &path) const;
    /// Takes the report settings read from the side file after load(), with the line saying why
    /// it was left aside (empty when it was read whole or there was none).
    ProjectChange takeSideFile(ReportSettings settings, std::string problem);
    /// The side file was written with reportSettings(): a problem found at the load is gone.
    ProjectChange sideFileWritten();

    enum class ResetKind {
        Close, ///< "Close Project": the forcing fields keep showing the closed project
        New, ///< "New Project"
    };
    /// An empty project: 60 days, 50 sub-steps per day, every record at 0.0001, no design
    /// inputs and no wetland type, no run, no undo, no bands, no report settings. The climate
    /// and the observed values stay (a new climate choice sets the climate).
    ProjectChange reset(ResetKind kind);
    /// The climate of the project: kColdClimate or kWarmClimate (refused otherwise).
    ProjectChange chooseClimate(std::int32_t climate);

    // ------------------------------------------------------------------------------------------
    // Design

    /// One design input as typed (0 to 7 in file order); the empty text is none.
    ProjectChange setDesignInput(int index, std::string text);
    ProjectChange setDesignInputs(const DesignTexts &texts);
    ProjectChange setWetlandType(std::optional<WetlandType> type);
    /// "Calculate": refuses "One or more input fields are empty!" when an input is empty or no
    /// wetland type is chosen, a text that is no number (ConversionError) and a result that is
    /// not a finite number above 0 (CalculateDesign's Error).
    ProjectChange calculateDesign();

    // ------------------------------------------------------------------------------------------
    // Forcing functions

    /// Writes a block of texts into forcing columns column.. (1 to 11) of days day..: an empty
    /// text is 0.0001, a number goes into its day, any other text stays in the cell (a draft)
    /// and leaves the day's value as it was. A number in column 11 makes that day's RTB the
    /// user's. Refuses a block that reaches past column 11 or the last day.
    ProjectChange setForcingCells(int column, int day, const GridBlock &block);
    /// Numbers into one forcing field (any of the 18) of days firstDay.. (a script's columns);
    /// refused past the last day. RTB values so set are the user's.
    ProjectChange setDayValues(DayField field, int firstDay, const std::vector<double> &values);
    /// Whether any of days first..last holds forcing data: a value other than 0.0001 in one of
    /// the eleven grid columns, or a cell's text that is no number. first > last holds nothing.
    bool forcingDaysHoldData(int first, int last) const;
    /// Refuses (Error) while a forcing cell holds a text that is no number, naming
    /// the first (day by day, column by column); "Leaving the grid" checks this.
    void checkForcingCells() const;
    /// "Fill empty days": in each column an empty day (0.0001) takes the value of the day
    /// before; day 1 stays. Refused while a cell holds a text that is no number.
    ProjectChange fillEmptyForcingDays();
    /// "Reset": every day's eleven grid values become 0.0001; drafts go.
    ProjectChange resetForcing();
    /// "Apply PF": day 1's eight inflow values (BOD5 to POP %) divided by PF. Refused when one of
    /// those cells holds a text that is no number, or PF makes a quotient that is not finite.
    ProjectChange applyPrecipitationFactor();
    /// "Calculate water volume": day 1 takes the design volume, every day's box water volume
    /// becomes day 1's porosity x that volume x 0.2.
    ProjectChange calculateWaterVolume();
    /// "Calculate RTB values": CalculateRetentionTimes; the RTB are calculated, no longer the
    /// user's. Refused (nothing changed) for a day with a water flow of 0.
    ProjectChange calculateRetentionTimes();
    /// A value of the Forcing Functions fields (porosity, the average oxygen of a box) into
    /// every day.
    ProjectChange setEveryDay(DayField field, double value);
    /// A new simulation length (1 to kMaxDays): the days are cut off or added at the end
    /// (ChangeSimulationLength: days that stay keep every value, new days take day 1's bed).
    ProjectChange setSimulationLength(std::int32_t length);
    /// Imports forcing data (ImportForcingData's rules; refused while a cell it does not replace
    /// holds a text that is no number). With `recalculate` the water volume and the retention
    /// times are then calculated as the two buttons do, and an import that would leave a day
    /// with no flow for them is refused whole. An imported RTB column makes those days' RTB the
    /// user's. Returns the change and sets `imported` to the number of days imported.
    ProjectChange importForcing(
        const ImportedTable &table, ExtraDays extra, bool recalculate, int *imported = nullptr);
    /// Refuses (Error, "... Nothing was imported.") an import of forcing data after which a day
    /// would have no water flow, so that the retention times could not be calculated.
    void checkRecalculable(const ImportedTable &table, ExtraDays extra) const;

    // ------------------------------------------------------------------------------------------
    // Initial values, parameters, time step

    ProjectChange setParameter(Parameter parameter, double value);
    ProjectChange setParameters(const ModelParameters &parameters);
    ProjectChange setInitialValue(Variable variable, int box, double value);
    /// Sub-steps per day: refused above kMaxStepsPerDay.
    ProjectChange setStepsPerDay(std::int32_t steps);

    // ------------------------------------------------------------------------------------------
    // Observed values

    /// Writes a block of texts into observed columns column.. of rows row.. as they are (a cell
    /// may hold any text until it is saved or drawn); refuses a block past column 11 or the
    /// observed length.
    ProjectChange setObservedCells(int column, int row, const GridBlock &block);
    /// The observed length (0 to kMaxDays), as SetObservedLength sets it.
    ProjectChange setObservedLength(std::int32_t length);
    /// Numbers into observed column `column` (1 to 11) of rows firstRow.. (0.0001: no value);
    /// refused past the observed length.
    ProjectChange setObservedValues(int column, int firstRow, const std::vector<double> &values);
    ProjectChange fillEmptyObservedDays();
    /// Asking for a graph: the observed cells it reads are cleaned (CleanGraphCells); refused
    /// (nothing cleaned) for a typed maximum that is no number above 0.
    ProjectChange cleanGraphCells(const GraphRequest &request);
    ProjectChange importObserved(
        const ImportedTable &table, ExtraDays extra, int *imported = nullptr);

    // ------------------------------------------------------------------------------------------
    // Runs

    /// Refuses (CheckRunnable's Error) a project that cannot be simulated.
    void checkRunnable() const { CheckRunnable(state_); }
    /// The fingerprint of what a run reads, to tell whether the project changed since a run
    /// started from a copy of it.
    std::uint64_t runInputsFingerprint() const { return runFingerprint_; }
    /// The same without the parameters: what a calibration fits them to (besides the observed
    /// values), to tell whether the project changed since a calibration took its copy while the
    /// parameters themselves may have been applied or undone meanwhile.
    std::uint64_t runInputsButParametersFingerprint() const
    {
        return RunInputsFingerprint(state_, daysFingerprint_, false);
    }
    /// Takes a finished run's result (one of runInput() taken while runInputsFingerprint() was
    /// `inputs`): refused when the project changed since (nothing changed; the caller tells the
    /// user), or when the result was cancelled. The results become current; the bands go.
    ProjectChange commitRun(RunResult &&result, std::uint64_t inputs);
    /// "Simulate" on the calling thread: checkRunnable, the run, commitRun.
    ProjectChange simulate(const RunMonitor &monitor = {});

    /// Applies calibrated parameters and simulates with them, keeping the parameters and the run
    /// from before for undoCalibration.
    ProjectChange applyCalibration(const ModelParameters &parameters);
    /// The same with the run of the calibrated parameters made already (in the background):
    /// `run` is the result of runInput() with `parameters`, taken while runInputsFingerprint()
    /// was `inputs`; refused as commitRun refuses.
    ProjectChange applyCalibration(
        const ModelParameters &parameters, RunResult &&run, std::uint64_t inputs);
    /// Brings back the parameters and the run from before the last applied calibration; refused
    /// (and the undo dropped) when the other inputs changed since.
    ProjectChange undoCalibration();

    /// Keeps bands computed from a copy taken while runInputsFingerprint() was `inputs`; refused
    /// (false) when the project's run inputs changed since or their days differ.
    bool setBands(ProjectBands bands);

    // ------------------------------------------------------------------------------------------
    // The design report

    /// The report's texts, limits and kept analyses as the report dialog leaves them. Refused
    /// for a limit that is not on one of the five outflows (column 1 to 5) or is not a finite
    /// number above 0, as the side file refuses it.
    ProjectChange setReportSettings(ReportSettings settings);
    /// Keeps every analysis `ran` holds for the report, in place of the one of its kind kept
    /// before; the others stay. Each carries the run inputs it was computed from, so one kept
    /// from an older project shows as stale in the report.
    ProjectChange keepAnalyses(const KeptAnalyses &ran);
    /// Keeps the design assistant's inputs of the design the project took ("Use this design").
    ProjectChange keepAssistant(const AssistantInputs &inputs);

private:
    // What a derived value was computed from (see staleness.h).
    struct Basis
    {
        std::optional<std::uint64_t> design; ///< design inputs and wetland type
        bool designTypeKnown = true; ///< false after a load: any type matches
        std::optional<std::array<double, 2>> water; ///< VO and day 1's porosity
        double waterValue = 0; ///< the box water volume computed
        bool rtbComputed = false;
        double rtbBoxWater = 0; ///< day 1's box water volume the RTB were computed with
        std::vector<double> rtbFlows; ///< each day's flow then
        std::vector<bool> rtbEntered; ///< days whose RTB the user entered
        std::optional<std::uint64_t> results; ///< run inputs of the results
    };

    /// The end of every operation: takes the fingerprints of `parts` again, then settle().
    ProjectChange finish(PartSet parts, std::optional<DayRange> days = {});
    /// The end of an operation that took its fingerprints already: judges staleness afresh and
    /// tells the listeners what changed.
    ProjectChange settle(PartSet parts, std::optional<DayRange> days = {});
    void checkResult(const RunResult &result, std::uint64_t inputs) const;
    void computeWaterVolume();
    void computeRetentionTimes();
    void adoptRun(RunResult &&result);
    void updateFingerprints(PartSet parts);
    /// Judges every derived value; with `walkDays` false the box water volumes and retention
    /// times keep the judgement of the last walk over the days (nothing they depend on changed).
    void updateStaleness(bool walkDays = true);
    /// The walk over the days: the box water volumes and the retention times into `stale`.
    void judgeDays(DerivedSet &stale);
    std::uint64_t designFingerprint() const;
    void rebaseCurrent(DerivedSet before);
    void markRtbComputed();
    void markRtbEntered(int firstDay, int lastDay, bool entered);
    void resizeRtbBasis();
    void requireNoDrafts(int firstDay, int lastDay, int firstColumn, int lastColumn) const;

    // A test sets up records no operation writes (a run's box values, a value out of range)
    // through this friend of its own; the program has none.
    friend struct ProjectRecordsForTesting;

    ModelState state_;
    TextGrid observed_;
    DesignTexts designInputs_;
    std::optional<WetlandType> wetlandType_;
    std::map<std::pair<int, int>, std::string> drafts_;
    std::optional<FrozenRun> run_;
    std::optional<CalibrationUndo> undo_;
    std::optional<ProjectBands> bands_;
    ReportSettings report_;
    std::string sideFileProblem_;

    Basis basis_;
    std::uint64_t daysFingerprint_ = 0;
    std::uint64_t runFingerprint_ = 0;
    DerivedSet stale_;
    std::vector<DayRange> staleRtbDays_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListener_ = 1;
};

} // namespace carexa
