// The project document: its state, what its derived values were computed from, and the
// operations on the project as a whole, its design and its runs. The operations on the forcing
// days and the observed values are in project_days.cpp.

#include "project/project.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"

#include <algorithm>
#include <cmath>

namespace carexa {

namespace {

constexpr PartSet kEverything {ProjectPart::Climate, ProjectPart::Settings,
    ProjectPart::DesignInputs, ProjectPart::DesignResults, ProjectPart::Days, ProjectPart::Observed,
    ProjectPart::Parameters, ProjectPart::Initial, ProjectPart::Results, ProjectPart::Calibration,
    ProjectPart::Bands, ProjectPart::Report};

// Parts whose change leaves the box water volumes and the retention times as judged: no day, no
// design volume and no porosity among them. An edit of one of them needs no walk over the days.
constexpr PartSet kNoDayParts {ProjectPart::DesignInputs, ProjectPart::Observed,
    ProjectPart::Parameters, ProjectPart::Climate, ProjectPart::Bands, ProjectPart::Report};

// The design inputs in the order the calculator reads them, by their index in file order.
constexpr int kWidth = 0, kLength = 1, kDepth = 2, kPrecipitation = 3, kSlope = 4, kParticular = 5,
              kConductivity = 6, kFlow = 7;

} // namespace

Project::Project() : observed_(12, ModelState::kStartLength + 1)
{
    BuildObservedGrid(observed_, state_.simulationLength);
    updateFingerprints(kEverything);
    updateStaleness();
}

// ---------------------------------------------------------------------------------------------
// Reading

bool Project::holdsDesign() const
{
    constexpr std::array<BoxField, 9> fields {BoxField::PF, BoxField::AA, BoxField::VO,
        BoxField::HL, BoxField::HF, BoxField::RF, BoxField::FW, BoxField::FL, BoxField::NP};
    return std::all_of(fields.begin(), fields.end(), [this](BoxField field) {
        const double value = state_.initial.get(field);
        return std::isfinite(value) && value > 0 && value != kEmptyValue;
    });
}

double Project::waterVolume() const
{
    return 5 * state_.days.first().day.get(DayField::boxWaterVolume);
}

bool Project::retentionTimesEntered() const
{
    const std::vector<bool> &entered = basis_.rtbEntered;
    const auto days = static_cast<std::size_t>(state_.simulationLength);
    return entered.size() >= days
        && std::all_of(entered.begin(), entered.begin() + static_cast<std::ptrdiff_t>(days),
            [](bool e) { return e; });
}

std::string Project::staleForcingText() const
{
    std::string text;
    if (stale(Derived::WaterVolume))
        text = "Water volumes were calculated for another design volume or porosity.";
    if (stale(Derived::RetentionTimes)) {
        if (!text.empty())
            text += ' ';
        // Which days: those whose own flow changed or that were added, else (only the box water
        // volume changed) every day.
        const double boxWater = state_.days.first().day.get(DayField::boxWaterVolume);
        if (boxWater != basis_.rtbBoxWater && staleRtbDays_.size() == 1
            && staleRtbDays_.front() == DayRange {1, state_.simulationLength}) {
            bool flowsSame = static_cast<int>(basis_.rtbFlows.size()) >= state_.simulationLength;
            int d = 0;
            for (const DayNode &node : state_.days.active()) {
                if (!flowsSame)
                    break;
                flowsSame = node.day.get(DayField::waterFlow)
                    == basis_.rtbFlows[static_cast<std::size_t>(d++)];
            }
            if (flowsSame)
                return text + "Retention times were calculated for another water volume.";
        }
        const bool oneDay = staleRtbDays_.size() == 1
            && staleRtbDays_.front().first == staleRtbDays_.front().last;
        text += std::string("Retention times were calculated for other flows on ")
            + (oneDay ? "day " : "days ") + DayRangesText(staleRtbDays_) + ".";
    }
    return text;
}

namespace {

template <typename T> std::size_t HeapBytes(const std::vector<T> &values)
{
    return values.capacity() * sizeof(T);
}

std::size_t HeapBytes(const std::vector<bool> &values)
{
    return (values.capacity() + 7) / 8;
}

std::size_t HeapBytes(const std::string &text)
{
    return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
}

std::size_t HeapBytes(const FrozenRun &run)
{
    std::size_t bytes = HeapBytes(run.flags) + HeapBytes(run.message);
    for (const std::vector<double> &series : run.series)
        bytes += HeapBytes(series);
    return bytes;
}

} // namespace

std::size_t Project::keptBytes() const
{
    std::size_t bytes = observed_.storedBytes();
    if (run_)
        bytes += HeapBytes(*run_);
    bytes += HeapBytes(basis_.rtbFlows) + HeapBytes(basis_.rtbEntered);
    // A map node holds its key and text besides two links, a parent and a colour.
    for (const auto &[cell, text] : drafts_)
        bytes += 4 * sizeof(void *) + sizeof(cell) + sizeof(text) + HeapBytes(text);
    if (undo_) {
        bytes += HeapBytes(undo_->frozen) + HeapBytes(undo_->run.days) + HeapBytes(undo_->run.boxes)
            + HeapBytes(undo_->run.message);
        for (const std::vector<double> &series : undo_->run.series)
            bytes += HeapBytes(series);
    }
    if (bands_) {
        for (const ProjectBands::Band &band : bands_->series)
            bytes += HeapBytes(band.lower) + HeapBytes(band.median) + HeapBytes(band.upper);
    }
    return bytes;
}

std::uint64_t Project::fileFingerprint() const
{
    Fingerprint print;
    print.add(static_cast<std::int64_t>(state_.simulationLength));
    print.add(static_cast<std::int64_t>(state_.stepsPerDay));
    print.add(static_cast<std::int64_t>(daysFingerprint_));
    for (const DayNode &node : state_.days.active())
        print.addAll(node.box.values());
    print.addAll(state_.parameters.values());
    print.addAll(state_.initial.values());
    print.add(static_cast<std::int64_t>(state_.initial.dayNumber()));
    print.add(static_cast<std::int64_t>(state_.observedLength));
    // An observed cell as the file holds it: its number, however it is written.
    for (int r = 1; r <= state_.observedLength; ++r) {
        for (int c = 1; c <= kObservedColumns; ++c) {
            std::optional<double> value = observed_.number(c, r);
            if (!value)
                value = TryParseDouble(observed_.cell(c, r));
            if (value)
                print.add(*value);
            else
                print.add(std::string_view(observed_.cell(c, r)));
        }
    }
    print.add(static_cast<std::int64_t>(state_.climate));
    for (const std::string &text : designInputs_) {
        const std::optional<double> value
            = text.empty() ? std::optional<double>(kEmptyValue) : TryParseDouble(text);
        if (value)
            print.add(*value);
        else
            print.add(std::string_view(text));
    }
    return print.value();
}

// ---------------------------------------------------------------------------------------------
// Listeners and the end of every operation

int Project::subscribe(Listener listener)
{
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void Project::unsubscribe(int id)
{
    std::erase_if(listeners_, [id](const auto &entry) { return entry.first == id; });
}

ProjectChange Project::finish(PartSet parts, std::optional<DayRange> days)
{
    updateFingerprints(parts);
    return settle(parts, days);
}

ProjectChange Project::settle(PartSet parts, std::optional<DayRange> days)
{
    const DerivedSet before = stale_;
    updateStaleness((parts | kNoDayParts) != kNoDayParts);
    ProjectChange change;
    change.parts = parts;
    change.days = days;
    change.staled = stale_ - before;
    change.refreshed = before - stale_;
    // A listener may unsubscribe itself, so they are called from a copy.
    const auto listeners = listeners_;
    for (const auto &[id, listener] : listeners)
        listener(change);
    return change;
}

void Project::updateFingerprints(PartSet parts)
{
    if (parts.contains(ProjectPart::Days) || parts.contains(ProjectPart::Settings))
        daysFingerprint_ = DaysFingerprint(state_);
    runFingerprint_ = RunInputsFingerprint(state_, daysFingerprint_, true);
}

std::uint64_t Project::designFingerprint() const
{
    Fingerprint print;
    for (const std::string &text : designInputs_) {
        if (const std::optional<double> value = TryParseDouble(text))
            print.add(*value);
        else
            print.add(std::string_view(text));
    }
    if (basis_.designTypeKnown)
        print.add(static_cast<std::int64_t>(wetlandType_ ? static_cast<int>(*wetlandType_) : -1));
    return print.value();
}

void Project::updateStaleness(bool walkDays)
{
    DerivedSet stale;
    if (basis_.design && designFingerprint() != *basis_.design)
        stale.insert(Derived::DesignResults);
    if (walkDays) {
        judgeDays(stale);
    } else {
        for (Derived derived : {Derived::WaterVolume, Derived::RetentionTimes}) {
            if (stale_.contains(derived))
                stale.insert(derived);
        }
    }
    if (basis_.results && runFingerprint_ != *basis_.results) {
        stale.insert(Derived::Results);
        stale.insert(Derived::Fit);
    }
    if (bands_ && bands_->inputs != runFingerprint_)
        stale.insert(Derived::Bands);
    if (undo_ && undo_->inputs != RunInputsFingerprint(state_, daysFingerprint_, false))
        stale.insert(Derived::CalibrationUndo);
    stale_ = stale;
}

void Project::judgeDays(DerivedSet &stale)
{
    // One walk over the days judges both the box water volumes (each against the one calculated)
    // and the retention times (each day's flow against the one its time was calculated for).
    const DayNode &first = state_.days.first();
    bool water = false;
    bool walkWater = false;
    if (basis_.water) {
        const std::array<double, 2> now {
            state_.initial.get(BoxField::VO), first.day.get(DayField::porosity)};
        water = now != *basis_.water;
        walkWater = !water;
    }
    const bool walkRtb = basis_.rtbComputed;
    const bool allDays = first.day.get(DayField::boxWaterVolume) != basis_.rtbBoxWater;
    std::vector<bool> rtbDays(
        walkRtb ? static_cast<std::size_t>(state_.simulationLength) : 0, false);
    if (walkWater || walkRtb) {
        std::size_t i = 0;
        DayList::Lookahead lookahead(state_.days);
        for (const DayNode &node : state_.days.active()) {
            lookahead.step();
            if (walkWater && node.day.get(DayField::boxWaterVolume) != basis_.waterValue) {
                water = true;
                walkWater = false;
                if (!walkRtb)
                    break;
            }
            if (walkRtb) {
                const bool entered = i < basis_.rtbEntered.size() && basis_.rtbEntered[i];
                if (!entered) {
                    rtbDays[i] = allDays || i >= basis_.rtbFlows.size()
                        || node.day.get(DayField::waterFlow) != basis_.rtbFlows[i];
                }
            }
            ++i;
        }
    }
    if (water)
        stale.insert(Derived::WaterVolume);
    staleRtbDays_ = RangesOf(rtbDays);
    if (!staleRtbDays_.empty())
        stale.insert(Derived::RetentionTimes);
}

void Project::markRtbComputed()
{
    basis_.rtbComputed = true;
    basis_.rtbBoxWater = state_.days.first().day.get(DayField::boxWaterVolume);
    const auto days = static_cast<std::size_t>(state_.simulationLength);
    basis_.rtbFlows.resize(days);
    basis_.rtbEntered.assign(days, false);
    std::size_t i = 0;
    DayList::Lookahead lookahead(state_.days);
    for (const DayNode &node : state_.days.active()) {
        lookahead.step();
        basis_.rtbFlows[i] = node.day.get(DayField::waterFlow);
        ++i;
    }
}

void Project::markRtbEntered(int firstDay, int lastDay, bool entered)
{
    if (basis_.rtbEntered.size() < static_cast<std::size_t>(lastDay))
        basis_.rtbEntered.resize(static_cast<std::size_t>(lastDay), false);
    for (int d = firstDay; d <= lastDay; ++d)
        basis_.rtbEntered[static_cast<std::size_t>(d - 1)] = entered;
}

void Project::resizeRtbBasis()
{
    const auto days = static_cast<std::size_t>(state_.simulationLength);
    if (basis_.rtbFlows.size() > days)
        basis_.rtbFlows.resize(days);
    if (basis_.rtbEntered.size() > days)
        basis_.rtbEntered.resize(days);
}

// After a run wrote back the inputs it clamped: every value that was current before it is
// current with the clamped inputs too.
void Project::rebaseCurrent(DerivedSet before)
{
    if (basis_.design && !before.contains(Derived::DesignResults))
        basis_.design = designFingerprint();
    const DayNode &first = state_.days.first();
    if (basis_.water && !before.contains(Derived::WaterVolume)) {
        basis_.water = {state_.initial.get(BoxField::VO), first.day.get(DayField::porosity)};
        basis_.waterValue = first.day.get(DayField::boxWaterVolume);
    }
    if (undo_ && !before.contains(Derived::CalibrationUndo))
        undo_->inputs = RunInputsFingerprint(state_, daysFingerprint_, false);
}

// ---------------------------------------------------------------------------------------------
// The project as a whole

ProjectChange Project::load(const LoadedProject &loaded)
{
    ApplyProject(loaded, state_);
    FillObservedGrid(loaded, observed_);
    designInputs_ = LoadedDesignTexts(loaded);
    wetlandType_.reset();
    drafts_.clear();
    undo_.reset();
    bands_.reset();
    report_ = ReportSettings();
    sideFileProblem_.clear();
    run_ = RecordedRun(state_);

    basis_ = Basis();
    basis_.designTypeKnown = false;
    basis_.design = designFingerprint();
    const DayNode &first = state_.days.first();
    basis_.water = {state_.initial.get(BoxField::VO), first.day.get(DayField::porosity)};
    basis_.waterValue = first.day.get(DayField::boxWaterVolume);
    markRtbComputed();
    updateFingerprints(kEverything);
    basis_.results = runFingerprint_;
    return settle(kEverything);
}

void Project::write(ByteSink &sink) const
{
    WriteProject(state_, observed_, designInputs_, sink);
}

std::string Project::text() const
{
    return ProjectText(state_, observed_, designInputs_);
}

void Project::save(const std::filesystem::path &path) const
{
    SaveProjectFile(path, state_, observed_, designInputs_);
}

ProjectChange Project::reset(ResetKind)
{
    state_.resetProject();
    designInputs_ = {};
    wetlandType_.reset();
    drafts_.clear();
    undo_.reset();
    bands_.reset();
    // The report belongs to the design it was written for.
    report_ = ReportSettings();
    sideFileProblem_.clear();
    // The last run's results stay on show (marked stale) until the next run.
    const std::optional<std::uint64_t> results = basis_.results;
    basis_ = Basis();
    basis_.results = results;
    return finish(kEverything);
}

ProjectChange Project::chooseClimate(std::int32_t climate)
{
    if (climate != kColdClimate && climate != kWarmClimate)
        throw Error("The climate must be " + std::to_string(kColdClimate) + " (cold) or "
            + std::to_string(kWarmClimate) + " (warm), not " + std::to_string(climate) + ".");
    state_.climate = climate;
    return finish({ProjectPart::Climate});
}

// ---------------------------------------------------------------------------------------------
// Design

ProjectChange Project::setDesignInput(int index, std::string text)
{
    if (index < 0 || index >= kDesignInputCount)
        throw Error("There is no design input " + std::to_string(index) + ".");
    designInputs_[static_cast<std::size_t>(index)] = std::move(text);
    return finish({ProjectPart::DesignInputs});
}

ProjectChange Project::setDesignInputs(const DesignTexts &texts)
{
    designInputs_ = texts;
    return finish({ProjectPart::DesignInputs});
}

ProjectChange Project::setWetlandType(std::optional<WetlandType> type)
{
    wetlandType_ = type;
    return finish({ProjectPart::DesignInputs});
}

ProjectChange Project::calculateDesign()
{
    const bool anyEmpty = std::any_of(designInputs_.begin(), designInputs_.end(),
        [](const std::string &text) { return text.empty(); });
    if (anyEmpty || !wetlandType_)
        throw Error("One or more input fields are empty!");
    const auto number
        = [this](int index) { return ParseDouble(designInputs_[static_cast<std::size_t>(index)]); };
    DesignInputs inputs;
    inputs.width = number(kWidth);
    inputs.length = number(kLength);
    inputs.depth = number(kDepth);
    inputs.slope = number(kSlope);
    inputs.particularMatter = number(kParticular);
    inputs.conductivity = number(kConductivity);
    inputs.precipitationFactor = number(kPrecipitation);
    inputs.flow = number(kFlow);
    CalculateDesign(inputs, *wetlandType_, state_.initial);
    basis_.designTypeKnown = true;
    basis_.design = designFingerprint();
    return finish({ProjectPart::DesignResults});
}

// ---------------------------------------------------------------------------------------------
// Initial values, parameters, time step

ProjectChange Project::setParameter(Parameter parameter, double value)
{
    state_.parameters.set(parameter, value);
    return finish({ProjectPart::Parameters});
}

ProjectChange Project::setParameters(const ModelParameters &parameters)
{
    state_.parameters = parameters;
    return finish({ProjectPart::Parameters});
}

ProjectChange Project::setInitialValue(Variable variable, int box, double value)
{
    state_.initial.setConcentration(variable, box, value);
    return finish({ProjectPart::Initial});
}

ProjectChange Project::setStepsPerDay(std::int32_t steps)
{
    if (steps > kMaxStepsPerDay)
        throw Error("The time step can be at most " + std::to_string(kMaxStepsPerDay)
            + " sub-steps per day.");
    state_.stepsPerDay = steps;
    return finish({ProjectPart::Settings});
}

// ---------------------------------------------------------------------------------------------
// Runs

ProjectChange Project::commitRun(RunResult &&result, std::uint64_t inputs)
{
    checkResult(result, inputs);
    adoptRun(std::move(result));
    return settle({ProjectPart::Days, ProjectPart::Parameters, ProjectPart::Initial,
        ProjectPart::Results, ProjectPart::Bands});
}

void Project::checkResult(const RunResult &result, std::uint64_t inputs) const
{
    if (result.cancelled)
        throw Cancelled("The simulation was cancelled; the project keeps its previous results.");
    if (inputs != runFingerprint_ || result.dayCount() != state_.simulationLength)
        throw Error("The project changed while it was being simulated, so these results belong to "
                    "other inputs and were not kept. Simulate again.");
}

void Project::adoptRun(RunResult &&result)
{
    const DerivedSet before = stale_;
    std::vector<bool> rtbStale(static_cast<std::size_t>(state_.simulationLength), false);
    for (const DayRange &range : staleRtbDays_) {
        for (int d = range.first; d <= range.last; ++d)
            rtbStale[static_cast<std::size_t>(d - 1)] = true;
    }
    const double boxWaterBefore = state_.days.first().day.get(DayField::boxWaterVolume);

    FrozenRun frozen = FreezeRun(std::move(result));
    CommitRun(std::move(result), state_);
    run_ = std::move(frozen);
    bands_.reset();
    updateFingerprints({ProjectPart::Days});
    basis_.results = runFingerprint_;
    rebaseCurrent(before);

    // The retention times of the days that were current stay current with the clamped flows.
    if (basis_.rtbComputed) {
        if (basis_.rtbBoxWater == boxWaterBefore)
            basis_.rtbBoxWater = state_.days.first().day.get(DayField::boxWaterVolume);
        std::size_t i = 0;
        DayList::Lookahead lookahead(state_.days);
        for (const DayNode &node : state_.days.active()) {
            if (i >= basis_.rtbFlows.size())
                break;
            lookahead.step();
            if (!rtbStale[i])
                basis_.rtbFlows[i] = node.day.get(DayField::waterFlow);
            ++i;
        }
    }
}

ProjectChange Project::simulate(const RunMonitor &monitor)
{
    checkRunnable();
    const std::uint64_t inputs = runFingerprint_;
    return commitRun(Simulate(runInput(), monitor), inputs);
}

namespace {

// The records as a run left them, to bring them back.
RunResult RecordsAsRun(const ModelState &state)
{
    RunResult run;
    run.parameters = state.parameters;
    run.initial = state.initial;
    run.days.reserve(static_cast<std::size_t>(state.days.activeCount()));
    run.boxes.reserve(static_cast<std::size_t>(state.days.count()));
    for (const DayNode &node : state.days.active()) {
        run.days.push_back(node.day);
        run.boxes.push_back(node.box);
    }
    run.boxes.push_back(state.days.last().box);
    return run;
}

} // namespace

ProjectChange Project::applyCalibration(const ModelParameters &parameters)
{
    checkRunnable();
    RunInput input = runInput();
    input.parameters = parameters;
    const std::uint64_t inputs = runFingerprint_;
    return applyCalibration(parameters, Simulate(std::move(input)), inputs);
}

ProjectChange Project::applyCalibration(
    const ModelParameters &parameters, RunResult &&run, std::uint64_t inputs)
{
    checkResult(run, inputs);
    CalibrationUndo undo;
    undo.parameters = state_.parameters;
    undo.run = RecordsAsRun(state_);
    undo.frozen = run_ ? *run_ : RecordedRun(state_);
    state_.parameters = parameters;
    adoptRun(std::move(run));
    undo.inputs = RunInputsFingerprint(state_, daysFingerprint_, false);
    undo_ = std::move(undo);
    return settle({ProjectPart::Days, ProjectPart::Parameters, ProjectPart::Initial,
        ProjectPart::Results, ProjectPart::Calibration, ProjectPart::Bands});
}

ProjectChange Project::undoCalibration()
{
    if (!undo_)
        throw Error("There is no calibration to undo.");
    if (stale(Derived::CalibrationUndo)) {
        undo_.reset();
        finish({ProjectPart::Calibration});
        throw Error("The project's forcing data, initial values, time step or climate changed "
                    "after the calibration was applied, so it can no longer be undone.");
    }
    CalibrationUndo undo = std::move(*undo_);
    undo_.reset();
    CommitRun(std::move(undo.run), state_);
    state_.parameters = undo.parameters;
    run_ = std::move(undo.frozen);
    bands_.reset();
    updateFingerprints({ProjectPart::Days});
    basis_.results = runFingerprint_;
    return settle({ProjectPart::Days, ProjectPart::Parameters, ProjectPart::Initial,
        ProjectPart::Results, ProjectPart::Calibration, ProjectPart::Bands});
}

bool Project::setBands(ProjectBands bands)
{
    if (bands.inputs != runFingerprint_)
        return false;
    for (const ProjectBands::Band &band : bands.series) {
        if (static_cast<int>(band.lower.size()) != state_.simulationLength)
            return false;
    }
    bands_ = std::move(bands);
    finish({ProjectPart::Bands});
    return true;
}

} // namespace carexa
