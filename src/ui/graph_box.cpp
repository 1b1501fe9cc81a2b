#include "ui/graph_box.h"

#include "model/error.h"
#include "ui/painter_canvas.h"

#include <QPaintEvent>

#include <exception>
#include <utility>

namespace carexa {

GraphBox::GraphBox(Source simulated, const TextGrid &observed, QWidget *parent)
    : QWidget(parent), simulated_(std::move(simulated)), observed_(observed)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(12);
    setFont(font);
}

GraphLayout GraphBox::layout() const
{
    return StretchGraphLayout(
        kScreenGraphLayout, width() - kBaseSize.width(), height() - kBaseSize.height());
}

void GraphBox::render(const GraphRequest &request)
{
    // One pixel of the picture for each pixel of the screen, so lines and texts stay sharp on a
    // screen of twice the density; the drawing itself is in the box's own units.
    const qreal ratio = devicePixelRatioF();
    QImage picture(size() * ratio, QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white);
    std::exception_ptr failure;
    {
        QPainter painter(&picture);
        painter.setFont(font());
        PainterCanvas canvas(painter, QRect(QPoint(0, 0), size()));
        try {
            DrawGraph(canvas, layout(), request, simulated_(request.column), observed_);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    // What was drawn shows, also when a cell stopped the drawing.
    picture_ = std::move(picture);
    update();
    if (failure)
        std::rethrow_exception(failure);
}

void GraphBox::draw(const GraphRequest &request)
{
    // A refused maximum draws nothing and leaves the graph as it was.
    CheckTypedMaximum(request.typedMaximum);
    request_ = request;
    render(request);
}

void GraphBox::redraw(int simulationDays, int observedDays, bool stale)
{
    if (!request_)
        return;
    request_->simulationDays = simulationDays;
    request_->observedDays = observedDays;
    request_->stale = stale;
    try {
        render(*request_);
    } catch (const Error &) {
        // The picture keeps what was drawn; the next press of a graph button reports the cell.
    }
}

void GraphBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!request_)
        return;
    try {
        render(*request_);
    } catch (const Error &) {
        // The picture keeps what was drawn, as on any redraw.
    }
}

void GraphBox::paintEvent(QPaintEvent *event)
{
    // Moved to a screen of another density: drawn again for it.
    if (request_ && !picture_.isNull() && picture_.devicePixelRatio() != devicePixelRatioF()) {
        try {
            render(*request_);
        } catch (const Error &) {
            // The picture keeps what was drawn, as on any redraw.
        }
    }
    QPainter painter(this);
    if (picture_.isNull())
        painter.fillRect(event->rect(), Qt::white);
    else
        painter.drawImage(0, 0, picture_);
}

} // namespace carexa
