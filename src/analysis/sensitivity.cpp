#include "analysis/sensitivity.h"

#include "analysis/random.h"
#include "model/error.h"

#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace carexa {

namespace {

constexpr int kPoints = kParameterCount + 1; // points of a trajectory
constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

// A whole number below `count` from one draw.
int DrawIndex(std::mt19937_64 &generator, int count)
{
    return static_cast<int>(UnitDraw(generator) * count);
}

using Outcome = std::array<double, kSeriesCount>;

} // namespace

std::array<double, kSeriesCount> SeriesMeans(const RunResult &result)
{
    return SeriesMeans(result.series);
}

std::array<double, kSeriesCount> SeriesMeans(const SeriesValues &series)
{
    Outcome means {};
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        const std::vector<double> &values = series[c];
        double sum = 0;
        for (double value : values)
            sum += value;
        means[c] = values.empty() ? 0 : sum / static_cast<double>(values.size());
    }
    return means;
}

double MorrisDelta(int levels)
{
    return levels / (2.0 * (levels - 1));
}

MorrisTrajectory DrawTrajectory(int levels, std::uint64_t seed, int trajectory)
{
    std::mt19937_64 generator = TaskGenerator(seed, static_cast<std::uint64_t>(trajectory));
    // Delta is p / 2 grid steps, so the base point may sit on any of the lowest p / 2 levels.
    const int deltaSteps = levels / 2;
    MorrisTrajectory drawn;
    for (int &level : drawn.startLevel)
        level = DrawIndex(generator, levels - deltaSteps);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        drawn.up[i] = UnitDraw(generator) < 0.5;
        if (!drawn.up[i])
            drawn.startLevel[i] += deltaSteps;
    }
    // A uniformly random order (Fisher-Yates).
    std::iota(drawn.order.begin(), drawn.order.end(), 0);
    for (int i = kParameterCount - 1; i > 0; --i)
        std::swap(drawn.order[static_cast<std::size_t>(i)],
            drawn.order[static_cast<std::size_t>(DrawIndex(generator, i + 1))]);
    return drawn;
}

std::array<double, kParameterCount> TrajectoryPoint(
    const MorrisTrajectory &trajectory, int levels, int steps)
{
    const int deltaSteps = levels / 2;
    std::array<int, kParameterCount> level = trajectory.startLevel;
    for (int s = 0; s < steps; ++s) {
        const auto i = static_cast<std::size_t>(trajectory.order[static_cast<std::size_t>(s)]);
        level[i] += trajectory.up[i] ? deltaSteps : -deltaSteps;
    }
    std::array<double, kParameterCount> point {};
    for (std::size_t i = 0; i < kParameterCount; ++i)
        point[i] = static_cast<double>(level[i]) / (levels - 1);
    return point;
}

void CheckSensitivityInput(const SensitivityInput &input)
{
    const MorrisOptions &o = input.options;
    if (o.trajectories < kMinTrajectories || o.trajectories > kMaxTrajectories)
        throw Error("The number of trajectories must be from " + std::to_string(kMinTrajectories)
            + " to " + std::to_string(kMaxTrajectories) + ".");
    if (o.levels < kMinLevels || o.levels > kMaxLevels || o.levels % 2 != 0)
        throw Error("The number of levels must be an even number from " + std::to_string(kMinLevels)
            + " to " + std::to_string(kMaxLevels) + ".");
    if (o.threads < 0)
        throw Error("The number of threads cannot be negative.");
    CheckRanges(input.ranges, input.run.climate);
}

