// What the project says about its derived values: fingerprints of values, the days whose
// retention times are stale and the line that says so, the design guard, and the file's
// fingerprint.

#include "project/project.h"
#include "project/staleness.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/rounding.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace carexa;
using carexa::testing_support::ExampleFile;

namespace {

using D = Derived;

GridBlock Column(const std::vector<std::string> &texts)
{
    GridBlock block(1, static_cast<int>(texts.size()));
    for (std::size_t i = 0; i < texts.size(); ++i)
        block.setText(0, static_cast<int>(i), texts[i]);
    return block;
}

// Day `day`'s water flow in the cold example.
double ExampleFlow(int day)
{
    return ReadProjectFile(ExampleFile("cold_climate_bed.mdl"))
        .days[static_cast<std::size_t>(day - 1)]
        .get(DayField::waterFlow);
}

void LoadExample(Project &project, int days = 60)
{
    LoadedProject loaded = ReadProjectFile(ExampleFile("cold_climate_bed.mdl"));
    loaded.simulationLength = days;
    loaded.days.resize(static_cast<std::size_t>(days));
    loaded.dayBoxes.resize(static_cast<std::size_t>(days));
    project.load(loaded);
}

TEST(Fingerprint, EqualValuesAlikeAnyOtherValueNot)
{
    const auto of = [](std::vector<double> values) { return Fingerprint().addAll(values).value(); };
    EXPECT_EQ(of({1, 2, 3}), of({1, 2, 3}));
    EXPECT_NE(of({1, 2, 3}), of({1, 3, 2}));
    EXPECT_NE(of({1, 2, 3}), of({1, 2, 3, 0}));
    EXPECT_NE(of({0.0}), of({-0.0}));
    EXPECT_NE(of({0.1}), of({std::nextafter(0.1, 1.0)}));
    EXPECT_NE(of({}), of({0.0}));
    EXPECT_EQ(Fingerprint().add("abcdefghij").value(), Fingerprint().add("abcdefghij").value());
    EXPECT_NE(Fingerprint().add("abcdefghij").value(), Fingerprint().add("abcdefghik").value());
    EXPECT_NE(Fingerprint().add("").value(), Fingerprint().value());
    EXPECT_NE(Fingerprint().add("xbc").value(), Fingerprint().add("abc").value());
    EXPECT_NE(Fingerprint().add("xbcdefghij").value(), Fingerprint().add("abcdefghij").value());
    // Every byte counts, past the first eight as well.
    for (std::size_t at = 0; at < 17; ++at) {
        std::string a(17, 'a'), b(17, 'a');
        b[at] = 'b';
        EXPECT_NE(Fingerprint().add(a).value(), Fingerprint().add(b).value()) << "byte " << at;
    }
    EXPECT_NE(Fingerprint().add("a").add("b").value(), Fingerprint().add("ab").value());
}

// The days' fingerprint takes every field of every day by its bits: the same values give the
// same print, and any one field changed on the first, a middle or the last day, a value moved to
// another field or day, 0 for -0, or one day more, another.
TEST(Fingerprint, EveryFieldOfEveryDayTakesPartInTheDaysFingerprint)
{
    const auto days = [](int count) {
        ModelState state;
        state.days.resize(count + 1);
        state.simulationLength = count;
        int k = 0;
        for (DayNode &node : state.days.active()) {
            ++k;
            for (int f = 0; f < kDayFieldCount; ++f)
                node.day.set(static_cast<DayField>(f), k * 100 + f + 0.5);
        }
        return state;
    };
    const ModelState base = days(9);
    const std::uint64_t print = DaysFingerprint(base);
    EXPECT_EQ(DaysFingerprint(days(9)), print);
    EXPECT_NE(DaysFingerprint(days(10)), print);
    EXPECT_NE(DaysFingerprint(days(8)), print);
    for (int day : {1, 5, 9}) {
        for (int f = 0; f < kDayFieldCount; ++f) {
            const auto field = static_cast<DayField>(f);
            ModelState changed = base;
            DayValues &values = changed.days.node(day).day;
            values.set(field, std::nextafter(values.get(field), 1e9));
            EXPECT_NE(DaysFingerprint(changed), print) << "day " << day << ", field " << f;
            // Two fields of a day swapped, and one field of two days swapped.
            ModelState swapped = base;
            DayValues &here = swapped.days.node(day).day;
            const auto other = static_cast<DayField>((f + 1) % kDayFieldCount);
            const double value = here.get(field);
            here.set(field, here.get(other));
            here.set(other, value);
            EXPECT_NE(DaysFingerprint(swapped), print) << "day " << day << ", fields " << f;
            ModelState moved = base;
            DayValues &next = moved.days.node(day % 9 + 1).day;
            const double mine = moved.days.node(day).day.get(field);
            moved.days.node(day).day.set(field, next.get(field));
            next.set(field, mine);
            EXPECT_NE(DaysFingerprint(moved), print) << "days " << day << ", field " << f;
        }
    }
    ModelState zero = base, negativeZero = base;
    zero.days.node(3).day.set(DayField::porosity, 0.0);
    negativeZero.days.node(3).day.set(DayField::porosity, -0.0);
    EXPECT_NE(DaysFingerprint(zero), DaysFingerprint(negativeZero));
    ModelState nan = base, sameNan = base;
    nan.days.node(3).day.set(DayField::porosity, std::numeric_limits<double>::quiet_NaN());
    sameNan.days.node(3).day.set(DayField::porosity, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(DaysFingerprint(nan), DaysFingerprint(sameNan));
    EXPECT_NE(DaysFingerprint(nan), print);
    // The spare node after the last day is no day.
    ModelState spare = base;
    spare.days.last().day.set(DayField::waterFlow, 12);
    EXPECT_EQ(DaysFingerprint(spare), print);
}

TEST(DayRanges, RunsOfDaysAndTheirText)
{
    EXPECT_EQ(RangesOf({}), std::vector<DayRange> {});
    EXPECT_EQ(RangesOf({true, true, false, true, false, false, true, true, true}),
        (std::vector<DayRange> {{1, 2}, {4, 4}, {7, 9}}));
    EXPECT_EQ(RangesOf({false, true}), (std::vector<DayRange> {{2, 2}}));
    EXPECT_EQ(DayRangesText({{1, 365}}), "1-365");
    EXPECT_EQ(DayRangesText({{3, 3}}), "3");
    EXPECT_EQ(DayRangesText({{2, 4}, {9, 9}}), "2-4 and 9");
    EXPECT_EQ(DayRangesText({{2, 4}, {9, 9}, {12, 20}}), "2-4, 9 and 12-20");
    EXPECT_EQ(DayRangesText({{1, 1}, {3, 3}, {5, 5}, {7, 7}}), "1, 3, 5 and 7");
    EXPECT_EQ(DayRangesText({{1, 1}, {3, 3}, {5, 5}, {7, 7}, {9, 10}, {12, 12}}),
        "1, 3, 5, 7 and 3 more days");
    EXPECT_EQ(DayRangesText({{1, 1}, {3, 3}, {5, 5}, {7, 7}, {9, 9}}), "1, 3, 5, 7 and 1 more day");
}

TEST(DerivedSet, MembersAndText)
{
    DerivedSet set {D::RetentionTimes, D::WaterVolume};
    EXPECT_TRUE(set.contains(D::WaterVolume));
    EXPECT_FALSE(set.contains(D::Results));
    EXPECT_EQ(set.text(), "water volume, retention times");
    set.erase(D::WaterVolume);
    EXPECT_EQ(set, DerivedSet {D::RetentionTimes});
    EXPECT_EQ(
        (set | DerivedSet {D::Bands}) - DerivedSet {D::RetentionTimes}, DerivedSet {D::Bands});
    EXPECT_EQ(DerivedSet {}.text(), "nothing");
    EXPECT_TRUE(DerivedSet {}.empty());
}

TEST(RetentionStaleness, TheDaysWhoseFlowChangedAreNamed)
{
    Project project;
    LoadExample(project);
    // A loaded project's retention times count as the user's until the flows change.
    EXPECT_EQ(project.staleSet(), DerivedSet {});
    EXPECT_EQ(project.staleForcingText(), "");
    project.setForcingCells(2, 3, Column({"40", "41", "42"}));
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{3, 5}}));
    EXPECT_EQ(
        project.staleForcingText(), "Retention times were calculated for other flows on days 3-5.");
    project.setForcingCells(2, 10, Column({"40"}));
    EXPECT_EQ(project.staleForcingText(),
        "Retention times were calculated for other flows on days 3-5 and 10.");
    project.calculateRetentionTimes();
    EXPECT_EQ(project.staleSet(), (DerivedSet {D::Results, D::Fit}));
    EXPECT_EQ(project.staleForcingText(), "");
}

