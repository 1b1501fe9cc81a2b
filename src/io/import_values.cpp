// Numbers, day numbers and dates in the cells of an imported file.

#include "io/import_detail.h"
#include "model/error.h"
#include "model/number_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace carexa {

namespace import_detail {

bool ParseNumber(std::string_view text, DecimalMark mark, std::string &scratch, double &value)
{
    if (mark == DecimalMark::Comma) {
        if (text.find('.') != std::string_view::npos)
            return false;
        scratch.assign(text);
        std::replace(scratch.begin(), scratch.end(), ',', '.');
        text = scratch;
    }
    const std::optional<double> number = TryParseDouble(text);
    if (!number)
        return false;
    value = *number;
    return true;
}

bool IsNumber(std::string_view text)
{
    std::string scratch;
    double value = 0;
    return ParseNumber(text, DecimalMark::Point, scratch, value)
        || ParseNumber(text, DecimalMark::Comma, scratch, value);
}

// A whole day number from 1; 0 when the text is none.
std::int64_t ParseDayNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t day = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), day);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()
        || day < 1)
        return 0;
    return day;
}

std::string CellLabel(std::int64_t line, std::size_t column, std::string_view heading)
{
    std::string label = "Line " + std::to_string(line) + ", column " + std::to_string(column + 1);
    if (!heading.empty())
        label += " (" + QuotedText(heading) + ")";
    return label;
}

std::size_t UsedFields(const CsvTable &table, std::size_t row)
{
    std::size_t count = table.fieldCount(row);
    while (count > 0 && table.field(row, count - 1).empty())
        --count;
    return count;
}

} // namespace import_detail

namespace {

bool IsLeapYear(std::int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The days of a month, or 0 for a month number that is none.
int DaysInMonth(std::int64_t year, std::int64_t month)
{
    static constexpr std::array<int, 12> kDays {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = static_cast<unsigned>((153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Reads up to `most` digits at `pos`; the count read goes to `count`.
std::int64_t ReadDigits(
    std::string_view text, std::size_t &pos, std::size_t most, std::size_t &count)
{
    std::int64_t value = 0;
    count = 0;
    while (
        pos < text.size() && count < most && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return value;
}

} // namespace

std::optional<std::int64_t> ParseDate(std::string_view text, bool monthFirst)
{
    std::size_t pos = 0;
    std::size_t n1 = 0, n2 = 0, n3 = 0;
    const std::int64_t a = ReadDigits(text, pos, 4, n1);
    if (n1 == 0 || pos >= text.size())
        return std::nullopt;
    const char separator = text[pos++];
    const std::int64_t b = ReadDigits(text, pos, 2, n2);
    if (n2 == 0 || pos >= text.size() || text[pos++] != separator)
        return std::nullopt;
    const std::int64_t c = ReadDigits(text, pos, 4, n3);
    if (n3 == 0)
        return std::nullopt;
    // A time of day may follow; it is not read.
    if (pos < text.size()) {
        if ((text[pos] != ' ' && text[pos] != 'T') || pos + 1 >= text.size()
            || !std::isdigit(static_cast<unsigned char>(text[pos + 1])))
            return std::nullopt;
    }

    std::int64_t year = 0, month = 0, day = 0;
    if (n1 == 4 && n3 <= 2 && (separator == '-' || separator == '/')) {
        year = a, month = b, day = c;
    } else if (n1 <= 2 && n3 == 4 && separator == '.') {
        day = a, month = b, year = c;
    } else if (n1 <= 2 && n3 == 4 && (separator == '/' || separator == '-')) {
        if (monthFirst)
            month = a, day = b;
        else
            day = a, month = b;
        year = c;
    } else {
        return std::nullopt;
    }
    if (year < 1000 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return DaysFromCivil(year, static_cast<int>(month), static_cast<int>(day));
}

} // namespace carexa
