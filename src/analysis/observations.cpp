#include "analysis/observations.h"

#include "model/observed_grid.h"

#include <algorithm>

namespace carexa {

ObservedSeries MeasuredValues(const TextGrid &observed, int observedDays, int simulationDays)
{
    ObservedSeries measured;
    const int days = std::min(observedDays, simulationDays);
    for (int c = 1; c <= kSeriesCount; ++c) {
        auto &series = measured[static_cast<std::size_t>(c - 1)];
        for (int d = 1; d <= days; ++d) {
            if (const std::optional<double> value = MeasuredValue(observed, c, d))
                series.push_back({d, *value});
        }
    }
    return measured;
}

} // namespace carexa