// Days a longer simulation adds have no retention time calculated for them: the first of them
// and those after it are stale, the calculated ones before them are not.
TEST(RetentionStaleness, DaysAddedAfterTheCalculationAreStaleFromTheFirstOfThem)
{
    Project project;
    LoadExample(project);
    project.calculateRetentionTimes();
    EXPECT_FALSE(project.stale(D::RetentionTimes));
    project.setSimulationLength(61);
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{61, 61}}));
    project.setSimulationLength(63);
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{61, 63}}));
    project.calculateRetentionTimes();
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {}));
}

TEST(RetentionStaleness, AnotherWaterVolumeMakesEveryDayStale)
{
    Project project;
    LoadExample(project);
    project.setEveryDay(DayField::porosity, 0.25);
    EXPECT_TRUE(project.stale(D::WaterVolume));
    const double before = project.waterVolume();
    EXPECT_EQ(before, 5 * project.state().days.node(1).day.get(DayField::boxWaterVolume));
    EXPECT_FALSE(project.stale(D::RetentionTimes));
    EXPECT_EQ(project.staleForcingText(),
        "Water volumes were calculated for another design volume or porosity.");
    project.calculateWaterVolume();
    EXPECT_FALSE(project.stale(D::WaterVolume));
    // 5 boxes of 0.25 x VO x 0.2: a quarter of the design volume.
    EXPECT_DOUBLE_EQ(project.waterVolume(), 0.25 * project.state().initial.get(BoxField::VO));
    EXPECT_NE(project.waterVolume(), before);
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{1, 60}}));
    EXPECT_EQ(
        project.staleForcingText(), "Retention times were calculated for another water volume.");
    project.setForcingCells(2, 7, Column({"1"}));
    EXPECT_EQ(project.staleForcingText(),
        "Retention times were calculated for other flows on days 1-60.");
}

