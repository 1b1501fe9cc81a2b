#include "project/project_file.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <vector>

using namespace carexa;
using carexa::testing_support::ExampleFile;
using carexa::testing_support::Lines;
using carexa::testing_support::ReadText;
using carexa::testing_support::TempDir;
using carexa::testing_support::WriteText;

namespace {

std::size_t Numbers(const std::string &line)
{
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), ';'));
}

// A project as a new window holds it.
struct Project
{
    Project() { BuildObservedGrid(observed, state.observedLength); }
    std::string text() const { return ProjectText(state, observed, design); }

    ModelState state;
    TextGrid observed {12, 61};
    DesignTexts design;
};

TEST(ProjectWriter, NewProjectLayout)
{
    Project project;
    project.state.stepsPerDay = 50; // as after a reset
    const auto lines = Lines(project.text());
    ASSERT_EQ(lines.size(), 194u);
    std::size_t numbers = 0;
    for (const std::string &line : lines)
        numbers += Numbers(line);
    EXPECT_EQ(numbers, 3903u);
    EXPECT_EQ(lines[0], "60;");
    EXPECT_EQ(lines[1], "50;");
    for (int d = 0; d < 60; ++d) {
        EXPECT_EQ(Numbers(lines[2 + d]), 18u);
        std::string expected;
        for (int i = 0; i < 18; ++i)
            expected += "0.0001;";
        EXPECT_EQ(lines[2 + d], expected);
        EXPECT_EQ(Numbers(lines[62 + d]), 35u);
    }
    EXPECT_EQ(lines[62].substr(0, 72),
        "0.0001;0.0001;0.0001;0.0001;0.0001;0.0001;0.0001;0.0001;0.0001;0.0001;1;");
    EXPECT_NE(lines[63].find(";2;"), std::string::npos);
    EXPECT_EQ(Numbers(lines[122]), 16u);
    EXPECT_EQ(Numbers(lines[123]), 35u);
    EXPECT_NE(lines[123].find(";0;"), std::string::npos); // the program-wide day number
    EXPECT_EQ(lines[124], "60;");
    EXPECT_EQ(Numbers(lines[125]), 11u);
    EXPECT_EQ(lines[185], "0;"); // climate
    for (int i = 186; i < 194; ++i)
        EXPECT_EQ(lines[static_cast<std::size_t>(i)], "0.0001;");
}

