// The one mechanism for long work beside the window: a result or an exception handed back on
// the window's thread, cancelling, starting again, and a task destroyed while its work runs.

#include "model/error.h"
#include "ui/background_task.h"

#include <QApplication>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

using namespace carexa;

namespace {

constexpr int kWaitMs = 20000;

// Work that counts until it is asked to stop, then says how far it got.
int CountUntilStopped(TaskProgress &progress)
{
    int count = 0;
    while (!progress.stopRequested()) {
        ++count;
        progress.report(static_cast<std::uint64_t>(count), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return count;
}

TEST(BackgroundTask, HandsBackTheResultOnTheWindowsThread)
{
    BackgroundTask task;
    std::atomic<bool> workOnWindowThread {true};
    QThread *endedOn = nullptr;
    int ended = 0;
    QObject::connect(&task, &BackgroundTask::ended, [&] {
        endedOn = QThread::currentThread();
        ++ended;
    });
    QSignalSpy progressed(&task, &BackgroundTask::progressed);
    // A result that can only be moved comes back as it was made.
    task.start([&workOnWindowThread](TaskProgress &progress) {
        workOnWindowThread = QThread::currentThread() == qApp->thread();
        progress.report(7, 9);
        return std::make_unique<std::string>("seven of nine");
    });
    EXPECT_TRUE(task.running());
    QTRY_COMPARE_WITH_TIMEOUT(ended, 1, kWaitMs);
    EXPECT_FALSE(workOnWindowThread.load());
    EXPECT_EQ(endedOn, qApp->thread());
    EXPECT_GE(progressed.count(), 1); // once more as it ends, so the last count shows
    EXPECT_TRUE(task.finished());
    EXPECT_EQ(task.progress().done(), 7u);
    EXPECT_EQ(task.progress().total(), 9u);
    const std::unique_ptr<std::string> result = task.take<std::unique_ptr<std::string>>();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(*result, "seven of nine");
    EXPECT_FALSE(task.running());
    EXPECT_FALSE(task.finished());
    QTest::qWait(100);
    EXPECT_EQ(ended, 1);
}

TEST(BackgroundTask, ThrowsAgainWhatTheWorkThrew)
{
    BackgroundTask task;
    QSignalSpy ended(&task, &BackgroundTask::ended);
    task.start([](TaskProgress &) -> int { throw Error("The file \"a.mdl\" is empty."); });
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWaitMs);
    try {
        task.take<int>();
        FAIL() << "no exception";
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(), "The file \"a.mdl\" is empty.");
    }
    EXPECT_FALSE(task.running());
}

TEST(BackgroundTask, CancelAsksTheWorkToStopAndItsResultStillComesBack)
{
    BackgroundTask task;
    QSignalSpy ended(&task, &BackgroundTask::ended);
    task.start(CountUntilStopped);
    QTRY_VERIFY_WITH_TIMEOUT(task.progress().done() >= 3, kWaitMs);
    EXPECT_FALSE(task.cancelRequested());
    EXPECT_EQ(ended.count(), 0);
    task.cancel();
    EXPECT_TRUE(task.cancelRequested());
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWaitMs);
    EXPECT_GE(task.take<int>(), 3);
}

TEST(BackgroundTask, DestroyingARunningTaskStopsTheWorkAndWaitsForIt)
{
    auto task = std::make_unique<BackgroundTask>();
    int ended = 0;
    QObject::connect(task.get(), &BackgroundTask::ended, [&] { ++ended; });
    std::atomic<bool> left {false};
    task->start([&left](TaskProgress &progress) {
        CountUntilStopped(progress);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        left = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(task->progress().done() >= 1, kWaitMs);
    task.reset();
    EXPECT_TRUE(left.load()); // the work had ended before the task was gone
    QTest::qWait(100);
    EXPECT_EQ(ended, 0); // and nothing is told of work nobody waits for
}

TEST(BackgroundTask, StartingAgainDropsTheWorkStillRunning)
{
    BackgroundTask task;
    QSignalSpy ended(&task, &BackgroundTask::ended);
    std::atomic<bool> firstStopped {false};
    task.start([&firstStopped](TaskProgress &progress) {
        CountUntilStopped(progress);
        firstStopped = true;
        return std::string("first");
    });
    QTRY_VERIFY_WITH_TIMEOUT(task.progress().done() >= 1, kWaitMs);
    task.start([](TaskProgress &progress) {
        progress.report(1, 1);
        return std::string("second");
    });
    EXPECT_TRUE(firstStopped.load());
    EXPECT_FALSE(task.cancelRequested()); // the new work has a progress of its own
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWaitMs);
    EXPECT_EQ(task.take<std::string>(), "second");
    QTest::qWait(100);
    EXPECT_EQ(ended.count(), 1);
}

TEST(BackgroundTask, StopDropsTheResultAndTellsNothing)
{
    BackgroundTask task;
    QSignalSpy ended(&task, &BackgroundTask::ended);
    task.start(CountUntilStopped);
    QTRY_VERIFY_WITH_TIMEOUT(task.progress().done() >= 1, kWaitMs);
    task.stop();
    EXPECT_FALSE(task.running());
    EXPECT_TRUE(task.cancelRequested());
    QTest::qWait(100);
    EXPECT_EQ(ended.count(), 0);
    EXPECT_THROW(task.take<int>(), std::logic_error);
}

TEST(BackgroundTask, TakingTooEarlyOrAsAnotherTypeIsRefused)
{
    BackgroundTask task;
    QSignalSpy ended(&task, &BackgroundTask::ended);
    EXPECT_THROW(task.take(), std::logic_error); // nothing started
    task.start(CountUntilStopped);
    EXPECT_THROW(task.take<int>(), std::logic_error); // still running
    task.cancel();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWaitMs);
    EXPECT_THROW(task.take<double>(), std::logic_error);
    EXPECT_TRUE(task.running()); // the result still waits for the right type
    EXPECT_GE(task.take<int>(), 0);
}

