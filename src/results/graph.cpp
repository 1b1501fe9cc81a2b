#include "results/graph.h"

#include "model/error.h"
#include "model/model_parameters.h"
#include "model/number_text.h"
#include "model/observed_grid.h"
#include "model/output_series.h"
#include "model/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace carexa {

const GraphLayout kScreenGraphLayout {
    .originX = 40,
    .originY = 385,
    .valueHeight = 325,
    .valueAxisTop = 20,
    .dayAxisRight = 495,
    .sweepEnd = 488,
    .zeroLabelX = 38,
    .zeroLabelY = 390,
    .dayTickX = {152, 264, 376, 488},
    .dayTickTop = 380,
    .dayTickBottom = 390,
    .dayLabelDx = 0,
    .dayLabelY = 390,
    .unitLabelX = 23,
    .unitLabelY = 10,
    .daysLabelX = 500,
    .daysLabelY = 377,
    .valueTickLeft = 35,
    .valueTickRight = 45,
    .valueLabelX = 5,
    .valueLabelRight = 0,
    .valueLabelRise = 8,
    .simulatedPenWidth = 1,
    .observedPenWidth = 1,
    .framePenWidth = 1,
    .markerHalf = 2,
    .concentrationUnit = "mg/L",
    .efficiencyUnit = "%",
    .titleAndLegend = false,
    .colourLegend = false,
    .titleX = 0,
    .titleY = 0,
    .legendTextX = 0,
    .legendSimulatedY = 0,
    .legendObservedY = 0,
    .legendLineLeft = 0,
    .legendLineLength = 0,
    .legendLineDrop = 0,
    .legendGap = 0,
    .staleX = 60,
    .staleY = 2,
};

const GraphLayout kPrintGraphLayout {
    .originX = 320,
    .originY = 3080,
    .valueHeight = 2830,
    .valueAxisTop = 160,
    .dayAxisRight = 3960,
    .sweepEnd = 3904,
    .zeroLabelX = 304,
    .zeroLabelY = 3120,
    .dayTickX = {1216, 2112, 3008, 3904},
    .dayTickTop = 3080,
    .dayTickBottom = 3120,
    .dayLabelDx = -26,
    .dayLabelY = 3120,
    .unitLabelX = 195,
    .unitLabelY = 70,
    .daysLabelX = 4000,
    .daysLabelY = 3025,
    .valueTickLeft = 280,
    .valueTickRight = 320,
    .valueLabelX = 120,
    .valueLabelRight = 260,
    .valueLabelRise = 40,
    .simulatedPenWidth = 10,
    .observedPenWidth = 5,
    .framePenWidth = 11,
    .markerHalf = 15,
    .concentrationUnit = "mg/L",
    .efficiencyUnit = " % ",
    .titleAndLegend = true,
    .colourLegend = false,
    .titleX = 2000,
    .titleY = 60,
    .legendTextX = 400,
    .legendSimulatedY = 3400,
    .legendObservedY = 3500,
    .legendLineLeft = 750,
    .legendLineLength = 200,
    .legendLineDrop = 50,
    .legendGap = 60,
    .staleX = 400,
    .staleY = 150,
};

const GraphLayout kExportGraphLayout = [] {
    GraphLayout layout = kPrintGraphLayout;
    layout.colourLegend = true;
    return layout;
}();

namespace {

constexpr const char *kEmptyText = "0.0001";
constexpr int kConcentrationColumns = 5;
constexpr int kExportFontSize = 10;
constexpr std::uint32_t kStaleColour = 0x9A5B00; // dark amber, as the Forcing screen's line

// The value of a text a graph can use as it stands. A number is read only from digits and a
// full stop: every other character a number may hold (a sign, the exponent of "1E-8") is one a
// numeric field refuses, so such a cell, like an empty one or one that is no number, is cleaned.
std::optional<double> UsableValue(std::string_view text)
{
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos)
        return std::nullopt;
    return TryParseDouble(text); // nothing for ".", "1.2.3"
}

