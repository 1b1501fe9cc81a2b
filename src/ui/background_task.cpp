#include "ui/background_task.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTimer>

#include <exception>
#include <thread>

namespace carexa {

namespace {

constexpr int kPollMs = 40;
constexpr int kDialogSteps = 1000;

// Holds back every input of the program except to the widgets that stop the work; Esc stops it.
class InputGate : public QObject
{
public:
    InputGate(TaskProgress &progress, bool cancellable)
        : progress_(progress), cancellable_(cancellable)
    {
        qApp->installEventFilter(this);
    }
    ~InputGate() override { qApp->removeEventFilter(this); }

    void allow(QWidget *widget) { allowed_.append(widget); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (cancellable_ && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                progress_.requestStop();
                return true;
            }
            [[fallthrough]];
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
            return !isAllowed(watched);
        default:
            return false;
        }
    }

private:
    bool isAllowed(QObject *watched) const
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget)
            return false;
        for (const QPointer<QWidget> &allowed : allowed_) {
            if (allowed && (allowed == widget || allowed->isAncestorOf(widget)))
                return true;
        }
        return false;
    }

    TaskProgress &progress_;
    bool cancellable_;
    QList<QPointer<QWidget>> allowed_;
};

} // namespace

void RunInBackground(QWidget *window, const TaskDisplay &display, TaskProgress &progress,
    const std::function<void(TaskProgress &)> &work)
{
    InputGate gate(progress, display.cancellable);
    QApplication::setOverrideCursor(Qt::BusyCursor);

    std::unique_ptr<QProgressDialog> dialog;
    if (!display.label.isEmpty()) {
        dialog = std::make_unique<QProgressDialog>(display.label,
            display.cancellable ? QObject::tr("Cancel") : QString(), 0, kDialogSteps, window);
        dialog->setObjectName(QStringLiteral("progressDialog"));
        dialog->setWindowTitle(window ? window->windowTitle() : QString());
        dialog->setMinimumDuration(display.dialogDelayMs);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        QObject::connect(
            dialog.get(), &QProgressDialog::canceled, [&progress] { progress.requestStop(); });
        gate.allow(dialog.get());
        dialog->setValue(0);
    }
    const bool showCancel = display.cancelButton && display.cancellable;
    QMetaObject::Connection cancelConnection;
    if (showCancel) {
        cancelConnection = QObject::connect(display.cancelButton, &QAbstractButton::clicked,
            [&progress] { progress.requestStop(); });
        display.cancelButton->show();
        display.cancelButton->setEnabled(true);
        gate.allow(display.cancelButton);
    }

    std::atomic<bool> finished {false};
    std::exception_ptr failure;
    QEventLoop loop;
    QTimer poll;
    const auto show = [&] {
        const std::uint64_t total = progress.total();
        const std::uint64_t done = std::min(progress.done(), total);
        if (display.bar && total > 0)
            display.bar->setValue(display.bar->minimum() - 1
                + static_cast<int>(static_cast<double>(done) / static_cast<double>(total)
                    * (display.bar->maximum() - display.bar->minimum() + 1)));
        if (dialog && total > 0)
            dialog->setValue(static_cast<int>(
                static_cast<double>(done) / static_cast<double>(total) * (kDialogSteps - 1)));
    };
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (dialog && dialog->wasCanceled())
            progress.requestStop();
        show();
        if (finished)
            loop.quit();
    });
    poll.start(kPollMs);
    {
        std::jthread worker([&] {
            try {
                work(progress);
            } catch (...) {
                failure = std::current_exception();
            }
            finished = true;
        });
        if (!finished)
            loop.exec();
    }
    poll.stop();

    if (showCancel) {
        QObject::disconnect(cancelConnection);
        display.cancelButton->hide();
    }
    // The window takes the focus back from a dialog that showed.
    const bool dialogShown = dialog && dialog->isVisible();
    dialog.reset();
    if (dialogShown && window)
        window->activateWindow();
    QApplication::restoreOverrideCursor();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace carexa
