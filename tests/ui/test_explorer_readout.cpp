// The result explorer's readout, legend and value axes.

#include "window_fixture.h"

#include "ui/result_explorer.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QListWidget>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QXYSeries>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class ExplorerReadout : public WindowTest
{
protected:
    void SetUp() override
    {
        openSimulateScreen();
        click(QStringLiteral("Button8"));
        ASSERT_TRUE(dialogs.messages.isEmpty());
    }

    ResultExplorer *openExplorer()
    {
        click(QStringLiteral("exploreResultsButton"));
        EXPECT_NE(form->resultExplorer, nullptr);
        EXPECT_TRUE(form->resultExplorer->isVisible());
        return form->resultExplorer;
    }
};

// The readout names the series and day under the pointer and goes when the pointer leaves.
TEST_F(ExplorerReadout, TheReadoutFollowsThePointer)
{
    form->observedGrid().setCell(1, 10, "14");
    ResultExplorer *explorer = openExplorer();
    explorer->resize(1000, 600);
    ASSERT_TRUE(QTest::qWaitForWindowActive(explorer));
    QChart *chart = explorer->chartView->chart();
    auto *line = qobject_cast<QXYSeries *>(chart->series()[0]);
    ASSERT_NE(line, nullptr);
    QWidget *viewport = explorer->chartView->viewport();
    const auto moveTo = [&](QPointF value, double dy) {
        const QPoint at = explorer->chartView->mapFromScene(
                              chart->mapToScene(chart->mapToPosition(value, line)))
            + QPoint(0, static_cast<int>(dy));
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    };
    const std::vector<double> bod = form->explorerData().current.series[0];
    const auto readout = [&](int day) {
        return QStringLiteral("BOD5 out, day %1: %2 mg/L")
            .arg(day)
            .arg(QString::number(bod[static_cast<std::size_t>(day - 1)], 'g', 6));
    };
    moveTo(QPointF(30, bod[29]), 0);
    EXPECT_EQ(explorer->hoverLabel->text(), readout(30));
    // Away from every point of the line, the day under the pointer still counts.
    moveTo(QPointF(15, bod[14]), -40);
    EXPECT_EQ(explorer->hoverLabel->text(), readout(15));
    moveTo(QPointF(44.4, bod[43]), 0);
    EXPECT_EQ(explorer->hoverLabel->text(), readout(44));
    // The measured values are the nearest measured day's.
    const QString observed = explorer->readoutAt(chart->mapToPosition(QPointF(10.2, 14), line));
    EXPECT_EQ(observed, QStringLiteral("BOD5 out observed, day 10: 14 mg/L"));

    // Outside the plot (over the axis labels) and off the chart, the readout goes.
    const QPointF left = chart->plotArea().topLeft() - QPointF(20, -20);
    const QPoint outside = explorer->chartView->mapFromScene(chart->mapToScene(left));
    QMouseEvent move(QEvent::MouseMove, outside, viewport->mapToGlobal(outside), Qt::NoButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_EQ(explorer->hoverLabel->text(), QString());
    moveTo(QPointF(30, bod[29]), 0);
    EXPECT_FALSE(explorer->hoverLabel->text().isEmpty());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(explorer->chartView, &leave);
    EXPECT_EQ(explorer->hoverLabel->text(), QString());

    // Another run, and the explorer opened again: its numbers and nothing of the run before.
    moveTo(QPointF(30, bod[29]), 0);
    explorer->close();
    retype(QStringLiteral("Edit36"), QStringLiteral("3"));
    records().parameters.set(Parameter::OC, records().parameters.get(Parameter::OC) * 3);
    click(QStringLiteral("Button8"));
    explorer = openExplorer();
    EXPECT_EQ(explorer->hoverLabel->text(), QString());
    const std::vector<DrawnSeries> all = explorer->drawnSeries();
    const std::vector<double> now = ExplorerRunOf(records()).series[0];
    EXPECT_NE(now, bod);
    EXPECT_EQ(all[0].last, QPointF(60, now.back()));
}

// The legend shows each series as it is drawn: the measured values as their markers, in their
// colour, not as white squares.
TEST_F(ExplorerReadout, TheLegendShowsTheSeriesAsDrawn)
{
    form->observedGrid().setCell(1, 10, "14");
    ResultExplorer *explorer = openExplorer();
    QChart *chart = explorer->chartView->chart();
    EXPECT_EQ(chart->legend()->markerShape(), QLegend::MarkerShapeFromSeries);
    QScatterSeries *markers = nullptr;
    for (QAbstractSeries *series : chart->series()) {
        if (series->name() == QStringLiteral("BOD5 out observed"))
            markers = qobject_cast<QScatterSeries *>(series);
    }
    ASSERT_NE(markers, nullptr);
    EXPECT_NE(markers->color(), QColor(Qt::white));
    const QList<QLegendMarker *> entries = chart->legend()->markers(markers);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->brush().color(), markers->color());
    EXPECT_EQ(entries[0]->pen().color(), markers->borderColor());
}

