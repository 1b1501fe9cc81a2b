#include "ui/grid_view.h"

#include "ui/text_grid_model.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace carexa {

namespace {

// A text's width in whole pixels, rounded up as the item delegate rounds it.
int TextWidth(const QFontMetricsF &metrics, const QString &text)
{
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
}

} // namespace

GridView::GridView(QWidget *parent) : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
        | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(22);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // Headings one point smaller than the cells, so a grid of eleven series fits its screen.
    QFont headings = horizontalHeader()->font();
    headings.setPointSizeF(headings.pointSizeF() - 1);
    horizontalHeader()->setFont(headings);
    corner_ = new QLabel(this);
    corner_->setAlignment(Qt::AlignCenter);
    corner_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GridView::setGridModel(TextGridModel *model)
{
    gridModel_ = model;
    setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, [this] { fitColumns(); });
    connect(model, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex &from, const QModelIndex &to) {
            widenForRows(from.row(), std::min(to.row(), from.row() + kEdgeRows));
        });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        const auto [first, last] = visibleRows();
        widenForRows(first, last);
    });
    fitColumns();
}

int GridView::cellPadding() const
{
    // The item's text margins on both sides, as the delegate measures them, and the grid line.
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
}

std::pair<int, int> GridView::visibleRows() const
{
    const int rows = gridModel_ ? gridModel_->rowCount() : 0;
    if (rows == 0)
        return {0, -1};
    const int first = std::max(rowAt(0), 0);
    int last = rowAt(viewport()->height() - 1);
    if (last < 0) {
        const int height = std::max(verticalHeader()->defaultSectionSize(), 1);
        last = std::min(rows - 1, first + viewport()->height() / height + 1);
    }
    return {first, last};
}

void GridView::fitColumns(int minimum)
{
    if (!gridModel_)
        return;
    const int columns = gridModel_->columnCount();
    const int rows = gridModel_->rowCount();
    const QFontMetricsF cells(font());
    const auto [firstVisible, lastVisible] = visibleRows();
    const std::pair<int, int> ranges[] = {{0, std::min(rows, kEdgeRows) - 1},
        {std::max(rows - kEdgeRows, 0), rows - 1}, {firstVisible, lastVisible}};
    std::vector<int> widths(static_cast<std::size_t>(columns), 0);
    for (const auto &[first, last] : ranges) {
        for (int r = first; r <= last; ++r) {
            for (int c = 0; c < columns; ++c) {
                int &width = widths[static_cast<std::size_t>(c)];
                width = std::max(width, TextWidth(cells, gridModel_->cellText(c + 1, r + 1)));
            }
        }
    }
    const int padding = cellPadding();
    for (int c = 0; c < columns; ++c) {
        setColumnWidth(c,
            std::max({minimum, widths[static_cast<std::size_t>(c)] + padding,
                horizontalHeader()->sectionSizeHint(c)}));
    }
    corner_->setText(gridModel_->cellText(0, 0));
    const int cornerWidth = QFontMetrics(corner_->font()).horizontalAdvance(corner_->text()) + 12;
    verticalHeader()->setMinimumWidth(std::max(cornerWidth, 34));
    updateGeometries();
}

void GridView::widenForRows(int first, int last)
{
    if (!gridModel_ || first < 0)
        return;
    const QFontMetricsF cells(font());
    const int padding = cellPadding();
    last = std::min(last, gridModel_->rowCount() - 1);
    for (int c = 0; c < gridModel_->columnCount(); ++c) {
        int wanted = 0;
        for (int r = first; r <= last; ++r)
            wanted = std::max(wanted, TextWidth(cells, gridModel_->cellText(c + 1, r + 1)));
        if (wanted + padding > columnWidth(c))
            setColumnWidth(c, wanted + padding);
    }
}

void GridView::updateGeometries()
{
    QTableView::updateGeometries();
    if (corner_) {
        corner_->setGeometry(
            frameWidth(), frameWidth(), verticalHeader()->width(), horizontalHeader()->height());
        corner_->raise();
    }
}

} // namespace carexa
