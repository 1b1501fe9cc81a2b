// carexa-sim condition, compliance, sobol and the confidence outputs of calibrate.

#include "app/batch_command.h"
#include "app/batch_runner.h"
#include "app/sim_support.h"

#include "analysis/confidence.h"
#include "analysis/parameter_space.h"
#include "model/model_state.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "project/project_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

using namespace carexa;
using carexa::testing_support::Lines;
using carexa::testing_support::ReadText;
using carexa::testing_support::TempDir;

namespace {

using Result = testing_support::SimResult;
using testing_support::kCold;
using testing_support::Sim;

std::vector<std::string> Split(const std::string &line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');)
        fields.push_back(field);
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

double Number(const std::string &text)
{
    return ParseDouble(text);
}

// ---------------------------------------------------------------------------------------------
// condition

TEST(ConditionCommand, WritesRangesReportAndBandsOfTheKeptIteration)
{
    TempDir dir;
    const Result r = Sim({"condition", kCold, "--ranges", (dir / "ranges.csv").string(), "--bands",
        (dir / "bands.csv").string(), "--report", (dir / "report.csv").string(), "--samples", "40",
        "--iterations", "2", "--params", "AC,NC,OC,KO,PP,AF", "--validation-from", "200",
        "--threads", "2"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("carexa-sim: note: Iteration "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(" is kept: "), std::string::npos) << r.err;

    const auto ranges = Lines(ReadText(dir / "ranges.csv"));
    ASSERT_GE(ranges.size(), 1u + 6);
    EXPECT_EQ(ranges[0], "iteration,parameter,lower,upper,best");
    EXPECT_EQ(ranges[1].substr(0, 12), "1,AC,0.05,2,");
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        const auto f = Split(ranges[i]);
        ASSERT_EQ(f.size(), 5u) << ranges[i];
        Parameter p = Parameter::AC;
        for (int j = 0; j < kParameterCount; ++j) {
            if (ParameterName(static_cast<Parameter>(j)) == f[1])
                p = static_cast<Parameter>(j);
        }
        const ParameterRange climate = ClimateRange(p, kColdClimate);
        // Within the climate's range, an exclusive lower end strictly above.
        EXPECT_TRUE(Keeps(climate, Number(f[2]))) << ranges[i];
        EXPECT_TRUE(Keeps(climate, Number(f[3]))) << ranges[i];
        EXPECT_LE(Number(f[2]), Number(f[4])) << ranges[i];
        EXPECT_LE(Number(f[4]), Number(f[3])) << ranges[i];
    }

    const auto report = Lines(ReadText(dir / "report.csv"));
    EXPECT_EQ(report[0], "iteration,period,series,p_factor,r_factor,behavioural_runs,runs_failed");
    // BOD5, ammonium and phosphorus are measured: 3 series x 2 periods an iteration.
    EXPECT_EQ((report.size() - 1) % 6, 0u);
    EXPECT_EQ(report[1].substr(0, 23), "1,calibration,BOD5 out,");
    EXPECT_EQ(report[4].substr(0, 22), "1,validation,BOD5 out,");

    const auto bands = Lines(ReadText(dir / "bands.csv"));
    ASSERT_EQ(bands.size(), 366u);
    EXPECT_EQ(bands[0].substr(0, 45), "Day,BOD5 out p2.5,BOD5 out p50,BOD5 out p97.5");
    for (std::size_t d = 1; d < bands.size(); ++d) {
        const auto f = Split(bands[d]);
        ASSERT_EQ(f.size(), 34u);
        for (std::size_t c = 0; c < 11; ++c) {
            ASSERT_LE(Number(f[1 + 3 * c]), Number(f[2 + 3 * c])) << bands[d];
            ASSERT_LE(Number(f[2 + 3 * c]), Number(f[3 + 3 * c])) << bands[d];
        }
    }
}

TEST(ConditionCommand, TheThreadsChangeNothing)
{
    const std::vector<std::string> base {"condition", kCold, "--ranges", "-", "--bands", "-",
        "--report", "-", "--samples", "30", "--iterations", "2", "--params", "AC,NC,OC", "--series",
        "1,3", "--seed", "5"};
    std::vector<std::string> one = base, three = base;
    one.insert(one.end(), {"--threads", "1"});
    three.insert(three.end(), {"--threads", "3"});
    const Result a = Sim(one);
    const Result b = Sim(three);
    ASSERT_EQ(a.status, kBatchOk) << a.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(a.err, b.err);
}

TEST(ConditionCommand, RefusesWrongUsageAndInputItCannotCondition)
{
    for (const auto &args : std::vector<std::vector<std::string>> {
             {"condition", kCold, "--ranges", "-", "--bands", "-"},
             {"condition", kCold, "--ranges", "-", "--report", "-"},
             {"condition", kCold, "--ranges", "-", "--bands", "-", "--report", "-", "--samples",
                 "19"},
             {"condition", kCold, "--ranges", "-", "--bands", "-", "--report", "-", "--iterations",
                 "21"},
             {"condition", kCold, "--ranges", "-", "--bands", "-", "--report", "-", "--threshold",
                 "x"},
             {"condition", kCold, "--ranges", "-", "--bands", "-", "--report", "-", "--threshold",
                 "nan"}}) {
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchUsage) << args.back() << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    TempDir dir;
    const std::string ranges = (dir / "r.csv").string();
    for (const auto &[extra, message] :
        std::vector<std::pair<std::vector<std::string>, std::string>> {
            {{"--series", "2"}, "\"nit. out\" has fewer than 2 measured days"},
            {{"--validation-from", "1"}, "The validation period must start on a day from 2 to 365"},
            {{"--threshold", "1.5"}, "threshold"},
            {{"--params", "AC,ZZ"}, "--params names parameters among"}}) {
        std::vector<std::string> args {"condition", kCold, "--ranges", ranges, "--bands", "-",
            "--report", "-", "--samples", "20"};
        args.insert(args.end(), extra.begin(), extra.end());
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchFailed) << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(std::filesystem::exists(ranges));
    }
}

// A copy of the cold example without its observed values.
std::string WithoutMeasurements(const TempDir &dir)
{
    batch::Session session;
    batch::LoadSession(session, kCold);
    const int days = session.state().observedLength;
    for (int c = 1; c <= kSeriesCount; ++c)
        session.project.setObservedValues(c, 1, std::vector<double>(days, kEmptyValue));
    const std::string file = (dir / "unmeasured.mdl").string();
    session.project.save(file);
    return file;
}

TEST(ConditionCommand, AProjectWithoutMeasurementsIsRefused)
{
    TempDir dir;
    const Result r = Sim({"condition", WithoutMeasurements(dir), "--ranges", "-", "--bands", "-",
        "--report", "-", "--samples", "20"});
    EXPECT_EQ(r.status, kBatchFailed);
    EXPECT_EQ(r.err,
        "carexa-sim: There are no measurements to condition on. Type them into \"Observed "
        "values\" (0.0001 marks a day without one).\n");
}

// ---------------------------------------------------------------------------------------------
// compliance

TEST(ComplianceCommand, WritesAProbabilityForEveryTarget)
{
    const Result r = Sim({"compliance", kCold, "--target", "1:1e9:max", "--target", "1:0:mean",
        "--target", "3:10:exceed-days:5", "--target", "4:1:monthly-mean", "--target",
        "9:50:removal-monthly", "--report", "-", "--samples", "30", "--start-date", "2023-01-01",
        "--threads", "2"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0],
        "series,limit,statistic,probability_met,probability_lo,probability_hi,statistic_p2_5,"
        "statistic_p50,statistic_p97_5,runs_used,ensemble");
    EXPECT_EQ(lines[1].substr(0, 24), "BOD5 out,1e+09,max,1,0.8");
    EXPECT_EQ(lines[2].substr(0, 18), "BOD5 out,0,mean,0,");
    EXPECT_EQ(lines[3].substr(0, 28), "amm. out,10,exceed-days:5,0.");
    EXPECT_EQ(lines[5].substr(0, 27), "eff. P. rem,50,removal-mont");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto f = Split(lines[i]);
        ASSERT_EQ(f.size(), 11u);
        const double p = Number(f[3]), lo = Number(f[4]), hi = Number(f[5]);
        EXPECT_LE(0, lo);
        EXPECT_LE(lo, p);
        EXPECT_LE(p, hi);
        EXPECT_LE(hi, 1);
        EXPECT_LE(Number(f[6]), Number(f[7]));
        EXPECT_LE(Number(f[7]), Number(f[8]));
        EXPECT_EQ(f[9], "30");
        EXPECT_EQ(f[10], "unconditioned");
    }
    EXPECT_NE(r.err.find("carexa-sim: note: The ensemble is not conditioned: 30 runs, 3 days of "
                         "warm-up left out."),
        std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("carexa-sim: note: The probabilities cover the uncertainty of the "
                         "parameters only, not that of the forcing data or of the model's form."),
        std::string::npos);
}

TEST(ComplianceCommand, ConditionedOnTheMeasurements)
{
    // Every parameter over the climate's range: few runs fit the example's measurements better
    // than their mean, and the ensemble is small.
    const Result r = Sim({"compliance", kCold, "--target", "1:25:p95", "--report", "-",
        "--condition", "--samples", "100", "--warm-up", "10", "--seed", "1"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(lines[1].size() - 12), ",conditioned");
    EXPECT_NE(r.err.find("The ensemble is conditioned on the measurements: "), std::string::npos);
    EXPECT_NE(r.err.find(", 10 days of warm-up left out."), std::string::npos);
    EXPECT_NE(r.err.find(" is kept: "), std::string::npos);

    TempDir dir;
    const Result none = Sim({"compliance", WithoutMeasurements(dir), "--target", "1:25:p95",
        "--report", "-", "--condition", "--samples", "20"});
    EXPECT_EQ(none.status, kBatchFailed);
    EXPECT_NE(none.err.find("There are no measurements to condition on."), std::string::npos);
    EXPECT_TRUE(none.out.empty());
}

TEST(ComplianceCommand, RefusesBadTargetsAndOptions)
{
    for (const auto &args : std::vector<std::vector<std::string>> {
             {"compliance", kCold, "--report", "-"}, {"compliance", kCold, "--target", "1:25:mean"},
             {"compliance", kCold, "--target", "1:25:mean", "--report", "-", "--start-date",
                 "2023-02-30"},
             {"compliance", kCold, "--target", "1:25:mean", "--report", "-", "--warm-up", "-1"},
             {"compliance", kCold, "--target", "1:25:mean", "--report", "-", "--samples", "1"}}) {
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchUsage) << args.back() << r.err;
    }
    TempDir dir;
    const std::string report = (dir / "c.csv").string();
    for (const auto &[extra, message] :
        std::vector<std::pair<std::vector<std::string>, std::string>> {
            {{"--target", "1:25"},
                "\"1:25\" is not a permit target SERIES:LIMIT:STATISTIC (such as 1:25:mean)."},
            {{"--target", "6:25:mean"},
                "The removal efficiency \"eff. BOD5 rem\" takes the statistic removal-monthly "
                "only."},
            {{"--target", "1:25:annual-mean", "--warm-up", "200"},
                "The 165 days after the warm-up hold no period of annual-mean with at least two "
                "thirds of its days."},
            {{"--target", "1:25:mean", "--warm-up", "365"},
                "A warm-up of 365 days leaves none of the 365 days of the run."},
            {{"--target", "1:25:annual-mean", "--warm-up", "200", "--condition"},
                "The 165 days after the warm-up hold no period of annual-mean"}}) {
        std::vector<std::string> args {"compliance", kCold, "--report", report, "--samples", "20"};
        args.insert(args.end(), extra.begin(), extra.end());
        const Result r = Sim(args);
        EXPECT_EQ(r.status, kBatchFailed) << message;
        EXPECT_EQ(r.err.rfind("carexa-sim: " + message, 0), 0u) << r.err;
        EXPECT_FALSE(std::filesystem::exists(report));
    }
}

// ---------------------------------------------------------------------------------------------
// sobol

TEST(SobolCommand, WritesTheIndicesOfTheVariedParameters)
{
    const Result r = Sim({"sobol", kCold, "--report", "-", "--base-samples", "8", "--params",
        "AC,PP,AF", "--threads", "2"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_TRUE(r.err.empty());
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1u + 3 * 11);
    EXPECT_EQ(lines[0], "parameter,series,s1,s1_lo,s1_hi,st,st_lo,st_hi");
    EXPECT_EQ(lines[12], "PP,BOD5 out,0,0,0,0,0,0");
    EXPECT_EQ(lines[23], "AF,BOD5 out,0,0,0,0,0,0");
    EXPECT_EQ(lines[1].substr(0, 12), "AC,BOD5 out,");
    EXPECT_EQ(lines[4].substr(0, 32), "AC,total P. out,0,0,0,0,0,0");
    const Result one = Sim({"sobol", kCold, "--report", "-", "--base-samples", "8", "--params",
        "AC,PP,AF", "--threads", "1"});
    EXPECT_EQ(one.out, r.out);

    for (const auto &args : std::vector<std::vector<std::string>> {{"sobol", kCold},
             {"sobol", kCold, "--report", "-", "--base-samples", "12"},
             {"sobol", kCold, "--report", "-", "--base-samples", "4"},
             {"sobol", kCold, "--report", "-", "--base-samples", "131072"}}) {
        const Result bad = Sim(args);
        EXPECT_EQ(bad.status, kBatchUsage) << args.back();
    }
    const Result noParameter = Sim({"sobol", kCold, "--report", "-", "--params", "QQ"});
    EXPECT_EQ(noParameter.status, kBatchFailed);
}

// ---------------------------------------------------------------------------------------------
// calibrate --confidence --correlation

TEST(CalibrateConfidence, WritesIntervalsAndTheCorrelationMatrix)
{
    TempDir dir;
    const Result r = Sim({"calibrate", kCold, "--save", (dir / "out.mdl").string(), "--runs", "80",
        "--params", "AC,NC,PP,AF", "--confidence", (dir / "ci.csv").string(), "--correlation",
        (dir / "corr.csv").string(), "--threads", "2"});
    ASSERT_EQ(r.status, kBatchOk) << r.err;
    EXPECT_EQ(r.err,
        "carexa-sim: note: The intervals assume independent errors; daily residuals are "
        "autocorrelated, so the intervals are too narrow.\n");
    const auto ci = Lines(ReadText(dir / "ci.csv"));
    ASSERT_EQ(ci.size(), 5u);
    EXPECT_EQ(ci[0], "parameter,value,std_error,ci95_lower,ci95_upper,status");
    ModelState saved;
    ApplyProject(ReadProjectFile(dir / "out.mdl"), saved);
    const char *names[] = {"AC", "NC", "PP", "AF"};
    for (std::size_t i = 1; i < ci.size(); ++i) {
        const auto f = Split(ci[i]);
        ASSERT_EQ(f.size(), 6u);
        EXPECT_EQ(f[0], names[i - 1]);
        const std::string &status = f[5];
        EXPECT_TRUE(status == "determined" || status == "undetermined" || status == "at_bound")
            << status;
        if (f[2] != "n/a") {
            EXPECT_NEAR(Number(f[3]) + Number(f[4]), 2 * Number(f[1]), 1e-9 * Number(f[4]));
            EXPECT_LT(Number(f[3]), Number(f[4]));
        } else {
            EXPECT_EQ(f[3], "n/a");
        }
    }
    EXPECT_EQ(Split(ci[1])[1], FormatFileDouble(saved.parameters.get(Parameter::AC)));
    const auto corr = Lines(ReadText(dir / "corr.csv"));
    ASSERT_EQ(corr.size(), 5u);
    EXPECT_EQ(corr[0], "parameter,AC,NC,PP,AF");
    for (std::size_t i = 1; i < corr.size(); ++i) {
        const auto f = Split(corr[i]);
        ASSERT_EQ(f.size(), 5u);
        EXPECT_EQ(f[0], names[i - 1]);
        EXPECT_TRUE(f[i] == "1" || f[i] == "n/a") << corr[i];
        for (std::size_t k = 1; k < 5; ++k) {
            EXPECT_EQ(f[k], Split(corr[k])[i]); // symmetric
            if (f[k] != "n/a") {
                EXPECT_LE(std::abs(Number(f[k])), 1.0 + 1e-12);
            }
        }
    }
}

TEST(CalibrateConfidence, TooFewMeasuredDaysWriteNothing)
{
    // Only four measured days of BOD5, and four parameters to estimate.
    TempDir dir;
    batch::Session session;
    batch::LoadSession(session, kCold);
    // The first four measured days of BOD5 stay, whichever days the example measures.
    int kept = 0;
    for (int c = 1; c <= kSeriesCount; ++c) {
        for (int d = 1; d <= session.state().observedLength; ++d) {
            const std::optional<double> value = session.observed().number(c, d);
            if (c == 1 && value && *value != kEmptyValue && kept < 4) {
                ++kept;
                continue;
            }
            session.project.setObservedValues(c, d, {kEmptyValue});
        }
    }
    ASSERT_EQ(kept, 4);
    const std::string project = (dir / "few.mdl").string();
    session.project.save(project);
    const Result r = Sim({"calibrate", project, "--save", (dir / "out.mdl").string(), "--runs",
        "40", "--params", "AC,NC,OC,DC", "--confidence", (dir / "ci.csv").string()});
    EXPECT_EQ(r.status, kBatchFailed);
    EXPECT_EQ(r.err,
        "carexa-sim: The confidence intervals need more measured days than fitted parameters "
        "away from their bounds: there are 4 measured days and 4 parameters. Add measurements or "
        "fit fewer parameters.\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.mdl"));
    EXPECT_FALSE(std::filesystem::exists(dir / "ci.csv"));
}

TEST(AnalysisCommands, HelpDocumentsThem)
{
    const Result help = Sim({"--help"});
    for (const char *text :
        {"carexa-sim condition PROJECT.mdl --ranges RANGES.csv --bands BANDS.csv",
            "carexa-sim compliance PROJECT.mdl --target SERIES:LIMIT:STATISTIC ...",
            "carexa-sim sobol PROJECT.mdl --report S.csv [--base-samples N]",
            "[--confidence CI.csv] [--correlation CORR.csv]",
            "\"iteration,parameter,lower,upper,best\"",
            "\"iteration,period,series,p_factor,r_factor,behavioural_runs,runs_failed\"",
            "\"parameter,series,s1,s1_lo,s1_hi,st,st_lo,st_hi\"",
            "\"parameter,value,std_error,ci95_lower,ci95_upper,status\"", "exceed-days:K",
            "(default 1024)", "--validation-from DAY"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    // The compliance header is split over two lines of the help.
    EXPECT_NE(
        help.out.find("\"series,limit,statistic,probability_met,probability_lo,probability_hi,"),
        std::string::npos);
}

} // namespace
