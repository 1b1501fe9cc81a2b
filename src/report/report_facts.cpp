#include "report/report_facts.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace carexa {

namespace {

constexpr int kPeriods = 12;
constexpr int kBlockDays = 30;
constexpr int kYearDays = 365;
constexpr std::array<const char *, kPeriods> kMonthNames {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string BlockLabel(int period)
{
    const int first = period * kBlockDays + 1;
    const int last = period == kPeriods - 1 ? kYearDays : first + kBlockDays - 1;
    return "Days " + std::to_string(first) + "-" + std::to_string(last);
}

} // namespace

std::optional<std::array<int, 3>> ParseStartDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    std::array<int, 3> parts {};
    const std::array<std::pair<std::size_t, std::size_t>, 3> places {{{0, 4}, {5, 2}, {8, 2}}};
    for (std::size_t i = 0; i < places.size(); ++i) {
        const char *first = text.data() + places[i].first;
        const char *last = first + places[i].second;
        if (!std::all_of(first, last, [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        std::from_chars(first, last, parts[i]);
    }
    const std::chrono::year_month_day date {std::chrono::year(parts[0]),
        std::chrono::month(static_cast<unsigned>(parts[1])),
        std::chrono::day(static_cast<unsigned>(parts[2]))};
    if (!date.ok())
        return std::nullopt;
    return parts;
}

int PeriodOfDay(int day, const std::optional<std::array<int, 3>> &start)
{
    if (start) {
        using namespace std::chrono;
        const sys_days first = year_month_day {year((*start)[0]),
            month(static_cast<unsigned>((*start)[1])), std::chrono::day(static_cast<unsigned>((*start)[2]))};
        const year_month_day date {first + days(day - 1)};
        return static_cast<int>(static_cast<unsigned>(date.month())) - 1;
    }
    const int dayOfYear = (day - 1) % kYearDays;
    return std::min(dayOfYear / kBlockDays, kPeriods - 1);
}

PeriodTable PeriodMeans(const std::vector<std::vector<double>> &series,
    const std::optional<std::array<int, 3>> &start)
{
    PeriodTable table;
    const int days = series.empty() ? 0 : static_cast<int>(series.front().size());
    std::array<int, kPeriods> count {};
    std::array<int, kPeriods> firstDay {};
    std::vector<std::array<double, kPeriods>> sums(series.size(), std::array<double, kPeriods> {});
    for (int d = 1; d <= days; ++d) {
        const auto p = static_cast<std::size_t>(PeriodOfDay(d, start));
        if (count[p]++ == 0)
            firstDay[p] = d;
        for (std::size_t s = 0; s < series.size(); ++s)
            sums[s][p] += series[s][static_cast<std::size_t>(d - 1)];
    }
    std::vector<int> order;
    for (int p = 0; p < kPeriods; ++p) {
        if (count[static_cast<std::size_t>(p)] > 0)
            order.push_back(p);
    }
    std::sort(order.begin(), order.end(), [&firstDay](int a, int b) {
        return firstDay[static_cast<std::size_t>(a)] < firstDay[static_cast<std::size_t>(b)];
    });
    for (int p : order) {
        const auto i = static_cast<std::size_t>(p);
        table.labels.push_back(start ? kMonthNames[i] : BlockLabel(p));
        table.dayCounts.push_back(count[i]);
        std::vector<double> means;
        for (const auto &sum : sums)
            means.push_back(sum[i] / count[i]);
        table.means.push_back(std::move(means));
    }
    // A row holds days of more than one year once the days wrap around the year.
    table.yearsAveraged = days > (start ? 366 : kYearDays);
    return table;
}

std::optional<double> Rsr(const FitStatistics &fit)
{
    if (!fit.nse)
        return std::nullopt;
    return std::sqrt(std::max(0.0, 1.0 - *fit.nse));
}

std::optional<FitRating> RateRsr(std::optional<double> rsr)
{
    if (!rsr)
        return std::nullopt;
    if (*rsr <= 0.5)
        return FitRating::VeryGood;
    if (*rsr <= 0.6)
        return FitRating::Good;
    if (*rsr <= 0.7)
        return FitRating::Satisfactory;
    return FitRating::Unsatisfactory;
}

std::string ReportNumber(std::optional<double> value, int decimals)
{
    if (!value || !std::isfinite(*value))
        return "n/a";
    std::array<char, 64> text {};
    std::snprintf(text.data(), text.size(), "%.*f", decimals, *value);
    std::string result = text.data();
    if (result.find_first_not_of("-0.") == std::string::npos && result.front() == '-')
        result.erase(0, 1); // no "-0.00"
    return result;
}

std::string SignificantNumber(double value)
{
    if (!std::isfinite(value))
        return "n/a";
    std::array<char, 64> text {};
    std::snprintf(text.data(), text.size(), "%.4g", value);
    return text.data();
}

std::string_view ParameterUnit(Parameter parameter)
{
    switch (parameter) {
    case Parameter::AC:
    case Parameter::NC:
    case Parameter::OC:
    case Parameter::DC:
    case Parameter::PA:
    case Parameter::PN:
    case Parameter::PP:
        return "1 / 24h";
    case Parameter::KO:
    case Parameter::OO:
    case Parameter::MA:
    case Parameter::MN:
        return "mg / l";
    default:
        return "-";
    }
}

bool IsEmptyValue(double value)
{
    return value == kEmptyValue;
}

} // namespace carexa
