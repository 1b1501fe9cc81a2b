#include "analysis/sobol.h"

#include "analysis_inputs.h"
#include "model/error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

using namespace carexa;
using carexa::testing_support::ExampleInput;
using carexa::testing_support::FixedRanges;
using carexa::testing_support::HotBedInput;
using carexa::testing_support::Lines;

namespace {

constexpr std::size_t kPhosphorus = 3;
constexpr std::size_t kPhosphorusRemoval = 8;

std::size_t Index(Parameter p)
{
    return static_cast<std::size_t>(p);
}

// ---------------------------------------------------------------------------------------------
// The design and the estimators

TEST(SobolDesign, IsTheSequenceWithoutItsAllZeroPoint)
{
    // The first points of the four-dimensional Sobol' sequence after (0, 0, 0, 0).
    const SobolDesign design = MakeSobolDesign(4, 2);
    EXPECT_EQ(design.a, (std::vector<double> {0.5, 0.5, 0.75, 0.25, 0.25, 0.75, 0.375, 0.375}));
    EXPECT_EQ(design.b, (std::vector<double> {0.5, 0.5, 0.25, 0.25, 0.75, 0.75, 0.625, 0.875}));
    EXPECT_EQ(design.point(0, 1), (std::vector<double> {0.75, 0.25}));
    EXPECT_EQ(design.point(1, 3), (std::vector<double> {0.625, 0.875}));
    EXPECT_EQ(design.point(2, 3), (std::vector<double> {0.625, 0.375})); // A with B's column 1
    EXPECT_EQ(design.point(3, 3), (std::vector<double> {0.375, 0.875})); // A with B's column 2

    const SobolDesign large = MakeSobolDesign(1024, 16);
    for (std::size_t j = 0; j < 1024; ++j) {
        bool zero = true;
        for (std::size_t i = 0; i < 16; ++i) {
            ASSERT_GT(large.a[j * 16 + i], 0.0 - 1) << j;
            ASSERT_LT(large.a[j * 16 + i], 1.0);
            zero = zero && large.a[j * 16 + i] == 0 && large.b[j * 16 + i] == 0;
        }
        ASSERT_FALSE(zero) << "row " << j;
    }
    // Each coordinate of 1024 points of a (0, m, s)-net takes each of 1024 strata once.
    for (std::size_t i = 0; i < 16; ++i) {
        std::vector<int> strata(1024, 0);
        for (std::size_t j = 0; j < 1023; ++j) // the 1024th point of the net is the zero point
            ++strata[static_cast<std::size_t>(large.a[j * 16 + i] * 1024)];
        EXPECT_EQ(std::count(strata.begin(), strata.end(), 1), 1023) << i;
    }
}

TEST(SobolIndices, OfTwoRowsWorkedByHand)
{
    // f(A) = 1, 3; f(B) = 2, 4; f(A_B) = 2, 3. The mean of A and B is 2.5 and V = 5 / 3;
    // S1 = ((2 - 2.5)(2 - 1) + (4 - 2.5)(3 - 3)) / 2 / V = -0.15, ST = (1 + 0) / 4 / V = 0.15.
    const SobolOutputs f {{1, 3}, {2, 4}, {{2, 3}, {1, 3}}};
    const auto indices = SobolIndices({f}, 100, 1);
    ASSERT_EQ(indices.size(), 2u);
    EXPECT_DOUBLE_EQ(indices[0][0].s1, -0.15);
    EXPECT_DOUBLE_EQ(indices[0][0].st, 0.15);
    EXPECT_EQ(indices[1][0].s1, 0.0); // f(A_B) = f(A): no effect
    EXPECT_EQ(indices[1][0].st, 0.0);
    EXPECT_EQ(indices[1][0].s1Low, 0.0);
    EXPECT_EQ(indices[1][0].stHigh, 0.0);

    const SobolOutputs flat {{2, 2}, {2, 2}, {{2, 2}}};
    const SobolIndex none = SobolIndices({flat}, 100, 1)[0][0];
    for (double v : {none.s1, none.s1Low, none.s1High, none.st, none.stLow, none.stHigh})
        EXPECT_TRUE(std::isnan(v));
}

double Ishigami(const std::vector<double> &x)
{
    return std::sin(x[0]) + 7 * std::pow(std::sin(x[1]), 2)
        + 0.1 * std::pow(x[2], 4) * std::sin(x[0]);
}

TEST(SobolIndices, OfTheIshigamiFunction)
{
    // a = 7, b = 0.1, inputs uniform on [-pi, pi], and a fourth input the function ignores.
    const std::size_t n = 1 << 14;
    const SobolDesign design = MakeSobolDesign(n, 4);
    SobolOutputs f;
    f.ab.assign(4, {});
    const auto value = [&](std::size_t matrix, std::size_t row) {
        std::vector<double> x = design.point(matrix, row);
        for (double &v : x)
            v = -std::numbers::pi + 2 * std::numbers::pi * v;
        return Ishigami(x);
    };
    for (std::size_t j = 0; j < n; ++j) {
        f.a.push_back(value(0, j));
        f.b.push_back(value(1, j));
        for (std::size_t i = 0; i < 4; ++i)
            f.ab[i].push_back(value(2 + i, j));
    }
    const auto indices = SobolIndices({f}, 200, 3, 2);
    const double s1[] = {0.3139, 0.4424, 0, 0};
    const double st[] = {0.5576, 0.4424, 0.2437, 0};
    for (std::size_t i = 0; i < 4; ++i) {
        const SobolIndex &index = indices[i][0];
        EXPECT_NEAR(index.s1, s1[i], 0.02) << "x" << i + 1;
        EXPECT_NEAR(index.st, st[i], 0.02) << "x" << i + 1;
        EXPECT_LE(index.s1Low, index.s1);
        EXPECT_GE(index.s1High, index.s1);
        EXPECT_LE(index.stLow, index.st);
        EXPECT_GE(index.stHigh, index.st);
        EXPECT_LT(index.stHigh - index.stLow, 0.1);
    }
    EXPECT_EQ(indices[3][0].s1, 0.0);
    EXPECT_EQ(indices[3][0].st, 0.0);
    EXPECT_EQ(indices[3][0].s1High, 0.0);
    EXPECT_EQ(indices[3][0].stHigh, 0.0);
    // The same on any number of threads.
    const auto again = SobolIndices({f}, 200, 3, 1);
    EXPECT_EQ(again[0][0].s1Low, indices[0][0].s1Low);
    EXPECT_EQ(again[2][0].stHigh, indices[2][0].stHigh);
}

// ---------------------------------------------------------------------------------------------
// On the model

SobolInput Sampling(RunInput run, int n = 32)
{
    SobolInput input;
    input.ranges = ClimateRanges(run.climate);
    input.varied.fill(true);
    input.run = std::move(run);
    input.options.baseSamples = n;
    input.options.resamples = 200;
    input.options.threads = 2;
    return input;
}

TEST(Sobol, PhosphorusParametersAffectOnlyThePhosphorusSeries)
{
    const SobolResult result = RunSobol(Sampling(ExampleInput("warm_climate_bed.mdl", 3)));
    ASSERT_EQ(result.parameters.size(), 16u);
    EXPECT_EQ(result.runs, 32 * 18);
    EXPECT_EQ(result.rowsUsed, 32);
    for (Parameter p : {Parameter::PP, Parameter::AF}) {
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            const SobolIndex &index = result.indices[Index(p)][c];
            if (c == kPhosphorus || c == kPhosphorusRemoval) {
                EXPECT_GT(index.st, 0) << ParameterName(p) << " " << kSeriesHeadings[c];
                continue;
            }
            EXPECT_EQ(index.s1, 0.0) << ParameterName(p) << " " << kSeriesHeadings[c];
            EXPECT_EQ(index.st, 0.0) << ParameterName(p) << " " << kSeriesHeadings[c];
            EXPECT_EQ(index.stHigh, 0.0) << ParameterName(p) << " " << kSeriesHeadings[c];
        }
    }
    // Every series moves with some parameter.
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        double most = 0;
        for (const auto &indices : result.indices)
            most = std::max(most, indices[c].st);
        EXPECT_GT(most, 0.05) << kSeriesHeadings[c];
    }
    const std::vector<std::string> csv = Lines(SobolCsv(result));
    ASSERT_EQ(csv.size(), 1u + 16 * 11);
    EXPECT_EQ(csv[0], "parameter,series,s1,s1_lo,s1_hi,st,st_lo,st_hi");
    EXPECT_EQ(csv[1 + 14 * 11], "PP,BOD5 out,0,0,0,0,0,0");
}

