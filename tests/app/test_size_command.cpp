// carexa-sim size: sizing for target outflows from the command line.

#include "app/batch_runner.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

using namespace carexa;
using carexa::testing_support::Lines;

namespace {

struct Result
{
    int status;
    std::string out;
    std::string err;
};

Result Size(std::vector<std::string> args)
{
    args.insert(args.begin(), "size");
    std::ostringstream out, err;
    const int status = RunBatch(args, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> Cells(const std::string &line)
{
    std::vector<std::string> cells;
    std::stringstream stream(line);
    std::string cell;
    while (std::getline(stream, cell, ','))
        cells.push_back(cell);
    if (!line.empty() && line.back() == ',')
        cells.emplace_back();
    return cells;
}

double Cell(const std::string &line, std::size_t column)
{
    return std::strtod(Cells(line).at(column).c_str(), nullptr);
}

const std::string kHeader
    = "pollutant,inflow,target,k20,theta,cstar,tanks,kT,required_area_m2,outflow_at_area";

TEST(SizeCommand, TheWorkedExample)
{
    const Result r = Size({"--flow", "20", "--pollutant", "BOD5:200:30:76:1:8.8424:4", "--area",
        "500", "--temperature", "20"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_TRUE(r.err.empty());
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], kHeader);
    // The inputs come back in their shortest exact form.
    EXPECT_EQ(lines[1].substr(0, 31), "BOD5,200,30,76,1,8.8424,4,76,28");
    EXPECT_NEAR(Cell(lines[1], 8), 281.9, 0.05);
    EXPECT_NEAR(Cell(lines[1], 9), 15.66, 0.005);

    // Without --area the outflow is the one at the governing area: the target itself.
    const Result governing = Size({"--flow", "20", "--pollutant", "BOD5:200:30:76:1:8.8424:4"});
    ASSERT_EQ(governing.status, kBatchOk);
    EXPECT_NEAR(Cell(Lines(governing.out)[1], 9), 30, 1e-9);
}

TEST(SizeCommand, DefaultsForLeftOutConstants)
{
    const Result r
        = Size({"--flow", "20", "--temperature", "10", "--pollutant", "NH4:30:5", "--pollutant",
            "nh4:30:5:34", "--pollutant", "BOD5:150:20::::2", "--pollutant", "TP:5:3:::0.5:"});
    // NH4 given twice is refused, so split the run: once with the defaults, once with k20 34.
    EXPECT_EQ(r.status, kBatchFailed);
    EXPECT_NE(r.err.find("NH4-N is given twice"), std::string::npos) << r.err;

    const Result d = Size({"--flow", "20", "--temperature", "10", "--pollutant", "NH4:30:5",
        "--pollutant", "BOD5:150:20::::2", "--pollutant", "TP:5:3:::0.5:"});
    ASSERT_EQ(d.status, kBatchOk) << d.err;
    const auto lines = Lines(d.out);
    ASSERT_EQ(lines.size(), 4u);
    const auto first7 = [](const std::string &line) {
        auto cells = Cells(line);
        cells.resize(7);
        return cells;
    };
    EXPECT_EQ(
        first7(lines[1]), (std::vector<std::string> {"NH4", "30", "5", "11.4", "1.04", "0", "6"}));
    EXPECT_NEAR(Cell(lines[1], 7), 7.70, 0.005);
    EXPECT_NEAR(Cell(lines[1], 8), 1979.2, 0.05); // 6 x 7300 / 7.70 x (6^(1/6) - 1)
    // BOD5 at 150 mg/L lies in the band above 100 up to 200 mg/L: C* 10, k20 25; P given as 2.
    EXPECT_EQ(
        first7(lines[2]), (std::vector<std::string> {"BOD5", "150", "20", "25", "1", "10", "2"}));
    EXPECT_NEAR(Cell(lines[2], 8), 1601.1, 0.05); // 2 x 7300 / 25 x (14^(1/2) - 1)
    EXPECT_EQ(first7(lines[3]), (std::vector<std::string> {"TP", "5", "3", "12", "1", "0.5", "3"}));
    EXPECT_NEAR(Cell(lines[3], 8), 395.0, 0.05); // 3 x 7300 / 12 x (1.8^(1/3) - 1)

    const Result k = Size({"--flow", "20", "--temperature", "10", "--pollutant", "nh4:30:5:34"});
    ASSERT_EQ(k.status, kBatchOk) << k.err;
    EXPECT_NEAR(Cell(Lines(k.out)[1], 7), 22.97, 0.005);
}

TEST(SizeCommand, AnUnreachableTargetIsSaid)
{
    const Result r = Size({"--flow", "20", "--pollutant", "TP:5:0.02", "--pollutant", "TN:40:15"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Cells(lines[1]).at(8), "unreachable");
    // Its outflow at the governing area (TN's) is still given.
    EXPECT_GT(Cell(lines[1], 9), 0.02);
    EXPECT_NEAR(Cell(lines[2], 9), 15, 1e-9);

    const Result none = Size({"--flow", "20", "--pollutant", "TP:5:0.01"});
    ASSERT_EQ(none.status, kBatchOk);
    EXPECT_EQ(Lines(none.out)[1], "TP,5,0.01,12,1,0.02,3,12,unreachable,");
}

TEST(SizeCommand, TheDarcyAndRetentionBlocks)
{
    const Result r = Size({"--flow", "20", "--pollutant", "BOD5:200:30:76:1:8.8424:4",
        "--conductivity", "1000", "--slope", "0.01", "--depth", "0.6", "--area", "500"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "width_m,min_width_clean_m,min_width_long_term_m,max_flow_long_term_m3d");
    // 33.33 m with a tenth of the clean conductivity, rounded up to 33.4 m.
    EXPECT_EQ(Cells(lines[4]).at(0), "33.4");
    EXPECT_NEAR(Cell(lines[4], 1), 3.33, 0.005);
    EXPECT_NEAR(Cell(lines[4], 2), 33.3, 0.05);
    EXPECT_NEAR(Cell(lines[4], 3), 20.04, 1e-9);
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "area_m2,retention_time_d,bod5_loading_g_m2d");
    EXPECT_EQ(lines[7], "500,6,8");

    // A bed 20 m wide of 100 m/d gravel on 1 cm/m carries 12 m3/d clean, 1.2 m3/d clogged.
    const Result w = Size(
        {"--flow", "33", "--pollutant", "BOD5:150:25", "--conductivity", "100", "--slope", "0.01",
            "--depth", "0.6", "--width", "20", "--long-term-factor", "0.1", "--porosity", "0.35"});
    ASSERT_EQ(w.status, kBatchOk) << w.err;
    const auto wl = Lines(w.out);
    ASSERT_EQ(wl.size(), 8u);
    EXPECT_EQ(Cells(wl[4]).at(0), "20");
    EXPECT_NEAR(Cell(wl[4], 3), 1.2, 1e-9);
    EXPECT_NEAR(Cell(wl[4], 2), 550, 1e-9);
    EXPECT_NEAR(Cell(wl[7], 1), Cell(wl[7], 0) * 0.6 * 0.35 / 33, 1e-9);

    // A block for the depth alone; no Darcy block without --conductivity or --width.
    const Result d = Size({"--flow", "20", "--pollutant", "TP:5:0.01", "--depth", "0.6"});
    ASSERT_EQ(d.status, kBatchOk) << d.err;
    const auto dl = Lines(d.out);
    ASSERT_EQ(dl.size(), 5u);
    EXPECT_EQ(dl[3], "area_m2,retention_time_d,bod5_loading_g_m2d");
    EXPECT_EQ(dl[4], ",,");
}

TEST(SizeCommand, RefusedValuesExitWithOneAndNameTheField)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--flow", "0", "--pollutant", "BOD5:200:30"}, "Design flow Q"},
        {{"--flow", "-5", "--pollutant", "BOD5:200:30"}, "Design flow Q"},
        {{"--flow", "twenty", "--pollutant", "BOD5:200:30"}, "--flow: 'twenty' is not a number"},
        {{"--flow", "20", "--pollutant", "BOD5:200:250"}, "BOD5 target"},
        {{"--flow", "20", "--pollutant", "BOD5:200:200"}, "BOD5 target"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30:0"}, "BOD5 k20"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30:::-1"}, "BOD5 C*"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30::::0.5"}, "BOD5 P"},
        {{"--flow", "20", "--pollutant", "NO3:x:1"}, "NO3-N inflow: 'x' is not a number"},
        {{"--flow", "20", "--pollutant", "BOD5:200"}, "NAME:IN:TARGET"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30:1:1:1:3:9"}, "NAME:IN:TARGET"},
        {{"--flow", "20", "--pollutant", "COD:200:30"}, "'COD' is no pollutant"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30", "--area", "0"}, "Area"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30", "--area", "-1"}, "Area"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30", "--depth", "0"}, "Depth"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30", "--depth", "0.6", "--porosity", "1.2"},
            "Porosity"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30", "--conductivity", "0", "--slope", "0.01",
             "--depth", "0.6"},
            "Hydraulic conductivity K"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30", "--conductivity", "100", "--slope", "0",
             "--depth", "0.6"},
            "Slope S"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30", "--conductivity", "100", "--slope", "0.01",
             "--depth", "0.6", "--long-term-factor", "0"},
            "Long-term factor"},
        {{"--flow", "20", "--pollutant", "BOD5:200:30", "--conductivity", "100", "--slope", "0.01",
             "--depth", "0.6", "--width", "-3"},
            "Width"},
    };
    for (const auto &[args, field] : cases) {
        const Result r = Size(args);
        EXPECT_EQ(r.status, kBatchFailed) << field;
        EXPECT_TRUE(r.out.empty()) << field;
        EXPECT_NE(r.err.find(field), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

// Extreme inputs: every value printed is a finite number, or the command exits 1 saying which
// result is too large to compute and which inputs it comes from.
TEST(SizeCommand, ExtremeInputsGiveFiniteNumbersOrSayWhatIsTooLarge)
{
    const std::vector<std::string> base {"--flow", "22.9", "--pollutant", "BOD5:150:25"};
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--depth", "1e308"},
            "The nominal retention time is too large to compute: check the depth, the porosity "
            "and the area."},
        {{"--conductivity", "4.9e-324", "--slope", "1e300", "--depth", "0.6"},
            "The narrowest width that carries the flow once the bed has clogged is too large to "
            "compute: check the design flow Q, the hydraulic conductivity K, the long-term factor, "
            "the depth and the slope S."},
        {{"--conductivity", "1e300", "--slope", "1e300", "--depth", "0.6", "--width", "10"},
            "The largest flow the width carries is too large to compute: check the width, the "
            "hydraulic conductivity K, the depth and the slope S."},
        {{"--conductivity", "100", "--slope", "0.01", "--depth", "0.6", "--width", "1e-320"},
            "The length that gives the governing area is too large to compute: check the width."},
        {{"--area", "1e308", "--depth", "1e10"},
            "The nominal retention time is too large to compute: check --depth, --porosity and "
            "--area over --flow."},
        {{"--area", "1e-320", "--depth", "1"},
            "The BOD5 loading is too large to compute: check --flow and the BOD5 inflow over "
            "--area."},
    };
    for (const auto &[options, message] : refused) {
        std::vector<std::string> args = base;
        args.insert(args.end(), options.begin(), options.end());
        const Result r = Size(args);
        EXPECT_EQ(r.status, kBatchFailed) << message;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(r.err, "carexa-sim: " + message + "\n");
    }
    // A depth of 1e-300 m needs a bed 1e302 m wide: finite, and no word of an area not given.
    for (const auto &options : std::vector<std::vector<std::string>> {{"--depth", "1e-300"},
             {"--conductivity", "1", "--slope", "1", "--depth", "1e-300"},
             {"--depth", "1e-300", "--conductivity", "1000", "--slope", "0.01"}}) {
        std::vector<std::string> args = base;
        args.insert(args.end(), options.begin(), options.end());
        const Result r = Size(args);
        ASSERT_EQ(r.status, kBatchOk) << r.err;
        for (const std::string &line : Lines(r.out)) {
            for (const std::string &cell : Cells(line)) {
                for (const char *word : {"inf", "-inf", "nan", "-nan"})
                    EXPECT_NE(cell, word) << r.out;
            }
        }
    }
}

