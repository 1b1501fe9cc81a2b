// Writes the two example projects: a horizontal subsurface-flow bed in a cold climate and one in
// a warm climate, each with a year of daily forcing data, a design, parameters inside their
// ranges, and weekly "measured" outflows (the simulated outflow with measurement noise) on the
// days of the measurements only; every other day holds 0.0001, the mark of a day without one.

#include "model/design.h"
#include "model/number_text.h"
#include "model/output_series.h"
#include "model/rounding.h"
#include "project/project_file.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>

using namespace carexa;

namespace {

// A small deterministic generator, so the files come out the same on every machine.
class Noise
{
public:
    explicit Noise(std::uint64_t seed) : state_(seed) { }
    // Uniform in [-1, 1).
    double next()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / 4503599627370496.0 - 1.0;
    }

private:
    std::uint64_t state_;
};

struct Bed
{
    const char *file;
    std::int32_t climate;
    DesignInputs design;
    double porosity;
    std::array<double, 5> oxygen;
    double meanTemperature, temperatureSwing;
    double meanFlow;
    std::array<double, 8> inflow; // BOD5, nitrate, ammonium, total P, org N, POM, PON, POP
    std::array<std::array<double, 5>, 5> initial; // record order BOD5, NIT, AMM, ORN, TPO
    std::array<double, kParameterCount> parameters;
    std::uint64_t seed;
};

constexpr double kPi = 3.14159265358979323846;

double Round(double value, int decimals)
{
    return SimpleRoundTo(value, -decimals);
}

void Build(const Bed &bed, const std::filesystem::path &folder)
{
    constexpr int kDays = 365;
    Noise noise(bed.seed);
    ModelState state;
    state.setSimulationLength(kDays);
    state.observedLength = kDays;
    state.climate = bed.climate;
    state.stepsPerDay = 70;
    state.parameters = ModelParameters(bed.parameters);
    for (int v = 0; v < kVariableCount; ++v) {
        for (int x = 0; x < kBoxCount; ++x)
            state.initial.setConcentration(static_cast<Variable>(v), x,
                bed.initial[static_cast<std::size_t>(v)][static_cast<std::size_t>(x)]);
    }
    CalculateDesign(bed.design, WetlandType::Constructed, state.initial);

    const double volume = state.initial.get(BoxField::VO);
    const double boxWater = bed.porosity * volume * 0.2;
    int d = 0;
    for (DayNode &node : state.days.active()) {
        ++d;
        const double season = std::sin(2 * kPi * (d - 110) / 365.0);
        DayValues &day = node.day;
        day.set(DayField::temperature,
            Round(std::max(0.5,
                      bed.meanTemperature + bed.temperatureSwing * season + 1.2 * noise.next()),
                1));
        // More water in spring and autumn rains, less in late summer.
        const double flow
            = bed.meanFlow * (1 + 0.2 * std::sin(2 * kPi * (d - 60) / 182.5) + 0.1 * noise.next());
        day.set(DayField::waterFlow, Round(flow, 1));
        const std::array<DayField, 8> inflowFields {DayField::bod5In, DayField::nitrateIn,
            DayField::ammoniumIn, DayField::totalPIn, DayField::orgNitrogenIn, DayField::pomPercent,
            DayField::ponPercent, DayField::popPercent};
        for (std::size_t i = 0; i < inflowFields.size(); ++i) {
            const double spread = i < 5 ? 0.15 : 0.08;
            day.set(inflowFields[i], Round(bed.inflow[i] * (1 + spread * noise.next()), 1));
        }
        day.set(DayField::porosity, bed.porosity);
        for (int x = 0; x < kBoxCount; ++x)
            day.set(OxygenField(x), bed.oxygen[static_cast<std::size_t>(x)]);
        day.set(DayField::boxWaterVolume, boxWater);
        day.set(DayField::RTB, RoundPositive(std::max(boxWater / Round(flow, 1), 0.75), 2));
        node.box.set(BoxField::VO, volume);
    }

    TextGrid observed(12, kDays + 1);
    for (int r = 1; r <= kDays; ++r) {
        observed.setCell(0, r, FormatInteger(r));
        for (int c = 1; c <= kSeriesCount; ++c)
            observed.setCell(c, r, "0.0001");
    }

    // The project is saved with the results of a run (every input lies inside its range, so
    // the run replaces none), and weekly samples of the outflow BOD5, ammonium and total
    // phosphorus on days 7, 14, ... 364; the days between hold no measurement.
    TextGrid sheet(5, 5);
    RunSimulation(state, sheet);
    for (int c : {1, 3, 4}) {
        for (int r = 7; r <= kDays; r += 7) {
            const double simulated = ParseDouble(sheet.cell(c, r));
            observed.setCell(c, r,
                FormatGeneral(std::max(0.01, Round(simulated * (1 + 0.12 * noise.next()), 2))));
        }
    }

    const DesignTexts design {FormatGeneral(bed.design.width), FormatGeneral(bed.design.length),
        FormatGeneral(bed.design.depth), FormatGeneral(bed.design.precipitationFactor),
        FormatGeneral(bed.design.slope), FormatGeneral(bed.design.particularMatter),
        FormatGeneral(bed.design.conductivity), FormatGeneral(bed.design.flow)};
    SaveProjectFile(folder / bed.file, state, observed, design);
    std::cout << "wrote " << (folder / bed.file).string() << '\n';
}

} // namespace

int main(int argc, char **argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";

    const Bed cold {"cold_climate_bed.mdl", kColdClimate, {20, 40, 0.6, 1.05, 1, 1, 100, 15}, 0.4,
        {0.4, 0.6, 0.9, 1.3, 1.8}, 7.5, 6.0, 14, {160, 3, 35, 7, 14, 35, 30, 20},
        {{{120, 80, 50, 30, 20}, {3, 3, 4, 4, 5}, {30, 25, 20, 15, 10}, {10, 8, 6, 5, 4},
            {6, 5.5, 5, 4.5, 4}}},
        {0.9, 0.9, 0.2, 3.5, 1.05, 1.07, 1.04, 1.07, 0.3, 0.3, 0.1, 0.1, 0.01, 0.001, 0.001, 0.36},
        20240101};
    const Bed warm {"warm_climate_bed.mdl", kWarmClimate, {30, 60, 0.7, 1, 1, 1, 150, 40}, 0.38,
        {0.6, 0.9, 1.3, 1.8, 2.4}, 25, 4.0, 38, {220, 2, 45, 9, 18, 20, 30, 25},
        {{{150, 100, 60, 30, 15}, {2, 3, 4, 5, 6}, {40, 30, 20, 12, 8}, {15, 12, 9, 6, 4},
            {8, 7, 6, 5, 4}}},
        {0.5, 0.8, 0.2, 1.2, 1.04, 1.047, 1.04, 1.09, 1.3, 1.3, 1.0, 0.1, 0.01, 0.01, 0.003, 1.0},
        20240202};
    try {
        Build(cold, folder);
        Build(warm, folder);
    } catch (const std::exception &e) {
        std::cerr << "carexa-make-examples: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
