// Saving and loading projects in the window, and the life of a project with the save prompt.

#include "window_fixture.h"

#include "model/climate.h"
#include "model/number_text.h"
#include "model/rounding.h"
#include "project/project_file.h"
#include "support/temp_dir.h"
#include "ui/graph_box.h"
#include "ui/grid_view.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>

#include <sstream>

#include <unistd.h>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class ProjectScreen : public WindowTest
{
protected:
    QString path(const char *name) const { return QString::fromStdString((dir / name).string()); }
    void save(const QString &name)
    {
        dialogs.saveAnswers.push_back(name);
        form->SaveProject1->trigger();
    }
    void load(const QString &name)
    {
        dialogs.openAnswers.push_back(name);
        form->LoadProject1->trigger();
    }
    /// Loads over an open project: a save prompt (for unsaved changes) is answered "Don't save".
    void loadOver(const QString &name)
    {
        load(name);
        if (promptShown())
            click(QStringLiteral("Button26"));
    }
    /// A change the project file would hold: a design input typed.
    void change() { type(QStringLiteral("Edit7"), QStringLiteral("12")); }
    bool promptShown() { return find(QStringLiteral("PromptBox"))->isVisible(); }
    QString label(const char *name) { return find<QLabel>(QString::fromLatin1(name))->text(); }

    TempDir dir;
};

