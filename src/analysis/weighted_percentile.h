#pragma once

// Percentiles of weighted values, as the bands of a conditioned ensemble need them: the weighted
// form of the linear interpolation between order statistics that Percentile uses.

#include <span>
#include <vector>

namespace carexa {

/// A value with the weight of the run it comes from.
struct WeightedValue
{
    double value = 0;
    double weight = 0;

    friend bool operator==(const WeightedValue &, const WeightedValue &) = default;
};

/// The value at `fraction` (0 to 1) of values x1 <= ... <= xn with weights w1 ... wn (none
/// negative): x_k sits at the position C_k = (w1 + ... + w(k-1)) / (w1 + ... + w(n-1)), and the
/// value is interpolated linearly in C between the two values around `fraction`. With equal
/// weights C_k = (k - 1) / (n - 1), so the result is exactly Percentile's (h = (n - 1) fraction).
/// The weights are divided by the largest first, so equal weights become exactly 1 and any
/// common factor drops out. A value whose weight is 0 occupies no width: where w1 ... w(n-1) are
/// all 0 every value sits at 0 and the result is xn above 0 (x1 at 0). `sorted` must not be
/// empty and `weights` must have its length.
double WeightedPercentile(
    std::span<const double> sorted, std::span<const double> weights, double fraction);

/// The same for values in any order: sorts `values` by value (ties keep their order, so the
/// result does not depend on how the values came in), then WeightedPercentile at each fraction.
std::vector<double> WeightedPercentiles(
    std::vector<WeightedValue> &values, std::span<const double> fractions);

/// The effective number of runs of weights w (Kish): (sum w)^2 / sum w^2; n for n equal weights,
/// 0 without a weight above 0.
double EffectiveRuns(std::span<const double> weights);

} // namespace carexa
