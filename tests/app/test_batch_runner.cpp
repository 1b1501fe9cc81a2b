#include "app/batch_runner.h"

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

struct Result
{
    int status;
    std::string out;
    std::string err;
};

Result Sim(const std::vector<std::string> &args)
{
    std::ostringstream out, err;
    const int status = RunBatch(args, out, err);
    return {status, out.str(), err.str()};
}

const std::string kCold = ExampleFile("cold_climate_bed.mdl").string();

TEST(BatchRunner, WrongUsageExitsWithTwo)
{
    for (const auto &args : std::vector<std::vector<std::string>> {{}, {"simulate", kCold}, {"run"},
             {"run", kCold, "--csv"}, {"run", kCold, "--bogus", "x"}, {"run", kCold, kCold},
             {"run", kCold, "--csv", "-", "--csv", "-"}}) {
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchUsage);
        EXPECT_NE(r.err.find("--help"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
    const Result help = Sim({"--help"});
    EXPECT_EQ(help.status, kBatchOk);
    EXPECT_NE(help.out.find("--datasheet"), std::string::npos);
}

TEST(BatchRunner, RefusedFilesExitWithOneAndOneLine)
{
    TempDir dir;
    WriteText(dir / "short.mdl", "60;70;1;2;");
    for (const std::string &file : {(dir / "short.mdl").string(), (dir / "none.mdl").string()}) {
        const Result r = Sim({"run", file, "--csv", "-"});
        EXPECT_EQ(r.status, kBatchFailed);
        EXPECT_TRUE(r.out.empty());
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
    // A project whose time step is below 1 cannot start.
    std::string text = ReadText(kCold);
    text.replace(text.find("\n70;") + 1, 3, "0;");
    WriteText(dir / "nosteps.mdl", text);
    const Result r = Sim({"run", (dir / "nosteps.mdl").string()});
    EXPECT_EQ(r.status, kBatchFailed);
    EXPECT_NE(r.err.find("time step"), std::string::npos);
}

TEST(BatchRunner, WritesTheThreeTables)
{
    const Result csv = Sim({"run", kCold, "--csv", "-"});
    ASSERT_EQ(csv.status, kBatchOk) << csv.err;
    const auto lines = Lines(csv.out);
    ASSERT_EQ(lines.size(), 366u);
    EXPECT_EQ(lines[0],
        "Day,BOD5 out,nit. out,amm. out,total P. out,org. N. out,eff. BOD5 "
        "rem,eff. nit. rem,eff. amm rem,eff. P. rem,eff. o.n. rem,eff. t.n. rem");
    EXPECT_EQ(lines[365].substr(0, 4), "365,");
    EXPECT_EQ(std::count(lines[200].begin(), lines[200].end(), ','), 11);

    const Result sheet = Sim({"run", kCold, "--datasheet", "-"});
    ASSERT_EQ(sheet.status, kBatchOk);
    EXPECT_EQ(Lines(sheet.out)[0], lines[0]);
    EXPECT_EQ(Lines(sheet.out).size(), 366u);

    const Result boxes = Sim({"run", kCold, "--boxes", "-"});
    ASSERT_EQ(boxes.status, kBatchOk);
    const auto boxLines = Lines(boxes.out);
    EXPECT_EQ(boxLines[0].substr(0, 47), "Day,BOD5-A,BOD5-B,BOD5-C,BOD5-D,BOD5-E,NIT-A,NI");
    EXPECT_EQ(boxLines[0].substr(boxLines[0].size() - 11), "ORN-D,ORN-E");
    EXPECT_EQ(std::count(boxLines[10].begin(), boxLines[10].end(), ','), 25);
}

TEST(BatchRunner, SavedProjectHoldsTheRunAndSimulatesTheSame)
{
    TempDir dir;
    const Result first = Sim(
        {"run", kCold, "--save", (dir / "after").string(), "--csv", (dir / "first.csv").string()});
    ASSERT_EQ(first.status, kBatchOk) << first.err;
    ASSERT_TRUE(std::filesystem::exists(dir / "after.mdl")); // the ".mdl" naming rule

    const LoadedProject saved = ReadProjectFile(dir / "after.mdl");
    EXPECT_EQ(saved.simulationLength, 365);
    EXPECT_NE(saved.dayBoxes[100].concentration(Variable::BOD5, 4), 0.0001);

    const Result second = Sim({"run", (dir / "after.mdl").string(), "--csv", "-"});
    ASSERT_EQ(second.status, kBatchOk);
    EXPECT_EQ(second.out, ReadText(dir / "first.csv"));
}

TEST(BatchRunner, ColdExampleMatchesTheGoldenSheet)
{
    // tests/data/cold_climate_bed.csv holds `carexa-sim run examples/cold_climate_bed.mdl --csv -`;
    // regenerate it on purpose only when the model or the example changes.
    const Result r = Sim({"run", kCold, "--csv", "-"});
    ASSERT_EQ(r.status, kBatchOk);
    EXPECT_EQ(r.out,
        ReadText(std::filesystem::path(CAREXA_SOURCE_DIR) / "tests/data/cold_climate_bed.csv"));
}

} // namespace
