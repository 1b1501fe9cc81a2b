#pragma once

// The last analyses of a project as its side file keeps them for the report: their numbers, what
// they ran with (seed, samples, thresholds, warm-up), and the fingerprint of the run inputs they
// were computed from, so a report of a project changed since marks them stale.

#include "analysis/compliance.h"
#include "analysis/confidence.h"
#include "analysis/sensitivity.h"
#include "analysis/sobol.h"
#include "analysis/uncertainty.h"
#include "model/model_parameters.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace carexa {

struct CalibrationInput;
struct CalibrationResult;
struct ConditioningInput;
struct ConditioningResult;
/// Morris's screening with its design.
struct KeptMorris
{
    std::uint64_t inputs = 0; ///< RunInputsFingerprint of the project it ran on
    std::uint64_t seed = 0;
    int levels = 0;
    /// effects of every parameter on every series, trajectories, trajectoriesUsed,
    /// trajectoriesFailed and runs (cancelled and failure are never kept).
    SensitivityResult result;
};

/// Sobol' indices with their sample.
struct KeptSobol
{
    std::uint64_t inputs = 0;
    std::uint64_t seed = 0; ///< of the bootstrap resamples
    int resamples = 0;
    /// parameters, indices, baseSamples, rowsUsed, rowsFailed and runs.
    SobolResult result;
};

/// How the kept iteration's band holds the measurements of one ticked series.
struct KeptBandFit
{
    int series = 0; ///< data sheet column index, 0 to 10
    BandFit calibration;
    std::optional<BandFit> validation; ///< when the conditioning had a validation period
};

/// A conditioned uncertainty analysis: its options and the kept iteration.
struct KeptConditioning
{
    std::uint64_t inputs = 0;
    std::uint64_t seed = 0;
    int samples = 0; ///< parameter sets of every iteration
    int iterationsAsked = 0;
    double threshold = 0; ///< the weighted-mean NSE of a behavioural run
    int validationFrom = 0; ///< first day of the validation period, 0 for none
    int iterationsRun = 0;
    int kept = 0; ///< 1-based number of the iteration kept
    int behavioural = 0; ///< of the kept iteration
    bool toppedUp = false; ///< the best runs stood in for too few behavioural ones
    int runsUsed = 0; ///< runs the band rests on
    std::vector<KeptBandFit> fits; ///< the ticked series in data sheet order
};

/// The probability of meeting each permit limit.
struct KeptCompliance
{
    std::uint64_t inputs = 0;
    std::uint64_t seed = 0;
    int samples = 0; ///< of the ensemble (of each iteration when conditioned)
    bool conditioned = false;
    int warmUp = 0;
    int runsUsed = 0;
    int runsFailed = 0;
    double effectiveRuns = 0;
    std::vector<TargetOutcome> outcomes;
};

/// One parameter of a calibration.
struct KeptCalibrationParameter
{
    Parameter parameter = Parameter::AC;
    bool fitted = false;
    double before = 0;
    double after = 0;
    double lower = 0; ///< bounds of the search
    double upper = 0;
    /// The linear 95 % interval, when the confidence was computed (fitted parameters only).
    std::optional<ParameterInterval> interval;
};

/// A calibration, kept as it was applied: its fingerprint is that of the project with the
/// calibrated parameters.
struct KeptCalibration
{
    std::uint64_t inputs = 0;
    std::uint64_t seed = 0;
    int runsAllowed = 0;
    int runsUsed = 0;
    double objectiveBefore = 0;
    double objectiveAfter = 0;
    std::vector<KeptCalibrationParameter> parameters; ///< all sixteen in record order
};

/// Every analysis a side file keeps; each one is there or not.
struct KeptAnalyses
{
    std::optional<KeptMorris> morris;
    std::optional<KeptSobol> sobol;
    std::optional<KeptConditioning> conditioning;
    std::optional<KeptCompliance> compliance;
    std::optional<KeptCalibration> calibration;

    bool empty() const { return !morris && !sobol && !conditioning && !compliance && !calibration; }
};

/// What to keep of a finished conditioning (never a cancelled one).
KeptConditioning KeepConditioning(const ConditioningInput &input, const ConditioningResult &result,
    std::uint64_t inputs);

/// What to keep of a finished calibration, with its confidence when one was computed.
KeptCalibration KeepCalibration(const CalibrationInput &input, const CalibrationResult &result,
    const ConfidenceResult *confidence, std::uint64_t inputs);

/// Puts every analysis `ran` holds into `kept`, in place of the one kept before; the others
/// (a calibration, Sobol' indices) stay.
inline void ReplaceAnalyses(KeptAnalyses &kept, const KeptAnalyses &ran)
{
    if (ran.morris)
        kept.morris = ran.morris;
    if (ran.sobol)
        kept.sobol = ran.sobol;
    if (ran.conditioning)
        kept.conditioning = ran.conditioning;
    if (ran.compliance)
        kept.compliance = ran.compliance;
    if (ran.calibration)
        kept.calibration = ran.calibration;
}

} // namespace carexa
