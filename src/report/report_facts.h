#pragma once

#include "analysis/fit_statistics.h"
#include "model/day_values.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// Means of several day series by period of the year. Up to a year of days: one row per month
/// (calendar month from the start date when one is known, else 30-day blocks, the last block of
/// a 365-day year taking its five extra days); longer projects keep those twelve rows and
/// average every year's days into them, so a century still gives twelve rows.
struct PeriodTable
{
    std::vector<std::string> labels; ///< "Jan", ... or "Days 1-30", ... (only rows with days)
    std::vector<int> dayCounts; ///< days averaged into each row
    std::vector<std::vector<double>> means; ///< per row, one mean per series given
    bool yearsAveraged = false; ///< more than one year's days share a row
};

/// The period (0..11) of day `day` (1-based): its calendar month when `start` holds the date of
/// day 1 as year, month and day, else its 30-day block of the 365-day year.
int PeriodOfDay(int day, const std::optional<std::array<int, 3>> &start);

/// "2024-03-01" as year, month and day; nothing for any other text or an impossible date.
std::optional<std::array<int, 3>> ParseStartDate(std::string_view text);

/// The period table of `series` (each a value per day 1..days, all of the same length).
PeriodTable PeriodMeans(const std::vector<std::vector<double>> &series,
    const std::optional<std::array<int, 3>> &start);

/// RSR, the RMSE over the standard deviation of the observations (Moriasi et al. 2007), which is
/// sqrt(1 - NSE) for the same pairs; nothing without an NSE.
std::optional<double> Rsr(const FitStatistics &fit);
/// RSR up to 0.50 very good, up to 0.60 good, up to 0.70 satisfactory, else unsatisfactory.
std::optional<FitRating> RateRsr(std::optional<double> rsr);

/// A number for a report table with `decimals` decimals ("12.35"), "n/a" for nothing.
std::string ReportNumber(std::optional<double> value, int decimals);
/// A number with four significant digits in plain notation where sensible ("0.0125", "1234",
/// "1.235e+06").
std::string SignificantNumber(double value);

/// The unit of a parameter as the report prints it ("1 / 24h", "mg / l" or "-").
std::string_view ParameterUnit(Parameter parameter);

/// Whether a value holds nothing entered (the 0.0001 every empty field has).
bool IsEmptyValue(double value);

} // namespace carexa
