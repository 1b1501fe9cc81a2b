// The analyses in the report as a reader gets them: kept by carexa-sim's commands in the side
// file, shown with the numbers those commands write, and marked stale once the project changed.

#include "app/sim_support.h"
#include "model/number_text.h"
#include "project/project.h"
#include "project/project_file.h"
#include "report/pdf_text.h"
#include "report/report_facts.h"
#include "report/side_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace carexa {
namespace {

using testing_support::Collapsed;
using testing_support::Flat;
using testing_support::LineStarting;
using testing_support::Lines;
using testing_support::Output;
using testing_support::Quoted;
using testing_support::ReadText;
using testing_support::Sim;
using testing_support::TempDir;

std::vector<std::vector<std::string>> CsvRows(const std::string &text)
{
    std::vector<std::vector<std::string>> rows;
    for (const std::string &line : Lines(text)) {
        std::vector<std::string> cells;
        std::stringstream stream(line);
        for (std::string cell; std::getline(stream, cell, ',');)
            cells.push_back(cell);
        if (!line.empty() && line.back() == ',')
            cells.emplace_back();
        rows.push_back(std::move(cells));
    }
    if (!rows.empty())
        rows.erase(rows.begin()); // the heading line
    return rows;
}

std::string Fixed(const std::string &cell, int decimals)
{
    return cell.empty() || cell == "n/a" ? std::string("n/a") : ReportNumber(std::stod(cell), decimals);
}

std::string Significant(const std::string &cell)
{
    return cell.empty() || cell == "n/a" ? std::string("n/a") : SignificantNumber(std::stod(cell));
}

std::string PdfText(const std::filesystem::path &pdf)
{
    return Output("pdftotext -layout " + Quoted(pdf) + " -");
}

// A copy of the cold example in its own folder, with a side file that sets permit limits.
class KeptAnalysesReport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(testing_support::kCold, project_);
        ReportSettings settings;
        settings.title = "Nordfeld";
        settings.limits = {{.column = 1, .value = 25, .statistic = "annual mean", .source = "Permit 1"},
            {.column = 3, .value = 10, .statistic = "Maximum", .source = ""},
            {.column = 4, .value = 2, .statistic = "90th percentile", .source = ""}};
        WriteSideFile(project_, settings);
    }

    std::string Report(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args {"report", project_.string(), "--pdf", pdf_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto result = Sim(args);
        EXPECT_EQ(result.status, 0) << result.err;
        out_ = result.out;
        err_ = result.err;
        return PdfText(pdf_);
    }

    TempDir dir_;
    std::filesystem::path project_ = dir_ / "bed.mdl";
    std::filesystem::path pdf_ = dir_ / "r.pdf";
    std::string out_;
    std::string err_;
};

