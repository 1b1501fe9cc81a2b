#pragma once

// Variance-based sensitivity: Sobol' first-order and total indices of every varied parameter on
// every series, by the estimators of Saltelli et al. (2010, their Table 2) on a Sobol'
// low-discrepancy sample, with bootstrap intervals.
//
// The sample: the first N points of a 2k-dimensional Sobol' sequence (Boost.Random's sobol,
// which starts after the sequence's all-zero point, so that point is left out); A holds their
// first k coordinates, B the last k, and A_B^(i) is A with its column i taken from B. The model
// runs every row of A, B and each A_B^(i): N (k + 2) runs. With f the output of a row and V the
// variance of f(A) and f(B) together (2N - 1 in its denominator),
//   S1_i = (1/N) sum_j f(B)_j (f(A_B^(i))_j - f(A)_j) / V,
//   ST_i = (1/(2N)) sum_j (f(A)_j - f(A_B^(i))_j)^2 / V,
// with the outputs taken from the mean of f(A) and f(B) together: the indices do not change when a
// constant is added to the output, and so their estimates vary less. A parameter without effect
// gives f(A_B^(i)) = f(A) row by row, so exactly 0 for both. Where V = 0 the indices are not
// numbers ("n/a"). The 95 % intervals are the 2.5th and 97.5th percentiles over bootstrap
// resamples of the row indices, each resample used for A, B and every A_B^(i) alike.

#include "analysis/parameter_space.h"
#include "analysis/run_many.h"
#include "model/model_parameters.h"
#include "model/output_series.h"
#include "simulation/simulation_run.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace carexa {

/// The defaults the window and carexa-sim share.
struct SobolOptions
{
    int baseSamples = 1024; ///< N, a power of two
    int resamples = 1000; ///< bootstrap resamples of the row indices
    std::uint64_t seed = kDefaultAnalysisSeed; ///< of the resamples (the sample itself is fixed)
    int threads = 0; ///< 0: every core
};

inline constexpr int kMinSobolSamples = 8;
inline constexpr int kMaxSobolSamples = 65536;
inline constexpr int kMinResamples = 100;
inline constexpr int kMaxResamples = 100000;

/// The rows of A and B: row j of A is a[j * k ... j * k + k - 1], of B likewise b.
struct SobolDesign
{
    std::size_t n = 0;
    std::size_t k = 0;
    std::vector<double> a;
    std::vector<double> b;

    /// The k unit coordinates of row `row` of matrix `matrix`: 0 A, 1 B, 2 + i A_B^(i).
    std::vector<double> point(std::size_t matrix, std::size_t row) const;
};

/// The design of N rows for k parameters.
SobolDesign MakeSobolDesign(std::size_t n, std::size_t k);

/// The outputs of one quantity on every row: a[j] = f(A)_j, b[j] = f(B)_j, ab[i][j] =
/// f(A_B^(i))_j.
struct SobolOutputs
{
    std::vector<double> a;
    std::vector<double> b;
    std::vector<std::vector<double>> ab;
};

/// The indices of one parameter on one quantity, with their 95 % bootstrap intervals; not numbers
/// where V = 0.
struct SobolIndex
{
    double s1 = 0;
    double s1Low = 0;
    double s1High = 0;
    double st = 0;
    double stLow = 0;
    double stHigh = 0;
};

/// The indices of every parameter (outer) on every quantity (inner, in the order of `outputs`),
/// the rows resampled `resamples` times with replacement, resample r drawn from
/// TaskGenerator(seed, r) alone and shared by every quantity, on `threads` workers (the result
/// does not depend on their number).
std::vector<std::vector<SobolIndex>> SobolIndices(
    const std::vector<SobolOutputs> &outputs, int resamples, std::uint64_t seed, int threads = 1);

/// Everything a Sobol' analysis reads: a copy of the project's run input, the parameters varied
/// and their ranges (each one a run in the input's climate keeps; the others keep the input's
/// values), the options.
struct SobolInput
{
    RunInput run;
    std::array<ParameterRange, kParameterCount> ranges {};
    std::array<bool, kParameterCount> varied {};
    SobolOptions options;
};

/// What a Sobol' analysis computed.
struct SobolResult
{
    std::vector<Parameter> parameters; ///< the varied ones, in record order
    /// indices[parameter][series], parameters as above, series in data sheet order; the output
    /// is each series' mean over the simulated days (SeriesMeans).
    std::vector<std::array<SobolIndex, kSeriesCount>> indices;
    int baseSamples = 0; ///< N
    int rowsUsed = 0; ///< rows whose every run went to its end
    int rowsFailed = 0; ///< rows left out whole because a run stopped on non-finite values
    int runs = 0; ///< runs that went to their end
    bool cancelled = false; ///< stopped by the progress callback; then nothing else is filled in
    std::string failure; ///< the message of the first run (in run order) that stopped
};

/// Refuses (Error) a base sample that is not a power of two from kMinSobolSamples to
/// kMaxSobolSamples, resamples outside their range, negative threads, no parameter varied,
/// ranges a run would not keep, and what CheckRunInput refuses.
void CheckSobolInput(const SobolInput &input);

/// Runs the N (k + 2) rows on the option's threads and estimates the indices. The result depends
/// on the input and the seed only, never on the number of threads. Refuses (Error) what
/// CheckSobolInput refuses and an analysis in which every row has a run that stops.
SobolResult RunSobol(const SobolInput &input, const AnalysisProgress &progress = {});

/// "parameter,series,s1,s1_lo,s1_hi,st,st_lo,st_hi": one line per varied parameter and series
/// (parameters in record order, the series of each in data sheet order, named by their
/// headings); "n/a" where V = 0.
std::string SobolCsv(const SobolResult &result);

} // namespace carexa
