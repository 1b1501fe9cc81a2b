// Opening projects as desktop programs do: the command line, a dropped file, Recent Projects,
// and the keys of the File menu.

#include "window_fixture.h"

#include "model/climate.h"
#include "project/project_file.h"
#include "support/temp_dir.h"
#include "ui/grid_view.h"
#include "ui/recent_projects.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

#include <sys/stat.h>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

QString Example(const char *name)
{
    return QString::fromStdString(ExampleFile(name).string());
}

class OpeningProjects : public WindowTest
{
protected:
    /// The window again, as started with `file` on the command line, and a start picture that
    /// shows `delayMs`.
    void restartWith(const QString &file, int delayMs = 0)
    {
        form.reset();
        TForm1::Options options;
        options.startPictureDelayMs = delayMs;
        options.exitProgram = [this] { ++programEnds; };
        options.projectFile = file;
        form = std::make_unique<TForm1>(dialogs, options);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QString path(const char *name) const { return QString::fromStdString((dir / name).string()); }
    QString numbered(int i) const
    {
        return QString::fromStdString(dir.path().string()) + QStringLiteral("/p%1.mdl").arg(i);
    }
    bool promptShown() { return find(QStringLiteral("PromptBox"))->isVisible(); }
    QString label(const char *name) { return find<QLabel>(QString::fromLatin1(name))->text(); }

    /// Sends a drag of `urls` over the window and, when it is taken, the drop; whether the
    /// window took the drag.
    bool drop(const QList<QUrl> &urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint centre = form->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &dropped);
        return dropped.isAccepted();
    }
    QStringList recentEntries()
    {
        QStringList texts;
        for (QAction *entry : form->recentProjectsMenu->actions())
            texts << (entry->isSeparator() ? QStringLiteral("-")
                    : entry->isEnabled()   ? entry->text()
                                           : u'(' + entry->text() + u')');
        return texts;
    }

    TempDir dir;
};

TEST_F(OpeningProjects, TheCommandLineProjectOpensAfterTheStartPictures)
{
    restartWith(Example("warm_climate_bed.mdl"), 150);
    EXPECT_EQ(records().climate, kNoClimate); // not during the first picture
    QTRY_VERIFY(form->PreDesignBox->isVisible());
    EXPECT_EQ(records().climate, kWarmClimate); // the file's climate: no choice asked
    EXPECT_TRUE(form->ProjectOpen);
    EXPECT_FALSE(form->ColdClimateBtn->isVisible());
    EXPECT_FALSE(form->WarmClimateBtn->isVisible());
    EXPECT_EQ(records().simulationLength, 365);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(
        RecentProjects().files(), QStringList {QDir::cleanPath(Example("warm_climate_bed.mdl"))});
}

TEST_F(OpeningProjects, ACommandLineFileThatCannotBeLoadedLeadsToTheClimateChoice)
{
    WriteText(dir / "letters.mdl", "60;seventy;");
    for (const char *file : {"missing.mdl", "letters.mdl"}) {
        dialogs.messages.clear();
        restartWith(path(file));
        finishStart();
        ASSERT_EQ(dialogs.messages.size(), 1) << file;
        EXPECT_FALSE(form->ProjectOpen);
        EXPECT_FALSE(form->PreDesignBox->isVisible());
        EXPECT_EQ(records().simulationLength, 60);
    }
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("seventy")));
    EXPECT_TRUE(RecentProjects().files().isEmpty());
}

// What is not a regular file is refused at once with a message, on the command line and through
// "Load Project" alike; a named pipe would otherwise hold the loading for ever, Cancel or not.
TEST_F(OpeningProjects, ANamedPipeIsRefusedWithoutWaiting)
{
    ASSERT_EQ(::mkfifo((dir / "p.mdl").c_str(), 0600), 0);
    restartWith(path("p.mdl"));
    finishStart();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].endsWith(
        QStringLiteral("cannot be read: it is a named pipe (FIFO), not a regular file.")))
        << dialogs.messages[0].toStdString();
    EXPECT_FALSE(form->ProjectOpen);

    dialogs.openAnswers.push_back(path("p.mdl"));
    form->LoadProject1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[1], dialogs.messages[0]);
    EXPECT_FALSE(form->ProjectOpen);
    EXPECT_FALSE(form->taskRunning());
    EXPECT_EQ(records().simulationLength, 60);
}