TEST(ProjectWriter, FieldOrdersOfTheFile)
{
    Project project;
    DayNode &day1 = project.state.days.first();
    day1.day.set(DayField::ammoniumIn, 1);
    day1.day.set(DayField::waterFlow, 18);
    day1.day.set(DayField::RTB, 15);
    day1.box.setConcentration(Variable::AMM, 0, 1);
    day1.box.setConcentration(Variable::BOD5, 4, 10);
    day1.box.set(BoxField::PF, 35);
    day1.box.set(BoxField::FL, 27);
    project.state.parameters.set(Parameter::AC, 1);
    project.state.parameters.set(Parameter::TO, 16);
    project.state.parameters.set(Parameter::PN, 11);
    project.design[0] = "10";
    project.design[7] = "6";
    const auto lines = Lines(project.text());
    EXPECT_EQ(lines[2].substr(0, 2), "1;");
    EXPECT_NE(lines[2].find(";15;0.0001;0.0001;18;"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[62].substr(0, 2), "1;");
    EXPECT_NE(lines[62].find(";10;1;"), std::string::npos) << lines[62];
    EXPECT_NE(lines[62].find(";27;0.0001;"), std::string::npos);
    EXPECT_EQ(lines[62].substr(lines[62].size() - 3), "35;");
    EXPECT_EQ(lines[122],
        "1;0.0001;0.0001;0.0001;0.0001;0.0001;0.0001;0.0001;0.0001;0.0001;11;"
        "0.0001;0.0001;0.0001;0.0001;16;");
    EXPECT_EQ(lines[186], "10;");
    EXPECT_EQ(lines[193], "6;");
}

TEST(ProjectWriter, ObservedCellsAndDesignTextsMustBeNumbers)
{
    Project project;
    project.observed.setCell(4, 12, "n/a");
    try {
        project.text();
        ADD_FAILURE() << "wrote a cell that is no number";
    } catch (const ConversionError &e) {
        EXPECT_EQ(e.text(), "n/a");
    }
    project.observed.setCell(4, 12, "");
    EXPECT_THROW(project.text(), ConversionError);
    project.observed.setCell(4, 12, "3.5");
    project.design[3] = "1.2.3";
    EXPECT_THROW(project.text(), ConversionError);
}

TEST(ProjectFile, NamesGetTheExtensionUnlessTheyHoldIt)
{
    EXPECT_EQ(ProjectFileName("project"), "project.mdl");
    EXPECT_EQ(ProjectFileName("Project.MDL"), "Project.MDL");
    EXPECT_EQ(ProjectFileName("a.mdl.txt"), "a.mdl.txt");
    EXPECT_EQ(ProjectFileName("proj.mdl.old"), "proj.mdl.old");
    EXPECT_EQ(ProjectFileName("/tmp/x/bed"), "/tmp/x/bed.mdl");
}

TEST(ProjectReader, TokenizerRules)
{
    EXPECT_EQ(TokenizeProject("1 2;"), (std::vector<double> {12}));
    EXPECT_EQ(TokenizeProject("0,5;\r\n\t7;"), (std::vector<double> {0.5, 7}));
    EXPECT_EQ(TokenizeProject("5;;6;"), (std::vector<double> {5, 6}));
    EXPECT_EQ(TokenizeProject("0;0.0;-0.5;"), (std::vector<double> {0.0001, 0, -0.5}));
    EXPECT_EQ(TokenizeProject("1;2;3"), (std::vector<double> {1, 2}));
    EXPECT_EQ(TokenizeProject("1.23457e+06;"), (std::vector<double> {1234570}));
    EXPECT_THROW(TokenizeProject("1;1,234.5;"), ConversionError);
    EXPECT_THROW(TokenizeProject("abc;"), ConversionError);
    // Whitespace inside a number keeps its first line; ";;" is no number of the line.
    try {
        TokenizeProject("1;\n2;;\n 3;4\nx;");
        ADD_FAILURE() << "accepted";
    } catch (const ConversionError &e) {
        EXPECT_STREQ(e.what(), "Line 3, number 2: '4x' is not a valid number.");
    }
}

TEST(ProjectFile, ValuesSurviveTheRoundTripAtSixDigits)
{
    Project project;
    DayNode &day1 = project.state.days.first();
    day1.day.set(DayField::bod5In, 0);
    day1.day.set(DayField::nitrateIn, -0.5);
    day1.day.set(DayField::ammoniumIn, 1234567.891);
    project.observed.setCell(2, 3, "17.25");
    project.design[2] = "0.6";
    project.state.observedLength = 3;
    project.state.climate = kWarmClimate;
    const std::string text = project.text();
    EXPECT_NE(text.find("1.23457e+06;"), std::string::npos);

    const LoadedProject loaded = ParseProject(text);
    EXPECT_EQ(loaded.days[0].get(DayField::bod5In), 0.0001);
    EXPECT_EQ(loaded.days[0].get(DayField::nitrateIn), -0.5);
    EXPECT_EQ(loaded.days[0].get(DayField::ammoniumIn), 1234570);
    EXPECT_EQ(loaded.observedLength, 3);
    EXPECT_EQ(loaded.observed[2][1], 17.25);
    EXPECT_EQ(loaded.climate, kWarmClimate);
    EXPECT_EQ(LoadedDesignTexts(loaded)[2], "0.6");
    EXPECT_EQ(LoadedDesignTexts(loaded)[0], "0.0001");

    TextGrid observed(12, 61);
    FillObservedGrid(loaded, observed);
    EXPECT_EQ(observed.rowCount(), 4);
    EXPECT_EQ(observed.cell(2, 3), "17.25");
    EXPECT_EQ(observed.cell(0, 3), "3");
}

TEST(ProjectFile, SaveLoadSaveGivesTheSameBytes)
{
    Project project;
    project.state.climate = kColdClimate;
    project.state.setSimulationLength(40);
    int d = 0;
    for (DayNode &node : project.state.days.active()) {
        node.day.set(DayField::temperature, 4 + 0.37 * ++d);
        node.day.set(DayField::waterFlow, 12.5);
        node.day.set(DayField::RTB, 2.4);
    }
    TextGrid grid(5, 5);
    ASSERT_TRUE(RunSimulation(project.state, grid).completed);
    project.design = {"20", "40", "0.6", "1.05", "1", "1", "100", "15"};
    const std::string first = project.text();

    Project reloaded;
    const LoadedProject loaded = ParseProject(first);
    ApplyProject(loaded, reloaded.state);
    FillObservedGrid(loaded, reloaded.observed);
    reloaded.design = LoadedDesignTexts(loaded);
    // The load recomputes the box water volume from day 1; the saved one was 0.0001.
    const std::string second = reloaded.text();
    Project again;
    const LoadedProject loadedAgain = ParseProject(second);
    ApplyProject(loadedAgain, again.state);
    FillObservedGrid(loadedAgain, again.observed);
    again.design = LoadedDesignTexts(loadedAgain);
    EXPECT_EQ(again.text(), second);
    EXPECT_EQ(Lines(first).size(), Lines(second).size());
}

TEST(ProjectFile, TheExamplesRoundTripByteForByte)
{
    for (const char *name : {"cold_climate_bed.mdl", "warm_climate_bed.mdl"}) {
        const std::string text = ReadText(ExampleFile(name));
        Project project;
        const LoadedProject loaded = ParseProject(text);
        ApplyProject(loaded, project.state);
        FillObservedGrid(loaded, project.observed);
        project.design = LoadedDesignTexts(loaded);
        EXPECT_EQ(project.text(), text) << name;
    }
}

TEST(ProjectReader, LoadSetsDayOneVolumeAndEveryBoxWaterVolume)
{
    Project project;
    project.state.setSimulationLength(5);
    project.state.initial.set(BoxField::VO, 480);
    project.state.days.first().box.set(BoxField::VO, 300);
    for (DayNode &node : project.state.days.active())
        node.day.set(DayField::porosity, node.box.dayNumber() == 1 ? 0.4 : 0.3);
    const LoadedProject loaded = ParseProject(project.text());
    EXPECT_EQ(loaded.dayBoxes[0].get(BoxField::VO), 300); // what the Volume field shows

    ModelState state;
    ApplyProject(loaded, state);
    EXPECT_EQ(state.simulationLength, 5);
    EXPECT_EQ(state.days.count(), 6);
    EXPECT_EQ(state.days.first().box.get(BoxField::VO), 480);
    for (const DayNode &node : state.days.active())
        EXPECT_DOUBLE_EQ(node.day.get(DayField::boxWaterVolume), 0.4 * 480 * 0.2);
}

TEST(ProjectReader, DayNumbersInTheFileAreIgnored)
{
    Project project;
    project.state.setSimulationLength(3);
    std::string text = project.text();
    // Give every day line the day number 7.
    auto lines = Lines(text);
    for (int i = 5; i < 8; ++i) {
        std::string &line = lines[static_cast<std::size_t>(i)];
        std::size_t pos = 0;
        for (int n = 0; n < 10; ++n)
            pos = line.find(';', pos) + 1;
        line.replace(pos, line.find(';', pos) - pos, "7");
    }
    text.clear();
    for (const std::string &line : lines)
        text += line + "\n";
    ModelState state;
    ApplyProject(ParseProject(text), state);
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(state.days.node(k).box.dayNumber(), k);
    EXPECT_EQ(&state.days.findDay(2), &state.days.node(2));
}

TEST(ProjectReader, HandEditedLayoutAndSurplusLoadTheSame)
{
    Project project;
    project.state.setSimulationLength(2);
    project.state.days.first().day.set(DayField::temperature, 12.5);
    std::string text = project.text();
    std::string edited;
    for (char c : text) {
        edited += c == '.' ? ',' : c;
        if (c == ';')
            edited += "\r\n  ";
    }
    edited += "42;43;";
    const LoadedProject a = ParseProject(text);
    const LoadedProject b = ParseProject(edited);
    EXPECT_EQ(a.days[0], b.days[0]);
    EXPECT_EQ(b.days[0].get(DayField::temperature), 12.5);
    EXPECT_EQ(a.design, b.design);
}

// A token that is no number is refused with its place: the line it starts on, its place among
// the numbers of that line, and what the number stands for.
struct BadToken
{
    std::size_t line; // 0-based line of the file to edit
    std::size_t number; // 0-based number of that line to replace
    const char *token;
    const char *message;
};

class NonNumbers : public testing::TestWithParam<BadToken>
{ };

TEST_P(NonNumbers, AreNamedByLineNumberAndField)
{
    // Four days, two observed days: day lines 3-6, box lines 7-10, parameters 11, initial 12,
    // observed length 13, observed 14-15, climate 16, design 17-24.
    Project project;
    project.state.setSimulationLength(4);
    project.state.observedLength = 2;
    BuildObservedGrid(project.observed, 2);
    std::vector<std::string> lines = Lines(project.text());
    const BadToken &bad = GetParam();
    std::string &line = lines.at(bad.line);
    std::size_t start = 0;
    for (std::size_t i = 0; i < bad.number; ++i)
        start = line.find(';', start) + 1;
    line.replace(start, line.find(';', start) - start, bad.token);
    std::string text;
    for (const std::string &l : lines)
        text += l + "\r\n";
    try {
        ParseProject(text);
        ADD_FAILURE() << "loaded";
    } catch (const ConversionError &e) {
        EXPECT_STREQ(e.what(), bad.message);
    }
}

INSTANTIATE_TEST_SUITE_P(ProjectReader, NonNumbers,
    testing::Values(BadToken {0, 0, "x",
                        "Line 1, number 1 (simulation length): 'x' is not a valid "
                        "number."},
        BadToken {1, 0, "7O", "Line 2, number 1 (time steps per day): '7O' is not a valid number."},
        BadToken {
            5, 6, "nan", "Line 6, number 7 (day 4, BOD5 inflow): 'nan' is not a valid number."},
        BadToken {2, 0, "inf",
            "Line 3, number 1 (day 1, ammonium inflow): 'inf' is not a valid "
            "number."},
        BadToken {2, 17, "1,234.5",
            "Line 3, number 18 (day 1, water flow): '1.234.5' is not a valid number."},
        BadToken {7, 10, "two",
            "Line 8, number 11 (results of day 2, day number): 'two' is not a valid number."},
        BadToken {9, 34, "?",
            "Line 10, number 35 (results of day 4, PF): '?' is not a valid "
            "number."},
        BadToken {9, 21, "--1",
            "Line 10, number 22 (results of day 4, TPO-A): '--1' is not a valid number."},
        BadToken {
            10, 2, "1e999", "Line 11, number 3 (parameter DC): '1e999' is not a valid number."},
        BadToken {11, 5, "b",
            "Line 12, number 6 (initial values and design, BOD5-A): 'b' is not a "
            "valid number."},
        BadToken {13, 10, "n/a",
            "Line 14, number 11 (observed day 1, eff. t.n. rem): 'n/a' is not a valid number."},
        BadToken {15, 0, "cold", "Line 16, number 1 (climate): 'cold' is not a valid number."},
        BadToken {23, 0, "six",
            "Line 24, number 1 (design input Selected flow): 'six' is not a "
            "valid number."},
        BadToken {23, 1, "x;",
            "Line 24, number 2 (after the last number of the project): 'x' is "
            "not a valid number."}));

// Every refused file must leave the open project as it was.
TEST(ProjectReader, RefusedFilesChangeNothing)
{
    Project good;
    good.state.setSimulationLength(3);
    const std::string valid = good.text();
    const auto lines = Lines(valid);
    const auto join = [](std::vector<std::string> parts) {
        std::string text;
        for (const std::string &line : parts)
            text += line + "\n";
        return text;
    };
    std::vector<std::string> zeroLength = lines;
    zeroLength[0] = "0.4;";
    std::vector<std::string> negativeObserved = lines;
    negativeObserved[2 * 3 + 4] = "-1;";
    std::vector<std::string> hugeLength = lines;
    hugeLength[0] = "1e20;";
    std::vector<std::string> tooLong = lines;
    tooLong[0] = "300001;";
    std::vector<std::string> badToken = lines;
    badToken[5] = "1,234.5;" + badToken[5];
    const std::string cut = valid.substr(0, valid.size() / 2);

    TempDir dir;
    for (const std::string &text : {join(zeroLength), join(negativeObserved), join(hugeLength),
             join(tooLong), join(badToken), cut, std::string("60;70;"), std::string()}) {
        WriteText(dir / "bad.mdl", text);
        Project open;
        open.state.climate = kWarmClimate;
        open.state.days.node(7).day.set(DayField::waterFlow, 33);
        const std::string before = open.text();
        try {
            ApplyProject(ReadProjectFile(dir / "bad.mdl"), open.state);
            ADD_FAILURE() << "loaded:\n" << text.substr(0, 200);
        } catch (const Error &e) {
            EXPECT_FALSE(std::string(e.what()).empty());
        }
        EXPECT_EQ(open.text(), before);
    }
    EXPECT_THROW(ReadProjectFile(dir / "missing.mdl"), Error);
    // What is not a regular file is refused before anything is read; a named pipe without a
    // writer would otherwise hold the reading for ever.
    ASSERT_EQ(::mkfifo((dir / "pipe.mdl").c_str(), 0600), 0);
    const std::pair<std::filesystem::path, std::string> refused[] = {
        {dir.path(), "it is a folder."},
        {dir / "pipe.mdl", "it is a named pipe (FIFO), not a regular file."},
        {"/dev/zero", "it is a device, not a regular file."},
    };
    for (const auto &[file, reason] : refused) {
        try {
            ReadProjectFile(file);
            ADD_FAILURE() << file;
        } catch (const Error &e) {
            EXPECT_EQ(std::string(e.what()),
                "The file \"" + file.string() + "\" cannot be read: " + reason);
        }
    }
}

TEST(ProjectSave, WritesAtomicallyAndKeepsTheOldFileOnFailure)
{
    TempDir dir;
    const auto target = dir / "bed.mdl";
    Project project;
    SaveProjectFile(target, project.state, project.observed, project.design);
    const std::string saved = ReadText(target);
    EXPECT_EQ(saved, project.text());
    ::chmod(target.c_str(), 0640);

    project.state.climate = kColdClimate;
    project.observed.setCell(1, 5, "oops");
    EXPECT_THROW(
        SaveProjectFile(target, project.state, project.observed, project.design), ConversionError);
    EXPECT_EQ(ReadText(target), saved);

    EXPECT_THROW(SaveProjectFile(dir / "no" / "such" / "folder.mdl", project.state,
                     project.observed, project.design),
        Error);
    EXPECT_THROW(
        SaveProjectFile("/proc/carexa.mdl", project.state, project.observed, project.design),
        Error);

    project.observed.setCell(1, 5, "2");
    SaveProjectFile(target, project.state, project.observed, project.design);
    EXPECT_EQ(ReadText(target), project.text());
    struct stat info
    { };
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u); // the replaced file's permissions stay
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                  std::filesystem::directory_iterator()),
        1);
}

} // namespace

