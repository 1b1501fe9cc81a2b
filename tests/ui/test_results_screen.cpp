// The data sheet panel, the observed values panel and the graphs through the Simulate screen.

#include "window_fixture.h"

#include "model/number_text.h"
#include "support/temp_dir.h"
#include "ui/graph_box.h"
#include "ui/grid_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QStyleOptionViewItem>

#include <cmath>
#include <filesystem>
#include <functional>
#include <numeric>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class ResultsScreen : public WindowTest
{
protected:
    void SetUp() override
    {
        openSimulateScreen();
        // Day d's box-E BOD5 is d + 0.123456789, so a cell shows its day and its decimals.
        for (DayNode &node : records().days.active())
            node.box.setConcentration(Variable::BOD5, 4, node.box.dayNumber() + 0.123456789);
    }
    GridView *dataView() { return find<GridView>(QStringLiteral("DataGrid")); }
    GridView *observedView() { return find<GridView>(QStringLiteral("ObservedGrid")); }
    QString label46() { return find<QLabel>(QStringLiteral("Label46"))->text(); }
};

TEST_F(ResultsScreen, DataSheetShowsFourAndTwoDecimals)
{
    click(QStringLiteral("Button9"));
    EXPECT_TRUE(form->DataPanel->isVisible());
    EXPECT_FALSE(form->SimulateBox->isVisible());
    EXPECT_EQ(label46(), QStringLiteral("Data Sheet for Simulation"));
    EXPECT_EQ(dataView()->model()->rowCount(), 60);
    EXPECT_EQ(dataView()->model()->columnCount(), 11);
    EXPECT_EQ(dataView()->model()->index(4, 0).data().toString(), QStringLiteral("5.1235"));
    EXPECT_EQ(dataView()->model()->headerData(10, Qt::Horizontal).toString(),
        QStringLiteral("eff. t.n. rem"));

    click(QStringLiteral("Button23"));
    EXPECT_FALSE(form->DataPanel->isVisible());
    EXPECT_TRUE(form->SimulateBox->isVisible());
    EXPECT_EQ(form->dataGrid().cell(1, 5), "5.1235"); // left as it was
}

// Every cell of `rows` (model rows) and every heading of `view` fits its column: the width the
// view's own delegate asks for, and the grid line.
void ExpectColumnsFit(GridView *view, const std::vector<int> &rows)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    const QAbstractItemModel *model = view->model();
    for (int c = 0; c < model->columnCount(); ++c) {
        EXPECT_LE(view->horizontalHeader()->sectionSizeHint(c), view->columnWidth(c))
            << model->headerData(c, Qt::Horizontal).toString().toStdString();
        for (int r : rows) {
            const QModelIndex index = model->index(r, c);
            EXPECT_LE(view->itemDelegateForIndex(index)->sizeHint(option, index).width() + 1,
                view->columnWidth(c))
                << "row " << r << ", column " << c << ": " << index.data().toString().toStdString();
        }
    }
}

