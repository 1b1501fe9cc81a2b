// Project files and the life of a project: save, load, new, close and exit with the save prompt.

#include "model/design.h"
#include "model/forcing_grid.h"
#include "model/number_text.h"
#include "project/project_file.h"
#include "ui/background_task.h"
#include "ui/data_folders.h"
#include "ui/finally.h"
#include "ui/grid_view.h"
#include "ui/project_grid_models.h"
#include "ui/tform1.h"
#include "ui/user_dialogs.h"
#include "ui/widget_factory.h"
#include "ui/window_settings.h"
#include "ui/window_title.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QShortcut>

#include <utility>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {
const QString kProjectFilter = u"Carexa projects (*.mdl);;All files (*)"_s;
} // namespace

void TForm1::bindAction(QAction *action, Handler handler)
{
    connect(action, &QAction::triggered, this, [this, handler] { run(handler); });
}

void TForm1::buildPromptBox()
{
    PromptBox = new QFrame(Client);
    PromptBox->setObjectName(u"PromptBox"_s);
    PromptBox->setFrameShape(QFrame::Panel);
    PromptBox->setFrameShadow(QFrame::Raised);
    PromptBox->setLineWidth(2);
    PromptBox->setGeometry(256, 232, 281, 121);
    PromptBox->setAutoFillBackground(true);
    Label5 = ui::MakeLabel(PromptBox, QString(), 72, 16, 200, 20, u"Label5"_s);
    Label7 = ui::MakeLabel(PromptBox, QString(), 72, 40, 200, 20, u"Label7"_s);
    Button2 = makeButton(PromptBox, u"Button2"_s, u"Save"_s, 16, 88, 75, 25, &TForm1::Button2Click);
    Button26 = makeButton(
        PromptBox, u"Button26"_s, u"Don't save"_s, 104, 88, 75, 25, &TForm1::Button26Click);
    Button27 = makeButton(
        PromptBox, u"Button27"_s, u"Cancel"_s, 192, 88, 75, 25, &TForm1::Button27Click);
    PromptBox->hide();
    // Esc answers the prompt with "Cancel"; the key is free while the prompt is hidden.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), PromptBox);
    escape->setObjectName(u"promptEscape"_s);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { run(&TForm1::Button27Click); });

    bindAction(NewProject1, &TForm1::NewProject1Click);
    bindAction(SaveProject1, &TForm1::SaveProject1Click);
    bindAction(LoadProject1, &TForm1::LoadProject1Click);
    bindAction(CloseProject1, &TForm1::CloseProject1Click);
    bindAction(Exit1, &TForm1::Exit1Click);
}

// ---------------------------------------------------------------------------------------------
// Saving and loading

// From the menu or its key the focus stays where it is, so the field being typed goes in first.
void TForm1::SaveProject1Click()
{
    leaveFocusedField();
    SaveProjectFile();
}

bool TForm1::SaveProjectFile()
{
    const QString chosen = dialogs_.saveFileName(this, u"Save Modelling project"_s, kProjectFilter,
        rememberedSaveName_.isEmpty() ? ProjectFolder() : rememberedSaveName_);
    if (chosen.isEmpty())
        return false;
    const QString name = QString::fromStdString(ProjectFileName(chosen.toStdString()));
    rememberedSaveName_ = name;
    // The file is written in the background; the project cannot change meanwhile, as every
    // input waits for the save.
    TaskDisplay display;
    display.label = u"Saving the project..."_s;
    display.cancellable = false;
    const std::string file = QFile::encodeName(name).toStdString();
    runInBackground(display, [this, &file](TaskProgress &) { project_.save(file); });
    const bool whole = writeReportSideFile(name);
    recentProjects_.add(name);
    fillRecentProjectsMenu();
    projectFile_ = name;
    RememberProjectFolder(name);
    if (!whole) {
        // The report texts are not on disk: they stay an unsaved change, and a save asked for
        // on the way out stops the way out.
        unsaved_->setProject(projectFile_, ProjectOpen);
        noteChange();
        return false;
    }
    markProjectClean();
    return true;
}

void TForm1::LoadProject1Click()
{
    requestLoad(QString());
}

void TForm1::requestLoad(const QString &file)
{
    PendingAction = LoadAction;
    pendingLoadFile_ = file;
    if (ProjectOpen) {
        askToSave(LoadAction);
        return;
    }
    continueLoad();
}

// The load once the open project may go: asks for the file unless one was given. A cancelled
// dialog or a refused file leaves the open project (and its retention-time warning), and a
// prompt gives way to the project's screen.
void TForm1::continueLoad()
{
    QString file = std::exchange(pendingLoadFile_, QString());
    bool loaded = false;
    ui::RunThenAlways(
        [&] {
            if (file.isEmpty())
                file = dialogs_.openFileName(
                    this, u"Load Modelling project"_s, kProjectFilter, ProjectFolder());
            if (file.isEmpty())
                return;
            loadProjectFile(file);
            loaded = true;
        },
        [&] {
            if (!loaded && PromptBox->isVisible())
                Button27Click();
        });
}