// No axis reads "-0.0", whatever the values.
TEST_F(ExplorerReadout, TheValueAxesAreLabelledAtRoundValuesWithoutANegativeZero)
{
    ResultExplorer *explorer = openExplorer();
    ExplorerData data;
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        data.current.series[c].resize(20);
        for (std::size_t d = 0; d < 20; ++d)
            data.current.series[c][d] = c < 5 ? 0.4 + 0.01 * static_cast<double>(d) : 0.1;
        if (c >= 5) { // from -0.04 to 0.37
            data.current.series[c].front() = -0.04;
            data.current.series[c].back() = 0.37;
        }
    }
    data.current.boxes.resize(20);
    explorer->setData(data);
    explorer->seriesList->item(5)->setCheckState(Qt::Checked);
    EXPECT_EQ(explorer->efficiencyAxis->min(), -0.1);
    EXPECT_DOUBLE_EQ(explorer->efficiencyAxis->max(), 0.4);
    EXPECT_EQ(explorer->efficiencyAxis->categoriesLabels(),
        (QStringList {QStringLiteral("-0.1"), QStringLiteral("0.0"), QStringLiteral("0.1"),
            QStringLiteral("0.2"), QStringLiteral("0.3"), QStringLiteral("0.4")}));
    EXPECT_EQ(explorer->concentrationAxis->categoriesLabels().last(), QStringLiteral("0.6"));
    // Zoomed, the labels are round values of the range shown.
    explorer->efficiencyAxis->setRange(-0.033, 0.071);
    for (const QString &label : explorer->efficiencyAxis->categoriesLabels()) {
        EXPECT_NE(label, QStringLiteral("-0.0"));
        EXPECT_NE(label, QStringLiteral("-0.00"));
    }
    EXPECT_TRUE(explorer->efficiencyAxis->categoriesLabels().contains(QStringLiteral("0.00")));
}

TEST_F(ExplorerReadout, HoveringOverALineShowsItsDayAndValue)
{
    ResultExplorer *explorer = openExplorer();
    explorer->resize(1000, 600);
    ASSERT_TRUE(QTest::qWaitForWindowActive(explorer));
    QChart *chart = explorer->chartView->chart();
    auto *line = qobject_cast<QXYSeries *>(chart->series()[0]);
    ASSERT_NE(line, nullptr);
    const QPointF point = line->at(29); // day 30
    const QPoint onView
        = explorer->chartView->mapFromScene(chart->mapToScene(chart->mapToPosition(point, line)));
    QWidget *viewport = explorer->chartView->viewport();
    for (const QPoint &at : {onView + QPoint(0, 30), onView}) {
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    EXPECT_EQ(explorer->hoverLabel->text().toStdString(),
        QStringLiteral("BOD5 out, day 30: %1 mg/L")
            .arg(QString::number(point.y(), 'g', 6))
            .toStdString());
}

} // namespace
