#pragma once

// Prediction uncertainty from sampled parameter sets: a Latin hypercube of the varied parameters
// (McKay, Beckman and Conover 1979), the 95 % prediction uncertainty band of every series, and
// its p-factor and r-factor against the measurements (Abbaspour et al. 2007).

#include "analysis/observations.h"
#include "analysis/parameter_space.h"
#include "analysis/run_many.h"
#include "model/model_parameters.h"
#include "model/output_series.h"
#include "simulation/simulation_run.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace carexa {

struct UncertaintyOptions
{
    int samples = 200; ///< parameter sets, 2 to 100000
    std::uint64_t seed = kDefaultAnalysisSeed;
    int threads = 0; ///< 0: every core
};

inline constexpr int kMinSamples = 2;
inline constexpr int kMaxSamples = 100000;

/// The most memory the series of all samples may take (8 bytes x samples x 11 x days): the
/// percentiles are exact, so every sample's numbers are kept until the band is computed.
inline constexpr std::size_t kSampleStoreLimitBytes = std::size_t {1} << 30;

/// Everything an uncertainty analysis reads: a copy of the project's run input, which parameters
/// vary and over which range (each must be one a run in the input's climate keeps, see
/// CheckRanges; the others keep the input's values), the options, and the measured values the
/// band is held against.
struct UncertaintyInput
{
    RunInput run;
    std::array<ParameterRange, kParameterCount> ranges {};
    std::array<bool, kParameterCount> varied {};
    UncertaintyOptions options;
    ObservedSeries observed;
};

/// The Latin hypercube of the sixteen parameters: LatinHypercube(samples, 16, seed) of
/// analysis/sampling.h, design[sample][parameter] in record order. Parameter i draws from
/// TaskGenerator(seed, i) alone, so leaving one parameter out changes nothing for the others.
std::vector<std::array<double, kParameterCount>> LatinHypercube(int samples, std::uint64_t seed);

/// The value at `fraction` (0 to 1) of sorted values, by linear interpolation between order
/// statistics: h = (n - 1) fraction, x[floor h] + (h - floor h) (x[floor h + 1] - x[floor h])
/// (0-based). `sorted` must not be empty.
double Percentile(std::span<const double> sorted, double fraction);

/// The 2.5th, 50th and 97.5th percentiles of a series over the samples, one value per day.
struct PredictionBand
{
    std::vector<double> lower;
    std::vector<double> median;
    std::vector<double> upper;
};

/// How a band holds the measurements of its series (only measured days within the band's days
/// count). Not a number where undefined: both without a measurement, the r-factor with fewer
/// than two or with measurements that do not vary.
struct BandFit
{
    int observed = 0; ///< measured days
    /// The share of the measured days whose value lies inside the band, ends included.
    double pFactor = 0;
    /// The mean width of the band over the measured days divided by the standard deviation of
    /// the measured values (n - 1 in its denominator).
    double rFactor = 0;
};

/// The p-factor and r-factor of a band against the measured values of its series.
BandFit FitOfBand(const PredictionBand &band, const std::vector<Observation> &observed);

/// What an uncertainty analysis computed.
struct UncertaintyResult
{
    int days = 0;
    std::array<PredictionBand, kSeriesCount> bands; ///< in data sheet order
    std::array<BandFit, kSeriesCount> fit {};
    int runsUsed = 0;
    int runsFailed = 0; ///< runs that stopped on non-finite values, left out of the bands
    bool cancelled = false; ///< stopped by the progress callback; then nothing else is filled in
    std::string failure; ///< the message of the first run (in sample order) that stopped
};

/// Refuses (Error) options outside their ranges, ranges a run would not keep, an analysis that
/// varies no parameter, and one whose sample store would pass kSampleStoreLimitBytes.
void CheckUncertaintyInput(const UncertaintyInput &input);

/// Simulates every sample of the Latin hypercube on the option's threads, the varied parameters
/// at ValueAt(range, design value), and makes the band of every series and day. The result
/// depends on the input and the seed only, never on the number of threads. Runs that stop on
/// non-finite values are left out and counted; refuses (Error) when every run stopped, besides
/// what CheckUncertaintyInput and CheckRunInput refuse.
UncertaintyResult RunUncertainty(
    const UncertaintyInput &input, const AnalysisProgress &progress = {});

/// The bands as CSV: "Day", then for every series in data sheet order "<heading> p2.5,<heading>
/// p50,<heading> p97.5"; one line per day; numbers in their shortest exact form.
std::string BandsCsv(const UncertaintyResult &result);

/// The report as CSV: "series,n_observed,p_factor,r_factor,runs_used,runs_failed", one line per
/// series in data sheet order; an undefined factor is left empty.
std::string UncertaintyReportCsv(const UncertaintyResult &result);

} // namespace carexa
