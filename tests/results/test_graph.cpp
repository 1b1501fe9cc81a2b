#include "results/graph.h"

#include "model/error.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

using namespace carexa;
using carexa::testing_support::RecordingCanvas;

namespace {

using Segment = RecordingCanvas::Segment;

// Whether every segment lies inside a rectangle (edges included).
::testing::AssertionResult AllInside(const std::vector<Segment> &segments, const CanvasRect &frame)
{
    for (const Segment &s : segments) {
        for (const auto &[x, y] : {std::pair {s.x1, s.y1}, std::pair {s.x2, s.y2}}) {
            if (x < frame.left || x > frame.right || y < frame.top || y > frame.bottom)
                return ::testing::AssertionFailure()
                    << "(" << x << ", " << y << ") of the segment from (" << s.x1 << ", " << s.y1
                    << ") lies outside";
        }
    }
    return ::testing::AssertionSuccess();
}

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
    // Every day of one series holds `text`.
    void FillColumn(int column, int days, const char *text)
    {
        for (int d = 1; d <= days; ++d)
            simulated.setCell(column, d, text);
        request.column = column;
        request.simulationDays = days;
    }
    void Draw(const GraphLayout &layout = kScreenGraphLayout)
    {
        DrawGraph(canvas, layout, request, simulated, observed);
    }
    static bool HasSegment(const std::vector<Segment> &segments, int x1, int y1, int x2, int y2)
    {
        for (const Segment &s : segments) {
            if (s.x1 == x1 && s.y1 == y1 && s.x2 == x2 && s.y2 == y2)
                return true;
        }
        return false;
    }

    TextGrid simulated {12, 61};
    TextGrid observed {12, 61};
    GraphRequest request;
    RecordingCanvas canvas;
};

// The ticks say day N/4 at x = 152; the day drawn there must be day N/4 too.
TEST_F(Graph, EachDaySitsAtItsShareOfTheDayAxis)
{
    FillDays(60);
    request.column = 2;
    request.typedMaximum = "60";
    Draw();
    const auto red = canvas.segmentsIn(kRed);
    ASSERT_EQ(red.size(), 59u); // one point per day
    // Day 1 at 40 + 448 / 60 = 47.5 -> 47, value 1 at 385 - 325 / 60 = 379.6 -> 379; day 2 at 54.9.
    EXPECT_EQ(red[0].x1, 47);
    EXPECT_EQ(red[0].y1, 379);
    EXPECT_EQ(red[0].x2, 55);
    EXPECT_EQ(red[0].y2, 374);
    EXPECT_TRUE(HasSegment(red, red[13].x1, red[13].y1, 152, 303)); // day 15 on the first tick
    EXPECT_EQ(canvas.textAt(152, 390)->text, "15");
    EXPECT_EQ(red.back().x2, 488); // day 60 on the last tick
    EXPECT_EQ(red.back().y2, 60);

    // "BOD5 out" places its days by the same rule.
    canvas = RecordingCanvas();
    request.column = 1;
    Draw();
    EXPECT_EQ(canvas.segmentsIn(kRed)[0].x1, 47);

    // The printed page: day 1 at 320 + 3584 / 60 = 379.7 -> 380, day 15 on its tick at 1216.
    canvas = RecordingCanvas({0, 0, 4800, 6700});
    Draw(kPrintGraphLayout);
    const auto printed = canvas.segmentsIn(kRed);
    EXPECT_EQ(printed[0].x1, 380);
    EXPECT_EQ(printed[0].y1, 3032); // 3080 - 2830 / 60 = 3032.8
    EXPECT_EQ(printed[13].x2, 1216);
    EXPECT_EQ(printed.back().x2, 3904);
}

