#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace carexa {

/// The screen form of a number: up to 15 significant digits, no trailing zeros, a full stop as
/// the decimal separator, and an exponent form ("1E-8", "1.5E20") for magnitudes below 0.00001
/// or with more than 15 integer digits. Independent of the process locale.
std::string FormatGeneral(double value);

/// Room enough for any number written by WriteGeneral or WriteFileDouble.
inline constexpr std::size_t kNumberTextCapacity = 32;

/// Writes FormatGeneral's text of `value` at `out` (which has kNumberTextCapacity chars of room)
/// and returns the end; for writers that stream numbers without making a string of each.
char *WriteGeneral(char *out, double value);

/// Writes FormatGeneral's text of a value that was rounded to `decimals` decimals (as
/// RoundPositive or SimpleRoundTo round), the same text WriteGeneral writes, made from the whole
/// number of units instead of a general conversion where that gives the same bytes.
char *WriteRoundedGeneral(char *out, double value, int decimals);

/// The project file form of a number: the C library's %g with precision 6 ("0.0001", "12.5",
/// "1e-05", "1.23457e+06"), always with a full stop. Independent of the process locale.
std::string FormatFileDouble(double value);

/// Writes FormatFileDouble's text of `value` at `out` (kNumberTextCapacity chars of room) and
/// returns the end.
char *WriteFileDouble(char *out, double value);

/// Writes a whole number in plain decimal at `out` (kNumberTextCapacity chars of room) and
/// returns the end.
char *WriteInteger(char *out, std::int64_t value);

/// Whole numbers in plain decimal.
std::string FormatInteger(std::int64_t value);

/// Strict text-to-double: an optional sign, digits with at most one full stop, an optional
/// exponent, and nothing else. Throws ConversionError naming the text for anything else,
/// including a comma as decimal separator, "inf", "nan" and values beyond the double range.
double ParseDouble(std::string_view text);

/// ParseDouble without the exception: nothing for a text that is no number.
std::optional<double> TryParseDouble(std::string_view text);

/// Strict text-to-integer for whole-number fields: an optional sign and decimal digits that fit
/// a 32-bit signed integer. Throws ConversionError naming the text otherwise.
std::int32_t ParseInteger(std::string_view text);

/// Truncates a finite double toward zero into a 32-bit integer. Throws ConversionError (naming
/// the number's screen form) when the value is not finite or lies outside the 32-bit range.
std::int32_t TruncateToInt32(double value);

} // namespace carexa
