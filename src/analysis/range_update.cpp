#include "analysis/range_update.h"

#include "model/model_state.h"

#include <Eigen/Dense>
#include <boost/math/distributions/students_t.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace carexa {

namespace {

constexpr double kInfinite = std::numeric_limits<double>::infinity();

} // namespace

std::vector<double> Sufi2HalfWidths(
    const std::vector<std::vector<double>> &units, std::span<const double> objectives)
{
    const std::size_t n = units.size();
    const std::size_t columns = n > 0 ? units.front().size() : 0;
    std::vector<double> halfWidths(columns, kInfinite);
    if (n < 2)
        return halfWidths;

    // The columns that vary take part in the regression; the others cannot be pinned.
    std::vector<double> means(columns, 0.0);
    for (const std::vector<double> &run : units) {
        for (std::size_t j = 0; j < columns; ++j)
            means[j] += run[j] / static_cast<double>(n);
    }
    std::vector<std::size_t> varying;
    for (std::size_t j = 0; j < columns; ++j) {
        const bool varies = std::any_of(units.begin(), units.end(),
            [&](const std::vector<double> &run) { return run[j] != units.front()[j]; });
        if (varies)
            varying.push_back(j);
    }
    const std::size_t p = varying.size();
    if (p == 0 || n < p + 2)
        return halfWidths;

    double meanObjective = 0;
    for (double g : objectives)
        meanObjective += g / static_cast<double>(n);
    Eigen::MatrixXd x(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(p));
    Eigen::VectorXd y(static_cast<Eigen::Index>(n));
    double squares = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto row = static_cast<Eigen::Index>(i);
        for (std::size_t k = 0; k < p; ++k)
            x(row, static_cast<Eigen::Index>(k)) = units[i][varying[k]] - means[varying[k]];
        y(row) = objectives[i] - meanObjective;
        squares += y(row) * y(row);
    }
    const double variance = squares / static_cast<double>(n - 1);
    if (!(variance > 0) || !std::isfinite(variance))
        return halfWidths;

    const Eigen::MatrixXd normal = x.transpose() * x;
    const Eigen::FullPivLU<Eigen::MatrixXd> lu(normal);
    if (!lu.isInvertible())
        return halfWidths;
    const Eigen::MatrixXd inverse = lu.inverse();
    const Eigen::VectorXd beta = inverse * (x.transpose() * y);

    const boost::math::students_t distribution(static_cast<double>(n - p - 1));
    const double t = boost::math::quantile(distribution, 0.975);
    for (std::size_t k = 0; k < p; ++k) {
        const auto at = static_cast<Eigen::Index>(k);
        const double b = beta(at);
        const double c = variance * inverse(at, at) / (b * b);
        const double halfWidth = t * std::sqrt(c);
        if (b != 0 && std::isfinite(halfWidth))
            halfWidths[varying[k]] = halfWidth;
    }
    return halfWidths;
}

ParameterRange Sufi2Range(
    const ParameterRange &current, const ParameterRange &limit, double best, double halfWidth)
{
    const double low = LowestKept(current);
    if (!(current.upper > low))
        return current; // a single value stays as it is
    const double lowest = LowestKept(limit);
    const ParameterRange whole {lowest, std::max(lowest, limit.upper), false};
    if (!std::isfinite(halfWidth) || !std::isfinite(best))
        return whole;
    const double lo = best - halfWidth;
    const double up = best + halfWidth;
    const double widen = std::max(lo / 2, (1 - up) / 2);
    const double span = current.upper - low;
    const double lower = low + span * (lo - widen);
    const double upper = low + span * (up + widen);
    return {std::clamp(lower, whole.lower, whole.upper),
        std::clamp(upper, whole.lower, whole.upper), false};
}

ParameterRange ConditioningLimit(
    Parameter parameter, std::int32_t climate, const ParameterRange &start)
{
    const ParameterRange accepted = ClimateRange(parameter, climate);
    if (climate == kColdClimate || climate == kWarmClimate)
        return accepted;
    ParameterRange limit = accepted;
    if (LowestKept(start) < LowestKept(accepted)) {
        limit.lower = start.lower;
        limit.lowerExclusive = start.lowerExclusive;
    }
    limit.upper = std::max(limit.upper, start.upper);
    return limit;
}

} // namespace carexa
