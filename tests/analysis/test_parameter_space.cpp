#include "analysis/observations.h"
#include "analysis/parameter_space.h"
#include "analysis/run_many.h"

#include "model/error.h"
#include "model/model_state.h"
#include "model/observed_grid.h"
#include "results/graph.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace carexa;

namespace {

TEST(ParameterSpace, ClimateRangesAreTheAcceptedRanges)
{
    EXPECT_EQ(ClimateRange(Parameter::AC, kColdClimate), (ParameterRange {0.05, 2.0, false}));
    EXPECT_EQ(ClimateRange(Parameter::TN, kColdClimate), (ParameterRange {1.02, 1.09, false}));
    EXPECT_EQ(ClimateRange(Parameter::TN, kWarmClimate), (ParameterRange {1.02, 1.07, false}));
    EXPECT_EQ(ClimateRange(Parameter::TN, kNoClimate), (ParameterRange {1.02, 1.09, false}));
    EXPECT_EQ(ClimateRange(Parameter::DC, kWarmClimate), (ParameterRange {0.0001, 5.0, true}));
    EXPECT_EQ(ClimateRange(Parameter::AF, kColdClimate), (ParameterRange {0.0001, 100, true}));
    EXPECT_EQ(ClimateRanges(kWarmClimate)[static_cast<std::size_t>(Parameter::KO)],
        (ParameterRange {0.1, 2.0, false}));
}

TEST(ParameterSpace, ValuesStayWhereARunKeepsThem)
{
    const ParameterRange pa {0.0001, 1.0, true};
    EXPECT_FALSE(Keeps(pa, 0.0001));
    EXPECT_TRUE(Keeps(pa, LowestKept(pa)));
    EXPECT_GT(LowestKept(pa), 0.0001);
    EXPECT_LT(LowestKept(pa), 0.00010000000001);
    EXPECT_TRUE(Keeps(pa, 1.0));
    EXPECT_FALSE(Keeps(pa, 1.0000001));
    EXPECT_EQ(ValueAt(pa, 0), LowestKept(pa));
    EXPECT_EQ(ValueAt(pa, 1), 1.0);
    EXPECT_DOUBLE_EQ(ValueAt(pa, 0.5), 0.50005);

    const ParameterRange ko {0.1, 2.0, false};
    EXPECT_TRUE(Keeps(ko, 0.1));
    EXPECT_FALSE(Keeps(ko, 0.0999999));
    EXPECT_EQ(ValueAt(ko, 0), 0.1);
    EXPECT_DOUBLE_EQ(ValueAt(ko, 0.25), 0.575);
    EXPECT_EQ(Nearest(ko, 0.01), 0.1); // the cold fallback lies below the range
    EXPECT_EQ(Nearest(ko, 5), 2.0);
    EXPECT_EQ(Nearest(ko, 1.5), 1.5);
    EXPECT_EQ(Nearest(pa, 0.0001), LowestKept(pa));

    const ParameterRange single {0.7, 0.7, false};
    EXPECT_EQ(ValueAt(single, 0.3), 0.7);
}

TEST(ParameterSpace, AnAnalysisRangeMustBeOneTheClimateKeeps)
{
    EXPECT_EQ(
        KeptRange(Parameter::DC, kColdClimate, 0.0001, 5), (ParameterRange {0.0001, 5, true}));
    EXPECT_EQ(KeptRange(Parameter::DC, kColdClimate, 0.5, 5), (ParameterRange {0.5, 5, false}));
    EXPECT_EQ(KeptRange(Parameter::KO, kColdClimate, 0.1, 2.0), (ParameterRange {0.1, 2.0, false}));
    EXPECT_EQ(
        KeptRange(Parameter::TN, kColdClimate, 1.02, 1.08), (ParameterRange {1.02, 1.08, false}));
    EXPECT_EQ(KeptRange(Parameter::AF, kWarmClimate, 3, 3), (ParameterRange {3, 3, false}));
    EXPECT_EQ(KeptRange(Parameter::AC, kNoClimate, -5, 10), (ParameterRange {-5, 10, false}));

    const auto refusal = [](Parameter p, std::int32_t climate, double lower, double upper) {
        try {
            KeptRange(p, climate, lower, upper);
        } catch (const Error &e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refusal(Parameter::AC, kColdClimate, 0.01, 1),
        "The range of AC must lie within 0.05 to 2, where a run in this climate keeps its values; "
        "0.01 to 1 does not.");
    EXPECT_NE(refusal(Parameter::KO, kColdClimate, 0.0999, 2), "accepted");
    EXPECT_NE(refusal(Parameter::KO, kColdClimate, 0.1, 2.0000001), "accepted");
    EXPECT_NE(
        refusal(Parameter::TN, kWarmClimate, 1.02, 1.08).find("1.02 to 1.07"), std::string::npos);
    EXPECT_NE(refusal(Parameter::AF, kWarmClimate, 0.0001, 100.5).find("above 0.0001 to 100"),
        std::string::npos);
    EXPECT_NE(refusal(Parameter::PA, kColdClimate, 0.0001, 0.0001), "accepted"); // only 0.0001
    EXPECT_NE(refusal(Parameter::PA, kColdClimate, 0.00005, 0.5), "accepted");
    EXPECT_EQ(refusal(Parameter::MA, kNoClimate, 2, 1),
        "The lower end of the range of MA (2) lies above its upper end (1).");
    EXPECT_EQ(refusal(Parameter::MA, kColdClimate, std::nan(""), 1),
        "The range of MA needs two numbers.");
    EXPECT_NE(refusal(Parameter::MA, kNoClimate, 0, INFINITY), "accepted");
}

TEST(ParameterSpace, CheckRangesRefusesTheFirstRangeARunWouldNotKeep)
{
    EXPECT_NO_THROW(CheckRanges(ClimateRanges(kColdClimate), kColdClimate));
    EXPECT_NO_THROW(CheckRanges(ClimateRanges(kWarmClimate), kWarmClimate));
    EXPECT_NO_THROW(CheckRanges(ClimateRanges(kColdClimate), kNoClimate));
    EXPECT_THROW(CheckRanges(ClimateRanges(kColdClimate), kWarmClimate), Error); // TN to 1.09
    auto ranges = ClimateRanges(kColdClimate);
    ranges[static_cast<std::size_t>(Parameter::DC)].lowerExclusive = false; // 0.0001 itself
    EXPECT_THROW(CheckRanges(ranges, kColdClimate), Error);
    EXPECT_NO_THROW(CheckRanges(ranges, kNoClimate));
}

TEST(CsvNumbers, AreShortestExactFormsAndEmptyWhenNotFinite)
{
    const auto text = [](double value) {
        std::string line = "x,";
        AppendCsvNumber(line, value);
        return line;
    };
    EXPECT_EQ(text(0.1), "x,0.1");
    EXPECT_EQ(text(1e-8), "x,1e-08");
    EXPECT_EQ(text(-3.25), "x,-3.25");
    EXPECT_EQ(text(365), "x,365");
    EXPECT_EQ(text(2.0 / 3.0), "x,0.6666666666666666");
    EXPECT_EQ(text(std::nan("")), "x,");
    EXPECT_EQ(text(-INFINITY), "x,");
}

TEST(MeasuredValues, TakesNumbersOtherThanTheEmptyMarkWithinBothLengths)
{
    TextGrid observed(12, 11);
    for (int r = 1; r <= 10; ++r) {
        for (int c = 1; c <= 11; ++c)
            observed.setCell(c, r, "0.0001");
    }
    observed.setCell(1, 2, "12.5");
    observed.setCell(1, 4, "12.50"); // typed with a trailing zero: still a number
    observed.setCell(1, 5, "n/a");
    observed.setCell(1, 6, "");
    observed.setCell(1, 7, "0.00010"); // the empty mark, however written
    observed.setCell(1, 8, "0");
    observed.setCell(1, 9, "3");
    observed.setCell(11, 1, "88");
    const ObservedSeries measured = MeasuredValues(observed, 10, 8);
    EXPECT_EQ(measured[0],
        (std::vector<Observation> {{2, 12.5}, {4, 12.5}, {8, 0}})); // day 9 lies past N = 8
    EXPECT_EQ(measured[10], (std::vector<Observation> {{1, 88}}));
    EXPECT_TRUE(measured[5].empty());
    EXPECT_EQ(MeasuredValues(observed, 3, 8)[0], (std::vector<Observation> {{2, 12.5}}));
    EXPECT_TRUE(MeasuredValues(observed, 0, 8)[0].empty());
}

// The fit statistics, the calibration and the explorer (MeasuredValues) count the very days the
// graph marks and keeps: an imported "1E-6" is a measurement in both, "0.00010" in neither.
TEST(MeasuredValues, TheGraphMarksTheDaysTheStatisticsCount)
{
    TextGrid simulated(12, 21);
    TextGrid observed(12, 21);
    BuildObservedGrid(observed, 20);
    for (int d = 1; d <= 20; ++d)
        simulated.setCell(1, d, "10");
    const char *cells[] = {"1E-6", "2.5", "0.00010", "n/a", "7", "", "0", "1e0"};
    for (int i = 0; i < 8; ++i)
        observed.setCell(1, 2 * i + 2, cells[i]);
    const std::vector<Observation> counted = MeasuredValues(observed, 20, 20)[0];
    EXPECT_EQ(counted, (std::vector<Observation> {{2, 1e-6}, {4, 2.5}, {10, 7}, {14, 0}, {16, 1}}));

    GraphRequest request;
    request.column = 1;
    request.simulationDays = 20;
    request.observedDays = 20;
    request.showObserved = true;
    CleanGraphCells(request, simulated, observed);
    EXPECT_EQ(observed.cell(1, 2), "1E-6"); // kept as typed
    EXPECT_EQ(observed.cell(1, 16), "1e0");
    EXPECT_EQ(observed.cell(1, 8), "0.0001"); // text that is no number is tidied
    EXPECT_EQ(observed.cell(1, 12), "0.0001");
    EXPECT_EQ(MeasuredValues(observed, 20, 20)[0], counted);
    testing_support::RecordingCanvas canvas;
    DrawGraph(canvas, kScreenGraphLayout, request, simulated, observed);
    EXPECT_EQ(canvas.fillsIn(kBlue).size(), counted.size());
    EXPECT_TRUE(HasObservations(observed, 20));
}

} // namespace