// The same for a number, judged by its screen form without making a string of it.
std::optional<double> UsableValue(double number)
{
    char text[kNumberTextCapacity];
    const char *end = WriteGeneral(text, number);
    return UsableValue(std::string_view(text, static_cast<std::size_t>(end - text)));
}

// The same for a cell; a cell kept as a number is judged by its screen form.
std::optional<double> UsableValue(const TextGrid &grid, int column, int row)
{
    if (const std::optional<double> number = grid.number(column, row))
        return UsableValue(*number);
    return UsableValue(grid.cell(column, row));
}

void Clean(TextGrid &grid, int column, int rows)
{
    for (int r = 1; r <= rows; ++r) {
        if (!UsableValue(grid, column, r))
            grid.setCell(column, r, kEmptyText);
    }
}

// An observed cell is kept when it holds a number (a measurement or the 0.0001 of a day
// without one); only text that is no number becomes "0.0001".
void CleanObserved(TextGrid &grid, int column, int rows)
{
    for (int r = 1; r <= rows; ++r) {
        if (!grid.number(column, r) && !TryParseDouble(grid.cell(column, r)))
            grid.setCell(column, r, kEmptyText);
    }
}

// The simulated values of days 1..days as the graph reads them. With a typed maximum the cells
// are read as they stand, and a cell that is no number ends the list with its error.
struct SimulatedSeries
{
    std::vector<double> values;
    std::optional<ConversionError> failure;
};

SimulatedSeries ReadSimulated(const TextGrid &grid, int column, int days, bool automatic)
{
    SimulatedSeries series;
    series.values.reserve(static_cast<std::size_t>(std::max(days, 0)));
    for (int d = 1; d <= days; ++d) {
        if (automatic) {
            series.values.push_back(UsableValue(grid, column, d).value_or(kEmptyValue));
            continue;
        }
        if (const std::optional<double> number = grid.number(column, d)) {
            series.values.push_back(*number);
            continue;
        }
        try {
            series.values.push_back(ParseDouble(grid.cell(column, d)));
        } catch (const ConversionError &error) {
            series.failure = error;
            break;
        }
    }
    return series;
}

class Plot
{
public:
    Plot(const GraphLayout &layout, double maximum, int days)
        : layout_(layout), maximum_(maximum), days_(std::max(days, 1))
    { }

    // Day d of N at originX + span d / N, rounded to the nearest unit: day N on the last tick.
    int x(std::size_t day) const
    {
        const std::int64_t span = layout_.sweepEnd - layout_.originX;
        const auto d = static_cast<std::int64_t>(day);
        return layout_.originX + static_cast<int>((2 * span * d + days_) / (2 * days_));
    }

    int y(double value) const
    {
        // Values far above the maximum land far above the axis, where the canvas clips them.
        const double y = std::trunc(layout_.originY - layout_.valueHeight * value / maximum_);
        return static_cast<int>(std::clamp(y, -1e9, 1e9));
    }

private:
    const GraphLayout &layout_;
    double maximum_;
    std::int64_t days_;
};

// The part of the segment from (x1, y1) to (x2, y2) that lies in `frame` (edges included),
// rounded to whole units; nothing when it misses the frame (Liang and Barsky's clipping).
std::optional<std::array<int, 4>> ClipSegment(
    double x1, double y1, double x2, double y2, const CanvasRect &frame)
{
    double enter = 0;
    double leave = 1;
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    // p: how fast the segment runs out through an edge; q: how far inside it starts.
    const auto edge = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > leave)
                return false;
            enter = std::max(enter, t);
        } else {
            if (t < enter)
                return false;
            leave = std::min(leave, t);
        }
        return true;
    };
    if (!edge(-dx, x1 - frame.left) || !edge(dx, frame.right - x1) || !edge(-dy, y1 - frame.top)
        || !edge(dy, frame.bottom - y1))
        return std::nullopt;
    const auto unit = [](double v) { return static_cast<int>(std::lround(v)); };
    return std::array<int, 4> {
        unit(x1 + enter * dx), unit(y1 + enter * dy), unit(x1 + leave * dx), unit(y1 + leave * dy)};
}