TEST(Sobol, SeriesTheVariedParametersCannotMoveHaveNoIndices)
{
    SobolInput input = Sampling(ExampleInput("cold_climate_bed.mdl", 3), 16);
    input.varied.fill(false);
    input.varied[Index(Parameter::PP)] = true;
    input.varied[Index(Parameter::AF)] = true;
    const SobolResult result = RunSobol(input);
    ASSERT_EQ(result.parameters, (std::vector<Parameter> {Parameter::PP, Parameter::AF}));
    EXPECT_EQ(result.runs, 16 * 4);
    EXPECT_TRUE(std::isnan(result.indices[0][0].s1));
    EXPECT_TRUE(std::isnan(result.indices[1][2].stHigh));
    EXPECT_FALSE(std::isnan(result.indices[1][kPhosphorus].st));
    const std::vector<std::string> csv = Lines(SobolCsv(result));
    ASSERT_EQ(csv.size(), 23u);
    EXPECT_EQ(csv[1], "PP,BOD5 out,n/a,n/a,n/a,n/a,n/a,n/a");
}

TEST(Sobol, TheSameForAnyNumberOfThreadsAndStoppable)
{
    SobolInput input = Sampling(ExampleInput("cold_climate_bed.mdl", 2), 16);
    input.options.threads = 1;
    const std::string one = SobolCsv(RunSobol(input));
    input.options.threads = 3;
    EXPECT_EQ(SobolCsv(RunSobol(input)), one);
    input.options.seed = 9; // other resamples, the same estimates
    const std::vector<std::string> other = Lines(SobolCsv(RunSobol(input)));
    EXPECT_NE(other, Lines(one));
    int calls = 0;
    const SobolResult stopped = RunSobol(input, [&](int done, int total) {
        EXPECT_EQ(total, 16 * 18);
        ++calls;
        return done < 5;
    });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(calls, 5);
    EXPECT_TRUE(stopped.indices.empty());
}

