#pragma once

// The probability that the bed meets its permit: for each target (a series, a limit and the
// statistic the permit applies), the weighted share of an ensemble's runs whose statistic meets
// the limit, with a Wilson interval from the effective number of runs and the percentiles of the
// statistic over the runs.

#include "analysis/ensemble.h"
#include "analysis/run_many.h"
#include "simulation/simulation_run.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace carexa {

/// Said wherever the probabilities are shown.
inline constexpr std::string_view kComplianceScope
    = "The probabilities cover the uncertainty of the parameters only, not that of the forcing "
      "data or of the model's form.";

/// The ensemble's size when it is a plain Latin hypercube (the window's and carexa-sim's).
inline constexpr int kDefaultComplianceSamples = 500;

/// What a permit limits. The outflow series (data sheet columns 1 to 5) take every statistic
/// but RemovalMonthly, the efficiencies (columns 6 to 11) only that one.
enum class PermitStatistic {
    Max, ///< the highest daily value
    Mean, ///< the mean of the days
    AnnualMean, ///< the highest mean of a 365-day period
    MonthlyMean, ///< the highest mean of a calendar month, or of a 30-day block
    WeeklyMean, ///< the highest mean of a calendar week (Monday to Sunday), or of a 7-day block
    P95, ///< the 95th percentile of the days (h = (n - 1) 0.95)
    ExceedDays, ///< the most days above the limit in a 365-day period
    RemovalMonthly, ///< the lowest mean efficiency (%) of a calendar month, or of a 30-day block
};

/// A permit target of one series.
struct PermitTarget
{
    int series = 0; ///< data sheet column index, 0 ("BOD5 out") to 10
    double limit = 0;
    PermitStatistic statistic = PermitStatistic::Mean;
    int allowedDays = 0; ///< K of exceed-days:K

    friend bool operator==(const PermitTarget &, const PermitTarget &) = default;
};

/// The most days a year exceed-days may allow.
inline constexpr int kMaxAllowedDays = 365;

/// Reads "SERIES:LIMIT:STATISTIC" (SERIES 1 to 11 as the data sheet's columns; STATISTIC max,
/// mean, annual-mean, monthly-mean, weekly-mean, p95, exceed-days:K or removal-monthly).
/// Refuses (Error, quoting at most a short, escaped piece of the text) anything else, a limit
/// that is not a number, a concentration limit below 0, a removal limit outside 0 to 100, K
/// outside 0 to 365, and a statistic the series does not take.
PermitTarget ParseTarget(std::string_view text);

/// The statistic as a target names it: "max", ..., "exceed-days:3", "removal-monthly".
std::string StatisticText(const PermitTarget &target);

/// Whether a statistic meets the target: at most the limit, for removal at least the limit.
bool Meets(const PermitTarget &target, double statistic);

/// Reads a date "YYYY-MM-DD"; nothing when the text is not one.
std::optional<std::chrono::year_month_day> ParseIsoDate(std::string_view text);

/// The periods of a statistic, as [first, last) indices into the days left after the warm-up,
/// `count` days whose first is day `firstDay` of the run (1-based): calendar months or weeks
/// when `start` (the date of day 1) is given, else blocks of 30 or 7 days from the first day;
/// 365-day blocks for AnnualMean and ExceedDays always. A period that is not whole counts when it
/// holds at least two thirds of its length (of its month, for a calendar month). Max, Mean and
/// P95 have one period: every day.
std::vector<std::pair<std::size_t, std::size_t>> PermitPeriods(PermitStatistic statistic,
    std::size_t count, int firstDay, std::optional<std::chrono::year_month_day> start);

/// The statistic of a target over `values`, the days left after the warm-up (the first of them
/// day `firstDay` of the run); not a number when no period counts.
double PermitStatisticOf(const PermitTarget &target, std::span<const double> values, int firstDay,
    std::optional<std::chrono::year_month_day> start);

/// The warm-up a run of `run` leaves out by default: its largest RTB in whole days (the days
/// whose outflow is still the initial water), at least 1.
int DefaultWarmUp(const RunInput &run);

/// Wilson's score interval at 95 % for a share `p` of `n` runs (n may be fractional: the
/// effective number of runs); nothing but (NaN, NaN) for n not above 0.
std::pair<double, double> WilsonInterval(double p, double n);

/// Everything a compliance analysis reads.
struct ComplianceInput
{
    RunInput run;
    Ensemble ensemble; ///< conditioned, or PlainEnsemble
    std::vector<PermitTarget> targets;
    std::optional<int> warmUp; ///< days left out at the start; DefaultWarmUp when not given
    std::optional<std::chrono::year_month_day> startDate; ///< the date of day 1
    int threads = 0; ///< 0: every core
};

/// The outcome of one target.
struct TargetOutcome
{
    PermitTarget target;
    double probability = 0; ///< the weighted share of the runs that meet the target
    double probabilityLow = 0; ///< Wilson's 95 % interval, from the effective number of runs
    double probabilityHigh = 0;
    double statisticLow = 0; ///< the weighted 2.5th percentile of the statistic over the runs
    double statisticMedian = 0;
    double statisticHigh = 0; ///< 97.5th
};

/// What a compliance analysis computed.
struct ComplianceResult
{
    std::vector<TargetOutcome> outcomes; ///< in the order of the targets
    bool conditioned = false; ///< the ensemble's
    int warmUp = 0; ///< days left out
    int runsUsed = 0; ///< runs that went to their end
    int runsFailed = 0; ///< runs that stopped on non-finite values, left out
    double effectiveRuns = 0; ///< of the weights of the runs used
    bool cancelled = false; ///< stopped by the progress callback; then nothing else is filled in
    std::string failure; ///< the message of the first run (in run order) that stopped
};

/// Refuses (Error) an ensemble without runs or with weights not above 0, no target, a target of
/// a series outside 0 to 10 or a statistic the series does not take, a warm-up below 0 or
/// leaving no day, a target none of whose periods counts after the warm-up, and what
/// CheckRunInput refuses.
void CheckComplianceInput(const ComplianceInput &input);

/// Simulates every run of the ensemble on the input's threads and works out each target. The
/// result depends on the input only, never on the number of threads. Refuses (Error) what
/// CheckComplianceInput refuses and an ensemble whose every run stops.
ComplianceResult RunCompliance(const ComplianceInput &input, const AnalysisProgress &progress = {});

/// "series,limit,statistic,probability_met,probability_lo,probability_hi,statistic_p2_5,
/// statistic_p50,statistic_p97_5,runs_used,ensemble": one line per target, the series named by
/// its heading, ensemble "conditioned" or "unconditioned".
std::string ComplianceCsv(const ComplianceResult &result);

} // namespace carexa
