// carexa-sim's data files: `export` and the --forcing, --observed and --xlsx options of `run`.

#include "app/batch_runner.h"
#include "app/sim_support.h"

#include "project/project_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

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
        {"Day,temp.,pH\n1,5,7\n", "Column 3 ('pH', line 1) matches no forcing data column."},
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

TEST(DataFiles, RunWritesTheWorkbookAfterTheRun)
{
    TempDir dir;
    const Result r = Sim({"run", kCold, "--xlsx", (dir / "book.xlsx").string()});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_EQ(ReadText(dir / "book.xlsx").substr(0, 2), "PK");
}

} // namespace
