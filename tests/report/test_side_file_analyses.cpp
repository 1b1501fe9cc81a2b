// The analyses a side file keeps: through a file and back, and a damaged part left aside alone.

#include "report/side_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace carexa {
namespace {

using testing_support::TempDir;
using testing_support::WriteText;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

KeptAnalyses Kept()
{
    KeptAnalyses a;
    KeptMorris m {.inputs = 0xFEDCBA9876543210ULL, .seed = 18446744073709551615ULL, .levels = 6, .result = {}};
    m.result.trajectories = 30;
    m.result.trajectoriesUsed = 29;
    m.result.trajectoriesFailed = 1;
    m.result.runs = 493;
    m.result.effects[2][4] = {.mu = -0.125, .muStar = 0.375, .sigma = kNaN};
    m.result.effects[15][10] = {.mu = 1e-300, .muStar = 7.5, .sigma = 0.1};
    a.morris = m;

    KeptSobol s {.inputs = 7, .seed = 3, .resamples = 200, .result = {}};
    s.result.parameters = {Parameter::NC, Parameter::AF};
    s.result.indices.resize(2);
    s.result.indices[0][0] = {.s1 = 0.25, .s1Low = 0.2, .s1High = 0.3, .st = 0.5, .stLow = 0.4, .stHigh = 0.6};
    s.result.indices[1][10] = {.s1 = kNaN, .s1Low = kNaN, .s1High = kNaN, .st = kNaN, .stLow = kNaN, .stHigh = kNaN};
    s.result.baseSamples = 64;
    s.result.rowsUsed = 63;
    s.result.rowsFailed = 1;
    s.result.runs = 255;
    a.sobol = s;

    a.conditioning = KeptConditioning {.inputs = 9, .seed = 11, .samples = 200, .iterationsAsked = 3,
        .threshold = 0.4, .validationFrom = 180, .iterationsRun = 2, .kept = 2, .behavioural = 57,
        .toppedUp = true, .runsUsed = 100,
        .fits = {{.series = 0, .calibration = {.observed = 26, .pFactor = 0.75, .rFactor = 1.25},
                     .validation = BandFit {.observed = 26, .pFactor = 0.5, .rFactor = kNaN}},
            {.series = 3, .calibration = {.observed = 20, .pFactor = 1, .rFactor = 0.5},
                .validation = std::nullopt}}};

    a.compliance = KeptCompliance {.inputs = 10, .seed = 12, .samples = 500, .conditioned = true,
        .warmUp = 3, .runsUsed = 498, .runsFailed = 2, .effectiveRuns = 123.5,
        .outcomes = {{.target = {.series = 0, .limit = 25, .statistic = PermitStatistic::AnnualMean},
                         .probability = 0.875, .probabilityLow = 0.8, .probabilityHigh = 0.92,
                         .statisticLow = 10.5, .statisticMedian = 15.25, .statisticHigh = 27},
            {.target = {.series = 2, .limit = 10, .statistic = PermitStatistic::ExceedDays, .allowedDays = 3},
                .probability = 0, .probabilityLow = 0, .probabilityHigh = 0.05,
                .statisticLow = 4, .statisticMedian = 9, .statisticHigh = 30}}};

    KeptCalibration c {.inputs = 13, .seed = 14, .runsAllowed = 400, .runsUsed = 400,
        .objectiveBefore = 0.75, .objectiveAfter = 0.5, .parameters = {}};
    for (int p = 0; p < kParameterCount; ++p) {
        c.parameters.push_back({.parameter = static_cast<Parameter>(p), .fitted = p % 2 == 0,
            .before = 0.5 + p, .after = 0.25 + p, .lower = 0.1, .upper = 20.0 + p, .interval = std::nullopt});
    }
    c.parameters[0].interval = ParameterInterval {.parameter = Parameter::AC, .value = 0.25,
        .stdError = 0.125, .lower = 0.0, .upper = 0.5, .status = ConfidenceStatus::Determined};
    c.parameters[2].interval = ParameterInterval {.parameter = Parameter::OC, .value = 2.25,
        .stdError = kNaN, .lower = kNaN, .upper = kNaN, .status = ConfidenceStatus::AtBound};
    a.calibration = c;
    return a;
}

ReportSettings WithAnalyses()
{
    ReportSettings s;
    s.title = "Bed";
    s.analyses = Kept();
    return s;
}

TEST(SideFileAnalyses, EveryPartComesBackThroughAFile)
{
    TempDir dir;
    WriteSideFile(dir / "bed.mdl", WithAnalyses());
    const SideFileRead read = ReadSideFile(dir / "bed.mdl");
    EXPECT_EQ(read.problem, "");
    EXPECT_EQ(read.settings, WithAnalyses());
    const KeptAnalyses &a = read.settings.analyses;
    ASSERT_TRUE(a.morris && a.sobol && a.conditioning && a.compliance && a.calibration);
    // Fingerprints and seeds keep all 64 bits, undefined numbers stay undefined.
    EXPECT_EQ(a.morris->inputs, 0xFEDCBA9876543210ULL);
    EXPECT_EQ(a.morris->seed, 18446744073709551615ULL);
    EXPECT_EQ(a.morris->result.effects[2][4].muStar, 0.375);
    EXPECT_TRUE(std::isnan(a.morris->result.effects[2][4].sigma));
    EXPECT_EQ(a.morris->result.effects[15][10].mu, 1e-300);
    EXPECT_EQ(a.sobol->result.parameters, (std::vector<Parameter> {Parameter::NC, Parameter::AF}));
    EXPECT_EQ(a.sobol->result.indices[0][0].stHigh, 0.6);
    EXPECT_TRUE(std::isnan(a.sobol->result.indices[1][10].st));
    ASSERT_EQ(a.conditioning->fits.size(), 2u);
    EXPECT_EQ(a.conditioning->fits[1].series, 3);
    EXPECT_FALSE(a.conditioning->fits[1].validation);
    EXPECT_TRUE(std::isnan(a.conditioning->fits[0].validation->rFactor));
    EXPECT_EQ(a.compliance->outcomes[1].target,
        (PermitTarget {.series = 2, .limit = 10, .statistic = PermitStatistic::ExceedDays, .allowedDays = 3}));
    EXPECT_EQ(a.compliance->effectiveRuns, 123.5);
    EXPECT_EQ(a.calibration->parameters[15].upper, 35);
    EXPECT_EQ(a.calibration->parameters[2].interval->status, ConfidenceStatus::AtBound);
    EXPECT_FALSE(a.calibration->parameters[1].interval);
}

TEST(SideFileAnalyses, NoAnalysesWritesNoAnalysesMember)
{
    EXPECT_EQ(SideFileText(ReportSettings()).find("analyses"), std::string::npos);
    const SideFileRead read = ParseSideFile(SideFileText(ReportSettings()));
    EXPECT_TRUE(read.settings.analyses.empty());
    EXPECT_EQ(read.problem, "");
}

// Replaces the first `from` after `after` in the side file's text.
std::string Damaged(const std::string &after, const std::string &from, const std::string &to)
{
    std::string text = SideFileText(WithAnalyses());
    const std::size_t at = text.find(from, text.find(after));
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

struct DamagedCase
{
    const char *part; ///< the member the damage is in
    const char *from;
    const char *to;
    const char *named;
};

class DamagedPart : public ::testing::TestWithParam<DamagedCase>
{
};

TEST_P(DamagedPart, IsLeftAsideAloneAndNamed)
{
    const DamagedCase &c = GetParam();
    const SideFileRead read = ParseSideFile(Damaged(std::string("\"") + c.part + "\"", c.from, c.to));
    EXPECT_EQ(read.problem, std::string("keeps damaged analyses, left out: ") + c.named);
    EXPECT_EQ(read.settings.title, "Bed");
    const KeptAnalyses &a = read.settings.analyses;
    const std::string part = c.part;
    EXPECT_EQ(a.morris.has_value(), part != "morris");
    EXPECT_EQ(a.sobol.has_value(), part != "sobol");
    EXPECT_EQ(a.conditioning.has_value(), part != "conditioning");
    EXPECT_EQ(a.compliance.has_value(), part != "compliance");
    EXPECT_EQ(a.calibration.has_value(), part != "calibration");
}

INSTANTIATE_TEST_SUITE_P(Parts, DamagedPart,
    ::testing::Values(
        // A fingerprint that is no hexadecimal number, a level count out of range, a missing row.
        DamagedCase {"morris", "\"fedcba9876543210\"", "\"fingerprint\"", "the Morris screening"},
        DamagedCase {"morris", "\"levels\": 6", "\"levels\": 1", "the Morris screening"},
        DamagedCase {"morris", "\"trajectoriesUsed\": 29", "\"trajectoriesUsed\": 31", "the Morris screening"},
        DamagedCase {"sobol", "\"AF\"", "\"XX\"", "the Sobol' indices"},
        DamagedCase {"sobol", "\"NC\"", "\"AF\"", "the Sobol' indices"},
        DamagedCase {"sobol", "\"baseSamples\": 64", "\"baseSamples\": 4", "the Sobol' indices"},
        DamagedCase {"conditioning", "\"kept\": 2", "\"kept\": 3", "the conditioned uncertainty"},
        DamagedCase {"conditioning", "\"series\": 4", "\"series\": 12", "the conditioned uncertainty"},
        DamagedCase {"conditioning", "\"toppedUp\": true", "\"toppedUp\": 1", "the conditioned uncertainty"},
        DamagedCase {"compliance", "\"1:25:annual-mean\"", "\"1:25:yearly\"", "the compliance"},
        DamagedCase {"compliance", "\"probability\": 0.875", "\"probability\": 1.5", "the compliance"},
        DamagedCase {"compliance", "\"warmUp\": 3", "\"warmUp\": 2.5", "the compliance"},
        DamagedCase {"calibration", "\"status\": \"at_bound\"", "\"status\": \"fine\"", "the calibration"},
        DamagedCase {"calibration", "\"name\": \"NC\"", "\"name\": \"OC\"", "the calibration"},
        DamagedCase {"calibration", "\"fitted\": true", "\"fitted\": \"yes\"", "the calibration"}));

TEST(SideFileAnalyses, AnalysesOfTheWrongKindAreNamedAndTheRestIsRead)
{
    const SideFileRead read = ParseSideFile(
        R"({"report": {"title": "T"}, "analyses": [1, 2], "limits": [{"series": 2, "value": 5}]})");
    EXPECT_EQ(read.problem, "keeps damaged analyses, left out: the analyses");
    EXPECT_EQ(read.settings.title, "T");
    EXPECT_EQ(read.settings.limits.size(), 1u);
    EXPECT_TRUE(read.settings.analyses.empty());
}

TEST(SideFileAnalyses, ADamagedPartIsSaidInTheLoadMessage)
{
    TempDir dir;
    WriteText(dir / "bed.carexa.json", Damaged("\"sobol\"", "\"AF\"", "\"XX\""));
    const SideFileRead read = ReadSideFile(dir / "bed.mdl");
    EXPECT_EQ(read.problem,
        "The side file bed.carexa.json keeps damaged analyses, left out: the Sobol' indices.");
    EXPECT_TRUE(read.settings.analyses.morris);
}

AssistantInputs Assistant()
{
    AssistantInputs in;
    in.sizing.flow = 40;
    in.sizing.temperature = 5.5;
    in.sizing.pollutants = {{.pollutant = Pollutant::BOD5, .inflow = 150, .target = 25,
                                .constants = {.k20 = 25, .theta = 1, .cStar = 10, .tanks = 3}},
        {.pollutant = Pollutant::TotalP, .inflow = 6, .target = 2,
            .constants = {.k20 = 12, .theta = 1.01, .cStar = 0.02, .tanks = 2.5}}};
    in.depth = 0.7;
    in.porosity = 0.35;
    in.hydraulics = HydraulicInputs {.conductivity = 500, .slope = 0.01, .longTermFactor = 0.2};
    in.designScreenWidth = 12.5;
    in.length = 40;
    return in;
}

TEST(SideFileAssistant, TheInputsComeBackThroughAFile)
{
    TempDir dir;
    ReportSettings settings;
    settings.designAssistant = KeptAssistant {Assistant()};
    WriteSideFile(dir / "bed.mdl", settings);
    const SideFileRead read = ReadSideFile(dir / "bed.mdl");
    EXPECT_EQ(read.problem, "");
    EXPECT_EQ(read.settings, settings);
    ASSERT_TRUE(read.settings.designAssistant);
    const AssistantInputs &in = read.settings.designAssistant->inputs;
    EXPECT_EQ(in.sizing.temperature, 5.5);
    EXPECT_EQ(in.sizing.pollutants[1].pollutant, Pollutant::TotalP);
    EXPECT_EQ(in.sizing.pollutants[1].constants.tanks, 2.5);
    EXPECT_EQ(in.hydraulics->longTermFactor, 0.2);
    EXPECT_EQ(in.designScreenWidth, 12.5);
    EXPECT_FALSE(in.width);
    EXPECT_EQ(in.length, 40);
    // Without hydraulics and shape, they stay out.
    settings.designAssistant->inputs.hydraulics.reset();
    settings.designAssistant->inputs.length.reset();
    EXPECT_EQ(ParseSideFile(SideFileText(settings)).settings, settings);
}

class DamagedAssistant : public ::testing::TestWithParam<std::pair<const char *, const char *>>
{
};

TEST_P(DamagedAssistant, IsLeftAsideAndNamed)
{
    ReportSettings settings;
    settings.title = "Bed";
    settings.designAssistant = KeptAssistant {Assistant()};
    std::string text = SideFileText(settings);
    const auto &[from, to] = GetParam();
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, std::string(from).size(), to);
    const SideFileRead read = ParseSideFile(text);
    EXPECT_EQ(read.problem, "has values of the wrong kind, left out: designAssistant");
    EXPECT_FALSE(read.settings.designAssistant);
    EXPECT_EQ(read.settings.title, "Bed");
}

INSTANTIATE_TEST_SUITE_P(Values, DamagedAssistant,
    ::testing::Values(std::make_pair("\"pollutant\": \"TP\"", "\"pollutant\": \"XP\""),
        std::make_pair("\"flow\": 40", "\"flow\": \"40\""),
        // Refused by the assistant: a target above the inflow, P beyond 100, no flow.
        std::make_pair("\"target\": 25", "\"target\": 250"),
        std::make_pair("\"tanks\": 3", "\"tanks\": 101"),
        std::make_pair("\"flow\": 40", "\"flow\": 0"),
        std::make_pair("\"slope\": 0.01", "\"slope\": null"),
        std::make_pair("\"pollutants\": [", "\"pollutants\": [], \"x\": [")));

} // namespace
} // namespace carexa
