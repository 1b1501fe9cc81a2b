#pragma once

// The shape of a bed the design assistant proposes: its length to width, what would let a
// narrower bed carry the flow, and how the Design screen's fields give that bed.
//
// Units as in wetland_sizing.h: flow in m3/d, lengths in m, K in m/d, slope S in m/m.

#include "model/design.h"
#include "model/wetland_sizing.h"

#include <string>
#include <string_view>

namespace carexa {

/// Length-to-width ratios (along the flow to across it) outside this range draw a warning.
inline constexpr double kMinLengthToWidth = 0.25;
inline constexpr double kMaxLengthToWidth = 4;

/// Where the range of length-to-width ratios comes from, for a tooltip.
std::string_view LengthToWidthSource();

enum class ShapeWarning {
    None, ///< within kMinLengthToWidth .. kMaxLengthToWidth (both ends included)
    ShortAndWide, ///< below kMinLengthToWidth
    LongAndNarrow, ///< above kMaxLengthToWidth
};

/// The warning for a bed `length` along the flow and `width` across it (both > 0).
ShapeWarning CheckLengthToWidth(double length, double width);

/// What would let a narrower bed carry the flow once the gravel has clogged: the bed of the
/// same area at the smallest length to width that draws no warning (kMinLengthToWidth), and for
/// it the clean conductivity, the slope and the depth that would each, with the other two as
/// they are, make the long-term Darcy minimum width no wider than that bed.
struct NarrowerBed
{
    double width = 0; ///< m: sqrt(area / kMinLengthToWidth)
    double length = 0; ///< m: area / width
    double conductivity = 0; ///< clean K, m/d
    double slope = 0; ///< m/m
    double depth = 0; ///< m
};

/// For a bed of `area` (> 0) carrying `flow` through gravel of `hydraulics` at `depth`.
NarrowerBed NarrowerBedFor(
    double flow, double area, const HydraulicInputs &hydraulics, double depth);

/// The Design screen's Width (WI) and Length (LE) fields for a bed.
struct DesignScreenFields
{
    double width = 0; ///< WI
    double length = 0; ///< LE
};

/// How to fill WI and LE so that the Design screen's own calculation (CalculateDesign of `type`
/// with the other inputs of `screen`) gives a flow length FL of `flowLength` and paths whose
/// widths add up to `across` (NP x FW): the fields as they are, or swapped, since the
/// calculation turns a bed round when its width reaches the flow width's limit (3 flow widths
/// for a constructed wetland, one for a natural one). Throws Error saying why when neither way
/// gives that bed (the message ends "Nothing was written.").
DesignScreenFields PlaceOnDesignScreen(
    double across, double flowLength, const DesignInputs &screen, WetlandType type);

} // namespace carexa
