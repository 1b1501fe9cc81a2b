#include "analysis/confidence.h"

#include "model/error.h"
#include "model/number_text.h"

#include <Eigen/Dense>
#include <boost/math/distributions/students_t.hpp>

#include <cmath>
#include <limits>

namespace carexa {

namespace {

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();
// Singular values below this share of the largest span the null space ...
constexpr double kNullSpaceTolerance = 1e-8;
// ... and a parameter with more of its squared weight there than this lies in it.
constexpr double kNullSpaceShare = 0.01;

std::string Name(Parameter parameter)
{
    return std::string(ParameterName(parameter));
}

void AppendNumberOrNa(std::string &line, double value)
{
    if (std::isfinite(value))
        AppendCsvNumber(line, value);
    else
        line += "n/a";
}

} // namespace

std::string_view StatusText(ConfidenceStatus status)
{
    switch (status) {
    case ConfidenceStatus::Determined:
        return "determined";
    case ConfidenceStatus::Undetermined:
        return "undetermined";
    case ConfidenceStatus::AtBound:
        return "at_bound";
    }
    return "undetermined";
}

DifferenceStep StepOf(double value, double lower, double upper, double fraction)
{
    const double h = fraction * (upper - lower);
    if (!(h > 0))
        return {value, value, true};
    if (value - h < lower)
        return {value, value + h, true};
    if (value + h > upper)
        return {value - h, value, true};
    return {value - h, value + h, false};
}

std::vector<double> DifferenceColumn(const DifferenceStep &step, const std::vector<double> &atMinus,
    const std::vector<double> &atPlus)
{
    std::vector<double> column(atMinus.size(), 0.0);
    const double span = step.plus - step.minus;
    if (!(span > 0))
        return column;
    for (std::size_t i = 0; i < column.size(); ++i)
        column[i] = (atPlus[i] - atMinus[i]) / span;
    return column;
}

ConfidenceResult LinearConfidence(const LeastSquaresFit &fit)
{
    const std::size_t n = fit.residuals.size();
    const std::size_t m = fit.parameters.size();
    std::vector<std::size_t> free;
    for (std::size_t k = 0; k < m; ++k) {
        if (!fit.atBound[k])
            free.push_back(k);
    }
    const std::size_t p = free.size();
    if (n <= p)
        throw Error("The confidence intervals need more measured days than fitted parameters "
                    "away from their bounds: there are "
            + std::to_string(n) + " measured days and " + std::to_string(p)
            + " parameters. Add measurements or fit fewer parameters.");

    ConfidenceResult result;
    result.residuals = static_cast<int>(n);
    result.estimated = static_cast<int>(p);
    for (double r : fit.residuals)
        result.sumOfSquares += r * r;
    result.variance = result.sumOfSquares / static_cast<double>(n - p);
    result.t = boost::math::quantile(boost::math::students_t(static_cast<double>(n - p)), 0.975);
    for (std::size_t k = 0; k < m; ++k) {
        const ConfidenceStatus status
            = fit.atBound[k] ? ConfidenceStatus::AtBound : ConfidenceStatus::Determined;
        result.parameters.push_back(
            {fit.parameters[k], fit.values[k], kUndefined, kUndefined, kUndefined, status});
    }
    result.correlation.assign(m, std::vector<double>(m, kUndefined));
    if (p == 0)
        return result;

    // The free columns scaled to unit length, so that parameters of very different sizes are
    // weighed alike by the decomposition.
    Eigen::MatrixXd scaled(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(p));
    std::vector<double> scale(p, 1.0);
    for (std::size_t k = 0; k < p; ++k) {
        double squares = 0;
        for (std::size_t i = 0; i < n; ++i)
            squares += fit.jacobian[i][free[k]] * fit.jacobian[i][free[k]];
        if (squares > 0)
            scale[k] = std::sqrt(squares);
        for (std::size_t i = 0; i < n; ++i)
            scaled(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(k))
                = fit.jacobian[i][free[k]] / scale[k];
    }
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(scaled, Eigen::ComputeFullV);
    const Eigen::VectorXd &singular = svd.singularValues();
    const Eigen::MatrixXd &v = svd.matrixV();
    const double largest = singular.size() > 0 ? singular(0) : 0;
    Eigen::MatrixXd covariance
        = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(p), static_cast<Eigen::Index>(p));
    std::vector<double> nullShare(p, 0.0);
    for (Eigen::Index s = 0; s < singular.size(); ++s) {
        const Eigen::VectorXd direction = v.col(s);
        if (!(singular(s) > kNullSpaceTolerance * largest)) {
            for (std::size_t k = 0; k < p; ++k)
                nullShare[k] += direction(static_cast<Eigen::Index>(k))
                    * direction(static_cast<Eigen::Index>(k));
            continue;
        }
        covariance += direction * direction.transpose() / (singular(s) * singular(s));
    }
    covariance *= result.variance;

