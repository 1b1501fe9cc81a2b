#pragma once

#include "analysis/run_many.h"

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace carexa {

/// One analysis running on a thread of its own beside the window. The window starts it, polls
/// its progress and whether it has finished (from a timer, so the window stays responsive), and
/// may ask it to stop; the analysis works on copies and touches no widget. Destroying the task
/// asks the analysis to stop and waits for it.
template <typename Result> class AnalysisTask
{
public:
    using Work = std::function<Result(const AnalysisProgress &progress)>;

    AnalysisTask() = default;
    AnalysisTask(const AnalysisTask &) = delete;
    AnalysisTask &operator=(const AnalysisTask &) = delete;
    ~AnalysisTask() { stop(); }

    /// Starts `work` on its thread; a task that is still running is stopped first.
    void start(Work work)
    {
        stop();
        cancelled_ = false;
        finished_ = false;
        done_ = 0;
        total_ = 0;
        result_.reset();
        failure_ = nullptr;
        running_ = true;
        thread_ = std::jthread([this, work = std::move(work)] {
            const AnalysisProgress progress = [this](int done, int total) {
                done_ = done;
                total_ = total;
                return !cancelled_.load();
            };
            std::optional<Result> result;
            std::exception_ptr failure;
            try {
                result.emplace(work(progress));
            } catch (...) {
                failure = std::current_exception();
            }
            const std::lock_guard lock(mutex_);
            result_ = std::move(result);
            failure_ = failure;
            finished_ = true;
        });
    }

    /// Asks the analysis to stop; it ends within a simulated day of every run going on.
    void cancel() { cancelled_ = true; }
    bool cancelRequested() const { return cancelled_.load(); }

    /// Whether an analysis was started and its result not yet taken.
    bool running() const { return running_; }
    /// Whether the analysis has ended and its result waits in take().
    bool finished() const { return running_ && finished_.load(); }
    int done() const { return done_.load(); }
    int total() const { return total_.load(); }

    /// The result of a finished analysis; throws what the analysis threw.
    Result take()
    {
        thread_ = {}; // joins the finished thread
        running_ = false;
        const std::lock_guard lock(mutex_);
        if (failure_)
            std::rethrow_exception(failure_);
        return std::move(*result_);
    }

    /// Asks a running analysis to stop and waits for it; its result is dropped.
    void stop()
    {
        cancelled_ = true;
        thread_ = {};
        running_ = false;
    }

private:
    std::jthread thread_;
    std::atomic<bool> cancelled_ {false};
    std::atomic<bool> finished_ {false};
    std::atomic<int> done_ {0};
    std::atomic<int> total_ {0};
    bool running_ = false;
    std::mutex mutex_;
    std::optional<Result> result_;
    std::exception_ptr failure_;
};

} // namespace carexa
