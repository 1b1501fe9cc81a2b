#include "analysis/compliance.h"

#include "analysis/uncertainty.h"
#include "analysis/weighted_percentile.h"
#include "model/error.h"
#include "model/output_series.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace carexa {

namespace {

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();
constexpr int kOutflowSeries = 5; // columns 1 to 5; the rest are efficiencies
constexpr std::array<double, 3> kStatisticFractions {0.025, 0.5, 0.975};
// The normal quantile of 97.5 %.
constexpr double kZ = 1.959963984540054;

struct StatisticName
{
    PermitStatistic statistic;
    std::string_view name;
};

constexpr std::array<StatisticName, 8> kNames {{{PermitStatistic::Max, "max"},
    {PermitStatistic::Mean, "mean"}, {PermitStatistic::AnnualMean, "annual-mean"},
    {PermitStatistic::MonthlyMean, "monthly-mean"}, {PermitStatistic::WeeklyMean, "weekly-mean"},
    {PermitStatistic::P95, "p95"}, {PermitStatistic::ExceedDays, "exceed-days"},
    {PermitStatistic::RemovalMonthly, "removal-monthly"}}};

std::string Quote(std::string_view text)
{
    std::string quoted(1, '"');
    quoted += QuotedText(text);
    quoted += '"';
    return quoted;
}

bool WholeNumber(std::string_view text, int &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

bool Number(std::string_view text, double &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size()
        && std::isfinite(value);
}

std::string SeriesName(int series)
{
    std::string name(1, '"');
    name += kSeriesHeadings[static_cast<std::size_t>(series)];
    name += '"';
    return name;
}

// Refuses a statistic the series does not take and a limit outside what it can mean.
void CheckTarget(const PermitTarget &target)
{
    if (target.series < 0 || target.series >= kSeriesCount)
        throw Error("A permit target names a series from 1 to 11.");
    const bool removal = target.statistic == PermitStatistic::RemovalMonthly;
    if (removal && target.series < kOutflowSeries)
        throw Error("removal-monthly applies to the removal efficiencies (series 6 to 11), not to "
            + SeriesName(target.series) + ".");
    if (!removal && target.series >= kOutflowSeries)
        throw Error("The removal efficiency " + SeriesName(target.series)
            + " takes the statistic removal-monthly only.");
    if (!std::isfinite(target.limit) || target.limit < 0 || (removal && target.limit > 100))
        throw Error(removal ? "A removal limit is a percentage from 0 to 100."
                            : "A concentration limit is a number of 0 or more.");
    if (target.statistic == PermitStatistic::ExceedDays
        && (target.allowedDays < 0 || target.allowedDays > kMaxAllowedDays))
        throw Error("exceed-days allows from 0 to 365 days a year.");
}

std::size_t BlockLength(PermitStatistic statistic)
{
    switch (statistic) {
    case PermitStatistic::AnnualMean:
    case PermitStatistic::ExceedDays:
        return 365;
    case PermitStatistic::MonthlyMean:
    case PermitStatistic::RemovalMonthly:
        return 30;
    case PermitStatistic::WeeklyMean:
        return 7;
    default:
        return 0;
    }
}

// A period counts when it holds at least two thirds of its length.
bool Counts(std::size_t held, std::size_t length)
{
    return 3 * held >= 2 * length;
}

int DaysInMonth(const year_month_day &date)
{
    const sys_days first = sys_days(date.year() / date.month() / day(1));
    const sys_days next = sys_days((date.year() / date.month() + std::chrono::months(1)) / day(1));
    return static_cast<int>((next - first).count());
}

} // namespace

PermitTarget ParseTarget(std::string_view text)
{
    const std::string usage = " is not a permit target SERIES:LIMIT:STATISTIC (such as 1:25:mean).";
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos)
        throw Error(Quote(text) + usage);
    PermitTarget target;
    int column = 0;
    if (!WholeNumber(text.substr(0, first), column) || column < 1 || column > kSeriesCount)
        throw Error(Quote(text) + ": the series is a data sheet column from 1 to 11.");
    target.series = column - 1;
    if (!Number(text.substr(first + 1, second - first - 1), target.limit))
        throw Error(Quote(text) + ": the limit is not a number.");
    std::string_view statistic = text.substr(second + 1);
    bool known = false;
    if (statistic.substr(0, 12) == "exceed-days:") {
        target.statistic = PermitStatistic::ExceedDays;
        if (!WholeNumber(statistic.substr(12), target.allowedDays))
            throw Error(Quote(text) + ": exceed-days:K takes a whole number K of days.");
        known = true;
    } else {
        for (const StatisticName &name : kNames) {
            if (name.name == statistic && name.statistic != PermitStatistic::ExceedDays) {
                target.statistic = name.statistic;
                known = true;
            }
        }
    }
    if (!known)
        throw Error(Quote(text)
            + ": the statistic is one of max, mean, annual-mean, monthly-mean, "
              "weekly-mean, p95, exceed-days:K and removal-monthly.");
    CheckTarget(target);
    return target;
}

