#include "app/batch_runner.h"
#include "app/sim_support.h"

#include "app/batch_command.h"
#include "project/project_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <streambuf>

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

// A project with a negative retention time loads (export writes its tables), but no command
// simulates it: exit status 1 with the day and value.
TEST(BatchRunner, ANegativeRetentionTimeIsRefusedNamingTheDay)
{
    TempDir dir;
    batch::Session session;
    batch::LoadSession(session, kCold);
    session.project.setDayValues(DayField::RTB, 40, {-2.5, -3});
    const std::string file = (dir / "negative.mdl").string();
    session.project.save(file);

    const std::string refusal = "carexa-sim: Day 40 has a negative retention time (RTB -2.5); a "
                                "retention time cannot be negative.\n";
    for (const auto &args :
        std::vector<std::vector<std::string>> {{"run", file, "--csv", (dir / "sheet.csv").string()},
            {"calibrate", file, "--save", (dir / "c.mdl").string()},
            {"sensitivity", file, "--report", (dir / "s.csv").string()},
            {"uncertainty", file, "--bands", (dir / "u.csv").string()}}) {
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchFailed) << args[0];
        EXPECT_EQ(r.err, refusal) << args[0];
        EXPECT_TRUE(r.out.empty()) << args[0];
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "sheet.csv"));
    const Result exported = Sim({"export", file, "--forcing", "-"});
    ASSERT_EQ(exported.status, kBatchOk) << exported.err;
    EXPECT_NE(exported.out.find("\n40,"), std::string::npos);
    EXPECT_NE(exported.out.find(",-2.5\n"), std::string::npos);
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

TEST(BatchRunner, GraphOptionsAreCheckedBeforeTheRun)
{
    TempDir dir;
    const std::string png = (dir / "a.png").string();
    const std::vector<std::vector<std::string>> wrong {{"--graph", "0:" + png},
        {"--graph", "12:" + png}, {"--graph", "x:" + png}, {"--graph", ":" + png}, {"--graph", png},
        {"--graph", "3:" + (dir / "a.bmp").string()}, {"--graph", "3:-"}, {"--graph", "3:"},
        {"--graph", "3:" + (dir / "png").string()}, {"--graph"}, {"--graph-size", "800x600"},
        {"--graph", "1:" + png, "--graph-size", "99x600"},
        {"--graph", "1:" + png, "--graph-size", "800x10001"},
        {"--graph", "1:" + png, "--graph-size", "800x"},
        {"--graph", "1:" + png, "--graph-size", "800X600"},
        {"--graph", "1:" + png, "--graph-size", "-800x600"},
        {"--graph", "1:" + png, "--graph-size", "800x600x2"},
        {"--graph", "1:" + png, "--graph-size", "800x600", "--graph-size", "800x600"}};
    for (const auto &options : wrong) {
        std::vector<std::string> args {"run", kCold};
        args.insert(args.end(), options.begin(), options.end());
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchUsage) << options.back();
        EXPECT_NE(r.err.find("--help"), std::string::npos) << options.back();
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_NE(Sim({"--help"}).out.find("--graph COLUMN:FILE"), std::string::npos);
}