TEST(RetentionStaleness, RetentionTimesTheUserEnteredAreNeverStale)
{
    Project project;
    LoadExample(project);
    project.setForcingCells(11, 4, Column({"3", "3"}));
    project.setForcingCells(2, 3, Column({"40", "41", "42", "43"}));
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{3, 3}, {6, 6}}));
    EXPECT_FALSE(project.retentionTimesEntered());

    // An imported RTB column is the user's too.
    ImportedTable table;
    table.columns = {11};
    for (int d = 1; d <= 60; ++d) {
        table.days.push_back(d);
        table.values.push_back(2);
    }
    table.lastDay = 60;
    project.importForcing(table, ExtraDays::Drop, false);
    EXPECT_TRUE(project.retentionTimesEntered());
    EXPECT_FALSE(project.stale(D::RetentionTimes));
    project.setEveryDay(DayField::porosity, 0.2);
    project.calculateWaterVolume();
    EXPECT_FALSE(project.stale(D::RetentionTimes));
}

// A new flow beside a typed retention time: only the day of the flow is stale, judged by the
// values as the operations leave them, and calculating takes the typed value back.
TEST(RetentionStaleness, ANewFlowBesideATypedRetentionTime)
{
    Project project;
    const ModelState &records = project.state();
    LoadExample(project);
    EXPECT_EQ(records.simulationLength, 60);

    // A new flow on day 4, a retention time typed on day 5 together with a new flow there.
    project.setDayValues(DayField::waterFlow, 4, {40, 41});
    const ProjectChange change = project.setDayValues(DayField::RTB, 5, {2.5});
    EXPECT_EQ(records.days.node(4).day.get(DayField::waterFlow), 40);
    EXPECT_EQ(records.days.node(5).day.get(DayField::RTB), 2.5);
    EXPECT_FALSE(change.staled.contains(D::RetentionTimes)); // stale since the flows
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{4, 4}}));
    EXPECT_EQ(
        project.staleForcingText(), "Retention times were calculated for other flows on day 4.");

    // Changed back: current again, judged by value.
    project.setDayValues(DayField::waterFlow, 4, {ExampleFlow(4)});
    EXPECT_FALSE(project.stale(D::RetentionTimes));

    // Calculated: day 5's typed value is replaced, and no longer the user's.
    project.calculateRetentionTimes();
    EXPECT_EQ(records.days.node(5).day.get(DayField::RTB), RoundPositive(38.4 / 41, 2));
    project.setDayValues(DayField::waterFlow, 5, {20});
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{5, 5}}));
}

