#include "results/fit_graph.h"

#include "support/recording_canvas.h"

#include <gtest/gtest.h>

using namespace carexa;
using carexa::testing_support::RecordingCanvas;

namespace {

// A canvas of 452 x 232: the plot runs from x = 52 to 438 and from y = 46 (top) to 208 (value 0).
RecordingCanvas Canvas()
{
    return RecordingCanvas(CanvasRect {0, 0, 452, 232});
}

FitGraph Example()
{
    FitGraph graph;
    graph.title = "amm. out";
    graph.unit = "mg/L";
    graph.observed = {{1, 4}, {5, 7}};
    graph.start = {2, 2, 2, 2, 2};
    graph.best = {4, 5, 6, 6.5, 7};
    return graph;
}

TEST(FitGraph, DrawsTheMeasurementsTheStartAndTheBestOnOneScale)
{
    RecordingCanvas canvas = Canvas();
    DrawFitGraph(canvas, Example());

    ASSERT_FALSE(canvas.fills.empty());
    EXPECT_EQ(canvas.fills.front().colour, kWhite);
    EXPECT_TRUE(canvas.hasText("amm. out (mg/L)"));
    EXPECT_TRUE(canvas.hasText("observed"));
    EXPECT_TRUE(canvas.hasText("start"));
    EXPECT_TRUE(canvas.hasText("best so far"));

    // The largest value, 7, gives steps of 2 (a quarter is 1.75) and an axis to 8: labels 0 to 8.
    for (const char *label : {"0", "2", "4", "6", "8"})
        EXPECT_TRUE(canvas.hasText(label)) << label;
    EXPECT_FALSE(canvas.hasText("10"));
    // Days 1, 3 and 5 under the day axis.
    EXPECT_TRUE(canvas.hasText("1"));
    EXPECT_TRUE(canvas.hasText("3"));
    EXPECT_TRUE(canvas.hasText("5"));

    // The legend under the title: the sample of a measured value, drawn as the graph draws each
    // measurement (a square 5 pixels wide), then short lines 110 pixels apart.
    const auto markers = canvas.fillsIn(kFitObservedColour);
    ASSERT_EQ(markers.size(), 1u + 2u);
    EXPECT_EQ(markers[0], (CanvasRect {59, 27, 64, 32}));
    EXPECT_TRUE(canvas.segmentsIn(kFitObservedColour).empty()); // no cross anywhere
    ASSERT_NE(canvas.textAt(74, 22), nullptr);
    EXPECT_EQ(canvas.textAt(74, 22)->text, "observed");
    const auto startLegend = canvas.segmentsIn(kFitStartColour).front();
    EXPECT_EQ(startLegend.x1, 162);
    EXPECT_EQ(startLegend.x2, 180);
    EXPECT_EQ(startLegend.y1, 29);
    EXPECT_EQ(startLegend.y2, 29);
    EXPECT_EQ(canvas.textAt(184, 22)->text, "start");
    EXPECT_EQ(canvas.textAt(294, 22)->text, "best so far");

    // The best line from (52, y(4)) to (438, y(7)), y(v) = 208 - v / 8 * 162.
    const auto best = canvas.segmentsIn(kFitBestColour);
    ASSERT_GE(best.size(), 5u); // the legend's line and four steps
    EXPECT_EQ(best[1].x1, 52);
    EXPECT_EQ(best[1].y1, 208 - 81);
    EXPECT_EQ(best.back().x2, 438);
    EXPECT_EQ(best.back().y2, 208 - 142); // 141.75 rounded
    // The start line lies flat at y(2) = 208 - 40.5, the height rounded to 41.
    const auto start = canvas.segmentsIn(kFitStartColour);
    ASSERT_EQ(start.size(), 5u);
    for (std::size_t i = 1; i < start.size(); ++i) {
        EXPECT_EQ(start[i].y1, 167);
        EXPECT_EQ(start[i].y2, 167);
    }
    // Each measurement is the legend's square around its point.
    EXPECT_EQ(markers[1], (CanvasRect {50, 208 - 81 - 2, 55, 208 - 81 + 3}));
    EXPECT_EQ(markers[2], (CanvasRect {436, 208 - 142 - 2, 441, 208 - 142 + 3}));
    for (const CanvasRect &m : markers) {
        EXPECT_EQ(m.right - m.left, markers[0].right - markers[0].left);
        EXPECT_EQ(m.bottom - m.top, markers[0].bottom - markers[0].top);
    }
}

TEST(FitGraph, WithoutValuesOnlyTheFrame)
{
    RecordingCanvas canvas = Canvas();
    FitGraph graph;
    graph.title = "nit. out";
    DrawFitGraph(canvas, graph);
    EXPECT_TRUE(canvas.hasText("nit. out"));
    EXPECT_TRUE(canvas.segmentsIn(kFitBestColour).size() == 1u); // the legend
    EXPECT_TRUE(canvas.hasText("0"));
    EXPECT_TRUE(canvas.hasText("1"));
}

TEST(FitGraph, ALongSeriesIsThinnedToAboutTwoDaysAColumn)
{
    RecordingCanvas canvas = Canvas();
    FitGraph graph;
    graph.best.assign(36500, 5.0);
    DrawFitGraph(canvas, graph);
    const auto best = canvas.segmentsIn(kFitBestColour);
    // 386 columns: about 772 points, and the last day.
    EXPECT_GT(best.size(), 700u);
    EXPECT_LT(best.size(), 900u);
    EXPECT_EQ(best.back().x2, 438);
    EXPECT_TRUE(canvas.hasText("36500"));
}

} // namespace
