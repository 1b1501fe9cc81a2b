#include "ui/painter_canvas.h"

#include <QFontMetrics>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace carexa {

PainterCanvas::PainterCanvas(QPainter &painter, const QRect &clip, double unitsPerPoint)
    : painter_(painter), clip_(clip), pen_(Qt::black, 1), unitsPerPoint_(unitsPerPoint)
{
    painter_.setPen(pen_);
}

void PainterCanvas::setPenColour(std::uint32_t rgb)
{
    pen_.setColor(QColor::fromRgb(rgb));
    painter_.setPen(pen_);
}

void PainterCanvas::setPenWidth(int width)
{
    pen_.setWidth(width);
    painter_.setPen(pen_);
}

void PainterCanvas::setBrushColour(std::uint32_t rgb)
{
    brush_ = QColor::fromRgb(rgb);
}

void PainterCanvas::setFontSize(int points)
{
    QFont font = painter_.font();
    if (unitsPerPoint_ > 0) {
        font.setPixelSize(std::max(1, qRound(points * unitsPerPoint_)));
        // A slightly narrow face keeps the longest labels of the page layout clear of the
        // values beside them.
        font.setStretch(QFont::SemiCondensed);
    } else
        font.setPointSize(points);
    painter_.setFont(font);
}

CanvasRect PainterCanvas::clipRect() const
{
    return {clip_.left(), clip_.top(), clip_.left() + clip_.width(), clip_.top() + clip_.height()};
}

void PainterCanvas::fillRect(const CanvasRect &rect)
{
    painter_.fillRect(
        QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), brush_);
}

void PainterCanvas::fillPolygon(const std::vector<CanvasPoint> &points)
{
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const CanvasPoint &p : points)
        polygon.append(QPoint(p.x, p.y));
    painter_.save();
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(brush_);
    painter_.drawPolygon(polygon);
    painter_.restore();
}

void PainterCanvas::moveTo(int x, int y)
{
    current_ = QPoint(x, y);
}

void PainterCanvas::lineTo(int x, int y)
{
    const QPoint next(x, y);
    painter_.drawLine(current_, next);
    current_ = next;
}

void PainterCanvas::textOut(int x, int y, const std::string &text)
{
    const QFontMetrics metrics(painter_.font());
    painter_.drawText(QPoint(x, y + metrics.ascent()), QString::fromStdString(text));
}

int PainterCanvas::textWidth(const std::string &text) const
{
    // The font's pixel size is in canvas units (on pages it was set from points through
    // unitsPerPoint), so its metrics are too.
    const QFontMetricsF metrics(painter_.font());
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(QString::fromStdString(text))));
}

} // namespace carexa