namespace {

// The numbers of a project text, as texts with their ";".
std::vector<std::string> Tokens(const std::string &text)
{
    std::vector<std::string> tokens;
    std::string token;
    for (char c : text) {
        if (c == '\n')
            continue;
        token += c;
        if (c == ';') {
            tokens.push_back(token);
            token.clear();
        }
    }
    return tokens;
}

// Every cut of a small project, from no number to all but the last, is refused with the count
// it got and the count its layout needs, and no cut reads past the numbers it holds (the
// sanitizer build checks every access).
TEST(ProjectReader, EveryTruncationIsRefusedWithItsCounts)
{
    Project project;
    project.state.setSimulationLength(2);
    project.state.observedLength = 1;
    LayOutObservedGrid(project.observed, 1);
    const std::vector<std::string> tokens = Tokens(project.text());
    ASSERT_EQ(tokens.size(), 180u); // 53 x 2 + 11 x 1 + 63
    std::string text;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        try {
            ParseProject(text + "12"); // an unfinished number at the end counts as none
            ADD_FAILURE() << "a file of " << k << " numbers was loaded";
        } catch (const Error &e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("ends after " + std::to_string(k) + " numbers"),
                std::string::npos)
                << message;
            // Before the length the layout needs at least 2 numbers; then everything up to and
            // with the observed length (53L + 54); once that is read, the whole layout.
            const char *needed = k < 1 ? "needs 2." : k < 160 ? "needs 160." : "needs 180.";
            EXPECT_NE(message.find(needed), std::string::npos) << k << ": " << message;
        }
        text += tokens[k];
    }
    EXPECT_EQ(ParseProject(text).observedLength, 1);
    // 53L + 53 numbers: everything before the observed length.
    std::string upToObserved;
    for (std::size_t k = 0; k < 159; ++k)
        upToObserved += tokens[k];
    EXPECT_THROW(ParseProject(upToObserved), Error);
}