std::string StatisticText(const PermitTarget &target)
{
    for (const StatisticName &name : kNames) {
        if (name.statistic == target.statistic) {
            std::string text(name.name);
            if (target.statistic == PermitStatistic::ExceedDays) {
                text += ':';
                text += std::to_string(target.allowedDays);
            }
            return text;
        }
    }
    return {};
}

bool Meets(const PermitTarget &target, double statistic)
{
    switch (target.statistic) {
    case PermitStatistic::RemovalMonthly:
        return statistic >= target.limit;
    case PermitStatistic::ExceedDays:
        return statistic <= target.allowedDays;
    default:
        return statistic <= target.limit;
    }
}

std::optional<year_month_day> ParseIsoDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    int y = 0, m = 0, d = 0;
    if (!WholeNumber(text.substr(0, 4), y) || !WholeNumber(text.substr(5, 2), m)
        || !WholeNumber(text.substr(8, 2), d))
        return std::nullopt;
    const year_month_day date {
        year(y), month(static_cast<unsigned>(m)), day(static_cast<unsigned>(d))};
    if (!date.ok())
        return std::nullopt;
    return date;
}

std::vector<std::pair<std::size_t, std::size_t>> PermitPeriods(
    PermitStatistic statistic, std::size_t count, int firstDay, std::optional<year_month_day> start)
{
    std::vector<std::pair<std::size_t, std::size_t>> periods;
    const std::size_t block = BlockLength(statistic);
    if (block == 0) {
        if (count > 0)
            periods.push_back({0, count});
        return periods;
    }
    const bool calendar = start && (block == 30 || block == 7);
    if (!calendar) {
        for (std::size_t from = 0; from < count; from += block) {
            const std::size_t to = std::min(count, from + block);
            if (Counts(to - from, block))
                periods.push_back({from, to});
        }
        return periods;
    }
    // Calendar periods: the days of one month, or of one week from Monday to Sunday.
    const sys_days dayOne = sys_days(*start) + days(firstDay - 1);
    const auto key = [&](std::size_t index) -> long long {
        const sys_days date = dayOne + days(static_cast<long long>(index));
        if (block == 7) {
            // Days since a Monday (1970-01-05), in whole weeks.
            const long long since = (date - sys_days(year(1970) / 1 / 5)).count();
            return since >= 0 ? since / 7 : -((-since + 6) / 7);
        }
        const year_month_day ymd(date);
        return static_cast<long long>(static_cast<int>(ymd.year())) * 12
            + static_cast<unsigned>(ymd.month());
    };
    std::size_t from = 0;
    while (from < count) {
        std::size_t to = from + 1;
        while (to < count && key(to) == key(from))
            ++to;
        const std::size_t length = block == 7
            ? 7
            : static_cast<std::size_t>(
                DaysInMonth(year_month_day(dayOne + days(static_cast<long long>(from)))));
        if (Counts(to - from, length))
            periods.push_back({from, to});
        from = to;
    }
    return periods;
}

