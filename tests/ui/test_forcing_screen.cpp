// The forcing functions grid and its buttons through the screen.

#include "window_fixture.h"

#include "ui/grid_view.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class ForcingScreen : public WindowTest
{
protected:
    void SetUp() override
    {
        openForcingScreen();
        dialogs.messages.clear();
    }
    GridView *grid() { return find<GridView>(QStringLiteral("InfluenceGrid")); }
    // Types into a cell through the view's editor, as a user does.
    void typeCell(int column, int row, const QString &text)
    {
        GridView *view = grid();
        view->setFocus(Qt::MouseFocusReason);
        const QModelIndex index = view->model()->index(row - 1, column - 1);
        view->setCurrentIndex(index);
        view->edit(index);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    std::string cell(int column, int row) { return form->influenceGrid().cell(column, row); }
    double day(int k, DayField field) { return records().days.node(k).day.get(field); }
};

// A typed cell is an edit of the project: the day holds its value at once, and an empty cell is
// 0.0001 at once.
TEST_F(ForcingScreen, ATypedCellGoesIntoItsDayAtOnceAndAnEmptyCellIsEmptyValue)
{
    EXPECT_EQ(grid()->model()->rowCount(), 60);
    EXPECT_EQ(grid()->model()->columnCount(), 11);
    EXPECT_EQ(
        grid()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("water flow"));
    typeCell(1, 2, QStringLiteral("14.5"));
    typeCell(3, 5, QString());
    EXPECT_EQ(day(2, DayField::temperature), 14.5);
    leave();
    EXPECT_EQ(day(2, DayField::temperature), 14.5);
    EXPECT_EQ(cell(3, 5), "0.0001");
    EXPECT_EQ(grid()->model()->index(4, 2).data().toString(), QStringLiteral("0.0001"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// A cell that holds no number keeps its text in the grid and leaves its day's value as it was;
// the cells around it go in. Leaving the grid names it until a number or an empty text replaces
// it, and an undo of the typing takes it away as any edit.
TEST_F(ForcingScreen, ACellThatIsNoNumberStaysInTheGridAndIsNamedOnLeaving)
{
    typeCell(2, 3, QStringLiteral("12"));
    typeCell(2, 7, QStringLiteral("n/a"));
    typeCell(2, 9, QStringLiteral("8"));
    leave();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("'n/a'")));
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("Day 7")));
    EXPECT_EQ(day(3, DayField::waterFlow), 12);
    EXPECT_EQ(day(7, DayField::waterFlow), 0.0001);
    EXPECT_EQ(day(9, DayField::waterFlow), 8);
    EXPECT_EQ(cell(2, 7), "n/a");
    EXPECT_EQ(form->project().forcingDrafts().size(), 1U);

    form->influenceGrid().setCell(2, 7, "7.5");
    EXPECT_EQ(day(7, DayField::waterFlow), 7.5);
    EXPECT_TRUE(form->project().forcingDrafts().empty());
    dialogs.messages.clear();
    leave();
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ForcingScreen, FillEmptyDaysCarriesTheLastValueDown)
{
    typeCell(1, 1, QStringLiteral("10"));
    typeCell(1, 4, QStringLiteral("12"));
    click(QStringLiteral("Button1"));
    EXPECT_EQ(cell(1, 2), "10");
    EXPECT_EQ(cell(1, 3), "10");
    EXPECT_EQ(cell(1, 5), "12");
    EXPECT_EQ(day(60, DayField::temperature), 12);
}

TEST_F(ForcingScreen, WaterVolumeRetentionTimesAndTheWarning)
{
    // VO 180 from the design; porosity 0.5 gives 18 m3 per box.
    type(QStringLiteral("Edit3"), QStringLiteral("0.5"));
    leave();
    click(QStringLiteral("Button3"));
    EXPECT_EQ(edit(QStringLiteral("Edit4"))->text(), QStringLiteral("90"));
    EXPECT_EQ(day(33, DayField::boxWaterVolume), 18);

    for (DayNode &node : records().days.active())
        node.day.set(DayField::waterFlow, 6);
    click(QStringLiteral("Button28"));
    EXPECT_EQ(cell(11, 1), "3");
    EXPECT_EQ(day(60, DayField::RTB), 3);
    EXPECT_FALSE(find<QLabel>(QStringLiteral("Label13"))->isVisible()); // 60 >= 36

    retype(QStringLiteral("Edit19"), QStringLiteral("35"));
    leave();
    for (DayNode &node : records().days.active())
        node.day.set(DayField::RTB, 3);
    retype(QStringLiteral("Edit19"), QStringLiteral("34"));
    leave();
    EXPECT_TRUE(find<QLabel>(QStringLiteral("Label13"))->isVisible());
}

