#include "ui/background_task.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>

#include <stdexcept>
#include <utility>

namespace carexa {

namespace {

constexpr int kPollMs = 40;
constexpr int kDialogSteps = 1000;

// Holds back every input of the program except to the widgets that stop the work; Esc stops it.
class InputGate : public QObject
{
public:
    InputGate(BackgroundTask &task, bool cancellable)
        : task_(task), cancellable_(cancellable)
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
                task_.cancel();
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

    BackgroundTask &task_;
    bool cancellable_;
    QList<QPointer<QWidget>> allowed_;
};

} // namespace

BackgroundTask::BackgroundTask(QObject *parent)
    : QObject(parent), progress_(std::make_unique<TaskProgress>())
{
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &BackgroundTask::progressed);
}

BackgroundTask::~BackgroundTask()
{
    stop();
}

void BackgroundTask::launch(const std::type_info &type, Job job)
{
    stop();
    progress_ = std::make_unique<TaskProgress>();
    value_.reset();
    failure_ = nullptr;
    finished_ = false;
    delivered_ = false;
    running_ = true;
    type_ = &type;
    const std::uint64_t generation = ++generation_;
    TaskProgress *progress = progress_.get();
    thread_ = std::jthread([this, progress, generation, job = std::move(job)] {
        std::shared_ptr<void> value;
        std::exception_ptr failure;
        try {
            value = job(*progress);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            value_ = std::move(value);
            failure_ = failure;
        }
        finished_ = true;
        // Told on the task's own thread; dropped with the task if it is gone by then (it waits
        // for this thread first), and ignored once newer work has started.
        QMetaObject::invokeMethod(
            this, [this, generation] { deliver(generation); }, Qt::QueuedConnection);
    });
    poll_.start();
}

void BackgroundTask::deliver(std::uint64_t generation)
{
    if (generation != generation_ || !running_ || delivered_)
        return;
    delivered_ = true;
    poll_.stop();
    emit progressed();
    if (running_) // a listener to progressed() may have stopped it
        emit ended();
}

void BackgroundTask::cancel()
{
    if (running_)
        progress_->requestStop();
}

std::shared_ptr<void> BackgroundTask::collect(const std::type_info &type)
{
    if (!running_ || !finished_)
        throw std::logic_error("BackgroundTask::take: the work has not ended");
    if (type != *type_)
        throw std::logic_error("BackgroundTask::take: the work returned another type");
    thread_ = {}; // joins the thread, which has ended
    poll_.stop();
    running_ = false;
    const std::lock_guard lock(mutex_);
    std::shared_ptr<void> value = std::move(value_);
    const std::exception_ptr failure = std::exchange(failure_, nullptr);
    if (failure)
        std::rethrow_exception(failure);
    return value;
}

void BackgroundTask::stop()
{
    if (thread_.joinable()) {
        progress_->requestStop();
        thread_.join();
    }
    thread_ = {};
    poll_.stop();
    running_ = false;
    const std::lock_guard lock(mutex_);
    value_.reset();
    failure_ = nullptr;
}

void RunInBackground(QWidget *window, const TaskDisplay &display, BackgroundTask &task,
    const std::function<void(TaskProgress &)> &work)
{
    InputGate gate(task, display.cancellable);
    QApplication::setOverrideCursor(Qt::BusyCursor);

    std::unique_ptr<QProgressDialog> dialog;
    if (!display.label.isEmpty()) {
        dialog = std::make_unique<QProgressDialog>(display.label,
            display.cancellable ? QObject::tr("Cancel") : QString(), 0, kDialogSteps, window);
        dialog->setObjectName(QStringLiteral("progressDialog"));
        dialog->setWindowTitle(
            !display.title.isEmpty() ? display.title : window ? window->windowTitle() : QString());
        dialog->setMinimumDuration(display.dialogDelayMs);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        QObject::connect(dialog.get(), &QProgressDialog::canceled, &task, &BackgroundTask::cancel);
        gate.allow(dialog.get());
        dialog->setValue(0);
    }
    const bool showCancel = display.cancelButton && display.cancellable;
    QMetaObject::Connection cancelConnection;
    if (showCancel) {
        cancelConnection = QObject::connect(
            display.cancelButton, &QAbstractButton::clicked, &task, &BackgroundTask::cancel);
        display.cancelButton->show();
        display.cancelButton->setEnabled(true);
        gate.allow(display.cancelButton);
    }

    QEventLoop loop;
    const auto show = [&] {
        if (dialog && dialog->wasCanceled())
            task.cancel();
        const TaskProgress &progress = task.progress();
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
    const QMetaObject::Connection progressed
        = QObject::connect(&task, &BackgroundTask::progressed, &loop, show);
    const QMetaObject::Connection ended
        = QObject::connect(&task, &BackgroundTask::ended, &loop, &QEventLoop::quit);
    task.start(work);
    loop.exec();
    QObject::disconnect(progressed);
    QObject::disconnect(ended);

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
    task.take();
}

} // namespace carexa
