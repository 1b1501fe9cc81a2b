#pragma once

// Measurements made from a run of known parameters with noise: the twin experiments of the
// conditioning, confidence and compliance tests.

#include "analysis/observations.h"
#include "analysis/random.h"
#include "analysis_inputs.h"
#include "simulation/simulation_run.h"

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace carexa::testing_support {

/// A standard normal draw (Box and Muller) from `generator`.
inline double NormalDraw(std::mt19937_64 &generator)
{
    const double u = 1 - UnitDraw(generator); // in (0, 1]
    const double v = UnitDraw(generator);
    return std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * v);
}

/// Every `every`-th day (from day `every` on) of the given series of `truth`, each value
/// multiplied by 1 + noise * z with z standard normal from TaskGenerator(seed, 0).
inline ObservedSeries NoisyMeasurements(const RunResult &truth,
    std::initializer_list<std::size_t> series, double noise, std::uint64_t seed, int every = 7)
{
    std::mt19937_64 generator = TaskGenerator(seed, 0);
    ObservedSeries observed;
    for (std::size_t c : series) {
        for (int day = every; day <= truth.dayCount(); day += every) {
            const double value = truth.series[c][static_cast<std::size_t>(day - 1)];
            observed[c].push_back({day, value * (1 + noise * NormalDraw(generator))});
        }
    }
    return observed;
}

} // namespace carexa::testing_support
