#include "results/graph.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

using namespace carexa;
using carexa::testing_support::RecordingCanvas;

namespace {

class Graph : public testing::Test
{
protected:
    // Day d of every series holds the value d, so a point tells which day it shows.
    void FillDays(int days)
    {
        simulated.setRowCount(days + 1);
        for (int d = 1; d <= days; ++d) {
            for (int c = 1; c <= 11; ++c)
                simulated.setCell(c, d, FormatInteger(d));
        }
        request.simulationDays = days;
    }
    void Draw(const GraphLayout &layout = kScreenGraphLayout)
    {
        DrawGraph(canvas, layout, request, simulated, observed);
    }
    // y of a value on the screen graph.
    int Y(double value, double maximum) const
    {
        return static_cast<int>(385 - 325 * value / maximum);
    }

    TextGrid simulated {12, 61};
    TextGrid observed {12, 61};
    GraphRequest request;
    RecordingCanvas canvas;
};

TEST_F(Graph, TheFirstSweepPointTruncatesOrRoundsItsDay)
{
    FillDays(60);
    request.column = 2; // "Nitrate out": 40 x 60 / 488 = 4.9 gives day 4
    Draw();
    auto red = canvas.segmentsIn(kRed);
    ASSERT_FALSE(red.empty());
    EXPECT_EQ(red[0].x1, 40);
    EXPECT_EQ(red[0].y1, Y(1, 60));
    EXPECT_EQ(red[0].x2, 40);
    EXPECT_EQ(red[0].y2, Y(4, 60));
    EXPECT_EQ(red.back().x2, 488);
    EXPECT_EQ(red.back().y2, Y(60, 60));

    canvas = RecordingCanvas();
    request.column = 1; // "BODS out" rounds: day 5
    Draw();
    red = canvas.segmentsIn(kRed);
    EXPECT_EQ(red[0].y2, Y(5, 60));
}

TEST_F(Graph, NothingAboveTheEmptyValueGivesAFlatLineWithoutValueLabels)
{
    request.simulationDays = 60;
    simulated.setCell(3, 7, "1E-8");
    Draw();
    for (const auto &segment : canvas.segmentsIn(kRed)) {
        EXPECT_EQ(segment.y1, 60);
        EXPECT_EQ(segment.y2, 60);
    }
    EXPECT_EQ(simulated.cell(1, 1), "0.0001"); // cleaned in the grid itself
    EXPECT_EQ(simulated.cell(1, 60), "0.0001");
    EXPECT_EQ(canvas.textAt(5, 52), nullptr);
    EXPECT_EQ(canvas.texts.size(), 1u + 4u + 2u); // "0", the day labels, unit and "days"

    canvas = RecordingCanvas();
    request.typedMaximum = "0.0001";
    Draw();
    EXPECT_EQ(canvas.textAt(5, 52), nullptr);
}

TEST_F(Graph, ValueLabelsAndTicks)
{
    FillDays(60);
    request.typedMaximum = "40";
    Draw();
    const int labelY[] = {52, 133, 214, 295};
    const char *labels[] = {"40", "30", "20", "10"};
    for (int i = 0; i < 4; ++i) {
        const auto *text = canvas.textAt(5, labelY[i]);
        ASSERT_NE(text, nullptr) << i;
        EXPECT_EQ(text->text, labels[i]);
    }
    bool tickAt141 = false;
    for (const auto &s : canvas.segmentsIn(kBlack))
        tickAt141 = tickAt141 || (s.x1 == 35 && s.x2 == 45 && s.y1 == 141 && s.y2 == 141);
    EXPECT_TRUE(tickAt141);

    EXPECT_EQ(ValueLabel(0.004, 1), "0.0..");
    EXPECT_EQ(ValueLabel(0.004, 0.25), "0.0..");
    EXPECT_EQ(ValueLabel(0.01, 1), "0.01");
    EXPECT_EQ(ValueLabel(3.0, 1), "3");
    EXPECT_EQ(ValueLabel(50, 0.25), "12.5");
}

TEST_F(Graph, DayTickLabelsAreTheQuartersOfTheSimulation)
{
    FillDays(60);
    Draw();
    EXPECT_EQ(canvas.textAt(152, 390)->text, "15");
    EXPECT_EQ(canvas.textAt(264, 390)->text, "30");
    EXPECT_EQ(canvas.textAt(376, 390)->text, "45");
    EXPECT_EQ(canvas.textAt(488, 390)->text, "60");
    EXPECT_EQ(canvas.textAt(23, 10)->text, "mg/L");
    EXPECT_EQ(canvas.textAt(500, 377)->text, "days");

    canvas = RecordingCanvas();
    FillDays(10);
    request.column = 7;
    Draw();
    EXPECT_EQ(canvas.textAt(152, 390)->text, "2");
    EXPECT_EQ(canvas.textAt(264, 390)->text, "5");
    EXPECT_EQ(canvas.textAt(376, 390)->text, "7");
    EXPECT_EQ(canvas.textAt(488, 390)->text, "10");
    EXPECT_EQ(canvas.textAt(23, 10)->text, "%");
}

TEST_F(Graph, LongRunsGetAPointInEveryColumn)
{
    FillDays(1000);
    request.column = 3;
    Draw();
    const auto red = canvas.segmentsIn(kRed);
    EXPECT_EQ(red.size(), 448u + 1u); // x = 40 .. 487, then the last point
    EXPECT_EQ(red[1].x2, 41);
}

TEST_F(Graph, TheObservedLineEndsAtTheObservedLength)
{
    FillDays(60);
    BuildObservedGrid(observed, 30);
    observed.setCell(4, 3, "n/a");
    observed.setCell(4, 5, "2.5");
    request.column = 4;
    request.observedDays = 30;
    request.showObserved = true;
    Draw();
    EXPECT_EQ(observed.cell(4, 3), "0.0001");
    const auto blue = canvas.segmentsIn(kBlue);
    ASSERT_FALSE(blue.empty());
    // Day 30 is first reached at x = 244 and day 31 at x = 253 (253 x 60 / 488 = 31.1): the line
    // ends at day 30 and draws nothing past it.
    EXPECT_EQ(blue.back().x2, 244);
    for (const auto &segment : blue)
        EXPECT_LT(segment.x2, 253);

    canvas = RecordingCanvas();
    BuildObservedGrid(observed, 60);
    request.observedDays = 60;
    Draw();
    EXPECT_EQ(canvas.segmentsIn(kBlue).back().x2, 488);
}

TEST_F(Graph, TheTypedMaximumReadsCellsAsTheyAre)
{
    FillDays(60);
    simulated.setCell(2, 9, "1E-8");
    request.column = 2;
    request.typedMaximum = "100";
    Draw();
    EXPECT_EQ(simulated.cell(2, 9), "1E-8");

    simulated.setCell(2, 30, "abc");
    canvas = RecordingCanvas();
    EXPECT_THROW(Draw(), ConversionError);
    EXPECT_FALSE(canvas.segmentsIn(kRed).empty()); // the image stays as far as it got

    for (const char *typed : {".", "0", "0.0"}) {
        canvas = RecordingCanvas();
        request.typedMaximum = typed;
        EXPECT_THROW(Draw(), Error) << typed;
        EXPECT_TRUE(canvas.fills.empty()) << typed;
        EXPECT_TRUE(canvas.segments.empty()) << typed;
    }
}

TEST_F(Graph, ThePrintedPageUsesItsOwnScaleWidthsAndLegend)
{
    FillDays(60);
    request.column = 1;
    Draw(kPrintGraphLayout);
    const auto red = canvas.segmentsIn(kRed);
    EXPECT_EQ(red[0].x1, 320);
    EXPECT_EQ(red[0].width, 10);
    // All printed graphs truncate: 320 x 60 / 3904 = 4.9 gives day 4.
    EXPECT_EQ(red[0].y2, static_cast<int>(3080 - 2830 * 4 / 60.0));
    EXPECT_EQ(red.back().x2, 3904);
    EXPECT_EQ(canvas.textAt(2000, 60)->text, "BOD5 out");
    EXPECT_EQ(canvas.textAt(195, 70)->text, "mg/L");
    EXPECT_EQ(canvas.textAt(1190, 3120)->text, "15");
    EXPECT_EQ(canvas.textAt(120, 210)->text, "60");
    EXPECT_FALSE(canvas.hasText("Simulated: "));
    for (const auto &s : canvas.segmentsIn(kBlack))
        EXPECT_EQ(s.width, 11);

    canvas = RecordingCanvas();
    request.column = 9;
    request.showObserved = true;
    BuildObservedGrid(observed, 60);
    Draw(kPrintGraphLayout);
    EXPECT_TRUE(canvas.hasText("Simulated: "));
    EXPECT_TRUE(canvas.hasText("Observed: "));
    EXPECT_EQ(canvas.textAt(195, 70)->text, " % ");
    EXPECT_EQ(canvas.textAt(2000, 60)->text, "Efficiency of Phosphorous removal");
    EXPECT_EQ(canvas.segmentsIn(kBlue)[0].width, 5);
    int legendWidths = 0;
    for (const auto &s : canvas.segmentsIn(kBlack)) {
        if (s.y1 == 3450 && s.x1 == 750 && s.x2 == 950)
            legendWidths += s.width == 10;
        if (s.y1 == 3550 && s.x1 == 750 && s.x2 == 950)
            legendWidths += s.width == 5;
    }
    EXPECT_EQ(legendWidths, 2);
}

} // namespace
