#pragma once

#include "model/text_grid.h"
#include "results/canvas.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace carexa {

/// Where a result graph puts everything, in the units of its canvas. The screen, the printed
/// page and an exported picture use the same drawing with their own layout.
struct GraphLayout
{
    int originX; ///< x of the value axis
    int originY; ///< y of the value 0
    int valueHeight; ///< units from the value 0 up to the maximum
    int valueAxisTop;
    int dayAxisRight;
    int sweepEnd; ///< x of the last day; day d of N sits at originX + (sweepEnd - originX) d / N
    int zeroLabelX, zeroLabelY;
    std::array<int, 4> dayTickX;
    int dayTickTop, dayTickBottom;
    int dayLabelDx, dayLabelY;
    int unitLabelX, unitLabelY;
    int daysLabelX, daysLabelY;
    int valueTickLeft, valueTickRight;
    int valueLabelX; ///< left end of the value labels, unless they are right-aligned
    int valueLabelRight; ///< above 0: the value labels end here (right-aligned) instead
    int valueLabelRise; ///< a value label stands this far above its tick
    int simulatedPenWidth, observedPenWidth, framePenWidth;
    int markerHalf; ///< an observed value is a square of 2 markerHalf + 1 units around its point
    std::string_view concentrationUnit, efficiencyUnit;
    bool titleAndLegend; ///< the printed page's title and legend
    bool colourLegend; ///< legend samples in the series' colours; black (told apart by width) else
    int titleX, titleY;
    int legendTextX, legendSimulatedY, legendObservedY; ///< legend texts
    int legendLineLeft; ///< samples start here at the earliest, and after their labels always
    int legendLineLength, legendLineDrop; ///< sample lines, below their texts
    int legendGap; ///< between the longer label and the samples
    int staleX, staleY; ///< the line that says the results are out of date
};

/// The graph in the paint box of the Simulate screen.
extern const GraphLayout kScreenGraphLayout;
/// The graph on a printed page (device units of a page about 4800 x 6700).
extern const GraphLayout kPrintGraphLayout;
/// An exported graph picture: the printed page's graph with its legend in colour.
extern const GraphLayout kExportGraphLayout;

/// The part of the printed page an exported graph picture shows, in layout units.
inline constexpr int kGraphPictureWidth = 4300;
inline constexpr int kGraphPictureHeight = 3700;

/// The plot frame: between the value axis and the last day, from the value 0 up to the
/// maximum's height. Every line of a series stays inside it.
CanvasRect GraphPlotFrame(const GraphLayout &layout);

/// The layout of a graph drawn `wider` units wider and `taller` units taller than `layout` was
/// made for: the day axis and the value axis grow, the labels keep their size and their distance
/// to the axes. Negative amounts shrink it, down to an axis of one unit.
GraphLayout StretchGraphLayout(const GraphLayout &layout, int wider, int taller);

/// What to draw: series column 1 to 11 of the simulated and observed grids.
struct GraphRequest
{
    int column = 1;
    int simulationDays = 60; ///< N: rows 1..N of the simulated grid
    int observedDays = 60; ///< M: rows 1..M of the observed grid
    std::string typedMaximum; ///< the text of the axis maximum field; empty for automatic
    bool showObserved = false;
    /// The results no longer match their inputs (they were changed after the run): a line above
    /// the plot says so (kStaleGraphText).
    bool stale = false;
};

/// What a graph of results that no longer match their inputs says above its plot.
inline constexpr std::string_view kStaleGraphText
    = "Out of date: the inputs changed after this run. Simulate again.";

/// Title of a printed graph ("BOD5 out" ... "Efficiency of Total Nitrogen removal").
std::string_view PrintedGraphTitle(int column);

/// The label text of a value tick: "0.0.." below 0.01, else the rounded value as screen text.
std::string ValueLabel(double maximum, double fraction);

/// Throws (ConversionError or Error) when a typed axis maximum is no number or not above 0; an
/// empty text (the automatic maximum) passes.
void CheckTypedMaximum(const std::string &typedMaximum);

/// Whether a cell holds an observation: a measurement by MeasuredValue's rule (a number other
/// than 0.0001, which marks a day without one; "1E-6" and "-2" count).
bool IsObservation(const std::string &text);

/// Whether any series of the observed grid holds an observation on days 1..days.
bool HasObservations(const TextGrid &observed, int days);

/// What asking for a graph does to the grids before it is drawn: with the automatic maximum,
/// the series' cells of the simulated grid for days 1..N that are empty, hold a character a
/// numeric field refuses (so "1E-8" and "-5" too) or are no number become "0.0001"; with the
/// observed series shown, its cells of days 1..M that are empty or no number become "0.0001"
/// (every number stays: a measurement counts by MeasuredValue's rule). A typed maximum that is
/// refused throws first, and no cell changes.
void CleanGraphCells(const GraphRequest &request, TextGrid &simulated, TextGrid &observed);
/// The same for a graph drawn from numbers: only the observed grid's cells are cleaned.
void CleanGraphCells(const GraphRequest &request, TextGrid &observed);

/// Draws one result series from the grids as they are; it never changes a cell. Day d of N is
/// placed at x = originX + (sweepEnd - originX) d / N; when more days than columns share the
/// axis, each column shows the lowest and highest value of its days. With the automatic maximum
/// a cell that CleanGraphCells would clean counts as 0.0001, and the largest value is the
/// maximum. With a typed maximum the simulated cells are read as they are: a cell that is no
/// number throws ConversionError once the days before it are drawn. A typed maximum that is no
/// number, or not above 0, throws before anything is drawn. Observed values (when shown) are
/// markers on the days 1..min(N, M) that hold a measurement (MeasuredValue), joined from one to the next; one
/// above the maximum is a small triangle pointing up from the top edge of the plot frame at its
/// day. Every line is clipped to the plot frame (GraphPlotFrame), so nothing of a series reaches
/// the title, the labels or the legend.
void DrawGraph(Canvas &canvas, const GraphLayout &layout, const GraphRequest &request,
    const TextGrid &simulated, const TextGrid &observed);

/// The same from numbers: `simulated[d - 1]` is day d's value of the series (days past its end
/// are not drawn). With the automatic maximum a value counts as a cell holding its screen text
/// would (a value whose text holds a sign or an exponent, "1E-8", counts as 0.0001); with a
/// typed maximum every value is drawn as it is.
void DrawGraph(Canvas &canvas, const GraphLayout &layout, const GraphRequest &request,
    const std::vector<double> &simulated, const TextGrid &observed);

/// An exported graph picture, kGraphPictureWidth x kGraphPictureHeight units: a white page with
/// the graph in the export layout.
void DrawGraphPicture(Canvas &canvas, const GraphRequest &request, const TextGrid &simulated,
    const TextGrid &observed);
void DrawGraphPicture(Canvas &canvas, const GraphRequest &request,
    const std::vector<double> &simulated, const TextGrid &observed);

} // namespace carexa