TEST_F(ForcingScreen, AZeroFlowGivesAMessageInsteadOfRetentionTimes)
{
    type(QStringLiteral("Edit3"), QStringLiteral("0.5"));
    leave();
    click(QStringLiteral("Button3"));
    typeCell(2, 1, QStringLiteral("0"));
    click(QStringLiteral("Button28"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("day 1")));
    EXPECT_EQ(day(1, DayField::RTB), 0.0001);
    EXPECT_EQ(cell(11, 1), "0.0001");
}

TEST_F(ForcingScreen, ChangingTheSimulationLength)
{
    type(QStringLiteral("Edit3"), QStringLiteral("0.4"));
    leave();
    retype(QStringLiteral("Edit19"), QStringLiteral("70"));
    leave();
    EXPECT_EQ(records().simulationLength, 70);
    EXPECT_EQ(records().days.count(), 71);
    EXPECT_EQ(grid()->model()->rowCount(), 70);
    EXPECT_EQ(cell(5, 66), "0.0001");
    // The new days take day 1's bed (the porosity the field stored into every day); the volume
    // is day 1's too, which only "Calculate water volume" sets from the design.
    EXPECT_EQ(day(70, DayField::porosity), 0.4);
    EXPECT_EQ(records().days.node(70).box.get(BoxField::VO),
        records().days.node(1).box.get(BoxField::VO));

    retype(QStringLiteral("Edit19"), QStringLiteral("60"));
    leave();
    EXPECT_EQ(records().days.count(), 61);
    EXPECT_EQ(grid()->model()->rowCount(), 60);
}

TEST_F(ForcingScreen, ShorteningOverDaysWithDataAsksFirst)
{
    retype(QStringLiteral("Edit19"), QStringLiteral("90"));
    leave();
    EXPECT_TRUE(dialogs.questions.isEmpty()); // a longer run loses nothing
    typeCell(1, 50, QStringLiteral("12.5"));
    leave();
    ASSERT_EQ(day(50, DayField::temperature), 12.5);

    dialogs.askAnswers.push_back(UserDialogs::Answer::No);
    retype(QStringLiteral("Edit19"), QStringLiteral("10"));
    leave();
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0].toStdString(),
        "Shortening to 10 days discards the data of days 11 to 90. Shorten?");
    EXPECT_FALSE(dialogs.questionsWithCancel[0]);
    EXPECT_EQ(records().simulationLength, 90); // No keeps the length and the field
    EXPECT_EQ(edit(QStringLiteral("Edit19"))->text(), QStringLiteral("90"));
    EXPECT_EQ(grid()->model()->rowCount(), 90);
    EXPECT_EQ(day(50, DayField::temperature), 12.5);
    EXPECT_EQ(cell(1, 50), "12.5");

    // Days 61 to 90 hold nothing: no question.
    retype(QStringLiteral("Edit19"), QStringLiteral("60"));
    leave();
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(records().simulationLength, 60);

    retype(QStringLiteral("Edit19"), QStringLiteral("49"));
    leave();
    ASSERT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(dialogs.questions[1].toStdString(),
        "Shortening to 49 days discards the data of days 50 to 60. Shorten?");
    EXPECT_EQ(records().simulationLength, 49); // Yes
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ForcingScreen, ALengthBelowOneIsRefused)
{
    retype(QStringLiteral("Edit19"), QStringLiteral("0"));
    leave();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(records().simulationLength, 60);
    EXPECT_EQ(records().days.count(), 61);
    EXPECT_EQ(edit(QStringLiteral("Edit19"))->text(), QStringLiteral("60"));
    EXPECT_EQ(grid()->model()->rowCount(), 60);
}

TEST_F(ForcingScreen, ResetAsksFirst)
{
    typeCell(4, 2, QStringLiteral("3.3"));
    leave();
    click(QStringLiteral("Button31"));
    EXPECT_TRUE(find(QStringLiteral("ResetControl"))->isVisible());
    click(QStringLiteral("Button33"));
    EXPECT_FALSE(find(QStringLiteral("ResetControl"))->isVisible());
    EXPECT_EQ(cell(4, 2), "3.3");
    click(QStringLiteral("Button31"));
    click(QStringLiteral("Button32"));
    EXPECT_FALSE(find(QStringLiteral("ResetControl"))->isVisible());
    EXPECT_EQ(cell(4, 2), "0.0001");
    EXPECT_EQ(day(2, DayField::nitrateIn), 0.0001);
}

TEST_F(ForcingScreen, ApplyPfDividesDayOneAfterAsking)
{
    // The example design has PF = 1; make it 2.
    records().initial.set(BoxField::PF, 2);
    typeCell(3, 1, QStringLiteral("100"));
    leave();
    dialogs.confirmAnswers = {false};
    click(QStringLiteral("Button37"));
    EXPECT_EQ(cell(3, 1), "100");
    EXPECT_EQ(dialogs.captions.last(), QStringLiteral("Warning"));
    click(QStringLiteral("Button37"));
    EXPECT_EQ(cell(3, 1), "50");
    EXPECT_EQ(day(1, DayField::bod5In), 50);
    EXPECT_EQ(cell(8, 1), "0.00005");
}

} // namespace