bool Inside(int x, int y, const CanvasRect &frame)
{
    return x >= frame.left && x <= frame.right && y >= frame.top && y <= frame.bottom;
}

// A line through points, leaving out steps that go nowhere, drawn only where it lies in the plot
// frame. A line of a single point inside the frame is drawn as a dot.
class Polyline
{
public:
    Polyline(Canvas &canvas, const CanvasRect &frame) : canvas_(canvas), frame_(frame) { }

    void to(int x, int y)
    {
        if (!started_) {
            started_ = true;
        } else if (x != x_ || y != y_) {
            segment(x_, y_, x, y);
            drawn_ = true;
        }
        x_ = x;
        y_ = y;
    }
    void finish()
    {
        if (started_ && !drawn_ && Inside(x_, y_, frame_)) {
            canvas_.moveTo(x_, y_);
            canvas_.lineTo(x_, y_);
        }
    }

private:
    void segment(int x1, int y1, int x2, int y2)
    {
        const std::optional<std::array<int, 4>> part = ClipSegment(x1, y1, x2, y2, frame_);
        if (!part)
            return;
        const auto [fromX, fromY, toX, toY] = *part;
        if (!penValid_ || penX_ != fromX || penY_ != fromY)
            canvas_.moveTo(fromX, fromY);
        canvas_.lineTo(toX, toY);
        penValid_ = true;
        penX_ = toX;
        penY_ = toY;
    }

    Canvas &canvas_;
    CanvasRect frame_;
    bool started_ = false;
    bool drawn_ = false;
    int x_ = 0;
    int y_ = 0;
    bool penValid_ = false;
    int penX_ = 0;
    int penY_ = 0;
};

// One point per day; where several days share a column, the column spans their lowest and
// highest value, entered at its first day and left at its last, so no peak is lost.
void DrawSimulated(Canvas &canvas, const CanvasRect &frame, const Plot &plot,
    const std::vector<double> &values)
{
    Polyline line(canvas, frame);
    std::size_t i = 0;
    while (i < values.size()) {
        const int x = plot.x(i + 1);
        const int first = plot.y(values[i]);
        int top = first;
        int bottom = first;
        int last = first;
        for (++i; i < values.size() && plot.x(i + 1) == x; ++i) {
            last = plot.y(values[i]);
            top = std::min(top, last);
            bottom = std::max(bottom, last);
        }
        // The far end of the span first, so the column ends at its last day without doubling back.
        const bool endsNearTop = last - top < bottom - last;
        line.to(x, first);
        line.to(x, endsNearTop ? bottom : top);
        line.to(x, endsNearTop ? top : bottom);
        line.to(x, last);
    }
    line.finish();
}

void Marker(Canvas &canvas, int x, int y, int half)
{
    canvas.fillRect({x - half, y - half, x + half + 1, y + half + 1});
}

// A measured value above the maximum: a small triangle pointing up, its tip on the top edge of
// the frame at the value's day.
void AboveMarker(Canvas &canvas, int x, int top, int half)
{
    const int side = half + 1;
    canvas.fillPolygon({{x, top}, {x + side, top + 2 * side}, {x - side, top + 2 * side}});
}

