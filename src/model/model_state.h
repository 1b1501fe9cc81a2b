#pragma once

#include "model/box_values.h"
#include "model/day_list.h"
#include "model/model_parameters.h"

#include <cstdint>

namespace carexa {

/// The longest simulation (and observed) length the program takes, in days; a project of that
/// length still fits a project file.
inline constexpr std::int32_t kMaxDays = 300000;

/// The most sub-steps per day a run takes: a day then costs about a quarter of a second.
inline constexpr std::int32_t kMaxStepsPerDay = 100000;

inline constexpr std::int32_t kNoClimate = 0;
inline constexpr std::int32_t kColdClimate = 1;
inline constexpr std::int32_t kWarmClimate = 2;

/// Everything a project computes with: the parameters, the initial values and design, the day
/// list and the program-wide settings. The program's own state is created once with its defaults
/// and reset in place, so references to its parts stay valid for the whole program; a copy (a
/// snapshot) is a project of its own that a run or an analysis can work on.
class ModelState
{
public:
    static constexpr std::int32_t kStartLength = 60;
    static constexpr std::int32_t kStartStepsPerDay = 70;
    static constexpr std::int32_t kResetStepsPerDay = 50;

    ModelState() = default;

    ModelParameters parameters;
    BoxValues initial; ///< initial concentrations, precipitation factor and design results
    DayList days {kStartLength + 1};

    std::int32_t simulationLength = kStartLength;
    std::int32_t stepsPerDay = kStartStepsPerDay;
    std::int32_t climate = kNoClimate;
    std::int32_t observedLength = kStartLength;

    /// Resets the parts of every active node (all doubles to 0.0001; day numbers stay).
    void resetActiveDays();
    /// Changes the simulation length (>= 1): the day list gets length + 1 nodes.
    void setSimulationLength(std::int32_t length);
    /// Turns the records into an empty project: 60 days, 50 steps per day, every double of the
    /// parameters, the initial values and the active days at 0.0001. The climate and the
    /// observed length stay.
    void resetProject();
};

} // namespace carexa