TEST_F(KeptAnalysesReport, WithAnalysesRunsThemKeepsThemAndShowsTheBatchRunnersNumbers)
{
    const std::string text = Report({"--sections", "results,sensitivity,compliance,scope", "--with-analyses"});
    EXPECT_NE(out_.find("(Results, Sensitivity and uncertainty, Compliance, Scope and limitations)"),
        std::string::npos) << out_;
    // A statistic compliance does not compute is said, the others are worked out.
    EXPECT_NE(err_.find("The permit limit of total P. out has the statistic \"90th percentile\""),
        std::string::npos) << err_;
    const SideFileRead side = ReadSideFile(project_);
    EXPECT_EQ(side.problem, "");
    EXPECT_EQ(side.settings.title, "Nordfeld");
    ASSERT_TRUE(side.settings.analyses.morris && side.settings.analyses.conditioning
        && side.settings.analyses.compliance);
    EXPECT_FALSE(side.settings.analyses.sobol);

    const std::string flat = Flat(text);
    for (const char *heading : {"Morris screening", "Uncertainty conditioned on the measurements",
             "Probability of meeting each permit limit", "Ranking of the parameters by mu* for BOD5 out",
             "The grey lines are the 2.5th and 97.5th percentiles",
             "The probabilities cover the uncertainty of the parameters only",
             "every run of the conditioned ensemble", "Sensitivity screening seed 1, 20 trajectories, 4 levels",
             "Conditioned uncertainty seed 1, 500 samples x"})
        EXPECT_NE(flat.find(heading), std::string::npos) << heading;
    EXPECT_EQ(flat.find("STALE"), std::string::npos);

    // The p- and r-factors of the kept iteration, as "condition --report" writes them.
    const std::size_t at = flat.find(" was kept");
    ASSERT_NE(at, std::string::npos);
    const std::string kept = flat.substr(flat.rfind("iteration ", at) + 10, at - flat.rfind("iteration ", at) - 10);
    const TempDir csv;
    ASSERT_EQ(Sim({"condition", project_.string(), "--ranges", (csv / "r.csv").string(), "--bands",
                  (csv / "b.csv").string(), "--report", (csv / "c.csv").string()})
                  .status,
        0);
    int rows = 0;
    for (const auto &row : CsvRows(ReadText(csv / "c.csv"))) {
        if (row.size() < 5 || row[0] != kept)
            continue;
        // "BOD5 out all days 52 0.96 1.79"
        const std::string line = LineStarting(text, row[2] + " all days ");
        EXPECT_NE(line.find(" " + Fixed(row[3], 2) + " " + Fixed(row[4], 2)), std::string::npos)
            << line << " against " << row[3] << "," << row[4];
        ++rows;
    }
    EXPECT_GE(rows, 2);

    // The compliance, as "compliance --condition" writes it.
    const auto compliance = Sim({"compliance", project_.string(), "--condition", "--target",
        "1:25:annual-mean", "--target", "3:10:max", "--report", "-"});
    ASSERT_EQ(compliance.status, 0) << compliance.err;
    rows = 0;
    for (const auto &row : CsvRows(compliance.out)) {
        ASSERT_EQ(row.size(), 11u);
        const std::string line = LineStarting(text, row[0] + " " + Significant(row[1]) + " " + row[2]);
        const auto percent = [](const std::string &cell) { return ReportNumber(100 * std::stod(cell), 1); };
        EXPECT_NE(line.find(" " + percent(row[3]) + " " + percent(row[4]) + " to " + percent(row[5]) + " "
                      + Significant(row[6]) + " " + Significant(row[7]) + " " + Significant(row[8])),
            std::string::npos) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 2);

    // mu* as "sensitivity" writes it.
    const auto morris = Sim({"sensitivity", project_.string(), "--report", "-"});
    ASSERT_EQ(morris.status, 0);
    for (const auto &row : CsvRows(morris.out)) {
        if (row[1] != "BOD5 out")
            continue;
        EXPECT_EQ(LineStarting(text, row[0] + " ").substr(0, row[0].size() + 1 + Significant(row[3]).size() + 1),
            row[0] + " " + Significant(row[3]) + " ");
    }

    // The band and the limit raise the axes to values of four digits ("21.75"): every value label
    // stands whole inside the page's margin, where the figure captions begin.
    double margin = 1e9;
    double leftmost = 1e9;
    std::string leftmostWord;
    for (const auto &[word, left] : testing_support::WordLeftEdges(pdf_)) {
        if (word == "Figure")
            margin = std::min(margin, left);
        if (left < leftmost) {
            leftmost = left;
            leftmostWord = word;
        }
    }
    ASSERT_LT(margin, 100.0);
    EXPECT_GE(leftmost, margin - 0.01) << "'" << leftmostWord << "' begins left of the margin";

    // What was kept is current in the next report, without running anything.
    const std::string again = Flat(Report({"--sections", "sensitivity,compliance"}));
    EXPECT_NE(out_.find("(Sensitivity and uncertainty, Compliance)"), std::string::npos) << out_;
    EXPECT_EQ(again.find("STALE"), std::string::npos);
}

TEST_F(KeptAnalysesReport, AnAnalysisOfInputsChangedSinceIsMarkedStale)
{
    ASSERT_EQ(Sim({"sensitivity", project_.string(), "--report", (dir_ / "m.csv").string(), "--keep"}).status, 0);
    std::string text = Report();
    EXPECT_EQ(LineStarting(text, "Sensitivity screening"), "Sensitivity screening seed 1, 20 trajectories, 4 levels");
    EXPECT_EQ(Flat(text).find("STALE"), std::string::npos);

    Project project;
    project.load(ReadProjectFile(project_));
    project.setParameter(Parameter::AC, project.state().parameters.get(Parameter::AC) * 1.25);
    project.save(project_);
    text = Report();
    EXPECT_EQ(LineStarting(text, "Sensitivity screening"),
        "Sensitivity screening STALE; seed 1, 20 trajectories, 4 levels");
    EXPECT_NE(Flat(text).find("STALE: the project's inputs changed after this screening ran"), std::string::npos);
    EXPECT_NE(Flat(text).find("The sensitivity screening is stale: it ran before the inputs last changed."),
        std::string::npos);
}

