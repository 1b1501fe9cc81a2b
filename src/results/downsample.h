#pragma once

#include <span>
#include <vector>

namespace carexa {

/// A point of a drawn series: the day (1-based) and the value.
struct DayPoint
{
    double day = 0;
    double value = 0;

    friend bool operator==(const DayPoint &, const DayPoint &) = default;
};

/// The points that draw the values of days `first`..`last` (values[k - 1] is day k; the range is
/// clipped to the days held) on a line `columns` pixel columns wide, so a long series is drawn
/// quickly and still looks as drawn in full. With at most two days a column every day is a
/// point. Otherwise the days are split into `columns` runs of consecutive days, as even as
/// whole days allow, and each run gives its lowest and its highest value (the first day of
/// each), in day order, one point where both are the same day; so every peak and trough stays
/// visible. The first and the last day are always points. Values that are not finite numbers
/// are left out.
std::vector<DayPoint> MinMaxDownsample(
    std::span<const double> values, int first, int last, int columns);

} // namespace carexa
