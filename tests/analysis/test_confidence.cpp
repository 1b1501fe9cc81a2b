#include "analysis/confidence.h"

#include "analysis_inputs.h"
#include "model/error.h"
#include "synthetic_measurements.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace carexa;
using carexa::testing_support::ExampleInput;
using carexa::testing_support::Lines;
using carexa::testing_support::NoisyMeasurements;

namespace {

// Student's t at 97.5 % from the tables.
constexpr double kT2 = 4.302652729749;
constexpr double kT3 = 3.182446305284;

// ---------------------------------------------------------------------------------------------
// The straight line y = a + b x through (0, 1), (1, 3), (2, 2), (3, 5), worked by hand

const std::vector<double> kX {0, 1, 2, 3};
const std::vector<double> kY {1, 3, 2, 5};

std::vector<double> LineResiduals(double a, double b)
{
    std::vector<double> r;
    for (std::size_t i = 0; i < kX.size(); ++i)
        r.push_back(a + b * kX[i] - kY[i]);
    return r;
}

// The fit at (a, b) within [0, 10] for both, its Jacobian from StepOf and DifferenceColumn.
LeastSquaresFit LineFit(double a, double b, double lower = 0, double upper = 10)
{
    LeastSquaresFit fit;
    fit.parameters = {Parameter::AC, Parameter::NC};
    fit.values = {a, b};
    fit.lower = {lower, lower};
    fit.upper = {upper, upper};
    fit.residuals = LineResiduals(a, b);
    fit.jacobian.assign(kX.size(), std::vector<double>(2));
    for (std::size_t k = 0; k < 2; ++k) {
        const DifferenceStep step = StepOf(fit.values[k], lower, upper);
        fit.atBound.push_back(step.atBound);
        const std::vector<double> minus
            = k == 0 ? LineResiduals(step.minus, b) : LineResiduals(a, step.minus);
        const std::vector<double> plus
            = k == 0 ? LineResiduals(step.plus, b) : LineResiduals(a, step.plus);
        const std::vector<double> column = DifferenceColumn(step, minus, plus);
        for (std::size_t i = 0; i < kX.size(); ++i)
            fit.jacobian[i][k] = column[i];
    }
    return fit;
}

TEST(LinearConfidence, OfAStraightLineWorkedByHand)
{
    // The least-squares line is a = b = 1.1: residuals 0.1, -0.8, 1.3, -0.6, sum of squares 2.7,
    // s^2 = 2.7 / 2 = 1.35. J = [1 x], J^T J = [4 6; 6 14], its inverse [0.7 -0.3; -0.3 0.2],
    // so the covariance is [0.945 -0.405; -0.405 0.27] and the correlation -0.3 / sqrt(0.14).
    const LeastSquaresFit fit = LineFit(1.1, 1.1);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(fit.jacobian[i][0], 1, 1e-12);
        EXPECT_NEAR(fit.jacobian[i][1], kX[i], 1e-12);
    }
    const ConfidenceResult result = LinearConfidence(fit);
    EXPECT_EQ(result.residuals, 4);
    EXPECT_EQ(result.estimated, 2);
    EXPECT_NEAR(result.sumOfSquares, 2.7, 1e-12);
    EXPECT_NEAR(result.variance, 1.35, 1e-12);
    EXPECT_NEAR(result.t, kT2, 1e-9);
    ASSERT_EQ(result.parameters.size(), 2u);
    const ParameterInterval &a = result.parameters[0];
    const ParameterInterval &b = result.parameters[1];
    EXPECT_EQ(a.parameter, Parameter::AC);
    EXPECT_EQ(a.value, 1.1);
    EXPECT_NEAR(a.stdError, std::sqrt(0.945), 1e-9);
    EXPECT_NEAR(b.stdError, std::sqrt(0.27), 1e-9);
    EXPECT_NEAR(a.lower, 1.1 - 4.18265649852045, 1e-8);
    EXPECT_NEAR(a.upper, 1.1 + 4.18265649852045, 1e-8);
    EXPECT_NEAR(b.lower, 1.1 - 2.2357239405752964, 1e-8);
    EXPECT_NEAR(b.upper, 1.1 + 2.2357239405752964, 1e-8);
    EXPECT_EQ(a.status, ConfidenceStatus::Determined);
    EXPECT_EQ(b.status, ConfidenceStatus::Determined);
    EXPECT_EQ(result.correlation[0][0], 1.0);
    EXPECT_EQ(result.correlation[1][1], 1.0);
    EXPECT_NEAR(result.correlation[0][1], -0.8017837257372732, 1e-9);
    EXPECT_NEAR(result.correlation[1][0], -0.8017837257372732, 1e-9);