TEST(Sobol, RowsWithARunThatStopsAreLeftOutWhole)
{
    const RunInput run = HotBedInput();
    SobolInput input = Sampling(run, 16);
    input.ranges = FixedRanges(run);
    input.ranges[Index(Parameter::TN)] = {1, 3e15, false};
    input.ranges[Index(Parameter::NC)] = {0.5, 1.0, false};
    input.varied.fill(false);
    input.varied[Index(Parameter::TN)] = true;
    input.varied[Index(Parameter::NC)] = true;
    const SobolResult result = RunSobol(input);
    EXPECT_GT(result.rowsFailed, 0);
    EXPECT_GT(result.rowsUsed, 0);
    EXPECT_EQ(result.rowsUsed + result.rowsFailed, 16);
    EXPECT_NE(result.failure.find("stopped at day 2"), std::string::npos);
    input.ranges[Index(Parameter::TN)] = {2.5e15, 3e15, false};
    EXPECT_THROW(RunSobol(input), Error);
}

struct SobolRefusal
{
    const char *name;
    std::function<void(SobolInput &)> change;
    const char *part;
};

class SobolRefusalCase : public testing::TestWithParam<SobolRefusal>
{ };

TEST_P(SobolRefusalCase, SaysWhyAndRunsNothing)
{
    SobolInput input = Sampling(ExampleInput("cold_climate_bed.mdl", 2), 16);
    EXPECT_NO_THROW(CheckSobolInput(input));
    GetParam().change(input);
    int runs = 0;
    try {
        RunSobol(input, [&](int, int) { return ++runs > 0; });
        ADD_FAILURE() << "not refused";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().part), std::string::npos) << e.what();
    }
    EXPECT_EQ(runs, 0);
}

INSTANTIATE_TEST_SUITE_P(BadInput, SobolRefusalCase,
    testing::Values(
        SobolRefusal {"NotAPowerOfTwo", [](SobolInput &in) { in.options.baseSamples = 24; },
            "a power of two from 8 to 65536"},
        SobolRefusal {"TooSmall", [](SobolInput &in) { in.options.baseSamples = 4; },
            "a power of two from 8"},
        SobolRefusal {"TooLarge", [](SobolInput &in) { in.options.baseSamples = 131072; },
            "a power of two from 8"},
        SobolRefusal {"FewResamples", [](SobolInput &in) { in.options.resamples = 99; },
            "resamples must be from 100"},
        SobolRefusal {
            "NegativeThreads", [](SobolInput &in) { in.options.threads = -2; }, "threads"},
        SobolRefusal {"NothingVaried", [](SobolInput &in) { in.varied.fill(false); },
            "at least one parameter"},
        SobolRefusal {"RangeOutsideTheClimate",
            [](SobolInput &in) { in.ranges[Index(Parameter::AC)].upper = 9; }, "AC"},
        SobolRefusal {"NoDays", [](SobolInput &in) { in.run.days.clear(); }, "at least 1 day"}),
    [](const testing::TestParamInfo<SobolRefusal> &info) { return std::string(info.param.name); });

TEST(SobolDefaults, AThousandAndTwentyFourRowsAndAThousandResamples)
{
    const SobolOptions options;
    EXPECT_EQ(options.baseSamples, 1024);
    EXPECT_EQ(options.resamples, 1000);
    EXPECT_EQ(options.seed, 1u);
}

} // namespace
