#include "model/number_text.h"

#include "model/error.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace carexa {

namespace {

// Writes `count` characters of `text` at `out` and returns the end.
char *Put(char *out, const char *text, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        *out++ = text[i];
    return out;
}

} // namespace

char *WriteGeneral(char *out, double value)
{
    if (std::isnan(value))
        return Put(out, "NAN", 3);
    if (std::isinf(value))
        return value < 0 ? Put(out, "-INF", 4) : Put(out, "INF", 3);
    if (value == 0) {
        *out++ = '0';
        return out;
    }

    // The digits and decimal exponent of |value| rounded to 15 significant digits; to_chars is
    // locale-independent and rounds correctly.
    constexpr int precision = 15;
    std::array<char, 40> scientific {};
    const auto result = std::to_chars(scientific.data(), scientific.data() + scientific.size(),
        std::fabs(value), std::chars_format::scientific, precision - 1);
    const char *const textEnd = result.ptr;
    const char *ePos = scientific.data();
    while (*ePos != 'e')
        ++ePos;
    std::array<char, precision> digits {};
    std::size_t count = 0;
    for (const char *c = scientific.data(); c != ePos; ++c) {
        if (*c != '.')
            digits[count++] = *c;
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;
    int e = 0;
    const char *exponentStart = ePos + 1 + (ePos[1] == '+' ? 1 : 0);
    std::from_chars(exponentStart, textEnd, e);

    if (value < 0)
        *out++ = '-';
    if (e < -5 || e >= precision) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            out = Put(out, digits.data() + 1, count - 1);
        }
        *out++ = 'E';
        return std::to_chars(out, out + 8, e).ptr;
    }
    if (e < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int i = 0; i < -e - 1; ++i)
            *out++ = '0';
        return Put(out, digits.data(), count);
    }
    const auto integerDigits = static_cast<std::size_t>(e) + 1;
    if (count <= integerDigits) {
        out = Put(out, digits.data(), count);
        for (std::size_t i = count; i < integerDigits; ++i)
            *out++ = '0';
        return out;
    }
    out = Put(out, digits.data(), integerDigits);
    *out++ = '.';
    return Put(out, digits.data() + integerDigits, count - integerDigits);
}

