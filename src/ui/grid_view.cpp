#include "ui/grid_view.h"

#include "ui/text_grid_model.h"

#include <QHeaderView>
#include <QLabel>

#include <algorithm>

namespace carexa {

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
    fitColumns();
}

void GridView::fitColumns(int minimum)
{
    if (!gridModel_)
        return;
    const QFontMetrics metrics(horizontalHeader()->font());
    const int valueWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("0.0001")) + 8;
    for (int c = 0; c < gridModel_->columnCount(); ++c) {
        const int wanted = metrics.horizontalAdvance(gridModel_->cellText(c + 1, 0)) + 8;
        setColumnWidth(c, std::max({minimum, valueWidth, wanted}));
    }
    corner_->setText(gridModel_->cellText(0, 0));
    const int cornerWidth = QFontMetrics(corner_->font()).horizontalAdvance(corner_->text()) + 12;
    verticalHeader()->setMinimumWidth(std::max(cornerWidth, 34));
    updateGeometries();
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
