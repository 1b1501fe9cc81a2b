// carexa-sim run --forcing: the warning about retention times calculated for other flows, and
// --recalculate, which calculates the water volume and the retention times as the two buttons do.

#include "app/batch_runner.h"
#include "app/sim_support.h"

#include "app/batch_command.h"
#include "io/csv_import.h"
#include "model/number_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace carexa;
using carexa::testing_support::Lines;
using carexa::testing_support::ReadText;
using carexa::testing_support::TempDir;
using carexa::testing_support::WriteText;

namespace {

using Result = testing_support::SimResult;
using testing_support::kCold;
using testing_support::Sim;

// The fields of line `day` + 2 of a project file (the records of day `day`).
std::vector<std::string> DayRecord(const std::string &project, int day)
{
    const std::vector<std::string> lines = Lines(project);
    std::vector<std::string> fields;
    std::string field;
    for (char c : lines.at(static_cast<std::size_t>(day + 1))) {
        if (c == ';') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    return fields;
}

// Field positions of a day's record: its box water volume, its RTB and its water flow.
constexpr std::size_t kBoxWaterField = 7, kRtbField = 14, kFlowField = 17;

const std::string kWarningEnd = " The run uses them as they are; --recalculate calculates them as "
                                "\"Calculate water volume\" and \"Calculate RTB values\" do.\n";

struct WarningCase
{
    const char *name;
    const char *file; ///< the imported CSV text
    std::string err; ///< what carexa-sim says on standard error
};

class ForcingImport : public ::testing::TestWithParam<WarningCase>
{
};

TEST_P(ForcingImport, WarnsOnlyWhenRetentionTimesNoLongerMatchTheFlows)
{
    TempDir dir;
    const std::string csv = (dir / "f.csv").string();
    WriteText(csv, GetParam().file);
    const Result r = Sim({"run", kCold, "--forcing", csv, "--save", (dir / "out.mdl").string()});
    EXPECT_EQ(r.status, kBatchOk);
    EXPECT_EQ(r.err, GetParam().err);
    EXPECT_TRUE(r.out.empty());
}

INSTANTIATE_TEST_SUITE_P(RunCommand, ForcingImport,
    ::testing::Values(
        WarningCase {"NewFlowsOnTwoDays", "Day,Flow\n1,20\n2,16\n",
            "carexa-sim: warning: Retention times were calculated for other flows on days 1-2."
                + kWarningEnd},
        WarningCase {"NewFlowsApart", "Day,Flow\n3,20\n4,16\n9,12\n",
            "carexa-sim: warning: Retention times were calculated for other flows on days 3-4 "
            "and 9."
                + kWarningEnd},
        // The same flows as the project's: nothing to recalculate.
        WarningCase {"TheSameFlows", "Day,Flow\n1,10.1\n2,11.8\n", ""},
        // Other flows with their own retention times: the user's, never stale.
        WarningCase {"FlowsWithRetentionTimes", "Day,Flow,RTB\n1,20,4\n2,16,5\n", ""},
        WarningCase {"NoFlows", "Day,Temperature\n1,4\n2,5\n", ""},
        // Added days take day 1's bed, but no retention time was calculated for their flows.
        WarningCase {"AddedDays", "Day,Temperature\n366,4\n367,5\n",
            "carexa-sim: warning: Retention times were calculated for other flows on days "
            "366-367."
                + kWarningEnd}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RunCommand, RecalculateGivesWhatTheTwoButtonsGive)
{
    TempDir dir;
    const std::string csv = (dir / "f.csv").string();
    WriteText(csv, "Day,Flow\n1,20\n2,16\n");
    const std::string out = (dir / "out.mdl").string();
    const Result r = Sim({"run", kCold, "--forcing", csv, "--recalculate", "--save", out});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_EQ(r.err, "");

    // The cold example's bed: a box water volume of 38.4 m3 (porosity 0.4 x VO x 0.2).
    const std::string saved = ReadText(out);
    const std::vector<std::string> day1 = DayRecord(saved, 1), day2 = DayRecord(saved, 2),
                                   day3 = DayRecord(saved, 3);
    EXPECT_EQ(day1[kBoxWaterField], "38.4");
    EXPECT_EQ(day1[kFlowField], "20");
    EXPECT_EQ(day1[kRtbField], "1.92"); // 38.4 / 20
    EXPECT_EQ(day2[kRtbField], "2.4"); // 38.4 / 16
    EXPECT_EQ(day3[kRtbField], "3.52"); // 38.4 / 10.9, as the file held it

    // The project operations the window's buttons call, in the window's order.
    batch::Session session;
    batch::LoadSession(session, kCold);
    const std::string text = ReadText(csv);
    const ImportSettings settings = DetectImport(text, ImportTarget::Forcing);
    session.project.importForcing(
        ReadImport(text, settings, ImportTarget::Forcing), ExtraDays::Extend, false);
    session.project.calculateWaterVolume();
    session.project.calculateRetentionTimes();
    session.project.simulate();
    EXPECT_EQ(saved, session.project.text());
}

TEST(RunCommand, RecalculateWithoutForcingRecalculatesTheLoadedProject)
{
    TempDir dir;
    // Day 2's retention time typed by hand, not the one its flow gives.
    std::string project = ReadText(kCold);
    const std::size_t at = project.find(";3.25;2.2;7.1;11.8;");
    ASSERT_NE(at, std::string::npos);
    project.replace(at, 6, ";9.75;");
    WriteText(dir / "typed.mdl", project);

    const std::string out = (dir / "out.mdl").string();
    ASSERT_EQ(Sim({"run", (dir / "typed.mdl").string(), "--save", out}).status, kBatchOk);
    EXPECT_EQ(DayRecord(ReadText(out), 2)[kRtbField], "9.75");
    const Result r
        = Sim({"run", (dir / "typed.mdl").string(), "--recalculate", "--save", out});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_EQ(DayRecord(ReadText(out), 2)[kRtbField], "3.25"); // 38.4 / 11.8
}

TEST(RunCommand, RecalculateRefusesADayWithoutFlowAndWritesNothing)
{
    TempDir dir;
    const std::string csv = (dir / "f.csv").string();
    WriteText(csv, "Day,Flow\n3,0\n");
    const std::string sheet = (dir / "sheet.csv").string();
    const Result r = Sim({"run", kCold, "--forcing", csv, "--recalculate", "--csv", sheet});
    EXPECT_EQ(r.status, kBatchFailed);
    EXPECT_EQ(r.err,
        "carexa-sim: The water volume and retention times cannot be recalculated: day 3 would "
        "have a water flow of 0. Nothing was imported.\n");
    EXPECT_FALSE(std::filesystem::exists(sheet));

    // Without --recalculate the import goes ahead, and the run uses the retention times as they
    // are.
    const Result plain = Sim({"run", kCold, "--forcing", csv, "--csv", sheet});
    EXPECT_EQ(plain.status, kBatchOk) << plain.err;
    EXPECT_TRUE(std::filesystem::exists(sheet));
}

TEST(RunCommand, RecalculateIsAFlagOfRunOnly)
{
    EXPECT_EQ(Sim({"run", kCold, "--recalculate", "x"}).status, kBatchUsage);
    EXPECT_EQ(Sim({"export", kCold, "--recalculate", "--forcing", "-"}).status, kBatchUsage);
    EXPECT_NE(Sim({"--help"}).out.find("--recalculate"), std::string::npos);
}

} // namespace