// The observations of days 1..days: a marker on each, and a line from each to the next, both
// inside the plot frame.
void DrawObserved(Canvas &canvas, const GraphLayout &layout, const Plot &plot,
    const TextGrid &observed, int column, int days)
{
    const CanvasRect frame = GraphPlotFrame(layout);
    std::vector<std::pair<int, int>> points;
    for (int d = 1; d <= days; ++d) {
        const std::optional<double> value = MeasuredValue(observed, column, d);
        if (!value)
            continue;
        const std::pair<int, int> point {plot.x(static_cast<std::size_t>(d)), plot.y(*value)};
        if (points.empty() || points.back() != point)
            points.push_back(point);
    }
    canvas.setPenColour(kBlue);
    canvas.setPenWidth(layout.observedPenWidth);
    Polyline line(canvas, frame);
    for (const auto &[x, y] : points)
        line.to(x, y);
    canvas.setBrushColour(kBlue);
    for (const auto &[x, y] : points) {
        if (y < frame.top)
            AboveMarker(canvas, x, frame.top, layout.markerHalf);
        else
            Marker(canvas, x, std::min(y, frame.bottom), layout.markerHalf);
    }
    canvas.setBrushColour(kWhite);
}

void Line(Canvas &canvas, int x1, int y1, int x2, int y2)
{
    canvas.moveTo(x1, y1);
    canvas.lineTo(x2, y2);
}

// "Simulated: " and "Observed: " with a sample of each line after the longer label.
void DrawLegend(Canvas &canvas, const GraphLayout &layout)
{
    const std::string simulated = "Simulated: ";
    const std::string observed = "Observed: ";
    const int labels = std::max(canvas.textWidth(simulated), canvas.textWidth(observed));
    const int left
        = std::max(layout.legendLineLeft, layout.legendTextX + labels + layout.legendGap);
    const int right = left + layout.legendLineLength;

    canvas.setPenColour(kBlack);
    canvas.textOut(layout.legendTextX, layout.legendSimulatedY, simulated);
    canvas.textOut(layout.legendTextX, layout.legendObservedY, observed);

    // On paper the samples are black and the series told apart by the width of their lines.
    const std::uint32_t simulatedColour = layout.colourLegend ? kRed : kBlack;
    const std::uint32_t observedColour = layout.colourLegend ? kBlue : kBlack;
    canvas.setPenColour(simulatedColour);
    canvas.setPenWidth(layout.simulatedPenWidth);
    const int simulatedY = layout.legendSimulatedY + layout.legendLineDrop;
    Line(canvas, left, simulatedY, right, simulatedY);
    canvas.setPenColour(observedColour);
    canvas.setPenWidth(layout.observedPenWidth);
    const int observedY = layout.legendObservedY + layout.legendLineDrop;
    Line(canvas, left, observedY, right, observedY);
    canvas.setBrushColour(observedColour);
    Marker(canvas, (left + right) / 2, observedY, layout.markerHalf);
    canvas.setBrushColour(kWhite);
    canvas.setPenColour(kBlack);
    canvas.setPenWidth(layout.framePenWidth);
}

} // namespace

CanvasRect GraphPlotFrame(const GraphLayout &layout)
{
    return {layout.originX, layout.originY - layout.valueHeight, layout.sweepEnd, layout.originY};
}

GraphLayout StretchGraphLayout(const GraphLayout &layout, int wider, int taller)
{
    GraphLayout s = layout;
    // The day axis gets `wider` units longer: what lies along it keeps its share of it, what
    // stands past its last day moves on with it; the labels left of the value axis stay.
    const int span = layout.sweepEnd - layout.originX;
    const double kx = span > 0 ? std::max(0.0, 1.0 + static_cast<double>(wider) / span) : 1.0;
    const auto along = [&](int x) {
        if (x <= layout.originX)
            return x;
        if (x > layout.sweepEnd)
            return s.sweepEnd + (x - layout.sweepEnd);
        return layout.originX + static_cast<int>(std::lround((x - layout.originX) * kx));
    };
    s.sweepEnd = along(layout.sweepEnd);
    s.dayAxisRight = along(layout.dayAxisRight);
    for (int &x : s.dayTickX)
        x = along(x);
    s.daysLabelX = along(layout.daysLabelX);
    s.titleX = along(layout.titleX);

    // The value axis gets `taller` units higher from the top of its axis line: the day axis and
    // everything under or beside it moves down, the values stretch; the unit label stays.
    const int height = layout.originY - layout.valueAxisTop;
    const int grow = height > 0 ? std::max(taller, 1 - height) : 0;
    const double ky = height > 0 ? static_cast<double>(height + grow) / height : 1.0;
    s.valueHeight = static_cast<int>(std::lround(layout.valueHeight * ky));
    for (int *y : {&s.originY, &s.zeroLabelY, &s.dayTickTop, &s.dayTickBottom, &s.dayLabelY,
             &s.daysLabelY, &s.legendSimulatedY, &s.legendObservedY})
        *y += grow;
    return s;
}