double PermitStatisticOf(const PermitTarget &target, std::span<const double> values, int firstDay,
    std::optional<year_month_day> start)
{
    const auto periods = PermitPeriods(target.statistic, values.size(), firstDay, start);
    if (periods.empty())
        return kUndefined;
    switch (target.statistic) {
    case PermitStatistic::Max:
        return *std::max_element(values.begin(), values.end());
    case PermitStatistic::P95: {
        std::vector<double> sorted(values.begin(), values.end());
        std::sort(sorted.begin(), sorted.end());
        return Percentile(sorted, 0.95);
    }
    case PermitStatistic::ExceedDays: {
        double most = 0;
        for (const auto &[from, to] : periods) {
            const auto above = std::count_if(values.begin() + static_cast<std::ptrdiff_t>(from),
                values.begin() + static_cast<std::ptrdiff_t>(to),
                [&](double v) { return v > target.limit; });
            most = std::max(most, static_cast<double>(above));
        }
        return most;
    }
    default:
        break;
    }
    const bool lowest = target.statistic == PermitStatistic::RemovalMonthly;
    double found = lowest ? std::numeric_limits<double>::infinity()
                          : -std::numeric_limits<double>::infinity();
    for (const auto &[from, to] : periods) {
        double sum = 0;
        for (std::size_t d = from; d < to; ++d)
            sum += values[d];
        const double mean = sum / static_cast<double>(to - from);
        found = lowest ? std::min(found, mean) : std::max(found, mean);
    }
    return found;
}

int DefaultWarmUp(const RunInput &run)
{
    double longest = 0;
    for (const DayValues &d : run.days) {
        const double rtb = d.get(DayField::RTB);
        if (std::isfinite(rtb))
            longest = std::max(longest, rtb);
    }
    return std::max(1, static_cast<int>(std::min(longest, 1e6)));
}

std::pair<double, double> WilsonInterval(double p, double n)
{
    if (!(n > 0))
        return {kUndefined, kUndefined};
    const double z2 = kZ * kZ;
    const double centre = p + z2 / (2 * n);
    const double spread = kZ * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n));
    const double scale = 1 + z2 / n;
    // At a share of 0 or 1 the interval reaches that end exactly.
    return {p <= 0 ? 0.0 : std::clamp((centre - spread) / scale, 0.0, 1.0),
        p >= 1 ? 1.0 : std::clamp((centre + spread) / scale, 0.0, 1.0)};
}

void CheckComplianceInput(const ComplianceInput &input)
{
    CheckRunInput(input.run);
    if (input.ensemble.size() == 0 || input.ensemble.weights.size() != input.ensemble.size())
        throw Error("The probability of meeting the permit needs an ensemble of runs.");
    for (double w : input.ensemble.weights) {
        if (!std::isfinite(w) || !(w > 0))
            throw Error("Every run of the ensemble needs a weight above 0.");
    }
    if (input.targets.empty())
        throw Error("Give at least one permit target.");
    const auto days = static_cast<int>(input.run.days.size());
    const int warmUp = input.warmUp ? *input.warmUp : DefaultWarmUp(input.run);
    if (warmUp < 0)
        throw Error("The warm-up cannot be negative.");
    if (warmUp >= days)
        throw Error("A warm-up of " + std::to_string(warmUp) + " days leaves none of the "
            + std::to_string(days) + " days of the run.");
    for (const PermitTarget &target : input.targets) {
        CheckTarget(target);
        const std::size_t left = static_cast<std::size_t>(days - warmUp);
        if (PermitPeriods(target.statistic, left, warmUp + 1, input.startDate).empty())
            throw Error("The " + std::to_string(left) + " days after the warm-up hold no "
                + (input.startDate && BlockLength(target.statistic) < 365 ? "calendar " : "")
                + "period of " + StatisticText(target) + " with at least two thirds of its days.");
    }
}

