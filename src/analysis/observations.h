#pragma once

#include "model/output_series.h"
#include "model/text_grid.h"

#include <array>
#include <vector>

namespace carexa {

/// One measured value of a result series.
struct Observation
{
    int day = 0; ///< 1-based
    double value = 0;

    friend bool operator==(const Observation &, const Observation &) = default;
};

/// The measured values of the eleven series, in day order.
using ObservedSeries = std::array<std::vector<Observation>, kSeriesCount>;

/// The measurements of the observed values grid that a simulation of `simulationDays` days can
/// be compared with: for each series column 1 to 11, the days 1..min(simulationDays,
/// observedDays) whose cell holds a measurement (MeasuredValue: a number other than 0.0001).
ObservedSeries MeasuredValues(const TextGrid &observed, int observedDays, int simulationDays);

} // namespace carexa
