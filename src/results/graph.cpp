#include "results/graph.h"

#include "model/error.h"
#include "model/model_parameters.h"
#include "model/number_text.h"
#include "model/numeric_input.h"
#include "model/rounding.h"

#include <algorithm>
#include <cmath>

namespace carexa {

const GraphLayout kScreenGraphLayout {
    .originX = 40,
    .originY = 385,
    .valueHeight = 325,
    .valueAxisTop = 20,
    .dayAxisRight = 495,
    .sweepEnd = 488,
    .roundFirstSeriesDays = true,
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
    .valueLabelRise = 8,
    .simulatedPenWidth = 1,
    .observedPenWidth = 1,
    .framePenWidth = 1,
    .concentrationUnit = "mg/L",
    .efficiencyUnit = "%",
    .titleAndLegend = false,
    .titleX = 0,
    .titleY = 0,
    .legendTextX = 0,
    .legendSimulatedY = 0,
    .legendObservedY = 0,
    .legendLineLeft = 0,
    .legendLineRight = 0,
    .legendLineDrop = 0,
};

const GraphLayout kPrintGraphLayout {
    .originX = 320,
    .originY = 3080,
    .valueHeight = 2830,
    .valueAxisTop = 160,
    .dayAxisRight = 3960,
    .sweepEnd = 3904,
    .roundFirstSeriesDays = false,
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
    .valueLabelRise = 40,
    .simulatedPenWidth = 10,
    .observedPenWidth = 5,
    .framePenWidth = 11,
    .concentrationUnit = "mg/L",
    .efficiencyUnit = " % ",
    .titleAndLegend = true,
    .titleX = 2000,
    .titleY = 60,
    .legendTextX = 400,
    .legendSimulatedY = 3400,
    .legendObservedY = 3500,
    .legendLineLeft = 750,
    .legendLineRight = 950,
    .legendLineDrop = 50,
};

namespace {

constexpr const char *kEmptyText = "0.0001";
constexpr int kConcentrationColumns = 5;

// A cell the graph cannot use: empty, holding a character of the numeric input rule's forbidden
// set (so "1E-8" and "-5" too), or no number at all.
bool NeedsCleaning(const std::string &text)
{
    if (text.empty() || HasForbiddenCharacter(DecodeUtf8(text), kForbiddenCharacters))
        return true;
    try {
        ParseDouble(text);
        return false;
    } catch (const ConversionError &) {
        return true;
    }
}

void Clean(TextGrid &grid, int column, int rows)
{
    for (int r = 1; r <= rows; ++r) {
        if (NeedsCleaning(grid.cell(column, r)))
            grid.setCell(column, r, kEmptyText);
    }
}

class Plot
{
public:
    Plot(Canvas &canvas, const GraphLayout &layout, double maximum)
        : canvas_(canvas), layout_(layout), maximum_(maximum)
    { }

    int y(double value) const
    {
        // Values far above the maximum land far above the axis, where the canvas clips them.
        const double y = std::trunc(layout_.originY - layout_.valueHeight * value / maximum_);
        return static_cast<int>(std::clamp(y, -1e9, 1e9));
    }

    std::int64_t dayAt(int x, int days, bool rounded) const
    {
        const double exact = static_cast<double>(x) * days / layout_.sweepEnd;
        const std::int64_t day
            = rounded ? RoundDay(exact) : static_cast<std::int64_t>(std::trunc(exact));
        return std::max<std::int64_t>(day, 1);
    }

    // Sweeps the pixel columns and draws a point wherever the column's day passes the count of
    // points drawn; stops before the first day past `lastReadable`. Returns whether the sweep
    // ran to its end.
    bool sweep(const TextGrid &grid, int column, int days, int lastReadable, bool rounded)
    {
        canvas_.moveTo(layout_.originX, y(ParseDouble(grid.cell(column, 1))));
        std::int64_t drawn = 1;
        for (int x = layout_.originX; x < layout_.sweepEnd; ++x) {
            const std::int64_t d = dayAt(x, days, rounded);
            if (d > lastReadable)
                return false;
            if (d > drawn) {
                canvas_.lineTo(x, y(ParseDouble(grid.cell(column, static_cast<int>(d)))));
                ++drawn;
            }
        }
        return true;
    }

