// Copy, paste, clear, undo and redo in the grids, with the keys and the context menu.

#include "window_fixture.h"

#include "ui/grid_view.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QUndoStack>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

using Answer = UserDialogs::Answer;

class GridEditing : public WindowTest
{
protected:
    void SetUp() override
    {
        openForcingScreen();
        dialogs.messages.clear();
        QGuiApplication::clipboard()->clear();
    }
    GridView *forcing() { return find<GridView>(QStringLiteral("InfluenceGrid")); }
    std::string cell(int column, int row) { return form->influenceGrid().cell(column, row); }
    double day(int k, DayField field) { return records().days.node(k).day.get(field); }

    /// Focuses the view and makes grid cell (column, row) the current one, as a click does.
    void goTo(GridView *view, int column, int row)
    {
        view->setFocus(Qt::MouseFocusReason);
        const QModelIndex index = view->model()->index(row - 1, column - 1);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        ASSERT_EQ(view->currentIndex(), index);
    }
    void key(GridView *view, int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(view, static_cast<Qt::Key>(key), modifiers);
    }
    /// A key typed into the current cell opens its editor; Return puts the text in.
    void typeIntoCell(GridView *view, Qt::Key digit)
    {
        key(view, digit);
        QWidget *editor = QApplication::focusWidget();
        ASSERT_NE(editor, view);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), view); // the editor closes after the event
    }
    void paste(GridView *view, const QString &text)
    {
        QGuiApplication::clipboard()->setText(text);
        key(view, Qt::Key_V, Qt::ControlModifier);
    }
    QString copied(GridView *view)
    {
        QGuiApplication::clipboard()->clear();
        key(view, Qt::Key_C, Qt::ControlModifier);
        return QGuiApplication::clipboard()->text();
    }
    QAction *action(GridView *view, const char *name)
    {
        return view->findChild<QAction *>(QString::fromLatin1(name));
    }
};

TEST_F(GridEditing, CopiesTheSelectedBlockAsTabSeparatedLines)
{
    form->influenceGrid().setCell(2, 3, "10.5");
    form->influenceGrid().setCell(3, 4, "");
    goTo(forcing(), 2, 3);
    key(forcing(), Qt::Key_Right, Qt::ShiftModifier);
    key(forcing(), Qt::Key_Down, Qt::ShiftModifier);
    // The cleared cell is the project's 0.0001, as every empty forcing cell.
    EXPECT_EQ(copied(forcing()), QStringLiteral("10.5\t0.0001\n0.0001\t0.0001\n"));

    // A shift click widens the block from the current cell.
    goTo(forcing(), 1, 1);
    const QModelIndex corner = forcing()->model()->index(1, 2);
    QTest::mouseClick(forcing()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
        forcing()->visualRect(corner).center());
    const CellRange range = forcing()->selectedRange();
    EXPECT_EQ(range.column, 1);
    EXPECT_EQ(range.row, 1);
    EXPECT_EQ(range.columns, 3);
    EXPECT_EQ(range.rows, 2);
    EXPECT_FALSE(copied(forcing()).startsWith(QStringLiteral("temp.")));
}

TEST_F(GridEditing, WholeColumnsAreCopiedWithTheirHeadings)
{
    form->influenceGrid().setCell(2, 60, "99");
    QHeaderView *header = forcing()->horizontalHeader();
    forcing()->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    const QStringList lines = copied(forcing()).split(u'\n');
    ASSERT_EQ(lines.size(), 62); // heading, 60 days and the empty text after the last line break
    EXPECT_EQ(lines[0], QStringLiteral("water flow"));
    EXPECT_EQ(lines[60], QStringLiteral("99"));

    key(forcing(), Qt::Key_A, Qt::ControlModifier);
    const QString all = copied(forcing());
    EXPECT_TRUE(all.startsWith(QStringLiteral("temp.\twater flow\tBOD5\tNitrate\tAmmonium\ttotal "
                                              "P.\tOrg. Nit.\tPOM %\tPON %\tPOP %\tRTB\n"
                                              "0.0001\t")));
    EXPECT_EQ(all.count(u'\n'), 61);
}