    std::vector<bool> estimated(m, false);
    for (std::size_t k = 0; k < p; ++k) {
        ParameterInterval &interval = result.parameters[free[k]];
        if (nullShare[k] > kNullSpaceShare) {
            interval.status = ConfidenceStatus::Undetermined;
            continue;
        }
        const auto at = static_cast<Eigen::Index>(k);
        interval.stdError = std::sqrt(covariance(at, at)) / scale[k];
        interval.lower = interval.value - result.t * interval.stdError;
        interval.upper = interval.value + result.t * interval.stdError;
        estimated[free[k]] = true;
        if (interval.upper - interval.lower > fit.upper[free[k]] - fit.lower[free[k]])
            interval.status = ConfidenceStatus::Undetermined;
    }
    for (std::size_t a = 0; a < p; ++a) {
        for (std::size_t b = 0; b < p; ++b) {
            if (!estimated[free[a]] || !estimated[free[b]])
                continue;
            const auto i = static_cast<Eigen::Index>(a);
            const auto k = static_cast<Eigen::Index>(b);
            const double r
                = a == b ? 1.0 : covariance(i, k) / std::sqrt(covariance(i, i) * covariance(k, k));
            result.correlation[free[a]][free[b]] = r;
            if (a != b && std::abs(r) > kCorrelationLimit)
                result.parameters[free[a]].status = ConfidenceStatus::Undetermined;
        }
    }
    return result;
}

std::vector<double> WeightedResiduals(const CalibrationInput &input, const SeriesValues &series)
{
    std::vector<double> residuals;
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        if (!input.series[c])
            continue;
        const std::vector<double> &simulated = series[c];
        std::vector<const Observation *> days;
        double mean = 0;
        for (const Observation &o : input.observed[c]) {
            if (o.day >= 1 && static_cast<std::size_t>(o.day) <= simulated.size()) {
                days.push_back(&o);
                mean += o.value;
            }
        }
        if (days.empty())
            continue;
        mean /= static_cast<double>(days.size());
        double total = 0;
        for (const Observation *o : days)
            total += (o->value - mean) * (o->value - mean);
        const double factor = std::sqrt(input.weights[c] / total);
        for (const Observation *o : days)
            residuals.push_back(
                factor * (simulated[static_cast<std::size_t>(o->day - 1)] - o->value));
    }
    return residuals;
}

