#pragma once

#include "results/canvas.h"

#include <string>
#include <vector>

namespace carexa {

/// A measured value of the series a fit graph shows.
struct FitGraphPoint
{
    int day = 0; ///< 1-based
    double value = 0;
};

/// What the calibration's graph shows of one series: its measured values, the simulation it
/// started from and the best found so far (day d at index d - 1; either may be empty).
struct FitGraph
{
    std::string title; ///< the series heading
    std::string unit; ///< "mg/L" or "%"
    std::vector<FitGraphPoint> observed;
    std::vector<double> start;
    std::vector<double> best;
    std::string startLabel = "start";
    std::string bestLabel = "best so far";
};

inline constexpr std::uint32_t kFitStartColour = 0x9A9A9A; ///< grey
inline constexpr std::uint32_t kFitBestColour = kRed;
inline constexpr std::uint32_t kFitObservedColour = kBlue;

/// Draws the graph over the whole clip rectangle: a white background, the title (the unit after
/// it) and under it a legend, a value axis from 0 to a little above the largest value with four labelled ticks, a day
/// axis from day 1 to the last day with its middle and end labelled, the start line in grey, the
/// best line in red and each measured value as a small blue square, which the legend shows as its
/// sample. Long series are thinned to
/// about two days a pixel column. Nothing but the frame is drawn without values.
void DrawFitGraph(Canvas &canvas, const FitGraph &graph);

} // namespace carexa
