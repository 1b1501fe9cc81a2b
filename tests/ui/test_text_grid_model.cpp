#include "model/text_grid.h"
#include "ui/text_grid_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace carexa;

namespace {

TEST(TextGridModel, ShowsTheGridWithItsHeadingsAsSections)
{
    TextGrid grid(12, 4);
    grid.setCell(0, 0, "Day");
    grid.setCell(1, 0, "temp.");
    grid.setCell(0, 2, "2");
    grid.setCell(1, 2, "14.5");
    grid.setCell(11, 40, "kept");
    TextGridModel model(grid);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 11);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("temp."));
    EXPECT_EQ(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("14.5"));
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));

    grid.setRowCount(41);
    model.reload();
    EXPECT_EQ(model.index(39, 10).data().toString(), QStringLiteral("kept"));
}

TEST(TextGridModel, EditsGoIntoTheGrid)
{
    TextGrid grid(12, 61);
    grid.setEditable(true);
    TextGridModel model(grid);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    EXPECT_TRUE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(model.setData(model.index(4, 2), QStringLiteral("150")));
    EXPECT_EQ(grid.cell(3, 5), "150");
    EXPECT_EQ(changed.count(), 1);
    model.setCellText(3, 6, QStringLiteral("151"));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(model.index(5, 2).data().toString(), QStringLiteral("151"));
}

} // namespace