TEST_F(GridEditing, PasteReadsHeadingsAndDecimalCommasAndTheDaysFollowAtOnce)
{
    goTo(forcing(), 1, 2);
    paste(forcing(), QStringLiteral("temp.;water flow\r\n12,5;100\r\n13;110,25\r\n"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), forcing()); // no cell editor took the block
    EXPECT_EQ(cell(1, 2), "12.5");
    EXPECT_EQ(cell(2, 2), "100");
    EXPECT_EQ(cell(1, 3), "13");
    EXPECT_EQ(cell(2, 3), "110.25");
    EXPECT_EQ(cell(3, 2), "0.0001");
    EXPECT_EQ(cell(1, 1), "0.0001");
    EXPECT_EQ(forcing()->model()->index(2, 1).data().toString(), QStringLiteral("110.25"));
    // The pasted block is selected.
    const CellRange range = forcing()->selectedRange();
    EXPECT_EQ(range.column, 1);
    EXPECT_EQ(range.row, 2);
    EXPECT_EQ(range.columns, 2);
    EXPECT_EQ(range.rows, 2);

    EXPECT_EQ(day(2, DayField::temperature), 12.5); // a paste is an edit of the project
    EXPECT_EQ(day(3, DayField::waterFlow), 110.25);
    leave();
    EXPECT_EQ(day(2, DayField::temperature), 12.5);
    EXPECT_EQ(day(3, DayField::waterFlow), 110.25);
}

TEST_F(GridEditing, ABadCellPastesNothingAndIsNamed)
{
    goTo(forcing(), 2, 4);
    paste(forcing(), QStringLiteral("1\t2\n3\tabc\n5\t6\n"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
        QStringLiteral("Day 5, \"BOD5\": 'abc' is not a valid number. Nothing was pasted."));
    EXPECT_EQ(cell(2, 4), "0.0001");
    EXPECT_EQ(cell(3, 6), "0.0001");
    EXPECT_FALSE(forcing()->undoStack()->canUndo());
    EXPECT_TRUE(dialogs.questions.isEmpty());

    paste(forcing(), QStringLiteral("1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\n"));
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[1],
        QStringLiteral(
            "The pasted data hold 11 columns; from \"water flow\" on the grid has 10. Nothing "
            "was pasted."));
    EXPECT_EQ(cell(2, 4), "0.0001");
}

QString Days(int first, int count)
{
    QString text;
    for (int d = first; d < first + count; ++d)
        text += QStringLiteral("%1\t%2\n").arg(d).arg(d * 10);
    return text;
}

