#include "analysis/observations.h"

#include "model/model_parameters.h"
#include "model/number_text.h"

#include <algorithm>

namespace carexa {

ObservedSeries MeasuredValues(const TextGrid &observed, int observedDays, int simulationDays)
{
    ObservedSeries measured;
    const int days = std::min(observedDays, simulationDays);
    for (int c = 1; c <= kSeriesCount; ++c) {
        auto &series = measured[static_cast<std::size_t>(c - 1)];
        for (int d = 1; d <= days; ++d) {
            std::optional<double> value = observed.number(c, d);
            if (!value && !observed.empty(c, d))
                value = TryParseDouble(observed.cell(c, d));
            if (value && *value != kEmptyValue)
                series.push_back({d, *value});
        }
    }
    return measured;
}

} // namespace carexa
