#pragma once

#include "model/text_grid.h"
#include "results/canvas.h"

#include <array>
#include <string>
#include <string_view>

namespace carexa {

/// Where a result graph puts everything, in the units of its canvas. The screen and the printed
/// page use the same drawing with their own layout.
struct GraphLayout
{
    int originX; ///< x of the value axis and the first sweep column
    int originY; ///< y of the value 0
    int valueHeight; ///< pixels from the value 0 up to the maximum
    int valueAxisTop;
    int dayAxisRight;
    int sweepEnd; ///< the sweep runs originX .. sweepEnd - 1, the last point sits at sweepEnd
    bool roundFirstSeriesDays; ///< "BOD5 out" takes its days rounded, the others truncated
    int zeroLabelX, zeroLabelY;
    std::array<int, 4> dayTickX;
    int dayTickTop, dayTickBottom;
    int dayLabelDx, dayLabelY;
    int unitLabelX, unitLabelY;
    int daysLabelX, daysLabelY;
    int valueTickLeft, valueTickRight;
    int valueLabelX, valueLabelRise; ///< a value label stands this far above its tick
    int simulatedPenWidth, observedPenWidth, framePenWidth;
    std::string_view concentrationUnit, efficiencyUnit;
    bool titleAndLegend; ///< the printed page's title and line-width legend
    int titleX, titleY;
    int legendTextX, legendSimulatedY, legendObservedY; ///< legend texts
    int legendLineLeft, legendLineRight, legendLineDrop; ///< legend lines, below their texts
};

/// The graph in the paint box of the Simulate screen.
extern const GraphLayout kScreenGraphLayout;
/// The graph on a printed page (device units of a page about 4800 x 6700).
extern const GraphLayout kPrintGraphLayout;

/// What to draw: series column 1 to 11 of the simulated and observed grids.
struct GraphRequest
{
    int column = 1;
    int simulationDays = 60; ///< N: rows 1..N of the simulated grid
    int observedDays = 60; ///< M: rows 1..M of the observed grid
    std::string typedMaximum; ///< the text of the axis maximum field; empty for automatic
    bool showObserved = false;
};

/// Title of a printed graph ("BOD5 out" ... "Efficiency of Total Nitrogen removal").
std::string_view PrintedGraphTitle(int column);

/// The label text of a value tick: "0.0.." below 0.01, else the rounded value as screen text.
std::string ValueLabel(double maximum, double fraction);

/// Throws (ConversionError or Error) when a typed axis maximum is no number or not above 0; an
/// empty text (the automatic maximum) passes.
void CheckTypedMaximum(const std::string &typedMaximum);

/// Draws one result series. With no typed maximum, the series' cells of the simulated grid that
/// are empty or no number are first cleaned to "0.0001" and the largest value is the maximum;
/// with the observed series shown, its cells are cleaned the same way. With a typed maximum the
/// simulated cells are read as they are: a cell that is no number throws ConversionError where
/// the drawing has got to. A typed maximum that is no number, or not above 0, throws before
/// anything is drawn.
void DrawGraph(Canvas &canvas, const GraphLayout &layout, const GraphRequest &request,
    TextGrid &simulated, TextGrid &observed);

} // namespace carexa