TEST_F(ProjectScreen, SavingANewProject)
{
    chooseCold();
    save(path("project"));
    ASSERT_EQ(dialogs.saveTitles.size(), 1);
    EXPECT_EQ(dialogs.saveTitles[0], QStringLiteral("Save Modelling project"));
    EXPECT_EQ(dialogs.saveFilters[0], QStringLiteral("Carexa projects (*.mdl);;All files (*)"));
    EXPECT_EQ(dialogs.rememberedNames[0], QDir::homePath()); // nothing opened or saved yet
    const auto lines = Lines(ReadText(dir / "project.mdl"));
    ASSERT_EQ(lines.size(), 194u);
    std::size_t numbers = 0;
    for (const std::string &line : lines)
        numbers += static_cast<std::size_t>(std::count(line.begin(), line.end(), ';'));
    EXPECT_EQ(numbers, 3903u);
    EXPECT_EQ(lines[0], "60;");
    EXPECT_EQ(lines[1], "70;");
    EXPECT_EQ(lines[185], "1;"); // the cold climate
    EXPECT_EQ(lines[186], "0.0001;"); // an empty design input

    // The dialog remembers the name for the next save.
    save(QString());
    EXPECT_EQ(dialogs.rememberedNames.last(), path("project.mdl"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // After a reset the time step is 50 (the saved project goes without a question).
    form->NewProject1->trigger();
    save(path("after-reset.mdl"));
    EXPECT_EQ(Lines(ReadText(dir / "after-reset.mdl"))[1], "50;");
}

TEST_F(ProjectScreen, NamesKeepTheExtensionTheyHold)
{
    chooseCold();
    save(path("Project.MDL"));
    save(path("a.mdl.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir / "Project.MDL"));
    EXPECT_TRUE(std::filesystem::exists(dir / "a.mdl.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.mdl.txt.mdl"));
}

TEST_F(ProjectScreen, ALoadedProjectShowsOnEveryScreenWithItsResults)
{
    finishStart();
    const auto example = ExampleFile("cold_climate_bed.mdl");
    const LoadedProject file = ReadProjectFile(example);
    load(QString::fromStdString(example.string()));
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();

    EXPECT_TRUE(form->ProjectOpen);
    EXPECT_EQ(form->PendingAction, TForm1::LoadAction);
    EXPECT_TRUE(form->PreDesignBox->isVisible());
    EXPECT_FALSE(form->ColdClimateBtn->isVisible());
    EXPECT_EQ(form->PreDesignBox->palette().color(QPalette::Window), QColor(166, 202, 240));
    EXPECT_EQ(edit(QStringLiteral("Edit7"))->text(), QStringLiteral("20"));
    EXPECT_EQ(edit(QStringLiteral("Edit6"))->text(), QStringLiteral("1.05"));
    EXPECT_EQ(label("Label122"), QStringLiteral("480"));
    EXPECT_EQ(label("Label129"), QStringLiteral("26"));
    EXPECT_EQ(edit(QStringLiteral("Edit19"))->text(), QStringLiteral("365"));
    EXPECT_EQ(edit(QStringLiteral("Edit1"))->text(),
        QString::fromStdString(FormatGeneral(file.dayBoxes[0].get(BoxField::VO))));
    EXPECT_EQ(edit(QStringLiteral("Edit3"))->text(), QStringLiteral("0.4"));
    EXPECT_EQ(edit(QStringLiteral("Edit15"))->text(), QStringLiteral("1.8"));
    EXPECT_EQ(edit(QStringLiteral("Edit4"))->text(), QStringLiteral("192"));
    EXPECT_EQ(find<GridView>(QStringLiteral("InfluenceGrid"))->model()->rowCount(), 365);
    EXPECT_EQ(
        form->influenceGrid().cell(2, 1), FormatGeneral(file.days[0].get(DayField::waterFlow)));
    EXPECT_EQ(form->observedGrid().rows(), 366);
    EXPECT_EQ(form->observedGrid().cell(1, 7), FormatGeneral(file.observed[6][0]));

    // The last run's results come back without simulating again.
    click(QStringLiteral("Button35"));
    click(QStringLiteral("Button4"));
    EXPECT_EQ(edit(QStringLiteral("Edit39"))->text(), QStringLiteral("120"));
    click(QStringLiteral("Button25"));
    EXPECT_EQ(edit(QStringLiteral("Edit28"))->text(), QStringLiteral("0.3"));
    click(QStringLiteral("Button6"));
    EXPECT_EQ(edit(QStringLiteral("Edit36"))->text(), QStringLiteral("70"));
    const double bod = file.dayBoxes[199].concentration(Variable::BOD5, 4);
    const std::int64_t lagged = 200 - static_cast<std::int64_t>(file.days[199].get(DayField::RTB));
    EXPECT_EQ(form->dataGrid().cell(1, 200),
        FormatGeneral(RoundPositive(
            file.dayBoxes[static_cast<std::size_t>(lagged - 1)].concentration(Variable::BOD5, 4),
            6)));
    EXPECT_NE(bod, 0.0001);
}

TEST_F(ProjectScreen, AWarmProjectLoadsInItsOwnGreen)
{
    load(QString::fromStdString(ExampleFile("warm_climate_bed.mdl").string()));
    EXPECT_EQ(records().climate, kWarmClimate);
    EXPECT_EQ(form->PreDesignBox->palette().color(QPalette::Window), QColor(173, 227, 91));
}

TEST_F(ProjectScreen, SaveLoadSaveGivesTheSameBytes)
{
    load(QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string()));
    click(QStringLiteral("Button35"));
    click(QStringLiteral("Button4"));
    click(QStringLiteral("Button25"));
    click(QStringLiteral("Button6"));
    click(QStringLiteral("Button8"));
    form->observedGrid().setCell(2, 3, "1.75");
    save(path("first.mdl"));
    loadOver(path("first.mdl"));
    save(path("second.mdl"));
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(ReadText(dir / "first.mdl"), ReadText(dir / "second.mdl"));
}

TEST_F(ProjectScreen, ARefusedFileLeavesTheOpenProjectAlone)
{
    chooseCold();
    calculateExampleDesign();
    click(QStringLiteral("Button35"));
    type(QStringLiteral("Edit3"), QStringLiteral("0.45"));
    leave();
    const std::string before = ProjectText(records(), form->project().observed(), {});
    WriteText(dir / "short.mdl", "60;70;1;2;3;");
    WriteText(dir / "letters.mdl", "60;seventy;");
    WriteText(dir / "zero.mdl", "0;");
    for (const char *file : {"short.mdl", "letters.mdl", "zero.mdl", "missing.mdl"}) {
        dialogs.messages.clear();
        loadOver(path(file));
        EXPECT_EQ(dialogs.messages.size(), 1) << file;
        EXPECT_EQ(ProjectText(records(), form->project().observed(), {}), before) << file;
        EXPECT_TRUE(form->DesignBox->isVisible()) << file;
        EXPECT_EQ(edit(QStringLiteral("Edit3"))->text(), QStringLiteral("0.45"));
    }
    EXPECT_EQ(form->PendingAction, TForm1::LoadAction);

    dialogs.messages.clear();
    loadOver(QString()); // cancelled
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ProjectScreen, LoadingOverAnOpenProjectAsksFirstAndCancelKeepsIt)
{
    openForcingScreen();
    const std::string before = ProjectText(records(), form->project().observed(), {});
    const QString example = QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string());
    load(example);
    EXPECT_TRUE(promptShown());
    EXPECT_EQ(label("Label5"), QStringLiteral("  Current project open."));
    EXPECT_EQ(label("Label7"), QStringLiteral("Save before loading?"));
    EXPECT_FALSE(form->DesignBox->isVisible());
    EXPECT_EQ(dialogs.openAnswers.size(), 1u); // the open dialog waits for the answer
    EXPECT_EQ(records().simulationLength, 60);

    click(QStringLiteral("Button27"));
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(form->DesignBox->isVisible());
    EXPECT_TRUE(form->ProjectOpen);
    EXPECT_EQ(ProjectText(records(), form->project().observed(), {}), before);

    // "Don't save" goes on to the open dialog and the load.
    form->LoadProject1->trigger();
    click(QStringLiteral("Button26"));
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(dialogs.openAnswers.empty());
    EXPECT_EQ(records().simulationLength, 365);
    EXPECT_TRUE(form->PreDesignBox->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ProjectScreen, SaveOnTheLoadPromptSavesThenLoads)
{
    openForcingScreen();
    load(QString::fromStdString(ExampleFile("warm_climate_bed.mdl").string()));
    click(QStringLiteral("Button2")); // the save dialog is cancelled: nothing goes on
    EXPECT_TRUE(promptShown());
    EXPECT_EQ(records().simulationLength, 60);

    dialogs.saveAnswers.push_back(path("before-load"));
    click(QStringLiteral("Button2"));
    EXPECT_FALSE(promptShown());
    const auto saved = Lines(ReadText(dir / "before-load.mdl"));
    ASSERT_EQ(saved.size(), 194u); // the open project of 60 days, saved before the load
    EXPECT_EQ(saved[186], "10;"); // its width
    EXPECT_EQ(records().climate, kWarmClimate);
    EXPECT_TRUE(form->ProjectOpen);
    EXPECT_EQ(form->PendingAction, TForm1::LoadAction);
}

TEST_F(ProjectScreen, ACancelledOpenDialogAfterThePromptKeepsTheProject)
{
    openForcingScreen();
    const std::string before = ProjectText(records(), form->project().observed(), {});
    dialogs.saveAnswers.push_back(path("kept"));
    load(QString());
    click(QStringLiteral("Button2"));
    EXPECT_TRUE(std::filesystem::exists(dir / "kept.mdl"));
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(form->DesignBox->isVisible());
    EXPECT_TRUE(form->ProjectOpen);
    EXPECT_EQ(ProjectText(records(), form->project().observed(), {}), before);

    loadOver(QString());
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(form->DesignBox->isVisible());
    EXPECT_EQ(ProjectText(records(), form->project().observed(), {}), before);
}

// Loading a named file (as opening one from elsewhere does) asks nothing but the prompt.
TEST_F(ProjectScreen, ANamedFileLoadsBehindThePromptWithoutTheOpenDialog)
{
    finishStart();
    const QString cold = QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string());
    form->requestLoad(cold); // no project open: straight in
    EXPECT_EQ(records().simulationLength, 365);
    EXPECT_FALSE(promptShown());

    change(); // with unsaved changes the prompt comes first
    form->requestLoad(QString::fromStdString(ExampleFile("warm_climate_bed.mdl").string()));
    EXPECT_TRUE(promptShown());
    EXPECT_EQ(records().climate, kColdClimate);
    click(QStringLiteral("Button26"));
    EXPECT_EQ(records().climate, kWarmClimate);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ProjectScreen, WithoutAProjectExitEndsAtOnceAndCloseDoesNothing)
{
    finishStart();
    form->CloseProject1->trigger();
    EXPECT_FALSE(promptShown());
    EXPECT_EQ(programEnds, 0);
    form->Exit1->trigger();
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(promptShown());
}

TEST_F(ProjectScreen, PromptTextsCarryTheirBlanks)
{
    chooseCold();
    change();
    form->NewProject1->trigger();
    EXPECT_EQ(label("Label5"), QStringLiteral("  Current project open."));
    EXPECT_EQ(label("Label7"), QStringLiteral("Save before starting new?"));
    EXPECT_FALSE(form->PreDesignBox->isVisible());
    form->CloseProject1->trigger();
    EXPECT_EQ(label("Label5"), QStringLiteral("  Current project  open."));
    EXPECT_EQ(label("Label7"), QStringLiteral("   Save before closing?"));
    form->Exit1->trigger();
    EXPECT_EQ(label("Label7"), QStringLiteral("   Save before exiting?"));
    EXPECT_EQ(find(QStringLiteral("PromptBox"))->geometry(), QRect(256, 232, 281, 121));
}

TEST_F(ProjectScreen, CancellingAPromptKeepsTheProjectOpen)
{
    openForcingScreen();
    form->CloseProject1->trigger();
    EXPECT_TRUE(promptShown());
    EXPECT_FALSE(form->DesignBox->isVisible());
    click(QStringLiteral("Button27"));
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(form->DesignBox->isVisible()); // back to the screen that was showing
    EXPECT_TRUE(form->ProjectOpen);
    form->CloseProject1->trigger();
    EXPECT_TRUE(promptShown()); // asks again
    click(QStringLiteral("Button27"));

    form->Exit1->trigger();
    click(QStringLiteral("Button27"));
    form->Exit1->trigger();
    EXPECT_TRUE(promptShown()); // the next Exit asks too, nothing is discarded silently
    EXPECT_EQ(programEnds, 0);
}

// The prompt asks only about unsaved changes: a fresh project after "Don't save" holds none,
// nor does one just saved.
TEST_F(ProjectScreen, NewAsksOnlyWhileThereAreUnsavedChanges)
{
    chooseCold();
    change();
    form->NewProject1->trigger();
    EXPECT_TRUE(promptShown());
    click(QStringLiteral("Button26"));
    EXPECT_TRUE(form->ColdClimateBtn->isVisible());
    EXPECT_TRUE(form->ProjectOpen);
    form->NewProject1->trigger();
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(form->ColdClimateBtn->isVisible());

    click(QStringLiteral("ColdClimateBtn"));
    change();
    form->NewProject1->trigger();
    EXPECT_TRUE(promptShown());
    dialogs.saveAnswers.push_back(path("saved.mdl"));
    click(QStringLiteral("Button2"));
    EXPECT_TRUE(std::filesystem::exists(dir / "saved.mdl"));
    EXPECT_FALSE(form->ProjectOpen);
    form->NewProject1->trigger();
    EXPECT_FALSE(promptShown());
    EXPECT_TRUE(form->ColdClimateBtn->isVisible());
}

TEST_F(ProjectScreen, TheResetEmptiesTheProjectButKeepsTheObservedValues)
{
    openForcingScreen();
    retype(QStringLiteral("Edit19"), QStringLiteral("90"));
    leave();
    records().parameters.set(Parameter::AC, 0.7);
    form->observedGrid().setCell(4, 2, "3.25");
    form->CloseProject1->trigger();
    click(QStringLiteral("Button26"));
    EXPECT_EQ(records().simulationLength, 60);
    EXPECT_EQ(records().stepsPerDay, 50);
    EXPECT_EQ(records().days.count(), 61);
    EXPECT_EQ(records().parameters, ModelParameters());
    EXPECT_EQ(records().initial, BoxValues());
    EXPECT_EQ(edit(QStringLiteral("Edit7"))->text(), QString());
    EXPECT_EQ(label("Label121"), QStringLiteral("-"));
    EXPECT_EQ(form->CurrentScreen, 1);
    EXPECT_EQ(edit(QStringLiteral("Edit19"))->text(), QStringLiteral("90")); // close leaves it
    EXPECT_TRUE(form->ColdClimateBtn->isVisible());
    EXPECT_FALSE(form->ProjectOpen);

    click(QStringLiteral("ColdClimateBtn"));
    save(path("after-close.mdl"));
    const auto lines = Lines(ReadText(dir / "after-close.mdl"));
    EXPECT_EQ(lines[2 * 60 + 5 + 1].substr(0, 20), "0.0001;0.0001;0.0001");
    EXPECT_NE(lines[2 * 60 + 5 + 1].find(";3.25;"), std::string::npos);
}

TEST_F(ProjectScreen, ExitWithSaveEndsOnlyOnceTheProjectIsInAFile)
{
    chooseCold();
    change();
    form->Exit1->trigger();
    EXPECT_TRUE(form->PreDesignBox->isVisible()); // the Design screen stays for Exit
    click(QStringLiteral("Button2")); // the file dialog is cancelled
    EXPECT_EQ(programEnds, 0);
    EXPECT_TRUE(promptShown());

    form->observedGrid().setCell(1, 1, "abc");
    dialogs.saveAnswers.push_back(path("exit.mdl"));
    click(QStringLiteral("Button2"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("'abc'")));
    EXPECT_EQ(programEnds, 0);
    EXPECT_TRUE(promptShown());
    EXPECT_FALSE(std::filesystem::exists(dir / "exit.mdl"));

    form->observedGrid().setCell(1, 1, "2");
    dialogs.saveAnswers.push_back(path("exit.mdl"));
    click(QStringLiteral("Button2"));
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "exit.mdl"));
}

