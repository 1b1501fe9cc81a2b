#include "model/design.h"
#include "model/error.h"
#include "model/number_text.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

DesignInputs Example()
{
    DesignInputs in;
    in.width = 10;
    in.length = 30;
    in.depth = 0.6;
    in.precipitationFactor = 1;
    in.slope = 1;
    in.particularMatter = 1;
    in.conductivity = 1;
    in.flow = 6;
    return in;
}

TEST(Design, ConstructedExampleSplitsTheBedIntoFiftyOnePaths)
{
    BoxValues design;
    CalculateDesign(Example(), WetlandType::Constructed, design);
    EXPECT_DOUBLE_EQ(design.get(BoxField::PF), 1);
    EXPECT_DOUBLE_EQ(design.get(BoxField::RF), 6);
    EXPECT_DOUBLE_EQ(design.get(BoxField::AA), 300);
    EXPECT_DOUBLE_EQ(design.get(BoxField::VO), 180);
    EXPECT_DOUBLE_EQ(design.get(BoxField::HL), 0.02);
    EXPECT_DOUBLE_EQ(design.get(BoxField::HF), 17);
    EXPECT_DOUBLE_EQ(design.get(BoxField::FL), 10);
    EXPECT_DOUBLE_EQ(design.get(BoxField::NP), 51);
    EXPECT_DOUBLE_EQ(design.get(BoxField::FW), 30.0 / 51);

    std::vector<std::string> labels;
    for (BoxField f : kDesignResultFields)
        labels.push_back(FormatGeneral(RoundDesignResult(design.get(f))));
    EXPECT_EQ(
        labels, (std::vector<std::string> {"300", "180", "0.02", "17", "6", "0.5882", "10", "51"}));
}

TEST(Design, ConstructedPathCases)
{
    // FW = 6 / (17 x 0.6) = 0.588...: a width of 1.5 lies between 2 and 3 times FW.
    DesignInputs in = Example();
    in.width = 1.5;
    BoxValues design;
    CalculateDesign(in, WetlandType::Constructed, design);
    EXPECT_EQ(design.get(BoxField::NP), 2);
    EXPECT_EQ(design.get(BoxField::FW), 0.75);
    EXPECT_EQ(design.get(BoxField::FL), 30);

    in.width = 1;
    CalculateDesign(in, WetlandType::Constructed, design);
    EXPECT_EQ(design.get(BoxField::NP), 1);
    EXPECT_EQ(design.get(BoxField::FW), 1);
    EXPECT_EQ(design.get(BoxField::FL), 30);
}

TEST(Design, AWidthOfExactlyTwiceTheFlowWidthKeepsThePreviousPaths)
{
    DesignInputs in = Example();
    in.flow = 10.2; // FW = 10.2 / (17 x 0.6) = 1, so a width of 2 is exactly twice FW
    in.width = 2;
    BoxValues design;
    design.set(BoxField::NP, 7);
    design.set(BoxField::FL, 12);
    CalculateDesign(in, WetlandType::Constructed, design);
    EXPECT_EQ(design.get(BoxField::NP), 7);
    EXPECT_EQ(design.get(BoxField::FL), 12);
    EXPECT_DOUBLE_EQ(design.get(BoxField::FW), 1);
}

TEST(Design, NaturalHasOnePathAlongTheLongerSide)
{
    DesignInputs in = Example();
    in.conductivity = 10;
    in.slope = 2; // FW = 6 / (10 x 2 x 0.6) = 0.5, narrower than the bed
    BoxValues design;
    CalculateDesign(in, WetlandType::Natural, design);
    EXPECT_EQ(design.get(BoxField::NP), 1);
    EXPECT_EQ(design.get(BoxField::HF), 10);
    EXPECT_EQ(design.get(BoxField::FW), 10);
    EXPECT_EQ(design.get(BoxField::FL), 30);

    in.conductivity = 0.01; // FW = 500, wider than the bed
    CalculateDesign(in, WetlandType::Natural, design);
    EXPECT_EQ(design.get(BoxField::FW), 30);
    EXPECT_EQ(design.get(BoxField::FL), 10);
}

TEST(Design, AResultThatIsNotAPositiveFiniteNumberIsNeverStored)
{
    struct Case
    {
        DesignInputs inputs;
        WetlandType type;
        const char *named;
    };
    DesignInputs highAp = Example();
    highAp.particularMatter = 3.2;
    DesignInputs apAtLimit = Example();
    apAtLimit.particularMatter = 3.125;
    DesignInputs noWidth = Example();
    noWidth.width = 0;
    DesignInputs noConductivity = Example();
    noConductivity.conductivity = 0;
    DesignInputs shortBed = Example();
    shortBed.length = 0.2; // shorter than half the flow width: no path at all
    DesignInputs noFactor = Example();
    noFactor.precipitationFactor = 0;

    for (const Case &c : {Case {highAp, WetlandType::Constructed, "Recommended horizontal flow"},
             Case {apAtLimit, WetlandType::Constructed, "Recommended horizontal flow"},
             Case {noWidth, WetlandType::Constructed, "Area"},
             Case {noConductivity, WetlandType::Natural, "Recommended horizontal flow"},
             Case {shortBed, WetlandType::Constructed, "Number of paths"},
             Case {noFactor, WetlandType::Natural, "Precipitation factor"}}) {
        BoxValues design;
        design.set(BoxField::VO, 42);
        const BoxValues before = design;
        try {
            CalculateDesign(c.inputs, c.type, design);
            ADD_FAILURE() << "stored a design for " << c.named;
        } catch (const Error &e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
        EXPECT_EQ(design, before);
    }
}

class ApplyPf : public testing::Test
{
protected:
    TextGrid grid {12, 61};
    DayList days {61};
};

TEST_F(ApplyPf, DividesDayOneOnly)
{
    grid.setCell(3, 1, "100");
    grid.setCell(3, 2, "100");
    grid.setCell(1, 1, "12");
    ApplyPrecipitationFactor(2, grid, days.first());
    EXPECT_EQ(grid.cell(3, 1), "50");
    EXPECT_EQ(days.first().day.get(DayField::bod5In), 50);
    EXPECT_EQ(grid.cell(8, 1), "0.00005"); // an empty POM % cell counts as 0.0001
    EXPECT_EQ(days.first().day.get(DayField::pomPercent), 0.00005);
    EXPECT_EQ(grid.cell(3, 2), "100");
    EXPECT_EQ(grid.cell(1, 1), "12");
    EXPECT_EQ(grid.cell(11, 1), "");

    ApplyPrecipitationFactor(2, grid, days.first()); // pressing again divides once more
    EXPECT_EQ(grid.cell(3, 1), "25");
}

TEST_F(ApplyPf, BadInputChangesNothing)
{
    grid.setCell(3, 1, "100");
    grid.setCell(6, 1, "n/a");
    EXPECT_THROW(ApplyPrecipitationFactor(2, grid, days.first()), ConversionError);
    EXPECT_EQ(grid.cell(3, 1), "100");
    EXPECT_EQ(days.first().day.get(DayField::bod5In), kEmptyValue);

    grid.setCell(6, 1, "4");
    EXPECT_THROW(ApplyPrecipitationFactor(0, grid, days.first()), Error);
    EXPECT_EQ(grid.cell(3, 1), "100");
    EXPECT_EQ(grid.cell(8, 1), "");
}

} // namespace