    void line(int x1, int y1, int x2, int y2)
    {
        canvas_.moveTo(x1, y1);
        canvas_.lineTo(x2, y2);
    }

private:
    Canvas &canvas_;
    const GraphLayout &layout_;
    double maximum_;
};

double Maximum(const GraphRequest &request, TextGrid &simulated)
{
    if (!request.typedMaximum.empty()) {
        CheckTypedMaximum(request.typedMaximum);
        return ParseDouble(request.typedMaximum);
    }
    Clean(simulated, request.column, request.simulationDays);
    double maximum = kEmptyValue;
    for (int d = 1; d <= request.simulationDays; ++d)
        maximum = std::max(maximum, ParseDouble(simulated.cell(request.column, d)));
    return maximum;
}

} // namespace

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

void DrawGraph(Canvas &canvas, const GraphLayout &layout, const GraphRequest &request,
    TextGrid &simulated, TextGrid &observed)
{
    const int N = request.simulationDays;
    const int M = request.observedDays;
    const int c = request.column;
    const bool rounded = layout.roundFirstSeriesDays && c == 1;

    canvas.setPenWidth(layout.simulatedPenWidth);
    const double maximum = Maximum(request, simulated);
    Plot plot(canvas, layout, maximum);

    canvas.setBrushColour(kWhite);
    canvas.fillRect(canvas.clipRect());
    canvas.setPenColour(kRed);
    if (N >= 1) {
        if (plot.sweep(simulated, c, N, N, rounded))
            canvas.lineTo(layout.sweepEnd, plot.y(ParseDouble(simulated.cell(c, N))));
    }

    if (request.showObserved && M >= 1) {
        Clean(observed, c, M);
        canvas.setPenColour(kBlue);
        canvas.setPenWidth(layout.observedPenWidth);
        // An observed series shorter than the simulation ends at the last day it reached.
        if (plot.sweep(observed, c, N, M, rounded) && M >= N)
            canvas.lineTo(layout.sweepEnd, plot.y(ParseDouble(observed.cell(c, N))));
    }

    canvas.setPenColour(kBlack);
    canvas.setPenWidth(layout.framePenWidth);
    plot.line(layout.originX, layout.originY, layout.originX, layout.valueAxisTop);
    plot.line(layout.originX, layout.originY, layout.dayAxisRight, layout.originY);
    canvas.textOut(layout.zeroLabelX, layout.zeroLabelY, "0");
    const std::array<double, 4> quarters {0.25, 0.5, 0.75, 1};
    for (std::size_t i = 0; i < quarters.size(); ++i) {
        const int x = layout.dayTickX[i];
        plot.line(x, layout.dayTickBottom, x, layout.dayTickTop);
        const auto day = static_cast<std::int64_t>(std::trunc(N * quarters[i]));
        canvas.textOut(x + layout.dayLabelDx, layout.dayLabelY, FormatInteger(day));
    }
    canvas.textOut(layout.unitLabelX, layout.unitLabelY,
        std::string(c <= kConcentrationColumns ? layout.concentrationUnit : layout.efficiencyUnit));
    canvas.textOut(layout.daysLabelX, layout.daysLabelY, "days");

    if (layout.titleAndLegend) {
        canvas.textOut(layout.titleX, layout.titleY, std::string(PrintedGraphTitle(c)));
        if (request.showObserved) {
            // On paper the two series are told apart by the width of their lines.
            canvas.textOut(layout.legendTextX, layout.legendSimulatedY, "Simulated: ");
            canvas.setPenWidth(layout.simulatedPenWidth);
            const int simulatedLine = layout.legendSimulatedY + layout.legendLineDrop;
            plot.line(layout.legendLineLeft, simulatedLine, layout.legendLineRight, simulatedLine);
            canvas.textOut(layout.legendTextX, layout.legendObservedY, "Observed: ");
            canvas.setPenWidth(layout.observedPenWidth);
            const int observedLine = layout.legendObservedY + layout.legendLineDrop;
            plot.line(layout.legendLineLeft, observedLine, layout.legendLineRight, observedLine);
            canvas.setPenWidth(layout.framePenWidth);
        }
    }

    if (maximum != kEmptyValue) {
        for (double fraction : {1.0, 0.75, 0.5, 0.25}) {
            const int tickY
                = static_cast<int>(std::trunc(layout.originY - layout.valueHeight * fraction));
            canvas.textOut(
                layout.valueLabelX, tickY - layout.valueLabelRise, ValueLabel(maximum, fraction));
            plot.line(layout.valueTickLeft, tickY, layout.valueTickRight, tickY);
        }
    }
}

} // namespace carexa