TEST_F(ProjectScreen, AFailedSaveSaysSoAndKeepsTheOldFile)
{
    chooseCold();
    save(path("bed.mdl"));
    const std::string old = ReadText(dir / "bed.mdl");
    change();
    form->CloseProject1->trigger();
    dialogs.saveAnswers.push_back(QStringLiteral("/proc/carexa-no-such-place/bed.mdl"));
    click(QStringLiteral("Button2"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("could not be saved")));
    EXPECT_TRUE(promptShown());
    EXPECT_TRUE(form->ProjectOpen);

    if (::geteuid() != 0) {
        // A folder that cannot be written keeps its old file.
        std::filesystem::permissions(
            dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        records().parameters.set(Parameter::AC, 0.8);
        dialogs.saveAnswers.push_back(path("bed.mdl"));
        click(QStringLiteral("Button2"));
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
        EXPECT_EQ(dialogs.messages.size(), 2);
        EXPECT_EQ(ReadText(dir / "bed.mdl"), old);
    }
}

TEST_F(ProjectScreen, ClosingTheWindowAsksAboutAnOpenProject)
{
    chooseCold();
    change();
    QCloseEvent event;
    QApplication::sendEvent(form.get(), &event);
    EXPECT_FALSE(event.isAccepted());
    EXPECT_TRUE(promptShown());
    EXPECT_EQ(form->PendingAction, TForm1::ExitAction);
    click(QStringLiteral("Button26"));
    EXPECT_EQ(programEnds, 1);
}

// File dialogs open where a project was opened or saved last, else in the home folder, with
// the projects first; exports are named after the project.
TEST_F(ProjectScreen, FileDialogsOpenWhereTheLastProjectWas)
{
    finishStart();
    form->LoadProject1->trigger(); // cancelled
    ASSERT_EQ(dialogs.openFolders.size(), 1);
    EXPECT_EQ(dialogs.openFolders[0], QDir::homePath());
    EXPECT_EQ(dialogs.openFilters[0], QStringLiteral("Carexa projects (*.mdl);;All files (*)"));
    EXPECT_EQ(dialogs.openTitles[0], QStringLiteral("Load Modelling project"));

    const std::filesystem::path example = ExampleFile("warm_climate_bed.mdl");
    load(QString::fromStdString(example.string()));
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(form->projectFile(), QString::fromStdString(example.string()));
    // Saving offers the file it came from.
    save(QString());
    EXPECT_EQ(dialogs.rememberedNames.last(), QString::fromStdString(example.string()));

    // Saved elsewhere: that folder from now on, also for the next program.
    std::filesystem::create_directories(dir / "projects");
    save(QString::fromStdString((dir / "projects" / "mine").string()));
    form->LoadProject1->trigger(); // just saved: no prompt, the dialog, cancelled
    EXPECT_EQ(dialogs.openFolders.last(), path("projects"));
    ScriptedDialogs otherDialogs;
    TForm1 next(otherDialogs);
    next.LoadProject1->trigger();
    ASSERT_FALSE(otherDialogs.openFolders.isEmpty());
    EXPECT_EQ(otherDialogs.openFolders.last(), path("projects"));

    // An export suggests the project's name with its own ending, in that folder.
    dialogs.exportAnswers.clear();
    form->PaintBox1->draw(GraphRequest {});
    form->ExportGraphClick();
    ASSERT_FALSE(dialogs.suggestedExports.empty());
    EXPECT_EQ(dialogs.suggestedExports.back().file,
        path("projects") + QStringLiteral("/mine-BOD5-out.png"));

    // A folder that went away: the home folder.
    std::filesystem::remove_all(dir / "projects");
    form->LoadProject1->trigger();
    if (promptShown())
        click(QStringLiteral("Button26"));
    EXPECT_EQ(dialogs.openFolders.last(), QDir::homePath());
}

} // namespace
