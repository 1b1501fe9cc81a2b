#include "report/report_figures.h"

#include "analysis/fit_statistics.h"
#include "results/graph.h"
#include "ui/painter_canvas.h"
#include "ui/picture_export.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace carexa {

namespace {

constexpr int kWider = 2400; // the report's graphs are wider than an exported picture
constexpr int kFigureFontSize = 15;
constexpr std::uint32_t kBandColour = 0x808080;
constexpr std::uint32_t kLimitColour = 0x008000;

QFont FigureFont(double points, const QPainter &painter)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setStyleStrategy(QFont::PreferNoShaping); // no ligatures: see report_document.cpp
    (void)painter;
    return font;
}

// Value labels are right-aligned against their ticks and may reach left of the graph's own
// left edge (seven characters at the figure font take about 510 layout units, and they end 260
// units in): a figure keeps this much room there, so no label is cut. Above the graph it keeps
// room for the unit, which at the figure font would otherwise touch the top value label.
constexpr int kLabelRoom = 260;
constexpr int kUnitRoom = 120;
// A text line at the figure font is about 125 layout units high.
constexpr int kFigureLineHeight = 150;

// Scales the painter so a graph of width x height layout units, with the label room at its left
// and the unit's above, fits `area`; the graph's origin stays at 0, 0. Returns the clip, which
// includes the room.
QRect WithLabelRoom(QPainter &painter, const QRectF &area, int width, int height)
{
    FitLayout(painter, area, width + kLabelRoom, height + kUnitRoom);
    painter.translate(kLabelRoom, kUnitRoom);
    const QRect clip(-kLabelRoom, -kUnitRoom, width + kLabelRoom, height + kUnitRoom);
    painter.setClipRect(clip);
    return clip;
}

// The graph layout of a figure: the unit raised into its room, the legend lines apart.
GraphLayout FigureLayout(GraphLayout layout)
{
    layout.unitLabelY -= kUnitRoom;
    layout.legendObservedY = layout.legendSimulatedY + kFigureLineHeight;
    return layout;
}

std::string AxisMaximumText(double maximum)
{
    std::string text;
    AppendShortest(text, maximum);
    return text;
}

// The x of day d of `days` and the y of a value, as the graph drawing places them.
struct GraphScale
{
    const GraphLayout &layout;
    double maximum;
    int days;

    double x(int day) const
    {
        return layout.originX
            + static_cast<double>(layout.sweepEnd - layout.originX) * day / std::max(days, 1);
    }
    double y(double value) const { return layout.originY - layout.valueHeight * value / maximum; }
};

// One line per pixel column of the plot: the lowest of `lower` and the highest of `upper` of the
// days it shows, so a century of days stays a few thousand points.
void DrawThinnedLine(QPainter &painter, const GraphScale &scale, const std::vector<double> &values,
    bool highest)
{
    QPainterPath path;
    int column = std::numeric_limits<int>::min();
    double kept = 0;
    bool started = false;
    const auto flush = [&](int x) {
        const QPointF point(x, std::clamp(scale.y(kept), static_cast<double>(scale.layout.valueAxisTop),
                                   static_cast<double>(scale.layout.originY)));
        if (!started)
            path.moveTo(point);
        else
            path.lineTo(point);
        started = true;
    };
    for (int d = 1; d <= static_cast<int>(values.size()) && d <= scale.days; ++d) {
        const int x = static_cast<int>(scale.x(d));
        const double v = values[static_cast<std::size_t>(d - 1)];
        if (x != column) {
            if (column != std::numeric_limits<int>::min())
                flush(column);
            column = x;
            kept = v;
        } else {
            kept = highest ? std::max(kept, v) : std::min(kept, v);
        }
    }
    if (column != std::numeric_limits<int>::min())
        flush(column);
    painter.drawPath(path);
}

} // namespace

std::shared_ptr<const TextGrid> ReportSheetGrid(const FrozenRun &run)
{
    auto grid = std::make_shared<TextGrid>(kSeriesCount + 1, run.days() + 1);
    for (int d = 1; d <= run.days(); ++d) {
        for (int c = 1; c <= kSeriesCount; ++c)
            grid->setNumber(c, d, SheetValue(run, kRunSheet, c, d));
    }
    return grid;
}

