#pragma once

// What a calibration minimises: the ticked parameters as the dimensions of the unit cube, and
// the one objective of a run (the weighted mean of 1 - NSE over the ticked series).

#include "analysis/observations.h"
#include "analysis/parameter_space.h"
#include "analysis/search_space.h"
#include "model/model_parameters.h"
#include "results/data_sheet.h"

#include <array>
#include <cstdint>
#include <vector>

namespace carexa {

struct CalibrationInput;
struct RunResult;

/// The objective of a failed trial, worse than any other.
inline constexpr double kFailedObjective = 1e12;

/// The problem a calibration solves, worked out once from its input and only read during the
/// search (by every worker).
class CalibrationProblem
{
public:
    /// One searched parameter: a ticked parameter whose range holds more than one value.
    struct Dimension
    {
        Parameter parameter;
        ParameterRange range;
    };

    /// Reads `input`, which must outlive the problem.
    explicit CalibrationProblem(const CalibrationInput &input);

    const CalibrationInput &input() const { return input_; }
    const std::vector<Dimension> &dimensions() const { return dimensions_; }
    std::size_t size() const { return dimensions_.size(); }
    /// The current values (CurrentParameters), each ticked one moved into its bounds.
    const ModelParameters &start() const { return start_; }

    /// The parameters at a point of the unit cube: the start with every dimension at SearchValue.
    ModelParameters at(const std::vector<double> &unit) const;
    /// The point of the unit cube nearest to `parameters` (SearchUnit of every dimension).
    std::vector<double> unitOf(const ModelParameters &parameters) const;

    /// The objective of a run's series: the weighted mean of (1 - NSE) over the ticked series
    /// and their measured days within the run, NSE as ComputeFitStatistics gives it, of the data
    /// sheet's values (`sheet`, what the user sees) or of the unrounded ones (what the search
    /// compares). kFailedObjective for a run that did not complete, a series whose NSE cannot be
    /// computed, or a mean that is not finite; never above it.
    double objective(const SeriesValues &series, bool completed, bool sheet) const;

private:
    struct Target
    {
        std::size_t column;
        double weight;
        std::vector<std::size_t> index; ///< day - 1 of each measured day
        std::vector<double> observed;
    };

    const CalibrationInput &input_;
    std::vector<Dimension> dimensions_;
    ModelParameters start_;
    std::vector<Target> targets_;
    double weightSum_ = 0;
};

} // namespace carexa