// The first bytes of each kind of picture, and the size each says it has.
TEST(BatchRunner, GraphsAreDrawnAsPicturesOfTheGivenSize)
{
    TempDir dir;
    const Result r = Sim({"run", kCold, "--graph", "1:" + (dir / "bod.png").string(), "--graph",
        "7:" + (dir / "nit.SVG").string(), "--graph", "11:" + (dir / "tn.pdf").string(),
        "--graph-size", "640x480"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::string png = ReadText(dir / "bod.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x02\x80\0\0\x01\xe0", 8)); // 640 x 480
    const std::string svg = ReadText(dir / "nit.SVG");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("width=\"640\""), std::string::npos);
    EXPECT_NE(svg.find("Efficiency of Nitrate removal"), std::string::npos);
    EXPECT_NE(svg.find("Observed: "), std::string::npos); // the example holds measurements
    const std::string pdf = ReadText(dir / "tn.pdf");
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("/MediaBox [0 0 640.000000 480.000000]"), std::string::npos);

    // The default size; no legend for a project without any observed value.
    const std::string bare
        = (std::filesystem::path(CAREXA_SOURCE_DIR) / "tests/data/golden/no_climate.mdl").string();
    const Result plain = Sim({"run", bare, "--graph", "3:" + (dir / "amm.svg").string()});
    ASSERT_EQ(plain.status, kBatchOk) << plain.err;
    const std::string amm = ReadText(dir / "amm.svg");
    EXPECT_NE(amm.find("width=\"800\""), std::string::npos);
    EXPECT_NE(amm.find("height=\"600\""), std::string::npos);
    EXPECT_NE(amm.find("Ammonium out"), std::string::npos);
    EXPECT_EQ(amm.find("Observed: "), std::string::npos);
}

TEST(BatchRunner, AGraphThatCannotBeWrittenExitsWithOneSayingWhy)
{
    const Result r
        = Sim({"run", kCold, "--graph", "2:/proc/carexa-no-such-place/nit.png", "--csv", "-"});
    EXPECT_EQ(r.status, kBatchFailed);
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_FALSE(r.out.empty()); // the outputs before it are written
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

TEST(BatchRunner, RunWithoutOutputsPrintsTheLastDay)
{
    const Result cold = Sim({"run", kCold});
    ASSERT_EQ(cold.status, kBatchOk) << cold.err;
    EXPECT_EQ(cold.out,
        "Days simulated: 365\n"
        "Day 365:\n"
        "  BOD5 out        15.656\n"
        "  nit. out        1.207\n"
        "  amm. out        24.632\n"
        "  total P. out    0.423\n"
        "  org. N. out     0.182\n"
        "  eff. BOD5 rem   91.661\n"
        "  eff. nit. rem   56.935\n"
        "  eff. amm rem    17.259\n"
        "  eff. P. rem     95.507\n"
        "  eff. o.n. rem   98.761\n"
        "  eff. t.n. rem   46.484\n");
    EXPECT_TRUE(cold.err.empty());

    // A run that stops shows the last day it simulated, and still fails.
    const Result stopped
        = Sim({"run", std::string(CAREXA_SOURCE_DIR) + "/tests/data/golden/blow_up.mdl"});
    EXPECT_EQ(stopped.status, kBatchFailed);
    const auto lines = Lines(stopped.out);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "Days simulated: 7 of 20");
    EXPECT_EQ(lines[1], "Day 7:");
    EXPECT_EQ(lines[4], "  amm. out        1E-8");
    EXPECT_EQ(lines[5], "  total P. out    6.258");
    EXPECT_NE(stopped.err.find("stopped at day 8"), std::string::npos);

    // Any output option replaces the summary.
    TempDir dir;
    const Result quiet = Sim({"run", kCold, "--boxes", (dir / "b.csv").string()});
    EXPECT_EQ(quiet.status, kBatchOk);
    EXPECT_TRUE(quiet.out.empty());
}

// The cells of the given columns of a written table, all rows.
std::vector<std::string> Cells(const std::string &table, int first, int last)
{
    std::vector<std::string> cells;
    const auto lines = Lines(table);
    for (std::size_t l = 1; l < lines.size(); ++l) {
        std::vector<std::string> fields;
        std::stringstream row(lines[l]);
        for (std::string field; std::getline(row, field, ',');)
            fields.push_back(field);
        for (int c = first; c <= last; ++c)
            cells.push_back(fields.at(static_cast<std::size_t>(c)));
    }
    return cells;
}

