#include "model/bed_shape.h"
#include "model/error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

using namespace carexa;

namespace {

// The Design screen of the new user: 22.9 m3/d, 0.6 m deep, AP 1 (HF 17), PF 1, and for a
// natural wetland 100 m/d gravel on 1 cm/m.
DesignInputs Screen()
{
    DesignInputs in;
    in.depth = 0.6;
    in.precipitationFactor = 1;
    in.slope = 1;
    in.particularMatter = 1;
    in.conductivity = 100;
    in.flow = 22.9;
    return in;
}

// What the Design screen's own calculation makes of the fields: FL and the paths side by side.
struct Laid
{
    double flowLength;
    double across;
};

Laid Calculate(const DesignScreenFields &fields, WetlandType type, DesignInputs in = Screen())
{
    in.width = fields.width;
    in.length = fields.length;
    BoxValues design;
    CalculateDesign(in, type, design);
    return {design.get(BoxField::FL), design.get(BoxField::NP) * design.get(BoxField::FW)};
}

struct Bed
{
    const char *name;
    WetlandType type;
    double across;
    double flowLength;
    bool swapped; ///< whether WI takes the flow length
};

void PrintTo(const Bed &bed, std::ostream *os)
{
    *os << bed.name;
}

class BedOnTheDesignScreen : public testing::TestWithParam<Bed>
{ };

// Constructed: FW = 22.9 / (17 x 0.6) = 2.245 m, so 3 FW = 6.735 m. Natural: FW = 22.9 / (100 x
// 1 x 0.6) = 0.3817 m.
TEST_P(BedOnTheDesignScreen, TheCalculationGivesTheAssistantsBed)
{
    const Bed &bed = GetParam();
    const DesignScreenFields fields
        = PlaceOnDesignScreen(bed.across, bed.flowLength, Screen(), bed.type);
    EXPECT_EQ(fields.width, bed.swapped ? bed.flowLength : bed.across);
    EXPECT_EQ(fields.length, bed.swapped ? bed.across : bed.flowLength);
    const Laid laid = Calculate(fields, bed.type);
    EXPECT_EQ(laid.flowLength, bed.flowLength);
    EXPECT_NEAR(laid.across, bed.across, 1e-9 * bed.across);
}

INSTANTIATE_TEST_SUITE_P(Design, BedOnTheDesignScreen,
    testing::Values(
        // 381.7 m across the flow and 9.5 m along it: the calculation turns a bed that wide round,
        // so WI takes the 9.5 m and LE the 381.7 m, in 170 paths of 2.245 m.
        Bed {"WideConstructed", WetlandType::Constructed, 381.7, 9.5, true},
        // Below 3 FW across: the fields as they are, one path or two.
        Bed {"NarrowConstructed", WetlandType::Constructed, 4, 30, false},
        Bed {"TwoPathsConstructed", WetlandType::Constructed, 6, 30, false},
        Bed {"JustBelowThreeFlowWidths", WetlandType::Constructed, 6.7, 6.8, false},
        // Natural: wider than FW keeps the fields; narrower takes them swapped.
        Bed {"WideNatural", WetlandType::Natural, 381.7, 9.5, false},
        Bed {"NarrowNatural", WetlandType::Natural, 0.3, 0.2, true}),
    [](const testing::TestParamInfo<Bed> &info) { return std::string(info.param.name); });

TEST(BedOnTheDesignScreen, ABedNeitherWayRoundGivesIsRefusedWithTheReason)
{
    // 20 m across (at least 3 FW) but only 5 m along the flow (below 3 FW): either way round
    // the calculation runs the flow along the 20 m.
    try {
        PlaceOnDesignScreen(20, 5, Screen(), WetlandType::Constructed);
        FAIL() << "not refused";
    } catch (const Error &e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("a bed 20 m across and 5 m along the flow as a constructed wetland"),
            std::string::npos)
            << text;
        EXPECT_NE(text.find("FW is 2.2451 m"), std::string::npos) << text;
        EXPECT_NE(text.find("3 FW (6.7353 m)"), std::string::npos) << text;
        EXPECT_TRUE(text.ends_with("Nothing was written.")) << text;
    }

    // Natural with FW = 0.3817 m: 0.3 m across is narrower, and 0.5 m along is wider, than FW.
    EXPECT_THROW(PlaceOnDesignScreen(0.3, 0.5, Screen(), WetlandType::Natural), Error);