char *WriteRoundedGeneral(char *out, double value, int decimals)
{
    // A value rounded to d decimals is n x 10^-d (n whole) give or take two units in its last
    // place, far less than half a step of 15 significant digits; so while n has at most 15
    // digits, its screen form is exactly n with the decimal point d places from the right. The
    // product is checked against the rounding's own, so any other value takes the general way.
    static constexpr std::array<double, 16> scale {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
        1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (decimals < 0 || decimals > 15 || !(std::fabs(value) >= 0.00001)
        || !(std::fabs(value) < 1e15))
        return WriteGeneral(out, value);
    const double units = std::nearbyint(std::fabs(value) * scale[static_cast<std::size_t>(decimals)]);
    if (!(units < 1e15) || units * (1 / scale[static_cast<std::size_t>(decimals)]) != std::fabs(value))
        return WriteGeneral(out, value);

    std::array<char, 20> digits {};
    const char *digitsEnd = std::to_chars(digits.data(), digits.data() + digits.size(),
        static_cast<std::uint64_t>(units)).ptr;
    auto count = static_cast<int>(digitsEnd - digits.data());
    int fraction = decimals;
    while (fraction > 0 && digits[static_cast<std::size_t>(count - 1)] == '0') {
        --count;
        --fraction;
    }
    if (value < 0)
        *out++ = '-';
    const int whole = count - fraction;
    if (whole <= 0) {
        *out++ = '0';
        *out++ = '.';
        for (int i = 0; i < -whole; ++i)
            *out++ = '0';
        return Put(out, digits.data(), static_cast<std::size_t>(count));
    }
    out = Put(out, digits.data(), static_cast<std::size_t>(whole));
    if (fraction > 0) {
        *out++ = '.';
        out = Put(out, digits.data() + whole, static_cast<std::size_t>(fraction));
    }
    return out;
}

std::string FormatGeneral(double value)
{
    std::array<char, kNumberTextCapacity> buffer {};
    return std::string(buffer.data(), WriteGeneral(buffer.data(), value));
}

namespace {

// %g with precision 6 from the six digits `digits` (100000 to 999999) and the decimal exponent
// of the first one.
char *PutSixDigitGeneral(char *out, bool negative, std::uint32_t digits, int exponent)
{
    std::array<char, 6> d {};
    for (int i = 5; i >= 0; --i) {
        d[static_cast<std::size_t>(i)] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    }
    std::size_t count = 6;
    while (count > 1 && d[count - 1] == '0')
        --count;
    if (negative)
        *out++ = '-';
    if (exponent < -4 || exponent >= 6) {
        *out++ = d[0];
        if (count > 1) {
            *out++ = '.';
            out = Put(out, d.data() + 1, count - 1);
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        *out++ = static_cast<char>('0' + magnitude / 10);
        *out++ = static_cast<char>('0' + magnitude % 10);
        return out;
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int i = 0; i < -exponent - 1; ++i)
            *out++ = '0';
        return Put(out, d.data(), count);
    }
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    out = Put(out, d.data(), std::min(whole, count));
    for (std::size_t i = count; i < whole; ++i)
        *out++ = '0';
    if (count > whole) {
        *out++ = '.';
        out = Put(out, d.data() + whole, count - whole);
    }
    return out;
}

// The six significant digits of |value| (1e-5 <= |value| < 1e15) and their exponent, rounded
// to nearest as the general conversion rounds, or nothing where the scaled value lies too near a
// half to decide here. The powers of ten used are exact doubles, so the one rounding of the
// scaling is at most 2^-33 in a value below 2^20, far inside the margin; a tie is left to the
// general conversion too.
bool SixDigits(double magnitude, std::uint32_t &digits, int &exponent)
{
    static constexpr std::array<double, 23> powers {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    // The decimal exponent; near a power of ten it may be one off, which the range check below
    // catches (or the carry into a seventh digit mends).
    int e = 0;
    if (magnitude >= 1) {
        while (e < 15 && magnitude >= powers[static_cast<std::size_t>(e + 1)])
            ++e;
    } else {
        e = -1;
        while (e > -6 && magnitude * powers[static_cast<std::size_t>(-e)] < 1)
            --e;
    }
    const int k = 5 - e;
    const double scaled = k >= 0 ? magnitude * powers[static_cast<std::size_t>(k)]
                                 : magnitude / powers[static_cast<std::size_t>(-k)];
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-9)
        return false;
    const double rounded = fraction > 0.5 ? whole + 1 : whole;
    if (rounded < 100000 || rounded > 1000000)
        return false;
    digits = static_cast<std::uint32_t>(rounded);
    exponent = e;
    if (digits == 1000000) {
        digits = 100000;
        ++exponent;
    }
    return true;
}

} // namespace

char *WriteFileDouble(char *out, double value)
{
    const double magnitude = std::fabs(value);
    std::uint32_t digits = 0;
    int exponent = 0;
    if (magnitude >= 1e-5 && magnitude < 1e15 && SixDigits(magnitude, digits, exponent))
        return PutSixDigitGeneral(out, value < 0, digits, exponent);
    return std::to_chars(out, out + kNumberTextCapacity, value, std::chars_format::general, 6).ptr;
}

std::string FormatFileDouble(double value)
{
    std::array<char, kNumberTextCapacity> buffer {};
    return std::string(buffer.data(), WriteFileDouble(buffer.data(), value));
}

char *WriteInteger(char *out, std::int64_t value)
{
    return std::to_chars(out, out + kNumberTextCapacity, value).ptr;
}

std::string FormatInteger(std::int64_t value)
{
    std::array<char, kNumberTextCapacity> buffer {};
    return std::string(buffer.data(), WriteInteger(buffer.data(), value));
}

std::optional<double> TryParseDouble(std::string_view text)
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
        return std::nullopt;

    double value = 0;
    const auto result = std::from_chars(
        body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != body.data() + body.size()
        || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double ParseDouble(std::string_view text)
{
    const std::optional<double> value = TryParseDouble(text);
    if (!value)
        throw ConversionError(std::string(text));
    return *value;
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
