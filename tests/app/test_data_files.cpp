// carexa-sim's data files: `export` and the --forcing, --observed and --xlsx options of `run`.

#include "app/batch_runner.h"
#include "app/sim_support.h"

#include "io/csv_import.h"
#include "project/project_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

#include <sys/stat.h>

using namespace carexa;
using carexa::testing_support::ExampleFile;
using carexa::testing_support::Lines;
using carexa::testing_support::ReadText;
using carexa::testing_support::TempDir;
using carexa::testing_support::WriteText;

namespace {

using Result = testing_support::SimResult;
using testing_support::kCold;
using testing_support::Sim;

TEST(DataFiles, ExportWritesTablesWithUnits)
{
    const Result forcing = Sim({"export", kCold, "--forcing", "-"});
    ASSERT_EQ(forcing.status, kBatchOk) << forcing.err;
    const auto lines = Lines(forcing.out);
    ASSERT_EQ(lines.size(), 366u);
    EXPECT_EQ(lines[0],
        "Day,temp. (deg C),water flow (m3/d),BOD5 (mg/L),Nitrate (mg/L),Ammonium (mg/L),total "
        "P. (mg/L),Org. Nit. (mg/L),POM %,PON %,POP %,RTB (days)");
    EXPECT_EQ(lines[1], "1,1.5,10.1,137.7,3.1,32.9,7.7,13,35,29.7,20.9,3.8");

    const Result sheet = Sim({"export", kCold, "--datasheet", "-"});
    ASSERT_EQ(sheet.status, kBatchOk);
    EXPECT_EQ(Lines(sheet.out)[0].substr(0, 32), "Day,BOD5 out (mg/L),nit. out (mg");
    EXPECT_EQ(Lines(sheet.out)[1], "1,20,5,10,4,4,85.48,1E-8,69.6,48.05,69.23,61.22");

    const Result boxes = Sim({"export", kCold, "--boxes", "-", "--observed", "-"});
    ASSERT_EQ(boxes.status, kBatchOk);
    EXPECT_EQ(Lines(boxes.out).size(), 2u * 366);
}

TEST(DataFiles, WrongUsage)
{
    for (const auto &args : std::vector<std::vector<std::string>> {{"export", kCold},
             {"export", kCold, "--xlsx", "-"}, {"run", kCold, "--xlsx", "-"},
             {"export", kCold, "--forcing"}, {"export", "--forcing", "-"}}) {
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchUsage) << args.back();
        EXPECT_NE(r.err.find("--help"), std::string::npos);
    }
    const Result help = Sim({"--help"});
    EXPECT_NE(help.out.find("carexa-sim export PROJECT.mdl"), std::string::npos);
    EXPECT_NE(help.out.find("extends it without asking"), std::string::npos);
}

TEST(DataFiles, ImportsExtendTheProjectWithoutAsking)
{
    TempDir dir;
    // A logger's file: semicolons, decimal commas, dates from 1 January over 400 days.
    std::string logger = "Datum;Temperatur (\xC2\xB0"
                         "C);Q (m3/d)\r\n";
    for (int i = 0; i < 59; ++i) {
        const int day = i < 31 ? i + 1 : i - 30;
        if (day < 10)
            logger += '0';
        logger += std::to_string(day);
        logger += i < 31 ? ".01.2023;" : ".02.2023;";
        logger += std::to_string(i % 9) + ",5;" + std::to_string(30 + i % 4) + "\r\n";
    }
    logger += "05.02.2024;7,25;41\r\n"; // day 401 after 2023-01-01
    WriteText(dir / "logger.csv", logger);
    WriteText(dir / "lab.csv", "Date,BOD5 out,NH4-N out\n2023-01-08,14.5,\n2023-12-31,9,3.25\n");

    const Result r = Sim({"run", kCold, "--forcing", (dir / "logger.csv").string(), "--observed",
        (dir / "lab.csv").string(), "--save", (dir / "after.mdl").string()});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    const LoadedProject saved = ReadProjectFile(dir / "after.mdl");
    ASSERT_EQ(saved.simulationLength, 401);
    EXPECT_EQ(saved.days[0].get(DayField::temperature), 0.5);
    EXPECT_EQ(saved.days[58].get(DayField::waterFlow), 32); // 28 February 2023
    EXPECT_EQ(saved.days[400].get(DayField::temperature), 7.25);
    EXPECT_EQ(saved.days[400].get(DayField::waterFlow), 41);
    // Columns the file does not hold keep their values; new days take day 1's bed.
    EXPECT_EQ(saved.days[10].get(DayField::bod5In), 136.2);
    EXPECT_EQ(saved.days[399].get(DayField::bod5In), 0.0001);
    EXPECT_EQ(saved.days[399].get(DayField::porosity), saved.days[0].get(DayField::porosity));
    EXPECT_EQ(saved.days[399].get(DayField::oxygenE), saved.days[0].get(DayField::oxygenE));
    EXPECT_EQ(
        saved.days[399].get(DayField::boxWaterVolume), saved.days[0].get(DayField::boxWaterVolume));

    // The observed length stays 365 (2023-12-31 is day 358); the lab's days are replaced.
    EXPECT_EQ(saved.observedLength, 365);
    EXPECT_EQ(saved.observed[0][0], 14.5);
    EXPECT_EQ(saved.observed[0][2], 0.0001);
    EXPECT_EQ(saved.observed[357][2], 3.25);
}