// An edit that touches no day, design volume or porosity (an observed value, a design input, a
// parameter, the climate, the report) keeps the judgement of the days as it was, stale days and
// all; the next edit of a day judges them afresh.
TEST(RetentionStaleness, EditsBesideTheDaysKeepTheirJudgement)
{
    Project project;
    LoadExample(project);
    project.calculateWaterVolume();
    project.calculateRetentionTimes();
    const double porosity = project.state().days.first().day.get(DayField::porosity);
    project.setDayValues(DayField::waterFlow, 5, {44});
    project.setEveryDay(DayField::porosity, porosity + 0.05);
    const std::vector<DayRange> days {{5, 5}};
    ASSERT_EQ(project.staleRetentionDays(), days);
    ASSERT_TRUE(project.stale(D::WaterVolume));
    project.setObservedCells(1, 3, Column({"12"}));
    project.setDesignInput(0, "11");
    project.setParameter(Parameter::OC, 0.4);
    project.chooseClimate(kWarmClimate);
    project.setReportSettings(ReportSettings {});
    EXPECT_EQ(project.staleRetentionDays(), days);
    EXPECT_TRUE(project.stale(D::WaterVolume));
    EXPECT_TRUE(project.stale(D::RetentionTimes));
    EXPECT_TRUE(project.stale(D::DesignResults));
    project.setEveryDay(DayField::porosity, porosity);
    project.setDayValues(DayField::waterFlow, 5, {ExampleFlow(5)});
    EXPECT_FALSE(project.stale(D::WaterVolume));
    EXPECT_FALSE(project.stale(D::RetentionTimes));
}

TEST(RetentionStaleness, NewDaysAreStaleAndCutDaysAreGone)
{
    Project project;
    LoadExample(project, 30);
    project.setSimulationLength(34);
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{31, 34}}));
    project.setSimulationLength(20);
    EXPECT_FALSE(project.stale(D::RetentionTimes));
    // Days that come back are new days, whatever the days of that number held before.
    project.setSimulationLength(25);
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{21, 25}}));
}

TEST(RetentionStaleness, AProjectWhoseRetentionTimesWereNeverCalculatedHasNoneStale)
{
    Project project;
    project.setForcingCells(2, 1, Column({"10", "12", "14"}));
    project.setEveryDay(DayField::porosity, 0.4);
    EXPECT_EQ(project.staleSet(), DerivedSet {});
}

TEST(RetentionStaleness, FillingCarriesTheOriginOfARetentionTime)
{
    Project project;
    LoadExample(project, 10);
    project.calculateRetentionTimes();
    project.setForcingCells(11, 4, Column({"0.0001", "0.0001"}));
    project.setForcingCells(2, 4, Column({"7", "8"}));
    // Days 4 and 5 hold RTB the user cleared: theirs.
    EXPECT_FALSE(project.stale(D::RetentionTimes));
    project.resetForcing();
    EXPECT_FALSE(project.stale(D::RetentionTimes));
    project.setForcingCells(2, 1, Column({"10"}));
    project.calculateWaterVolume();
    EXPECT_FALSE(project.stale(D::RetentionTimes)); // a reset grid holds no calculated RTB

    Project other;
    LoadExample(other, 10);
    other.calculateRetentionTimes();
    other.setForcingCells(11, 5, Column({"0.0001"}));
    other.setForcingCells(2, 4, Column({"33"}));
    other.fillEmptyForcingDays();
    // Day 5 takes day 4's retention time, calculated for day 4's old flow: both are stale.
    EXPECT_EQ(other.staleRetentionDays(), (std::vector<DayRange> {{4, 5}}));

    // A retention time carried down was calculated for the flow of the day above: it is current
    // where the day's own flow is the same.
    Project same;
    LoadExample(same, 10);
    same.setForcingCells(2, 4, Column({"10", "10", "20"}));
    same.calculateRetentionTimes();
    same.setForcingCells(11, 5, Column({"0.0001"}));
    same.fillEmptyForcingDays();
    EXPECT_EQ(same.forcingText(11, 5), same.forcingText(11, 4));
    EXPECT_FALSE(same.stale(D::RetentionTimes));
    same.setForcingCells(2, 5, Column({"11"}));
    EXPECT_EQ(same.staleRetentionDays(), (std::vector<DayRange> {{5, 5}}));
}

