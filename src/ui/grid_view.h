#pragma once

#include <QTableView>

#include <utility>
#include <vector>

class QLabel;

namespace carexa {

class TextGridModel;

/// The view of a text grid: a fixed heading row and day column (the model's header sections,
/// with the grid's corner cell as the corner's caption), fixed row heights so a grid of any
/// number of days opens at once, and columns wide enough for their headings and numbers.
class GridView : public QTableView
{
    Q_OBJECT

public:
    explicit GridView(QWidget *parent = nullptr);

    void setGridModel(TextGridModel *model);
    /// Fits every column to its heading and its cells (at least `minimum` pixels) and shows
    /// the corner text. The cells measured are those of the rows on view and of the first and
    /// last kEdgeRows rows, so a grid of any length fits at once; rows that come into view later
    /// and edited cells widen their columns as needed.
    void fitColumns(int minimum = 44);

    /// Rows measured at each end of the grid.
    static constexpr int kEdgeRows = 200;

protected:
    void updateGeometries() override;

private:
    // Widens the columns whose cells in model rows first..last do not fit.
    void widenForRows(int first, int last);
    // The model rows on view, first and last (-1 when none).
    std::pair<int, int> visibleRows() const;
    int cellPadding() const;

    TextGridModel *gridModel_ = nullptr;
    QLabel *corner_ = nullptr;
};

} // namespace carexa
