#include "model/rounding.h"

#include <cmath>

namespace carexa {

namespace {

double PowerOfTen(int exponent)
{
    // Built by repeated multiplication so 10^k is exact for the small k used here; negative
    // exponents are the reciprocal of the positive power.
    double power = 1;
    for (int i = 0; i < (exponent < 0 ? -exponent : exponent); ++i)
        power *= 10;
    return exponent < 0 ? 1 / power : power;
}

} // namespace

double SimpleRoundTo(double value, int digit)
{
    if (!std::isfinite(value))
        return value;
    const double factor = PowerOfTen(digit);
    const double scaled = value / factor;
    // Beyond 2^52 every double is already a whole number of units; adding 0.5 would only move it.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0)
        return value;
    return std::trunc(scaled + 0.5) * factor;
}

double RoundPositive(double value, int digits)
{
    const double rounded = SimpleRoundTo(value, -digits);
    if (!std::isfinite(rounded) || !(rounded > 0))
        return 1e-8;
    return rounded;
}

std::int64_t RoundDay(double value)
{
    if (!std::isfinite(value))
        return 0;
    constexpr double limit = 4611686018427387904.0; // 2^62
    const double whole = std::trunc(value);
    if (whole >= limit)
        return static_cast<std::int64_t>(limit);
    if (whole <= -limit)
        return -static_cast<std::int64_t>(limit);
    const auto n = static_cast<std::int64_t>(whole);
    return SimpleRoundTo(value - whole, -2) > 0.5 ? n + 1 : n;
}

} // namespace carexa
