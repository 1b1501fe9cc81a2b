#include "project/kept_analyses.h"

#include "analysis/calibration.h"
#include "analysis/conditioning.h"

namespace carexa {

KeptConditioning KeepConditioning(
    const ConditioningInput &input, const ConditioningResult &result, std::uint64_t inputs)
{
    const ConditioningIteration &kept = result.iterations.at(static_cast<std::size_t>(result.kept));
    KeptConditioning c {.inputs = inputs,
        .seed = input.options.seed,
        .samples = input.options.samples,
        .iterationsAsked = input.options.iterations,
        .threshold = input.options.threshold,
        .validationFrom = input.options.validationFrom,
        .iterationsRun = static_cast<int>(result.iterations.size()),
        .kept = result.kept + 1,
        .behavioural = kept.behavioural,
        .toppedUp = kept.toppedUp,
        .runsUsed = kept.runsUsed,
        .fits = {}};
    for (int s = 0; s < kSeriesCount; ++s) {
        if (!input.series[static_cast<std::size_t>(s)])
            continue;
        const PeriodFits &fit = kept.fit[static_cast<std::size_t>(s)];
        KeptBandFit band {.series = s, .calibration = fit.calibration, .validation = std::nullopt};
        if (result.validation)
            band.validation = fit.validation;
        c.fits.push_back(band);
    }
    return c;
}

KeptCalibration KeepCalibration(const CalibrationInput &input, const CalibrationResult &result,
    const ConfidenceResult *confidence, std::uint64_t inputs)
{
    KeptCalibration c {.inputs = inputs,
        .seed = input.seed,
        .runsAllowed = input.runsAllowed,
        .runsUsed = result.runsUsed,
        .objectiveBefore = result.objectiveBefore,
        .objectiveAfter = result.objectiveAfter,
        .parameters = {}};
    for (int p = 0; p < kParameterCount; ++p) {
        const auto parameter = static_cast<Parameter>(p);
        const ParameterBounds &bounds = input.bounds[static_cast<std::size_t>(p)];
        KeptCalibrationParameter kept {.parameter = parameter,
            .fitted = input.fit[static_cast<std::size_t>(p)],
            .before = result.before.get(parameter),
            .after = result.after.get(parameter),
            .lower = bounds.lower,
            .upper = bounds.upper,
            .interval = std::nullopt};
        if (confidence) {
            for (const ParameterInterval &interval : confidence->parameters) {
                if (interval.parameter == parameter)
                    kept.interval = interval;
            }
        }
        c.parameters.push_back(kept);
    }
    return c;
}

} // namespace carexa