    EXPECT_EQ(ConfidenceCsv(result).rfind(
                  "parameter,value,std_error,ci95_lower,ci95_upper,status\nAC,1.1,", 0),
        0u);
    const std::vector<std::string> csv = Lines(ConfidenceCsv(result));
    ASSERT_EQ(csv.size(), 3u);
    EXPECT_EQ(csv[2].substr(csv[2].size() - 11), ",determined");
    const std::vector<std::string> corr = Lines(CorrelationCsv(result));
    ASSERT_EQ(corr.size(), 3u);
    EXPECT_EQ(corr[0], "parameter,AC,NC");
    EXPECT_EQ(corr[1].substr(0, 6), "AC,1,-");
    EXPECT_EQ(corr[2].substr(corr[2].size() - 2), ",1");
}

TEST(LinearConfidence, AParameterAtABoundIsLeftOutOfTheCovariance)
{
    // a = 0 at its lower bound: a forward difference, and b alone is estimated. At b = 1.5 the
    // residuals are -1, -1.5, 1, -0.5: s^2 = 4.5 / 3, var b = 1.5 / sum x^2 = 1.5 / 14.
    const LeastSquaresFit fit = LineFit(0, 1.5);
    EXPECT_TRUE(fit.atBound[0]);
    EXPECT_FALSE(fit.atBound[1]);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(fit.jacobian[i][0], 1, 1e-12); // one-sided, exact on a line
    const ConfidenceResult result = LinearConfidence(fit);
    EXPECT_EQ(result.estimated, 1);
    EXPECT_NEAR(result.variance, 1.5, 1e-12);
    EXPECT_NEAR(result.t, kT3, 1e-9);
    const ParameterInterval &a = result.parameters[0];
    EXPECT_EQ(a.status, ConfidenceStatus::AtBound);
    EXPECT_TRUE(std::isnan(a.stdError));
    EXPECT_TRUE(std::isnan(a.lower));
    EXPECT_TRUE(std::isnan(result.correlation[0][1]));
    EXPECT_TRUE(std::isnan(result.correlation[0][0]));
    EXPECT_NEAR(result.parameters[1].stdError, std::sqrt(1.5 / 14), 1e-9);
    EXPECT_EQ(result.correlation[1][1], 1.0);
    const std::vector<std::string> csv = Lines(ConfidenceCsv(result));
    EXPECT_EQ(csv[1], "AC,0,n/a,n/a,n/a,at_bound");
    EXPECT_EQ(Lines(CorrelationCsv(result))[1], "AC,n/a,n/a");
}

TEST(StepOf, IsCentralInsideAndOneSidedWithinAStepOfABound)
{
    EXPECT_EQ(StepOf(5, 0, 10).minus, 4.9);
    EXPECT_EQ(StepOf(5, 0, 10).plus, 5.1);
    EXPECT_FALSE(StepOf(5, 0, 10).atBound);
    EXPECT_FALSE(StepOf(0.1, 0, 10).atBound); // exactly a step away: still central
    const DifferenceStep low = StepOf(0.05, 0, 10);
    EXPECT_TRUE(low.atBound);
    EXPECT_EQ(low.minus, 0.05);
    EXPECT_NEAR(low.plus, 0.15, 1e-15);
    const DifferenceStep high = StepOf(9.95, 0, 10);
    EXPECT_TRUE(high.atBound);
    EXPECT_NEAR(high.minus, 9.85, 1e-12);
    EXPECT_EQ(high.plus, 9.95);
    const DifferenceStep single = StepOf(3, 3, 3);
    EXPECT_TRUE(single.atBound);
    EXPECT_EQ(single.minus, 3.0);
    EXPECT_EQ(single.plus, 3.0);
    EXPECT_EQ(DifferenceColumn(single, {1, 2}, {3, 4}), (std::vector<double> {0, 0}));
}

