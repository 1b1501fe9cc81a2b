#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class QAbstractButton;
class QProgressBar;
class QWidget;

namespace carexa {

/// What long work in the background reports and is asked: shared by the worker and the window.
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

private:
    std::atomic<std::uint64_t> done_ {0};
    std::atomic<std::uint64_t> total_ {0};
    std::atomic<bool> stop_ {false};
};

/// How the window shows a task: a progress dialog with a text (after a short delay, so quick work
/// shows none), or a progress bar and a cancel button of the screen's own.
struct TaskDisplay
{
    QString label; ///< the progress dialog's text; empty for no dialog
    bool cancellable = true; ///< Cancel and Esc ask the work to stop
    QProgressBar *bar = nullptr; ///< moved from 0 to its maximum as the work reports
    QAbstractButton *cancelButton = nullptr; ///< shown during the work, asks it to stop
    int dialogDelayMs = 400;
};

/// Runs `work` on a worker thread and waits for it in a local event loop, so the window repaints
/// and shows progress meanwhile (at most every 40 ms). While it runs, every input to the program
/// is held back except what stops the work (the cancel button, the dialog's "Cancel", Esc), and
/// the mouse shows a busy cursor; `progress` is the work's (pass one in to stop it from outside,
/// e.g. when the window is asked to close). Returns once the work has ended; an exception it
/// threw is thrown again here.
void RunInBackground(QWidget *window, const TaskDisplay &display, TaskProgress &progress,
    const std::function<void(TaskProgress &)> &work);

} // namespace carexa
