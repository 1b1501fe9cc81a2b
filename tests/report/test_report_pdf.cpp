// The report as a reader gets it: made by carexa-sim report and read back with poppler's tools.

#include "analysis/fit_statistics.h"
#include "model/design.h"
#include "project/project.h"
#include "report/report_facts.h"
#include "model/number_text.h"
#include "project/project_file.h"
#include "report/report.h"
#include "report/side_file.h"
#include "ui/picture_export.h"
#include "support/temp_dir.h"
#include "app/sim_support.h"
#include "report/pdf_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <cctype>
#include <sstream>

namespace carexa {
namespace {

using testing_support::ExampleFile;
using testing_support::Lines;
using testing_support::ReadText;
using testing_support::Sim;
using testing_support::TempDir;
using testing_support::WriteText;
using testing_support::Collapsed;
using testing_support::Flat;
using testing_support::LineStarting;
using testing_support::Output;
using testing_support::PageCount;
using testing_support::PageText;
using testing_support::Quoted;

class ExampleReport : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override
    {
        project_ = ExampleFile(GetParam() + ".mdl");
        pdf_ = dir_ / "report.pdf";
        const auto result = Sim({"report", project_.string(), "--pdf", pdf_.string(), "--paper", "a4"});
        ASSERT_EQ(result.status, 0) << result.err;
        text_ = Output("pdftotext -layout " + Quoted(pdf_) + " -");
    }