// What --help says of each table, checked on projects whose runs reach every case.
TEST(BatchRunner, HelpSaysWhatTheTablesShow)
{
    const std::string help = Sim({"--help"}).out;
    EXPECT_NE(help.find("an outflow of 0.0001 or less shows as 0"), std::string::npos);
    EXPECT_NE(help.find("efficiency that rounds to 0 or below"), std::string::npos);
    EXPECT_NE(help.find("(no removal, or more out than in) shows as 1E-8"), std::string::npos);
    EXPECT_EQ(help.find("values of 0.0001 and below shown as 0"), std::string::npos);

    const std::string lags = std::string(CAREXA_SOURCE_DIR) + "/tests/data/golden/warm_lags.mdl";
    const std::string noClimate
        = std::string(CAREXA_SOURCE_DIR) + "/tests/data/golden/no_climate.mdl";
    int zeroOutflows = 0;
    int tinyEfficiencies = 0;
    for (const std::string &project : {kCold, lags, noClimate}) {
        const Result sheet = Sim({"run", project, "--datasheet", "-"});
        ASSERT_EQ(sheet.status, kBatchOk);
        for (const std::string &cell : Cells(sheet.out, 1, 5)) {
            EXPECT_NE(cell, "1E-8");
            const double value = std::stod(cell);
            EXPECT_TRUE(value == 0 || value > 0.0001) << cell;
            zeroOutflows += cell == "0";
        }
        for (const std::string &cell : Cells(sheet.out, 6, 11)) {
            EXPECT_NE(cell, "0");
            EXPECT_GE(std::stod(cell), cell == "1E-8" ? 1e-8 : 0.01) << cell;
            tinyEfficiencies += cell == "1E-8";
        }
    }
    EXPECT_GT(zeroOutflows, 0);
    EXPECT_GT(tinyEfficiencies, 0);

    // warm_lags: retention times of about 3 days, so its first rows show box E's initial
    // values (BOD5 10, NIT 4, AMM 1, TPO 6, ORN 2) and day 7 a lagged outflow that is 0.
    const auto rows = Lines(Sim({"run", lags, "--datasheet", "-"}).out);
    EXPECT_EQ(rows[1].substr(0, 13), "1,10,4,1,6,2,");
    EXPECT_EQ(rows[7].substr(0, 4), "7,0,");

    // --csv: no cell is 0; what rounds to 0 or below is 1E-8.
    const Result csv = Sim({"run", lags, "--csv", "-"});
    ASSERT_EQ(csv.status, kBatchOk);
    int floors = 0;
    for (const std::string &cell : Cells(csv.out, 1, 11)) {
        EXPECT_GT(std::stod(cell), 0) << cell;
        floors += cell == "1E-8";
    }
    EXPECT_GT(floors, 0);
}