TEST_F(GridEditing, ALongerBlockExtendsTheSimulationAfterAsking)
{
    type(QStringLiteral("Edit3"), QStringLiteral("0.4"));
    leave();
    // A cell typed just before the paste survives the new layout of the grid.
    goTo(forcing(), 5, 3);
    typeIntoCell(forcing(), Qt::Key_7);
    ASSERT_EQ(cell(5, 3), "7");

    goTo(forcing(), 1, 1);
    dialogs.askAnswers = {Answer::Yes};
    paste(forcing(), Days(1, 65));
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0],
        QStringLiteral("The pasted data hold 65 days; the project has 60. Extend it to 65 days?"));
    EXPECT_TRUE(dialogs.questionsWithCancel[0]);
    EXPECT_EQ(records().simulationLength, 65);
    EXPECT_EQ(records().days.count(), 66);
    EXPECT_EQ(edit(QStringLiteral("Edit19"))->text(), QStringLiteral("65"));
    EXPECT_EQ(forcing()->model()->rowCount(), 65);
    EXPECT_EQ(day(65, DayField::porosity), 0.4); // as the length field sets it
    EXPECT_EQ(cell(1, 65), "65");
    EXPECT_EQ(cell(2, 65), "650");
    EXPECT_EQ(cell(5, 3), "7");
    EXPECT_EQ(day(3, DayField::ammoniumIn), 7);
    leave();
    EXPECT_EQ(day(65, DayField::waterFlow), 650);

    // Undo takes the cells back; the length stays.
    goTo(forcing(), 1, 1);
    key(forcing(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(cell(1, 65), "0.0001");
    EXPECT_EQ(cell(2, 1), "0.0001");
    EXPECT_EQ(records().simulationLength, 65);
    key(forcing(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(cell(2, 65), "650");
}

TEST_F(GridEditing, NoPastesTheDaysThatFitAndCancelNothing)
{
    goTo(forcing(), 1, 58);
    dialogs.askAnswers = {Answer::No, Answer::Cancel};
    paste(forcing(), Days(1, 5));
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0],
        QStringLiteral(
            "The pasted data reach day 62; the project has 60 days. Extend it to 62 days?"));
    EXPECT_EQ(records().simulationLength, 60);
    EXPECT_EQ(cell(1, 58), "1");
    EXPECT_EQ(cell(2, 60), "30");
    EXPECT_EQ(cell(1, 61), ""); // nothing written past the last day

    goTo(forcing(), 3, 1);
    paste(forcing(), Days(100, 70));
    EXPECT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(cell(3, 1), "0.0001");
    EXPECT_EQ(records().simulationLength, 60);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(GridEditing, ABlockPastTheLongestProjectIsRefusedWithoutAsking)
{
    goTo(forcing(), 1, 2);
    paste(forcing(), QStringLiteral("1\n").repeated(kMaxDays));
    EXPECT_TRUE(dialogs.questions.isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
        QStringLiteral("The pasted data reach day 300001; a project holds at most 300000 days. "
                       "Nothing was pasted."));
    EXPECT_EQ(cell(1, 2), "0.0001");
    EXPECT_EQ(records().simulationLength, 60);
}

TEST_F(GridEditing, DeleteClearsAndUndoRedoWorkOnTypedCellsToo)
{
    form->influenceGrid().setCell(4, 2, "3.3");
    form->influenceGrid().setCell(5, 3, "4.4");
    goTo(forcing(), 4, 2);
    key(forcing(), Qt::Key_Right, Qt::ShiftModifier);
    key(forcing(), Qt::Key_Down, Qt::ShiftModifier);
    key(forcing(), Qt::Key_Delete);
    EXPECT_EQ(cell(4, 2), "0.0001");
    EXPECT_EQ(cell(5, 3), "0.0001");

    goTo(forcing(), 6, 6);
    typeIntoCell(forcing(), Qt::Key_8);
    EXPECT_EQ(cell(6, 6), "8");

    key(forcing(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(cell(6, 6), "0.0001");
    key(forcing(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(cell(4, 2), "3.3");
    EXPECT_EQ(cell(5, 3), "4.4");
    key(forcing(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(cell(5, 3), "0.0001");
    key(forcing(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(cell(6, 6), "8");
    EXPECT_FALSE(forcing()->undoStack()->canRedo());
}

TEST_F(GridEditing, ASingleValueFillsTheSelectedBlock)
{
    goTo(forcing(), 8, 1);
    key(forcing(), Qt::Key_Down, Qt::ShiftModifier);
    key(forcing(), Qt::Key_Right, Qt::ShiftModifier);
    paste(forcing(), QStringLiteral("25\n"));
    EXPECT_EQ(cell(8, 1), "25");
    EXPECT_EQ(cell(9, 2), "25");
    EXPECT_EQ(cell(10, 1), "0.0001");
    EXPECT_EQ(cell(8, 3), "0.0001");
}

TEST_F(GridEditing, AChangeOfTheWholeGridEndsWhatCanBeUndone)
{
    goTo(forcing(), 1, 1);
    paste(forcing(), QStringLiteral("5\n"));
    EXPECT_TRUE(forcing()->undoStack()->canUndo());
    leave(); // the store keeps the history
    EXPECT_TRUE(forcing()->undoStack()->canUndo());
    click(QStringLiteral("Button1")); // "Fill empty days"
    EXPECT_FALSE(forcing()->undoStack()->canUndo());
    EXPECT_EQ(cell(1, 60), "5");
}

TEST_F(GridEditing, TheContextMenuOffersTheSameActions)
{
    QMenu *menu = forcing()->contextMenu();
    QStringList texts;
    for (QAction *entry : menu->actions())
        texts << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    EXPECT_EQ(texts.join(u'|'), QStringLiteral("Copy|Paste|Clear|-|Undo|Redo|-|Select all"));
    EXPECT_EQ(action(forcing(), "copyAction")->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_EQ(action(forcing(), "redoAction")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));

    goTo(forcing(), 2, 2);
    QGuiApplication::clipboard()->setText(QStringLiteral("42"));
    action(forcing(), "pasteAction")->trigger();
    EXPECT_EQ(cell(2, 2), "42");
    EXPECT_TRUE(action(forcing(), "undoAction")->isEnabled());
    action(forcing(), "undoAction")->trigger();
    EXPECT_EQ(cell(2, 2), "0.0001");
    action(forcing(), "selectAllAction")->trigger();
    EXPECT_EQ(forcing()->selectedRange().rows, 60);
    EXPECT_EQ(forcing()->selectedRange().columns, 11);
    action(forcing(), "clearAction")->trigger();
    EXPECT_EQ(cell(11, 60), "0.0001");
}

TEST_F(GridEditing, AnEditorOpenedMeanwhileDoesNotWriteItsOldTextBack)
{
    // A click on the current cell opens its editor a moment later, perhaps while the extend
    // question or the menu is up; the editor then shows the pasted text, not the old one.
    goTo(forcing(), 1, 1);
    forcing()->edit(forcing()->currentIndex());
    ASSERT_NE(QApplication::focusWidget(), forcing());
    QGuiApplication::clipboard()->setText(QStringLiteral("5\t6"));
    action(forcing(), "pasteAction")->trigger();
    EXPECT_EQ(cell(1, 1), "5");
    leave(); // an editor still open would put its text in now
    EXPECT_EQ(cell(1, 1), "5");
    EXPECT_EQ(day(1, DayField::temperature), 5);

    forcing()->setFocus(Qt::MouseFocusReason);
    forcing()->edit(forcing()->currentIndex());
    action(forcing(), "undoAction")->trigger();
    leave();
    EXPECT_EQ(cell(1, 1), "0.0001");
}

TEST_F(GridEditing, ObservedPasteExtendsTheObservedLength)
{
    click(QStringLiteral("Button4"));
    click(QStringLiteral("Button25"));
    click(QStringLiteral("Button6"));
    click(QStringLiteral("Button10"));
    GridView *observed = find<GridView>(QStringLiteral("ObservedGrid"));
    goTo(observed, 1, 60);
    dialogs.askAnswers = {Answer::Yes};
    paste(observed, QStringLiteral("BOD5 out\tnit. out\n4,5\t1\n5\t\n"));
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0],
        QStringLiteral(
            "The pasted data reach day 61; the project has 60 days. Extend it to 61 days?"));
    EXPECT_EQ(records().observedLength, 61);
    EXPECT_EQ(edit(QStringLiteral("Edit5"))->text(), QStringLiteral("61"));
    EXPECT_EQ(observed->model()->rowCount(), 61);
    EXPECT_EQ(form->observedGrid().cell(1, 60), "4.5");
    EXPECT_EQ(form->observedGrid().cell(2, 61), "0.0001");
    EXPECT_EQ(records().simulationLength, 60);

    key(observed, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->observedGrid().cell(1, 60), "0.0001");
    EXPECT_EQ(records().observedLength, 61);
}

TEST_F(GridEditing, TheDataSheetIsCopiedButNotChanged)
{
    click(QStringLiteral("Button4"));
    click(QStringLiteral("Button25"));
    click(QStringLiteral("Button6"));
    click(QStringLiteral("Button9"));
    GridView *sheet = find<GridView>(QStringLiteral("DataGrid"));
    goTo(sheet, 1, 1);
    const std::string before = form->dataGrid().cell(1, 1);
    EXPECT_EQ(copied(sheet), QString::fromStdString(before) + u'\n');
    paste(sheet, QStringLiteral("5"));
    key(sheet, Qt::Key_Delete);
    EXPECT_EQ(form->dataGrid().cell(1, 1), before);
    EXPECT_EQ(QApplication::focusWidget(), sheet);
    sheet->contextMenu()->aboutToShow();
    EXPECT_TRUE(action(sheet, "copyAction")->isEnabled());
    EXPECT_FALSE(action(sheet, "pasteAction")->isEnabled());
    EXPECT_FALSE(action(sheet, "clearAction")->isEnabled());
    EXPECT_FALSE(action(sheet, "undoAction")->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

} // namespace
