#pragma once

#include "model/box_values.h"
#include "model/day_list.h"
#include "model/day_values.h"
#include "model/model_parameters.h"

namespace carexa {

/// Advances the five boxes of `node` through one day with `stepsPerDay` explicit Euler
/// sub-steps (none when stepsPerDay < 1). The node's concentrations are the start of the day on
/// entry and the end of the day on return. The parameters, the day's forcing values and the
/// transport source are copies taken before the call, so the source stays fixed over the day even
/// when it was copied from the node itself. A concentration that would go below 0 becomes 0.0001.
void SimulateDay(DayNode &node, ModelParameters parameters, DayValues day, int stepsPerDay,
    BoxValues transportSource);

/// The same on a day's box values; `transportSource` may be `box` itself (it is read before
/// anything changes).
void SimulateDay(BoxValues &box, const ModelParameters &parameters, const DayValues &day,
    int stepsPerDay, const BoxValues &transportSource);

} // namespace carexa