void TForm1::loadProjectFile(const QString &file)
{
    // Everything is read and checked (in the background) before anything of the open project
    // changes; a cancelled load changes nothing.
    LoadedProject loaded;
    TaskDisplay display;
    display.label = u"Loading the project..."_s;
    const std::string name = QFile::encodeName(file).toStdString();
    runInBackground(display, [&name, &loaded](TaskProgress &task) {
        loaded = ReadProjectFile(name, task.callback());
    });
    showLoadedProject(loaded, file);
}

void TForm1::showLoadedProject(const LoadedProject &loaded, const QString &file)
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    closeAnalyses();
    // The one load path, carexa-sim's too.
    project_.load(loaded);
    Label13->hide();

    const DesignTexts &design = project_.designInputs();
    QLineEdit *designEdits[] = {Edit7, Edit8, Edit9, Edit6, Edit10, Edit16, Edit18, Edit37};
    for (std::size_t i = 0; i < design.size(); ++i)
        designEdits[i]->setText(QString::fromStdString(design[i]));

    colourForClimate(project_.state().climate, true);
    for (QWidget *hidden : std::initializer_list<QWidget *> {DataPanel, ObservedPanel, InitialBox,
             ParameterBox, PromptBox, SimulateBox, DesignBox, ColdClimateBtn, WarmClimateBtn})
        hidden->hide();
    PreDesignBox->show();
    ProjectOpen = true;

    reloadInfluenceGrid();
    observedModel_->reload();
    const DayNode &first = project_.state().days.first();
    Edit19->setText(QString::number(project_.state().simulationLength));
    Edit1->setText(ui::NumberText(loaded.dayBoxes.front().get(BoxField::VO)));
    Edit3->setText(ui::NumberText(first.day.get(DayField::porosity)));
    QLineEdit *oxygen[] = {Edit11, Edit12, Edit13, Edit14, Edit15};
    for (int x = 0; x < kBoxCount; ++x)
        oxygen[x]->setText(ui::NumberText(first.day.get(OxygenField(x))));
    showDesignResults();
    tickStoredWetlandType();
    Edit4->setText(ui::NumberText(5 * first.day.get(DayField::boxWaterVolume)));
    projectFile_ = file;
    readReportSideFile(file);
    rememberedSaveName_ = file; // "Save Project" offers the file it came from
    if (!file.isEmpty()) {
        RememberProjectFolder(file);
        recentProjects_.add(file);
        fillRecentProjectsMenu();
    }
    markProjectClean();
    repaint();
}

// The examples that came with the program, each opened as "Load Project" opens a file (after
// the save prompt when a project is open). Saving asks for a file name, so an example is
// never written over.
void TForm1::fillExamplesMenu()
{
    examplesMenu->clear();
    const QStringList examples = ExampleProjects(dataFolders());
    examplesMenu->setEnabled(!examples.isEmpty());
    for (const QString &file : examples) {
        // "cold_climate_bed.mdl" shows as "Cold climate bed".
        QString caption = QFileInfo(file).completeBaseName().replace(u'_', u' ');
        if (!caption.isEmpty())
            caption[0] = caption[0].toUpper();
        QAction *entry = examplesMenu->addAction(caption.replace(u'&', u"&&"_s));
        entry->setData(file);
        entry->setToolTip(QDir::toNativeSeparators(file));
        connect(entry, &QAction::triggered, this,
            [this, file] { run([this, file] { requestLoad(file); }); });
    }
}

void TForm1::fillRecentProjectsMenu()
{
    recentProjectsMenu->clear();
    const QStringList files = recentProjects_.files();
    if (files.isEmpty())
        recentProjectsMenu->addAction(u"No recent projects"_s)->setEnabled(false);
    const QFontMetrics metrics(recentProjectsMenu->font());
    for (int i = 0; i < files.size(); ++i) {
        const QFileInfo info(files[i]);
        const QString folder = metrics.elidedText(
            QDir::toNativeSeparators(info.absolutePath()), Qt::ElideMiddle, 360);
        QAction *entry = recentProjectsMenu->addAction(
            u"&%1 %2   (%3)"_s.arg(i + 1).arg(info.fileName(), folder));
        entry->setData(files[i]);
        entry->setToolTip(QDir::toNativeSeparators(files[i]));
        // A file that is no longer there shows greyed.
        entry->setEnabled(info.isFile());
        const QString file = files[i];
        connect(entry, &QAction::triggered, this,
            [this, file] { run([this, file] { requestLoad(file); }); });
    }
    recentProjectsMenu->addSeparator();
    QAction *clear = recentProjectsMenu->addAction(u"Clear list"_s);
    clear->setObjectName(u"clearRecentProjects"_s);
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        recentProjects_.clear();
        fillRecentProjectsMenu();
    });
}

// ---------------------------------------------------------------------------------------------
// The save prompt and the reset