void CheckTypedMaximum(const std::string &typedMaximum)
{
    if (typedMaximum.empty())
        return;
    if (!(ParseDouble(typedMaximum) > 0))
        throw Error("The Y - Axis max value must be greater than 0; the graph was not drawn.");
}

std::string_view PrintedGraphTitle(int column)
{
    static constexpr std::array<std::string_view, 11> titles {"BOD5 out", "Nitrate out",
        "Ammonium out", "Total Phosphorous out", "Organic Nitrogen out",
        "Efficiency of BOD5 removal", "Efficiency of Nitrate removal",
        "Efficiency of Ammonium removal", "Efficiency of Phosphorous removal",
        "Efficiency of Organic Nitrogen removal", "Efficiency of Total Nitrogen removal"};
    return titles[static_cast<std::size_t>(std::clamp(column, 1, 11) - 1)];
}

std::string ValueLabel(double maximum, double fraction)
{
    const double rounded = RoundPositive(maximum * fraction, 2);
    return rounded < 0.01 ? "0.0.." : FormatGeneral(rounded);
}

bool IsObservation(const std::string &text)
{
    return MeasuredValue(text).has_value();
}

bool HasObservations(const TextGrid &observed, int days)
{
    for (int r = 1; r <= days; ++r) {
        for (int c = 1; c <= kSeriesCount; ++c) {
            if (MeasuredValue(observed, c, r))
                return true;
        }
    }
    return false;
}

void CleanGraphCells(const GraphRequest &request, TextGrid &simulated, TextGrid &observed)
{
    CheckTypedMaximum(request.typedMaximum);
    if (request.typedMaximum.empty())
        Clean(simulated, request.column, request.simulationDays);
    if (request.showObserved)
        CleanObserved(observed, request.column, request.observedDays);
}

void CleanGraphCells(const GraphRequest &request, TextGrid &observed)
{
    CheckTypedMaximum(request.typedMaximum);
    if (request.showObserved)
        CleanObserved(observed, request.column, request.observedDays);
}