TEST(ProjectReader, TimeStepsAboveTheLimitAreRefused)
{
    Project project;
    project.state.stepsPerDay = 100000;
    EXPECT_EQ(ParseProject(project.text()).stepsPerDay, 100000);
    project.state.stepsPerDay = 100001;
    try {
        ParseProject(project.text());
        ADD_FAILURE() << "loaded";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("100001"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("100000"), std::string::npos) << e.what();
    }
    project.state.stepsPerDay = 2147483647;
    EXPECT_THROW(ParseProject(project.text()), Error);
    project.state.stepsPerDay = 0; // refused by the run, not by the reader
    EXPECT_EQ(ParseProject(project.text()).stepsPerDay, 0);
}

TEST(ProjectReader, MessagesQuoteAShortEscapedPieceOfTheText)
{
    const std::string huge(200000, '7');
    for (const std::string &token :
        {huge + "x", std::string("1\x1b[2J"), std::string("5\0" "6x", 4), std::string("\xff\xfe")}) {
        try {
            TokenizeProject("1;" + token + ";");
            ADD_FAILURE() << "accepted";
        } catch (const ConversionError &e) {
            // The place ("Line 1, number 2: ") and at most 40 characters of the token.
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Line 1, number 2: '", 0), 0u) << message;
            EXPECT_LT(message.size(), 100u) << message;
            for (char c : message)
                EXPECT_TRUE(c >= 0x20 && c < 0x7f) << message;
        }
    }
}

