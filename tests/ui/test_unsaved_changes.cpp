// The title with the project's file and its unsaved-changes mark, and the save prompt only for
// a project with unsaved changes.

#include "window_fixture.h"

#include "support/temp_dir.h"
#include "ui/grid_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWindow>

#include <functional>
#include <ostream>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class UnsavedChanges : public WindowTest
{
protected:
    QString path(const char *name) const { return QString::fromStdString((dir / name).string()); }
    void save(const QString &name)
    {
        dialogs.saveAnswers.push_back(name);
        form->SaveProject1->trigger();
    }
    void loadExample()
    {
        finishStart();
        form->requestLoad(example);
        ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    }
    bool promptShown() { return find(QStringLiteral("PromptBox"))->isVisible(); }
    /// The mark as the window shows it, once the events waiting are handled.
    bool marked()
    {
        QApplication::processEvents();
        return form->isWindowModified();
    }
    /// The title the platform shows ("*" where the mark goes).
    QString shownTitle() { return form->windowHandle()->title(); }
    /// Makes grid cell (column, row) current and types one digit into it.
    void typeIntoCell(const char *grid, int column, int row, Qt::Key digit)
    {
        auto *view = find<GridView>(QString::fromLatin1(grid));
        ASSERT_NE(view, nullptr);
        view->setFocus(Qt::MouseFocusReason);
        const QModelIndex index = view->model()->index(row - 1, column - 1);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        QTest::keyClick(view, digit);
        QWidget *editor = QApplication::focusWidget();
        ASSERT_NE(editor, view);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), view);
    }
    void toParameters()
    {
        click(QStringLiteral("Button35"));
        click(QStringLiteral("Button4"));
        click(QStringLiteral("Button25"));
    }
    void toObservedValues()
    {
        toParameters();
        click(QStringLiteral("Button6"));
        click(QStringLiteral("Button10"));
    }

    TempDir dir;
    const QString example = QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string());
};

