#include "model/wetland_sizing.h"

#include "model/error.h"
#include "model/number_text.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace carexa {

namespace {

struct PollutantNames
{
    Pollutant pollutant;
    std::string_view name;
    std::string_view key;
};

constexpr std::array<PollutantNames, kPollutants.size()> kNames {{
    {Pollutant::BOD5, "BOD5", "BOD5"},
    {Pollutant::OrganicN, "Organic N", "ORGN"},
    {Pollutant::Ammonium, "NH4-N", "NH4"},
    {Pollutant::Nitrate, "NO3-N", "NO3"},
    {Pollutant::TotalN, "TN", "TN"},
    {Pollutant::TotalP, "TP", "TP"},
}};

const PollutantNames &NamesOf(Pollutant pollutant)
{
    return kNames[static_cast<std::size_t>(pollutant)];
}

constexpr std::string_view kWallace = "Kadlec & Wallace (2009), median for horizontal subsurface "
                                      "flow";
constexpr std::string_view kKnight = "Kadlec & Knight (1996)";

// Kadlec & Wallace's BOD5 constants by inflow band: C* (mg/L) and k20 (m/yr).
struct Bod5Band
{
    double cStar;
    double k20;
    std::string_view source;
};
constexpr std::array<Bod5Band, 4> kBod5Bands {{
    {1, 86,
        "Kadlec & Wallace (2009), median for horizontal subsurface flow, BOD5 inflow up to "
        "30 mg/L"},
    {5, 37,
        "Kadlec & Wallace (2009), median for horizontal subsurface flow, BOD5 inflow above 30 up "
        "to 100 mg/L"},
    {10, 25,
        "Kadlec & Wallace (2009), median for horizontal subsurface flow, BOD5 inflow above 100 "
        "up to 200 mg/L"},
    {15, 66,
        "Kadlec & Wallace (2009), median for horizontal subsurface flow, BOD5 inflow above "
        "200 mg/L"},
}};

[[noreturn]] void Refuse(std::string_view field, std::string_view rule, double value)
{
    throw Error(std::string(field) + " must be " + std::string(rule) + "; it is "
        + FormatGeneral(value) + ".");
}

void CheckAbove(std::string_view field, double value, double lowest, std::string_view rule)
{
    if (!std::isfinite(value) || !(value > lowest))
        Refuse(field, rule, value);
}

void CheckPositive(std::string_view field, double value)
{
    CheckAbove(field, value, 0, "a number greater than 0");
}

void CheckFraction(std::string_view field, double value)
{
    if (!std::isfinite(value) || !(value > 0) || value > 1)
        Refuse(field, "a fraction greater than 0 and at most 1", value);
}

std::string FieldOf(Pollutant pollutant, std::string_view what)
{
    return std::string(PollutantName(pollutant)) + " " + std::string(what);
}

void CheckPollutant(const PollutantInput &in)
{
    const Pollutant p = in.pollutant;
    CheckPositive(FieldOf(p, "inflow"), in.inflow);
    if (!std::isfinite(in.target) || in.target < 0)
        Refuse(FieldOf(p, "target"), "a number of at least 0", in.target);
    if (!(in.target < in.inflow))
        throw Error(FieldOf(p, "target") + " (" + FormatGeneral(in.target)
            + " mg/L) must lie below the inflow (" + FormatGeneral(in.inflow) + " mg/L).");
    CheckPositive(FieldOf(p, "k20"), in.constants.k20);
    CheckPositive(FieldOf(p, "theta"), in.constants.theta);
    if (!std::isfinite(in.constants.cStar) || in.constants.cStar < 0)
        Refuse(FieldOf(p, "C*"), "a number of at least 0", in.constants.cStar);
    const double tanks = in.constants.tanks;
    if (!std::isfinite(tanks) || tanks < 1 || tanks > kMaxTanks)
        Refuse(FieldOf(p, "P"), "from 1 to " + FormatGeneral(kMaxTanks), tanks);
}

} // namespace

std::string_view PollutantName(Pollutant pollutant)
{
    return NamesOf(pollutant).name;
}

std::string_view PollutantKey(Pollutant pollutant)
{
    return NamesOf(pollutant).key;
}

std::optional<Pollutant> PollutantFromKey(std::string_view key)
{
    for (const PollutantNames &names : kNames) {
        if (names.key == key)
            return names.pollutant;
    }
    return std::nullopt;
}

int Bod5InflowBand(double inflow)
{
    if (inflow <= 30)
        return 0;
    if (inflow <= 100)
        return 1;
    if (inflow <= 200)
        return 2;
    return 3;
}