TEST(BackgroundTask, TheEnginesCallbacksAndDetailsGoThroughTheOneProgress)
{
    BackgroundTask task;
    QSignalSpy ended(&task, &BackgroundTask::ended);
    task.start([](TaskProgress &progress) {
        // As the engine's callbacks take it: a count of ints or of 64-bit sizes.
        const std::function<bool(int, int)> runs = progress.callback();
        const std::function<bool(std::uint64_t, std::uint64_t)> bytes = progress.callback();
        const bool goOn = runs(3, 17);
        progress.post(std::string("best so far: 0.25"));
        return goOn && bytes(4096, 8192);
    });
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWaitMs);
    EXPECT_EQ(task.progress().done(), 4096u);
    EXPECT_EQ(task.progress().total(), 8192u);
    const std::any detail = task.progress().detail();
    ASSERT_NE(std::any_cast<std::string>(&detail), nullptr);
    EXPECT_EQ(std::any_cast<std::string>(detail), "best so far: 0.25");
    EXPECT_TRUE(task.take<bool>());

    TaskProgress stopped;
    stopped.requestStop();
    EXPECT_FALSE(stopped.callback()(1, 2)); // a stop asked for is the answer "do not go on"
    EXPECT_EQ(stopped.done(), 1u);
}

// The modal use: the caller waits, and what the work threw is thrown again there.
TEST(RunInBackground, WaitsForTheWorkAndThrowsAgainWhatItThrew)
{
    BackgroundTask task;
    int value = 0;
    RunInBackground(nullptr, TaskDisplay(), task, [&value](TaskProgress &) { value = 42; });
    EXPECT_EQ(value, 42);
    EXPECT_FALSE(task.running());
    EXPECT_THROW(RunInBackground(nullptr, TaskDisplay(), task,
                     [](TaskProgress &) { throw Error("The disk is full."); }),
        Error);
    EXPECT_FALSE(task.running());
}

// The bar and the progress dialog follow the count: half of a bar from 1 to 10 is 5, the whole
// of it 10; the dialog counts in thousandths.
TEST(RunInBackground, TheBarAndTheDialogFollowTheCount)
{
    QWidget window;
    QProgressBar bar(&window);
    bar.setRange(1, 10);
    TaskDisplay display;
    display.label = QStringLiteral("Working...");
    display.bar = &bar;
    display.cancellable = false;
    std::atomic<int> phase {0};
    int barSeen[2] = {-1, -1};
    int dialogSeen[2] = {-1, -1};
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const int now = phase.load();
        auto *dialog = window.findChild<QProgressDialog *>(QStringLiteral("progressDialog"));
        if (now < 1 || now > 2 || !dialog)
            return;
        barSeen[now - 1] = bar.value();
        dialogSeen[now - 1] = dialog->value();
    });
    watch.start(5);
    BackgroundTask task;
    RunInBackground(&window, display, task, [&phase](TaskProgress &progress) {
        progress.report(5, 10);
        phase = 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        progress.report(1, 1);
        phase = 2;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        phase = 3;
    });
    EXPECT_EQ(barSeen[0], 5);
    EXPECT_EQ(dialogSeen[0], 499);
    EXPECT_EQ(barSeen[1], 10);
    EXPECT_EQ(dialogSeen[1], 999);
    EXPECT_EQ(bar.value(), 10);
}

// Esc stops only work that may be cancelled; the keys wait either way.
TEST(RunInBackground, EscStopsOnlyWorkThatMayBeCancelled)
{
    for (const bool cancellable : {false, true}) {
        QWidget window;
        TaskDisplay display;
        display.cancellable = cancellable;
        QTimer::singleShot(50, &window, [&window] { QTest::keyClick(&window, Qt::Key_Escape); });
        BackgroundTask task;
        bool stopped = false;
        RunInBackground(&window, display, task, [&stopped](TaskProgress &progress) {
            for (int i = 0; i < 400 && !progress.stopRequested(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            stopped = progress.stopRequested();
        });
        EXPECT_EQ(stopped, cancellable);
    }
}

} // namespace