double NiceMaximum(double largest)
{
    if (!(largest > 0) || !std::isfinite(largest))
        return 1;
    const double step = std::pow(10.0, std::floor(std::log10(largest)) - 1);
    return std::ceil(largest / step * (1 + 1e-12)) * step;
}

FigureDrawing SeriesFigure(std::shared_ptr<const TextGrid> sheet, int days,
    std::shared_ptr<const TextGrid> observed, int observedDays, int column,
    const ProjectBands *bands, std::optional<double> limit)
{
    double largest = 0;
    for (int d = 1; d <= days; ++d)
        largest = std::max(largest, sheet->number(column, d).value_or(0));
    const ObservedSeries measured = MeasuredValues(*observed, observedDays, days);
    const auto &points = measured[static_cast<std::size_t>(column - 1)];
    for (const Observation &o : points)
        largest = std::max(largest, o.value);
    std::vector<double> lower, upper;
    if (bands) {
        const auto &band = bands->series[static_cast<std::size_t>(column - 1)];
        lower = band.lower;
        upper = band.upper;
        for (double v : upper)
            largest = std::max(largest, v);
    }
    if (limit)
        largest = std::max(largest, *limit * 1.05);
    const double maximum = NiceMaximum(largest);
    const bool showObserved = !points.empty();

    return [=](QPainter &painter, const QRectF &area) {
        const GraphLayout layout = FigureLayout(StretchGraphLayout(kExportGraphLayout, kWider, 0));
        const int width = kGraphPictureWidth + kWider;
        const int height = kGraphPictureHeight;
        const QRect clip = WithLabelRoom(painter, area, width, height);
        PainterCanvas canvas(painter, clip, kLayoutUnitsPerPoint);
        canvas.setFontSize(kFigureFontSize);
        GraphRequest request;
        request.column = column;
        request.simulationDays = days;
        request.observedDays = std::min(observedDays, days);
        request.typedMaximum = AxisMaximumText(maximum);
        request.showObserved = showObserved;
        DrawGraph(canvas, layout, request, *sheet, *observed);

        const GraphScale scale {layout, maximum, days};
        const int legendX = layout.legendTextX + 2600;
        if (!lower.empty()) {
            painter.setPen(QPen(QColor::fromRgb(kBandColour), 6));
            DrawThinnedLine(painter, scale, lower, false);
            DrawThinnedLine(painter, scale, upper, true);
            canvas.setPenColour(kBlack);
            canvas.textOut(legendX, layout.legendSimulatedY, "Band: 2.5 and 97.5 percentiles");
        }
        if (limit) {
            QPen pen(QColor::fromRgb(kLimitColour), 8);
            pen.setStyle(Qt::DashLine);
            painter.setPen(pen);
            const double y = scale.y(*limit);
            painter.drawLine(QPointF(layout.originX, y), QPointF(layout.sweepEnd, y));
            canvas.setPenColour(kLimitColour);
            canvas.textOut(legendX, layout.legendObservedY, "Permit limit (dashed green)");
        }
    };
}

