#pragma once

#include "model/model_state.h"
#include "model/text_grid.h"
#include "project/project_file.h"

#include <cstdint>

namespace carexa {

/// A fingerprint of what a project file written from these would hold: the settings, every
/// day's values, the parameters, the initial values, the observed cells (rows
/// 1..observedLength, columns 1..11) and the design inputs, each cell or input by the number its
/// text stands for ("10" and "10.0" are the same; an empty design input is 0.0001), a text that
/// is no number as it is. Two projects with the same fingerprint write the same file, so a
/// change taken back is no change; numbers are compared as they are, so even a change the
/// file's six digits would not keep counts. Nothing the file does not hold (the wetland type, a
/// forcing cell being typed) takes part.
std::uint64_t ProjectFileFingerprint(
    const ModelState &state, const TextGrid &observed, const DesignTexts &design);

/// A fingerprint of the cells of columns 1..columns and rows 1..rows of a grid, each by the
/// number its text stands for, a text that is no number as it is: for a grid whose cells go into
/// the project only when the grid is left (the forcing grid), so a typed cell counts at once.
std::uint64_t GridFingerprint(const TextGrid &grid, int columns, int rows);

} // namespace carexa
