// The project document without a window: every operation either completes or leaves the saved
// bytes as they were, and marks stale exactly the derived values that depend on what it changed.

#include "project/project.h"

#include "io/csv_import.h"
#include "model/error.h"
#include "model/number_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <utility>
#include <vector>

using namespace carexa;
using carexa::testing_support::ExampleFile;

namespace {

using D = Derived;

// The cold example cut to 60 days, loaded, with water volumes and retention times calculated
// and simulated: every derived value current.
void LoadCurrent(Project &project, int days = 60)
{
    LoadedProject loaded = ReadProjectFile(ExampleFile("cold_climate_bed.mdl"));
    loaded.simulationLength = days;
    loaded.days.resize(static_cast<std::size_t>(days));
    loaded.dayBoxes.resize(static_cast<std::size_t>(days));
    loaded.stepsPerDay = 20;
    project.load(loaded);
    project.calculateWaterVolume();
    project.calculateRetentionTimes();
    project.simulate();
}

GridBlock Cell(const std::string &text)
{
    GridBlock block(1, 1);
    block.setText(0, 0, text);
    return block;
}

// Forcing grid columns.
constexpr int kTemperature = 1, kFlow = 2, kBod = 3, kRtb = 11;

// A table of imported forcing data: `values` for day 1.. in grid column `column`.
ImportedTable Imported(int column, const std::vector<double> &values, int firstDay = 1)
{
    ImportedTable table;
    table.target = ImportTarget::Forcing;
    table.columns = {column};
    for (std::size_t i = 0; i < values.size(); ++i) {
        table.days.push_back(firstDay + static_cast<std::int32_t>(i));
        table.values.push_back(values[i]);
    }
    table.lastDay = firstDay + static_cast<std::int32_t>(values.size()) - 1;
    return table;
}

std::string FlowText(const Project &project, int day)
{
    return project.forcingText(kFlow, day);
}

struct Operation
{
    const char *name;
    std::function<void(Project &)> operation;
    DerivedSet staled; ///< exactly these become stale
};

class EveryOperation : public testing::TestWithParam<Operation>
{ };

TEST_P(EveryOperation, MarksStaleExactlyWhatDependsOnIt)
{
    Project project;
    LoadCurrent(project);
    ASSERT_EQ(project.staleSet(), DerivedSet {}) << project.staleSet().text();
    std::vector<ProjectChange> told;
    project.subscribe([&told](const ProjectChange &change) { told.push_back(change); });
    GetParam().operation(project);
    EXPECT_EQ(project.staleSet(), GetParam().staled)
        << "stale: " << project.staleSet().text() << "; expected " << GetParam().staled.text();
    ASSERT_FALSE(told.empty());
    // What the listeners were told adds up to the same.
    DerivedSet staled;
    for (const ProjectChange &change : told)
        staled = (staled | change.staled) - change.refreshed;
    EXPECT_EQ(staled, GetParam().staled);
}

const Operation kOperations[] = {
    {"ANewFlow", [](Project &p) { p.setForcingCells(kFlow, 5, Cell("12.5")); },
        {D::RetentionTimes, D::Results, D::Fit}},
    {"TheSameFlowAgain", [](Project &p) { p.setForcingCells(kFlow, 5, Cell(FlowText(p, 5))); }, {}},
    {"AFlowChangedAndChangedBack",
        [](Project &p) {
            const std::string flow = FlowText(p, 5);
            p.setForcingCells(kFlow, 5, Cell("99"));
            p.setForcingCells(kFlow, 5, Cell(flow));
        },
        {}},
    {"ATypedRetentionTime", [](Project &p) { p.setForcingCells(kRtb, 5, Cell("4")); },
        {D::Results, D::Fit}},
    {"ATemperature", [](Project &p) { p.setForcingCells(kTemperature, 3, Cell("7.5")); },
        {D::Results, D::Fit}},
    {"TextThatIsNoNumber", [](Project &p) { p.setForcingCells(kBod, 3, Cell("abc")); }, {}},
    {"APorosity", [](Project &p) { p.setEveryDay(DayField::porosity, 0.3); },
        {D::WaterVolume, D::Results, D::Fit}},
    {"AnOxygen", [](Project &p) { p.setEveryDay(DayField::oxygenC, 1.5); }, {D::Results, D::Fit}},
    {"ADesignInput", [](Project &p) { p.setDesignInput(2, "0.8"); }, {D::DesignResults}},
    {"ADesignInputWrittenOtherwise",
        [](Project &p) { p.setDesignInput(0, p.designInputs()[0] + ".0"); }, {}},
    {"AWetlandTypeAfterALoad", [](Project &p) { p.setWetlandType(WetlandType::Natural); }, {}},
    {"ANewDesignVolume",
        [](Project &p) {
            p.setWetlandType(WetlandType::Constructed);
            p.setDesignInput(2, "0.9");
            p.calculateDesign();
        },
        {D::WaterVolume}},
    // A new surface area (AA) too: the run reads no design result.
    {"ANewDesignWidth",
        [](Project &p) {
            p.setWetlandType(WetlandType::Constructed);
            p.setDesignInput(0, "12");
            p.calculateDesign();
        },
        {D::WaterVolume}},
    {"AnotherWetlandTypeAfterACalculation",
        [](Project &p) {
            p.setWetlandType(WetlandType::Constructed);
            p.calculateDesign();
            p.setWetlandType(WetlandType::Natural);
        },
        {D::DesignResults}},
    {"AParameter", [](Project &p) { p.setParameter(Parameter::NC, 0.7); }, {D::Results, D::Fit}},
    {"AnInitialValue", [](Project &p) { p.setInitialValue(Variable::AMM, 2, 5); },
        {D::Results, D::Fit}},
    {"TheTimeStep", [](Project &p) { p.setStepsPerDay(30); }, {D::Results, D::Fit}},
    {"TheClimate", [](Project &p) { p.chooseClimate(kWarmClimate); }, {D::Results, D::Fit}},
    // The added days take day 1's bed, its box water volume included: the volumes stay current,
    // the added days have no retention time calculated for their flow.
    {"ALongerSimulation", [](Project &p) { p.setSimulationLength(70); },
        {D::RetentionTimes, D::Results, D::Fit}},
    {"AShorterSimulation", [](Project &p) { p.setSimulationLength(50); }, {D::Results, D::Fit}},
    {"FillingWithNothingEmpty", [](Project &p) { p.fillEmptyForcingDays(); }, {}},
    {"ResettingTheGrid", [](Project &p) { p.resetForcing(); }, {D::Results, D::Fit}},
    {"ApplyingPF", [](Project &p) { p.applyPrecipitationFactor(); }, {D::Results, D::Fit}},
    {"WaterVolumeAgain", [](Project &p) { p.calculateWaterVolume(); }, {}},
    {"RetentionTimesAgain", [](Project &p) { p.calculateRetentionTimes(); }, {}},
    {"ImportedFlows",
        [](Project &p) {
            p.importForcing(Imported(kFlow, {20, 21, 22}), ExtraDays::Drop, false);
        },
        {D::RetentionTimes, D::Results, D::Fit}},
    {"ImportedFlowsRecalculated",
        [](Project &p) {
            p.importForcing(Imported(kFlow, {20, 21, 22}), ExtraDays::Drop, true);
        },
        {D::Results, D::Fit}},
    {"ImportedRetentionTimes",
        [](Project &p) {
            p.importForcing(Imported(kRtb, {3, 3}), ExtraDays::Drop, false);
        },
        {D::Results, D::Fit}},
    {"FlowsFromAScript",
        [](Project &p) {
            p.setDayValues(DayField::waterFlow, 58, {30, 31, 32});
        },
        {D::RetentionTimes, D::Results, D::Fit}},
    {"RetentionTimesFromAScript",
        [](Project &p) { p.setDayValues(DayField::RTB, 1, std::vector<double>(60, 2.5)); },
        {D::Results, D::Fit}},
    {"AnObservedValue", [](Project &p) { p.setObservedCells(1, 7, Cell("12")); }, {}},
    {"TheObservedLength", [](Project &p) { p.setObservedLength(30); }, {}},
    {"SimulatingAgain", [](Project &p) { p.simulate(); }, {}},
    {"AParameterAfterBands",
        [](Project &p) {
            ProjectBands bands;
            for (auto &band : bands.series)
                band.lower = band.median = band.upper = std::vector<double>(60, 1.0);
            bands.inputs = p.runInputsFingerprint();
            ASSERT_TRUE(p.setBands(bands));
            p.setParameter(Parameter::OC, 0.3);
        },
        {D::Results, D::Fit, D::Bands}},
    {"ATemperatureAfterACalibration",
        [](Project &p) {
            ModelParameters calibrated = p.state().parameters;
            calibrated.set(Parameter::NC, 0.9);
            p.applyCalibration(calibrated);
            p.setForcingCells(kTemperature, 2, Cell("3"));
        },
        {D::Results, D::Fit, D::CalibrationUndo}},
    {"AParameterAfterACalibration",
        [](Project &p) {
            ModelParameters calibrated = p.state().parameters;
            calibrated.set(Parameter::NC, 0.9);
            p.applyCalibration(calibrated);
            p.setParameter(Parameter::OC, 0.3);
        },
        {D::Results, D::Fit}},
    // What the report keeps is no input of anything derived.
    {"TheReportSettings",
        [](Project &p) {
            ReportSettings settings;
            settings.title = "Bed 2";
            settings.limits.push_back(PermitLimit {.column = 3, .value = 10});
            p.setReportSettings(settings);
        },
        {}},
    {"AnAnalysisKeptForTheReport",
        [](Project &p) {
            KeptAnalyses ran;
            ran.compliance.emplace();
            ran.compliance->inputs = p.runInputsFingerprint();
            p.keepAnalyses(ran);
        },
        {}},
};

INSTANTIATE_TEST_SUITE_P(Project, EveryOperation, testing::ValuesIn(kOperations),
    [](const testing::TestParamInfo<Operation> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Refusals change nothing

struct Refusal
{
    const char *name;
    std::function<void(Project &)> prepare; ///< before the bytes are taken
    std::function<void(Project &)> operation;
    bool dropsUndo = false; ///< the refusal also drops the calibration undo it refuses
};

class EveryRefusal : public testing::TestWithParam<Refusal>
{ };

// The bytes a save writes, or the save's refusal (a design input that is no number).
std::string SavedBytes(const Project &project)
{
    try {
        return project.text();
    } catch (const Error &e) {
        return std::string("refused: ") + e.what();
    }
}

TEST_P(EveryRefusal, LeavesTheSavedBytesAsTheyWere)
{
    Project project;
    LoadCurrent(project);
    if (GetParam().prepare)
        GetParam().prepare(project);
    const std::string before = SavedBytes(project);
    const DerivedSet stale = project.staleSet();
    const auto drafts = project.forcingDrafts();
    const std::uint64_t file = project.fileFingerprint();
    int told = 0;
    project.subscribe([&told](const ProjectChange &) { ++told; });
    EXPECT_THROW(GetParam().operation(project), Error);
    EXPECT_TRUE(SavedBytes(project) == before) << "the saved bytes changed";
    EXPECT_EQ(project.fileFingerprint(), file);
    EXPECT_EQ(project.forcingDrafts(), drafts);
    if (GetParam().dropsUndo) {
        EXPECT_FALSE(project.calibrationUndo().has_value());
        EXPECT_EQ(project.staleSet(), (stale - DerivedSet {D::CalibrationUndo}));
        return;
    }
    EXPECT_EQ(project.staleSet(), stale);
    EXPECT_EQ(told, 0);
}

const Refusal kRefusals[] = {
    {"DesignWithAnEmptyInput",
        [](Project &p) {
            p.setWetlandType(WetlandType::Constructed);
            p.setDesignInput(4, "");
        },
        [](Project &p) { p.calculateDesign(); }},
    {"DesignWithoutAType", {}, [](Project &p) { p.calculateDesign(); }},
    {"DesignWithTextThatIsNoNumber",
        [](Project &p) {
            p.setWetlandType(WetlandType::Natural);
            p.setDesignInput(1, "3x");
        },
        [](Project &p) { p.calculateDesign(); }},
    {"DesignWithAZeroWidth",
        [](Project &p) {
            p.setWetlandType(WetlandType::Constructed);
            p.setDesignInput(0, "0");
        },
        [](Project &p) { p.calculateDesign(); }},
    {"CellsPastTheLastColumn", {},
        [](Project &p) { p.setForcingCells(11, 1, GridBlock(2, 1, "1")); }},
    {"CellsPastTheLastDay", {}, [](Project &p) { p.setForcingCells(1, 60, GridBlock(1, 2, "1")); }},
    {"FillWithADraft", [](Project &p) { p.setForcingCells(kBod, 4, Cell("x1")); },
        [](Project &p) { p.fillEmptyForcingDays(); }},
    {"PFWithADraftOnDayOne", [](Project &p) { p.setForcingCells(kBod + 2, 1, Cell("?")); },
        [](Project &p) { p.applyPrecipitationFactor(); }},
    {"RetentionTimesWithANoFlowDay", [](Project &p) { p.setForcingCells(kFlow, 9, Cell("0")); },
        [](Project &p) { p.calculateRetentionTimes(); }},
    {"NoDays", {}, [](Project &p) { p.setSimulationLength(0); }},
    {"TooManyDays", {}, [](Project &p) { p.setSimulationLength(kMaxDays + 1); }},
    {"ImportForTheObservedValues", {},
        [](Project &p) {
            ImportedTable table = Imported(kFlow, {1});
            table.target = ImportTarget::Observed;
            p.importForcing(table, ExtraDays::Drop, false);
        }},
    {"ImportPastTheLastDay", {},
        [](Project &p) {
            p.importForcing(Imported(kFlow, {1, 2}, 61), ExtraDays::Drop, false);
        }},
    {"ImportOverADraft", [](Project &p) { p.setForcingCells(kTemperature, 4, Cell("warm")); },
        [](Project &p) { p.importForcing(Imported(kFlow, {5}), ExtraDays::Drop, false); }},
    {"ImportRecalculatedWithANoFlowDay", {},
        [](Project &p) {
            p.importForcing(Imported(kFlow, {7, 0, 7}), ExtraDays::Drop, true);
        }},
    {"ImportRecalculatedOverADayWithoutFlow",
        [](Project &p) { p.setForcingCells(kFlow, 1, Cell("0")); },
        [](Project &p) { p.importForcing(Imported(kBod, {7}), ExtraDays::Drop, true); }},
    {"ScriptValuesPastTheLastDay", {},
        [](Project &p) {
            p.setDayValues(DayField::temperature, 59, {1, 2, 3});
        }},
    {"ScriptObservedValuesPastTheLength", {}, [](Project &p) { p.setObservedValues(12, 1, {1}); }},
    {"AClimateThatIsNone", {}, [](Project &p) { p.chooseClimate(3); }},
    {"ObservedCellsPastTheLength", {},
        [](Project &p) { p.setObservedCells(1, p.state().observedLength + 1, Cell("1")); }},
    {"ANegativeObservedLength", {}, [](Project &p) { p.setObservedLength(-1); }},
    {"TooManyTimeSteps", {}, [](Project &p) { p.setStepsPerDay(kMaxStepsPerDay + 1); }},
    {"SimulatingWithoutTimeSteps", [](Project &p) { p.setStepsPerDay(0); },
        [](Project &p) { p.simulate(); }},
    {"ACancelledRun", {}, [](Project &p) { p.simulate([](int done, int) { return done < 10; }); }},
    {"UndoWithoutACalibration", {}, [](Project &p) { p.undoCalibration(); }},
    {"APermitLimitOnNoOutflow", {},
        [](Project &p) {
            ReportSettings settings;
            settings.limits.push_back(PermitLimit {.column = 6, .value = 10});
            p.setReportSettings(settings);
        }},
    {"UndoAfterTheForcingChanged",
        [](Project &p) {
            ModelParameters calibrated = p.state().parameters;
            calibrated.set(Parameter::NC, 0.8);
            p.applyCalibration(calibrated);
            p.setForcingCells(kTemperature, 2, Cell("3"));
        },
        [](Project &p) { p.undoCalibration(); }, true},
};

INSTANTIATE_TEST_SUITE_P(Project, EveryRefusal, testing::ValuesIn(kRefusals),
    [](const testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

TEST(ProjectRuns, AResultOfOtherInputsIsNotKept)
{
    Project project;
    LoadCurrent(project);
    const double ac = project.state().parameters.get(Parameter::AC);
    const std::uint64_t inputs = project.runInputsFingerprint();
    RunResult first = Simulate(project.runInput());
    RunResult second = Simulate(project.runInput());
    project.setParameter(Parameter::AC, 0.4);
    const std::string changed = project.text();
    const FrozenRun run = *project.run();
    EXPECT_THROW(project.commitRun(std::move(first), inputs), Error);
    EXPECT_TRUE(project.text() == changed);
    EXPECT_EQ(*project.run(), run);
    EXPECT_TRUE(project.stale(D::Results));
    // With the value taken back the inputs are those of the copy again: the result is kept.
    project.setParameter(Parameter::AC, ac);
    EXPECT_NO_THROW(project.commitRun(std::move(second), inputs));
    EXPECT_FALSE(project.stale(D::Results));
}

} // namespace

// A calibration's copy stays current while only the parameters change (it applies and undoes
// them itself); any other run input changed, and changed back, tells.
TEST(ProjectRuns, TheInputsButTheParametersIgnoreOnlyTheParameters)
{
    Project project;
    LoadCurrent(project);
    const std::uint64_t before = project.runInputsButParametersFingerprint();
    const std::uint64_t all = project.runInputsFingerprint();
    EXPECT_NE(before, all);
    project.setParameter(Parameter::AC, 0.4);
    EXPECT_EQ(project.runInputsButParametersFingerprint(), before);
    EXPECT_NE(project.runInputsFingerprint(), all);

    const std::int32_t steps = project.state().stepsPerDay;
    project.setStepsPerDay(steps + 1);
    EXPECT_NE(project.runInputsButParametersFingerprint(), before);
    project.setStepsPerDay(steps);
    EXPECT_EQ(project.runInputsButParametersFingerprint(), before);

    const double initial = project.state().initial.concentration(Variable::BOD5, 1);
    project.setInitialValue(Variable::BOD5, 1, initial + 1);
    EXPECT_NE(project.runInputsButParametersFingerprint(), before);
    project.setInitialValue(Variable::BOD5, 1, initial);

    project.setDayValues(DayField::waterFlow, 3, {123.0});
    EXPECT_NE(project.runInputsButParametersFingerprint(), before);
}

// What the document keeps besides its records, as the benchmarks count it per day: the frozen
// run (eleven numbers and a byte of flags a day), the flows and retention times the times were
// calculated from (two numbers and a bit a day), the observed grid; then the bands and the run
// kept for undoing a calibration on top.
TEST(ProjectMemory, KeptBytesCountWhatTheDocumentHoldsPerDay)
{
    constexpr std::size_t days = 60;
    Project project;
    LoadCurrent(project, static_cast<int>(days));
    const std::size_t observed = project.observed().storedBytes();
    EXPECT_GE(observed, 11 * days * sizeof(double));
    const std::size_t run = 11 * days * sizeof(double) + days;
    const std::size_t basis = days * sizeof(double) + days / 8;
    const std::size_t loaded = project.keptBytes();
    EXPECT_GE(loaded, observed + run + basis);
    EXPECT_LE(loaded, observed + run + basis + 64);

    ProjectBands bands;
    for (auto &band : bands.series)
        band.lower = band.median = band.upper = std::vector<double>(days, 1.0);
    bands.inputs = project.runInputsFingerprint();
    ASSERT_TRUE(project.setBands(bands));
    const std::size_t withBands = project.keptBytes();
    EXPECT_EQ(withBands - loaded, 3 * 11 * days * sizeof(double));

    ModelParameters calibrated = project.state().parameters;
    calibrated.set(Parameter::NC, 0.9);
    project.applyCalibration(calibrated);
    // The bands go with the new run; the undo keeps the old run's days, boxes and results.
    EXPECT_GE(project.keptBytes(), loaded + days * (sizeof(DayValues) + sizeof(BoxValues)) + run);
}

// A design input is one of the eight, numbered 0 to 7.
TEST(ProjectDesign, DesignInputsAreNumberedZeroToSeven)
{
    Project project;
    EXPECT_NO_THROW(project.setDesignInput(0, "10"));
    EXPECT_NO_THROW(project.setDesignInput(7, "6"));
    EXPECT_EQ(project.designInputs()[0], "10");
    EXPECT_EQ(project.designInputs()[7], "6");
    EXPECT_THROW(project.setDesignInput(-1, "1"), Error);
    EXPECT_THROW(project.setDesignInput(8, "1"), Error);
}

// ---------------------------------------------------------------------------------------------
// The design report's settings

namespace {

ReportSettings WithLimit(int column, double value)
{
    ReportSettings settings;
    settings.title = "Reed bed at Nordfeld";
    settings.limits.push_back(PermitLimit {.column = column, .value = value});
    return settings;
}

// Whether `settings` hold the report of a limit on `column` of `value` as WithLimit makes it.
bool HoldsLimit(const ReportSettings &settings, int column, double value)
{
    return settings.title == "Reed bed at Nordfeld" && settings.limits.size() == 1
        && settings.limits[0] == PermitLimit {.column = column, .value = value};
}

bool NoReport(const ReportSettings &settings)
{
    return settings.title.empty() && settings.limits.empty() && !settings.designAssistant
        && settings.analyses.empty();
}

} // namespace

// A permit limit is a number above 0 on one of the five outflows, as the side file keeps it; a
// refused one leaves the settings as they were and tells nobody.
TEST(ProjectReport, APermitLimitIsANumberAboveZeroOnAnOutflow)
{
    for (const auto &[column, value] :
        std::vector<std::pair<int, double>> {{1, 25}, {5, 0.5}, {3, 1e-9}}) {
        Project project;
        const ProjectChange change = project.setReportSettings(WithLimit(column, value));
        EXPECT_TRUE(change.parts == PartSet {ProjectPart::Report}) << column;
        EXPECT_TRUE(change.staled.empty());
        ASSERT_EQ(project.reportSettings().limits.size(), 1u);
        EXPECT_EQ(project.reportSettings().limits[0].column, column);
        EXPECT_EQ(project.reportSettings().title, "Reed bed at Nordfeld");
    }
    for (const auto &[column, value] : std::vector<std::pair<int, double>> {{0, 25}, {6, 25},
             {2, 0}, {2, -3}, {2, std::numeric_limits<double>::quiet_NaN()},
             {2, std::numeric_limits<double>::infinity()}}) {
        Project project;
        project.setReportSettings(WithLimit(1, 30));
        int told = 0;
        project.subscribe([&told](const ProjectChange &) { ++told; });
        EXPECT_THROW(project.setReportSettings(WithLimit(column, value)), Error)
            << column << " " << value;
        EXPECT_TRUE(HoldsLimit(project.reportSettings(), 1, 30));
        EXPECT_EQ(told, 0);
    }
}

// An analysis kept for the report takes the place of the one of its kind only.
TEST(ProjectReport, AKeptAnalysisReplacesOnlyItsOwnKind)
{
    Project project;
    KeptAnalyses first;
    first.morris.emplace().seed = 11;
    first.compliance.emplace().seed = 12;
    project.keepAnalyses(first);
    KeptAnalyses second;
    second.compliance.emplace().seed = 21;
    second.calibration.emplace().seed = 22;
    const ProjectChange change = project.keepAnalyses(second);
    EXPECT_TRUE(change.parts == PartSet {ProjectPart::Report});
    const KeptAnalyses &kept = project.reportSettings().analyses;
    ASSERT_TRUE(kept.morris && kept.compliance && kept.calibration);
    EXPECT_FALSE(kept.sobol);
    EXPECT_FALSE(kept.conditioning);
    EXPECT_EQ(kept.morris->seed, 11u);
    EXPECT_EQ(kept.compliance->seed, 21u);
    EXPECT_EQ(kept.calibration->seed, 22u);

    AssistantInputs inputs;
    inputs.depth = 0.45;
    project.keepAssistant(inputs);
    ASSERT_TRUE(project.reportSettings().designAssistant);
    EXPECT_EQ(project.reportSettings().designAssistant->inputs.depth, 0.45);
    EXPECT_EQ(project.reportSettings().analyses.morris->seed, 11u); // the analyses stay
}

// The report belongs to the project it was written for: a load starts without one (until its
// side file is taken), New and Close drop it, and a written side file ends a problem found at
// the load.
TEST(ProjectReport, ALoadNewAndCloseStartWithoutTheOldReport)
{
    for (const Project::ResetKind kind : {Project::ResetKind::New, Project::ResetKind::Close}) {
        Project project;
        project.takeSideFile(WithLimit(2, 8), "The side file p.carexa.json is damaged.");
        EXPECT_EQ(project.sideFileProblem(), "The side file p.carexa.json is damaged.");
        EXPECT_EQ(project.reportSettings().limits.size(), 1u);
        const ProjectChange change = project.reset(kind);
        EXPECT_TRUE(change.parts.contains(ProjectPart::Report));
        EXPECT_TRUE(NoReport(project.reportSettings()));
        EXPECT_EQ(project.sideFileProblem(), "");
    }
    Project project;
    project.takeSideFile(WithLimit(2, 8), "damaged");
    project.sideFileWritten();
    EXPECT_EQ(project.sideFileProblem(), "");
    EXPECT_TRUE(HoldsLimit(project.reportSettings(), 2, 8));
    LoadCurrent(project);
    EXPECT_TRUE(NoReport(project.reportSettings()));
    project.takeSideFile(WithLimit(4, 1), "");
    EXPECT_TRUE(HoldsLimit(project.reportSettings(), 4, 1));
}