std::string_view Bod5InflowBandName(int band)
{
    static constexpr std::array<std::string_view, kBod5Bands.size()> names {
        "up to 30 mg/L", "30-100 mg/L", "100-200 mg/L", "above 200 mg/L"};
    return names[static_cast<std::size_t>(std::clamp(band, 0, 3))];
}

DefaultConstants DefaultRateConstants(Pollutant pollutant, double inflow)
{
    switch (pollutant) {
    case Pollutant::BOD5: {
        const Bod5Band &band = kBod5Bands[static_cast<std::size_t>(Bod5InflowBand(inflow))];
        return {{band.k20, 1.00, band.cStar, 3}, band.source, kKnight, band.source, kWallace};
    }
    case Pollutant::OrganicN:
        return {{19.6, 1.05, 1, 6}, kWallace, kKnight, kWallace, kWallace};
    case Pollutant::Ammonium:
        return {{11.4, 1.04, 0, 6}, kWallace, kKnight, kWallace, kWallace};
    case Pollutant::Nitrate:
        return {{42, 1.09, 0, 8}, kWallace, kKnight, kWallace, kWallace};
    case Pollutant::TotalN:
        return {{8.4, 1.05, 1, 6}, kWallace, kKnight, kWallace, kWallace};
    case Pollutant::TotalP:
        break;
    }
    return {{12, 1.00, 0.02, 3}, kKnight, kKnight, kKnight,
        "assumed (3, as for BOD5): no median is published for horizontal subsurface flow"};
}

std::optional<double> DefaultTarget(Pollutant pollutant)
{
    switch (pollutant) {
    case Pollutant::BOD5:
        return 25;
    case Pollutant::TotalN:
        return 15;
    case Pollutant::TotalP:
        return 2;
    default:
        return std::nullopt;
    }
}

std::string_view DefaultTargetSource()
{
    return "EU Urban Waste Water Treatment Directive 91/271/EEC, Annex I (TN and TP: sensitive "
           "areas, 10 000 to 100 000 population equivalents)";
}

double HydraulicLoadingRate(double flow, double area)
{
    return 365 * flow / area;
}

double RateAtTemperature(double k20, double theta, double temperature)
{
    return k20 * std::pow(theta, temperature - 20);
}

double TankOutflow(double inflow, const RateConstants &constants, double kT, double q, double j)
{
    const double c = constants.cStar;
    return c + (inflow - c) / std::pow(1 + kT / (constants.tanks * q), j);
}

std::vector<double> TankOutflows(double inflow, const RateConstants &constants, double kT, double q)
{
    std::vector<double> outflows;
    const int whole = static_cast<int>(std::floor(constants.tanks));
    outflows.reserve(static_cast<std::size_t>(std::max(whole, 0)));
    for (int j = 1; j <= whole; ++j)
        outflows.push_back(TankOutflow(inflow, constants, kT, q, j));
    return outflows;
}

std::optional<double> RequiredArea(
    double flow, double inflow, double target, const RateConstants &constants, double kT)
{
    if (!(target > constants.cStar))
        return std::nullopt;
    const double ratio = (inflow - constants.cStar) / (target - constants.cStar);
    const double p = constants.tanks;
    return p * 365 * flow / kT * (std::pow(ratio, 1 / p) - 1);
}

std::optional<double> PlugFlowArea(
    double flow, double inflow, double target, const RateConstants &constants, double kT)
{
    if (!(target > constants.cStar))
        return std::nullopt;
    return 365 * flow / kT * std::log((inflow - constants.cStar) / (target - constants.cStar));
}

double NominalRetentionTime(double area, double depth, double porosity, double flow)
{
    return area * depth * porosity / flow;
}

double ArealLoading(double flow, double concentration, double area)
{
    return flow * concentration / area;
}

