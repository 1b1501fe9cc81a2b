// Keeping the user's work: the title with the file's name and the unsaved-changes mark, the
// save prompt only for a project with unsaved changes, and the recovery copy that a program
// which did not close properly leaves for the next start.

#include "model/error.h"
#include "model/forcing_grid.h"
#include "project/file_fingerprint.h"
#include "report/side_file.h"
#include "ui/background_task.h"
#include "ui/grid_view.h"
#include "ui/recovery.h"
#include "ui/tform1.h"
#include "ui/user_dialogs.h"
#include "ui/window_title.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

namespace carexa {

using namespace Qt::StringLiterals;

void TForm1::setUpSafety()
{
    // A forcing cell that holds a text that is no number counts too, though no file keeps it.
    unsaved_ = new UnsavedChanges(this, [this] {
        Fingerprint drafts;
        for (const auto &[cell, text] : project_.forcingDrafts()) {
            drafts.add(static_cast<std::int64_t>(cell.first));
            drafts.add(static_cast<std::int64_t>(cell.second));
            drafts.add(std::string_view(text));
        }
        // The report's texts and analyses go into the side file with the same save.
        drafts.add(std::string_view(SideFileText(project_.reportSettings())));
        return project_.fileFingerprint() ^ (drafts.value() * 3);
    });
    recovery_ = std::make_shared<CrashRecovery>(options_.recoveryFolder);
    // Back at the saved content (an undo, a value typed back): no copy is needed any more.
    connect(unsaved_, &UnsavedChanges::modifiedChanged, this, [this](bool modified) {
        if (!modified)
            dropRecoveryCopy();
    });
    // A field shows its mark while it is typed, before it is left.
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textChanged, unsaved_, &UnsavedChanges::checkSoon);
    recoveryTimer_ = new QTimer(this);
    recoveryTimer_->setObjectName(u"recoveryTimer"_s);
    recoveryTimer_->setInterval(options_.recoveryIntervalMs);
    connect(recoveryTimer_, &QTimer::timeout, this, [this] {
        // Long work holds the project; the copy waits for the next round.
        if (!taskRunning())
            keepRecoveryCopy();
    });
    recoveryTimer_->start();
    markProjectClean();
}

void TForm1::noteChange()
{
    if (unsaved_)
        unsaved_->checkSoon();
}

bool TForm1::hasUnsavedChanges()
{
    return ProjectOpen && unsaved_->check();
}

void TForm1::markProjectClean()
{
    unsaved_->setProject(projectFile_, ProjectOpen);
    unsaved_->markClean();
    dropRecoveryCopy();
}

// A field being typed goes in first, so its change counts; a project nobody changed since it
// was saved, loaded or started goes without a question, as "Don't save" would.
void TForm1::askToSave(Action action)
{
    for (QWidget *inside = QApplication::focusWidget(); inside; inside = inside->parentWidget()) {
        if (auto *grid = qobject_cast<GridView *>(inside)) {
            grid->commitEdit(); // the cell being typed goes in
            break;
        }
    }
    leaveFocusedField();
    if (hasUnsavedChanges())
        showPrompt(action);
    else
        Button26Click();
}

QString TForm1::recoveryFile() const
{
    return recovery_->path();
}

void TForm1::keepRecoveryCopy()
{
    if (!recovery_ || !ProjectOpen || !unsaved_->check())
        return;
    if (recoveredPrint_ == unsaved_->current() && recovery_->exists())
        return; // the copy holds this already
    const RecoveryInfo info {QFile::encodeName(projectFile_).toStdString(),
        QDateTime::currentSecsSinceEpoch()};
    try {
        recovery_->write(info, project_.state(), project_.observed(), project_.designInputs());
        recoveredPrint_ = unsaved_->current();
    } catch (const Error &e) {
        // Said once: a message every two minutes would stop the work it is meant to protect.
        if (!recoveryWarned_) {
            recoveryWarned_ = true;
            message(QString::fromStdString(e.what())
                + u" Until it can be written, only saving keeps the changes safe."_s);
        }
    }
}

void TForm1::dropRecoveryCopy()
{
    if (!recovery_)
        return;
    recovery_->remove();
    recoveredPrint_.reset();
}

namespace {

// "14:05" today, with the date on another day.
QString RecoveryTime(std::int64_t writtenAt)
{
    const QDateTime at = QDateTime::fromSecsSinceEpoch(writtenAt);
    if (at.date() == QDate::currentDate())
        return at.toString(u"HH:mm"_s);
    return at.toString(u"yyyy-MM-dd HH:mm"_s);
}

} // namespace

void TForm1::offerRecovery()
{
    const std::optional<CrashRecovery::LeftCopy> copy = recovery_->leftBehind();
    if (!copy)
        return;
    const QString file = QFile::decodeName(copy->info.projectFile.c_str());
    const QString name = file.isEmpty() ? u"Untitled"_s : QFileInfo(file).fileName();
    const QString question
        = u"Carexa did not close properly. Restore the unsaved changes of %1 from %2?"_s.arg(
            name, RecoveryTime(copy->info.writtenAt));
    const int answer
        = dialogs_.choose(this, question, QString(), {u"Restore"_s, u"Discard"_s, u"Later"_s});
    if (answer == 1) {
        CrashRecovery::discard(*copy);
        return;
    }
    if (answer != 0)
        return; // "Later": offered again at the next start
    run([this, &copy, &file] {
        RecoveredProject recovered;
        TaskDisplay display;
        display.label = u"Restoring the project..."_s;
        display.cancellable = false;
        const std::string path = QFile::encodeName(copy->path).toStdString();
        runInBackground(display,
            [&path, &recovered](TaskProgress &) { recovered = ReadRecoveryFile(path); });
        showLoadedProject(recovered.project, file);
        // The changes are in no file yet: unsaved, under the name they belong to.
        unsaved_->setProject(projectFile_, ProjectOpen);
        unsaved_->markUnsaved();
        keepRecoveryCopy();
        CrashRecovery::discard(*copy);
    });
}

} // namespace carexa