TEST(RunStaleness, AClampingRunLeavesCurrentValuesCurrent)
{
    Project project;
    LoadExample(project, 20);
    project.setForcingCells(2, 1, Column({"0.5", "0.25"}));
    project.calculateWaterVolume();
    project.calculateRetentionTimes();
    project.setEveryDay(DayField::oxygenA, 30); // above 20: the run takes 20
    project.simulate();
    EXPECT_EQ(project.state().days.node(1).day.get(DayField::waterFlow), 1);
    EXPECT_EQ(project.state().days.node(1).day.get(DayField::oxygenA), 20);
    EXPECT_EQ(project.staleSet(), DerivedSet {});
    // A value stale before the run stays stale.
    project.setForcingCells(2, 7, Column({"55"}));
    project.simulate();
    EXPECT_EQ(project.staleSet(), DerivedSet {D::RetentionTimes});
    EXPECT_EQ(project.staleRetentionDays(), (std::vector<DayRange> {{7, 7}}));
}

// The run kept for undoing a calibration is judged as the other values: a clamping run keeps
// it current, but one stale before a run stays stale, and is then not undone.
TEST(RunStaleness, TheCalibrationUndoFollowsAClampingRunAsTheOtherValuesDo)
{
    Project project;
    LoadExample(project, 20);
    project.setEveryDay(DayField::oxygenA, 30); // the runs take 20
    ModelParameters calibrated = project.state().parameters;
    calibrated.set(Parameter::NC, 0.9);
    project.applyCalibration(calibrated);
    EXPECT_EQ(project.state().days.node(1).day.get(DayField::oxygenA), 20);
    EXPECT_FALSE(project.stale(D::CalibrationUndo));

    project.setForcingCells(2, 7, Column({"55"}));
    ASSERT_TRUE(project.stale(D::CalibrationUndo));
    project.simulate();
    EXPECT_TRUE(project.stale(D::CalibrationUndo));
    EXPECT_THROW(project.undoCalibration(), Error);
    EXPECT_EQ(project.state().parameters.get(Parameter::NC), 0.9);
}

TEST(RunStaleness, ARunMakesNoValueCurrentThatWasStaleOrNeverComputed)
{
    Project project;
    LoadExample(project, 20);
    project.setEveryDay(DayField::porosity, 0.3);
    ASSERT_TRUE(project.stale(D::WaterVolume));
    project.simulate();
    EXPECT_TRUE(project.stale(D::WaterVolume));

    // A new project's water volume was never calculated: a run does not make it a calculated one.
    Project fresh;
    fresh.chooseClimate(kColdClimate);
    fresh.simulate();
    fresh.setEveryDay(DayField::porosity, 0.3);
    fresh.setForcingCells(2, 3, Column({"12"}));
    EXPECT_EQ(fresh.staleSet(), (DerivedSet {D::Results, D::Fit}));
}

// Every initial concentration is an input of the run, the first variable's first box and the
// last variable's last box as much as any.
TEST(RunStaleness, EachInitialConcentrationMakesTheResultsStale)
{
    for (const auto &[variable, box] :
        {std::pair {Variable::BOD5, 0}, std::pair {Variable::TPO, 4}}) {
        Project project;
        LoadExample(project, 20);
        project.simulate();
        ASSERT_EQ(project.staleSet(), DerivedSet {});
        const double before = project.state().initial.concentration(variable, box);
        project.setInitialValue(variable, box, before + 1);
        EXPECT_EQ(project.staleSet(), (DerivedSet {D::Results, D::Fit})) << box;
        project.setInitialValue(variable, box, before);
        EXPECT_EQ(project.staleSet(), DerivedSet {}) << box;
    }
}

TEST(DesignGuard, AProjectHoldsADesignOnlyOnceItsResultsAreEntered)
{
    Project project;
    EXPECT_FALSE(project.holdsDesign());
    const DesignTexts example {"10", "30", "0.6", "1", "1", "1", "1", "6"};
    project.setDesignInputs(example);
    project.setWetlandType(WetlandType::Constructed);
    project.calculateDesign();
    EXPECT_TRUE(project.holdsDesign());
    project.setDesignInput(0, ""); // inputs cleared after a calculation: the results stay
    EXPECT_TRUE(project.holdsDesign());
    EXPECT_TRUE(project.stale(D::DesignResults));

    project.reset(Project::ResetKind::New);
    EXPECT_FALSE(project.holdsDesign());
    project.setDesignInputs(example);
    project.setWetlandType(WetlandType::Natural);
    project.calculateDesign();
    project.reset(Project::ResetKind::Close);
    EXPECT_FALSE(project.holdsDesign());

    LoadExample(project);
    EXPECT_TRUE(project.holdsDesign());
    // A result of 0 (as a file may hold one) is no design.
    LoadedProject zero = ParseProject(project.text());
    zero.initial.set(BoxField::NP, 0);
    project.load(zero);
    EXPECT_FALSE(project.holdsDesign());
    // A file saved without a design holds none.
    Project empty;
    empty.chooseClimate(kColdClimate);
    Project reloaded;
    reloaded.load(ParseProject(empty.text()));
    EXPECT_FALSE(reloaded.holdsDesign());
}

