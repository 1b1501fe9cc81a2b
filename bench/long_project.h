#pragma once

#include "model/model_state.h"
#include "model/text_grid.h"
#include "project/project_file.h"

#include <filesystem>

namespace carexa::bench {

/// A project of `days` days made by repeating the year of the cold-climate example, with its
/// observed values grid and design texts.
struct LongProject
{
    explicit LongProject(int days);

    ModelState state;
    TextGrid observed {12, 61};
    DesignTexts design;
};

/// The examples folder of the source tree.
std::filesystem::path ExamplesFolder();

} // namespace carexa::bench