TEST_F(KeptAnalysesReport, SobolIndicesBesideMorris)
{
    ASSERT_EQ(Sim({"sobol", project_.string(), "--report", (dir_ / "s.csv").string(), "--base-samples",
                  "8", "--keep"})
                  .status,
        0);
    const std::string text = Report({"--sections", "sensitivity"});
    const std::string flat = Flat(text);
    for (const char *heading : {"Sobol' indices", "Total Sobol' indices (ST) on the outflows",
             "Sobol' indices for BOD5 out: first order S1 (filled) and total ST (outline)",
             "Sobol' indices seed 1, 8 base samples, 1000 resamples", "Saltelli et al. 2010"})
        EXPECT_NE(flat.find(heading), std::string::npos) << heading;
    // ST of every parameter on the five outflows, as "sobol" writes it.
    std::map<std::string, std::string> expected;
    for (const auto &row : CsvRows(ReadText(dir_ / "s.csv"))) {
        if (row[1] == "BOD5 out" || row[1] == "nit. out" || row[1] == "amm. out"
            || row[1] == "total P. out" || row[1] == "org. N. out")
            expected[row[0]].append(" ").append(Fixed(row[5], 3));
    }
    ASSERT_EQ(expected.size(), 16u);
    for (const auto &[name, values] : expected) {
        const std::size_t table = text.find("Total Sobol' indices");
        EXPECT_EQ(LineStarting(text.substr(table), name + " "), name + values);
    }
}

TEST_F(KeptAnalysesReport, CalibrationWithItsIntervalsAndTheValidationPeriod)
{
    const auto calibrated = dir_ / "cal.mdl";
    ASSERT_EQ(Sim({"calibrate", project_.string(), "--save", calibrated.string(), "--runs", "60",
                  "--report", (dir_ / "c.csv").string(), "--confidence", (dir_ / "ci.csv").string()})
                  .status,
        0);
    // The calibrated project's side file follows the project's: its title and limits stay.
    ASSERT_EQ(Sim({"condition", calibrated.string(), "--ranges", (dir_ / "r.csv").string(), "--bands",
                  (dir_ / "b.csv").string(), "--report", (dir_ / "k.csv").string(), "--samples", "100",
                  "--iterations", "1", "--validation-from", "200", "--keep"})
                  .status,
        0);
    project_ = calibrated;
    const std::string text = Report();
    const std::string flat = Flat(text);
    for (const char *heading : {"Nordfeld", "Calibrated parameters: before and after",
             "Calibration and validation periods", "Fit in the calibration period (days 1 to 199)",
             "Fit in the validation period (days 200 to 365)", "The intervals assume independent errors",
             "validation from day 200"})
        EXPECT_NE(flat.find(heading), std::string::npos) << heading;
    EXPECT_EQ(flat.find("STALE"), std::string::npos);

    std::map<std::string, std::vector<std::string>> intervals;
    for (const auto &row : CsvRows(ReadText(dir_ / "ci.csv")))
        intervals[row[0]] = row;
    int rows = 0;
    for (const auto &row : CsvRows(ReadText(dir_ / "c.csv"))) {
        if (row.size() != 5)
            break; // the fit statistics follow an empty line
        const auto &ci = intervals.at(row[0]);
        EXPECT_EQ(LineStarting(text, row[0] + " yes "),
            row[0] + " yes " + Significant(row[1]) + " " + Significant(row[2]) + " " + Significant(row[3])
                + " " + Significant(row[4]) + " " + Significant(ci[3]) + " " + Significant(ci[4]) + " "
                + ci[5]);
        ++rows;
    }
    EXPECT_EQ(rows, 16);

    // The p- and r-factors of both periods, as "condition --report" writes them.
    for (const auto &row : CsvRows(ReadText(dir_ / "k.csv"))) {
        const std::string line = LineStarting(text, row[2] + " " + row[1] + " ");
        EXPECT_NE(line.find(" " + Fixed(row[3], 2) + " " + Fixed(row[4], 2)), std::string::npos) << line;
    }
}

