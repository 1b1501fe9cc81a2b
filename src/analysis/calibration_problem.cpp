#include "analysis/calibration_problem.h"

#include "analysis/calibration.h"
#include "analysis/fit_statistics.h"
#include "simulation/simulation_run.h"

#include <algorithm>
#include <cmath>

namespace carexa {

CalibrationProblem::CalibrationProblem(const CalibrationInput &input) : input_(input)
{
    start_ = CurrentParameters(input.run);
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        const auto at = static_cast<std::size_t>(i);
        if (!input.fit[at])
            continue;
        const ParameterRange range = SearchRange(p, input.bounds[at], input.run.climate);
        start_.set(p, Nearest(range, start_.get(p)));
        if (!(range.upper > LowestKept(range)))
            continue; // a single value: set, not searched
        dimensions_.push_back({p, range});
    }
    const std::size_t days = input.run.days.size();
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        if (!input.series[c])
            continue;
        Target target {c, input.weights[c], {}, {}};
        for (const Observation &measured : input.observed[c]) {
            if (measured.day < 1 || static_cast<std::size_t>(measured.day) > days)
                continue;
            target.index.push_back(static_cast<std::size_t>(measured.day - 1));
            target.observed.push_back(measured.value);
        }
        weightSum_ += target.weight;
        targets_.push_back(std::move(target));
    }
}

ModelParameters CalibrationProblem::at(const std::vector<double> &unit) const
{
    ModelParameters parameters = start_;
    for (std::size_t i = 0; i < dimensions_.size(); ++i)
        parameters.set(dimensions_[i].parameter, SearchValue(dimensions_[i].range, unit[i]));
    return parameters;
}

std::vector<double> CalibrationProblem::unitOf(const ModelParameters &parameters) const
{
    std::vector<double> unit(dimensions_.size());
    for (std::size_t i = 0; i < dimensions_.size(); ++i)
        unit[i] = SearchUnit(dimensions_[i].range, parameters.get(dimensions_[i].parameter));
    return unit;
}

double CalibrationProblem::objective(const SeriesValues &series, bool completed, bool sheet) const
{
    if (!completed)
        return kFailedObjective;
    double total = 0;
    std::vector<double> simulated;
    for (const Target &target : targets_) {
        const std::vector<double> &values = series[target.column];
        simulated.clear();
        for (std::size_t day : target.index)
            simulated.push_back(sheet ? RunSheetValue(values[day]) : values[day]);
        const FitStatistics fit = ComputeFitStatistics(target.observed, simulated);
        if (!fit.nse)
            return kFailedObjective;
        total += target.weight * (1 - *fit.nse);
    }
    const double objective = total / weightSum_;
    return std::isfinite(objective) ? std::min(objective, kFailedObjective) : kFailedObjective;
}

} // namespace carexa