TEST(SizeCommand, WrongUsageExitsWithTwo)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--pollutant", "BOD5:200:30"},
        {"--flow", "20"},
        {"--flow", "20", "--pollutant", "BOD5:200:30", "extra"},
        {"--flow", "20", "--flow", "30", "--pollutant", "BOD5:200:30"},
        {"--flow", "20", "--pollutant", "BOD5:200:30", "--width", "20"},
        {"--flow", "20", "--pollutant", "BOD5:200:30", "--conductivity", "100", "--depth", "1"},
        {"--flow", "20", "--pollutant", "BOD5:200:30", "--slope", "0.01"},
        {"--flow", "20", "--pollutant", "BOD5:200:30", "--porosity", "0.4"},
        {"--flow", "20", "--pollutant", "BOD5:200:30", "--csv", "-"},
    };
    for (const auto &args : cases) {
        const Result r = Size(args);
        EXPECT_EQ(r.status, kBatchUsage) << args.back();
        EXPECT_NE(r.err.find("--help"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(SizeCommand, HelpListsExactlyItsOptions)
{
    const std::string help = BatchHelp();
    const std::size_t start = help.find("\nsize: ");
    ASSERT_NE(start, std::string::npos);
    const std::string section = help.substr(start, help.find("\nEvery file option") - start);
    std::set<std::string> options;
    for (const std::string &line : Lines(section)) {
        if (line.rfind("  --", 0) == 0)
            options.insert(line.substr(2, line.find(' ', 2) - 2));
    }
    EXPECT_EQ(options,
        (std::set<std::string> {"--flow", "--temperature", "--pollutant", "--area", "--depth",
            "--porosity", "--conductivity", "--slope", "--long-term-factor", "--width", "--keep"}));
    EXPECT_NE(help.find("carexa-sim size --flow Q"), std::string::npos);
    EXPECT_NE(section.find("m/m (the Design screen's 1 cm/m is 0.01)"), std::string::npos);
}

} // namespace

namespace {

// The defaults --help lists are the ones a left-out constant takes.
TEST(SizeCommand, HelpStatesTheDefaultsItUses)
{
    const std::string help = BatchHelp();
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"ORGN:10:5", "ORGN      P 6, C* 1, k20 19.6, theta 1.05"},
        {"NH4:10:5", "NH4       P 6, C* 0, k20 11.4, theta 1.04"},
        {"NO3:10:5", "NO3       P 8, C* 0, k20 42, theta 1.09"},
        {"TN:10:5", "TN        P 6, C* 1, k20 8.4, theta 1.05"},
        {"TP:10:5", "TP        C* 0.02, k20 12, theta 1 (Kadlec & Knight 1996), P 3"},
        {"BOD5:30:10", "1, 86 up to 30 mg/L;"},
        {"BOD5:100:10", "5, 37 up to 100;"},
        {"BOD5:200:10", "10, 25 up to 200;"},
        {"BOD5:201:10", "15, 66 above 200"},
    };
    for (const auto &[pollutant, line] : rows) {
        EXPECT_NE(help.find(line), std::string::npos) << line;
        const Result r = Size({"--flow", "1", "--pollutant", pollutant});
        ASSERT_EQ(r.status, kBatchOk) << r.err;
        const auto cells = Cells(Lines(r.out).at(1));
        // Every constant the size command used appears in the help line.
        for (std::size_t c = 3; c <= 6; ++c) {
            if (cells[0] == "BOD5" && (c == 4 || c == 6))
                continue; // theta and P of BOD5 are on the line before
            EXPECT_NE(line.find(cells[c]), std::string::npos) << pollutant << " " << cells[c];
        }
    }
    EXPECT_NE(help.find("BOD5      P 3, theta 1, and C*, k20 by inflow"), std::string::npos);
}

} // namespace