TEST(ProjectReader, AFileLargerThanAnyProjectIsRefusedBeforeReading)
{
    TempDir dir;
    const auto file = dir / "huge.mdl";
    {
        std::ofstream out(file);
        out << "60;";
    }
    std::filesystem::resize_file(file, kMaxProjectFileBytes + 1); // sparse: nothing is written
    int reads = 0;
    try {
        ReadProjectFile(file, [&reads](std::uint64_t, std::uint64_t) { return ++reads > 0; });
        ADD_FAILURE() << "loaded";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("largest project file"), std::string::npos);
    }
    EXPECT_EQ(reads, 0);
    Project small;
    WriteText(file, small.text());
    EXPECT_THROW(ReadProjectFile(file, [](std::uint64_t, std::uint64_t) { return false; }),
        Cancelled);
}

// Numbers cut by the reader's pieces, split by whitespace or written with a comma read as the
// whole text does.
TEST(ProjectReader, AFileReadInPiecesLoadsAsItsWholeText)
{
    Project project;
    project.state.setSimulationLength(3000); // several pieces of the reader
    int d = 0;
    for (DayNode &node : project.state.days.active())
        node.day.set(DayField::temperature, 10 + 0.001 * ++d);
    std::string text = project.text();
    text.replace(text.find("10.001;"), 7, "1 0,0 0\r\n1;");
    TempDir dir;
    WriteText(dir / "long.mdl", text);
    std::vector<std::uint64_t> progress;
    const LoadedProject read = ReadProjectFile(dir / "long.mdl",
        [&progress](std::uint64_t done, std::uint64_t size) {
            progress.push_back(done);
            EXPECT_EQ(size, 0u + size);
            return true;
        });
    const LoadedProject parsed = ParseProject(text);
    ASSERT_EQ(read.days.size(), 3000u);
    EXPECT_EQ(read.days, parsed.days);
    EXPECT_EQ(read.days[0].get(DayField::temperature), 10.001);
    EXPECT_EQ(read.days[2999].get(DayField::temperature), 13);
    EXPECT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.back(), text.size());
}