// A buffer that takes every byte and fails when flushed, as standard output on a full disk.
class FullDisk : public std::streambuf
{
protected:
    std::streamsize xsputn(const char *, std::streamsize count) override { return count; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    int sync() override
    {
        errno = ENOSPC;
        return -1;
    }
};

TEST(BatchRunner, FailedFinalFlushFailsTheRun)
{
    FullDisk full;
    std::ostream out(&full);
    out << "text";
    std::ostringstream err;
    EXPECT_EQ(FinishBatch(kBatchOk, out, err), kBatchFailed);
    EXPECT_EQ(
        err.str(), "carexa-sim: Standard output could not be written: No space left on device.\n");

    // A run that failed already said why.
    std::ostringstream again;
    EXPECT_EQ(FinishBatch(kBatchUsage, out, again), kBatchUsage);
    EXPECT_TRUE(again.str().empty());

    std::ostringstream fine, none;
    fine << "text";
    EXPECT_EQ(FinishBatch(kBatchOk, fine, none), kBatchOk);
    EXPECT_TRUE(none.str().empty());

    // Output to a stream that refuses it fails the command with the reason.
    std::ostream fresh(&full);
    std::ostringstream why;
    EXPECT_EQ(RunBatch({"run", kCold, "--csv", "-"}, fresh, why), kBatchFailed);
    EXPECT_EQ(
        why.str(), "carexa-sim: Standard output could not be written: No space left on device.\n");
}

// The tables of one run go to their files side by side: each is the one a run with that option
// alone writes, and a table that cannot be written is reported without losing the others.
TEST(BatchRunner, TablesWrittenSideBySideAreTheTablesWrittenAlone)
{
    TempDir dir;
    const auto path = [&dir](const char *name) { return (dir / name).string(); };
    const Result all = Sim({"run", kCold, "--save", path("all.mdl"), "--csv", path("all.csv"),
        "--datasheet", path("all-sheet.csv"), "--boxes", path("all-boxes.csv"), "--fit",
        path("all-fit.csv")});
    ASSERT_EQ(all.status, kBatchOk) << all.err;
    EXPECT_TRUE(all.out.empty());
    const std::pair<const char *, const char *> alone[] = {{"--csv", "all.csv"},
        {"--datasheet", "all-sheet.csv"}, {"--boxes", "all-boxes.csv"}, {"--fit", "all-fit.csv"}};
    for (const auto &[option, file] : alone) {
        const Result single = Sim({"run", kCold, option, "-"});
        ASSERT_EQ(single.status, kBatchOk) << option;
        EXPECT_EQ(ReadText(dir / file), single.out) << option;
    }
    EXPECT_EQ(ReadText(dir / "all.mdl"), Sim({"run", kCold, "--save", "-"}).out);

    // An unwritable project file: the other tables are still written, the run fails with the
    // project's reason alone.
    const std::string nowhere = (dir / "no" / "such" / "p.mdl").string();
    const Result failed = Sim({"run", kCold, "--csv", path("after.csv"), "--save", nowhere,
        "--boxes", path("after-boxes.csv")});
    EXPECT_EQ(failed.status, kBatchFailed);
    EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1) << failed.err;
    EXPECT_NE(failed.err.find("p.mdl"), std::string::npos) << failed.err;
    EXPECT_EQ(ReadText(dir / "after.csv"), ReadText(dir / "all.csv"));
    EXPECT_EQ(ReadText(dir / "after-boxes.csv"), ReadText(dir / "all-boxes.csv"));

    // The same file named twice is written once after the other, the last option's table
    // winning, as the options read.
    const Result twice
        = Sim({"run", kCold, "--csv", path("twice.csv"), "--boxes", path("twice.csv")});
    ASSERT_EQ(twice.status, kBatchOk);
    EXPECT_EQ(ReadText(dir / "twice.csv"), ReadText(dir / "all-boxes.csv"));
}

// ---------------------------------------------------------------------------------------------
// The analyses

