#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace carexa {

/// The screen form of a number: up to 15 significant digits, no trailing zeros, a full stop as
/// the decimal separator, and an exponent form ("1E-8", "1.5E20") for magnitudes below 0.00001
/// or with more than 15 integer digits. Independent of the process locale.
std::string FormatGeneral(double value);

/// The project file form of a number: the C library's %g with precision 6 ("0.0001", "12.5",
/// "1e-05", "1.23457e+06"), always with a full stop. Independent of the process locale.
std::string FormatFileDouble(double value);

/// Whole numbers in plain decimal.
std::string FormatInteger(std::int64_t value);

/// Strict text-to-double: an optional sign, digits with at most one full stop, an optional
/// exponent, and nothing else. Throws ConversionError naming the text for anything else,
/// including a comma as decimal separator, "inf", "nan" and values beyond the double range.
double ParseDouble(std::string_view text);

/// Strict text-to-integer for whole-number fields: an optional sign and decimal digits that fit
/// a 32-bit signed integer. Throws ConversionError naming the text otherwise.
std::int32_t ParseInteger(std::string_view text);

/// Truncates a finite double toward zero into a 32-bit integer. Throws ConversionError (naming
/// the number's screen form) when the value is not finite or lies outside the 32-bit range.
std::int32_t TruncateToInt32(double value);

} // namespace carexa
