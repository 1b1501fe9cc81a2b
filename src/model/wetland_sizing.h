#pragma once

// Sizing a horizontal subsurface-flow bed for target outflows with the first-order
// tanks-in-series model (P-k-C*) of treatment-wetland design, and the hydraulic check of the
// bed's cross-section by Darcy's law.
//
// Units: flow Q in m3/d, areas in m2, areal rate constants k in m/yr, concentrations in mg/L,
// temperature in deg C, hydraulic conductivity K in m/d, slope S in m/m (the Design screen's
// 1 cm/m is 0.01), depth and width in m, porosity as a fraction.

#include "model/day_list.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace carexa {

/// The pollutants the sizing treats, in the order of its tables.
enum class Pollutant { BOD5, OrganicN, Ammonium, Nitrate, TotalN, TotalP };
inline constexpr std::array<Pollutant, 6> kPollutants {Pollutant::BOD5, Pollutant::OrganicN,
    Pollutant::Ammonium, Pollutant::Nitrate, Pollutant::TotalN, Pollutant::TotalP};

/// The name shown in tables and messages: "BOD5", "Organic N", "NH4-N", "NO3-N", "TN", "TP".
std::string_view PollutantName(Pollutant pollutant);
/// The batch runner's name: "BOD5", "ORGN", "NH4", "NO3", "TN", "TP".
std::string_view PollutantKey(Pollutant pollutant);
/// The pollutant with that batch name (exact spelling), or nothing.
std::optional<Pollutant> PollutantFromKey(std::string_view key);

/// The constants of the tanks-in-series model for one pollutant.
struct RateConstants
{
    double k20 = 0; ///< areal rate constant at 20 deg C, m/yr
    double theta = 1; ///< temperature factor of the rate constant
    double cStar = 0; ///< background concentration C*, mg/L
    double tanks = 1; ///< P, the apparent number of tanks in series (1 to kMaxTanks)

    friend bool operator==(const RateConstants &, const RateConstants &) = default;
};

inline constexpr double kMaxTanks = 100;

/// Default constants with the source of each value, for a tooltip.
struct DefaultConstants
{
    RateConstants values;
    std::string_view k20Source, thetaSource, cStarSource, tanksSource;
};

/// The BOD5 inflow band whose constants apply: 0 for an inflow up to 30 mg/L, 1 above 30 up to
/// 100, 2 above 100 up to 200, 3 above 200 (each upper bound belongs to the lower band).
int Bod5InflowBand(double inflow);
/// The inflows of a band, for notes: "up to 30 mg/L", "30-100 mg/L", "100-200 mg/L", "above
/// 200 mg/L".
std::string_view Bod5InflowBandName(int band);

/// The defaults for horizontal subsurface flow: the median rate constants of Kadlec & Wallace
/// (2009), the temperature factors of Kadlec & Knight (1996); BOD5 C* and k20 by inflow band
/// (Bod5InflowBand); total phosphorus from Kadlec & Knight (1996) with P = 3 assumed. `inflow`
/// matters only for BOD5.
DefaultConstants DefaultRateConstants(Pollutant pollutant, double inflow);

/// A discharge limit to start from: BOD5 25, TN 15 and TP 2 mg/L (EU Urban Waste Water
/// Treatment Directive 91/271/EEC, Annex I); nothing for the other pollutants.
std::optional<double> DefaultTarget(Pollutant pollutant);
/// Where DefaultTarget's value comes from.
std::string_view DefaultTargetSource();

// The model, for inputs that passed SizeForTargets' checks.

/// Hydraulic loading rate q = 365 Q / A, m/yr.
double HydraulicLoadingRate(double flow, double area);
/// kT = k20 theta^(T - 20), m/yr.
double RateAtTemperature(double k20, double theta, double temperature);
/// The outflow after tank j of P: C* + (Cin - C*) / (1 + kT / (P q))^j. With j = P (which
/// need not be whole) this is the bed's outflow.
double TankOutflow(double inflow, const RateConstants &constants, double kT, double q, double j);
/// The outflows after the whole tanks 1 .. floor(P).
std::vector<double> TankOutflows(
    double inflow, const RateConstants &constants, double kT, double q);
/// The area that brings `inflow` down to `target`:
/// A = P 365 Q / kT (((Cin - C*) / (Co - C*))^(1/P) - 1). Nothing when target <= C*.
std::optional<double> RequiredArea(
    double flow, double inflow, double target, const RateConstants &constants, double kT);
/// The same for plug flow (P without limit): A = 365 Q / kT ln((Cin - C*) / (Co - C*)); the
/// smallest area any number of tanks can reach. Nothing when target <= C*.
std::optional<double> PlugFlowArea(
    double flow, double inflow, double target, const RateConstants &constants, double kT);

/// Nominal retention time A x depth x porosity / Q, days.
double NominalRetentionTime(double area, double depth, double porosity, double flow);
/// Areal loading Q x C / A, g/m2/d (mg/L is g/m3).
double ArealLoading(double flow, double concentration, double area);

// Sizing for targets.

/// One pollutant to size for.
struct PollutantInput
{
    Pollutant pollutant = Pollutant::BOD5;
    double inflow = 0; ///< Cin, mg/L
    double target = 0; ///< the wanted outflow Co, mg/L
    RateConstants constants;
};