LeastSquaresFit ByHand(const std::vector<std::vector<double>> &columns)
{
    LeastSquaresFit fit;
    const std::size_t m = columns.size();
    for (std::size_t k = 0; k < m; ++k) {
        fit.parameters.push_back(static_cast<Parameter>(k));
        fit.values.push_back(1);
        fit.lower.push_back(0);
        fit.upper.push_back(100);
        fit.atBound.push_back(false);
    }
    fit.residuals = {0.5, -0.25, 0.75, -1, 0.1, 0.3};
    fit.jacobian.assign(6, std::vector<double>(m));
    for (std::size_t i = 0; i < 6; ++i)
        for (std::size_t k = 0; k < m; ++k)
            fit.jacobian[i][k] = columns[k][i];
    return fit;
}

TEST(LinearConfidence, ParametersInTheNullSpaceAreUndeterminedWithoutNumbers)
{
    // The third column is twice the first: only a + 2c is seen. The second is apart from both,
    // the fourth has no effect at all.
    const ConfidenceResult result = LinearConfidence(
        ByHand({{1, 1, 1, 1, 1, 1}, {0, 1, 0, -1, 0, 0}, {2, 2, 2, 2, 2, 2}, {0, 0, 0, 0, 0, 0}}));
    EXPECT_EQ(result.parameters[0].status, ConfidenceStatus::Undetermined);
    EXPECT_EQ(result.parameters[2].status, ConfidenceStatus::Undetermined);
    EXPECT_EQ(result.parameters[3].status, ConfidenceStatus::Undetermined);
    EXPECT_TRUE(std::isnan(result.parameters[0].stdError));
    EXPECT_TRUE(std::isnan(result.parameters[3].stdError));
    EXPECT_EQ(result.parameters[1].status, ConfidenceStatus::Determined);
    // Column 2 is orthogonal to the rest: var = s^2 / 2 with s^2 = 1.975 / (6 - 4).
    EXPECT_NEAR(result.variance, 1.975 / 2, 1e-12);
    EXPECT_NEAR(result.parameters[1].stdError, std::sqrt(1.975 / 2 / 2), 1e-9);
    EXPECT_TRUE(std::isnan(result.correlation[1][0]));
    EXPECT_EQ(result.correlation[1][1], 1.0);
}

TEST(LinearConfidence, StronglyCorrelatedOrWideEstimatesAreUndeterminedWithNumbers)
{
    const ConfidenceResult correlated
        = LinearConfidence(ByHand({{1, 2, 3, 4, 5, 6}, {1.1, 2, 3.1, 3.9, 5, 6.05}}));
    EXPECT_LT(correlated.correlation[0][1], -kCorrelationLimit);
    for (const ParameterInterval &p : correlated.parameters) {
        EXPECT_EQ(p.status, ConfidenceStatus::Undetermined);
        EXPECT_TRUE(std::isfinite(p.stdError));
    }
    // An interval wider than the bounds 0 to 0.2.
    LeastSquaresFit line = LineFit(1.1, 1.1);
    line.lower = {0, 1.0};
    line.upper = {10, 1.2};
    const ConfidenceResult wide = LinearConfidence(line);
    EXPECT_EQ(wide.parameters[0].status, ConfidenceStatus::Determined);
    EXPECT_EQ(wide.parameters[1].status, ConfidenceStatus::Undetermined);
    EXPECT_NEAR(wide.parameters[1].stdError, std::sqrt(0.27), 1e-9);
    EXPECT_EQ(StatusText(ConfidenceStatus::Undetermined), "undetermined");
    EXPECT_EQ(StatusText(ConfidenceStatus::Determined), "determined");
    EXPECT_EQ(StatusText(ConfidenceStatus::AtBound), "at_bound");
}