std::vector<int> AllRows(GridView *view)
{
    std::vector<int> rows(static_cast<std::size_t>(view->model()->rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

TEST_F(ResultsScreen, EveryResultGridFitsItsHeadingsAndNumbers)
{
    // Concentrations of up to seven digits before the full stop, four after it in the table.
    for (DayNode &node : records().days.active()) {
        for (int v = 0; v < kVariableCount; ++v) {
            for (int x = 0; x < kBoxCount; ++x)
                node.box.setConcentration(static_cast<Variable>(v), x,
                    (x + 1) * std::pow(10.0, v) * node.box.dayNumber() + 0.123456789);
        }
    }
    click(QStringLiteral("Button22"));
    EXPECT_EQ(dataView()->model()->index(59, 24).data().toString(), QStringLiteral("300000.1235"));
    ExpectColumnsFit(dataView(), AllRows(dataView()));
    click(QStringLiteral("Button23"));
    click(QStringLiteral("Button9"));
    ExpectColumnsFit(dataView(), AllRows(dataView()));
    click(QStringLiteral("Button23"));

    click(QStringLiteral("Button10"));
    form->observedGrid().setCell(4, 12, "1234567.891");
    type(QStringLiteral("Edit5"), QStringLiteral("80"));
    leave();
    ExpectColumnsFit(observedView(), AllRows(observedView()));
    // A typed cell widens its column.
    ASSERT_TRUE(observedView()->model()->setData(
        observedView()->model()->index(20, 7), QStringLiteral("98765432.1")));
    ExpectColumnsFit(observedView(), {20});
}

// A long grid measures the rows on view and both ends; rows scrolled to later widen their
// columns.
TEST_F(ResultsScreen, LongGridsFitTheirEndsAndTheRowsScrolledTo)
{
    retype(QStringLiteral("Edit36"), QStringLiteral("1"));
    records().setSimulationLength(3000);
    records().days.node(3000).box.setConcentration(Variable::BOD5, 0, 87654321.5);
    records().days.node(1500).box.setConcentration(Variable::NIT, 2, 123456789.25);
    click(QStringLiteral("Button22"));
    GridView *view = dataView();
    ExpectColumnsFit(view, {0, 1, 2999});
    const QModelIndex middle = view->model()->index(1499, 7); // NIT-C of day 1500
    EXPECT_EQ(middle.data().toString(), QStringLiteral("123456789.25"));
    const int before = view->columnWidth(7);
    view->scrollTo(middle);
    QApplication::processEvents();
    EXPECT_GT(view->columnWidth(7), before);
    ExpectColumnsFit(view, {1499});
}

TEST_F(ResultsScreen, AdditionalResultsThenCloseBringBackTheSheetWithSixDecimals)
{
    click(QStringLiteral("Button22"));
    EXPECT_EQ(label46(), QStringLiteral("Additional results"));
    EXPECT_EQ(dataView()->model()->columnCount(), 25);
    EXPECT_EQ(
        dataView()->model()->headerData(15, Qt::Horizontal).toString(), QStringLiteral("TPO-A"));
    EXPECT_EQ(dataView()->model()->index(4, 4).data().toString(), QStringLiteral("5.1235"));

    click(QStringLiteral("Button23"));
    EXPECT_EQ(label46(), QStringLiteral("Data Sheet for Simulation"));
    EXPECT_EQ(form->dataGrid().columnCount(), 12);
    EXPECT_EQ(form->dataGrid().cell(1, 5), "5.123457");
    EXPECT_EQ(form->dataGrid().cell(1, 0), "BOD5 out");
}

// The graphs draw the results, not the sheet's cells: a cell typed over stays as typed.
TEST_F(ResultsScreen, CellsOfTheSheetCanBeEditedAndTheGraphsDrawTheResults)
{
    click(QStringLiteral("Button9"));
    EXPECT_TRUE(
        dataView()->model()->setData(dataView()->model()->index(9, 0), QStringLiteral("500")));
    click(QStringLiteral("Button23"));
    click(QStringLiteral("Button11"));
    const auto *box = find<GraphBox>(QStringLiteral("PaintBox1"));
    ASSERT_TRUE(box->request().has_value());
    EXPECT_EQ(box->request()->column, 1);
    EXPECT_FALSE(box->picture().isNull());
    EXPECT_EQ(form->dataGrid().cell(1, 10), "500"); // neither read nor cleaned
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// A graph cleans the observed cells it reads; the simulated values are the results, so a sheet
// cell typed over is left as it is.
TEST_F(ResultsScreen, GraphsCleanTheCellsTheyRead)
{
    form->dataGrid().setCell(7, 3, "abc");
    form->observedGrid().setCell(7, 4, "n/a");
    find<QCheckBox>(QStringLiteral("CheckObs"))->setChecked(true);
    click(QStringLiteral("Button17"));
    EXPECT_EQ(form->dataGrid().cell(7, 3), "abc");
    EXPECT_EQ(form->observedGrid().cell(7, 4), "0.0001");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// Only asking for a graph cleans cells. The graph shown is drawn again after every fill of the
// sheet, after the panels close and on repaints, and those redraws leave the cells as filled.
TEST_F(ResultsScreen, RedrawsAfterFillsLeaveTheCellsAsFilled)
{
    struct Fill
    {
        const char *what;
        std::function<void()> run;
    };
    const Fill fills[] = {
        {"Data sheet", [this] { click(QStringLiteral("Button9")); }},
        {"Additional results, Close",
            [this] {
                click(QStringLiteral("Button22"));
                click(QStringLiteral("Button23"));
            }},
        {"Simulation data sheet print",
            [this] {
                dialogs.printAnswers.push_back({false});
                form->findChild<QAction *>(QStringLiteral("Simulationdatasheet1"))->trigger();
            }},
    };
    for (const Fill &fill : fills) {
        click(QStringLiteral("Button17")); // "Efficiency nitrate rem.", automatic maximum
        fill.run();
        // No inflow: every efficiency is zero, written 1E-8, in the shown series as in the others.
        EXPECT_EQ(form->dataGrid().cell(6, 5), "1E-8") << fill.what;
        EXPECT_EQ(form->dataGrid().cell(7, 5), "1E-8") << fill.what;
        EXPECT_EQ(dataView()->model()->index(4, 6).data().toString(), QStringLiteral("1E-8"))
            << fill.what;
        if (form->DataPanel->isVisible())
            click(QStringLiteral("Button23"));
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ResultsScreen, ClosingTheObservedPanelLeavesTypedTextForTheSaveToRefuse)
{
    auto *checkObs = find<QCheckBox>(QStringLiteral("CheckObs"));
    checkObs->setChecked(true);
    click(QStringLiteral("Button12"));
    checkObs->setChecked(false);
    click(QStringLiteral("Button10"));
    ASSERT_TRUE(observedView()->model()->setData(
        observedView()->model()->index(3, 1), QStringLiteral("n/a")));
    click(QStringLiteral("Button29"));
    EXPECT_EQ(form->observedGrid().cell(2, 4), "n/a");

    const TempDir dir;
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "bed.mdl").string()));
    form->SaveProject1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("n/a")))
        << dialogs.messages[0].toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir / "bed.mdl"));
}

