#include "simulation/box_kinetics.h"

#include <array>
#include <cmath>

namespace carexa {

namespace {

constexpr std::size_t kBoxes = kBoxCount;
// The concentrations of a sub-step: boxes A to D of each variable in a row of four, then box E of
// the five variables, then a spare, so that the arithmetic goes two values at a time on the
// vector units with nothing left over.
constexpr std::size_t kRow = 4;
constexpr std::size_t kValues = kRow * kVariableCount + kVariableCount + 1;
using Lanes = std::array<double, kBoxes>;
using Values = std::array<double, kValues>;

constexpr std::size_t Lane(Variable variable, std::size_t box)
{
    const auto v = static_cast<std::size_t>(variable);
    return box < kRow ? v * kRow + box : kRow * kVariableCount + v;
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
    // (adB = 0, and x - 0 is x).
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

    // The concentrations; the spare starts at 1 and never changes (no transport, no reaction).
    Values c;
    c.fill(1);
    for (int v = 0; v < kVariableCount; ++v) {
        for (std::size_t x = 0; x < kBoxes; ++x)
            c[Lane(static_cast<Variable>(v), x)]
                = box.concentration(static_cast<Variable>(v), static_cast<int>(x));
    }

    // The reactions of box x from its concentrations, as mg/l x m3 per day.
    struct Reactions
    {
        double bod, nit, amm, orn, tpo;
    };
    const auto reactionsOf
        = [&](std::size_t x, double bod, double nit, double amm, double orn, double tpo) {
              const double dec = OC * bod * gO[x] * tempO;
              const double den = denitrification * (nit * nit) / (MN + nit);
              const double ntr = nitrification * (amm * amm) * gN[x] / (MA + amm);
              const double un = PN * nit;
              const double amf = AC * orn * tempA;
              const double ua = PA * amm;
              const double uptake = up[x] * tpo;
              double adsorption = adA[x] * tpo - adB[x];
              if (adsorption < 0)
                  adsorption = 0;
              return Reactions {V * (kBodPerNitrate * den + dec), V * den + V * un - V * ntr,
                  V * ntr + V * ua - V * amf, V * amf, V * uptake + V * adsorption};
          };
    const auto lane = [](Variable v, std::size_t x) { return Lane(v, x); };

    const double dt = 1.0 / stepsPerDay;
    Values reaction {};
    constexpr std::size_t E = kBoxes - 1;
    for (int step = 0; step < stepsPerDay; ++step) {
        // Every rate is taken from the concentrations at the start of the sub-step.
        for (std::size_t x = 0; x < kRow; ++x) {
            const Reactions r = reactionsOf(x, c[lane(Variable::BOD5, x)],
                c[lane(Variable::NIT, x)], c[lane(Variable::AMM, x)], c[lane(Variable::ORN, x)],
                c[lane(Variable::TPO, x)]);
            reaction[lane(Variable::BOD5, x)] = r.bod;
            reaction[lane(Variable::NIT, x)] = r.nit;
            reaction[lane(Variable::AMM, x)] = r.amm;
            reaction[lane(Variable::ORN, x)] = r.orn;
            reaction[lane(Variable::TPO, x)] = r.tpo;
        }
        const Reactions r = reactionsOf(E, c[lane(Variable::BOD5, E)], c[lane(Variable::NIT, E)],
            c[lane(Variable::AMM, E)], c[lane(Variable::ORN, E)], c[lane(Variable::TPO, E)]);
        reaction[lane(Variable::BOD5, E)] = r.bod;
        reaction[lane(Variable::NIT, E)] = r.nit;
        reaction[lane(Variable::AMM, E)] = r.amm;
        reaction[lane(Variable::ORN, E)] = r.orn;
        reaction[lane(Variable::TPO, E)] = r.tpo;
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
