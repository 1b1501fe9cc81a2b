#pragma once

#include "model/model_state.h"
#include "project/project.h"

namespace carexa {

/// The records of a project, writable: for a test that sets up what no operation writes (box
/// values as a run leaves them, a value out of range as a damaged file could hold it), or that
/// writes behind the project to see that it checks again. The project keeps no fingerprint of
/// such a write, as it would of an operation's.
struct ProjectRecordsForTesting
{
    /// `project` is one the test made or a window's own; neither is const, whatever reference
    /// the test holds.
    static ModelState &of(const Project &project)
    {
        return const_cast<ModelState &>(project.state_);
    }
};

} // namespace carexa
