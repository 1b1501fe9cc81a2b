#include "model/bed_shape.h"

#include "model/error.h"
#include "model/number_text.h"

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace carexa {

namespace {

// The Design screen's text of a length: four decimals at most, as its labels show.
std::string Metres(double value)
{
    return FormatGeneral(std::round(value * 1e4) / 1e4) + " m";
}

// The flow width FW the Design screen compares the bed's width with (its step 7).
double FirstFlowWidth(const DesignInputs &in, WetlandType type)
{
    const double flow = in.precipitationFactor * in.flow;
    if (type == WetlandType::Constructed)
        return flow / ((25 - 8 * in.particularMatter) * in.depth);
    return flow / (in.conductivity * in.slope * in.depth);
}

// Whether the Design screen's calculation of these fields gives the bed; a calculation that it
// refuses, or whose path rules leave the flow length or the paths alone (a tie), gives none.
bool Gives(double across, double flowLength, DesignInputs in, WetlandType type)
{
    BoxValues design;
    constexpr double unset = std::numeric_limits<double>::quiet_NaN();
    design.set(BoxField::FL, unset);
    design.set(BoxField::NP, unset);
    try {
        CalculateDesign(in, type, design);
    } catch (const Error &) {
        return false;
    }
    const double paths = design.get(BoxField::NP) * design.get(BoxField::FW);
    return design.get(BoxField::FL) == flowLength
        && std::abs(paths - across) <= 1e-9 * std::max(1.0, across);
}

} // namespace

std::string_view LengthToWidthSource()
{
    return "A rule of thumb of horizontal-flow bed design: a bed shorter than a quarter of its "
           "width needs an inlet that spreads the water evenly over a long distribution line, "
           "and the water short-circuits where it does not; a bed longer than four times its "
           "width leaves little cross-section, so the gravel carries less flow (Darcy's law) "
           "and the water surfaces once the bed clogs.";
}

ShapeWarning CheckLengthToWidth(double length, double width)
{
    const double ratio = length / width;
    if (ratio < kMinLengthToWidth)
        return ShapeWarning::ShortAndWide;
    if (ratio > kMaxLengthToWidth)
        return ShapeWarning::LongAndNarrow;
    return ShapeWarning::None;
}

NarrowerBed NarrowerBedFor(
    double flow, double area, const HydraulicInputs &hydraulics, double depth)
{
    NarrowerBed bed;
    bed.width = std::sqrt(area / kMinLengthToWidth);
    bed.length = area / bed.width;
    // Q = f K W D S, each solved for one of K, S and D.
    const double f = hydraulics.longTermFactor;
    bed.conductivity = flow / (f * bed.width * depth * hydraulics.slope);
    bed.slope = flow / (f * hydraulics.conductivity * bed.width * depth);
    bed.depth = flow / (f * hydraulics.conductivity * bed.width * hydraulics.slope);
    return bed;
}

DesignScreenFields PlaceOnDesignScreen(
    double across, double flowLength, const DesignInputs &screen, WetlandType type)
{
    for (const DesignScreenFields fields :
        {DesignScreenFields {across, flowLength}, DesignScreenFields {flowLength, across}}) {
        DesignInputs in = screen;
        in.width = fields.width;
        in.length = fields.length;
        if (Gives(across, flowLength, in, type))
            return fields;
    }

    const std::string bed = "a bed " + Metres(across) + " across and " + Metres(flowLength)
        + " along the flow";
    const std::string kind
        = type == WetlandType::Constructed ? "a constructed wetland" : "a natural wetland";
    // Neither way round calculates at all: the calculation's own reason.
    DesignInputs in = screen;
    in.width = across;
    in.length = flowLength;
    try {
        BoxValues design;
        try {
            CalculateDesign(in, type, design);
        } catch (const Error &) {
            DesignInputs swapped = in;
            std::swap(swapped.width, swapped.length);
            CalculateDesign(swapped, type, design);
        }
    } catch (const Error &e) {
        throw Error("The Design screen cannot calculate " + bed + " as " + kind + ": "
            + e.what() + " Nothing was written.");
    }
    const double fw = FirstFlowWidth(in, type);
    std::string why;
    if (type == WetlandType::Constructed) {
        why = "its flow width FW is " + Metres(fw) + "; it runs the flow along a bed's length "
            "only while the width stays below 3 FW (" + Metres(3 * fw)
            + ") and across it, along the width, from there on";
    } else {
        why = "its flow width FW is " + Metres(fw) + "; it runs the flow along a bed's length "
            "when the width is above FW and along the width when the width is below FW";
    }
    throw Error("The Design screen cannot lay out " + bed + " as " + kind + ": " + why
        + ", and neither way round gives this bed. Change the bed's width or length, or the "
          "Design screen's inputs. Nothing was written.");
}

} // namespace carexa