TEST_F(ResultsScreen, SimulateRedrawsTheShownGraphFromTheNewRun)
{
    click(QStringLiteral("Button11"));
    auto *box = find<GraphBox>(QStringLiteral("PaintBox1"));
    const QImage before = box->picture();
    click(QStringLiteral("Button8"));
    const QImage redrawn = box->picture();
    EXPECT_NE(redrawn, before);
    click(QStringLiteral("Button11")); // the very picture a press draws
    EXPECT_EQ(box->picture(), redrawn);

    // The run writes the efficiencies with three decimals, zero or less as 1E-8; the redraw of
    // the shown efficiency leaves them so, and draws them as a press would after cleaning them.
    click(QStringLiteral("Button17"));
    click(QStringLiteral("Button8"));
    const QImage efficiency = box->picture();
    int unclean = 0;
    for (int d = 1; d <= records().simulationLength; ++d)
        unclean += form->dataGrid().cell(7, d) == "1E-8";
    EXPECT_GT(unclean, 0);
    click(QStringLiteral("Button17"));
    EXPECT_EQ(box->picture(), efficiency);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// With a typed maximum too the graph draws the results: a sheet cell that is no number stops
// nothing (it once stopped the drawing at its day).
TEST_F(ResultsScreen, ASheetCellThatIsNoNumberStopsNoGraph)
{
    retype(QStringLiteral("Edit2"), QStringLiteral("50"));
    click(QStringLiteral("Button11"));
    const QImage before = find<GraphBox>(QStringLiteral("PaintBox1"))->picture();
    click(QStringLiteral("Button9"));
    ASSERT_TRUE(
        dataView()->model()->setData(dataView()->model()->index(9, 0), QStringLiteral("abc")));
    click(QStringLiteral("Button23"));
    click(QStringLiteral("Button10"));
    click(QStringLiteral("Button29"));
    EXPECT_EQ(form->dataGrid().cell(1, 10), "abc");
    click(QStringLiteral("Button11"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(find<GraphBox>(QStringLiteral("PaintBox1"))->picture(), before);
}

TEST_F(ResultsScreen, ATypedMaximumOfZeroDrawsNothing)
{
    click(QStringLiteral("Button12"));
    const QImage before = find<GraphBox>(QStringLiteral("PaintBox1"))->picture();
    retype(QStringLiteral("Edit2"), QStringLiteral("0"));
    click(QStringLiteral("Button13"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("greater than 0")));
    EXPECT_EQ(find<GraphBox>(QStringLiteral("PaintBox1"))->request()->column, 2);
    EXPECT_EQ(find<GraphBox>(QStringLiteral("PaintBox1"))->picture(), before);

    retype(QStringLiteral("Edit2"), QStringLiteral("-5"));
    EXPECT_EQ(edit(QStringLiteral("Edit2"))->text(), QStringLiteral("5")); // "-" emptied the field
}

TEST_F(ResultsScreen, ObservedLengthHidesRowsAndBringsThemBackEmpty)
{
    click(QStringLiteral("Button10"));
    EXPECT_TRUE(form->ObservedPanel->isVisible());
    EXPECT_EQ(find<QLabel>(QStringLiteral("Label9"))->text(), QStringLiteral("Observed Values"));
    form->observedGrid().setCell(2, 10, "4.4");
    form->observedGrid().setCell(2, 40, "7.7");
    type(QStringLiteral("Edit5"), QStringLiteral("30"));
    leave();
    EXPECT_EQ(records().observedLength, 30);
    EXPECT_EQ(observedView()->model()->rowCount(), 30);
    EXPECT_EQ(form->observedGrid().cell(2, 10), "4.4");

    retype(QStringLiteral("Edit5"), QStringLiteral("45"));
    leave();
    EXPECT_EQ(observedView()->model()->rowCount(), 45);
    EXPECT_EQ(form->observedGrid().cell(2, 40), "0.0001");
    EXPECT_EQ(form->observedGrid().cell(2, 10), "4.4");

    for (const char *bad : {"4.5", "-3", "12a"}) {
        retype(QStringLiteral("Edit5"), QString::fromLatin1(bad));
        leave();
        EXPECT_EQ(edit(QStringLiteral("Edit5"))->text(), QString()) << bad;
        EXPECT_EQ(records().observedLength, 45) << bad;
    }
    click(QStringLiteral("Button29"));
    EXPECT_FALSE(form->ObservedPanel->isVisible());
    EXPECT_TRUE(form->SimulateBox->isVisible());
}

TEST_F(ResultsScreen, ShorteningObservedDaysWithDataAsksFirst)
{
    click(QStringLiteral("Button10"));
    type(QStringLiteral("Edit5"), QStringLiteral("90"));
    leave();
    EXPECT_TRUE(dialogs.questions.isEmpty());
    form->observedGrid().setCell(3, 50, "2.5");

    dialogs.askAnswers.push_back(UserDialogs::Answer::No);
    retype(QStringLiteral("Edit5"), QStringLiteral("10"));
    leave();
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0].toStdString(),
        "Shortening to 10 days discards the data of days 11 to 90. Shorten?");
    EXPECT_EQ(records().observedLength, 90);
    EXPECT_EQ(edit(QStringLiteral("Edit5"))->text(), QStringLiteral("90"));
    EXPECT_EQ(observedView()->model()->rowCount(), 90);

    // Lengthening again keeps day 50: nothing was cut.
    retype(QStringLiteral("Edit5"), QStringLiteral("120"));
    leave();
    EXPECT_EQ(form->observedGrid().cell(3, 50), "2.5");

    retype(QStringLiteral("Edit5"), QStringLiteral("60"));
    leave();
    EXPECT_EQ(dialogs.questions.size(), 1); // days 61 to 120 hold no observation
    retype(QStringLiteral("Edit5"), QStringLiteral("0"));
    leave();
    ASSERT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(dialogs.questions[1].toStdString(),
        "Shortening to 0 days discards the data of days 1 to 60. Shorten?");
    EXPECT_EQ(records().observedLength, 0);
}

TEST_F(ResultsScreen, ObservedFillEmptyDays)
{
    click(QStringLiteral("Button10"));
    const char *column[] = {"", "2.5", "", "0.0001", "3.1", ""};
    for (int r = 1; r <= 6; ++r)
        form->observedGrid().setCell(3, r, column[r - 1]);
    click(QStringLiteral("Button30"));
    const char *expected[] = {"0.0001", "2.5", "2.5", "2.5", "3.1", "3.1"};
    for (int r = 1; r <= 6; ++r)
        EXPECT_EQ(observedView()->model()->index(r - 1, 2).data().toString().toStdString(),
            expected[r - 1]);
    EXPECT_EQ(form->observedGrid().cell(3, 60), "3.1");
}

} // namespace
