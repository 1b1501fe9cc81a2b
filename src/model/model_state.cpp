#include "model/model_state.h"

namespace carexa {

void ModelState::resetActiveDays()
{
    for (DayNode &node : days.active()) {
        node.box.reset();
        node.day.reset();
    }
}

void ModelState::setSimulationLength(std::int32_t length)
{
    simulationLength = length;
    days.resize(length + 1);
}

void ModelState::resetProject()
{
    setSimulationLength(kStartLength);
    parameters.reset();
    initial.reset();
    stepsPerDay = kResetStepsPerDay;
    resetActiveDays();
}

} // namespace carexa
