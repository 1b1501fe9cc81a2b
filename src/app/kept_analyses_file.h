#pragma once

#include "project/kept_analyses.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace carexa::batch {

/// Keeps analyses in the side file beside `project`: reads it, keeps every analysis `keep` sets
/// in place of the one of its kind (Project::keepAnalyses), and writes it whole (its other
/// settings as they were). A damaged side file is left as it is,
/// said in `notes`. Throws Error when the file cannot be written.
void KeepAnalysesBeside(const std::filesystem::path &project,
    const std::function<void(KeptAnalyses &)> &keep, std::vector<std::string> &notes);

} // namespace carexa::batch
