#include "long_project.h"

#include "model/observed_grid.h"

namespace carexa::bench {

std::filesystem::path ExamplesFolder()
{
    return std::filesystem::path(CAREXA_SOURCE_DIR) / "examples";
}

LongProject::LongProject(int days)
{
    const LoadedProject year = ReadProjectFile(ExamplesFolder() / "cold_climate_bed.mdl");
    ApplyProject(year, state);
    design = LoadedDesignTexts(year);
    std::vector<DayValues> forcing;
    for (const DayNode &node : state.days.active())
        forcing.push_back(node.day);
    state.setSimulationLength(days);
    state.observedLength = days;
    std::size_t d = 0;
    for (DayNode &node : state.days.active())
        node.day = forcing[d++ % forcing.size()];
    BuildObservedGrid(observed, days);
}

} // namespace carexa::bench