TEST(BatchAnalyses, WrongUsageExitsWithTwo)
{
    for (const auto &args : std::vector<std::vector<std::string>> {{"sensitivity", kCold},
             {"sensitivity", kCold, "--report", "-", "--levels", "3"},
             {"sensitivity", kCold, "--report", "-", "--levels", "102"},
             {"sensitivity", kCold, "--report", "-", "--trajectories", "1"},
             {"sensitivity", kCold, "--report", "-", "--trajectories", "1001"},
             {"sensitivity", kCold, "--report", "-", "--threads", "0"},
             {"sensitivity", kCold, "--report", "-", "--seed", "-1"},
             {"sensitivity", kCold, "--report", "-", "--samples", "10"}, {"uncertainty", kCold},
             {"uncertainty", kCold, "--bands", "-", "--samples", "1"},
             {"uncertainty", kCold, "--bands", "-", "--samples", "100001"},
             {"uncertainty", kCold, "--bands", "-", "--threads", "257"},
             {"uncertainty", kCold, "--bands", "-", "--seed", "x"},
             {"uncertainty", kCold, "--bands", "-", "--levels", "4"},
             {"calibrate", kCold, "--save", "-", "--threads", "257"},
             {"calibrate", kCold, "--save", "-", "--seed", "18446744073709551616"}}) {
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchUsage) << args.back();
        EXPECT_NE(r.err.find("--help"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
    const Result help = Sim({"--help"});
    EXPECT_NE(help.out.find("carexa-sim sensitivity PROJECT.mdl --report"), std::string::npos);
    EXPECT_NE(help.out.find("carexa-sim uncertainty PROJECT.mdl --bands"), std::string::npos);
    EXPECT_NE(help.out.find("(default 20)"), std::string::npos);
    EXPECT_NE(help.out.find("(default 200)"), std::string::npos);
}

TEST(BatchAnalyses, SensitivityWritesSixteenTimesElevenEffects)
{
    const Result r = Sim({"sensitivity", kCold, "--report", "-", "--trajectories", "2", "--seed",
        "9", "--threads", "2"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_TRUE(r.err.empty());
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 177u);
    EXPECT_EQ(lines[0], "parameter,series,mu,mu_star,sigma");
    EXPECT_EQ(lines[1].substr(0, 12), "AC,BOD5 out,");
    EXPECT_EQ(lines[15 * 11 + 1], "AF,BOD5 out,0,0,0"); // adsorption acts on phosphorus only
    // More plant uptake removes more phosphorus.
    EXPECT_EQ(lines[14 * 11 + 9].substr(0, 15), "PP,eff. P. rem,");
    EXPECT_NE(lines[14 * 11 + 9][15], '-');

    // Every analysis takes the same seeds, up to the largest 64-bit number.
    EXPECT_EQ(Sim({"sensitivity", kCold, "--report", "-", "--trajectories", "2", "--seed",
                  "18446744073709551615"})
                  .status,
        kBatchOk);

    const Result oneThread = Sim({"sensitivity", kCold, "--report", "-", "--trajectories", "2",
        "--seed", "9", "--threads", "1"});
    EXPECT_EQ(oneThread.out, r.out);
}

TEST(BatchAnalyses, UncertaintyWritesBandsAndTheReport)
{
    TempDir dir;
    const Result r = Sim({"uncertainty", kCold, "--bands", (dir / "bands.csv").string(),
        "--report", "-", "--samples", "8"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    const auto bands = Lines(ReadText(dir / "bands.csv"));
    ASSERT_EQ(bands.size(), 366u);
    EXPECT_EQ(bands[0].substr(0, 58), "Day,BOD5 out p2.5,BOD5 out p50,BOD5 out p97.5,nit. out p2.");
    EXPECT_EQ(bands[0].substr(bands[0].size() - 56),
        "eff. t.n. rem p2.5,eff. t.n. rem p50,eff. t.n. rem p97.5");
    EXPECT_EQ(std::count(bands[100].begin(), bands[100].end(), ','), 33);
    EXPECT_EQ(bands[365].substr(0, 4), "365,");

    const auto report = Lines(r.out);
    ASSERT_EQ(report.size(), 12u);
    EXPECT_EQ(report[0], "series,n_observed,p_factor,r_factor,runs_used,runs_failed");
    // The example holds a measured BOD5 outflow once a week: on 52 of its days.
    EXPECT_EQ(report[1].substr(0, 12), "BOD5 out,52,");
    EXPECT_EQ(report[1].substr(report[1].size() - 4), ",8,0");
}

TEST(BatchAnalyses, AnOutputThatCannotBeWrittenExitsWithOne)
{
    TempDir dir;
    const std::string nowhere = (dir / "no" / "such" / "r.csv").string();
    const Result s = Sim({"sensitivity", kCold, "--report", nowhere, "--trajectories", "2"});
    EXPECT_EQ(s.status, kBatchFailed);
    EXPECT_EQ(s.err.find('\n'), s.err.size() - 1) << s.err;
    const Result u = Sim({"uncertainty", kCold, "--bands", nowhere, "--samples", "2"});
    EXPECT_EQ(u.status, kBatchFailed);
    const Result missing = Sim({"uncertainty", (dir / "none.mdl").string(), "--bands", "-"});
    EXPECT_EQ(missing.status, kBatchFailed);
    EXPECT_TRUE(missing.out.empty());
}

} // namespace
