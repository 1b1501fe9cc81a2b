// Graphs drawn from numbers (a run's results) and the mark of results that are out of date.

#include "results/graph.h"

#include "model/error.h"
#include "model/number_text.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace carexa;
using carexa::testing_support::RecordingCanvas;

namespace {

using Segment = RecordingCanvas::Segment;

class GraphNumbers : public testing::Test
{
protected:
    // Day d of every series holds the value d.
    void FillDays(int days)
    {
        simulated.setRowCount(days + 1);
        for (int d = 1; d <= days; ++d) {
            for (int c = 1; c <= 11; ++c)
                simulated.setCell(c, d, FormatInteger(d));
        }
        request.simulationDays = days;
    }
    void Draw(const GraphLayout &layout) { DrawGraph(canvas, layout, request, simulated, observed); }

    TextGrid simulated {12, 61};
    TextGrid observed {12, 61};
    GraphRequest request;
    RecordingCanvas canvas;
};

} // namespace

namespace {

// A graph of results that no longer match their inputs says so above its plot, on screen and
// on paper; current results draw no such line.
TEST_F(GraphNumbers, OutOfDateResultsAreMarkedAboveThePlot)
{
    FillDays(60);
    for (const GraphLayout *layout : {&kScreenGraphLayout, &kPrintGraphLayout}) {
        canvas = RecordingCanvas();
        request.stale = false;
        Draw(*layout);
        EXPECT_FALSE(canvas.hasText(std::string(kStaleGraphText)));
        canvas = RecordingCanvas();
        request.stale = true;
        Draw(*layout);
        const RecordingCanvas::Text *mark = canvas.textAt(layout->staleX, layout->staleY);
        ASSERT_NE(mark, nullptr);
        EXPECT_EQ(mark->text, "Out of date: the inputs changed after this run. Simulate again.");
        EXPECT_EQ(mark->colour, 0x9A5B00u);
        // Above the plot frame, clear of the value labels.
        EXPECT_LT(layout->staleY, GraphPlotFrame(*layout).top - layout->valueLabelRise);
    }
    EXPECT_EQ(kScreenGraphLayout.staleX, 60);
    EXPECT_EQ(kPrintGraphLayout.staleY, 150);
}

// Drawn from numbers, a graph is the one its cells would give: a value whose screen text holds
// an exponent counts as 0.0001 with the automatic maximum, as such a cell does.
TEST_F(GraphNumbers, NumbersDrawAsTheCellsHoldingThemWould)
{
    const std::vector<double> values {5, 1e-8, 2.5, 12, 0.0001, 7.25};
    request.column = 3;
    request.simulationDays = 6;
    for (const char *maximum : {"", "20"}) {
        request.typedMaximum = maximum;
        for (std::size_t d = 0; d < values.size(); ++d)
            simulated.setNumber(3, static_cast<int>(d) + 1, values[d]);
        RecordingCanvas fromCells;
        DrawGraph(fromCells, kScreenGraphLayout, request, simulated, observed);
        RecordingCanvas fromNumbers;
        DrawGraph(fromNumbers, kScreenGraphLayout, request, values, observed);
        const auto a = fromNumbers.segmentsIn(kRed);
        const auto b = fromCells.segmentsIn(kRed);
        ASSERT_EQ(a.size(), b.size()) << maximum;
        ASSERT_FALSE(a.empty());
        for (std::size_t i = 0; i < a.size(); ++i)
            EXPECT_TRUE(a[i].x1 == b[i].x1 && a[i].y1 == b[i].y1 && a[i].x2 == b[i].x2
                && a[i].y2 == b[i].y2)
                << maximum << " segment " << i;
        EXPECT_EQ(fromNumbers.texts.size(), fromCells.texts.size()) << maximum;
    }
    // Fewer numbers than days: the days past them are not drawn.
    request.typedMaximum.clear();
    RecordingCanvas shorter;
    DrawGraph(shorter, kScreenGraphLayout, request, std::vector<double> {5, 6}, observed);
    ASSERT_FALSE(shorter.segmentsIn(kRed).empty());
    int right = 0;
    for (const Segment &s : shorter.segmentsIn(kRed))
        right = std::max({right, s.x1, s.x2});
    EXPECT_EQ(right, 40 + (2 * 448 * 2 + 6) / 12); // day 2 of 6
    // A typed maximum that is not above 0 draws nothing from numbers either.
    request.typedMaximum = "0";
    RecordingCanvas refused;
    EXPECT_THROW(DrawGraph(refused, kScreenGraphLayout, request, values, observed), Error);
    EXPECT_TRUE(refused.segmentsIn(kRed).empty());
}

// Only the observed cells are cleaned for a graph drawn from numbers.
TEST_F(GraphNumbers, CleaningForNumbersTouchesOnlyTheObservedCells)
{
    observed.setCell(4, 2, "n/a");
    observed.setCell(4, 3, "7");
    request.column = 4;
    request.observedDays = 5;
    request.showObserved = true;
    CleanGraphCells(request, observed);
    EXPECT_EQ(observed.cell(4, 2), "0.0001");
    EXPECT_EQ(observed.cell(4, 3), "7");
    observed.setCell(4, 2, "n/a");
    request.showObserved = false;
    CleanGraphCells(request, observed);
    EXPECT_EQ(observed.cell(4, 2), "n/a");
    request.showObserved = true;
    request.typedMaximum = "-1";
    EXPECT_THROW(CleanGraphCells(request, observed), Error);
    EXPECT_EQ(observed.cell(4, 2), "n/a");
}

} // namespace
