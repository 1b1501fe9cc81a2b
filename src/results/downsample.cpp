#include "results/downsample.h"

#include <algorithm>
#include <cmath>

namespace carexa {

std::vector<DayPoint> MinMaxDownsample(
    std::span<const double> values, int first, int last, int columns)
{
    std::vector<DayPoint> points;
    const auto held = static_cast<long long>(values.size());
    const long long from = std::max<long long>(first, 1);
    const long long to = std::min<long long>(last, held);
    if (from > to)
        return points;
    const long long days = to - from + 1;
    const long long runs = std::max(columns, 1);
    const auto add = [&](long long day) {
        const double value = values[static_cast<std::size_t>(day - 1)];
        if (std::isfinite(value)
            && (points.empty() || points.back().day < static_cast<double>(day)))
            points.push_back({static_cast<double>(day), value});
    };

    if (days <= 2 * runs) {
        points.reserve(static_cast<std::size_t>(days));
        for (long long day = from; day <= to; ++day)
            add(day);
        return points;
    }
    points.reserve(static_cast<std::size_t>(2 * runs + 2));
    add(from);
    for (long long run = 0; run < runs; ++run) {
        const long long begin = from + run * days / runs;
        const long long end = from + (run + 1) * days / runs; // one past the run's last day
        long long lowest = 0, highest = 0;
        for (long long day = begin; day < end; ++day) {
            const double value = values[static_cast<std::size_t>(day - 1)];
            if (!std::isfinite(value))
                continue;
            if (lowest == 0 || value < values[static_cast<std::size_t>(lowest - 1)])
                lowest = day;
            if (highest == 0 || value > values[static_cast<std::size_t>(highest - 1)])
                highest = day;
        }
        if (lowest == 0)
            continue;
        add(std::min(lowest, highest));
        add(std::max(lowest, highest));
    }
    add(to);
    return points;
}

} // namespace carexa
