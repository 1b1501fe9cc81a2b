#include "results/fit_graph.h"

#include "model/number_text.h"

#include <algorithm>
#include <cmath>

namespace carexa {

namespace {

// Space around the plot for the labels, the title and the legend.
constexpr int kLeftMargin = 52;
constexpr int kRightMargin = 14;
constexpr int kTopMargin = 46;
constexpr int kBottomMargin = 24;
constexpr int kMarkerHalf = 2; ///< an observed value is a square of 2 kMarkerHalf + 1 pixels
constexpr int kLegendEntry = 110; ///< room for one legend entry
constexpr int kLegendTop = 22; ///< the legend's line, under the title's

// The step of the value axis: 1, 2 or 5 times a power of ten, about a quarter of the largest
// value, so the labels are round numbers.
double AxisStep(double largest)
{
    const double rough = largest / 4;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10 * power;
}

struct Frame
{
    int left, top, right, bottom;
    int days;
    double topValue;

    int x(double day) const
    {
        if (days <= 1)
            return left;
        return left + static_cast<int>(std::lround((day - 1) * (right - left) / (days - 1)));
    }
    int y(double value) const
    {
        return bottom - static_cast<int>(std::lround(value / topValue * (bottom - top)));
    }
};

void DrawLine(Canvas &canvas, const Frame &frame, const std::vector<double> &values,
    std::uint32_t colour)
{
    if (values.empty())
        return;
    canvas.setPenColour(colour);
    canvas.setPenWidth(1);
    const auto count = static_cast<int>(values.size());
    // About two days a pixel column: the line looks the same and costs the same for any length.
    const int stride = std::max(1, count / std::max(1, 2 * (frame.right - frame.left)));
    canvas.moveTo(frame.x(1), frame.y(values[0]));
    for (int d = 1 + stride; d < count; d += stride)
        canvas.lineTo(frame.x(d), frame.y(values[static_cast<std::size_t>(d - 1)]));
    canvas.lineTo(frame.x(count), frame.y(values.back()));
}

// A measured value, on the graph and as the legend's sample alike.
void ObservedMarker(Canvas &canvas, int x, int y)
{
    canvas.setBrushColour(kFitObservedColour);
    canvas.fillRect({x - kMarkerHalf, y - kMarkerHalf, x + kMarkerHalf + 1, y + kMarkerHalf + 1});
    canvas.setBrushColour(kWhite);
}

void LegendLine(Canvas &canvas, int x, int y, std::uint32_t colour, const std::string &text)
{
    canvas.setPenColour(colour);
    canvas.moveTo(x, y + 7);
    canvas.lineTo(x + 18, y + 7);
    canvas.setPenColour(kBlack);
    canvas.textOut(x + 22, y, text);
}

} // namespace

void DrawFitGraph(Canvas &canvas, const FitGraph &graph)
{
    const CanvasRect area = canvas.clipRect();
    canvas.setBrushColour(kWhite);
    canvas.fillRect(area);

    int days = static_cast<int>(std::max(graph.start.size(), graph.best.size()));
    double largest = 0;
    for (const FitGraphPoint &point : graph.observed) {
        days = std::max(days, point.day);
        largest = std::max(largest, point.value);
    }
    for (const auto *line : {&graph.start, &graph.best}) {
        for (double value : *line)
            largest = std::max(largest, value);
    }
    const double step = largest > 0 && std::isfinite(largest) ? AxisStep(largest) : 0.25;
    const double top = std::max(step, step * std::ceil(largest / step));
    const Frame frame {area.left + kLeftMargin, area.top + kTopMargin, area.right - kRightMargin,
        area.bottom - kBottomMargin, std::max(days, 1), top};

    // Title and legend.
    canvas.setPenColour(kBlack);
    canvas.setPenWidth(1);
    canvas.textOut(area.left + 6, area.top + 6,
        graph.unit.empty() ? graph.title : graph.title + " (" + graph.unit + ")");
    int legend = frame.left;
    const int legendY = area.top + kLegendTop;
    ObservedMarker(canvas, legend + 9, legendY + 7);
    canvas.textOut(legend + 22, legendY, "observed");
    legend += kLegendEntry;
    LegendLine(canvas, legend, legendY, kFitStartColour, graph.startLabel);
    legend += kLegendEntry;
    LegendLine(canvas, legend, legendY, kFitBestColour, graph.bestLabel);

    // Axes, value ticks and day labels.
    canvas.setPenColour(kBlack);
    canvas.moveTo(frame.left, frame.top);
    canvas.lineTo(frame.left, frame.bottom);
    canvas.lineTo(frame.right, frame.bottom);
    for (int k = 0; step * k <= top * (1 + 1e-9); ++k) {
        const int y = frame.y(step * k);
        canvas.moveTo(frame.left - 4, y);
        canvas.lineTo(frame.left, y);
        canvas.textOut(area.left + 4, y - 8, FormatGeneral(step * k));
    }
    for (int day : {1, (frame.days + 1) / 2, frame.days}) {
        const int x = frame.x(day);
        canvas.moveTo(x, frame.bottom);
        canvas.lineTo(x, frame.bottom + 4);
        canvas.textOut(x - 6, frame.bottom + 5, FormatInteger(day));
    }

    DrawLine(canvas, frame, graph.start, kFitStartColour);
    DrawLine(canvas, frame, graph.best, kFitBestColour);
    for (const FitGraphPoint &point : graph.observed)
        ObservedMarker(canvas, frame.x(point.day), frame.y(point.value));
}

} // namespace carexa