TEST(DataFiles, RefusedImportsNameTheFileAndChangeNothing)
{
    TempDir dir;
    const std::pair<std::string, std::string> files[] = {
        {"Day,temp.,pH\n1,5,7\n",
            "Column 3 ('pH', line 1) matches no forcing data column; 'carexa-sim --help' lists "
            "the headings known"},
        {"1,5\n2,6\n", "The first line must name the columns"},
        {"Day;temp.\n1;5\n2;warm\n", "Line 3, column 2 (temp.): 'warm' is not a number"},
        {"Day,temp.\n1,5\n2\n", "Line 3, column 2 (temp.): the line ends after 1 field"},
        {"", "is empty."},
    };
    int n = 0;
    for (const auto &[text, reason] : files) {
        const std::string name = (dir / ("bad" + std::to_string(++n) + ".csv")).string();
        WriteText(name, text);
        const Result r
            = Sim({"run", kCold, "--forcing", name, "--save", (dir / "out.mdl").string()});
        EXPECT_EQ(r.status, kBatchFailed) << text;
        EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.mdl"));
    }
    const Result missing = Sim({"run", kCold, "--observed", (dir / "none.csv").string()});
    EXPECT_EQ(missing.status, kBatchFailed);
    EXPECT_NE(missing.err.find("cannot be opened"), std::string::npos);
}

// A named pipe given as the project or as an import is refused at once with exit status 1,
// instead of waiting for a writer for ever.
TEST(DataFiles, NamedPipesAreRefusedWithoutWaiting)
{
    TempDir dir;
    const std::string pipe = (dir / "p.mdl").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const auto &args :
        std::vector<std::vector<std::string>> {{"run", pipe}, {"export", pipe, "--forcing", "-"},
            {"run", kCold, "--forcing", pipe}, {"run", kCold, "--observed", pipe}}) {
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchFailed);
        EXPECT_EQ(r.err.rfind("carexa-sim: The file \"", 0), 0u) << r.err;
        const std::string reason = "\" cannot be read: it is a named pipe (FIFO), not a regular "
                                   "file.\n";
        ASSERT_GT(r.err.size(), reason.size());
        EXPECT_EQ(r.err.substr(r.err.size() - reason.size()), reason);
    }
}