TEST(LinearConfidence, RefusesNoMoreResidualsThanParameters)
{
    LeastSquaresFit fit = LineFit(1.1, 1.1);
    fit.residuals.resize(2);
    fit.jacobian.resize(2);
    try {
        LinearConfidence(fit);
        ADD_FAILURE() << "not refused";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()),
            "The confidence intervals need more measured days than fitted parameters away from "
            "their bounds: there are 2 measured days and 2 parameters. Add measurements or fit "
            "fewer parameters.");
    }
    fit.atBound[0] = true; // one parameter left: 2 > 1
    EXPECT_NO_THROW(LinearConfidence(fit));
}

// ---------------------------------------------------------------------------------------------
// On the model

// The cold example cut to 120 days at 5 sub-steps, its parameters the truth; BOD5, ammonium
// and total phosphorus measured every third day with 5 % noise; AC, NC and AF fitted (each
// pinned mostly by one series).
CalibrationInput Twin(std::uint64_t seed)
{
    RunInput run = ExampleInput("cold_climate_bed.mdl", 5);
    run.days.resize(120);
    CalibrationInput input
        = DefaultCalibrationInput(run, NoisyMeasurements(Simulate(run), {0, 2, 3}, 0.05, seed, 3));
    input.fit.fill(false);
    for (Parameter p : {Parameter::AC, Parameter::NC, Parameter::AF})
        input.fit[static_cast<std::size_t>(p)] = true;
    input.threads = 2;
    return input;
}

TEST(WeightedResiduals, ReproduceTheCalibrationObjective)
{
    CalibrationInput input = Twin(1);
    input.weights[3] = 3;
    const RunResult run = Simulate(input.run);
    const std::vector<double> r = WeightedResiduals(input, run.series);
    EXPECT_EQ(r.size(), 120u); // 40 days of each series
    double squares = 0;
    for (double v : r)
        squares += v * v;
    // The objective of the data sheet's values, which differ in the fourth digit or so.
    EXPECT_NEAR(squares / 5, CalibrationObjective(input, run), 1e-4);
    // By hand for BOD5 alone: sum r^2 = w (1 - NSE).
    input.series[2] = false;
    input.series[3] = false;
    input.weights[0] = 2;
    double bod = 0;
    for (double v : WeightedResiduals(input, run.series))
        bod += v * v;
    std::vector<double> observed, simulated;
    for (const Observation &o : input.observed[0]) {
        observed.push_back(o.value);
        simulated.push_back(run.series[0][static_cast<std::size_t>(o.day - 1)]);
    }
    EXPECT_NEAR(bod, 2 * (1 - *ComputeFitStatistics(observed, simulated).nse), 1e-12);
}

TEST(ParameterConfidence, IntervalsOfTwinExperimentsCoverTheTruth)
{
    // Twenty replicates of the noise; at the fitted values of each, the 95 % intervals should
    // hold the true values in about 19 of 20 cases.
    const ModelParameters truth = Simulate(Twin(1).run).parameters;
    int covered[3] = {0, 0, 0};
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        CalibrationInput input = Twin(seed);
        input.runsAllowed = 300;
        const CalibrationResult fitted = Calibrate(input);
        const ConfidenceResult result = ParameterConfidence(input, fitted.after);
        ASSERT_EQ(result.parameters.size(), 3u);
        EXPECT_EQ(result.residuals, 120);
        EXPECT_EQ(result.estimated, 3);
        EXPECT_EQ(result.runs, 7);
        for (std::size_t k = 0; k < 3; ++k) {
            const ParameterInterval &p = result.parameters[k];
            EXPECT_EQ(p.status, ConfidenceStatus::Determined) << seed << "\n"
                                                              << ConfidenceCsv(result);
            const double value = truth.get(p.parameter);
            covered[k] += p.lower <= value && value <= p.upper;
        }
    }
    std::printf("coverage of the 95 %% intervals over 20 replicates: AC %d, NC %d, AF %d\n",
        covered[0], covered[1], covered[2]);
    for (int k = 0; k < 3; ++k)
        EXPECT_GE(covered[k], 15) << k;
}