// The quick reading of plain decimals gives exactly what the general conversion gives.
TEST(ProjectReader, QuickDecimalsMatchTheGeneralConversion)
{
    std::vector<std::string> texts {"0.0001", "12.5", "1.23457e+06", "-0.5", "1e-05", "5.",
        ".5", "+5", "-0", "0.0", "00", "123456789012345", "1234567890123456", "9.99999e+22",
        "1e22", "1e23", "1e-22", "1e-23", "4.94066e-324", "1.79769e+308", "0.000000000000001",
        "123456.789012345", "2.2250738585072014e-308", "3.14159", "1E5", "7e+0",
        // Zeros count as digits once a digit other than 0 came, however many trail.
        "1000000000000000000000", "123456789012345000000000", "0.000000000000000000001",
        "100000000000000.5"};
    std::mt19937_64 random(9);
    for (int i = 0; i < 20000; ++i) {
        double value = 0;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            texts.push_back(FormatFileDouble(value));
        texts.push_back(FormatFileDouble(static_cast<double>(random() % 100000000) / 1000));
        texts.push_back(FormatGeneral(static_cast<double>(random() % 1000000007) * 1e-9));
    }
    std::string text;
    std::vector<double> expected;
    for (const std::string &t : texts) {
        text += t + ";";
        expected.push_back(t == "0" ? 0.0001 : ParseDouble(t));
    }
    const std::vector<double> numbers = TokenizeProject(text);
    ASSERT_EQ(numbers.size(), expected.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        ASSERT_EQ(std::memcmp(&numbers[i], &expected[i], sizeof(double)), 0)
            << texts[i] << ": " << numbers[i] << " vs " << expected[i];
    }
}

} // namespace