// File names and words of the command line reach messages quoted: at most 40 characters, control
// bytes escaped, so a message is one short line whatever a name holds.
TEST(DataFiles, NamesInMessagesAreQuotedShortAndEscaped)
{
    TempDir dir;
    const std::string odd = "x\x1B[31mRED\a\n.csv"; // no such file
    const Result escaped = Sim({"run", kCold, "--forcing", odd});
    EXPECT_EQ(escaped.status, kBatchFailed);
    EXPECT_EQ(escaped.err.find_first_of("\x1B\a"), std::string::npos) << escaped.err;
    EXPECT_EQ(escaped.err.find('\n'), escaped.err.size() - 1) << escaped.err;
    EXPECT_EQ(escaped.err,
        "carexa-sim: The file \"x\\x1B[31mRED\\x07\\n.csv\" cannot be opened: No such file or "
        "directory.\n");

    const std::string longName = (dir / std::string(100000, 'n')).string();
    for (const char *option : {"--forcing", "--observed"}) {
        const Result r = Sim({"run", kCold, option, longName});
        EXPECT_EQ(r.status, kBatchFailed);
        EXPECT_LT(r.err.size(), 200u) << r.err.substr(0, 300);
        EXPECT_NE(r.err.find("...\" cannot be opened"), std::string::npos) << r.err.substr(0, 300);
    }
    const Result longProject = Sim({"run", longName});
    EXPECT_EQ(longProject.status, kBatchFailed);
    EXPECT_LT(longProject.err.size(), 200u);

    // Usage errors repeat an unknown option or command quoted as well.
    const Result option = Sim({"run", kCold, "--\x1B[2J"});
    EXPECT_EQ(option.status, kBatchUsage);
    EXPECT_EQ(option.err, "carexa-sim: unknown option '--\\x1B[2J'\nTry 'carexa-sim --help'.\n");
    const Result command = Sim({std::string(500, 'c') + "\a"});
    EXPECT_EQ(command.status, kBatchUsage);
    EXPECT_EQ(command.err,
        "carexa-sim: unknown command '" + std::string(40, 'c')
            + "...'\nTry 'carexa-sim --help'.\n");
}

// What the refusal of an unknown heading points to: --help lists the headings known, and every
// name it gives is one an import matches to its column.
TEST(DataFiles, HelpListsTheHeadingsAnImportKnows)
{
    const std::string help = Sim({"--help"}).out;
    const std::pair<const char *, int> forcing[] = {{"temp.", 1}, {"Temperature", 1}, {"T", 1},
        {"water flow", 2}, {"Flow", 2}, {"Q", 2}, {"Discharge", 2}, {"Inflow", 2}, {"BOD5", 3},
        {"BOD", 3}, {"BSB5", 3}, {"CBOD5", 3}, {"Nitrate", 4}, {"NO3-N", 4}, {"NO3", 4},
        {"Ammonium", 5}, {"NH4-N", 5}, {"NH3-N", 5}, {"Ammonia", 5}, {"total P.", 6}, {"TP", 6},
        {"Ptot", 6}, {"Phosphorus", 6}, {"Org. Nit.", 7}, {"Organic N", 7}, {"Norg", 7}, {"ON", 7},
        {"POM %", 8}, {"PON %", 9}, {"POP %", 10}, {"RTB", 11}, {"Retention time", 11}};
    for (const auto &[name, column] : forcing) {
        EXPECT_NE(help.find(name), std::string::npos) << name;
        EXPECT_EQ(MatchHeading(name, ImportTarget::Forcing), column) << name;
    }
    const std::pair<const char *, int> observed[] = {{"BOD5 out", 1}, {"nit. out", 2},
        {"amm. out", 3}, {"total P. out", 4}, {"org. N. out", 5}, {"eff. BOD5 rem", 6},
        {"eff. nit. rem", 7}, {"eff. amm rem", 8}, {"eff. P. rem", 9}, {"eff. o.n. rem", 10},
        {"eff. t.n. rem", 11}, {"BOD5 removal", 6}, {"eff. TN", 11}, {"TN elimination", 11}};
    for (const auto &[name, column] : observed) {
        EXPECT_NE(help.find(name), std::string::npos) << name;
        EXPECT_EQ(MatchHeading(name, ImportTarget::Observed), column) << name;
    }
    EXPECT_EQ(DayHeadingKind("Day"), DayColumn::DayNumbers);
    EXPECT_EQ(DayHeadingKind("Date"), DayColumn::Dates);
}

TEST(DataFiles, RunWritesTheWorkbookAfterTheRun)
{
    TempDir dir;
    const Result r = Sim({"run", kCold, "--xlsx", (dir / "book.xlsx").string()});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_EQ(ReadText(dir / "book.xlsx").substr(0, 2), "PK");
}

} // namespace