// The start pictures are read only when they are regular files.
TEST_F(OpeningProjects, AStartPictureThatIsNoRegularFileIsSaidAndSkipped)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path().string())));
    ASSERT_EQ(::mkfifo("prebackground.bmp", 0600), 0);
    dialogs.messages.clear();
    restartWith(QString());
    QTRY_VERIFY(dialogs.messages.size() >= 1);
    QDir::setCurrent(before);
    EXPECT_EQ(dialogs.messages[0].toStdString(),
        "The start picture \"prebackground.bmp\" could not be loaded: it is not a regular file.");
}

TEST_F(OpeningProjects, OneDroppedProjectFileIsTakenAndNothingElse)
{
    finishStart();
    WriteText(dir / "notes.txt", "hello");
    const QUrl cold = QUrl::fromLocalFile(Example("cold_climate_bed.mdl"));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(path("notes.txt"))}));
    EXPECT_FALSE(drop({cold, QUrl::fromLocalFile(Example("warm_climate_bed.mdl"))}));
    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/bed.mdl"))}));
    EXPECT_FALSE(drop({}));
    EXPECT_FALSE(form->ProjectOpen);

    // The extension in any letter case.
    WriteText(dir / "BED.MDL", ReadText(ExampleFile("cold_climate_bed.mdl")));
    EXPECT_TRUE(drop({QUrl::fromLocalFile(path("BED.MDL"))}));
    EXPECT_TRUE(form->ProjectOpen);
    EXPECT_EQ(records().climate, kColdClimate);
    EXPECT_TRUE(form->PreDesignBox->isVisible());
    EXPECT_FALSE(form->ColdClimateBtn->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OpeningProjects, ADropOnAnOpenProjectGoesThroughTheSavePrompt)
{
    chooseCold();
    calculateExampleDesign();
    const QUrl warm = QUrl::fromLocalFile(Example("warm_climate_bed.mdl"));

    // Cancel keeps the project.
    EXPECT_TRUE(drop({warm}));
    ASSERT_TRUE(promptShown());
    EXPECT_EQ(label("Label5"), QStringLiteral("  Current project open."));
    EXPECT_EQ(label("Label7"), QStringLiteral("Save before loading?"));
    EXPECT_EQ(records().climate, kColdClimate);
    click(QStringLiteral("Button27"));
    EXPECT_FALSE(promptShown());
    EXPECT_EQ(records().climate, kColdClimate);
    EXPECT_TRUE(form->PreDesignBox->isVisible());

    // Save writes the open project first, then the dropped one loads.
    EXPECT_TRUE(drop({warm}));
    dialogs.saveAnswers.push_back(path("before.mdl"));
    click(QStringLiteral("Button2"));
    EXPECT_FALSE(promptShown());
    EXPECT_EQ(LoadedDesignTexts(ReadProjectFile((dir / "before.mdl").string()))[0], "10");
    EXPECT_EQ(records().climate, kWarmClimate);
    EXPECT_EQ(records().simulationLength, 365);

    // Don't save goes straight on; a file that cannot be loaded keeps the project.
    WriteText(dir / "short.mdl", "60;70;1;2;3;");
    type(QStringLiteral("Edit7"), QStringLiteral("1")); // a change, so the prompt comes
    EXPECT_TRUE(drop({QUrl::fromLocalFile(path("short.mdl"))}));
    click(QStringLiteral("Button26"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(QStringLiteral("The file cannot be loaded")));
    EXPECT_FALSE(promptShown());
    EXPECT_EQ(records().climate, kWarmClimate);
    EXPECT_EQ(records().simulationLength, 365);
    EXPECT_TRUE(form->ProjectOpen);
}

TEST_F(OpeningProjects, RecentProjectsListsTheLastEightNewestFirst)
{
    EXPECT_FALSE(QSettings().fileName().startsWith(QDir::homePath()));
    EXPECT_EQ(recentEntries().join(u'|'), QStringLiteral("(No recent projects)|-|(Clear list)"));

    chooseCold();
    for (int i = 1; i <= 9; ++i) {
        dialogs.saveAnswers.push_back(numbered(i));
        form->SaveProject1->trigger();
    }
    dialogs.openAnswers.push_back(path("p3.mdl"));
    form->LoadProject1->trigger(); // just saved: no prompt
    ASSERT_TRUE(dialogs.messages.isEmpty());
    QStringList expected;
    for (int i : {3, 9, 8, 7, 6, 5, 4, 2})
        expected << QStringLiteral("&%1 p%2.mdl   (%3)")
                        .arg(expected.size() + 1)
                        .arg(i)
                        .arg(QString::fromStdString(dir.path().string()));
    expected << QStringLiteral("-") << QStringLiteral("Clear list");
    EXPECT_EQ(recentEntries(), expected);

    // A file that went missing shows greyed when the menu opens.
    std::filesystem::remove(dir / "p9.mdl");
    emit form->recentProjectsMenu->aboutToShow();
    EXPECT_EQ(recentEntries()[1], u'(' + expected[1] + u')');

    // An entry loads its project behind the save prompt (for unsaved changes).
    type(QStringLiteral("Edit7"), QStringLiteral("12"));
    form->recentProjectsMenu->actions()[2]->trigger(); // p8
    ASSERT_TRUE(promptShown());
    click(QStringLiteral("Button26"));
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(RecentProjects().files().constFirst(), numbered(8));

    form->findChild<QAction *>(QStringLiteral("clearRecentProjects"))->trigger();
    EXPECT_EQ(recentEntries().join(u'|'), QStringLiteral("(No recent projects)|-|(Clear list)"));
    EXPECT_TRUE(RecentProjects().files().isEmpty());
}

TEST(RecentProjectList, KeepsEachFileOnceNewestFirst)
{
    const QStringList list {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    EXPECT_EQ(WithRecentFile(list, QStringLiteral("b"), 8).join(u','), QStringLiteral("b,a,c"));
    EXPECT_EQ(WithRecentFile(list, QStringLiteral("d"), 3).join(u','), QStringLiteral("d,a,b"));
    EXPECT_EQ(WithRecentFile({}, QStringLiteral("d"), 3).join(u','), QStringLiteral("d"));
}

TEST_F(OpeningProjects, TheFileMenuHasItsKeys)
{
    EXPECT_EQ(form->NewProject1->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(form->LoadProject1->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(form->SaveProject1->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(form->Exit1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));

    chooseCold();
    type(QStringLiteral("Edit7"), QStringLiteral("12")); // a change, so the keys ask
    QTest::keyClick(form.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(promptShown());
    EXPECT_EQ(form->PendingAction, TForm1::NewAction);
    // Esc answers the prompt with Cancel.
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(form->PreDesignBox->isVisible());
    EXPECT_TRUE(form->ProjectOpen);

    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(form->PrintOptions1->isVisible());
    form->PrintOptions1->hide();
    // The popped-up menu took the activation; the window takes it back as a click on it would.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    dialogs.openAnswers.push_back(Example("cold_climate_bed.mdl"));
    QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(form->PendingAction, TForm1::LoadAction);
    ASSERT_TRUE(promptShown());
    click(QStringLiteral("Button26"));
    EXPECT_EQ(records().simulationLength, 365);

    type(QStringLiteral("Edit7"), QStringLiteral("1"));
    QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(promptShown());
    EXPECT_EQ(form->PendingAction, TForm1::ExitAction);
    click(QStringLiteral("Button26"));
    EXPECT_EQ(programEnds, 1);
}

TEST_F(OpeningProjects, SavingByKeyTakesTheCellBeingTyped)
{
    openForcingScreen();
    auto *grid = find<GridView>(QStringLiteral("InfluenceGrid"));
    grid->setFocus(Qt::MouseFocusReason);
    grid->setCurrentIndex(grid->model()->index(0, 1));
    QTest::keyClick(grid, Qt::Key_9);
    QWidget *editor = QApplication::focusWidget();
    ASSERT_NE(editor, grid); // typing, the cell's editor open
    dialogs.saveAnswers.push_back(path("typed.mdl"));
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(records().days.node(1).day.get(DayField::waterFlow), 9);
    EXPECT_EQ(ReadProjectFile((dir / "typed.mdl").string()).days[0].get(DayField::waterFlow), 9);
}

TEST_F(OpeningProjects, F1ShowsTheHelp)
{
    QTest::keyClick(form.get(), Qt::Key_F1);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.captions.last(), QStringLiteral("Carexa 2.0 Help"));
    const QString help = dialogs.messages[0];
    for (const char *part : {"One simulation", "Version 2.0", "Qt 6.", "NLopt", "libcsv",
             "libxlsxwriter", "Ctrl+V paste", "Esc cancels the save prompt", "Calibrate...",
             "Import forcing data..."})
        EXPECT_TRUE(help.contains(QString::fromLatin1(part))) << part;
}

} // namespace
