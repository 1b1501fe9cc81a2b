#pragma once

#include "model/box_values.h"
#include "model/day_list.h"
#include "model/text_grid.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace carexa {

/// The eight inputs of the design calculator.
struct DesignInputs
{
    double width = 0; ///< WI, m
    double length = 0; ///< LE, m
    double depth = 0; ///< DE, m
    double precipitationFactor = 0; ///< PF
    double slope = 0; ///< S, cm / m
    double particularMatter = 0; ///< AP, %
    double conductivity = 0; ///< HC, m / 24h
    double flow = 0; ///< Q, m3 / 24h
};

enum class WetlandType { Constructed, Natural };

/// The design results in the order of their labels: AA, VO, HL, HF, RF, FW, FL, NP.
inline constexpr std::array<BoxField, 8> kDesignResultFields {BoxField::AA, BoxField::VO,
    BoxField::HL, BoxField::HF, BoxField::RF, BoxField::FW, BoxField::FL, BoxField::NP};

/// Caption of a design result on the Design screen ("Area (AA):" ...), for messages.
std::string_view DesignResultCaption(BoxField field);

/// Sizes the bed and stores PF and the eight results into `design` (the program-wide
/// BoxValues). Where the path rules leave a value alone (a bed exactly two or three times the
/// flow width wide, or exactly the flow width in a natural wetland), the previous value stays.
/// Throws Error naming the first result that is not a finite number greater than 0; then
/// nothing is stored.
void CalculateDesign(const DesignInputs &inputs, WetlandType type, BoxValues &design);

/// The wetland type whose calculation gave the stored design results, as far as they tell: a
/// constructed bed stores HF = 25 - 8 AP, a natural one HF = HC (`particularMatter` and
/// `conductivity` are the Design screen's AP and HC, missing when their fields hold no number).
/// Nothing when neither fits or both do.
std::optional<WetlandType> WetlandTypeOfDesign(const BoxValues &design,
    std::optional<double> particularMatter, std::optional<double> conductivity);

/// Design results are shown rounded to four decimals.
double RoundDesignResult(double value);

/// Divides day 1's inflow values (grid columns 3 to 10: BOD5, Nitrate, Ammonium, total P.,
/// Org. Nit., POM %, PON %, POP %) by the precipitation factor, in the grid row 1 and in day 1's
/// forcing values. Empty cells count as 0.0001. Every cell is converted before anything changes:
/// a cell that is no number throws ConversionError, and a PF that makes a quotient not finite
/// (PF = 0) throws Error; in both cases nothing changes.
void ApplyPrecipitationFactor(double pf, TextGrid &influenceGrid, DayNode &firstDay);

} // namespace carexa
