#include "model/number_text.h"

#include "model/error.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace carexa {

namespace {

// Digits and decimal exponent of |value| rounded to `precision` significant digits, with the
// trailing zeros of the digits removed. to_chars is locale-independent and rounds correctly.
struct Decimal
{
    std::string digits;
    int exponent = 0;
};

Decimal ToDecimal(double magnitude, int precision)
{
    std::array<char, 64> buffer {};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
        std::chars_format::scientific, precision - 1);
    std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    const auto ePos = text.find('e');
    Decimal decimal;
    for (char c : text.substr(0, ePos)) {
        if (c != '.')
            decimal.digits.push_back(c);
    }
    std::from_chars(text.data() + ePos + 1 + (text[ePos + 1] == '+' ? 1 : 0),
        text.data() + text.size(), decimal.exponent);
    while (decimal.digits.size() > 1 && decimal.digits.back() == '0')
        decimal.digits.pop_back();
    return decimal;
}

} // namespace

std::string FormatGeneral(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    constexpr int precision = 15;
    const Decimal decimal = ToDecimal(std::fabs(value), precision);
    const std::string &d = decimal.digits;
    const int e = decimal.exponent;
    std::string out = value < 0 ? "-" : "";

    if (e < -5 || e >= precision) {
        out += d[0];
        if (d.size() > 1) {
            out += '.';
            out.append(d, 1);
        }
        out += 'E';
        out += std::to_string(e);
        return out;
    }
    if (e < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-e - 1), '0');
        out += d;
        return out;
    }
    const auto integerDigits = static_cast<std::size_t>(e) + 1;
    if (d.size() <= integerDigits) {
        out += d;
        out.append(integerDigits - d.size(), '0');
    } else {
        out.append(d, 0, integerDigits);
        out += '.';
        out.append(d, integerDigits);
    }
    return out;
}

std::string FormatFileDouble(double value)
{
    std::array<char, 64> buffer {};
    auto result = std::to_chars(
        buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 6);
    return std::string(buffer.data(), result.ptr);
}

std::string FormatInteger(std::int64_t value)
{
    return std::to_string(value);
}

double ParseDouble(std::string_view text)
{
    // from_chars takes no leading plus but does take "inf", "nan" and their variants; only plain
    // numbers count here, so the text after the sign must start with a digit or a full stop.
    std::string_view body = text;
    std::string_view unsignedPart = text;
    if (!body.empty() && body.front() == '+')
        body = unsignedPart = body.substr(1);
    else if (!body.empty() && body.front() == '-')
        unsignedPart = body.substr(1);
    if (unsignedPart.empty()
        || !(std::isdigit(static_cast<unsigned char>(unsignedPart.front()))
            || unsignedPart.front() == '.'))
        throw ConversionError(std::string(text));

    double value = 0;
    const auto result = std::from_chars(
        body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != body.data() + body.size()
        || !std::isfinite(value))
        throw ConversionError(std::string(text));
    return value;
}

std::int32_t ParseInteger(std::string_view text)
{
    std::string_view body = text;
    if (!body.empty() && body.front() == '+')
        body.remove_prefix(1);
    std::int32_t value = 0;
    const auto result = std::from_chars(body.data(), body.data() + body.size(), value);
    if (body.empty() || result.ec != std::errc() || result.ptr != body.data() + body.size())
        throw ConversionError(std::string(text), "whole number");
    return value;
}

std::int32_t TruncateToInt32(double value)
{
    const double truncated = std::trunc(value);
    if (!std::isfinite(truncated) || truncated < std::numeric_limits<std::int32_t>::min()
        || truncated > std::numeric_limits<std::int32_t>::max())
        throw ConversionError(FormatGeneral(value), "whole number");
    return static_cast<std::int32_t>(truncated);
}

} // namespace carexa