ConfidenceResult ParameterConfidence(
    const CalibrationInput &input, const ModelParameters &fitted, const AnalysisProgress &progress)
{
    CheckCalibration(input);
    LeastSquaresFit fit;
    std::vector<DifferenceStep> steps;
    for (int i = 0; i < kParameterCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!input.fit[at])
            continue;
        const auto p = static_cast<Parameter>(i);
        const ParameterRange range = SearchRange(p, input.bounds[at], input.run.climate);
        const double value = fitted.get(p);
        if (!Keeps(range, value))
            throw Error("The value of " + Name(p) + " (" + FormatGeneral(value)
                + ") lies outside its bounds, so no interval can be given for it.");
        fit.parameters.push_back(p);
        fit.values.push_back(value);
        fit.lower.push_back(LowestKept(range));
        fit.upper.push_back(range.upper);
        // The step in the calibration's own scale; an end at the value itself is the value.
        const double unit = SearchUnit(range, value);
        const DifferenceStep inUnits = StepOf(unit, 0, 1);
        const auto valueAt
            = [&](double end) { return end == unit ? value : SearchValue(range, end); };
        steps.push_back({valueAt(inUnits.minus), valueAt(inUnits.plus), inUnits.atBound});
        fit.atBound.push_back(inUnits.atBound);
    }

    // Run 0 is the fitted one; then each end of a step that is not the value itself.
    struct Point
    {
        std::size_t parameter;
        double value;
    };
    std::vector<Point> points {{0, 0.0}};
    std::vector<std::size_t> minusRun(steps.size(), 0);
    std::vector<std::size_t> plusRun(steps.size(), 0);
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const double value = fit.values[k];
        if (steps[k].minus != value) {
            minusRun[k] = points.size();
            points.push_back({k, steps[k].minus});
        }
        if (steps[k].plus != value) {
            plusRun[k] = points.size();
            points.push_back({k, steps[k].plus});
        }
    }
    std::vector<std::vector<double>> residuals(points.size());
    std::vector<std::string> failures(points.size());
    const auto parametersOf = [&](std::size_t index) {
        ModelParameters parameters = fitted;
        if (index > 0)
            parameters.set(fit.parameters[points[index].parameter], points[index].value);
        return parameters;
    };
    const auto keep = [&](std::size_t index, const SeriesRun &run) {
        if (!run.completed)
            failures[index] = run.message;
        else
            residuals[index] = WeightedResiduals(input, run.series);
    };
    const ManyRunsOutcome outcome
        = RunMany(points.size(), input.threads, input.run, parametersOf, keep, progress);
    if (outcome.cancelled) {
        ConfidenceResult cancelled;
        cancelled.cancelled = true;
        return cancelled;
    }
    for (const std::string &failure : failures) {
        if (!failure.empty())
            throw Error("A run near the fitted parameters stopped on non-finite values, so no "
                        "interval can be given: "
                + failure);
    }
    fit.residuals = residuals[0];
    fit.jacobian.assign(fit.residuals.size(), std::vector<double>(steps.size(), 0.0));
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const std::vector<double> column
            = DifferenceColumn(steps[k], residuals[minusRun[k]], residuals[plusRun[k]]);
        for (std::size_t i = 0; i < column.size(); ++i)
            fit.jacobian[i][k] = column[i];
    }
    ConfidenceResult result = LinearConfidence(fit);
    result.runs = static_cast<int>(points.size());
    return result;
}

std::string ConfidenceCsv(const ConfidenceResult &result)
{
    std::string text = "parameter,value,std_error,ci95_lower,ci95_upper,status\n";
    for (const ParameterInterval &p : result.parameters) {
        text += ParameterName(p.parameter);
        for (double number : {p.value, p.stdError, p.lower, p.upper}) {
            text += ',';
            AppendNumberOrNa(text, number);
        }
        text += ',';
        text += StatusText(p.status);
        text += '\n';
    }
    return text;
}

std::string CorrelationCsv(const ConfidenceResult &result)
{
    std::string text = "parameter";
    for (const ParameterInterval &p : result.parameters) {
        text += ',';
        text += ParameterName(p.parameter);
    }
    text += '\n';
    for (std::size_t i = 0; i < result.parameters.size(); ++i) {
        text += ParameterName(result.parameters[i].parameter);
        for (std::size_t k = 0; k < result.parameters.size(); ++k) {
            text += ',';
            AppendNumberOrNa(text, result.correlation[i][k]);
        }
        text += '\n';
    }
    return text;
}

} // namespace carexa