TargetSizing SizeForTargets(const SizingInputs &inputs)
{
    CheckPositive("Design flow Q", inputs.flow);
    if (!std::isfinite(inputs.temperature))
        Refuse("Design water temperature T", "a number", inputs.temperature);
    for (std::size_t i = 0; i < inputs.pollutants.size(); ++i) {
        const PollutantInput &in = inputs.pollutants[i];
        for (std::size_t before = 0; before < i; ++before) {
            if (inputs.pollutants[before].pollutant == in.pollutant)
                throw Error(std::string(PollutantName(in.pollutant)) + " is given twice.");
        }
        CheckPollutant(in);
    }

    TargetSizing sizing;
    for (const PollutantInput &in : inputs.pollutants) {
        PollutantSizing row;
        row.input = in;
        row.kT = RateAtTemperature(in.constants.k20, in.constants.theta, inputs.temperature);
        if (!std::isfinite(row.kT) || !(row.kT > 0))
            throw Error(FieldOf(in.pollutant, "kT") + " comes out as " + FormatGeneral(row.kT)
                + " m/yr at " + FormatGeneral(inputs.temperature)
                + " deg C: check k20, theta and the design water temperature T.");
        row.requiredArea = RequiredArea(inputs.flow, in.inflow, in.target, in.constants, row.kT);
        row.plugFlowArea = PlugFlowArea(inputs.flow, in.inflow, in.target, in.constants, row.kT);
        if (row.requiredArea && !std::isfinite(*row.requiredArea))
            throw Error("The area " + std::string(PollutantName(in.pollutant))
                + " needs is too large to compute: check its k20 and the design flow Q.");
        sizing.pollutants.push_back(std::move(row));
    }
    for (std::size_t i = 0; i < sizing.pollutants.size(); ++i) {
        const std::optional<double> &area = sizing.pollutants[i].requiredArea;
        if (area && (!sizing.governingArea || *area > *sizing.governingArea)) {
            sizing.governing = i;
            sizing.governingArea = *area;
        }
    }
    return sizing;
}

void OutflowsAt(TargetSizing &sizing, double flow, double area)
{
    CheckPositive("Area", area);
    const double q = HydraulicLoadingRate(flow, area);
    for (PollutantSizing &row : sizing.pollutants) {
        const PollutantInput &in = row.input;
        row.outflow = TankOutflow(in.inflow, in.constants, row.kT, q, in.constants.tanks);
        row.tankOutflows = TankOutflows(in.inflow, in.constants, row.kT, q);
    }
}

double DarcyMaximumFlow(double conductivity, double width, double depth, double slope)
{
    return conductivity * width * depth * slope;
}

double DarcyMinimumWidth(double flow, double conductivity, double depth, double slope)
{
    return flow / (conductivity * depth * slope);
}

double RoundUpToTenth(double metres)
{
    // A width computed as 3.3 may come out as 3.3000000000000003: that stays 3.3. A bed is never
    // 0 m long, however small the length computed.
    const double rounded = std::ceil(metres * 10 - 1e-9) / 10;
    return metres > 0 ? std::max(rounded, 0.1) : rounded;
}

double RequireComputable(double value, std::string_view what, std::string_view inputs)
{
    if (!std::isfinite(value))
        throw Error(
            std::string(what) + " is too large to compute: check " + std::string(inputs) + ".");
    return value;
}