FigureDrawing ForcingFigure(const ModelState &state)
{
    const int days = state.simulationLength;
    auto grid = std::make_shared<TextGrid>(kSeriesCount + 1, days + 1);
    double hottest = 0, largestFlow = 0;
    for (int d = 1; d <= days; ++d) {
        const DayValues &day = state.days.node(d).day;
        const double t = day.get(DayField::temperature);
        const double q = day.get(DayField::waterFlow);
        grid->setNumber(1, d, t);
        grid->setNumber(6, d, q);
        hottest = std::max(hottest, t);
        largestFlow = std::max(largestFlow, q);
    }
    const double temperatureMaximum = NiceMaximum(hottest);
    const double flowMaximum = NiceMaximum(largestFlow);
    return [=](QPainter &painter, const QRectF &area) {
        const TextGrid none(kSeriesCount + 1, 2);
        const double half = area.width() / 2;
        for (int panel = 0; panel < 2; ++panel) {
            painter.save();
            GraphLayout layout = FigureLayout(kExportGraphLayout);
            layout.titleAndLegend = false;
            layout.concentrationUnit = "deg C";
            layout.efficiencyUnit = "m3 / 24h";
            const QRect clip = WithLabelRoom(painter,
                QRectF(area.left() + panel * half, area.top(), half, area.height()), kGraphPictureWidth,
                kGraphPictureHeight - 400);
            PainterCanvas canvas(painter, clip, kLayoutUnitsPerPoint);
            canvas.setFontSize(kFigureFontSize);
            GraphRequest request;
            request.column = panel == 0 ? 1 : 6;
            request.simulationDays = days;
            request.observedDays = 1;
            request.typedMaximum = AxisMaximumText(panel == 0 ? temperatureMaximum : flowMaximum);
            DrawGraph(canvas, layout, request, *grid, none);
            canvas.textOut(layout.titleX - 400, layout.titleY,
                panel == 0 ? "Temperature" : "Water flow");
            painter.restore();
        }
    };
}

FigureDrawing ResidualFigure(
    std::vector<std::pair<int, double>> residuals, int days, std::string unit)
{
    double largest = 0;
    for (const auto &r : residuals)
        largest = std::max(largest, std::abs(r.second));
    const double maximum = NiceMaximum(largest);
    return [=](QPainter &painter, const QRectF &area) {
        const double k = area.height() / 200.0; // the figure is laid out 200 units high
        const QRectF plot(area.left() + 60 * k, area.top() + 10 * k, area.width() - 80 * k, 160 * k);
        const auto x = [&](int day) { return plot.left() + plot.width() * day / std::max(days, 1); };
        const auto y = [&](double v) { return plot.center().y() - plot.height() / 2 * v / maximum; };
        painter.setFont(FigureFont(8, painter));
        painter.setPen(QPen(Qt::black, 0.8 * k));
        painter.drawRect(plot);
        painter.setPen(QPen(Qt::gray, 0.6 * k, Qt::DashLine));
        painter.drawLine(QPointF(plot.left(), y(0)), QPointF(plot.right(), y(0)));
        painter.setPen(Qt::black);
        for (double v : {maximum, 0.0, -maximum}) {
            painter.drawText(QRectF(area.left(), y(v) - 6 * k, 55 * k, 12 * k),
                Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'g', 3));
        }
        for (int q = 0; q <= 4; ++q) {
            const int day = days * q / 4;
            painter.drawText(QRectF(x(day) - 30 * k, plot.bottom() + 2 * k, 60 * k, 12 * k),
                Qt::AlignHCenter | Qt::AlignTop, QString::number(day));
        }
        painter.drawText(QRectF(plot.left(), plot.bottom() + 14 * k, plot.width(), 12 * k),
            Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("days"));
        painter.save();
        painter.translate(area.left() + 8 * k, plot.center().y());
        painter.rotate(-90);
        painter.drawText(QRectF(-80 * k, -6 * k, 160 * k, 12 * k), Qt::AlignCenter,
            QStringLiteral("simulated - measured (%1)").arg(QString::fromStdString(unit)));
        painter.restore();
        painter.setPen(QPen(Qt::blue, 0.6 * k));
        painter.setBrush(Qt::blue);
        for (const auto &[day, value] : residuals)
            painter.drawEllipse(QPointF(x(day), y(value)), 1.6 * k, 1.6 * k);
    };
}