    // Exactly 2 FW across, where the path rules decide nothing, and too short to turn round.
    DesignInputs tie = Screen();
    tie.flow = 2 * 17 * 0.6; // FW = 2 m
    EXPECT_THROW(PlaceOnDesignScreen(4, 5, tie, WetlandType::Constructed), Error);
    EXPECT_NO_THROW(PlaceOnDesignScreen(3.9, 5, tie, WetlandType::Constructed));

    // A screen whose other inputs give no design (AP 3.125: HF 0) says so.
    DesignInputs broken = Screen();
    broken.particularMatter = 3.125;
    try {
        PlaceOnDesignScreen(4, 30, broken, WetlandType::Constructed);
        FAIL() << "not refused";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("cannot calculate"), std::string::npos) << e.what();
    }
}

TEST(BedShape, TheLengthToWidthWarningOnBothSidesOfItsRange)
{
    EXPECT_EQ(CheckLengthToWidth(9.5, 381.7), ShapeWarning::ShortAndWide); // 0.025
    EXPECT_EQ(CheckLengthToWidth(2.4, 10), ShapeWarning::ShortAndWide);
    EXPECT_EQ(CheckLengthToWidth(2.5, 10), ShapeWarning::None);
    EXPECT_EQ(CheckLengthToWidth(10, 10), ShapeWarning::None);
    EXPECT_EQ(CheckLengthToWidth(40, 10), ShapeWarning::None);
    EXPECT_EQ(CheckLengthToWidth(40.1, 10), ShapeWarning::LongAndNarrow);
    EXPECT_FALSE(LengthToWidthSource().empty());
}

TEST(BedShape, WhatLetsANarrowerBedCarryTheFlow)
{
    // 900 m2 at length to width 0.25: 60 m wide and 15 m long. 22.9 m3/d with 10 % of K left,
    // through 60 m x 0.6 m on 0.01: K = 22.9 / (0.1 x 60 x 0.6 x 0.01) = 636.1 m/d; with K 100:
    // S = 22.9 / (0.1 x 100 x 60 x 0.6) = 0.0636; D = 22.9 / (0.1 x 100 x 60 x 0.01) = 3.817 m.
    const NarrowerBed bed = NarrowerBedFor(22.9, 900, {100, 0.01, 0.1}, 0.6);
    EXPECT_DOUBLE_EQ(bed.width, 60);
    EXPECT_DOUBLE_EQ(bed.length, 15);
    EXPECT_NEAR(bed.conductivity, 636.111, 1e-3);
    EXPECT_NEAR(bed.slope, 0.0636111, 1e-7);
    EXPECT_NEAR(bed.depth, 3.81667, 1e-5);
    // Each carries the flow in the narrower bed with long-term K.
    EXPECT_NEAR(DarcyMaximumFlow(bed.conductivity * 0.1, bed.width, 0.6, 0.01), 22.9, 1e-9);
    EXPECT_NEAR(DarcyMaximumFlow(10, bed.width, 0.6, bed.slope), 22.9, 1e-9);
    EXPECT_NEAR(DarcyMaximumFlow(10, bed.width, bed.depth, 0.01), 22.9, 1e-9);
}

TEST(Design, TheWetlandTypeOfStoredResults)
{
    BoxValues design;
    design.set(BoxField::HF, 17); // 25 - 8 x 1
    EXPECT_EQ(WetlandTypeOfDesign(design, 1, 100), WetlandType::Constructed);
    EXPECT_EQ(WetlandTypeOfDesign(design, 1, std::nullopt), WetlandType::Constructed);
    EXPECT_EQ(WetlandTypeOfDesign(design, 1, 17), std::nullopt); // both fit
    EXPECT_EQ(WetlandTypeOfDesign(design, 2, 17), WetlandType::Natural);
    EXPECT_EQ(WetlandTypeOfDesign(design, 2, 16.9), std::nullopt); // neither
    EXPECT_EQ(WetlandTypeOfDesign(design, std::nullopt, std::nullopt), std::nullopt);
    // As the file gives it back: 15 significant digits.
    design.set(BoxField::HF, 25 - 8 * 1.2345678901234567);
    EXPECT_EQ(WetlandTypeOfDesign(design, 1.23456789012346, 1), WetlandType::Constructed);
    EXPECT_EQ(WetlandTypeOfDesign(design, 1.2345679, 1), std::nullopt);
    BoxValues fresh; // no calculation: HF is the empty value
    EXPECT_EQ(WetlandTypeOfDesign(fresh, 1, 100), std::nullopt);
}

} // namespace
