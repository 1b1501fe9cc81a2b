#pragma once

#include <cstddef>
#include <functional>

namespace carexa {

/// The number of workers an analysis uses by default: the machine's cores (at least 1).
int DefaultThreadCount();

/// Runs task(index, worker) for every index in [0, count) on `threads` workers (std::jthread;
/// fewer when there are fewer tasks), handing out indices in order. Tasks must be independent:
/// each works on its own data, and what it computes may depend on its index, never on its worker.
/// `stop` is asked before each task is handed out; once it says true no new task starts.
/// The first exception a task throws is thrown again after every worker has ended.
void ParallelFor(std::size_t count, int threads,
    const std::function<void(std::size_t index, int worker)> &task,
    const std::function<bool()> &stop = {});

} // namespace carexa