SensitivityResult RunSensitivity(const SensitivityInput &input, const AnalysisProgress &progress)
{
    CheckSensitivityInput(input);
    CheckRunInput(input.run);
    const MorrisOptions &options = input.options;
    const int r = options.trajectories;
    const int levels = options.levels;

    std::vector<MorrisTrajectory> design;
    design.reserve(static_cast<std::size_t>(r));
    for (int t = 0; t < r; ++t)
        design.push_back(DrawTrajectory(levels, options.seed, t));

    const auto runs = static_cast<std::size_t>(r) * kPoints;
    std::vector<Outcome> outcomes(runs);
    std::vector<char> failed(runs, 0);
    std::vector<std::string> messages(runs);

    const auto parametersOf = [&](std::size_t index) {
        const MorrisTrajectory &trajectory = design[index / kPoints];
        const auto point = TrajectoryPoint(trajectory, levels, static_cast<int>(index % kPoints));
        ModelParameters parameters = input.run.parameters;
        for (std::size_t i = 0; i < kParameterCount; ++i)
            parameters.set(static_cast<Parameter>(i), ValueAt(input.ranges[i], point[i]));
        return parameters;
    };
    const auto keep = [&](std::size_t index, const SeriesRun &run) {
        if (!run.completed) {
            failed[index] = 1;
            messages[index] = run.message;
            return;
        }
        outcomes[index] = SeriesMeans(run.series);
    };
    const ManyRunsOutcome done
        = RunMany(runs, options.threads, input.run, parametersOf, keep, progress);

    SensitivityResult result;
    result.trajectories = r;
    result.runs = done.done;
    if (done.cancelled) {
        result.cancelled = true;
        return result;
    }

    // The effects of every parameter on every series, trajectory by trajectory in design order.
    const double delta = MorrisDelta(levels);
    std::array<std::array<std::vector<double>, kSeriesCount>, kParameterCount> effects;
    for (int t = 0; t < r; ++t) {
        const std::size_t first = static_cast<std::size_t>(t) * kPoints;
        bool usable = true;
        for (std::size_t s = 0; s < kPoints; ++s) {
            if (failed[first + s]) {
                usable = false;
                if (result.failure.empty())
                    result.failure = messages[first + s];
            }
        }
        if (!usable) {
            ++result.trajectoriesFailed;
            continue;
        }
        ++result.trajectoriesUsed;
        const MorrisTrajectory &trajectory = design[static_cast<std::size_t>(t)];
        for (std::size_t s = 1; s < kPoints; ++s) {
            const auto i = static_cast<std::size_t>(trajectory.order[s - 1]);
            const Outcome &before = outcomes[first + s - 1];
            const Outcome &after = outcomes[first + s];
            for (std::size_t c = 0; c < kSeriesCount; ++c) {
                const double change
                    = trajectory.up[i] ? after[c] - before[c] : before[c] - after[c];
                effects[i][c].push_back(change / delta);
            }
        }
    }

    for (std::size_t i = 0; i < kParameterCount; ++i) {
        for (std::size_t c = 0; c < kSeriesCount; ++c) {
            const std::vector<double> &ee = effects[i][c];
            ElementaryEffects &stats = result.effects[i][c];
            const auto n = static_cast<double>(ee.size());
            if (ee.empty()) {
                stats = {kUndefined, kUndefined, kUndefined};
                continue;
            }
            double sum = 0, absolute = 0;
            for (double e : ee) {
                sum += e;
                absolute += std::abs(e);
            }
            stats.mu = sum / n;
            stats.muStar = absolute / n;
            if (ee.size() < 2) {
                stats.sigma = kUndefined;
                continue;
            }
            double squares = 0;
            for (double e : ee)
                squares += (e - stats.mu) * (e - stats.mu);
            stats.sigma = std::sqrt(squares / (n - 1));
        }
    }
    return result;
}

std::string SensitivityCsv(const SensitivityResult &result)
{
    std::string text = "parameter,series,mu,mu_star,sigma\n";
    text.reserve(kParameterCount * kSeriesCount * 80);
    for (int i = 0; i < kParameterCount; ++i) {
        for (int c = 0; c < kSeriesCount; ++c) {
            const ElementaryEffects &stats = result.of(static_cast<Parameter>(i), c);
            text += ParameterName(static_cast<Parameter>(i));
            text += ',';
            text += kSeriesHeadings[static_cast<std::size_t>(c)];
            text += ',';
            AppendCsvNumber(text, stats.mu);
            text += ',';
            AppendCsvNumber(text, stats.muStar);
            text += ',';
            AppendCsvNumber(text, stats.sigma);
            text += '\n';
        }
    }
    return text;
}

} // namespace carexa
