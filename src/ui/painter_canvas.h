#pragma once

#include "results/canvas.h"

#include <QPainter>
#include <QPen>

namespace carexa {

/// The program's canvas on a QPainter: the paint box, printer pages and exported images.
/// Text is placed by its top left corner.
class PainterCanvas : public Canvas
{
public:
    /// `unitsPerPoint` turns font sizes in points into the painter's units; 0 leaves them to the
    /// device (the screen).
    PainterCanvas(QPainter &painter, const QRect &clip, double unitsPerPoint = 0);

    void setPenColour(std::uint32_t rgb) override;
    void setPenWidth(int width) override;
    void setBrushColour(std::uint32_t rgb) override;
    void setFontSize(int points) override;
    CanvasRect clipRect() const override;
    void fillRect(const CanvasRect &rect) override;
    void fillPolygon(const std::vector<CanvasPoint> &points) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void textOut(int x, int y, const std::string &text) override;
    int textWidth(const std::string &text) const override;

private:
    QPainter &painter_;
    QRect clip_;
    QPen pen_;
    QColor brush_ = Qt::white;
    QPoint current_;
    double unitsPerPoint_;
};

} // namespace carexa
