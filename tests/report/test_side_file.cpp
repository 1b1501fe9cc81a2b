#include "report/side_file.h"

#include "model/error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace carexa {
namespace {

using testing_support::ReadText;
using testing_support::TempDir;
using testing_support::WriteText;

ReportSettings Filled()
{
    ReportSettings s;
    s.title = "Bed Nord — Ausführung";
    s.author = "A. Designer";
    s.checkedBy = "B. Checker";
    s.revision = "C";
    s.designBasis = "Q from 250 PE at 150 l / (PE d).\nDesign temperature: coldest month.";
    s.populationEquivalent = 250;
    s.peakFactor = 1.8;
    s.startDate = "2024-01-01";
    s.limits = {{.column = 1, .value = 25, .statistic = "annual mean", .source = "AbwV Anh. 1"},
        {.column = 3, .value = 10, .statistic = "90th percentile", .source = ""}};
    return s;
}

TEST(SideFilePath, ReplacesTheProjectsExtension)
{
    EXPECT_EQ(SideFilePath("/a/bed.mdl"), std::filesystem::path("/a/bed.carexa.json"));
    EXPECT_EQ(SideFilePath("/a/bed.MDL"), std::filesystem::path("/a/bed.carexa.json"));
    EXPECT_EQ(SideFilePath("bed"), std::filesystem::path("bed.carexa.json"));
    EXPECT_EQ(SideFilePath("/a/.mdl"), std::filesystem::path("/a/.mdl.carexa.json"));
    EXPECT_EQ(SideFilePath("/a/b.mdl.txt"), std::filesystem::path("/a/b.mdl.txt.carexa.json"));
}

TEST(SideFile, KeepsEverySettingThroughAFile)
{
    TempDir dir;
    const auto project = dir / "bed.mdl";
    WriteSideFile(project, Filled());
    const SideFileRead read = ReadSideFile(project);
    EXPECT_TRUE(read.found);
    EXPECT_EQ(read.problem, "");
    EXPECT_EQ(read.settings, Filled());
}

TEST(SideFile, MissingGivesTheDefaultsWithoutAProblem)
{
    TempDir dir;
    const SideFileRead read = ReadSideFile(dir / "bed.mdl");
    EXPECT_FALSE(read.found);
    EXPECT_EQ(read.problem, "");
    EXPECT_EQ(read.settings, ReportSettings());
}

TEST(SideFile, DamagedIsLeftAsideAndSaidSo)
{
    TempDir dir;
    const auto project = dir / "bed.mdl";
    WriteText(dir / "bed.carexa.json", "{\"report\": {\"title\": \"x\"");
    const SideFileRead read = ReadSideFile(project);
    EXPECT_TRUE(read.found);
    EXPECT_EQ(read.settings, ReportSettings());
    EXPECT_NE(read.problem.find("The side file bed.carexa.json is damaged"), std::string::npos)
        << read.problem;
    EXPECT_NE(read.problem.find("the project was loaded without it"), std::string::npos);
}

TEST(SideFile, ValuesOfTheWrongKindAreLeftOutAndNamed)
{
    const SideFileRead read = ParseSideFile(R"({"report": {"title": 5, "author": "A",
        "peakFactor": -1, "populationEquivalent": "many"},
        "limits": [{"series": 9, "value": 3}, {"series": 2, "value": 11.5}, "x"]})");
    EXPECT_EQ(read.settings.title, "");
    EXPECT_EQ(read.settings.author, "A");
    EXPECT_FALSE(read.settings.peakFactor);
    EXPECT_FALSE(read.settings.populationEquivalent);
    ASSERT_EQ(read.settings.limits.size(), 1u);
    EXPECT_EQ(read.settings.limits[0].column, 2);
    EXPECT_EQ(read.settings.limits[0].value, 11.5);
    EXPECT_EQ(read.problem,
        "has values of the wrong kind, left out: title, populationEquivalent, peakFactor, limits, "
        "limits");
}

TEST(SideFile, ZeroFactorsAndNoOutflowSeriesAreWrong)
{
    const SideFileRead read = ParseSideFile(R"({"report": {"peakFactor": 0, "populationEquivalent": 1e-9},
        "limits": [{"series": 6, "value": 3}, {"series": 5, "value": 0}, {"series": 0, "value": 1},
            {"series": 5, "value": 1e-9}]})");
    EXPECT_FALSE(read.settings.peakFactor);
    EXPECT_EQ(read.settings.populationEquivalent, 1e-9);
    ASSERT_EQ(read.settings.limits.size(), 1u);
    EXPECT_EQ(read.settings.limits[0].column, 5);
    EXPECT_EQ(read.problem, "has values of the wrong kind, left out: peakFactor, limits, limits, limits");
}

TEST(SideFile, NoObjectIsDamaged)
{
    EXPECT_EQ(ParseSideFile("[1, 2]").problem, "is damaged (it holds no JSON object)");
    EXPECT_EQ(ParseSideFile("").settings, ReportSettings());
    EXPECT_NE(ParseSideFile("").problem.find("is damaged"), std::string::npos);
}

TEST(SideFile, AFailedWriteLeavesTheOldFile)
{
    TempDir dir;
    const auto project = dir / "missing-folder" / "bed.mdl";
    EXPECT_THROW(WriteSideFile(project, Filled()), Error);
    const auto kept = dir / "bed.mdl";
    WriteSideFile(kept, Filled());
    const std::string before = ReadText(dir / "bed.carexa.json");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ReportSettings other = Filled();
    other.title = "other";
    if (::geteuid() != 0) {
        EXPECT_THROW(WriteSideFile(kept, other), Error);
    }
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    if (::geteuid() != 0) {
        EXPECT_EQ(ReadText(dir / "bed.carexa.json"), before);
    }
}

} // namespace
} // namespace carexa
