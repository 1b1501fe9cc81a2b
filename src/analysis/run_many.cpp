#include "analysis/run_many.h"

#include "analysis/thread_pool.h"
#include "model/error.h"

#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <mutex>
#include <vector>

namespace carexa {

ManyRunsOutcome RunMany(std::size_t count, int threads, const RunInput &input,
    const std::function<ModelParameters(std::size_t index)> &parametersOf,
    const std::function<void(std::size_t index, const SeriesRun &run)> &keep,
    const AnalysisProgress &progress)
{
    const PreparedRun prepared = PrepareRun(input);
    const int workers = AnalysisThreads(threads);
    std::vector<SeriesRun> buffers(static_cast<std::size_t>(workers));
    std::atomic<bool> stop {false};
    std::mutex progressMutex;
    int done = 0;
    // Asked after every simulated day, so a cancel does not wait for a long run to end.
    const RunMonitor monitor = [&stop](int, int) { return !stop.load(std::memory_order_relaxed); };

    ParallelFor(
        count, workers,
        [&](std::size_t index, int worker) {
            SeriesRun &run = buffers[static_cast<std::size_t>(worker)];
            SimulateSeries(prepared, parametersOf(index), run, monitor);
            if (run.cancelled)
                return;
            keep(index, run);
            const std::lock_guard lock(progressMutex);
            ++done;
            // A run that ended after the stop still counts, but whoever asked to stop is not
            // told again.
            if (progress && !stop.load() && !progress(done, static_cast<int>(count)))
                stop = true;
        },
        [&stop] { return stop.load(); });

    return {done, stop.load() && done < static_cast<int>(count)};
}

int AnalysisThreads(int threads)
{
    return threads > 0 ? threads : DefaultThreadCount();
}

void AppendCsvNumber(std::string &line, double value)
{
    if (!std::isfinite(value))
        return;
    std::array<char, 32> buffer {};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    line.append(buffer.data(), written.ptr);
}

} // namespace carexa