void TForm1::showPrompt(Action action)
{
    PromptBox->show();
    PromptBox->raise();
    for (QWidget *hidden : std::initializer_list<QWidget *> {
             DataPanel, DesignBox, InitialBox, ParameterBox, SimulateBox})
        hidden->hide();
    if (action != ExitAction)
        PreDesignBox->hide();
    switch (action) {
    case NewAction:
        Label5->setText(u"  Current project open."_s);
        Label7->setText(u"Save before starting new?"_s);
        break;
    case CloseAction:
        Label5->setText(u"  Current project  open."_s);
        Label7->setText(u"   Save before closing?"_s);
        break;
    case LoadAction:
        Label5->setText(u"  Current project open."_s);
        Label7->setText(u"Save before loading?"_s);
        break;
    default:
        Label5->setText(u"  Current project  open."_s);
        Label7->setText(u"   Save before exiting?"_s);
        break;
    }
}

void TForm1::clearDesign()
{
    for (QLineEdit *edit : {Edit6, Edit7, Edit8, Edit9, Edit10, Edit16, Edit18, Edit37})
        edit->setText(QString());
    setWetlandType(std::nullopt); // the type belongs to the design it was calculated with
    for (QLabel *label :
        {Label121, Label122, Label123, Label124, Label125, Label127, Label128, Label129})
        label->setText(u"-"_s);
}

void TForm1::resetProject(Reset variant)
{
    closeAnalyses();
    project_.reset(variant == Reset::Close ? Project::ResetKind::Close : Project::ResetKind::New);
    projectFile_.clear();
    ProjectOpen = false;
    CurrentScreen = variant == Reset::Close ? ForcingScreen : DesignScreen;
    clearDesign();
    for (QWidget *hidden : std::initializer_list<QWidget *> {PromptBox, DataPanel, ObservedPanel,
             InitialBox, ParameterBox, SimulateBox, DesignBox, PreDesignBox})
        hidden->hide();
    ColdClimateBtn->show();
    WarmClimateBtn->show();
    if (variant == Reset::New) {
        // The grid follows the new project's length, so no row of the old one stays on show.
        reloadInfluenceGrid();
        Edit19->setText(QString::number(project_.state().simulationLength));
    }
    markProjectClean();
}

void TForm1::exitProgram()
{
    dropRecoveryCopy(); // a clean exit leaves nothing to recover
    if (options_.exitProgram)
        options_.exitProgram();
    else
        QCoreApplication::exit(0);
}

void TForm1::NewProject1Click()
{
    PendingAction = NewAction;
    if (ProjectOpen) {
        askToSave(NewAction);
        return;
    }
    // No project is open: nothing is discarded and the records stay as they are.
    for (QWidget *hidden : std::initializer_list<QWidget *> {Label13, PromptBox, DataPanel,
             ObservedPanel, InitialBox, ParameterBox, SimulateBox, DesignBox, PreDesignBox})
        hidden->hide();
    ColdClimateBtn->show();
    WarmClimateBtn->show();
    Edit19->setText(QString::number(project_.state().simulationLength));
    clearDesign();
    reloadInfluenceGrid();
    markProjectClean();
}

// A prompt that is cancelled leaves the project open, so a later Close or Exit asks again (while
// the project holds unsaved changes).
void TForm1::CloseProject1Click()
{
    PendingAction = CloseAction;
    if (ProjectOpen)
        askToSave(CloseAction);
}

void TForm1::Exit1Click()
{
    PendingAction = ExitAction;
    if (ProjectOpen)
        askToSave(ExitAction);
    else
        exitProgram();
}

// "Save" goes on only once the project is in a file: a cancelled dialog or a failed save keeps
// the project and the prompt.
void TForm1::Button2Click()
{
    Label13->hide();
    if (PendingAction != ExitAction && PendingAction != CloseAction && PendingAction != NewAction
        && PendingAction != LoadAction)
        return;
    if (!SaveProjectFile())
        return;
    if (PendingAction == ExitAction)
        exitProgram();
    else if (PendingAction == LoadAction)
        continueLoad();
    else
        resetProject(PendingAction == CloseAction ? Reset::Close : Reset::New);
}

void TForm1::Button26Click()
{
    Label13->hide();
    dropRecoveryCopy(); // the changes are given up
    switch (PendingAction) {
    case ExitAction:
        exitProgram();
        break;
    case CloseAction:
        resetProject(Reset::Close);
        break;
    case NewAction:
        resetProject(Reset::New);
        // After "Don't save" the fresh project counts as open, so the next "New Project" asks.
        ProjectOpen = true;
        break;
    case LoadAction:
        continueLoad();
        break;
    default:
        break;
    }
}

void TForm1::Button27Click()
{
    screenBox(CurrentScreen)->show();
    PromptBox->hide();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Long work in the background is stopped first; the window stays until it has ended.
    if (runningTask_) {
        runningTask_->cancel();
        event->ignore();
        return;
    }
    // Closing the window asks about an open project as "Exit" does.
    if (ProjectOpen) {
        event->ignore();
        run(&TForm1::Exit1Click);
        return;
    }
    event->accept();
}

} // namespace carexa
