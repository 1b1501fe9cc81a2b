#pragma once

#include "model/text_grid.h"
#include "results/graph.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace carexa {

/// The paint box of the Simulate screen. It keeps which series it shows and the picture drawn
/// from the results, so the graph stays when the window is covered and comes back on repaint.
/// The simulated values come from its source (the run's results as the data sheet shows them),
/// the observed ones from the observed grid, which it only reads: cleaning cells is for whoever
/// asks for a graph (CleanGraphCells). At its first size (kBaseSize) it draws the screen layout
/// as it is; larger, the axes grow with it (StretchGraphLayout) and the graph is drawn again.
class GraphBox : public QWidget
{
    Q_OBJECT

public:
    /// The size the screen graph's layout is made for.
    static constexpr QSize kBaseSize {592, 406};

    /// The simulated values of series `column` (1 to 11), day d at index d - 1.
    using Source = std::function<std::vector<double>(int column)>;

    GraphBox(Source simulated, const TextGrid &observed, QWidget *parent = nullptr);

    /// Draws a series now and keeps it as the one shown. A refused maximum throws and leaves the
    /// graph as it was; a cell that is no number throws, and the picture keeps what was drawn up
    /// to that point.
    void draw(const GraphRequest &request);
    /// Draws the shown series again from the results and the observed grid as they are now
    /// (their days may have changed, and whether the results are out of date); quietly keeps
    /// what it got to if a cell stops it.
    void redraw(int simulationDays, int observedDays, bool stale);

    const std::optional<GraphRequest> &request() const { return request_; }
    /// The simulated values the shown series is drawn from now (empty while none is shown).
    std::vector<double> shownValues() const
    {
        return request_ ? simulated_(request_->column) : std::vector<double> {};
    }
    /// The picture shown, with a pixel for each pixel of the screen (its device pixel ratio).
    const QImage &picture() const { return picture_; }
    /// The layout the graph is drawn with at the box's present size.
    GraphLayout layout() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void render(const GraphRequest &request);

    Source simulated_;
    const TextGrid &observed_;
    std::optional<GraphRequest> request_;
    QImage picture_;
};

} // namespace carexa
