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

std::string FormatGeneral(double value)
{
    std::array<char, kNumberTextCapacity> buffer {};
    return std::string(buffer.data(), WriteGeneral(buffer.data(), value));
}

char *WriteFileDouble(char *out, double value)
{
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
