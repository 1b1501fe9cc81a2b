#pragma once

#include "model/box_values.h"
#include "model/day_values.h"
#include "model/output_series.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace carexa {

/// Box E, the box whose values flow out of the bed.
inline constexpr int kOutflowBox = 4;

/// One removal efficiency in percent, or none (`defined` false, value 0) when the inflow is 0.
struct Efficiency
{
    bool defined;
    double value;
};

/// The six removal efficiencies of a day (BOD5, nitrate, ammonium, total P, organic N, total N)
/// from its inflows and the box-E values of `box`.
std::array<Efficiency, 6> DayEfficiencies(const BoxValues &box, const DayValues &day);

/// The eleven result series of days 1..L (values[c - 1][k - 1] for column c, day k), unrounded.
using SeriesValues = std::array<std::vector<double>, kSeriesCount>;

/// The result series from day-by-day records: `boxAt(k)` gives day k's box values (k = 1..L),
/// `days` the forcing values of days 1..L. The outflow of day k is the box-E value of its lagged
/// day (the initial values while k < RTB); the efficiencies use day k's own inflows and box-E
/// values; an efficiency whose inflow is 0 is 0.
SeriesValues ComputeSeries(const BoxValues &initial, const std::vector<DayValues> &days,
    const std::function<const BoxValues &(int k)> &boxAt);
/// The same for `days` days whose forcing values `dayAt(k)` gives (k = 1..days), for records
/// that keep them elsewhere (no copy of them is made). Each day is asked for once, in order.
SeriesValues ComputeSeries(const BoxValues &initial, int days,
    const std::function<const DayValues &(int k)> &dayAt,
    const std::function<const BoxValues &(int k)> &boxAt);

/// The day whose box-E values flow out on day k with retention time per box `rtb`, or 0 when
/// k < rtb and the initial values flow out. A lag of 0 or less counts as 1.
std::int64_t OutflowDay(int k, double rtb);

} // namespace carexa