TEST(DesignCalculation, TheInputsGoWhereTheCalculatorReadsThem)
{
    // The worked example of a constructed bed.
    Project project;
    project.setDesignInputs({"10", "30", "0.6", "1", "1", "1", "1", "6"});
    project.setWetlandType(WetlandType::Constructed);
    project.calculateDesign();
    const BoxValues &design = project.state().initial;
    EXPECT_EQ(RoundDesignResult(design.get(BoxField::AA)), 300);
    EXPECT_EQ(RoundDesignResult(design.get(BoxField::VO)), 180);
    EXPECT_EQ(RoundDesignResult(design.get(BoxField::HL)), 0.02);
    EXPECT_EQ(RoundDesignResult(design.get(BoxField::HF)), 17);
    EXPECT_DOUBLE_EQ(RoundDesignResult(design.get(BoxField::FW)), 0.5882);
    EXPECT_EQ(RoundDesignResult(design.get(BoxField::FL)), 10);
    EXPECT_EQ(RoundDesignResult(design.get(BoxField::NP)), 51);
    // A natural bed: width 10, length 30, depth 0.6, PF 1.5, slope 0.2, AP 2, HC 1, flow 6 gives
    // RF 9 and a flow width of 9 / (1 x 0.2 x 0.6) = 75, wider than the bed: FW = LE, FL = WI.
    project.setDesignInputs({"10", "30", "0.6", "1.5", "0.2", "2", "1", "6"});
    project.setWetlandType(WetlandType::Natural);
    project.calculateDesign();
    EXPECT_EQ(design.get(BoxField::PF), 1.5);
    EXPECT_EQ(design.get(BoxField::RF), 9);
    EXPECT_EQ(design.get(BoxField::HF), 1);
    EXPECT_EQ(design.get(BoxField::FW), 30);
    EXPECT_EQ(design.get(BoxField::FL), 10);
    EXPECT_EQ(design.get(BoxField::NP), 1);
}

TEST(ProjectFile, TheFingerprintFollowsWhatTheFileHolds)
{
    Project project;
    LoadExample(project);
    const std::uint64_t saved = project.fileFingerprint();
    project.setWetlandType(WetlandType::Natural); // not in the file
    EXPECT_EQ(project.fileFingerprint(), saved);
    const std::string flow = project.forcingText(2, 9);
    project.setForcingCells(2, 9, Column({"77"}));
    EXPECT_NE(project.fileFingerprint(), saved);
    project.setForcingCells(2, 9, Column({flow}));
    EXPECT_EQ(project.fileFingerprint(), saved);
    project.setDesignInput(0, project.designInputs()[0] + ".000"); // the same number in the file
    EXPECT_EQ(project.fileFingerprint(), saved);
    const std::string observed = project.observed().cell(3, 2);
    project.setObservedCells(3, 2, Column({observed + "0"}));
    EXPECT_EQ(project.fileFingerprint(), saved) << observed;
    project.setObservedCells(3, 2, Column({"n/a"}));
    EXPECT_NE(project.fileFingerprint(), saved);
    project.setObservedLength(10);
    const std::uint64_t shorter = project.fileFingerprint();
    project.setObservedCells(3, 2, Column({"0.0001"}));
    EXPECT_NE(project.fileFingerprint(), shorter);
    project.setParameter(Parameter::TD, 1.07);
    EXPECT_NE(project.fileFingerprint(), shorter);
}

TEST(ProjectFile, ASavedProjectLoadsBackToTheSameBytes)
{
    Project project;
    LoadExample(project, 365);
    const std::string text = project.text();
    Project again;
    again.load(ParseProject(text));
    EXPECT_TRUE(again.text() == text);
    EXPECT_EQ(again.fileFingerprint(), project.fileFingerprint());
}

TEST(ForcingCells, TextThatIsNoNumberStaysInItsCellUntilCorrected)
{
    Project project;
    const double before = project.state().days.node(2).day.get(DayField::bod5In);
    project.setForcingCells(3, 2, Column({"12,5x"}));
    EXPECT_EQ(project.forcingText(3, 2), "12,5x");
    EXPECT_EQ(project.state().days.node(2).day.get(DayField::bod5In), before);
    try {
        project.checkForcingCells();
        FAIL() << "not refused";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()),
            "Day 2, \"BOD5\": '12,5x' is not a valid number. Type a number, or clear the cell (it "
            "then holds 0.0001).");
    }
    project.setForcingCells(3, 2, Column({""}));
    EXPECT_EQ(project.forcingText(3, 2), "0.0001");
    EXPECT_NO_THROW(project.checkForcingCells());
    project.setForcingCells(3, 2, Column({"12.50"}));
    EXPECT_EQ(project.forcingText(3, 2), "12.5");
    EXPECT_EQ(project.state().days.node(2).day.get(DayField::bod5In), 12.5);
}

