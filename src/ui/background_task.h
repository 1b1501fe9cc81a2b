#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <any>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <typeinfo>

class QAbstractButton;
class QProgressBar;
class QWidget;

namespace carexa {

/// What long work in the background reports and is asked: shared by the worker and the window.
/// The engine's own progress callbacks (a count done of a total, and whether to go on) are made
/// from it with callback(); what a count cannot say (a search's best so far) goes through post().
class TaskProgress
{
public:
    /// Called by the work as it goes (from any thread).
    void report(std::uint64_t done, std::uint64_t total)
    {
        total_ = total;
        done_ = done;
    }
    bool stopRequested() const { return stop_; }
    void requestStop() { stop_ = true; }
    std::uint64_t done() const { return done_; }
    std::uint64_t total() const { return total_; }

    /// The engine's progress callback over this progress: reports the count and answers whether
    /// the work is to go on (any of the engine's "bool(done, total)" callbacks converts from it).
    auto callback()
    {
        return [this](auto done, auto total) {
            report(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(total));
            return !stopRequested();
        };
    }

    /// What the work last said beyond its count, e.g. the best found so far (from any thread).
    void post(std::any detail)
    {
        const std::lock_guard lock(mutex_);
        detail_ = std::move(detail);
    }
    /// The last detail posted, or an empty value.
    std::any detail() const
    {
        const std::lock_guard lock(mutex_);
        return detail_;
    }

private:
    std::atomic<std::uint64_t> done_ {0};
    std::atomic<std::uint64_t> total_ {0};
    std::atomic<bool> stop_ {false};
    mutable std::mutex mutex_;
    std::any detail_;
};

/// One piece of long work on a worker thread of its own, beside the window.
///
/// The window starts it with what the work needs captured by value (a frozen copy of the
/// project's values, never a reference to what the window may change meanwhile), shows its
/// progress on progressed(), may cancel it, and takes its result (or the exception it threw)
/// once ended() says it has ended; both signals come on the thread that owns the task. Starting
/// again, stop() and destruction ask running work to stop and wait for it, dropping its result.
class BackgroundTask : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundTask(QObject *parent = nullptr);
    ~BackgroundTask() override;

    /// Starts `work(progress)` on the worker thread; work still running is stopped first.
    /// Whatever the work returns is the result take() hands back.
    template <typename Work> void start(Work work)
    {
        using Result = std::invoke_result_t<Work &, TaskProgress &>;
        if constexpr (std::is_void_v<Result>)
            launch(typeid(void), [work = std::move(work)](TaskProgress &progress) mutable {
                work(progress);
                return std::shared_ptr<void>();
            });
        else
            launch(typeid(Result), [work = std::move(work)](TaskProgress &progress) mutable {
                return std::shared_ptr<void>(std::make_shared<Result>(work(progress)));
            });
    }

    /// Asks the work to stop; it ends when it next looks (ended() follows).
    void cancel();
    bool cancelRequested() const { return progress_->stopRequested(); }
    /// Whether work was started and its result not yet taken (nor dropped).
    bool running() const { return running_; }
    /// Whether the work has ended and its result waits in take().
    bool finished() const { return running_ && finished_.load(); }
    /// The progress of the current (or last) work.
    const TaskProgress &progress() const { return *progress_; }

    /// The result of work that has ended, as the type it returned; throws what the work threw.
    template <typename Result = void> Result take()
    {
        std::shared_ptr<void> value = collect(typeid(Result));
        if constexpr (!std::is_void_v<Result>)
            return std::move(*static_cast<Result *>(value.get()));
    }

    /// Asks running work to stop and waits for it; its result is dropped.
    void stop();

signals:
    /// The work's progress may have moved (every 40 ms while it runs, and once as it ends).
    void progressed();
    /// The work has ended (completed, cancelled or failed): take() its result.
    void ended();

private:
    using Job = std::function<std::shared_ptr<void>(TaskProgress &)>;
    void launch(const std::type_info &type, Job job);
    std::shared_ptr<void> collect(const std::type_info &type);
    void deliver(std::uint64_t generation);

    std::unique_ptr<TaskProgress> progress_;
    std::jthread thread_;
    QTimer poll_;
    bool running_ = false;
    bool delivered_ = false;
    std::uint64_t generation_ = 0;
    const std::type_info *type_ = &typeid(void);
    std::atomic<bool> finished_ {false};
    std::mutex mutex_;
    std::shared_ptr<void> value_;
    std::exception_ptr failure_;
};

/// How the window shows a task: a progress dialog with a text (after a short delay, so quick work
/// shows none), or a progress bar and a cancel button of the screen's own.
struct TaskDisplay
{
    QString label; ///< the progress dialog's text; empty for no dialog
    QString title; ///< the progress dialog's title; empty for the window's
    bool cancellable = true; ///< Cancel and Esc ask the work to stop
    QProgressBar *bar = nullptr; ///< moved from 0 to its maximum as the work reports
    QAbstractButton *cancelButton = nullptr; ///< shown during the work, asks it to stop
    int dialogDelayMs = 400;
};

/// Runs `work` as `task` and waits for it in a local event loop, so the window repaints and
/// shows progress meanwhile (at most every 40 ms). While it runs, every input to the program is
/// held back except what stops the work (the cancel button, the dialog's "Cancel", Esc), and the
/// mouse shows a busy cursor; cancel `task` to stop it from outside (e.g. when the window is
/// asked to close). As nothing else can change meanwhile, the work may read the caller's values
/// in place. Returns once the work has ended; an exception it threw is thrown again here.
void RunInBackground(QWidget *window, const TaskDisplay &display, BackgroundTask &task,
    const std::function<void(TaskProgress &)> &work);

} // namespace carexa
