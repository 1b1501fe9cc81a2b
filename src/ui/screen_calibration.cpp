// Fit statistics and calibration: the buttons on the Simulate and Parameters screens, the fit
// line under the graph, and applying or undoing a calibration.

#include "analysis/calibration.h"
#include "analysis/observations.h"
#include "model/error.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"
#include "ui/calibration_dialog.h"
#include "ui/fit_statistics_panel.h"
#include "ui/graph_box.h"
#include "ui/text_grid_model.h"
#include "ui/tform1.h"
#include "ui/widget_factory.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

// The run the records hold: the inputs as the last run left them and every day's box values.
RunResult RecordsAsRun(const ModelState &state)
{
    RunResult run;
    run.parameters = state.parameters;
    run.initial = state.initial;
    for (const DayNode &node : state.days.active()) {
        run.days.push_back(node.day);
        run.boxes.push_back(node.box);
    }
    run.boxes.push_back(state.days.last().box);
    run.series = ResultSeries(state);
    return run;
}

// The inputs other than the parameters, as a run uses them (out-of-range values replaced), so a
// project simulated since compares equal to the one before its run.
struct RunInputs
{
    BoxValues initial;
    std::vector<DayValues> days;

    friend bool operator==(const RunInputs &, const RunInputs &) = default;
};

RunInputs ReplacedInputs(BoxValues initial, std::vector<DayValues> days)
{
    ReplaceInitialValues(initial);
    for (DayValues &day : days)
        ReplaceDayValues(day);
    return {initial, std::move(days)};
}

} // namespace

void TForm1::buildFitControls(int top, int pitch, int height)
{
    fitStatisticsButton = makeButton(SimulateBox, u"fitStatisticsButton"_s,
        u"Fit statistics..."_s, 16, top, 200, height, &TForm1::fitStatisticsButtonClick);
    calibrateButton = makeButton(SimulateBox, u"calibrateButton"_s, u"Calibrate..."_s, 16,
        top + pitch, 200, height, &TForm1::calibrateButtonClick);
    calibrateParametersButton = makeButton(ParameterBox, u"calibrateParametersButton"_s,
        u"Calibrate..."_s, 342, 552, 156, 30, &TForm1::calibrateButtonClick);

    fitLine = ui::MakeLabel(SimulateBox, QString(), 232, 476, 592, 22, u"fitLine"_s);
    fitLine->setToolTip(QString::fromUtf8(kRatingThresholds));

    // The fit follows the results and the observed values wherever they change (a run, a load,
    // typing, filling), and the series shown. Cells changed one by one (a paste of a block) are
    // taken together once the event loop comes back.
    auto *pending = new QTimer(this);
    pending->setSingleShot(true);
    pending->setInterval(0);
    connect(pending, &QTimer::timeout, this, &TForm1::refreshFit);
    for (TextGridModel *model : {dataModel_, observedModel_}) {
        connect(model, &QAbstractItemModel::modelReset, this, &TForm1::refreshFit);
        connect(model, &QAbstractItemModel::dataChanged, pending, qOverload<>(&QTimer::start));
    }
    connect(CheckObs, &QCheckBox::toggled, this, &TForm1::refreshFit);
    for (QPushButton *button : graphButtons)
        connect(button, &QPushButton::clicked, this, &TForm1::refreshFit);
}

FitStatisticsPanel *TForm1::fitStatisticsPanel() const
{
    return fitStatisticsPanel_;
}

CalibrationDialog *TForm1::calibrationDialog() const
{
    return calibrationDialog_;
}

FitTable TForm1::projectFit() const
{
    return SeriesFit(MeasuredValues(observedGrid_, state_.observedLength, state_.simulationLength),
        ResultSeries(state_));
}