TEST(ParameterConfidence, TheSameOnAnyNumberOfThreadsAndStoppable)
{
    CalibrationInput input = Twin(4);
    input.fit[static_cast<std::size_t>(Parameter::PP)] = true;
    const ModelParameters fitted = input.run.parameters;
    input.threads = 1;
    const ConfidenceResult one = ParameterConfidence(input, fitted);
    input.threads = 3;
    const ConfidenceResult three = ParameterConfidence(input, fitted);
    EXPECT_EQ(ConfidenceCsv(one), ConfidenceCsv(three));
    EXPECT_EQ(CorrelationCsv(one), CorrelationCsv(three));
    EXPECT_EQ(one.runs, 9);
    const ConfidenceResult stopped
        = ParameterConfidence(input, fitted, [](int done, int) { return done < 2; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.parameters.empty());
}

TEST(ParameterConfidence, IsTheLinearConfidenceOfTheRunsAtEachStep)
{
    // The same numbers from runs made here: the residuals at the fitted values, and a Jacobian
    // column for each parameter from the runs at the ends of its step.
    CalibrationInput input = Twin(5);
    // From day 12 on, where every measured outflow depends on the parameters.
    for (auto &series : input.observed)
        std::erase_if(series, [](const Observation &o) { return o.day < 12; });
    const ModelParameters fitted = input.run.parameters;
    LeastSquaresFit fit;
    const auto residualsAt = [&](const ModelParameters &parameters) {
        RunInput run = input.run;
        run.parameters = parameters;
        return WeightedResiduals(input, Simulate(run).series);
    };
    fit.residuals = residualsAt(fitted);
    fit.jacobian.assign(fit.residuals.size(), {});
    for (Parameter p : {Parameter::AC, Parameter::NC, Parameter::AF}) {
        const ParameterRange range
            = SearchRange(p, input.bounds[static_cast<std::size_t>(p)], input.run.climate);
        const double unit = SearchUnit(range, fitted.get(p));
        const DifferenceStep step {
            SearchValue(range, unit - 0.01), SearchValue(range, unit + 0.01), false};
        ModelParameters minus = fitted, plus = fitted;
        minus.set(p, step.minus);
        plus.set(p, step.plus);
        const std::vector<double> column = DifferenceColumn(step, residualsAt(minus), residualsAt(plus));
        for (std::size_t i = 0; i < column.size(); ++i)
            fit.jacobian[i].push_back(column[i]);
        fit.parameters.push_back(p);
        fit.values.push_back(fitted.get(p));
        fit.lower.push_back(LowestKept(range));
        fit.upper.push_back(range.upper);
        fit.atBound.push_back(false);
    }
    const ConfidenceResult expected = LinearConfidence(fit);
    const ConfidenceResult result = ParameterConfidence(input, fitted);
    EXPECT_EQ(ConfidenceCsv(result), ConfidenceCsv(expected));
    EXPECT_EQ(CorrelationCsv(result), CorrelationCsv(expected));
    EXPECT_EQ(result.sumOfSquares, expected.sumOfSquares);
}

TEST(ParameterConfidence, AtABoundAndOutsideIt)
{
    CalibrationInput input = Twin(2);
    ModelParameters fitted = input.run.parameters;
    const auto pp = static_cast<std::size_t>(Parameter::PP);
    input.bounds[pp] = {fitted.get(Parameter::PP), 0.5};
    input.fit[pp] = true;
    const ConfidenceResult result = ParameterConfidence(input, fitted);
    ASSERT_EQ(result.parameters.size(), 4u);
    EXPECT_EQ(result.parameters[2].parameter, Parameter::PP);
    EXPECT_EQ(result.parameters[2].status, ConfidenceStatus::AtBound);
    EXPECT_EQ(result.estimated, 3);
    EXPECT_EQ(result.runs, 8); // AC, NC and AF both ways, PP upwards only
    fitted.set(Parameter::PP, 0.6);
    try {
        ParameterConfidence(input, fitted);
        ADD_FAILURE() << "not refused";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()),
            "The value of PP (0.6) lies outside its bounds, so no interval can be given for it.");
    }
    // No measurements: the calibration's refusal.
    input.observed = {};
    EXPECT_THROW(ParameterConfidence(input, input.run.parameters), Error);
}

} // namespace
