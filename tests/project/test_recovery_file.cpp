// The fingerprint of a project's file content and the recovery copy.

#include "project/file_fingerprint.h"
#include "project/recovery_file.h"

#include "model/error.h"
#include "model/observed_grid.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace carexa;
using carexa::testing_support::ExampleFile;
using carexa::testing_support::ReadText;
using carexa::testing_support::TempDir;
using carexa::testing_support::WriteText;

namespace {

struct Project
{
    Project() { BuildObservedGrid(observed, state.observedLength); }
    std::uint64_t print() const { return ProjectFileFingerprint(state, observed, design); }
    std::string text() const { return ProjectText(state, observed, design); }

    ModelState state;
    TextGrid observed {12, 61};
    DesignTexts design;
};

// A header and a project text (GCC 12 misjudges "literal" + string).
std::string Join(std::string_view header, const std::string &body)
{
    std::string text(header);
    text += body;
    return text;
}

struct Change
{
    const char *name;
    std::function<void(Project &)> apply;
};

// Every part of the file, changed once.
const std::vector<Change> &Changes()
{
    static const std::vector<Change> changes {
        {"simulation length", [](Project &p) { p.state.simulationLength = 61; }},
        {"time step", [](Project &p) { p.state.stepsPerDay = 71; }},
        {"a day's flow",
            [](Project &p) { p.state.days.node(3).day.set(DayField::waterFlow, 12.5); }},
        {"the last day's oxygen",
            [](Project &p) { p.state.days.node(60).day.set(DayField::oxygenE, 1.5); }},
        {"a day's box value",
            [](Project &p) { p.state.days.node(7).box.set(BoxField::VO, 33.0); }},
        {"a parameter", [](Project &p) { p.state.parameters.set(Parameter::AC, 0.7); }},
        {"an initial value",
            [](Project &p) { p.state.initial.setConcentration(Variable::NIT, 2, 4.0); }},
        {"the observed length", [](Project &p) { p.state.observedLength = 59; }},
        {"an observed cell", [](Project &p) { p.observed.setCell(3, 60, "2.5"); }},
        {"an observed text", [](Project &p) { p.observed.setCell(1, 1, "abc"); }},
        {"the climate", [](Project &p) { p.state.climate = 2; }},
        {"a design input", [](Project &p) { p.design[0] = std::string(2, '1'); }},
        {"the last design input", [](Project &p) { p.design[7] = std::string(1, 'x'); }},
        {"a change below the file's digits",
            [](Project &p) { p.state.parameters.set(Parameter::AC, 0.0001000001); }},
    };
    return changes;
}

class FileFingerprint : public testing::TestWithParam<std::size_t>
{ };

TEST_P(FileFingerprint, EveryChangeCountsAndTakingItBackIsNone)
{
    const Change &change = Changes()[GetParam()];
    Project project;
    const std::uint64_t saved = project.print();
    change.apply(project);
    EXPECT_NE(project.print(), saved) << change.name;
    Project fresh;
    EXPECT_EQ(fresh.print(), saved) << "the same content, the same fingerprint";
}

INSTANTIATE_TEST_SUITE_P(ProjectParts, FileFingerprint,
    testing::Range(std::size_t {0}, Changes().size()));

TEST(FileFingerprintOf, TextsCountByTheNumberTheyStandFor)
{
    Project a;
    Project b;
    a.design[2] = "10";
    b.design[2] = "10.0";
    EXPECT_EQ(a.print(), b.print());
    a.design[3] = "";
    b.design[3] = "0.0001"; // an empty input is written as 0.0001
    EXPECT_EQ(a.print(), b.print());
    a.observed.setCell(2, 5, "3");
    b.observed.setCell(2, 5, "3.00");
    EXPECT_EQ(a.print(), b.print());
    b.observed.setCell(2, 5, "3.01");
    EXPECT_NE(a.print(), b.print());
    // A value changed and changed back is no change.
    const std::uint64_t before = a.print();
    a.state.days.node(2).day.set(DayField::porosity, 0.4);
    a.state.days.node(2).day.set(DayField::porosity, 0.0001);
    EXPECT_EQ(a.print(), before);
}

TEST(FileFingerprintOf, AGridByItsCellsInTheRangeGiven)
{
    TextGrid a(12, 4);
    TextGrid b(12, 4);
    a.setCell(1, 1, "2");
    b.setCell(1, 1, "2.0");
    a.setCell(11, 3, "x");
    b.setCell(11, 3, "x");
    EXPECT_EQ(GridFingerprint(a, 11, 3), GridFingerprint(b, 11, 3));
    b.setCell(11, 3, "y"); // the last cell of the range
    EXPECT_NE(GridFingerprint(a, 11, 3), GridFingerprint(b, 11, 3));
    b.setCell(11, 3, "x");
    b.setCell(1, 4, "5"); // a row past the range
    b.setCell(0, 1, "5"); // the headings
    EXPECT_EQ(GridFingerprint(a, 11, 3), GridFingerprint(b, 11, 3));
    EXPECT_NE(GridFingerprint(a, 11, 3), GridFingerprint(a, 11, 2));
}

TEST(RecoveryFile, KeepsTheProjectTheFileNameAndTheTime)
{
    TempDir dir;
    const LoadedProject example = ReadProjectFile(ExampleFile("cold_climate_bed.mdl"));
    ModelState state;
    ApplyProject(example, state);
    TextGrid observed(12, 2);
    FillObservedGrid(example, observed);
    const DesignTexts design = LoadedDesignTexts(example);
    const RecoveryInfo info {"/home/me/Bed 1; 100%\n\xC3\xA9.mdl", 1'765'000'000};
    WriteRecoveryFile(dir / "r.recovery", info, state, observed, design);

    const std::string text = ReadText(dir / "r.recovery");
    EXPECT_TRUE(text.starts_with("Carexa recovery 1\nfile /home/me/Bed%201;%20100%25%0A%C3%A9.mdl\n"
                                 "time 1765000000\n\n"));
    EXPECT_EQ(ReadRecoveryInfo(dir / "r.recovery"), info);
    const RecoveredProject back = ReadRecoveryFile(dir / "r.recovery");
    EXPECT_EQ(back.info, info);
    ModelState restored;
    ApplyProject(back.project, restored);
    TextGrid restoredObserved(12, 2);
    FillObservedGrid(back.project, restoredObserved);
    EXPECT_EQ(ProjectText(restored, restoredObserved, LoadedDesignTexts(back.project)),
        ProjectText(state, observed, design));
}

TEST(RecoveryFile, TextsThatAreNoNumbersAreLeftOutNotRefused)
{
    TempDir dir;
    Project project;
    project.observed.setCell(2, 3, "12.");
    project.observed.setCell(4, 4, "n/a");
    project.observed.setCell(11, 60, "x"); // the last column of the last day
    project.observed.setCell(1, 1, "?"); // the first day
    project.design[0] = "1O";
    project.design[1] = "25";
    WriteRecoveryFile(dir / "r.recovery", {"", 5}, project.state, project.observed, project.design);
    const RecoveredProject back = ReadRecoveryFile(dir / "r.recovery");
    EXPECT_EQ(back.info, (RecoveryInfo {"", 5}));
    EXPECT_DOUBLE_EQ(back.project.observed[2][1], 12.0);
    EXPECT_DOUBLE_EQ(back.project.observed[3][3], 0.0001);
    EXPECT_DOUBLE_EQ(back.project.observed[59][10], 0.0001);
    EXPECT_DOUBLE_EQ(back.project.observed[0][0], 0.0001);
    EXPECT_DOUBLE_EQ(back.project.design[0], 0.0001);
    EXPECT_DOUBLE_EQ(back.project.design[1], 25.0);
    // The grid itself is left as it was.
    EXPECT_EQ(project.observed.cell(4, 4), "n/a");
}

// A single text that is no number, at each corner of the observed values or in the last design
// input, is left out too.
TEST(RecoveryFile, ALoneTextAtTheEdgesIsLeftOut)
{
    TempDir dir;
    for (const auto &[column, row] :
        std::vector<std::pair<int, int>> {{1, 1}, {11, 1}, {1, 60}, {11, 60}, {0, 0}}) {
        Project project;
        if (column == 0)
            project.design[7] = std::string(1, '?');
        else
            project.observed.setCell(column, row, "?");
        WriteRecoveryFile(
            dir / "r.recovery", {"", 1}, project.state, project.observed, project.design);
        const RecoveredProject back = ReadRecoveryFile(dir / "r.recovery");
        if (column == 0)
            EXPECT_DOUBLE_EQ(back.project.design[7], 0.0001);
        else
            EXPECT_DOUBLE_EQ(back.project.observed[static_cast<std::size_t>(row - 1)]
                                                  [static_cast<std::size_t>(column - 1)],
                0.0001)
                << column << ", " << row;
    }
}

TEST(RecoveryFile, DamagedHeadersAreRefusedWithAMessage)
{
    const std::string body = Project().text();
    const std::vector<std::string> damaged {
        "",
        Join("Carexa recovery 2\nfile a\ntime 1\n\n", body),
        Join("Carexa recovery 1\nname a\ntime 1\n\n", body),
        Join("Carexa recovery 1\nfile a%2\ntime 1\n\n", body),
        Join("Carexa recovery 1\nfile a%G0\ntime 1\n\n", body),
        Join("Carexa recovery 1\nfile a\ntime\n\n", body),
        Join("Carexa recovery 1\nfile a\ntime 12x\n\n", body),
        Join("Carexa recovery 1\nfile a\ntime 99999999999999999999\n\n", body),
        Join("Carexa recovery 1\nfile a\ntime 1\nmore\n", body),
        "Carexa recovery 1\nfile a\ntime 1",
        "Carexa recovery 1\nfile a\ntime 1\n\n60;70;1;",
    };
    for (const std::string &text : damaged) {
        try {
            ParseRecovery(text);
            ADD_FAILURE() << "taken: " << text.substr(0, 60);
        } catch (const Error &e) {
            EXPECT_FALSE(std::string(e.what()).empty());
        }
    }
    const RecoveredProject good
        = ParseRecovery(Join("Carexa recovery 1\nfile a%25b%3a%3A\ntime -3\n\n", body));
    EXPECT_EQ(good.info, (RecoveryInfo {"a%b::", -3}));
    EXPECT_EQ(good.project.simulationLength, 60);
}

TEST(RecoveryFile, AFileThatIsNoRecoveryCopyGivesNoInfo)
{
    TempDir dir;
    WriteText(dir / "plain.mdl", Project().text());
    EXPECT_FALSE(ReadRecoveryInfo(dir / "plain.mdl"));
    EXPECT_FALSE(ReadRecoveryInfo(dir / "missing.recovery"));
    EXPECT_THROW(ReadRecoveryFile(dir / "missing.recovery"), Error);
}

} // namespace
