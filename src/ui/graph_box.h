#pragma once

#include "model/text_grid.h"
#include "results/graph.h"

#include <QImage>
#include <QWidget>

#include <optional>

namespace carexa {

/// The paint box of the Simulate screen. It keeps which series it shows and the picture drawn
/// from the grids, so the graph stays when the window is covered and comes back on repaint. It
/// only reads the grids: cleaning cells is for whoever asks for a graph (CleanGraphCells).
class GraphBox : public QWidget
{
    Q_OBJECT

public:
    GraphBox(const TextGrid &simulated, const TextGrid &observed, QWidget *parent = nullptr);

    /// Draws a series now and keeps it as the one shown. A refused maximum throws and leaves the
    /// graph as it was; a cell that is no number throws, and the picture keeps what was drawn up
    /// to that point.
    void draw(const GraphRequest &request);
    /// Draws the shown series again from the grids as they are now (their sizes may have
    /// changed); quietly keeps what it got to if a cell stops it.
    void redraw(int simulationDays, int observedDays);

    const std::optional<GraphRequest> &request() const { return request_; }
    const QImage &picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void render(const GraphRequest &request);

    const TextGrid &simulated_;
    const TextGrid &observed_;
    std::optional<GraphRequest> request_;
    QImage picture_;
};

} // namespace carexa