AssistantResult RunDesignAssistant(const AssistantInputs &inputs)
{
    const double flow = inputs.sizing.flow;
    TargetSizing sizing = SizeForTargets(inputs.sizing);
    CheckPositive("Depth", inputs.depth);
    CheckFraction("Porosity", inputs.porosity);
    if (inputs.hydraulics) {
        CheckPositive("Hydraulic conductivity K", inputs.hydraulics->conductivity);
        CheckPositive("Slope S", inputs.hydraulics->slope);
        CheckFraction("Long-term factor", inputs.hydraulics->longTermFactor);
    }
    if (inputs.width)
        CheckPositive("Width", *inputs.width);
    if (inputs.length)
        CheckPositive("Length", *inputs.length);

    AssistantResult result;
    if (inputs.hydraulics) {
        const HydraulicInputs &h = *inputs.hydraulics;
        DarcyCheck darcy;
        constexpr std::string_view kNarrowestFrom
            = "the design flow Q, the hydraulic conductivity K, the depth and the slope S";
        darcy.minWidthClean
            = RequireComputable(DarcyMinimumWidth(flow, h.conductivity, inputs.depth, h.slope),
                "The narrowest width that carries the flow", kNarrowestFrom);
        darcy.minWidthLongTerm = RequireComputable(
            DarcyMinimumWidth(flow, h.conductivity * h.longTermFactor, inputs.depth, h.slope),
            "The narrowest width that carries the flow once the bed has clogged",
            "the design flow Q, the hydraulic conductivity K, the long-term factor, the depth and "
            "the slope S");
        result.darcy = darcy;
    }

    if (inputs.width) {
        result.width = inputs.width;
        result.widthSource = WidthSource::Given;
    } else {
        const double designWidth = inputs.designScreenWidth.value_or(0);
        const double minimum = result.darcy ? result.darcy->minWidthLongTerm : 0;
        if (designWidth > 0 || minimum > 0) {
            result.widthSource
                = designWidth >= minimum ? WidthSource::DesignScreen : WidthSource::LongTermMinimum;
            result.width = RoundUpToTenth(std::max(designWidth, minimum));
        }
    }
    if (result.darcy && result.width) {
        const HydraulicInputs &h = *inputs.hydraulics;
        constexpr std::string_view kCarriedFrom
            = "the width, the hydraulic conductivity K, the depth and the slope S";
        result.darcy->maxFlowClean = RequireComputable(
            DarcyMaximumFlow(h.conductivity, *result.width, inputs.depth, h.slope),
            "The largest flow the width carries", kCarriedFrom);
        result.darcy->maxFlowLongTerm
            = RequireComputable(DarcyMaximumFlow(h.conductivity * h.longTermFactor, *result.width,
                                    inputs.depth, h.slope),
                "The largest flow the width carries once the bed has clogged", kCarriedFrom);
    }

    if (inputs.length) {
        result.length = inputs.length;
        result.lengthGiven = true;
    } else if (result.width && sizing.governingArea) {
        result.length = RequireComputable(RoundUpToTenth(*sizing.governingArea / *result.width),
            "The length that gives the governing area", "the width");
    }

    if (result.width && result.length) {
        const std::string_view from = result.lengthGiven ? "the width and the length" : "the width";
        result.area = RequireComputable(*result.width * *result.length, "The bed's area", from);
        if (!(*result.area > 0))
            throw Error("The bed's area is too small to compute: check " + std::string(from) + ".");
    } else {
        result.area = sizing.governingArea;
    }

    if (result.area) {
        OutflowsAt(sizing, flow, *result.area);
        result.retentionTime = RequireComputable(
            NominalRetentionTime(*result.area, inputs.depth, inputs.porosity, flow),
            "The nominal retention time", "the depth, the porosity and the area");
        for (const PollutantSizing &row : sizing.pollutants) {
            if (row.input.pollutant == Pollutant::BOD5)
                result.bod5Loading
                    = RequireComputable(ArealLoading(flow, row.input.inflow, *result.area),
                        "The BOD5 loading", "the design flow Q, the BOD5 inflow and the area");
        }
    }
    result.sizing = std::move(sizing);
    return result;
}

ForcingSummary SummarizeForcing(const DayList &days)
{
    const auto entered = [](double value) { return value != kEmptyValue; };
    const std::size_t count = static_cast<std::size_t>(days.activeCount());
    ForcingSummary summary;
    if (count == 0)
        return summary;

    const auto mean = [&](DayField field) -> std::optional<double> {
        double sum = 0;
        std::size_t n = 0;
        for (const DayNode &node : days.active()) {
            const double value = node.day.get(field);
            if (entered(value)) {
                sum += value;
                ++n;
            }
        }
        if (n == 0)
            return std::nullopt;
        return sum / static_cast<double>(n);
    };
    summary.meanFlow = mean(DayField::waterFlow);
    const double porosity = days.first().day.get(DayField::porosity);
    if (entered(porosity))
        summary.porosity = porosity;

    constexpr std::array<DayField, 4> direct {
        DayField::bod5In, DayField::orgNitrogenIn, DayField::ammoniumIn, DayField::nitrateIn};
    for (std::size_t i = 0; i < direct.size(); ++i)
        summary.meanInflow[i] = mean(direct[i]);
    const auto &in = summary.meanInflow;
    if (in[1] && in[2] && in[3])
        summary.meanInflow[4] = *in[1] + *in[2] + *in[3];
    summary.meanInflow[5] = mean(DayField::totalPIn);

    // Each 30-day window's mean, summed afresh: exact, and still linear in the days.
    std::vector<double> temperature;
    temperature.reserve(count);
    for (const DayNode &node : days.active())
        temperature.push_back(node.day.get(DayField::temperature));
    const std::size_t window = std::min<std::size_t>(30, count);
    for (std::size_t start = 0; start + window <= count; ++start) {
        double sum = 0;
        std::size_t n = 0;
        for (std::size_t d = start; d < start + window; ++d) {
            if (entered(temperature[d])) {
                sum += temperature[d];
                ++n;
            }
        }
        if (n == 0)
            continue;
        const double windowMean = sum / static_cast<double>(n);
        if (!summary.coldestMonthTemperature || windowMean < *summary.coldestMonthTemperature)
            summary.coldestMonthTemperature = windowMean;
    }
    return summary;
}

} // namespace carexa