// Total N is the sum of three outflows and total P one; the Darcy check warns by the width.
TEST_F(KeptAnalysesReport, TheAssistantsOutflowsBesideTheSimulatedOnesAndTheDarcyWarnings)
{
    const auto run = Sim({"run", project_.string(), "--csv", "-"});
    ASSERT_EQ(run.status, 0);
    double tn = 0, tp = 0;
    int days = 0;
    for (const auto &row : CsvRows(run.out)) {
        ASSERT_EQ(row.size(), 12u);
        tn += std::stod(row[2]) + std::stod(row[3]) + std::stod(row[5]);
        tp += std::stod(row[4]);
        ++days;
    }
    ASSERT_EQ(days, 365);

    // Clean gravel carries 40 m3/d from a width of 66.67 m, clogged gravel from 666.67 m.
    const struct
    {
        const char *width;
        const char *says;
    } widths[] = {{"50", "Warning: a width of 50 m is too narrow even for clean gravel: it carries 30.00 of"},
        {"100", "Warning: a width of 100 m is below the long-term minimum of 666.67 m: once the gravel "
                "clogs the bed carries 6.00 of the 40 m3/d."},
        {"700", "The chosen width carries the design flow with the long-term conductivity."}};
    for (const auto &w : widths) {
        const auto size = Sim({"size", "--flow", "40", "--temperature", "5", "--pollutant", "TN:40:15",
            "--pollutant", "TP:6:2", "--depth", "0.6", "--porosity", "0.4", "--conductivity", "100",
            "--slope", "0.01", "--long-term-factor", "0.1", "--width", w.width, "--keep", project_.string()});
        ASSERT_EQ(size.status, 0) << size.err;
        const std::string text = Report({"--sections", "basis"});
        const std::string flat = Flat(text);
        EXPECT_NE(flat.find(w.says), std::string::npos) << w.width;
        if (std::string(w.says).starts_with("Warning"))
            EXPECT_EQ(flat.find("Warning: a width"), flat.find(w.says)) << w.width;
        else
            EXPECT_EQ(flat.find("Warning: a width"), std::string::npos) << w.width;
        // The pollutant, the assistant's outflow, the simulated mean and the series summed.
        const std::string rows = Collapsed(text);
        EXPECT_NE(rows.find(" " + ReportNumber(tn / days, 2) + " nit. out + amm. out + org. N. out\n"),
            std::string::npos) << w.width;
        EXPECT_NE(rows.find(" " + ReportNumber(tp / days, 2) + " total P. out\n"), std::string::npos)
            << w.width;
    }
}

TEST_F(KeptAnalysesReport, TheDesignAssistantsSizingAsTheBatchRunnerWritesIt)
{
    const std::vector<std::string> sizing {"size", "--flow", "40", "--temperature", "5",
        "--pollutant", "BOD5:150:25", "--pollutant", "NH4:30:10", "--pollutant", "TP:6:2:13"};
    std::vector<std::string> keep = sizing;
    keep.insert(keep.end(), {"--keep", project_.string()});
    const auto size = Sim(keep);
    ASSERT_EQ(size.status, 0) << size.err;
    ASSERT_TRUE(ReadSideFile(project_).settings.designAssistant);
    EXPECT_EQ(ReadSideFile(project_).settings.title, "Nordfeld");
    const std::string text = Report({"--sections", "basis"});
    const std::string flat = Flat(text);
    for (const char *heading : {"Design assistant", "Sizing per pollutant (tanks-in-series model",
             "Sources of the constants", "Design water temperature T: 5 deg C, entered in the assistant",
             "Governing pollutant: NH4-N", "A P-k-C* sizing with median rate constants predicts the "
             "long-term mean outflow: half of all beds so sized do worse",
             "The assistant's outflow (long-term mean at its area) beside the simulated mean outflow"})
        EXPECT_NE(flat.find(heading), std::string::npos) << heading;
    // A changed constant is the user's, the others keep their source.
    EXPECT_EQ(LineStarting(text, "TP k20 13"), "TP k20 13 entered in the assistant");
    EXPECT_EQ(LineStarting(text, "theta 1.04"), "theta 1.04 Kadlec & Knight (1996)");

    int rows = 0;
    for (const auto &row : CsvRows(size.out)) {
        if (row.size() != 10)
            break;
        std::string name = row[0];
        if (name == "NH4")
            name += "-N";
        // Pollutant Inflow Target k20 theta C* P kT Required area Outflow
        std::string expected = name;
        for (int c = 1; c <= 7; ++c) {
            expected += ' ';
            expected += Significant(row[static_cast<std::size_t>(c)]);
        }
        for (const std::string &cell : {Fixed(row[8], 1), Fixed(row[9], 2)}) {
            expected += ' ';
            expected += cell;
        }
        EXPECT_EQ(LineStarting(text, name + " " + Significant(row[1]) + " "), expected);
        ++rows;
    }
    EXPECT_EQ(rows, 3);
    // Beside the simulated outflow: the BOD5 mean of "run" over the days.
    EXPECT_NE(LineStarting(text, "BOD5 " + Fixed(CsvRows(size.out)[0][9], 2) + " ").find(" BOD5 out"),
        std::string::npos);
}

} // namespace
} // namespace carexa
