#pragma once

#include <QChartView>
#include <QPointF>

namespace carexa {

/// The chart of the explorer: the mouse wheel zooms the days about the pointer, a dragged
/// rectangle zooms into it and the right button zooms out, the middle button drags the view,
/// the arrow keys move it, + and - zoom the days and Home resets.
class ExplorerChartView : public QChartView
{
    Q_OBJECT

public:
    explicit ExplorerChartView(QChart *chart, QWidget *parent = nullptr);

signals:
    void resetRequested();
    /// The pointer moved to `position` (scene coordinates) without a button held.
    void pointerMoved(QPointF position);
    /// The pointer left the chart.
    void pointerLeft();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void zoomAbout(QPointF position, double factor);

    bool panning_ = false;
    QPointF lastPan_;
};

} // namespace carexa
