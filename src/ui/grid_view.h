#pragma once

#include <QTableView>

class QLabel;

namespace carexa {

class TextGridModel;

/// The view of a text grid: a fixed heading row and day column (the model's header sections,
/// with the grid's corner cell as the corner's caption), fixed row heights so a grid of any
/// number of days opens at once, and columns as wide as their headings.
class GridView : public QTableView
{
    Q_OBJECT

public:
    explicit GridView(QWidget *parent = nullptr);

    void setGridModel(TextGridModel *model);
    /// Fits the columns to their headings (at least `minimum` pixels) and shows the corner text.
    void fitColumns(int minimum = 44);

protected:
    void updateGeometries() override;

private:
    TextGridModel *gridModel_ = nullptr;
    QLabel *corner_ = nullptr;
};

} // namespace carexa
