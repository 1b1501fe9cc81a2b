#include "model/wetland_sizing.h"

#include "model/error.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>

using namespace carexa;

namespace {

// The worked example: Q 20 m3/d, A 500 m2, Cin 200 mg/L, C* 8.8424 mg/L, k 76 m/yr, P 4, 20 deg C.
constexpr RateConstants kExample {76, 1.0, 8.8424, 4};

PollutantInput ExampleBod5(double target = 30)
{
    return {Pollutant::BOD5, 200, target, kExample};
}

TEST(WetlandSizing, TankByTankOutflowsOfTheWorkedExample)
{
    const double q = HydraulicLoadingRate(20, 500);
    EXPECT_DOUBLE_EQ(q, 14.6);
    const std::vector<double> tanks = TankOutflows(200, kExample, 76, q);
    ASSERT_EQ(tanks.size(), 4u);
    EXPECT_NEAR(tanks[0], 91.90, 0.005);
    EXPECT_NEAR(tanks[1], 44.94, 0.005);
    EXPECT_NEAR(tanks[2], 24.53, 0.005);
    EXPECT_NEAR(tanks[3], 15.66, 0.005);
    EXPECT_DOUBLE_EQ(TankOutflow(200, kExample, 76, q, 4), tanks[3]);

    // An apparent number of tanks need not be whole: the whole tanks are listed, the outflow
    // lies between the last of them and the next.
    RateConstants fractional = kExample;
    fractional.tanks = 2.5;
    const std::vector<double> two = TankOutflows(200, fractional, 76, q);
    ASSERT_EQ(two.size(), 2u);
    const double outflow = TankOutflow(200, fractional, 76, q, 2.5);
    EXPECT_LT(outflow, two[1]);
    EXPECT_GT(outflow, TankOutflow(200, fractional, 76, q, 3));
}

struct AreaCase
{
    double tanks;
    double area; // worked out by hand
};

void PrintTo(const AreaCase &c, std::ostream *os)
{
    *os << "P " << c.tanks;
}

class RequiredAreaByTanks : public testing::TestWithParam<AreaCase>
{ };

TEST_P(RequiredAreaByTanks, ReachesThirtyMilligrams)
{
    RateConstants constants = kExample;
    constants.tanks = GetParam().tanks;
    const std::optional<double> area = RequiredArea(20, 200, 30, constants, 76);
    ASSERT_TRUE(area);
    EXPECT_NEAR(*area, GetParam().area, 0.05);
    // At that area the bed lets out exactly the target.
    EXPECT_NEAR(TankOutflow(200, constants, 76, HydraulicLoadingRate(20, *area), constants.tanks),
        30, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(WetlandSizing, RequiredAreaByTanks,
    testing::Values(AreaCase {1, 771.8}, AreaCase {4, 281.9}, AreaCase {6, 255.4}));

TEST(WetlandSizing, PlugFlowIsTheLimitOfManyTanks)
{
    EXPECT_NEAR(*PlugFlowArea(20, 200, 30, kExample, 76), 211.4, 0.05);
    // More tanks need less area, and never less than plug flow.
    RateConstants constants = kExample;
    double previous = std::numeric_limits<double>::infinity();
    for (double tanks : {1.0, 1.5, 2.0, 4.0, 6.0, 10.0, 100.0}) {
        constants.tanks = tanks;
        const double area = *RequiredArea(20, 200, 30, constants, 76);
        EXPECT_LT(area, previous) << tanks;
        EXPECT_GT(area, 211.4) << tanks;
        previous = area;
    }
    EXPECT_NEAR(previous, 213.77, 0.005); // P = 100
}

TEST(WetlandSizing, ATargetAtOrBelowTheBackgroundCannotBeReached)
{
    EXPECT_FALSE(RequiredArea(20, 200, 8.8424, kExample, 76));
    EXPECT_FALSE(RequiredArea(20, 200, 5, kExample, 76));
    EXPECT_FALSE(PlugFlowArea(20, 200, 8.8424, kExample, 76));
    EXPECT_TRUE(RequiredArea(20, 200, 8.85, kExample, 76));

    SizingInputs in {20, 20, {ExampleBod5(8.8424)}};
    const TargetSizing sizing = SizeForTargets(in);
    ASSERT_EQ(sizing.pollutants.size(), 1u);
    EXPECT_FALSE(sizing.pollutants[0].requiredArea);
    EXPECT_FALSE(sizing.governing);
    EXPECT_FALSE(sizing.governingArea);
}

TEST(WetlandSizing, RateConstantAtTheDesignTemperature)
{
    EXPECT_NEAR(RateAtTemperature(34, 1.04, 10), 22.97, 0.005);
    EXPECT_DOUBLE_EQ(RateAtTemperature(34, 1.04, 20), 34);
    EXPECT_NEAR(RateAtTemperature(34, 1.04, 25), 41.37, 0.005);
    EXPECT_DOUBLE_EQ(RateAtTemperature(86, 1.0, 2), 86);
}

struct BandCase
{
    double inflow;
    int band;
    double cStar;
    double k20;
};

void PrintTo(const BandCase &c, std::ostream *os)
{
    *os << "inflow " << c.inflow;
}

class Bod5Bands : public testing::TestWithParam<BandCase>
{ };

TEST_P(Bod5Bands, EachUpperBoundBelongsToTheLowerBand)
{
    const BandCase &c = GetParam();
    EXPECT_EQ(Bod5InflowBand(c.inflow), c.band);
    const DefaultConstants d = DefaultRateConstants(Pollutant::BOD5, c.inflow);
    EXPECT_EQ(d.values.cStar, c.cStar);
    EXPECT_EQ(d.values.k20, c.k20);
    EXPECT_EQ(d.values.tanks, 3);
    EXPECT_EQ(d.values.theta, 1.0);
    EXPECT_NE(d.k20Source.find("Kadlec & Wallace (2009)"), std::string_view::npos);
}

TEST(WetlandSizing, Bod5BandNames)
{
    EXPECT_EQ(Bod5InflowBandName(0), "up to 30 mg/L");
    EXPECT_EQ(Bod5InflowBandName(1), "30-100 mg/L");
    EXPECT_EQ(Bod5InflowBandName(2), "100-200 mg/L");
    EXPECT_EQ(Bod5InflowBandName(3), "above 200 mg/L");
    EXPECT_EQ(Bod5InflowBandName(Bod5InflowBand(150)), "100-200 mg/L");
}

INSTANTIATE_TEST_SUITE_P(WetlandSizing, Bod5Bands,
    testing::Values(BandCase {0, 0, 1, 86}, BandCase {30, 0, 1, 86}, BandCase {30.001, 1, 5, 37},
        BandCase {100, 1, 5, 37}, BandCase {100.001, 2, 10, 25}, BandCase {200, 2, 10, 25},
        BandCase {200.001, 3, 15, 66}, BandCase {5000, 3, 15, 66}));

TEST(WetlandSizing, DefaultConstantsOfTheOtherPollutants)
{
    struct Row
    {
        Pollutant pollutant;
        RateConstants values;
    };
    const Row rows[] = {
        {Pollutant::OrganicN, {19.6, 1.05, 1, 6}},
        {Pollutant::Ammonium, {11.4, 1.04, 0, 6}},
        {Pollutant::Nitrate, {42, 1.09, 0, 8}},
        {Pollutant::TotalN, {8.4, 1.05, 1, 6}},
        {Pollutant::TotalP, {12, 1.00, 0.02, 3}},
    };
    for (const Row &row : rows) {
        const DefaultConstants d = DefaultRateConstants(row.pollutant, 150);
        EXPECT_EQ(d.values, row.values) << PollutantName(row.pollutant);
        EXPECT_EQ(d.thetaSource, "Kadlec & Knight (1996)");
    }
    EXPECT_NE(DefaultRateConstants(Pollutant::TotalP, 5).tanksSource.find("assumed"),
        std::string_view::npos);
    EXPECT_NE(DefaultRateConstants(Pollutant::Nitrate, 5).k20Source.find("Wallace"),
        std::string_view::npos);

    EXPECT_EQ(DefaultTarget(Pollutant::BOD5), 25);
    EXPECT_EQ(DefaultTarget(Pollutant::TotalN), 15);
    EXPECT_EQ(DefaultTarget(Pollutant::TotalP), 2);
    EXPECT_FALSE(DefaultTarget(Pollutant::Ammonium));
    EXPECT_FALSE(DefaultTarget(Pollutant::OrganicN));
    EXPECT_FALSE(DefaultTarget(Pollutant::Nitrate));
}

TEST(WetlandSizing, PollutantNamesAndKeys)
{
    const std::pair<std::string_view, std::string_view> expected[] = {{"BOD5", "BOD5"},
        {"Organic N", "ORGN"}, {"NH4-N", "NH4"}, {"NO3-N", "NO3"}, {"TN", "TN"}, {"TP", "TP"}};
    for (std::size_t i = 0; i < kPollutants.size(); ++i) {
        EXPECT_EQ(PollutantName(kPollutants[i]), expected[i].first);
        EXPECT_EQ(PollutantKey(kPollutants[i]), expected[i].second);
        EXPECT_EQ(PollutantFromKey(expected[i].second), kPollutants[i]);
    }
    EXPECT_FALSE(PollutantFromKey("bod5"));
    EXPECT_FALSE(PollutantFromKey("NH4-N"));
    EXPECT_FALSE(PollutantFromKey(""));
}

TEST(WetlandSizing, DarcyWidthsAndFlows)
{
    EXPECT_NEAR(DarcyMinimumWidth(20, 1000, 0.6, 0.01), 3.33, 0.005);
    EXPECT_NEAR(DarcyMinimumWidth(20, 100, 0.6, 0.01), 33.3, 0.05);
    // A 20 m wide bed, 0.6 m deep, of 100 m/d gravel on a slope of 1 cm/m carries 12 m3/d.
    EXPECT_DOUBLE_EQ(DarcyMaximumFlow(100, 20, 0.6, 0.01), 12);
}

TEST(WetlandSizing, RoundsLengthsUpToTheNextTenth)
{
    EXPECT_DOUBLE_EQ(RoundUpToTenth(3.3333), 3.4);
    EXPECT_DOUBLE_EQ(RoundUpToTenth(3.31), 3.4);
    EXPECT_DOUBLE_EQ(RoundUpToTenth(3.29), 3.3);
    EXPECT_DOUBLE_EQ(RoundUpToTenth(3.3), 3.3);
    EXPECT_DOUBLE_EQ(RoundUpToTenth(1.1 * 3), 3.3); // 3.3000000000000003
    EXPECT_DOUBLE_EQ(RoundUpToTenth(33.333333), 33.4);
    // A length above 0 is at least a tenth, however small; 0 stays 0.
    EXPECT_DOUBLE_EQ(RoundUpToTenth(1e-300), 0.1);
    EXPECT_DOUBLE_EQ(RoundUpToTenth(0.1), 0.1);
    EXPECT_DOUBLE_EQ(RoundUpToTenth(0.10001), 0.2);
    EXPECT_EQ(RoundUpToTenth(0), 0);
}

TEST(WetlandSizing, RetentionTimeAndLoading)
{
    EXPECT_DOUBLE_EQ(NominalRetentionTime(500, 0.6, 0.4, 20), 6);
    EXPECT_DOUBLE_EQ(ArealLoading(20, 200, 500), 8);
}

TEST(WetlandSizing, TheLargestAreaGoverns)
{
    SizingInputs in;
    in.flow = 20;
    in.temperature = 10;
    in.pollutants = {ExampleBod5(30), {Pollutant::Ammonium, 30, 5, {34, 1.04, 0, 6}},
        {Pollutant::TotalP, 5, 0.01, {12, 1.0, 0.02, 3}}};
    const TargetSizing sizing = SizeForTargets(in);
    ASSERT_EQ(sizing.pollutants.size(), 3u);
    EXPECT_NEAR(sizing.pollutants[1].kT, 22.97, 0.005);
    // NH4-N: 6 x 7300 / 22.969 x (6^(1/6) - 1) = 663.6 m2, more than BOD5's 281.9 m2.
    ASSERT_TRUE(sizing.pollutants[1].requiredArea);
    EXPECT_NEAR(*sizing.pollutants[1].requiredArea, 663.6, 0.05);
    EXPECT_FALSE(sizing.pollutants[2].requiredArea); // 0.01 mg/L lies below C* = 0.02
    EXPECT_EQ(sizing.governing, 1u);
    EXPECT_EQ(sizing.governingArea, sizing.pollutants[1].requiredArea);
    EXPECT_FALSE(sizing.pollutants[0].outflow);

    TargetSizing at = sizing;
    OutflowsAt(at, 20, 500);
    EXPECT_NEAR(*at.pollutants[0].outflow, 15.66, 0.005);
    EXPECT_EQ(at.pollutants[0].tankOutflows.size(), 4u);
    EXPECT_EQ(at.pollutants[1].tankOutflows.size(), 6u);
    EXPECT_GT(*at.pollutants[1].outflow, 5); // 500 m2 is too small for NH4-N
    EXPECT_GT(*at.pollutants[2].outflow, 0.02);
}

// Every refusal names its field; the cases next to each boundary are accepted.
struct Refusal
{
    const char *what;
    std::function<void(AssistantInputs &)> change;
    const char *field; // nullptr: accepted
};

AssistantInputs ValidInputs()
{
    AssistantInputs in;
    in.sizing = {20, 20, {ExampleBod5(30)}};
    in.depth = 0.6;
    in.porosity = 0.4;
    in.hydraulics = HydraulicInputs {1000, 0.01, 0.1};
    return in;
}

void PrintTo(const Refusal &r, std::ostream *os)
{
    *os << r.what;
}

class SizingRefusals : public testing::TestWithParam<Refusal>
{ };

TEST_P(SizingRefusals, NameTheField)
{
    AssistantInputs in = ValidInputs();
    GetParam().change(in);
    if (!GetParam().field) {
        EXPECT_NO_THROW(RunDesignAssistant(in));
        return;
    }
    try {
        RunDesignAssistant(in);
        ADD_FAILURE() << "accepted";
    } catch (const Error &e) {
        EXPECT_EQ(std::string_view(e.what()).substr(0, std::string_view(GetParam().field).size()),
            GetParam().field)
            << e.what();
    }
}

auto Bod5(std::function<void(PollutantInput &)> change)
{
    return [change](AssistantInputs &in) { change(in.sizing.pollutants[0]); };
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(WetlandSizing, SizingRefusals,
    testing::Values(Refusal {"zero flow", [](auto &in) { in.sizing.flow = 0; }, "Design flow Q"},
        Refusal {"negative flow", [](auto &in) { in.sizing.flow = -1; }, "Design flow Q"},
        Refusal {"flow no number", [](auto &in) { in.sizing.flow = kNaN; }, "Design flow Q"},
        Refusal {"small flow", [](auto &in) { in.sizing.flow = 1e-6; }, nullptr},
        Refusal {"temperature no number", [](auto &in) { in.sizing.temperature = kNaN; },
            "Design water temperature T"},
        Refusal {"freezing water", [](auto &in) { in.sizing.temperature = 0; }, nullptr},
        Refusal {"zero k", Bod5([](auto &p) { p.constants.k20 = 0; }), "BOD5 k20"},
        Refusal {"negative k", Bod5([](auto &p) { p.constants.k20 = -3; }), "BOD5 k20"},
        Refusal {"zero theta", Bod5([](auto &p) { p.constants.theta = 0; }), "BOD5 theta"},
        Refusal {"negative C*", Bod5([](auto &p) { p.constants.cStar = -0.1; }), "BOD5 C*"},
        Refusal {"zero C*", Bod5([](auto &p) { p.constants.cStar = 0; }), nullptr},
        Refusal {"P below 1", Bod5([](auto &p) { p.constants.tanks = 0.999; }), "BOD5 P"},
        Refusal {"P of 1", Bod5([](auto &p) { p.constants.tanks = 1; }), nullptr},
        Refusal {"P of 100", Bod5([](auto &p) { p.constants.tanks = 100; }), nullptr},
        Refusal {"P above 100", Bod5([](auto &p) { p.constants.tanks = 100.5; }), "BOD5 P"},
        Refusal {"zero inflow", Bod5([](auto &p) { p.inflow = 0; }), "BOD5 inflow"},
        Refusal {"negative target", Bod5([](auto &p) { p.target = -1; }), "BOD5 target"},
        Refusal {"target of 0", Bod5([](auto &p) { p.target = 0; }), nullptr},
        Refusal {"target at inflow", Bod5([](auto &p) { p.target = 200; }), "BOD5 target"},
        Refusal {"target above inflow", Bod5([](auto &p) { p.target = 250; }), "BOD5 target"},
        Refusal {"target just below inflow", Bod5([](auto &p) { p.target = 199.99; }), nullptr},
        Refusal {"given twice",
            [](auto &in) { in.sizing.pollutants.push_back(in.sizing.pollutants[0]); },
            "BOD5 is given twice"},
        Refusal {"zero depth", [](auto &in) { in.depth = 0; }, "Depth"},
        Refusal {"zero porosity", [](auto &in) { in.porosity = 0; }, "Porosity"},
        Refusal {"porosity of 1", [](auto &in) { in.porosity = 1; }, nullptr},
        Refusal {"porosity above 1", [](auto &in) { in.porosity = 1.01; }, "Porosity"},
        Refusal {"zero conductivity", [](auto &in) { in.hydraulics->conductivity = 0; },
            "Hydraulic conductivity K"},
        Refusal {"zero slope", [](auto &in) { in.hydraulics->slope = 0; }, "Slope S"},
        Refusal {"no long-term factor", [](auto &in) { in.hydraulics->longTermFactor = 0; },
            "Long-term factor"},
        Refusal {
            "long-term factor of 1", [](auto &in) { in.hydraulics->longTermFactor = 1; }, nullptr},
        Refusal {"long-term factor above 1", [](auto &in) { in.hydraulics->longTermFactor = 1.5; },
            "Long-term factor"},
        Refusal {"zero width", [](auto &in) { in.width = 0; }, "Width"},
        Refusal {"negative length", [](auto &in) { in.length = -2; }, "Length"},
        Refusal {
            "no pollutant and no shape", [](auto &in) { in.sizing.pollutants.clear(); }, nullptr},
        // Results that no number holds name the inputs they come from.
        Refusal {"deep beyond numbers", [](auto &in) { in.depth = 1e308; },
            "The nominal retention time is too large to compute: check the depth, the porosity "
            "and the area."},
        Refusal {"barely any conductivity", [](auto &in) { in.hydraulics->conductivity = 1e-320; },
            "The narrowest width that carries the flow is too large to compute"},
        Refusal {"conductivity beyond numbers",
            [](auto &in) {
                in.hydraulics->conductivity = 1e300;
                in.width = 1e10;
            },
            "The largest flow the width carries is too large to compute"},
        Refusal {"width beyond numbers",
            [](auto &in) {
                in.width = 1e300;
                in.length = 1e300;
            },
            "The bed's area is too large to compute: check the width and the length."},
        Refusal {"width and length below numbers",
            [](auto &in) {
                in.width = 1e-200;
                in.length = 1e-200;
            },
            "The bed's area is too small to compute: check the width and the length."},
        Refusal {"width and length at the edge of numbers",
            [](auto &in) {
                in.width = 1e-150;
                in.length = 1e-150;
            },
            nullptr},
        Refusal {"a width too narrow for a length", [](auto &in) { in.width = 1e-320; },
            "The length that gives the governing area is too large to compute: check the width."},
        Refusal {"a very shallow bed", [](auto &in) { in.depth = 1e-300; }, nullptr}),
    [](const testing::TestParamInfo<Refusal> &info) {
        std::string name;
        for (const char *c = info.param.what; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST(WetlandSizing, RefusedTargetNamesBothValues)
{
    AssistantInputs in = ValidInputs();
    in.sizing.pollutants[0].target = 250;
    try {
        RunDesignAssistant(in);
        FAIL();
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(), "BOD5 target (250 mg/L) must lie below the inflow (200 mg/L).");
    }
    in = ValidInputs();
    in.sizing.flow = -3;
    try {
        RunDesignAssistant(in);
        FAIL();
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(), "Design flow Q must be a number greater than 0; it is -3.");
    }
    TargetSizing sizing = SizeForTargets(ValidInputs().sizing);
    EXPECT_THROW(OutflowsAt(sizing, 20, 0), Error);
}

TEST(WetlandSizing, TheAssistantShapesTheBedWithTheLongTermMinimumWidth)
{
    const AssistantResult r = RunDesignAssistant(ValidInputs());
    ASSERT_TRUE(r.darcy);
    EXPECT_NEAR(r.darcy->minWidthClean, 3.333, 0.0005);
    EXPECT_NEAR(r.darcy->minWidthLongTerm, 33.333, 0.0005);
    // Width 33.4 m (33.33 rounded up); length 281.9 / 33.4 = 8.44, rounded up to 8.5 m.
    EXPECT_EQ(r.widthSource, WidthSource::LongTermMinimum);
    EXPECT_DOUBLE_EQ(*r.width, 33.4);
    EXPECT_DOUBLE_EQ(*r.length, 8.5);
    EXPECT_FALSE(r.lengthGiven);
    EXPECT_DOUBLE_EQ(*r.area, 283.9);
    EXPECT_NEAR(*r.darcy->maxFlowClean, 200.4, 1e-9);
    EXPECT_NEAR(*r.darcy->maxFlowLongTerm, 20.04, 1e-9);
    EXPECT_NEAR(*r.sizing.pollutants[0].outflow, 29.75, 0.005);
    EXPECT_NEAR(*r.retentionTime, 3.4068, 1e-9);
    EXPECT_NEAR(*r.bod5Loading, 14.09, 0.005);
}

TEST(WetlandSizing, TheDesignScreenWidthWinsWhenItIsWider)
{
    AssistantInputs in = ValidInputs();
    in.designScreenWidth = 40;
    AssistantResult r = RunDesignAssistant(in);
    EXPECT_EQ(r.widthSource, WidthSource::DesignScreen);
    EXPECT_DOUBLE_EQ(*r.width, 40);
    EXPECT_DOUBLE_EQ(*r.length, 7.1); // 281.9 / 40 = 7.05
    EXPECT_NEAR(*r.darcy->maxFlowLongTerm, 24, 1e-9);

    in.designScreenWidth = 20; // narrower than the long-term minimum: the minimum wins
    r = RunDesignAssistant(in);
    EXPECT_EQ(r.widthSource, WidthSource::LongTermMinimum);
    EXPECT_DOUBLE_EQ(*r.width, 33.4);

    in.hydraulics.reset(); // no hydraulic check: the Design screen's width as it is
    r = RunDesignAssistant(in);
    EXPECT_FALSE(r.darcy);
    EXPECT_EQ(r.widthSource, WidthSource::DesignScreen);
    EXPECT_DOUBLE_EQ(*r.width, 20);
    EXPECT_DOUBLE_EQ(*r.length, 14.1); // 281.9 / 20 = 14.095

    in.designScreenWidth.reset(); // no width at all: the governing area without a shape
    r = RunDesignAssistant(in);
    EXPECT_FALSE(r.width);
    EXPECT_FALSE(r.length);
    EXPECT_NEAR(*r.area, 281.9065, 0.0001);
    EXPECT_NEAR(*r.sizing.pollutants[0].outflow, 30, 1e-9);
}

TEST(WetlandSizing, AGivenShapeIsEvaluatedAsItIs)
{
    AssistantInputs in = ValidInputs();
    in.width = 20;
    in.length = 25;
    const AssistantResult r = RunDesignAssistant(in);
    EXPECT_EQ(r.widthSource, WidthSource::Given);
    EXPECT_TRUE(r.lengthGiven);
    EXPECT_DOUBLE_EQ(*r.area, 500);
    EXPECT_NEAR(*r.sizing.pollutants[0].outflow, 15.66, 0.005);
    EXPECT_DOUBLE_EQ(*r.retentionTime, 6);
    EXPECT_DOUBLE_EQ(*r.bod5Loading, 8);
    // 20 m is below the long-term minimum of 33.3 m: it carries 12 m3/d once clogged.
    EXPECT_NEAR(*r.darcy->maxFlowLongTerm, 12, 1e-9);
    EXPECT_NEAR(*r.darcy->maxFlowClean, 120, 1e-9);

    // Without BOD5 there is no BOD5 loading; without targets a given shape still has outflows.
    in.sizing.pollutants[0] = {Pollutant::TotalP, 5, 0.01, {12, 1.0, 0.02, 3}};
    const AssistantResult tp = RunDesignAssistant(in);
    EXPECT_FALSE(tp.bod5Loading);
    EXPECT_FALSE(tp.sizing.governing);
    EXPECT_TRUE(tp.sizing.pollutants[0].outflow);
}

TEST(WetlandSizing, NothingToSizeForLeavesNoArea)
{
    AssistantInputs in = ValidInputs();
    in.sizing.pollutants = {ExampleBod5(5)}; // below C*
    const AssistantResult r = RunDesignAssistant(in);
    EXPECT_TRUE(r.width);
    EXPECT_FALSE(r.length);
    EXPECT_FALSE(r.area);
    EXPECT_FALSE(r.retentionTime);
    EXPECT_FALSE(r.bod5Loading);
    EXPECT_FALSE(r.sizing.pollutants[0].outflow);
}

// The forcing days behind the defaults.
void SetAll(DayList &days, DayField field, double value)
{
    for (DayNode &node : days.active())
        node.day.set(field, value);
}

TEST(WetlandSizing, ForcingSummaryTakesTheMeansOfTheEnteredDays)
{
    DayList days(61);
    EXPECT_FALSE(SummarizeForcing(days).meanFlow);
    EXPECT_FALSE(SummarizeForcing(days).coldestMonthTemperature);
    EXPECT_FALSE(SummarizeForcing(days).porosity);

    days.node(1).day.set(DayField::waterFlow, 10);
    days.node(2).day.set(DayField::waterFlow, 30);
    days.node(1).day.set(DayField::bod5In, 150);
    days.node(1).day.set(DayField::orgNitrogenIn, 10);
    days.node(3).day.set(DayField::orgNitrogenIn, 20);
    days.node(1).day.set(DayField::ammoniumIn, 25);
    days.node(1).day.set(DayField::totalPIn, 6);
    days.node(1).day.set(DayField::porosity, 0.35);
    days.last().day.set(DayField::nitrateIn, 99); // the spare node counts for nothing
    ForcingSummary s = SummarizeForcing(days);
    EXPECT_DOUBLE_EQ(*s.meanFlow, 20);
    EXPECT_DOUBLE_EQ(*s.porosity, 0.35);
    EXPECT_DOUBLE_EQ(*s.meanInflow[0], 150);
    EXPECT_DOUBLE_EQ(*s.meanInflow[1], 15);
    EXPECT_DOUBLE_EQ(*s.meanInflow[2], 25);
    EXPECT_FALSE(s.meanInflow[3]);
    EXPECT_FALSE(s.meanInflow[4]); // TN needs nitrate too
    EXPECT_DOUBLE_EQ(*s.meanInflow[5], 6);

    days.node(5).day.set(DayField::nitrateIn, 0); // 0 is a value entered
    s = SummarizeForcing(days);
    EXPECT_DOUBLE_EQ(*s.meanInflow[3], 0);
    EXPECT_DOUBLE_EQ(*s.meanInflow[4], 40);
}

TEST(WetlandSizing, TheColdestThirtyDays)
{
    DayList days(61);
    SetAll(days, DayField::temperature, 10);
    for (int d = 31; d <= 40; ++d)
        days.node(d).day.set(DayField::temperature, 2);
    // Any 30 days that hold days 31 to 40: (10 x 2 + 20 x 10) / 30.
    EXPECT_NEAR(*SummarizeForcing(days).coldestMonthTemperature, 220.0 / 30, 1e-12);

    for (int d = 1; d <= 10; ++d)
        days.node(d).day.set(DayField::temperature, 1);
    // Days 1 to 30: (10 x 1 + 20 x 10) / 30 = 7; days 31 to 60: 7.33.
    EXPECT_NEAR(*SummarizeForcing(days).coldestMonthTemperature, 7, 1e-12);

    // Fewer than 30 days: the mean of them all; days left empty do not count.
    DayList shortList(11);
    SetAll(shortList, DayField::temperature, 12);
    shortList.node(1).day.set(DayField::temperature, 2);
    shortList.node(2).day.set(DayField::temperature, kEmptyValue);
    EXPECT_NEAR(*SummarizeForcing(shortList).coldestMonthTemperature, (2 + 8 * 12) / 9.0, 1e-12);

    // A window without any entered day is skipped, not taken as 0 deg C.
    DayList sparse(61);
    sparse.node(60).day.set(DayField::temperature, 14);
    sparse.node(1).day.set(DayField::temperature, 16);
    EXPECT_DOUBLE_EQ(*SummarizeForcing(sparse).coldestMonthTemperature, 14);
}

} // namespace
