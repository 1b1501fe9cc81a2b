#include "simulation/box_kinetics.h"

#include <array>
#include <cmath>

namespace carexa {

namespace {

constexpr int kBoxes = kBoxCount;
using Row = std::array<double, kBoxes>;

constexpr double kReferenceTemperature = 20;
constexpr double kOxygenFactor = 0.2;
constexpr double kBodPerNitrate = 1.97; // BOD5 consumed per unit of nitrate denitrified
constexpr double kNegativeReplacement = 0.0001;

Row Load(const BoxValues &values, Variable variable)
{
    Row row;
    for (int x = 0; x < kBoxes; ++x)
        row[static_cast<std::size_t>(x)] = values.concentration(variable, x);
    return row;
}

void Store(BoxValues &values, Variable variable, const Row &row)
{
    for (int x = 0; x < kBoxes; ++x)
        values.setConcentration(variable, x, row[static_cast<std::size_t>(x)]);
}

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
    Row oxygen;
    for (int x = 0; x < kBoxes; ++x)
        oxygen[static_cast<std::size_t>(x)] = day.get(OxygenField(x));

    // The day values are fixed over the day, so the temperature factors are too.
    const double tempO = std::pow(p(Parameter::TO), T - kReferenceTemperature);
    const double tempD = std::pow(p(Parameter::TD), T - kReferenceTemperature);
    const double tempN = std::pow(p(Parameter::TN), T - kReferenceTemperature);
    const double tempA = std::pow(p(Parameter::TA), T - kReferenceTemperature);

    const Row sBod = Load(transportSource, Variable::BOD5);
    const Row sNit = Load(transportSource, Variable::NIT);
    const Row sAmm = Load(transportSource, Variable::AMM);
    const Row sOrn = Load(transportSource, Variable::ORN);
    const Row sTpo = Load(transportSource, Variable::TPO);

    // Transport is fixed over the day: inflow and outflow of every box, as mg/l x m3 per day.
    // The particulate shares are held back only where the water passes from box A to box B,
    // except BOD5, whose particulate share is held back on every passage into B to E.
    Row bodIn, bodOut, nitIn, nitOut, ammIn, ammOut, ornIn, ornOut, tpoIn, tpoOut;
    bodIn[0] = day.get(DayField::bod5In) * Q;
    nitIn[0] = day.get(DayField::nitrateIn) * Q;
    ammIn[0] = day.get(DayField::ammoniumIn) * Q;
    ornIn[0] = day.get(DayField::orgNitrogenIn) * Q;
    tpoIn[0] = day.get(DayField::totalPIn) * Q;
    bodOut[0] = sBod[0] * fM * Q;
    nitOut[0] = sNit[0] * Q;
    ammOut[0] = sAmm[0] * Q;
    ornOut[0] = sOrn[0] * fN * Q;
    tpoOut[0] = sTpo[0] * fP * Q;
    for (std::size_t x = 1; x < kBoxes; ++x) {
        bodIn[x] = sBod[x - 1] * fM * Q;
        nitIn[x] = sNit[x - 1] * Q;
        ammIn[x] = sAmm[x - 1] * Q;
        ornIn[x] = x == 1 ? sOrn[0] * fN * Q : sOrn[x - 1] * Q;
        tpoIn[x] = x == 1 ? sTpo[0] * fP * Q : sTpo[x - 1] * Q;
        bodOut[x] = sBod[x] * Q;
        nitOut[x] = sNit[x] * Q;
        ammOut[x] = sAmm[x] * Q;
        ornOut[x] = sOrn[x] * Q;
        tpoOut[x] = sTpo[x] * Q;
    }

    Row bod = Load(box, Variable::BOD5);
    Row nit = Load(box, Variable::NIT);
    Row amm = Load(box, Variable::AMM);
    Row orn = Load(box, Variable::ORN);
    Row tpo = Load(box, Variable::TPO);

    const double dt = 1.0 / stepsPerDay;
    for (int step = 0; step < stepsPerDay; ++step) {
        // Every rate is taken from the concentrations at the start of the sub-step.
        Row dec, den, ntr, un, amf, ua, up, ad;
        for (std::size_t x = 0; x < kBoxes; ++x) {
            const double o = oxygen[x];
            const double gO = kOxygenFactor * o / (OO + o);
            const double gN = kOxygenFactor * o / (KO + o);
            dec[x] = OC * bod[x] * gO * tempO;
            den[x] = tempD * DC * (nit[x] * nit[x]) / (MN + nit[x]);
            ntr[x] = tempN * NC * (amm[x] * amm[x]) * gN / (MA + amm[x]);
            un[x] = PN * nit[x];
            amf[x] = AC * orn[x] * tempA;
            ua[x] = PA * amm[x];
            if (x == 0) {
                // Box A takes up and adsorbs only the dissolved share of its phosphorus.
                up[x] = fP * PP * tpo[0];
                ad[x] = phi * fP * tpo[0] - (1 - phi) * AF;
            } else {
                up[x] = PP * tpo[x];
                ad[x] = x == 1 ? phi * tpo[1] - (1 - phi) * AF : (phi - (1 - phi) * AF) * tpo[x];
            }
            if (ad[x] < 0)
                ad[x] = 0;
        }
        for (std::size_t x = 0; x < kBoxes; ++x) {
            const double bodReaction = V * (kBodPerNitrate * den[x] + dec[x]);
            const double nitReaction = V * den[x] + V * un[x] - V * ntr[x];
            const double ammReaction = V * ntr[x] + V * ua[x] - V * amf[x];
            const double ornReaction = V * amf[x];
            const double tpoReaction = V * up[x] + V * ad[x];
            bod[x] = Clamped(bod[x] + ((bodIn[x] - bodOut[x] - bodReaction) / V) * dt);
            nit[x] = Clamped(nit[x] + ((nitIn[x] - nitOut[x] - nitReaction) / V) * dt);
            amm[x] = Clamped(amm[x] + ((ammIn[x] - ammOut[x] - ammReaction) / V) * dt);
            orn[x] = Clamped(orn[x] + ((ornIn[x] - ornOut[x] - ornReaction) / V) * dt);
            tpo[x] = Clamped(tpo[x] + ((tpoIn[x] - tpoOut[x] - tpoReaction) / V) * dt);
        }
    }

    Store(box, Variable::BOD5, bod);
    Store(box, Variable::NIT, nit);
    Store(box, Variable::AMM, amm);
    Store(box, Variable::ORN, orn);
    Store(box, Variable::TPO, tpo);
}

} // namespace carexa
