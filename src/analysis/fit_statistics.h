#pragma once

#include "analysis/observations.h"
#include "model/output_series.h"
#include "results/data_sheet.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace carexa {

/// How well a simulated series follows its observed values. Every statistic is a finite number,
/// or nothing ("n/a") where it cannot be computed from the pairs:
/// - the means, RMSE and MAE need at least one pair;
/// - PBIAS needs a sum of the observed values other than 0;
/// - NSE needs at least 2 pairs whose observed values are not all equal;
/// - R2 and KGE need at least 2 pairs in which neither the observed nor the simulated values are
///   all equal, and KGE also a mean observed value other than 0.
/// A value that would not be finite (numbers too large for the sums) is nothing as well.
struct FitStatistics
{
    int n = 0; ///< pairs
    std::optional<double> meanObserved;
    std::optional<double> meanSimulated;
    std::optional<double> rmse; ///< sqrt(sum((s - o)^2) / n)
    std::optional<double> mae; ///< sum(|s - o|) / n
    std::optional<double> pbias; ///< 100 * sum(o - s) / sum(o): positive when the model is low
    std::optional<double> nse; ///< Nash-Sutcliffe efficiency
    std::optional<double> kge; ///< Kling-Gupta efficiency
    std::optional<double> r2; ///< the square of Pearson's r

    friend bool operator==(const FitStatistics &, const FitStatistics &) = default;
};

/// The statistics of the pairs (observed[i], simulated[i]); both spans have the same length.
FitStatistics ComputeFitStatistics(
    std::span<const double> observed, std::span<const double> simulated);

/// The statistics of the eleven series, in column order.
using FitTable = std::array<FitStatistics, kSeriesCount>;

/// The fit of a run's series to the measured values: for each series the pairs are its measured
/// days (MeasuredValues) and the data sheet's value of that day as the run leaves it
/// (RunSheetValue of the unrounded series value). Days beyond the series are left out.
FitTable SeriesFit(const ObservedSeries &observed, const SeriesValues &series);

/// The usual judgement of a fit for nutrients (Moriasi et al. 2007).
enum class FitRating { VeryGood, Good, Satisfactory, Unsatisfactory };

/// NSE above 0.75 very good, above 0.65 good, above 0.50 satisfactory, else unsatisfactory;
/// nothing without an NSE.
std::optional<FitRating> RateNse(std::optional<double> nse);
/// |PBIAS| below 25 very good, below 40 good, below 70 satisfactory, else unsatisfactory;
/// nothing without a PBIAS.
std::optional<FitRating> RatePbias(std::optional<double> pbias);

/// "very good", "good", "satisfactory" or "unsatisfactory".
std::string_view RatingText(FitRating rating);

/// The thresholds of the ratings, as the window's hint states them.
inline constexpr std::string_view kRatingThresholds
    = "Ratings for nutrients (Moriasi et al. 2007):\n"
      "NSE above 0.75 very good, above 0.65 good, above 0.50 satisfactory, else unsatisfactory.\n"
      "|PBIAS| below 25 % very good, below 40 % good, below 70 % satisfactory, else "
      "unsatisfactory.\n"
      "PBIAS is positive when the model underestimates.";

/// The heading line of the fit CSV.
inline constexpr std::string_view kFitCsvHeader
    = "series,n,mean_observed,mean_simulated,rmse,mae,pbias,nse,kge,r2";

/// The fit CSV: the heading line, then one line per series named by its data sheet heading,
/// numbers in their shortest round-trip form and "n/a" where a statistic cannot be computed.
std::string FitCsv(const FitTable &table);

/// Appends the shortest text that reads back as exactly `value` ("0.1", "1e-08", "-3.25").
void AppendShortest(std::string &text, double value);

} // namespace carexa