// "Calculate RTB values" writes every day's retention time: a text typed into that column goes,
// one typed into another column stays for the user to correct.
TEST(ForcingCells, CalculatingRetentionTimesReplacesOnlyTheirOwnColumnsText)
{
    Project project;
    LoadExample(project, 20);
    project.setForcingCells(3, 2, Column({"12,5x"}));
    project.setForcingCells(11, 4, Column({"2,5"}));
    project.calculateRetentionTimes();
    EXPECT_EQ(project.forcingText(3, 2), "12,5x");
    EXPECT_EQ(project.forcingText(11, 4),
        FormatGeneral(project.state().days.node(4).day.get(DayField::RTB)));
    EXPECT_EQ(project.forcingDrafts().size(), 1u);
    EXPECT_THROW(project.checkForcingCells(), Error);
}

TEST(ForcingCells, BlocksAreTakenUpToTheEdgesOfTheGridAndNoFurther)
{
    Project project;
    project.setSimulationLength(10);
    EXPECT_NO_THROW(project.setForcingCells(1, 1, GridBlock(11, 10, "2")));
    EXPECT_THROW(project.setForcingCells(0, 1, GridBlock(1, 1, "2")), Error);
    EXPECT_THROW(project.setForcingCells(1, 0, GridBlock(1, 1, "2")), Error);
    EXPECT_THROW(project.setForcingCells(2, 1, GridBlock(11, 1, "2")), Error);
    EXPECT_THROW(project.setForcingCells(1, 2, GridBlock(1, 10, "2")), Error);
    EXPECT_NO_THROW(project.setDayValues(
        DayField::porosity, 1, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.95}));
    EXPECT_EQ(project.state().days.node(1).day.get(DayField::porosity), 0.1);
    EXPECT_EQ(project.state().days.node(10).day.get(DayField::porosity), 0.95);
    EXPECT_EQ(project.state().days.last().day.get(DayField::porosity), kEmptyValue); // the spare
    EXPECT_THROW(project.setDayValues(DayField::porosity, 0, {0.3}), Error);
    EXPECT_THROW(project.setDayValues(DayField::porosity, 2, std::vector<double>(10, 0.3)), Error);

    project.setObservedLength(5);
    EXPECT_NO_THROW(project.setObservedCells(1, 1, GridBlock(11, 5, "1")));
    EXPECT_THROW(project.setObservedCells(0, 1, GridBlock(1, 1, "1")), Error);
    EXPECT_THROW(project.setObservedCells(1, 0, GridBlock(1, 1, "1")), Error);
    EXPECT_THROW(project.setObservedCells(2, 1, GridBlock(11, 1, "1")), Error);
    EXPECT_THROW(project.setObservedCells(1, 2, GridBlock(1, 5, "1")), Error);
    EXPECT_NO_THROW(project.setObservedValues(1, 1, std::vector<double>(5, 1)));
    EXPECT_NO_THROW(project.setObservedValues(11, 5, {1}));
    EXPECT_THROW(project.setObservedValues(0, 1, {1}), Error);
    EXPECT_THROW(project.setObservedValues(12, 1, {1}), Error);
    EXPECT_THROW(project.setObservedValues(1, 0, {1}), Error);
    EXPECT_THROW(project.setObservedValues(1, 2, std::vector<double>(5, 1)), Error);
    EXPECT_EQ(project.observed().cell(11, 5), "1");
}