    TempDir dir_;
    std::filesystem::path project_;
    std::filesystem::path pdf_;
    std::string text_;
};

TEST_P(ExampleReport, HoldsEverySectionWithData)
{
    for (const char *heading : {"Contents", "1 Design basis", "2 Forcing data", "3 Model set-up",
             "4 Results", "5 Fit to measurements", "6 Scope and limitations", "Table 1: Design inputs",
             "Figure 1: Temperature and water flow"})
        EXPECT_NE(Flat(text_).find(heading), std::string::npos) << heading;
    // No analysis was run, so the report says what is missing.
    EXPECT_NE(Flat(text_).find("Sensitivity and uncertainty: no screening, Sobol' analysis or "
                               "conditioned uncertainty was kept"),
        std::string::npos);
    EXPECT_NE(Flat(text_).find("Compliance: no probability of meeting the permit limits was kept"),
        std::string::npos);
}

TEST_P(ExampleReport, ContentsGivesThePageOfEveryHeading)
{
    const int pages = PageCount(pdf_);
    EXPECT_NE(PageText(pdf_, 1).find("Page 1 of " + std::to_string(pages)), std::string::npos);
    const std::string contents = PageText(pdf_, 2);
    int entries = 0;
    for (const std::string &line : Lines(contents)) {
        // "1.2   Title of the entry      7": a number, the title, the page at the end.
        std::istringstream words(Collapsed(line));
        std::vector<std::string> parts;
        for (std::string word; words >> word;)
            parts.push_back(word);
        if (parts.size() < 3 || line.find("Page ") != std::string::npos
            || !std::isdigit(static_cast<unsigned char>(parts.front()[0]))
            || parts.back().find_first_not_of("0123456789") != std::string::npos)
            continue;
        ++entries;
        const int page = std::stoi(parts.back());
        ASSERT_LE(page, pages) << line;
        std::string heading = parts.front();
        for (std::size_t i = 1; i + 1 < parts.size(); ++i)
            heading += " " + parts[i];
        EXPECT_NE(Collapsed(PageText(pdf_, page)).find(heading), std::string::npos)
            << heading << " is not on page " << page;
    }
    EXPECT_GE(entries, 6);
    EXPECT_NE(PageText(pdf_, pages).find("Page " + std::to_string(pages) + " of"), std::string::npos);
}

TEST_P(ExampleReport, FitStatisticsAreThoseOfTheBatchRunner)
{
    const std::string fit = Sim({"run", project_.string(), "--fit", "-"}).out;
    int compared = 0;
    for (const std::string &line : Lines(fit)) {
        std::vector<std::string> cells;
        std::stringstream stream(line);
        for (std::string cell; std::getline(stream, cell, ',');)
            cells.push_back(cell);
        if (cells.size() != 10 || cells[0] == "series" || cells[1] == "0")
            continue;
        const auto number = [&](std::size_t i) {
            return cells[i] == "n/a" ? std::string("n/a") : ReportNumber(std::stod(cells[i]), 3);
        };
        // series n mean_obs mean_sim rmse mae pbias nse (RSR) kge r2
        const std::string expected = cells[0] + " " + cells[1] + " " + number(2) + " " + number(3)
            + " " + number(4) + " " + number(5) + " " + number(6) + " " + number(7);
        const std::string row = LineStarting(text_, cells[0] + " " + cells[1] + " ");
        EXPECT_EQ(row.substr(0, expected.size()), expected);
        EXPECT_NE(row.find(number(8) + " " + number(9)), std::string::npos) << row;
        ++compared;
    }
    EXPECT_GE(compared, 3);
    // A series without measurements has no row.
    EXPECT_EQ(LineStarting(text_, "nit. out 0 "), "");
}

TEST_P(ExampleReport, ParametersAreThoseOfTheProjectFile)
{
    const LoadedProject loaded = ReadProjectFile(project_);
    for (int p = 0; p < kParameterCount; ++p) {
        const auto parameter = static_cast<Parameter>(p);
        const std::string row = LineStarting(text_, std::string(ParameterName(parameter)) + " ");
        const std::string value = FormatFileDouble(loaded.parameters.get(parameter));
        EXPECT_NE(row.find(" " + value + " "), std::string::npos) << row << " lacks " << value;
    }
}

TEST_P(ExampleReport, DesignResultsAreThoseOfTheProjectFile)
{
    const LoadedProject loaded = ReadProjectFile(project_);
    const std::string area = FormatGeneral(RoundDesignResult(loaded.initial.get(BoxField::AA)));
    EXPECT_EQ(LineStarting(text_, "Area (AA)"), "Area (AA) " + area + " m2");
    const std::string volume = FormatGeneral(RoundDesignResult(loaded.initial.get(BoxField::VO)));
    EXPECT_EQ(LineStarting(text_, "Volume (VO)"), "Volume (VO) " + volume + " m3");
}

TEST_P(ExampleReport, FiguresAreVectorDrawingsAndTextIsText)
{
    const std::vector<std::string> images = Lines(Output("pdfimages -list " + Quoted(pdf_)));
    EXPECT_EQ(images.size(), 2u) << "only the heading lines, no picture";
    const std::string fonts = Output("pdffonts " + Quoted(pdf_));
    EXPECT_NE(fonts.find("DejaVu"), std::string::npos);
    EXPECT_NE(Output("pdfinfo " + Quoted(pdf_)).find("A4"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleReport,
    ::testing::Values(std::string("cold_climate_bed"), std::string("warm_climate_bed")));

TEST(Report, LetterPaperWhenAsked)
{
    TempDir dir;
    const auto pdf = dir / "letter.pdf";
    ASSERT_EQ(Sim({"report", testing_support::kCold, "--pdf", pdf.string(), "--paper", "letter"}).status, 0);
    EXPECT_NE(Output("pdfinfo " + Quoted(pdf)).find("612 x 792 pts (letter)"), std::string::npos);
    EXPECT_EQ(Sim({"report", testing_support::kCold, "--pdf", pdf.string(), "--paper", "a5"}).status, 2);
}

TEST(Report, SideFileGivesTitleAuthorAndLimits)
{
    TempDir dir;
    const auto project = dir / "bed.mdl";
    std::filesystem::copy_file(testing_support::kCold, project);
    ReportSettings settings;
    settings.title = "Wetland at Nordfeld";
    settings.checkedBy = "B. Checker";
    settings.revision = "R2";
    settings.limits = {{.column = 1, .value = 25, .statistic = "annual mean", .source = "Permit 12/2026"}};
    WriteSideFile(project, settings);
    const auto pdf = dir / "r.pdf";
    const auto result = Sim({"report", project.string(), "--pdf", pdf.string(), "--author", "A. Author"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string text = Collapsed(Output("pdftotext -layout " + Quoted(pdf) + " -"));
    for (const char *expected : {"Wetland at Nordfeld", "Author A. Author", "Checked by B. Checker",
             "Revision R2", "BOD5 out 25 annual mean Permit 12/2026", "Permit limit"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    EXPECT_EQ(LineStarting(text, "SHA-256 of the side file").find("none"), std::string::npos);
}

TEST(Report, DamagedSideFileStopsNothingAndIsNamed)
{
    TempDir dir;
    const auto project = dir / "bed.mdl";
    std::filesystem::copy_file(testing_support::kCold, project);
    WriteText(dir / "bed.carexa.json", "{ not json");
    const auto pdf = dir / "r.pdf";
    const auto result = Sim({"report", project.string(), "--pdf", pdf.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("note: The side file bed.carexa.json is damaged"), std::string::npos)
        << result.err;
    const std::string text = Flat(Output("pdftotext " + Quoted(pdf) + " -"));
    EXPECT_NE(text.find("The side file bed.carexa.json is damaged"), std::string::npos);
    EXPECT_NE(text.find("Fit to measurements"), std::string::npos);
}

TEST(Report, NothingSimulatedGivesTheSectionsThatExistAndSaysWhatIsMissing)
{
    TempDir dir;
    LoadedProject loaded = ReadProjectFile(testing_support::kCold);
    for (BoxValues &box : loaded.dayBoxes)
        box.reset();
    Project project;
    project.load(loaded);
    const auto file = dir / "fresh.mdl";
    project.save(file);
    const auto pdf = dir / "r.pdf";
    const auto result = Sim({"report", file.string(), "--pdf", pdf.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("(Design basis, Forcing data, Model set-up, Scope and limitations)"),
        std::string::npos) << result.out;
    const std::string text = Collapsed(Output("pdftotext -layout " + Quoted(pdf) + " -"));
    EXPECT_NE(text.find("Results: the project was not simulated"), std::string::npos);
    EXPECT_NE(text.find("Results none (not simulated)"), std::string::npos);
    EXPECT_EQ(text.find("Fit statistics"), std::string::npos);
}

TEST(Report, SectionsAsked)
{
    TempDir dir;
    const auto pdf = dir / "r.pdf";
    auto result = Sim({"report", testing_support::kCold, "--pdf", pdf.string(), "--sections", "fit,setup"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("(Model set-up, Fit to measurements)"), std::string::npos) << result.out;
    result = Sim({"report", testing_support::kCold, "--pdf", pdf.string(), "--sections", "fit,nope"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("--sections: nope is no section"), std::string::npos) << result.err;
}

} // namespace
} // namespace carexa

namespace carexa {
namespace {

TEST(Report, StaleResultsAreMarkedStale)
{
    Project project;
    project.load(ReadProjectFile(testing_support::kCold));
    const double ac = project.state().parameters.get(Parameter::AC);
    project.setParameter(Parameter::AC, ac * 1.1);
    ASSERT_TRUE(project.stale(Derived::Results));
    const ReportSource source
        = ProjectReportSource(project, testing_support::kCold, ReportSettings(), {}, "test");
    const PictureSession session;
    const QByteArray bytes = ReportPdf(BuildReport(source, {}), ReportPaper::A4, "Stale", "");
    TempDir dir;
    const auto pdf = dir / "stale.pdf";
    WriteText(pdf, std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    const std::string text = Output("pdftotext -layout " + Quoted(pdf) + " -");
    EXPECT_NE(Flat(text).find("STALE: the inputs changed after this run"), std::string::npos);
    EXPECT_EQ(LineStarting(text, "Results STALE"), "Results STALE: computed before the inputs last changed");
    EXPECT_NE(Flat(text).find("The results are stale"), std::string::npos);
}

} // namespace
} // namespace carexa
