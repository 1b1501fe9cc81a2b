#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

namespace carexa {

namespace batch {
struct Command;
}

/// Exit statuses of the batch runner.
inline constexpr int kBatchOk = 0;
/// A file or value refused, a run that could not start or stopped early.
inline constexpr int kBatchFailed = 1;
inline constexpr int kBatchUsage = 2;

/// The batch runner behind `carexa-sim`: `args` are the command-line arguments after the program
/// name, starting with the command. "run" loads a project as "Load Project" does, simulates as
/// "Simulate" does, and writes the requested outputs; "size" sizes a bed for target outflows as
/// the design assistant does. `-` as a file name writes to `out`. Messages go to `err`.
int RunBatch(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

/// Ends a batch run that returned `status`: flushes `out` (output held in its buffer reaches the
/// system only now) and, when that fails on an otherwise successful run, reports why on `err`
/// and returns kBatchFailed. Otherwise returns `status`.
int FinishBatch(int status, std::ostream &out, std::ostream &err);

/// The text of `carexa-sim --help`.
std::string BatchHelp();

/// The text of `carexa-sim --version`: the program's name and version.
std::string BatchVersion();

/// Every command of carexa-sim, in the order --help lists them.
std::span<const batch::Command *const> BatchCommands();

} // namespace carexa
