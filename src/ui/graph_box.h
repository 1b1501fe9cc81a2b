#pragma once

#include "model/text_grid.h"
#include "results/graph.h"

#include <QImage>
#include <QWidget>

#include <optional>

namespace carexa {

/// The paint box of the Simulate screen. It keeps which series it shows and the picture drawn
/// from the grids, so the graph stays when the window is covered and comes back on repaint.
class GraphBox : public QWidget
{
    Q_OBJECT

public:
    GraphBox(TextGrid &simulated, TextGrid &observed, QWidget *parent = nullptr);

    /// Draws a series now. A refusal or a cell that is no number throws; the picture then keeps
    /// what was drawn up to that point.
    void draw(const GraphRequest &request);
    /// Draws the shown series again from the grids (their sizes may have changed); quietly keeps
    /// what it got to if a cell stops it.
    void redraw(int simulationDays, int observedDays);

    const std::optional<GraphRequest> &request() const { return request_; }
    const QImage &picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void render(const GraphRequest &request);

    TextGrid &simulated_;
    TextGrid &observed_;
    std::optional<GraphRequest> request_;
    QImage picture_;
};

} // namespace carexa