namespace {

void DrawSeries(Canvas &canvas, const GraphLayout &layout, const GraphRequest &request,
    const SimulatedSeries &series, const TextGrid &observed)
{
    const int N = request.simulationDays;
    const int M = request.observedDays;
    const int c = request.column;
    const bool automatic = request.typedMaximum.empty();

    double maximum = kEmptyValue;
    if (automatic) {
        for (double value : series.values)
            maximum = std::max(maximum, value);
    } else {
        maximum = ParseDouble(request.typedMaximum);
    }
    const Plot plot(layout, maximum, N);

    canvas.setBrushColour(kWhite);
    canvas.fillRect(canvas.clipRect());
    canvas.setPenColour(kRed);
    canvas.setPenWidth(layout.simulatedPenWidth);
    DrawSimulated(canvas, GraphPlotFrame(layout), plot, series.values);
    if (series.failure)
        throw *series.failure; // the picture keeps the days before the cell

    if (request.showObserved)
        DrawObserved(canvas, layout, plot, observed, c, std::min(N, M));

    canvas.setPenColour(kBlack);
    canvas.setPenWidth(layout.framePenWidth);
    Line(canvas, layout.originX, layout.originY, layout.originX, layout.valueAxisTop);
    Line(canvas, layout.originX, layout.originY, layout.dayAxisRight, layout.originY);
    canvas.textOut(layout.zeroLabelX, layout.zeroLabelY, "0");
    const std::array<double, 4> quarters {0.25, 0.5, 0.75, 1};
    for (std::size_t i = 0; i < quarters.size(); ++i) {
        const int x = layout.dayTickX[i];
        Line(canvas, x, layout.dayTickBottom, x, layout.dayTickTop);
        const auto day = static_cast<std::int64_t>(std::trunc(N * quarters[i]));
        canvas.textOut(x + layout.dayLabelDx, layout.dayLabelY, FormatInteger(day));
    }
    canvas.textOut(layout.unitLabelX, layout.unitLabelY,
        std::string(c <= kConcentrationColumns ? layout.concentrationUnit : layout.efficiencyUnit));
    canvas.textOut(layout.daysLabelX, layout.daysLabelY, "days");

    if (layout.titleAndLegend) {
        canvas.textOut(layout.titleX, layout.titleY, std::string(PrintedGraphTitle(c)));
        if (request.showObserved)
            DrawLegend(canvas, layout);
    }

    if (maximum != kEmptyValue) {
        for (double fraction : {1.0, 0.75, 0.5, 0.25}) {
            const int tickY
                = static_cast<int>(std::trunc(layout.originY - layout.valueHeight * fraction));
            const std::string label = ValueLabel(maximum, fraction);
            // On paper the labels end before the tick, however long they are.
            const int labelX = layout.valueLabelRight > 0
                ? layout.valueLabelRight - canvas.textWidth(label)
                : layout.valueLabelX;
            canvas.textOut(labelX, tickY - layout.valueLabelRise, label);
            Line(canvas, layout.valueTickLeft, tickY, layout.valueTickRight, tickY);
        }
    }
    if (request.stale) {
        canvas.setPenColour(kStaleColour);
        canvas.textOut(layout.staleX, layout.staleY, std::string(kStaleGraphText));
        canvas.setPenColour(kBlack);
    }
}

} // namespace

void DrawGraph(Canvas &canvas, const GraphLayout &layout, const GraphRequest &request,
    const TextGrid &simulated, const TextGrid &observed)
{
    CheckTypedMaximum(request.typedMaximum);
    DrawSeries(canvas, layout, request,
        ReadSimulated(simulated, request.column, request.simulationDays,
            request.typedMaximum.empty()),
        observed);
}

void DrawGraph(Canvas &canvas, const GraphLayout &layout, const GraphRequest &request,
    const std::vector<double> &simulated, const TextGrid &observed)
{
    CheckTypedMaximum(request.typedMaximum);
    SimulatedSeries series;
    const auto days = std::min(
        simulated.size(), static_cast<std::size_t>(std::max(request.simulationDays, 0)));
    series.values.reserve(days);
    const bool automatic = request.typedMaximum.empty();
    for (std::size_t d = 0; d < days; ++d)
        series.values.push_back(
            automatic ? UsableValue(simulated[d]).value_or(kEmptyValue) : simulated[d]);
    DrawSeries(canvas, layout, request, series, observed);
}

void DrawGraphPicture(Canvas &canvas, const GraphRequest &request, const TextGrid &simulated,
    const TextGrid &observed)
{
    canvas.setBrushColour(kWhite);
    canvas.setPenColour(kBlack);
    canvas.setFontSize(kExportFontSize);
    DrawGraph(canvas, kExportGraphLayout, request, simulated, observed);
}

void DrawGraphPicture(Canvas &canvas, const GraphRequest &request,
    const std::vector<double> &simulated, const TextGrid &observed)
{
    canvas.setBrushColour(kWhite);
    canvas.setPenColour(kBlack);
    canvas.setFontSize(kExportFontSize);
    DrawGraph(canvas, kExportGraphLayout, request, simulated, observed);
}

} // namespace carexa
