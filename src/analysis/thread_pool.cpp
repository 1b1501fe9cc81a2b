#include "analysis/thread_pool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace carexa {

int DefaultThreadCount()
{
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void ParallelFor(std::size_t count, int threads,
    const std::function<void(std::size_t index, int worker)> &task,
    const std::function<bool()> &stop)
{
    std::atomic<std::size_t> next {0};
    std::atomic<bool> failed {false};
    std::exception_ptr failure;
    std::mutex failureMutex;

    const auto work = [&](int worker) {
        for (;;) {
            if (failed.load() || (stop && stop()))
                return;
            const std::size_t index = next.fetch_add(1);
            if (index >= count)
                return;
            try {
                task(index, worker);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
                failed = true;
            }
        }
    };

    const int workers = static_cast<int>(
        std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), std::max<std::size_t>(count, 1)));
    {
        std::vector<std::jthread> pool;
        pool.reserve(static_cast<std::size_t>(workers - 1));
        for (int w = 1; w < workers; ++w)
            pool.emplace_back(work, w);
        work(0);
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace carexa