TEST_F(Graph, ShortRunsHaveOnePointPerDay)
{
    FillDays(10);
    request.column = 4;
    request.typedMaximum = "10";
    Draw();
    const auto red = canvas.segmentsIn(kRed);
    // x = 40 + 44.8 d rounded, y = 385 - 32.5 d truncated.
    const int xs[] = {85, 130, 174, 219, 264, 309, 354, 398, 443, 488};
    const int ys[] = {352, 320, 287, 255, 222, 190, 157, 125, 92, 60};
    ASSERT_EQ(red.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(red[i].x1, xs[i]) << i;
        EXPECT_EQ(red[i].y1, ys[i]) << i;
        EXPECT_EQ(red[i].x2, xs[i + 1]) << i;
        EXPECT_EQ(red[i].y2, ys[i + 1]) << i;
    }

    // A single day is a dot on the last tick.
    canvas = RecordingCanvas();
    FillDays(1);
    request.typedMaximum = "2";
    Draw();
    ASSERT_EQ(canvas.segmentsIn(kRed).size(), 1u);
    const Segment dot = canvas.segmentsIn(kRed)[0];
    EXPECT_EQ(dot.x1, 488);
    EXPECT_EQ(dot.x2, 488);
    EXPECT_EQ(dot.y1, 222); // 385 - 162.5
    EXPECT_EQ(dot.y2, 222);
}

TEST_F(Graph, LongRunsSpanEveryColumnFromItsLowestToItsHighestDay)
{
    // 1000 days on 448 columns: x = 40 + 0.448 d rounded, so days 499 to 501 share x = 264 and
    // days 700 and 701 share x = 354.
    FillColumn(3, 1000, "1");
    simulated.setCell(3, 501, "50"); // a peak a one-day-a-column sampling would step over
    simulated.setCell(3, 701, "0");
    Draw();
    const auto red = canvas.segmentsIn(kRed);
    std::set<int> columns;
    for (const Segment &s : red)
        columns.insert(s.x2);
    EXPECT_EQ(columns.size(), 448u); // every column after the first, 41 .. 488
    EXPECT_EQ(*columns.begin(), 41);
    EXPECT_EQ(red[0].x1, 40);
    // Maximum 50: the value 1 at 385 - 6.5 -> 378, the peak at 60, the zero at 385.
    EXPECT_TRUE(HasSegment(red, 264, 378, 264, 60));
    EXPECT_TRUE(HasSegment(red, 264, 60, 265, 378));
    EXPECT_TRUE(HasSegment(red, 354, 378, 354, 385)); // days 700 to 702 share x = 354
    EXPECT_TRUE(HasSegment(red, 354, 385, 354, 378));

    // A column entered in the middle of its span goes to the far end first and leaves at its
    // last day.
    canvas = RecordingCanvas();
    simulated.setCell(3, 499, "10"); // y 320
    simulated.setCell(3, 500, "50");
    simulated.setCell(3, 501, "0");
    Draw();
    auto column = [](const std::vector<Segment> &segments, int x) {
        std::vector<int> ys;
        for (const Segment &s : segments) {
            if (s.x2 == x)
                ys.push_back(s.y2);
        }
        return ys;
    };
    EXPECT_EQ(column(canvas.segmentsIn(kRed), 264), (std::vector<int> {320, 60, 385}));
    canvas = RecordingCanvas();
    simulated.setCell(3, 500, "0");
    simulated.setCell(3, 501, "50");
    Draw();
    EXPECT_EQ(column(canvas.segmentsIn(kRed), 264), (std::vector<int> {320, 385, 60}));
}

TEST_F(Graph, NothingAboveTheEmptyValueGivesAFlatLineWithoutValueLabels)
{
    request.simulationDays = 60; // every cell empty
    Draw();
    EXPECT_EQ(canvas.segmentsIn(kRed).size(), 59u);
    for (const auto &segment : canvas.segmentsIn(kRed)) {
        EXPECT_EQ(segment.y1, 60);
        EXPECT_EQ(segment.y2, 60);
    }
    EXPECT_EQ(simulated.cell(1, 1), ""); // drawing never changes a cell
    EXPECT_EQ(canvas.textAt(5, 52), nullptr);
    EXPECT_EQ(canvas.texts.size(), 1u + 4u + 2u); // "0", the day labels, unit and "days"

    canvas = RecordingCanvas();
    request.typedMaximum = "0.0001";
    FillColumn(1, 60, "0.0001");
    Draw();
    EXPECT_EQ(canvas.textAt(5, 52), nullptr);
}

