#pragma once

// carexa-sim run in the test's own process: the exit status and what it wrote.

#include "app/batch_runner.h"

#include "support/temp_dir.h"

#include <sstream>
#include <string>
#include <vector>

namespace carexa::testing_support {

struct SimResult
{
    int status;
    std::string out;
    std::string err;
};

inline SimResult Sim(const std::vector<std::string> &args)
{
    std::ostringstream out, err;
    const int status = RunBatch(args, out, err);
    return {status, out.str(), err.str()};
}

/// The cold-climate example project.
inline const std::string kCold = ExampleFile("cold_climate_bed.mdl").string();

} // namespace carexa::testing_support
