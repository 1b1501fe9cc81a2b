#include "simulation/box_kinetics.h"

#include <array>
#include <cmath>

namespace carexa {

namespace {

constexpr std::size_t kBoxes = kBoxCount;
// The boxes of a variable go in a row of six lanes, the last a spare, so that the arithmetic of the
// sub-steps goes two boxes at a time on the vector units without a remainder.
constexpr std::size_t kLanes = 6;
constexpr std::size_t kValues = kLanes * kVariableCount;
using Lanes = std::array<double, kLanes>;
using Values = std::array<double, kValues>;

constexpr std::size_t Lane(Variable variable, std::size_t box)
{
    return static_cast<std::size_t>(variable) * kLanes + box;
}

constexpr double kReferenceTemperature = 20;
constexpr double kOxygenFactor = 0.2;
constexpr double kBodPerNitrate = 1.97; // BOD5 consumed per unit of nitrate denitrified
constexpr double kNegativeReplacement = 0.0001;

double Clamped(double value)
{
    return value < 0 ? kNegativeReplacement : value;
}

} // namespace

void SimulateDay(DayNode &node, ModelParameters parameters, DayValues day, int stepsPerDay,
    BoxValues transportSource)
{
    SimulateDay(node.box, parameters, day, stepsPerDay, transportSource);
}

void SimulateDay(BoxValues &box, const ModelParameters &parameters, const DayValues &day,
    int stepsPerDay, const BoxValues &transportSource)
{
    if (stepsPerDay < 1)
        return;

    const auto p = [&parameters](Parameter which) { return parameters.get(which); };
    const double AC = p(Parameter::AC), NC = p(Parameter::NC), OC = p(Parameter::OC),
                 DC = p(Parameter::DC), KO = p(Parameter::KO), OO = p(Parameter::OO),
                 MA = p(Parameter::MA), MN = p(Parameter::MN), PA = p(Parameter::PA),
                 PN = p(Parameter::PN), PP = p(Parameter::PP), AF = p(Parameter::AF);

    const double T = day.get(DayField::temperature);
    const double Q = day.get(DayField::waterFlow);
    const double V = day.get(DayField::boxWaterVolume);
    const double phi = day.get(DayField::porosity);
    const double fM = 1 - day.get(DayField::pomPercent) * 0.01;
    const double fN = 1 - day.get(DayField::ponPercent) * 0.01;
    const double fP = 1 - day.get(DayField::popPercent) * 0.01;

    // The day values are fixed over the day, so the temperature factors are too. The products
    // below are the leading factors of the rates, evaluated once in the order the rates use them.
    const double tempO = std::pow(p(Parameter::TO), T - kReferenceTemperature);
    const double tempD = std::pow(p(Parameter::TD), T - kReferenceTemperature);
    const double tempN = std::pow(p(Parameter::TN), T - kReferenceTemperature);
    const double tempA = std::pow(p(Parameter::TA), T - kReferenceTemperature);
    const double denitrification = tempD * DC;
    const double nitrification = tempN * NC;

    // So are the oxygen factors of every box and the phosphorus terms: uptake = up * TPO and
    // adsorption = adA * TPO - adB. Box A takes up and adsorbs only the dissolved share of its
    // phosphorus; box B adsorbs phi TPO - (1 - phi) AF; boxes C to E (phi - (1 - phi) AF) TPO
    // (adB = 0, and x - 0 is x). The spare lane holds harmless values that are never stored.
    Lanes gO {}, gN {}, up {}, adA {}, adB {};
    for (std::size_t x = 0; x < kBoxes; ++x) {
        const double o = day.get(OxygenField(static_cast<int>(x)));
        gO[x] = kOxygenFactor * o / (OO + o);
        gN[x] = kOxygenFactor * o / (KO + o);
        up[x] = x == 0 ? fP * PP : PP;
        adA[x] = x == 0 ? phi * fP : x == 1 ? phi : phi - (1 - phi) * AF;
        adB[x] = x <= 1 ? (1 - phi) * AF : 0;
    }

    // Transport is fixed over the day: inflow minus outflow of every box, as mg/l x m3 per day.
    // The particulate shares are held back only where the water passes from box A to box B,
    // except BOD5, whose particulate share is held back on every passage into B to E.
    const auto source = [&transportSource](Variable v, std::size_t x) {
        return transportSource.concentration(v, static_cast<int>(x));
    };
    Values net {};
    const auto setNet
        = [&net](Variable v, std::size_t x, double in, double out) { net[Lane(v, x)] = in - out; };
    setNet(Variable::BOD5, 0, day.get(DayField::bod5In) * Q, source(Variable::BOD5, 0) * fM * Q);
    setNet(Variable::NIT, 0, day.get(DayField::nitrateIn) * Q, source(Variable::NIT, 0) * Q);
    setNet(Variable::AMM, 0, day.get(DayField::ammoniumIn) * Q, source(Variable::AMM, 0) * Q);
    setNet(
        Variable::ORN, 0, day.get(DayField::orgNitrogenIn) * Q, source(Variable::ORN, 0) * fN * Q);
    setNet(Variable::TPO, 0, day.get(DayField::totalPIn) * Q, source(Variable::TPO, 0) * fP * Q);
    for (std::size_t x = 1; x < kBoxes; ++x) {
        setNet(Variable::BOD5, x, source(Variable::BOD5, x - 1) * fM * Q,
            source(Variable::BOD5, x) * Q);
        setNet(Variable::NIT, x, source(Variable::NIT, x - 1) * Q, source(Variable::NIT, x) * Q);
        setNet(Variable::AMM, x, source(Variable::AMM, x - 1) * Q, source(Variable::AMM, x) * Q);
        setNet(Variable::ORN, x,
            x == 1 ? source(Variable::ORN, 0) * fN * Q : source(Variable::ORN, x - 1) * Q,
            source(Variable::ORN, x) * Q);
        setNet(Variable::TPO, x,
            x == 1 ? source(Variable::TPO, 0) * fP * Q : source(Variable::TPO, x - 1) * Q,
            source(Variable::TPO, x) * Q);
    }

    // The concentrations, a row of lanes per variable; the spare lanes start at 1.
    Values c;
    c.fill(1);
    for (int v = 0; v < kVariableCount; ++v) {
        for (std::size_t x = 0; x < kBoxes; ++x)
            c[Lane(static_cast<Variable>(v), x)]
                = box.concentration(static_cast<Variable>(v), static_cast<int>(x));
    }
    double *const bod = c.data() + Lane(Variable::BOD5, 0);
    double *const nit = c.data() + Lane(Variable::NIT, 0);
    double *const amm = c.data() + Lane(Variable::AMM, 0);
    double *const orn = c.data() + Lane(Variable::ORN, 0);
    double *const tpo = c.data() + Lane(Variable::TPO, 0);

    const double dt = 1.0 / stepsPerDay;
    Values reaction;
    double *const bodReaction = reaction.data() + Lane(Variable::BOD5, 0);
    double *const nitReaction = reaction.data() + Lane(Variable::NIT, 0);
    double *const ammReaction = reaction.data() + Lane(Variable::AMM, 0);
    double *const ornReaction = reaction.data() + Lane(Variable::ORN, 0);
    double *const tpoReaction = reaction.data() + Lane(Variable::TPO, 0);
    for (int step = 0; step < stepsPerDay; ++step) {
        // Every rate is taken from the concentrations at the start of the sub-step.
        for (std::size_t x = 0; x < kLanes; ++x) {
            const double dec = OC * bod[x] * gO[x] * tempO;
            const double den = denitrification * (nit[x] * nit[x]) / (MN + nit[x]);
            const double ntr = nitrification * (amm[x] * amm[x]) * gN[x] / (MA + amm[x]);
            const double un = PN * nit[x];
            const double amf = AC * orn[x] * tempA;
            const double ua = PA * amm[x];
            const double uptake = up[x] * tpo[x];
            double adsorption = adA[x] * tpo[x] - adB[x];
            if (adsorption < 0)
                adsorption = 0;
            bodReaction[x] = V * (kBodPerNitrate * den + dec);
            nitReaction[x] = V * den + V * un - V * ntr;
            ammReaction[x] = V * ntr + V * ua - V * amf;
            ornReaction[x] = V * amf;
            tpoReaction[x] = V * uptake + V * adsorption;
        }
        for (std::size_t i = 0; i < kValues; ++i)
            c[i] = Clamped(c[i] + ((net[i] - reaction[i]) / V) * dt);
    }

    for (int v = 0; v < kVariableCount; ++v) {
        for (std::size_t x = 0; x < kBoxes; ++x)
            box.setConcentration(static_cast<Variable>(v), static_cast<int>(x),
                c[Lane(static_cast<Variable>(v), x)]);
    }
}

} // namespace carexa
