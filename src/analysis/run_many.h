#pragma once

#include "simulation/simulation_run.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace carexa {

/// The seed of the sampling analyses when none is given (the window's and carexa-sim's default).
inline constexpr std::uint64_t kDefaultAnalysisSeed = 1;

/// Told after every finished run of an analysis how many of its runs are done and how many it
/// makes; returning false stops the analysis (a cancel), and it is not called again, though runs
/// already past their last look at the stop still count. It is called from the worker threads,
/// one call at a time, so it needs no lock of its own but must not touch a window directly.
using AnalysisProgress = std::function<bool(int done, int total)>;

/// What RunMany did.
struct ManyRunsOutcome
{
    int done = 0; ///< runs that went to their end (completed or stopped on non-finite values)
    bool cancelled = false; ///< the progress callback stopped the analysis before every run ended
};

/// Runs `count` simulations of `input` on `threads` workers (0: DefaultThreadCount()), each with
/// its own parameters: `parametersOf(index)` gives run `index`'s. The input is made ready once
/// (PrepareRun) and shared by every run; a worker reuses its buffers from run to run.
/// `keep(index, run)` takes what the analysis needs from a run, on the worker that ran it, during
/// the call only (each index once; kept results must go to places of their own). A cancel stops
/// the runs going on within a day and starts no new one; runs stopped so are not kept. Throws
/// PrepareRun's Error before any run; the first exception of `parametersOf` or `keep` is thrown
/// again once every worker has ended.
ManyRunsOutcome RunMany(std::size_t count, int threads, const RunInput &input,
    const std::function<ModelParameters(std::size_t index)> &parametersOf,
    const std::function<void(std::size_t index, const SeriesRun &run)> &keep,
    const AnalysisProgress &progress);

/// The number of workers an analysis option asks for: `threads` when it is positive, else
/// DefaultThreadCount().
int AnalysisThreads(int threads);

/// Appends a number to a CSV line in its shortest form that reads back exactly ("0.1", "1e-08",
/// "-3.25"); a value that is not a finite number leaves the field empty.
void AppendCsvNumber(std::string &line, double value);

} // namespace carexa
