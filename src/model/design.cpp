#include "model/design.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/rounding.h"

#include <algorithm>
#include <cmath>

namespace carexa {

namespace {

struct ResultHint
{
    BoxField field;
    std::string_view caption;
    std::string_view inputs;
};

constexpr std::array<ResultHint, 9> kHints {{
    {BoxField::PF, "Precipitation factor (PF):", "Precipitation factor (PF)"},
    {BoxField::AA, "Area (AA):", "Width (WI) and Length (LE)"},
    {BoxField::VO, "Volume (VO):", "Width (WI), Length (LE) and Depth (DE)"},
    {BoxField::HL, "Hydraulic loading (HL):",
        "Precipitation factor (PF), Selected flow, Width (WI) and Length (LE)"},
    {BoxField::HF, "Recommended horizontal flow (HF):",
        "Avrg, % particular matter (AP) (constructed: below 3.125) or Hydraulic conductivity "
        "(HC) (natural)"},
    {BoxField::RF, "Recommended flow (RF):", "Precipitation factor (PF) and Selected flow"},
    {BoxField::FW, "Flow width (FW):",
        "Selected flow, Precipitation factor (PF), Depth (DE), Avrg, % particular matter (AP), "
        "Slope (S) and Hydraulic conductivity (HC)"},
    {BoxField::FL, "Flow length (FL):", "Width (WI) and Length (LE)"},
    {BoxField::NP, "Number of paths (NP):",
        "Length (LE) against the flow width (a bed shorter than half the flow width gets no "
        "path)"},
}};

const ResultHint &HintOf(BoxField field)
{
    for (const ResultHint &hint : kHints) {
        if (hint.field == field)
            return hint;
    }
    return kHints[0];
}

void Constructed(const DesignInputs &in, BoxValues &d)
{
    d.set(BoxField::PF, in.precipitationFactor);
    d.set(BoxField::RF, d.get(BoxField::PF) * in.flow);
    d.set(BoxField::AA, in.width * in.length);
    d.set(BoxField::VO, in.width * in.length * in.depth);
    d.set(BoxField::HL, d.get(BoxField::RF) / d.get(BoxField::AA));
    d.set(BoxField::HF, 25 - 8 * in.particularMatter);
    d.set(BoxField::FW, d.get(BoxField::RF) / (d.get(BoxField::HF) * in.depth));
    const double fw = d.get(BoxField::FW);
    if (in.width >= 3 * fw) {
        // The paths run along the width and lie side by side along the length.
        d.set(BoxField::FL, in.width);
        d.set(BoxField::NP, SimpleRoundTo(in.length / fw, 0));
        d.set(BoxField::FW, in.length / d.get(BoxField::NP));
    } else if (in.width > 2 * fw && in.width < 3 * fw) {
        d.set(BoxField::FL, in.length);
        d.set(BoxField::NP, 2);
        d.set(BoxField::FW, in.width * 0.5);
    } else if (in.width < 2 * fw) {
        d.set(BoxField::FL, in.length);
        d.set(BoxField::NP, 1);
        d.set(BoxField::FW, in.width);
    }
}

void Natural(const DesignInputs &in, BoxValues &d)
{
    d.set(BoxField::PF, in.precipitationFactor);
    d.set(BoxField::AA, in.width * in.length);
    d.set(BoxField::VO, in.width * in.length * in.depth);
    d.set(BoxField::RF, d.get(BoxField::PF) * in.flow);
    d.set(BoxField::HL, d.get(BoxField::RF) / d.get(BoxField::AA));
    d.set(BoxField::HF, in.conductivity);
    d.set(BoxField::FW, d.get(BoxField::RF) / (in.conductivity * in.slope * in.depth));
    d.set(BoxField::NP, 1);
    const double fw = d.get(BoxField::FW);
    if (in.width > fw) {
        d.set(BoxField::FW, in.width);
        d.set(BoxField::FL, in.length);
    } else if (in.width < fw) {
        d.set(BoxField::FW, in.length);
        d.set(BoxField::FL, in.width);
    }
}

} // namespace

std::string_view DesignResultCaption(BoxField field)
{
    return HintOf(field).caption;
}

void CalculateDesign(const DesignInputs &inputs, WetlandType type, BoxValues &design)
{
    BoxValues result = design;
    if (type == WetlandType::Constructed)
        Constructed(inputs, result);
    else
        Natural(inputs, result);

    // Causes before consequences: the flow width follows from the number of paths.
    constexpr std::array<BoxField, 9> checked {BoxField::PF, BoxField::AA, BoxField::VO,
        BoxField::HL, BoxField::HF, BoxField::RF, BoxField::NP, BoxField::FL, BoxField::FW};
    for (BoxField field : checked) {
        const double value = result.get(field);
        if (!std::isfinite(value) || !(value > 0)) {
            const ResultHint &hint = HintOf(field);
            std::string caption(hint.caption);
            if (!caption.empty() && caption.back() == ':')
                caption.pop_back();
            throw Error("The design was not stored: " + caption + " comes out as "
                + FormatGeneral(value) + ", not a number greater than 0. Check "
                + std::string(hint.inputs) + ".");
        }
    }
    design = result;
}

std::optional<WetlandType> WetlandTypeOfDesign(const BoxValues &design,
    std::optional<double> particularMatter, std::optional<double> conductivity)
{
    const double hf = design.get(BoxField::HF);
    // The file keeps the results to the last digit it writes, not always to the last bit.
    const auto same = [hf](double value) {
        return std::isfinite(value) && std::abs(hf - value) <= 1e-9 * std::max(1.0, std::abs(hf));
    };
    const bool constructed = particularMatter && same(25 - 8 * *particularMatter);
    const bool natural = conductivity && same(*conductivity);
    if (constructed == natural)
        return std::nullopt;
    return constructed ? WetlandType::Constructed : WetlandType::Natural;
}

double RoundDesignResult(double value)
{
    return SimpleRoundTo(value, -4);
}

void ApplyPrecipitationFactor(double pf, TextGrid &influenceGrid, DayNode &firstDay)
{
    constexpr std::array<DayField, 8> fields {DayField::bod5In, DayField::nitrateIn,
        DayField::ammoniumIn, DayField::totalPIn, DayField::orgNitrogenIn, DayField::pomPercent,
        DayField::ponPercent, DayField::popPercent};
    constexpr int firstColumn = 3;

    std::array<double, fields.size()> quotients {};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string &text = influenceGrid.cell(firstColumn + static_cast<int>(i), 1);
        const double value = text.empty() ? kEmptyValue : ParseDouble(text);
        quotients[i] = value / pf;
        if (!std::isfinite(quotients[i]))
            throw Error("The precipitation factor (PF) is " + FormatGeneral(pf)
                + ": day 1 cannot be divided by it. Calculate a design with a precipitation "
                  "factor greater than 0 first.");
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        firstDay.day.set(fields[i], quotients[i]);
        influenceGrid.setNumber(firstColumn + static_cast<int>(i), 1, quotients[i]);
    }
}

} // namespace carexa