struct SizingInputs
{
    double flow = 0; ///< design flow Q, m3/d
    double temperature = 20; ///< design water temperature T, deg C
    std::vector<PollutantInput> pollutants;
};

/// The sizing of one pollutant.
struct PollutantSizing
{
    PollutantInput input;
    double kT = 0; ///< m/yr
    std::optional<double> requiredArea; ///< nothing: the target is at or below C*
    std::optional<double> plugFlowArea;
    // At the area of SizingAt (nothing / empty before it is known):
    std::optional<double> outflow;
    std::vector<double> tankOutflows;
};

struct TargetSizing
{
    std::vector<PollutantSizing> pollutants;
    std::optional<std::size_t> governing; ///< the pollutant with the largest required area
    std::optional<double> governingArea;
};

/// Checks the inputs and computes kT and the required areas. Throws Error naming the field for
/// a flow that is not a number greater than 0, a temperature that is no finite number, k20 or
/// theta not greater than 0, C* below 0, P outside 1 .. kMaxTanks, an inflow not greater than
/// 0, a target below 0 or not below the inflow, a pollutant given twice, and a required area
/// too large to compute. A target at or below C* is no refusal: its area stays empty.
TargetSizing SizeForTargets(const SizingInputs &inputs);

/// Fills every pollutant's outflow and tank outflows at `area` (> 0; else Error naming "Area").
void OutflowsAt(TargetSizing &sizing, double flow, double area);

// The hydraulic check.

/// The largest flow a bed `width` wide carries through its gravel: Q = K (width x depth) S.
double DarcyMaximumFlow(double conductivity, double width, double depth, double slope);
/// The smallest width that carries `flow`: W = Q / (K depth S).
double DarcyMinimumWidth(double flow, double conductivity, double depth, double slope);

struct HydraulicInputs
{
    double conductivity = 0; ///< clean hydraulic conductivity K, m/d
    double slope = 0; ///< S, m/m
    double longTermFactor = 0.1; ///< the share of clean K left once the bed has clogged
};

/// Rounds a length up to the next 0.1 m (a value within a rounding error of a tenth stays); a
/// length above 0 becomes at least 0.1 m.
double RoundUpToTenth(double metres);

/// `value` when it is a finite number; otherwise throws Error "<what> is too large to compute:
/// check <inputs>.", so a result never shows "inf" or "nan" and the message names the inputs it
/// comes from.
double RequireComputable(double value, std::string_view what, std::string_view inputs);

// The whole design assistant.

/// Where the width of the chosen shape comes from.
enum class WidthSource {
    Given, ///< typed by the user
    LongTermMinimum, ///< the Darcy minimum with long-term K, rounded up to 0.1 m
    DesignScreen, ///< the Design screen's width, at least the long-term minimum
};

struct AssistantInputs
{
    SizingInputs sizing;
    double depth = 0.6; ///< bed depth, m
    double porosity = 0.4;
    std::optional<HydraulicInputs> hydraulics; ///< nothing: no hydraulic check
    std::optional<double> width; ///< the chosen width; nothing: automatic
    std::optional<double> designScreenWidth; ///< the automatic width is at least this
    std::optional<double> length; ///< the chosen length; nothing: from the governing area
};

struct DarcyCheck
{
    double minWidthClean = 0; ///< m
    double minWidthLongTerm = 0; ///< m
    std::optional<double> maxFlowClean; ///< m3/d at the chosen width
    std::optional<double> maxFlowLongTerm;
};

struct AssistantResult
{
    TargetSizing sizing; ///< outflows at `area` when there is one
    std::optional<DarcyCheck> darcy;
    std::optional<double> width; ///< the chosen width
    WidthSource widthSource = WidthSource::Given;
    std::optional<double> length; ///< the chosen length
    bool lengthGiven = false;
    std::optional<double> area; ///< width x length, else the governing area
    std::optional<double> retentionTime; ///< days, at `area`
    std::optional<double> bod5Loading; ///< g/m2/d at `area`, when BOD5 is sized
};

/// Sizes for the targets, checks the hydraulics and chooses the shape. The automatic width is
/// the larger of the long-term Darcy minimum and the Design screen's width, rounded up to
/// 0.1 m; the automatic length is the governing area over the width, rounded up to 0.1 m.
/// Throws Error naming the field for refused inputs (see SizeForTargets; also a depth, width,
/// length, conductivity or slope not greater than 0, a porosity or long-term factor outside
/// (0, 1]), and naming the inputs a result comes from when it is too large (or too small) to
/// compute (RequireComputable); every number of a result is finite.
AssistantResult RunDesignAssistant(const AssistantInputs &inputs);

// Defaults from a project's forcing data.

/// What the forcing days tell about the design; each value is missing when no day holds it
/// (0.0001 is a value not entered).
struct ForcingSummary
{
    std::optional<double> meanFlow; ///< m3/d
    /// The coldest mean water temperature over 30 consecutive days (over all days when there
    /// are fewer), each window's mean taken over its entered days.
    std::optional<double> coldestMonthTemperature;
    std::optional<double> porosity; ///< day 1's
    /// Mean inflow concentrations, in the order of kPollutants; TN is the sum of the organic N,
    /// NH4-N and NO3-N means and needs all three.
    std::array<std::optional<double>, kPollutants.size()> meanInflow;
};

ForcingSummary SummarizeForcing(const DayList &days);

} // namespace carexa