FigureDrawing ScreeningFigure(const SensitivityResult &result, int column)
{
    std::vector<std::pair<double, std::string>> bars;
    for (int p = 0; p < kParameterCount; ++p) {
        const auto parameter = static_cast<Parameter>(p);
        bars.emplace_back(result.of(parameter, column - 1).muStar, std::string(ParameterName(parameter)));
    }
    std::stable_sort(bars.begin(), bars.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    const double maximum = NiceMaximum(bars.front().first);
    return [=](QPainter &painter, const QRectF &area) {
        const double row = area.height() / (static_cast<double>(bars.size()) + 2);
        const double left = area.left() + area.width() * 0.08; // room for the parameter names
        const double span = area.width() * 0.8; // and for the values after the longest bar
        painter.setFont(FigureFont(7.5, painter));
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const double top = area.top() + row * static_cast<double>(i);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(area.left(), top, left - area.left() - row * 0.4, row),
                Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(bars[i].second));
            const double w = span * bars[i].first / maximum;
            painter.fillRect(QRectF(left, top + row * 0.15, w, row * 0.7), QColor(0x4F, 0x7F, 0xBF));
            painter.drawText(QRectF(left + w + row * 0.3, top, area.width() * 0.12, row),
                Qt::AlignLeft | Qt::AlignVCenter,
                QString::number(bars[i].first, 'g', 3));
        }
        const double axis = area.top() + row * static_cast<double>(bars.size());
        painter.drawLine(QPointF(left, area.top()), QPointF(left, axis));
        painter.drawLine(QPointF(left, axis), QPointF(left + span, axis));
        painter.drawText(QRectF(left, axis + 2, span, row), Qt::AlignHCenter | Qt::AlignTop,
            QStringLiteral("mu* (mean absolute elementary effect, 0 to %1)").arg(maximum, 0, 'g', 3));
    };
}

FigureDrawing SobolFigure(const SobolResult &result, int column)
{
    struct Bar
    {
        double st;
        double s1;
        std::string name;
    };
    const auto number = [](double value) { return std::isfinite(value) ? std::max(0.0, value) : 0.0; };
    std::vector<Bar> bars;
    for (std::size_t p = 0; p < result.parameters.size(); ++p) {
        const SobolIndex &index = result.indices[p][static_cast<std::size_t>(column - 1)];
        bars.push_back({number(index.st), number(index.s1), std::string(ParameterName(result.parameters[p]))});
    }
    std::stable_sort(bars.begin(), bars.end(), [](const Bar &a, const Bar &b) { return a.st > b.st; });
    double largest = 0;
    for (const Bar &bar : bars)
        largest = std::max({largest, bar.st, bar.s1});
    const double maximum = largest > 0 ? std::min(1.0, NiceMaximum(largest)) : 1.0;
    return [=](QPainter &painter, const QRectF &area) {
        const double row = area.height() / (static_cast<double>(std::max<std::size_t>(bars.size(), 1)) + 2);
        const double left = area.left() + area.width() * 0.08;
        const double span = area.width() * 0.7;
        painter.setFont(FigureFont(7.5, painter));
        const QColor fill(0x4F, 0x7F, 0xBF);
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const double top = area.top() + row * static_cast<double>(i);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(area.left(), top, left - area.left() - row * 0.4, row),
                Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(bars[i].name));
            const double total = span * std::min(bars[i].st, maximum) / maximum;
            const double first = span * std::min(bars[i].s1, maximum) / maximum;
            painter.fillRect(QRectF(left, top + row * 0.15, first, row * 0.7), fill);
            painter.setPen(QPen(fill, 0.8));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(left, top + row * 0.15, total, row * 0.7));
            painter.setPen(Qt::black);
            painter.drawText(QRectF(left + std::max(total, first) + row * 0.3, top, area.width() * 0.2, row),
                Qt::AlignLeft | Qt::AlignVCenter,
                QStringLiteral("S1 %1, ST %2").arg(bars[i].s1, 0, 'f', 3).arg(bars[i].st, 0, 'f', 3));
        }
        const double axis = area.top() + row * static_cast<double>(bars.size());
        painter.drawLine(QPointF(left, area.top()), QPointF(left, axis));
        painter.drawLine(QPointF(left, axis), QPointF(left + span, axis));
        painter.drawText(QRectF(left, axis + 2, span, row), Qt::AlignHCenter | Qt::AlignTop,
            QStringLiteral("share of the output's variance (0 to %1)").arg(maximum, 0, 'g', 3));
    };
}

} // namespace carexa