TEST_F(UnsavedChanges, TheTitleNamesTheFileAndMarksUnsavedChanges)
{
    finishStart();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Carexa 2.0"));
    click(QStringLiteral("ColdClimateBtn"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Carexa 2.0 - Untitled[*]"));
    EXPECT_FALSE(marked());
    EXPECT_EQ(shownTitle(), QStringLiteral("Carexa 2.0 - Untitled"));

    type(QStringLiteral("Edit7"), QStringLiteral("12")); // typed, not yet left
    EXPECT_TRUE(marked());
    EXPECT_EQ(shownTitle(), QStringLiteral("Carexa 2.0 - Untitled*"));

    save(path("Bed [*] one"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Carexa 2.0 - Bed [*][*] one.mdl[*]"));
    EXPECT_FALSE(marked());
    EXPECT_EQ(shownTitle(), QStringLiteral("Carexa 2.0 - Bed [*] one.mdl"));

    form->CloseProject1->trigger();
    EXPECT_FALSE(promptShown());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Carexa 2.0"));

    loadExample();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Carexa 2.0 - cold_climate_bed.mdl[*]"));
    EXPECT_FALSE(marked());
}

// Every kind of change marks the project: each row starts from a loaded example and changes
// one thing the file holds.
struct Change
{
    const char *name;
    std::function<void(UnsavedChanges &)> apply;
};

void PrintTo(const Change &change, std::ostream *out)
{
    *out << change.name;
}

class EveryKindOfChange : public UnsavedChanges, public testing::WithParamInterface<Change>
{
public:
    // The fixture's helpers for the table.
    void retypeField(const char *name, const char *text)
    {
        retype(QString::fromLatin1(name), QString::fromLatin1(text));
    }
    using UnsavedChanges::click;
    using UnsavedChanges::leave;
    using UnsavedChanges::toObservedValues;
    using UnsavedChanges::toParameters;
    using UnsavedChanges::typeIntoCell;
};

TEST_P(EveryKindOfChange, MarksTheProjectAndSavingClearsTheMark)
{
    loadExample();
    ASSERT_FALSE(marked());
    GetParam().apply(*this);
    EXPECT_TRUE(marked()) << GetParam().name;
    EXPECT_TRUE(form->hasUnsavedChanges());
    save(path("saved.mdl"));
    EXPECT_FALSE(marked());
    EXPECT_EQ(shownTitle(), QStringLiteral("Carexa 2.0 - saved.mdl"));
}

const Change kChanges[] = {
    {"a design input typed", [](UnsavedChanges &t) {
         static_cast<EveryKindOfChange &>(t).retypeField("Edit7", "21");
     }},
    {"the length of the simulation", [](UnsavedChanges &t) {
         auto &f = static_cast<EveryKindOfChange &>(t);
         f.click(QStringLiteral("Button35"));
         f.retypeField("Edit19", "366");
         f.leave();
     }},
    {"the porosity of every day", [](UnsavedChanges &t) {
         auto &f = static_cast<EveryKindOfChange &>(t);
         f.click(QStringLiteral("Button35"));
         f.retypeField("Edit3", "0.41");
         f.leave();
     }},
    {"a forcing cell typed", [](UnsavedChanges &t) {
         auto &f = static_cast<EveryKindOfChange &>(t);
         f.click(QStringLiteral("Button35"));
         f.typeIntoCell("InfluenceGrid", 2, 3, Qt::Key_7);
     }},
    {"the forcing grid reset", [](UnsavedChanges &t) {
         auto &f = static_cast<EveryKindOfChange &>(t);
         f.click(QStringLiteral("Button35"));
         f.click(QStringLiteral("Button31"));
         f.click(QStringLiteral("Button32"));
     }},
    {"an initial value", [](UnsavedChanges &t) {
         auto &f = static_cast<EveryKindOfChange &>(t);
         f.click(QStringLiteral("Button35"));
         f.click(QStringLiteral("Button4"));
         f.retypeField("Edit39", "121");
     }},
    {"a parameter", [](UnsavedChanges &t) {
         auto &f = static_cast<EveryKindOfChange &>(t);
         f.toParameters();
         f.retypeField("Edit28", "0.35");
     }},
    {"the time step", [](UnsavedChanges &t) {
         auto &f = static_cast<EveryKindOfChange &>(t);
         f.toParameters();
         f.click(QStringLiteral("Button6"));
         f.retypeField("Edit36", "71");
     }},
    {"an observed cell typed", [](UnsavedChanges &t) {
         auto &f = static_cast<EveryKindOfChange &>(t);
         f.toObservedValues();
         f.typeIntoCell("ObservedGrid", 1, 2, Qt::Key_3);
     }},
    {"the observed length", [](UnsavedChanges &t) {
         auto &f = static_cast<EveryKindOfChange &>(t);
         f.toObservedValues();
         f.retypeField("Edit5", "400");
         f.leave();
     }},
};

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKindOfChange, testing::ValuesIn(kChanges),
    [](const testing::TestParamInfo<Change> &info) {
        std::string name;
        for (const char *c = info.param.name; *c; ++c) {
            if (std::isalnum(static_cast<unsigned char>(*c)))
                name += *c;
        }
        return name;
    });

TEST_F(UnsavedChanges, LookingAroundChangesNothing)
{
    loadExample();
    toParameters();
    click(QStringLiteral("Button6"));
    click(QStringLiteral("Button11")); // a graph
    click(QStringLiteral("Button9")); // the data sheet
    click(QStringLiteral("Button23"));
    click(QStringLiteral("Button10"));
    click(QStringLiteral("Button29"));
    EXPECT_FALSE(marked());
    form->CloseProject1->trigger();
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(form->ColdClimateBtn->isVisible());
}

TEST_F(UnsavedChanges, TakingAChangeBackClearsTheMark)
{
    loadExample();
    toParameters();
    retype(QStringLiteral("Edit28"), QStringLiteral("0.35"));
    EXPECT_TRUE(marked());
    retype(QStringLiteral("Edit28"), QStringLiteral("0.30")); // the saved 0.3, written otherwise
    EXPECT_FALSE(marked());

    click(QStringLiteral("Button6"));
    click(QStringLiteral("Button10"));
    typeIntoCell("ObservedGrid", 1, 2, Qt::Key_3);
    EXPECT_TRUE(marked());
    QTest::keyClick(find<GridView>(QStringLiteral("ObservedGrid")), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(marked());
    QTest::keyClick(find<GridView>(QStringLiteral("ObservedGrid")), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(marked());
}

TEST_F(UnsavedChanges, NoPromptForAnUntouchedProjectButOneAfterATypedCell)
{
    chooseCold();
    form->NewProject1->trigger();
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(form->ColdClimateBtn->isVisible()); // straight to a new project
    click(QStringLiteral("ColdClimateBtn"));
    form->Exit1->trigger();
    EXPECT_FALSE(promptShown());
    EXPECT_EQ(programEnds, 1);

    // One typed cell of a new project: every action asks.
    calculateExampleDesign();
    click(QStringLiteral("Button35"));
    typeIntoCell("InfluenceGrid", 2, 1, Qt::Key_5);
    for (QAction *action : {form->NewProject1, form->CloseProject1, form->Exit1}) {
        action->trigger();
        EXPECT_TRUE(promptShown()) << action->objectName().toStdString();
        click(QStringLiteral("Button27"));
    }
    dialogs.openAnswers.push_back(example);
    form->LoadProject1->trigger();
    EXPECT_TRUE(promptShown());
    click(QStringLiteral("Button27"));
    EXPECT_EQ(programEnds, 1);

    // A loaded project nobody changed loads, closes and exits without a question.
    loadExample();
    EXPECT_TRUE(promptShown()); // the typed cell is still unsaved
    click(QStringLiteral("Button26"));
    EXPECT_FALSE(promptShown());
    form->requestLoad(example);
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    QCloseEvent event;
    QApplication::sendEvent(form.get(), &event);
    EXPECT_FALSE(promptShown());
    EXPECT_EQ(programEnds, 2);
}

// A cell still being typed when a menu key asks to close counts as typed.
TEST_F(UnsavedChanges, ACellStillBeingTypedCountsForThePrompt)
{
    loadExample();
    toObservedValues();
    auto *view = find<GridView>(QStringLiteral("ObservedGrid"));
    view->setFocus(Qt::MouseFocusReason);
    const QModelIndex index = view->model()->index(4, 2);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QTest::keyClick(view, Qt::Key_8);
    ASSERT_NE(QApplication::focusWidget(), view); // the cell's editor is open
    form->CloseProject1->trigger();
    EXPECT_TRUE(promptShown());
}

} // namespace