TEST_F(Graph, TheAutomaticMaximumCountsCellsAGraphCleansAsTheEmptyValue)
{
    FillColumn(6, 60, "0.0001");
    simulated.setCell(6, 10, "40");
    simulated.setCell(6, 20, "1E5"); // a number, but one a graph cleans
    simulated.setCell(6, 30, "-5");
    simulated.setCell(6, 40, "n/a");
    simulated.setCell(6, 50, "");
    Draw();
    EXPECT_EQ(canvas.textAt(5, 52)->text, "40");
    EXPECT_EQ(canvas.textAt(5, 295)->text, "10");
    const auto red = canvas.segmentsIn(kRed);
    // Day 10 at 40 + 74.7 -> 115, at the top of the axis; day 20 at 189, on the empty value.
    EXPECT_TRUE(HasSegment(red, 115, 60, red[9].x2, 384));
    EXPECT_EQ(red[18].x2, 189);
    EXPECT_EQ(red[18].y2, 384);
    EXPECT_EQ(simulated.cell(6, 20), "1E5");
    EXPECT_EQ(simulated.cell(6, 30), "-5");
    EXPECT_EQ(simulated.cell(6, 40), "n/a");
    EXPECT_EQ(simulated.cell(6, 50), "");
}

TEST_F(Graph, AskingForAGraphCleansTheCellsItReads)
{
    const char *texts[] = {"1E-8", "", "abc", "-5", "+3", "1.2.3", ".", "12.5", "0.0001", "7"};
    for (int r = 1; r <= 10; ++r) {
        simulated.setCell(5, r, texts[r - 1]);
        observed.setCell(5, r, texts[r - 1]);
    }
    simulated.setCell(5, 11, "abc"); // past the simulation
    simulated.setCell(4, 1, "abc"); // another series
    request.column = 5;
    request.simulationDays = 10;
    request.observedDays = 6;

    // A refused maximum changes nothing.
    request.typedMaximum = "0";
    request.showObserved = true;
    EXPECT_THROW(CleanGraphCells(request, simulated, observed), Error);
    EXPECT_EQ(simulated.cell(5, 1), "1E-8");
    EXPECT_EQ(observed.cell(5, 1), "1E-8");

    // A typed maximum leaves the simulated cells; observed values not shown are left too.
    request.typedMaximum = "5";
    request.showObserved = false;
    CleanGraphCells(request, simulated, observed);
    EXPECT_EQ(simulated.cell(5, 1), "1E-8");
    EXPECT_EQ(observed.cell(5, 1), "1E-8");

    request.typedMaximum.clear();
    request.showObserved = true;
    CleanGraphCells(request, simulated, observed);
    // Observed cells that hold a number stay (a measurement counts by the one rule, "1E-8" and
    // "-5" too); only text that is no number is tidied.
    const char *observedAfter[] = {"1E-8", "0.0001", "0.0001", "-5", "+3", "0.0001", "."};
    for (int r = 1; r <= 7; ++r) {
        EXPECT_EQ(simulated.cell(5, r), "0.0001") << r;
        EXPECT_EQ(observed.cell(5, r), observedAfter[r - 1]) << r;
    }
    EXPECT_EQ(simulated.cell(5, 8), "12.5");
    EXPECT_EQ(simulated.cell(5, 9), "0.0001");
    EXPECT_EQ(simulated.cell(5, 10), "7");
    EXPECT_EQ(simulated.cell(5, 11), "abc");
    EXPECT_EQ(simulated.cell(4, 1), "abc");
}

