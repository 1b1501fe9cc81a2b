#pragma once

// How well the measurements pin down the parameters of a calibration: linear (first-order)
// confidence intervals and the correlation matrix of the fitted parameters, as PEST-style linear
// analysis gives them. The residuals reproduce the calibration's objective, the Jacobian comes
// from central differences, and the covariance s^2 (J^T J)^-1 from a singular value
// decomposition of the Jacobian with its columns scaled to unit length.

#include "analysis/calibration.h"
#include "analysis/run_many.h"
#include "model/model_parameters.h"
#include "results/data_sheet.h"

#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// Said wherever the intervals are shown.
inline constexpr std::string_view kConfidenceAssumption
    = "The intervals assume independent errors; daily residuals are autocorrelated, so the "
      "intervals are too narrow.";

/// The difference step: a hundredth of each parameter's range as the calibration scales it
/// (SearchUnit: logarithmic over two decades or more).
inline constexpr double kDifferenceFraction = 0.01;
/// A parameter whose estimate correlates more strongly than this with another's is undetermined.
inline constexpr double kCorrelationLimit = 0.95;

enum class ConfidenceStatus {
    Determined,
    Undetermined, ///< in the null space of J, an interval wider than the bounds, or |r| > 0.95
    AtBound, ///< within a step of a bound: one-sided difference, left out of the covariance
};

/// "determined", "undetermined" or "at_bound".
std::string_view StatusText(ConfidenceStatus status);

/// One fitted parameter. The numbers are not numbers ("n/a") where they cannot be computed: for
/// a parameter at a bound or in the null space.
struct ParameterInterval
{
    Parameter parameter = Parameter::AC;
    double value = 0;
    double stdError = 0;
    double lower = 0; ///< value - t std error, t of Student at n - p degrees of freedom, 97.5 %
    double upper = 0;
    ConfidenceStatus status = ConfidenceStatus::Determined;
};

/// The intervals and correlations of the fitted parameters.
struct ConfidenceResult
{
    std::vector<ParameterInterval> parameters; ///< the fitted parameters in record order
    /// correlation[i][k] between parameters i and k (their order above); not a number where
    /// either has no standard error, 1 on the diagonal of the others.
    std::vector<std::vector<double>> correlation;
    int residuals = 0; ///< n, the measured days of the fitted series
    int estimated = 0; ///< p, the fitted parameters not at a bound
    double sumOfSquares = 0; ///< of the weighted residuals
    double variance = 0; ///< s^2 = sumOfSquares / (n - p)
    double t = 0; ///< Student's t at n - p degrees of freedom, 97.5 %
    int runs = 0; ///< model runs made
    bool cancelled = false; ///< stopped by the progress callback; then nothing else is filled in
};

/// Where a parameter's difference quotient is taken: (f(plus) - f(minus)) / (plus - minus).
struct DifferenceStep
{
    double minus = 0;
    double plus = 0;
    bool atBound = false; ///< one-sided: the value itself is one end
};

/// The step of a parameter at `value` within [lower, upper], h = fraction (upper - lower): value
/// -/+ h where both lie within, else one-sided inwards (value and value + h, or value - h and
/// value) and at a bound; a range of one value has no step (minus = plus = value) and is at a
/// bound.
DifferenceStep StepOf(
    double value, double lower, double upper, double fraction = kDifferenceFraction);

/// A least-squares problem at its solution: the residuals, the Jacobian (jacobian[row][column],
/// one column a parameter), and for each parameter its value, bounds and whether it is at one.
struct LeastSquaresFit
{
    std::vector<Parameter> parameters;
    std::vector<double> values;
    std::vector<double> lower;
    std::vector<double> upper;
    std::vector<bool> atBound;
    std::vector<double> residuals;
    std::vector<std::vector<double>> jacobian;
};

/// The Jacobian column of a step from the residuals at its two ends.
std::vector<double> DifferenceColumn(const DifferenceStep &step, const std::vector<double> &atMinus,
    const std::vector<double> &atPlus);

/// The linear statistics of a fit: p the parameters not at a bound; s^2 = sum r^2 / (n - p); the
/// columns of those p scaled to unit length, J_s = U S V^T; singular values below 1e-8 of the
/// largest span the null space, and a parameter with more than 1 % of its squared weight there
/// (or a column of zeros) is undetermined, without a standard error; the covariance s^2 V S^-2
/// V^T over the rest, scaled back; the standard errors, the 95 % intervals with Student's t at
/// n - p degrees of freedom and the correlations. A parameter is also undetermined when its
/// interval is wider than its bounds or it correlates with another beyond kCorrelationLimit.
/// Refuses (Error) n <= p.
ConfidenceResult LinearConfidence(const LeastSquaresFit &fit);

/// The weighted residuals of a run against the calibration's measurements: for each ticked
/// series in data sheet order and each of its measured days within the run (in their order),
/// r = sqrt(w / SST) (sim - obs), SST the sum of squared deviations of the series' measurements
/// from their mean; sum r^2 / sum w is the objective of the unrounded values.
std::vector<double> WeightedResiduals(const CalibrationInput &input, const SeriesValues &series);

/// The confidence of the fitted parameters of `input` at `fitted` (a calibration's result):
/// the residuals of the run with `fitted`, the Jacobian (per unit of each parameter's value)
/// from runs at each step, StepOf the parameter's unit (SearchUnit) on [0, 1] mapped back by
/// SearchValue, on input.threads workers, and LinearConfidence with the search range's lowest
/// kept value and upper end as bounds. Refuses (Error)
/// what CheckCalibration refuses, a fitted value outside its search range, a run that stops on
/// non-finite values, and n <= p. The result does not depend on the number of threads.
ConfidenceResult ParameterConfidence(const CalibrationInput &input, const ModelParameters &fitted,
    const AnalysisProgress &progress = {});

/// "parameter,value,std_error,ci95_lower,ci95_upper,status", one line per fitted parameter;
/// "n/a" for a number that cannot be computed.
std::string ConfidenceCsv(const ConfidenceResult &result);

/// The correlation matrix: "parameter" and the fitted parameters' names, then one line per
/// parameter starting with its name; "n/a" where a correlation cannot be computed.
std::string CorrelationCsv(const ConfidenceResult &result);

} // namespace carexa
