#include "analysis/weighted_percentile.h"

#include <algorithm>

namespace carexa {

double WeightedPercentile(
    std::span<const double> sorted, std::span<const double> weights, double fraction)
{
    const std::size_t n = sorted.size();
    if (n == 1)
        return sorted[0];
    const double largest = *std::max_element(weights.begin(), weights.end());
    if (!(largest > 0))
        return fraction > 0 ? sorted[n - 1] : sorted[0];
    // Positions in units of the largest weight: with equal weights S_k = k - 1 exactly and the
    // target (n - 1) * fraction is Percentile's h, so both give the same bits.
    double total = 0;
    for (std::size_t k = 0; k + 1 < n; ++k)
        total += weights[k] / largest;
    if (!(total > 0))
        return fraction > 0 ? sorted[n - 1] : sorted[0];
    const double target = total * fraction;
    double start = 0; // S_k, the position of sorted[k]
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const double width = weights[k] / largest;
        const double end = start + width;
        if (width > 0 && target < end)
            return sorted[k] + (target - start) / width * (sorted[k + 1] - sorted[k]);
        start = end;
    }
    return sorted[n - 1];
}

std::vector<double> WeightedPercentiles(
    std::vector<WeightedValue> &values, std::span<const double> fractions)
{
    std::stable_sort(values.begin(), values.end(),
        [](const WeightedValue &a, const WeightedValue &b) { return a.value < b.value; });
    std::vector<double> sorted(values.size());
    std::vector<double> weights(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        sorted[i] = values[i].value;
        weights[i] = values[i].weight;
    }
    std::vector<double> result;
    result.reserve(fractions.size());
    for (double fraction : fractions)
        result.push_back(WeightedPercentile(sorted, weights, fraction));
    return result;
}

double EffectiveRuns(std::span<const double> weights)
{
    double sum = 0;
    double squares = 0;
    for (double w : weights) {
        sum += w;
        squares += w * w;
    }
    return squares > 0 ? sum * sum / squares : 0;
}

} // namespace carexa