TEST_F(Graph, ObservedValuesAreMarkersOnMeasuredDaysJoinedInOrder)
{
    // An observation for day 10 of a 90-day run stands at day 10 of the axis, x = 40 + 49.8.
    FillColumn(2, 90, "1");
    observed.setRowCount(91);
    BuildObservedGrid(observed, 90);
    observed.setCell(2, 10, "4");
    observed.setCell(2, 25, "n/a");
    observed.setCell(2, 30, "6");
    observed.setCell(2, 31, "");
    observed.setCell(2, 45, "0.00010"); // the empty value, however it is written
    observed.setCell(2, 60, "5");
    observed.setCell(3, 20, "9"); // another series
    request.observedDays = 90;
    request.showObserved = true;
    request.typedMaximum = "10";
    Draw();
    const auto blue = canvas.segmentsIn(kBlue);
    ASSERT_EQ(blue.size(), 2u);
    EXPECT_TRUE(HasSegment(blue, 90, 255, 189, 190)); // day 10 (4) to day 30 (6)
    EXPECT_TRUE(HasSegment(blue, 189, 190, 339, 222)); // day 30 to day 60 (5)
    const auto markers = canvas.fillsIn(kBlue);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0], (CanvasRect {88, 253, 93, 258}));
    EXPECT_EQ(markers[1], (CanvasRect {187, 188, 192, 193}));
    EXPECT_EQ(markers[2], (CanvasRect {337, 220, 342, 225}));
    EXPECT_EQ(observed.cell(2, 25), "n/a");

    // No day past the observed length is read, and none past the simulation.
    canvas = RecordingCanvas();
    request.observedDays = 59;
    Draw();
    EXPECT_EQ(canvas.segmentsIn(kBlue).size(), 1u);
    EXPECT_EQ(canvas.fillsIn(kBlue).size(), 2u);
    canvas = RecordingCanvas();
    request.observedDays = 90;
    request.simulationDays = 59;
    Draw();
    EXPECT_EQ(canvas.fillsIn(kBlue).size(), 2u);

    // A single measurement is a marker alone; a series without any draws nothing blue. Here
    // its 4 lies above the automatic maximum of the simulated 1: a triangle at the top.
    canvas = RecordingCanvas();
    request.typedMaximum.clear();
    request.simulationDays = 90;
    observed.setCell(2, 30, "0.0001");
    observed.setCell(2, 60, "0.0001");
    Draw();
    EXPECT_TRUE(canvas.segmentsIn(kBlue).empty());
    EXPECT_TRUE(canvas.fillsIn(kBlue).empty());
    EXPECT_EQ(canvas.polygonsIn(kBlue).size(), 1u);
    canvas = RecordingCanvas();
    request.column = 7;
    Draw();
    EXPECT_TRUE(canvas.segmentsIn(kBlue).empty());
    EXPECT_TRUE(canvas.fillsIn(kBlue).empty());
    EXPECT_TRUE(canvas.polygonsIn(kBlue).empty());
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
    EXPECT_TRUE(HasSegment(canvas.segmentsIn(kBlack), 35, 141, 45, 141));

    EXPECT_EQ(ValueLabel(0.004, 1), "0.0..");
    EXPECT_EQ(ValueLabel(0.004, 0.25), "0.0..");
    EXPECT_EQ(ValueLabel(0.01, 1), "0.01");
    EXPECT_EQ(ValueLabel(3.0, 1), "3");
    EXPECT_EQ(ValueLabel(50, 0.25), "12.5");
}

