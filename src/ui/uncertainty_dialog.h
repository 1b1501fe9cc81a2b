#pragma once

#include "analysis/compliance.h"
#include "analysis/conditioning.h"
#include "analysis/uncertainty.h"
#include "ui/analysis_dialog.h"

#include <functional>
#include <optional>

class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace carexa {

class CompliancePanel;
class RangeEditor;

/// What an uncertainty analysis reads from the project when "Run" is pressed.
struct UncertaintyProject
{
    RunInput run;
    ObservedSeries observed;
};

/// What one press of "Run" computed: the band of sampled parameter sets, or the iterations of a
/// conditioning and the band of the one kept, and, when there are permit targets, the
/// probability of meeting each over the ensemble.
struct UncertaintyOutcome
{
    std::optional<UncertaintyResult> plain;
    std::optional<ConditioningResult> conditioned;
    std::optional<ComplianceResult> compliance;
    bool cancelled = false;
};

/// "Uncertainty...": sampled parameter sets (a Latin hypercube over the ranges of the chosen
/// parameters) simulated on every core beside the window, the 95 % band of every series with
/// its p-factor and r-factor against the observed values; exports the bands and the report as
/// CSV. In its "Condition on measurements" mode the band comes from SUFI-2 iterations with GLUE
/// weights (RunConditioning): each iteration's ranges, p- and r-factor and behavioural runs,
/// and "Use ranges" hands the kept iteration's ranges to the calibration. With permit targets,
/// a run also gives the probability that the bed meets each (RunCompliance) over the ensemble
/// (the conditioned runs, or a plain Latin hypercube), beside a graph of the band with the
/// limits drawn as lines. Changes nothing in the project; hands each new band to the window for
/// the result explorer.
class UncertaintyDialog : public AnalysisDialog
{
    Q_OBJECT

public:
    /// `project` gives copies of the project's run input and measured values when "Run" is
    /// pressed (it throws Error when the project cannot be simulated); `computed` takes each
    /// finished result and says whether the window keeps its band for the explorer (not when
    /// the project was simulated again meanwhile); `explore` opens the result explorer.
    UncertaintyDialog(UserDialogs &dialogs, std::function<UncertaintyProject()> project,
        std::function<bool(const UncertaintyResult &)> computed, std::function<void()> explore,
        QWidget *parent);

    /// Takes the kept iteration's ranges and which parameters varied ("Use ranges").
    std::function<void(const std::array<ParameterRange, kParameterCount> &,
        const std::array<bool, kParameterCount> &)>
        useRanges;

    void setClimate(std::int32_t climate);
    /// The band of the last run (of the kept iteration, conditioned).
    const std::optional<UncertaintyResult> &result() const { return result_; }
    const std::optional<ConditioningResult> &conditioning() const { return conditioning_; }
    const std::optional<ComplianceResult> &compliance() const;
    void abandon() override;

    RangeEditor *ranges = nullptr;
    QSpinBox *samplesSpin = nullptr;
    QCheckBox *conditionCheck = nullptr; ///< "Condition on measurements"
    QSpinBox *iterationsSpin = nullptr;
    QLineEdit *thresholdEdit = nullptr;
    QSpinBox *validationSpin = nullptr; ///< the first day of the validation period, 0 none
    QTabWidget *resultTabs = nullptr; ///< "Fit", "Iterations", "Permit"
    QTableWidget *table = nullptr;
    QTableWidget *iterationTable = nullptr;
    QTableWidget *rangesTable = nullptr;
    QLabel *notesLabel = nullptr;
    QPushButton *useRangesButton = nullptr;
    QPushButton *exportRangesButton = nullptr;
    CompliancePanel *compliancePanel = nullptr;
    QComboBox *bandSeriesCombo = nullptr;
    QChartView *bandChartView = nullptr;
    QPushButton *exportBandsButton = nullptr;
    QPushButton *exportReportButton = nullptr;
    QPushButton *exploreButton = nullptr;

protected:
    void startAnalysis() override;
    void analysisProgressed() override;
    void analysisEnded() override;

private:
    QWidget *buildIterationsTab();
    QWidget *buildPermitTab();
    void conditionToggled(bool condition);
    void enableConditionFields();
    void showResult();
    void showIterations();
    void drawBand();
    void exportText(const QString &title, const QString &name, const std::string &text,
        const std::string &what);

    std::function<UncertaintyProject()> project_;
    std::function<bool(const UncertaintyResult &)> computed_;
    std::optional<UncertaintyResult> result_;
    std::optional<ConditioningResult> conditioning_;
    /// The parameters varied and the series conditioned on in the last conditioning.
    std::array<bool, kParameterCount> conditionedVaried_ {};
    std::array<bool, kSeriesCount> conditionedSeries_ {};
    double conditionedThreshold_ = 0;
    /// The measurements of the last run, drawn with the band.
    ObservedSeries observed_ {};
    /// What the running analysis does, for its status line.
    struct Running
    {
        bool conditioned = false;
        int samples = 0;
        int iterations = 0;
        bool targets = false;
        int complianceSamples = 0; ///< of the ensemble the targets are judged on
        std::optional<ConditioningInput> conditioning; ///< kept for the design report
    } running_;
    int plainSamples_ = UncertaintyOptions().samples;
    int conditionedSamples_ = ConditioningOptions().samples;
};

} // namespace carexa
