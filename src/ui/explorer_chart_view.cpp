// The chart view of the result explorer: zooming, moving and the pointer's position.

#include "ui/explorer_chart_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace carexa {

namespace {

constexpr double kWheelZoom = 1.25;
constexpr double kKeyScroll = 0.1; // of the plot area per arrow key

} // namespace

ExplorerChartView::ExplorerChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

// The wheel and the keys zoom the days about a point; the values keep their range (a dragged
// rectangle zooms both).
void ExplorerChartView::zoomAbout(QPointF position, double factor)
{
    const QRectF plot = chart()->plotArea();
    if (plot.isEmpty())
        return;
    const double centre = std::clamp(position.x(), plot.left(), plot.right());
    chart()->zoomIn(QRectF(centre - (centre - plot.left()) * factor, plot.top(),
        plot.width() * factor, plot.height()));
}

void ExplorerChartView::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y();
    if (steps == 0) {
        event->ignore();
        return;
    }
    zoomAbout(mapToScene(event->position().toPoint()), steps > 0 ? 1 / kWheelZoom : kWheelZoom);
    event->accept();
}

void ExplorerChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        panning_ = true;
        lastPan_ = event->position();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void ExplorerChartView::mouseMoveEvent(QMouseEvent *event)
{
    if (panning_) {
        const QPointF delta = event->position() - lastPan_;
        lastPan_ = event->position();
        chart()->scroll(-delta.x(), delta.y());
        event->accept();
        return;
    }
    if (event->buttons() == Qt::NoButton)
        emit pointerMoved(mapToScene(event->position().toPoint()));
    QChartView::mouseMoveEvent(event);
}

void ExplorerChartView::leaveEvent(QEvent *event)
{
    emit pointerLeft();
    QChartView::leaveEvent(event);
}

void ExplorerChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (panning_ && event->button() == Qt::MiddleButton) {
        panning_ = false;
        unsetCursor();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void ExplorerChartView::keyPressEvent(QKeyEvent *event)
{
    const QRectF plot = chart()->plotArea();
    switch (event->key()) {
    case Qt::Key_Left:
        chart()->scroll(-plot.width() * kKeyScroll, 0);
        break;
    case Qt::Key_Right:
        chart()->scroll(plot.width() * kKeyScroll, 0);
        break;
    case Qt::Key_Up:
        chart()->scroll(0, plot.height() * kKeyScroll);
        break;
    case Qt::Key_Down:
        chart()->scroll(0, -plot.height() * kKeyScroll);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAbout(plot.center(), 1 / kWheelZoom);
        break;
    case Qt::Key_Minus:
        zoomAbout(plot.center(), kWheelZoom);
        break;
    case Qt::Key_Home:
        emit resetRequested();
        break;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace carexa