ComplianceResult RunCompliance(const ComplianceInput &input, const AnalysisProgress &progress)
{
    CheckComplianceInput(input);
    const std::size_t runs = input.ensemble.size();
    const std::size_t targets = input.targets.size();
    const int warmUp = input.warmUp ? *input.warmUp : DefaultWarmUp(input.run);
    std::vector<double> statistics(runs * targets, kUndefined);
    std::vector<char> failed(runs, 0);
    std::vector<std::string> messages(runs);
    const auto parametersOf = [&](std::size_t index) { return input.ensemble.parameters[index]; };
    const auto keep = [&](std::size_t index, const SeriesRun &run) {
        if (!run.completed) {
            failed[index] = 1;
            messages[index] = run.message;
            return;
        }
        for (std::size_t t = 0; t < targets; ++t) {
            const std::vector<double> &series
                = run.series[static_cast<std::size_t>(input.targets[t].series)];
            const std::span<const double> days(
                series.data() + warmUp, series.size() - static_cast<std::size_t>(warmUp));
            statistics[index * targets + t]
                = PermitStatisticOf(input.targets[t], days, warmUp + 1, input.startDate);
        }
    };
    ComplianceResult result;
    if (RunMany(runs, input.threads, input.run, parametersOf, keep, progress).cancelled) {
        result.cancelled = true;
        return result;
    }
    result.conditioned = input.ensemble.conditioned;
    result.warmUp = warmUp;
    std::vector<std::size_t> used;
    std::vector<double> weights;
    for (std::size_t i = 0; i < runs; ++i) {
        if (failed[i]) {
            if (result.failure.empty())
                result.failure = messages[i];
            continue;
        }
        used.push_back(i);
        weights.push_back(input.ensemble.weights[i]);
    }
    result.runsUsed = static_cast<int>(used.size());
    result.runsFailed = static_cast<int>(runs - used.size());
    if (used.empty())
        throw Error("Every one of the " + std::to_string(runs)
            + " runs stopped on non-finite values, so there is no probability. The first: "
            + result.failure);
    result.effectiveRuns = EffectiveRuns(weights);
    // In units of the largest weight, so that equal weights count runs exactly (47 of 50 is 0.94).
    const double largest = *std::max_element(weights.begin(), weights.end());
    for (double &w : weights)
        w /= largest;
    double total = 0;
    for (double w : weights)
        total += w;
    for (std::size_t t = 0; t < targets; ++t) {
        TargetOutcome outcome;
        outcome.target = input.targets[t];
        double met = 0;
        std::vector<WeightedValue> values;
        for (std::size_t k = 0; k < used.size(); ++k) {
            const double statistic = statistics[used[k] * targets + t];
            if (Meets(outcome.target, statistic))
                met += weights[k];
            values.push_back({statistic, weights[k]});
        }
        outcome.probability = std::clamp(met / total, 0.0, 1.0);
        std::tie(outcome.probabilityLow, outcome.probabilityHigh)
            = WilsonInterval(outcome.probability, result.effectiveRuns);
        const std::vector<double> percentiles = WeightedPercentiles(values, kStatisticFractions);
        outcome.statisticLow = percentiles[0];
        outcome.statisticMedian = percentiles[1];
        outcome.statisticHigh = percentiles[2];
        result.outcomes.push_back(outcome);
    }
    return result;
}

std::string ComplianceCsv(const ComplianceResult &result)
{
    std::string text = "series,limit,statistic,probability_met,probability_lo,probability_hi,"
                       "statistic_p2_5,statistic_p50,statistic_p97_5,runs_used,ensemble\n";
    for (const TargetOutcome &o : result.outcomes) {
        text += kSeriesHeadings[static_cast<std::size_t>(o.target.series)];
        text += ',';
        AppendCsvNumber(text, o.target.limit);
        text += ',';
        text += StatisticText(o.target);
        for (double number : {o.probability, o.probabilityLow, o.probabilityHigh, o.statisticLow,
                 o.statisticMedian, o.statisticHigh}) {
            text += ',';
            AppendCsvNumber(text, number);
        }
        text += ',';
        AppendCsvNumber(text, result.runsUsed);
        text += result.conditioned ? ",conditioned\n" : ",unconditioned\n";
    }
    return text;
}

} // namespace carexa
