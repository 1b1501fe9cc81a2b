#pragma once

// The SUFI-2 update of the sampled ranges between two iterations of a conditioning (Abbaspour et
// al. 2004, 2007).

#include "analysis/parameter_space.h"
#include "model/model_parameters.h"

#include <cstdint>
#include <span>
#include <vector>

namespace carexa {

/// The SUFI-2 95 % interval of each parameter around the best run, as a half-width in unit
/// coordinates (0 to 1 along each range). `units[run][j]` are the sampled unit coordinates of
/// the n runs, `objectives[run]` their g. The sensitivity matrix J of g comes from a linear
/// regression of g on the scaled parameters: g = b0 + sum_j beta_j x_j, J = X diag(beta) with X
/// the centred unit coordinates (so column j is parameter j's share of each run's g), and
/// C = s_g^2 (J^T J)^-1 with s_g^2 the variance of g (n - 1), which makes C_jj = s_g^2 [(X^T
/// X)^-1]_jj / beta_j^2. The half-width is t sqrt(C_jj), t of Student's t at 97.5 % with n - p - 1
/// degrees of freedom. Infinite where the regression cannot pin a parameter: a coordinate that does
/// not vary, beta_j = 0, g that does not vary, or n - p - 1 below 1.
std::vector<double> Sufi2HalfWidths(
    const std::vector<std::vector<double>> &units, std::span<const double> objectives);

/// The next range of a parameter (SUFI-2): with b* the best run's unit coordinate and h the
/// half-width, b_lo = b* - h and b_up = b* + h; b'_min = b_lo - max(b_lo / 2, (1 - b_up) / 2),
/// b'_max = b_up + the same (in unit coordinates of `current`, whose ends are 0 and 1), mapped to
/// values along `current` and clipped to `limit` (an exclusive lower end of `limit` clipped to
/// the first value above it, so the new range keeps every value it holds). An infinite
/// half-width gives `limit` itself; a range of a single value stays as it is.
ParameterRange Sufi2Range(
    const ParameterRange &current, const ParameterRange &limit, double best, double halfWidth);

/// The range a conditioning may widen a parameter to: the climate's accepted range (1 cold,
/// 2 warm); without a climate, the cold range widened to take in `start`.
ParameterRange ConditioningLimit(
    Parameter parameter, std::int32_t climate, const ParameterRange &start);

} // namespace carexa