void TForm1::refreshFit()
{
    const bool panelShown = fitStatisticsPanel_ && fitStatisticsPanel_->isVisible();
    const auto &shown = PaintBox1->request();
    const bool lineShown = CheckObs->isChecked() && shown.has_value();
    if (!panelShown && !lineShown) {
        fitLine->clear();
        return;
    }
    const FitTable fit = projectFit();
    if (panelShown)
        fitStatisticsPanel_->setFit(fit);
    if (lineShown) {
        const auto column = static_cast<std::size_t>(std::clamp(shown->column, 1, kSeriesCount) - 1);
        fitLine->setText(
            QString::fromUtf8(kSeriesHeadings[column]) + u":   "_s + FitLineText(fit[column]));
    } else {
        fitLine->clear();
    }
}

void TForm1::fitStatisticsButtonClick()
{
    if (!fitStatisticsPanel_)
        fitStatisticsPanel_ = new FitStatisticsPanel(this);
    fitStatisticsPanel_->show();
    fitStatisticsPanel_->raise();
    refreshFit();
}

void TForm1::calibrateButtonClick()
{
    CheckRunnable(state_);
    keepRecoveryCopy();
    ObservedSeries observed
        = MeasuredValues(observedGrid_, state_.observedLength, state_.simulationLength);
    if (std::all_of(observed.begin(), observed.end(), [](const auto &s) { return s.empty(); }))
        throw Error("There are no observed values to calibrate against. Type the measurements "
                    "into \"Observed values\" (0.0001 marks a day without one).");
    if (calibrationDialog_)
        calibrationDialog_->close();

    auto *dialog = new CalibrationDialog(dialogs_, MakeRunInput(state_), std::move(observed), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The project stays as it is while the dialog is open: what it applies fits the copy it has.
    dialog->setWindowModality(Qt::WindowModal);
    dialog->apply = [this](const ModelParameters &parameters) {
        bool applied = false;
        run([&] { applied = applyCalibration(parameters); });
        return applied;
    };
    dialog->undo = [this] {
        std::optional<ModelParameters> parameters;
        run([&] { parameters = UndoCalibrationClick(); });
        return parameters;
    };
    dialog->setUndoAvailable(calibrationUndoable());
    calibrationDialog_ = dialog;
    dialog->show();
}

bool TForm1::applyCalibration(const ModelParameters &parameters)
{
    CheckRunnable(state_);
    RunResult before = RecordsAsRun(state_);
    const ModelParameters previous = state_.parameters;
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        parameterEdits[static_cast<std::size_t>(i)]->setText(ui::NumberText(parameters.get(p)));
    }
    // The fields hold the screen form of each value; the records take the values themselves.
    state_.parameters = parameters;
    parametersBeforeCalibration_ = previous;
    runBeforeCalibration_ = std::move(before);
    calibratedStepsPerDay_ = state_.stepsPerDay;
    calibratedClimate_ = state_.climate;
    Button8Click();
    return true;
}

std::optional<ModelParameters> TForm1::UndoCalibrationClick()
{
    if (!parametersBeforeCalibration_ || !runBeforeCalibration_)
        return std::nullopt;
    std::vector<DayValues> days;
    for (const DayNode &node : state_.days.active())
        days.push_back(node.day);
    const bool unchanged = state_.stepsPerDay == calibratedStepsPerDay_
        && state_.climate == calibratedClimate_
        && days.size() == runBeforeCalibration_->days.size()
        && ReplacedInputs(state_.initial, std::move(days))
            == ReplacedInputs(runBeforeCalibration_->initial, runBeforeCalibration_->days);
    if (!unchanged) {
        parametersBeforeCalibration_.reset();
        runBeforeCalibration_.reset();
        throw Error("The project's forcing data, initial values, time step or climate changed "
                    "after the calibration was applied, so it can no longer be undone.");
    }

    const ModelParameters previous = *parametersBeforeCalibration_;
    RunResult before = std::move(*runBeforeCalibration_);
    parametersBeforeCalibration_.reset();
    runBeforeCalibration_.reset();
    CommitRun(std::move(before), state_);
    state_.parameters = previous;
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        parameterEdits[static_cast<std::size_t>(i)]->setText(ui::NumberText(previous.get(p)));
    }
    state_.parameters = previous;
    FillSimulationDataSheet(state_, dataGrid_, kRunSheet);
    dataGridChanged();
    resultsChanged();
    return previous;
}

} // namespace carexa