TEST_F(Graph, PrintedValueLabelsEndBeforeTheirTick)
{
    FillDays(60);
    request.typedMaximum = "29.79";
    canvas = RecordingCanvas({0, 0, 4800, 6700}, 50);
    Draw(kPrintGraphLayout);
    EXPECT_EQ(canvas.textAt(10, 210)->text, "29.79"); // 5 characters of 50 end at 260
    int labels = 0;
    for (const auto &text : canvas.texts) {
        if (text.y == 210 || text.y == 917 || text.y == 1625 || text.y == 2332) {
            EXPECT_EQ(text.x + 50 * static_cast<int>(text.text.size()), 260) << text.text;
            ++labels;
        }
    }
    EXPECT_EQ(labels, 4);
    EXPECT_TRUE(HasSegment(canvas.segmentsIn(kBlack), 280, 250, 320, 250));
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

TEST_F(Graph, TheTypedMaximumReadsCellsAsTheyAre)
{
    FillDays(60);
    simulated.setCell(2, 9, "1E-8");
    request.column = 2;
    request.typedMaximum = "100";
    Draw();
    EXPECT_EQ(canvas.segmentsIn(kRed)[7].y2, 384); // read as 1E-8, not as the empty value's 0.0001
    EXPECT_EQ(simulated.cell(2, 9), "1E-8");

    simulated.setCell(2, 30, "abc");
    canvas = RecordingCanvas();
    EXPECT_THROW(Draw(), ConversionError);
    // The image stays as far as it got: days 1 to 29, the last at 40 + 216.5 -> 257.
    EXPECT_EQ(canvas.segmentsIn(kRed).back().x2, 257);
    EXPECT_TRUE(canvas.segmentsIn(kBlack).empty());

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
    canvas = RecordingCanvas({0, 0, 4800, 6700});
    Draw(kPrintGraphLayout);
    const auto red = canvas.segmentsIn(kRed);
    EXPECT_EQ(red[0].width, 10);
    EXPECT_EQ(canvas.textAt(2000, 60)->text, "BOD5 out");
    EXPECT_EQ(canvas.textAt(195, 70)->text, "mg/L");
    EXPECT_EQ(canvas.textAt(1190, 3120)->text, "15");
    EXPECT_EQ(canvas.textAt(246, 210)->text, "60"); // 2 characters of 7 end at 260
    EXPECT_FALSE(canvas.hasText("Simulated: "));
    for (const auto &s : canvas.segmentsIn(kBlack))
        EXPECT_EQ(s.width, 11);

    // Labels that fit before x = 750 leave the samples there.
    canvas = RecordingCanvas({0, 0, 4800, 6700});
    request.column = 9;
    request.showObserved = true;
    BuildObservedGrid(observed, 60);
    observed.setCell(9, 30, "20");
    Draw(kPrintGraphLayout);
    EXPECT_EQ(canvas.textAt(400, 3400)->text, "Simulated: ");
    EXPECT_EQ(canvas.textAt(400, 3500)->text, "Observed: ");
    EXPECT_EQ(canvas.textAt(195, 70)->text, " % ");
    EXPECT_EQ(canvas.textAt(2000, 60)->text, "Efficiency of Phosphorous removal");
    EXPECT_EQ(canvas.segmentsIn(kBlue).size(), 0u);
    ASSERT_EQ(canvas.fillsIn(kBlue).size(), 1u);
    EXPECT_EQ(canvas.fillsIn(kBlue)[0].right - canvas.fillsIn(kBlue)[0].left, 31);
    auto black = canvas.segmentsIn(kBlack);
    EXPECT_TRUE(HasSegment(black, 750, 3450, 950, 3450));
    EXPECT_TRUE(HasSegment(black, 750, 3550, 950, 3550));
}

// Measured with the font in use, the labels push the samples right; on paper the samples are
// black lines of the series' widths, in a picture the series' colours.
TEST_F(Graph, LegendSamplesStartAfterTheirLabels)
{
    FillDays(60);
    BuildObservedGrid(observed, 60);
    request.showObserved = true;
    for (const GraphLayout *layout : {&kPrintGraphLayout, &kExportGraphLayout}) {
        canvas = RecordingCanvas({0, 0, 4800, 6700}, 50);
        Draw(*layout);
        const bool coloured = layout == &kExportGraphLayout;
        const auto simulatedSample = canvas.segmentsIn(coloured ? kRed : kBlack);
        const auto observedSample = canvas.segmentsIn(coloured ? kBlue : kBlack);
        // "Simulated: " is 11 characters of 50: 400 + 550 + a gap of 60.
        ASSERT_TRUE(HasSegment(simulatedSample, 1010, 3450, 1210, 3450)) << coloured;
        ASSERT_TRUE(HasSegment(observedSample, 1010, 3550, 1210, 3550)) << coloured;
        for (const auto &s : simulatedSample) {
            if (s.y1 == 3450) {
                EXPECT_EQ(s.width, 10);
            }
        }
        for (const auto &s : observedSample) {
            if (s.y1 == 3550) {
                EXPECT_EQ(s.width, 5);
            }
        }
        const auto markers = canvas.fillsIn(coloured ? kBlue : kBlack);
        ASSERT_EQ(markers.size(), 1u) << coloured;
        EXPECT_EQ(markers[0], (CanvasRect {1095, 3535, 1126, 3566}));
        EXPECT_EQ(canvas.findText("Simulated: ")->colour, kBlack);
        EXPECT_EQ(canvas.findText("Observed: ")->colour, kBlack);
    }
}

TEST_F(Graph, APictureIsTheExportLayoutOnAWhitePageWithATenPointFont)
{
    FillDays(60);
    request.column = 11;
    request.showObserved = true;
    BuildObservedGrid(observed, 60);
    RecordingCanvas picture({0, 0, kGraphPictureWidth, kGraphPictureHeight});
    picture.setBrushColour(kBlue);
    DrawGraphPicture(picture, request, simulated, observed);
    ASSERT_FALSE(picture.fills.empty());
    EXPECT_EQ(picture.fills[0].colour, kWhite);
    EXPECT_EQ(picture.fills[0].rect, (CanvasRect {0, 0, 4300, 3700}));
    EXPECT_EQ(picture.textAt(2000, 60)->text, "Efficiency of Total Nitrogen removal");
    EXPECT_EQ(picture.textAt(2000, 60)->fontSize, 10);
    EXPECT_TRUE(HasSegment(picture.segmentsIn(kRed), 750, 3450, 950, 3450));

    // A picture clips too: nothing of the line above its maximum, nothing over the title.
    RecordingCanvas clipped({0, 0, kGraphPictureWidth, kGraphPictureHeight});
    request.typedMaximum = "20";
    DrawGraphPicture(clipped, request, simulated, observed);
    std::vector<Segment> line;
    for (const Segment &s : clipped.segmentsIn(kRed)) {
        if (s.y1 != 3450) // the legend's sample
            line.push_back(s);
    }
    ASSERT_FALSE(line.empty());
    EXPECT_TRUE(AllInside(line, GraphPlotFrame(kExportGraphLayout)));
}

TEST_F(Graph, ThePlotFrameRunsFromTheAxesToTheMaximum)
{
    EXPECT_EQ(GraphPlotFrame(kScreenGraphLayout), (CanvasRect {40, 60, 488, 385}));
    EXPECT_EQ(GraphPlotFrame(kPrintGraphLayout), (CanvasRect {320, 250, 3904, 3080}));
    EXPECT_EQ(GraphPlotFrame(kExportGraphLayout), (CanvasRect {320, 250, 3904, 3080}));
}

// A typed maximum below the data: the line runs up to the top of the frame and no further, on
// the screen, the page and in a picture alike.
TEST_F(Graph, EveryLineIsClippedToThePlotFrame)
{
    FillDays(60);
    simulated.setCell(2, 5, "-5"); // read as it is under a typed maximum: below the day axis
    request.column = 2;
    request.typedMaximum = "30";
    for (const GraphLayout *layout : {&kScreenGraphLayout, &kPrintGraphLayout, &kExportGraphLayout}) {
        canvas = RecordingCanvas({0, 0, 4800, 6700});
        Draw(*layout);
        const CanvasRect frame = GraphPlotFrame(*layout);
        const auto red = canvas.segmentsIn(kRed);
        ASSERT_FALSE(red.empty());
        EXPECT_TRUE(AllInside(red, frame));
        int highest = frame.bottom;
        int lowest = frame.top;
        for (const Segment &s : red) {
            highest = std::min({highest, s.y1, s.y2});
            lowest = std::max({lowest, s.y1, s.y2});
        }
        EXPECT_EQ(highest, frame.top); // day 30 reaches the maximum; the days after are cut off
        EXPECT_EQ(lowest, frame.bottom); // day 5's -5 is cut at the day axis
    }
    // On screen: day 30 at x = 264 on the top edge; nothing is drawn right of it but the frame.
    canvas = RecordingCanvas();
    Draw();
    int rightmost = 0;
    for (const Segment &s : canvas.segmentsIn(kRed))
        rightmost = std::max({rightmost, s.x1, s.x2});
    EXPECT_EQ(rightmost, 264);
}

TEST_F(Graph, AMeasuredValueAboveTheMaximumIsATriangleAtTheTopOfTheFrame)
{
    FillColumn(2, 60, "10"); // the automatic maximum is 10
    BuildObservedGrid(observed, 60);
    observed.setCell(2, 15, "5");
    observed.setCell(2, 30, "80"); // far above every simulated value
    observed.setCell(2, 45, "5");
    request.showObserved = true;
    for (const GraphLayout *layout : {&kScreenGraphLayout, &kPrintGraphLayout}) {
        canvas = RecordingCanvas({0, 0, 4800, 6700});
        Draw(*layout);
        const CanvasRect frame = GraphPlotFrame(*layout);
        const int x30 = layout->originX + (layout->sweepEnd - layout->originX) / 2;
        const int side = layout->markerHalf + 1;
        const auto triangles = canvas.polygonsIn(kBlue);
        ASSERT_EQ(triangles.size(), 1u);
        EXPECT_EQ(triangles[0], (std::vector<CanvasPoint> {{x30, frame.top},
                                    {x30 + side, frame.top + 2 * side},
                                    {x30 - side, frame.top + 2 * side}}));
        // The two values inside are squares; the line to the high value and back ends at the top
        // edge.
        EXPECT_EQ(canvas.fillsIn(kBlue).size(), 2u);
        const auto blue = canvas.segmentsIn(kBlue);
        EXPECT_TRUE(AllInside(blue, frame));
        EXPECT_FALSE(blue.empty());
        for (const auto &fill : canvas.fillsIn(kBlue))
            EXPECT_GE(fill.top, frame.top - layout->markerHalf);
    }

    // A value at the maximum is a square on the top edge, not a triangle.
    canvas = RecordingCanvas();
    observed.setCell(2, 30, "10");
    Draw();
    EXPECT_TRUE(canvas.polygonsIn(kBlue).empty());
    EXPECT_EQ(canvas.fillsIn(kBlue).size(), 3u);
}

TEST_F(Graph, AStretchedLayoutGrowsTheAxesAndKeepsTheLabelsBesideThem)
{
    const GraphLayout same = StretchGraphLayout(kScreenGraphLayout, 0, 0);
    EXPECT_EQ(GraphPlotFrame(same), GraphPlotFrame(kScreenGraphLayout));
    EXPECT_EQ(same.dayTickX, kScreenGraphLayout.dayTickX);

    // 100 wider: the 448 units of the day axis become 548; 50 taller: the 365 units of the value
    // axis line become 415 and the values 325 x 415 / 365 = 369.5.
    const GraphLayout big = StretchGraphLayout(kScreenGraphLayout, 100, 50);
    EXPECT_EQ(GraphPlotFrame(big), (CanvasRect {40, 65, 588, 435}));
    EXPECT_EQ(big.dayTickX, (std::array<int, 4> {177, 314, 451, 588}));
    EXPECT_EQ(big.dayAxisRight, 595);
    EXPECT_EQ(big.daysLabelX, 600);
    EXPECT_EQ(big.daysLabelY, 427);
    EXPECT_EQ(big.dayTickTop, 430);
    EXPECT_EQ(big.dayTickBottom, 440);
    EXPECT_EQ(big.zeroLabelY, 440);
    EXPECT_EQ(big.valueAxisTop, 20);
    EXPECT_EQ(big.unitLabelY, 10);
    EXPECT_EQ(big.valueLabelX, 5);

    FillDays(60);
    request.column = 2;
    request.typedMaximum = "60";
    canvas = RecordingCanvas({0, 0, 700, 470});
    Draw(big);
    EXPECT_EQ(canvas.segmentsIn(kRed).back().x2, 588); // day 60 on the last tick
    EXPECT_EQ(canvas.segmentsIn(kRed).back().y2, 65);
    EXPECT_EQ(canvas.textAt(588, 440)->text, "60");

    // Smaller than the layout was made for: the axes shrink, never below one unit.
    const GraphLayout tiny = StretchGraphLayout(kScreenGraphLayout, -10000, -10000);
    EXPECT_GE(GraphPlotFrame(tiny).right, 40);
    EXPECT_GE(tiny.originY - tiny.valueAxisTop, 1);
}

// The graph counts a measurement as the fit statistics do: "1E-3" and "-2" are measurements.
TEST_F(Graph, ObservationsAreNumbersOtherThanTheEmptyValue)
{
    for (const char *text : {"3", "0", "12.5", ".5", "0.00011", "1E-3", "-2"})
        EXPECT_TRUE(IsObservation(text)) << text;
    for (const char *text : {"0.0001", "0.00010", "", "n/a", "1.2.3", "."})
        EXPECT_FALSE(IsObservation(text)) << text;

    BuildObservedGrid(observed, 60);
    observed.setCell(3, 10, "n/a");
    EXPECT_FALSE(HasObservations(observed, 60));
    observed.setCell(12, 10, "5"); // not a series
    observed.setCell(4, 41, "5"); // past the observed length
    EXPECT_FALSE(HasObservations(observed, 40));
    EXPECT_TRUE(HasObservations(observed, 41));
    observed.setCell(11, 1, "2");
    EXPECT_TRUE(HasObservations(observed, 1));
    observed.setCell(11, 1, "0.0001");
    observed.setCell(1, 40, "2");
    EXPECT_TRUE(HasObservations(observed, 40));
    EXPECT_FALSE(HasObservations(observed, 39));
}

} // namespace