TEST(ForcingCells, AnImportThatLengthensIsRecalculatedForEveryDay)
{
    Project project;
    LoadExample(project, 10);
    ImportedTable table;
    table.columns = {2};
    for (int d = 1; d <= 14; ++d) {
        table.days.push_back(d);
        table.values.push_back(8 + d);
    }
    table.lastDay = 14;
    int imported = 0;
    // The new length is a change of the settings (the length field shows it); an import within
    // the days is not.
    EXPECT_TRUE(project.importForcing(table, ExtraDays::Extend, true, &imported)
                    .parts.contains(ProjectPart::Settings));
    EXPECT_EQ(imported, 14);
    EXPECT_EQ(project.state().simulationLength, 14);
    EXPECT_FALSE(project.importForcing(table, ExtraDays::Extend, true)
                     .parts.contains(ProjectPart::Settings));
    EXPECT_FALSE(project.stale(D::RetentionTimes));
    const double boxWater = project.state().days.node(1).day.get(DayField::boxWaterVolume);
    EXPECT_EQ(project.state().days.node(14).day.get(DayField::RTB),
        RoundPositive(std::max(boxWater / 22, 0.75), 2));
    // A new day with a flow of 0 is refused whole when the times are to be recalculated; days
    // with no value (0.0001) are not.
    table.days.push_back(20);
    table.values.push_back(0);
    table.lastDay = 20;
    const std::string before = project.text();
    EXPECT_THROW(project.importForcing(table, ExtraDays::Extend, true), Error);
    EXPECT_TRUE(project.text() == before);
    table.values.back() = 0.0001;
    project.importForcing(table, ExtraDays::Extend, true);
    EXPECT_EQ(project.state().simulationLength, 20);
    EXPECT_FALSE(project.stale(D::RetentionTimes));
}

// The first row of an imported table counts like every other: a flow it brings to a day with
// none makes that day calculable, and a retention time it brings is the user's.
TEST(ForcingCells, AnImportsFirstRowCountsForTheRecalculationAndTheEnteredTimes)
{
    Project project;
    LoadExample(project, 10);
    project.setForcingCells(2, 1, Column({"0"}));
    ImportedTable flows;
    flows.columns = {2};
    flows.days = {1, 2};
    flows.values = {7, 8};
    flows.lastDay = 2;
    EXPECT_NO_THROW(project.importForcing(flows, ExtraDays::Drop, true));
    EXPECT_EQ(project.state().days.node(1).day.get(DayField::waterFlow), 7);
    EXPECT_FALSE(project.stale(D::RetentionTimes));
    // A day the import leaves keeps its flow, the last one too: a 0 there refuses it whole.
    project.setForcingCells(2, 10, Column({"0"}));
    const std::string before = project.text();
    try {
        project.importForcing(flows, ExtraDays::Drop, true);
        ADD_FAILURE() << "imported over a day without flow";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()),
            "The water volume and retention times cannot be "
            "recalculated: day 10 would have a water flow of 0. "
            "Nothing was imported.");
    }
    EXPECT_TRUE(project.text() == before);
    project.setForcingCells(2, 10, Column({"9"}));
    project.calculateRetentionTimes();

    ImportedTable times;
    times.columns = {11};
    times.days = {1, 2};
    times.values = {3.5, 4.5};
    times.lastDay = 2;
    project.importForcing(times, ExtraDays::Drop, false);
    // New flows on both days: their times are the user's, so neither is called stale.
    project.setForcingCells(2, 1, Column({"30", "31"}));
    EXPECT_FALSE(project.stale(D::RetentionTimes)) << project.staleForcingText();
    EXPECT_EQ(project.state().days.node(1).day.get(DayField::RTB), 3.5);
}

TEST(ForcingCells, FillingCarriesValuesDownAndLeavesDayOne)
{
    Project project;
    project.setSimulationLength(5);
    project.setForcingCells(1, 1, Column({"10", "", "", "12", "0.0001"}));
    project.setForcingCells(3, 2, Column({"4"}));
    project.fillEmptyForcingDays();
    for (int d = 1; d <= 5; ++d)
        EXPECT_EQ(project.forcingText(1, d),
            std::vector<std::string>(
                {"10", "10", "10", "12", "12"})[static_cast<std::size_t>(d - 1)]);
    EXPECT_EQ(project.forcingText(3, 1), "0.0001");
    EXPECT_EQ(project.forcingText(3, 5), "4");
}

TEST(ProjectListeners, AreToldEveryCompletedOperationAndCanLeave)
{
    Project project;
    std::vector<PartSet> told;
    const int id
        = project.subscribe([&told](const ProjectChange &change) { told.push_back(change.parts); });
    project.setParameter(Parameter::AC, 0.5);
    project.setObservedLength(12);
    EXPECT_THROW(project.setObservedLength(-4), Error);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0], PartSet {ProjectPart::Parameters});
    EXPECT_EQ(told[1], PartSet {ProjectPart::Observed});
    project.unsubscribe(id);
    project.setParameter(Parameter::AC, 0.6);
    EXPECT_EQ(told.size(), 2u);
}

} // namespace
