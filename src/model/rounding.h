#pragma once

#include <cstdint>

namespace carexa {

/// Decimal rounding with halves up: the integer part (truncated toward zero) of
/// value / 10^digit + 0.5, times 10^digit. digit -4 rounds to four decimals, 0 to a whole
/// number. Safe for every finite double: values too large to carry a fraction at that precision
/// come back unchanged; a value that is not finite comes back as it is.
double SimpleRoundTo(double value, int digit);

/// Rounding for display: `value` rounded to `digits` decimals, or 1e-8 when that is not greater
/// than 0 (or is not a finite number), so a zero or negative quantity never shows as 0.
double RoundPositive(double value, int digits);

/// Day index rounding: the integer part n of value, plus 1 when the rest, rounded to two
/// decimals, is greater than 0.5 (7.5 gives 7, 7.51 gives 8; -2.7 gives -2). A value that is not
/// finite gives 0; the result is clamped to +/-2^62.
std::int64_t RoundDay(double value);

} // namespace carexa
