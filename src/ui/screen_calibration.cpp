// Fit statistics and calibration: the buttons on the Simulate and Parameters screens, the fit
// line under the graph, and applying or undoing a calibration.

#include "analysis/calibration.h"
#include "analysis/observations.h"
#include "model/error.h"
#include "project/file_fingerprint.h"
#include "project/kept_analyses.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"
#include "ui/calibration_dialog.h"
#include "ui/confidence_panel.h"
#include "ui/fit_statistics_panel.h"
#include "ui/graph_box.h"
#include "ui/project_grid_models.h"
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
    for (GridModel *model : std::initializer_list<GridModel *> {dataModel_, observedModel_}) {
        connect(model, &QAbstractItemModel::modelReset, this, &TForm1::refreshFit);
        connect(model, &QAbstractItemModel::dataChanged, pending, qOverload<>(&QTimer::start));
    }
    connect(CheckObs, &QCheckBox::toggled, this, &TForm1::refreshFit);
    // New results fill the sheet afresh; results that went out of date are marked where shown.
    project_.subscribe([this](const ProjectChange &change) {
        if (change.parts.contains(ProjectPart::Results))
            sheetFill_.gridRevision = ~std::uint64_t {0};
        showResultStaleness();
    });
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
    std::optional<FrozenRun> scratch;
    return SeriesFit(MeasuredValues(project_.observed(), project_.state().observedLength, project_.state().simulationLength),
        shownRun(scratch).series);
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
    if (panelShown) {
        fitStatisticsPanel_->setFit(fit);
        fitStatisticsPanel_->setStale(project_.stale(Derived::Fit));
    }
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
    CheckRunnable(project_.state());
    keepRecoveryCopy();
    ObservedSeries observed
        = MeasuredValues(project_.observed(), project_.state().observedLength, project_.state().simulationLength);
    if (std::all_of(observed.begin(), observed.end(), [](const auto &s) { return s.empty(); }))
        throw Error("There are no observed values to calibrate against. Type the measurements "
                    "into \"Observed values\" (0.0001 marks a day without one).");
    if (calibrationDialog_)
        calibrationDialog_->close();

    auto *dialog = new CalibrationDialog(dialogs_, project_.runInput(), std::move(observed), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The project stays as it is while the dialog is open: what it applies fits the copy it has.
    // Should it change all the same, the dialog is told and applies nothing; the parameters it
    // applies or undoes itself (and what their runs write back) are its own changes.
    dialog->setWindowModality(Qt::WindowModal);
    auto basis = std::make_shared<std::uint64_t>(calibrationBasis());
    dialog->copyCurrent = [this, basis] {
        return calibrationBasis() == *basis;
    };
    dialog->apply = [this, basis, dialog](const ModelParameters &parameters) {
        bool applied = false;
        run([&] { applied = applyCalibration(parameters); });
        if (applied)
            *basis = calibrationBasis();
        // The design report keeps the calibration as applied, judged by the calibrated project.
        if (applied && dialog->result() && dialog->calibratedWith()) {
            const auto &confidence = dialog->confidencePanel->result();
            KeptAnalyses calibrated;
            calibrated.calibration = KeepCalibration(*dialog->calibratedWith(), *dialog->result(),
                confidence ? &*confidence : nullptr, project_.runInputsFingerprint());
            project_.keepAnalyses(calibrated);
        }
        return applied;
    };
    dialog->undo = [this, basis] {
        std::optional<ModelParameters> parameters;
        run([&] { parameters = UndoCalibrationClick(); });
        if (parameters)
            *basis = calibrationBasis();
        return parameters;
    };
    dialog->setUndoAvailable(calibrationUndoable());
    calibrationDialog_ = dialog;
    dialog->show();
}

std::uint64_t TForm1::calibrationBasis() const
{
    Fingerprint print;
    print.add(static_cast<std::int64_t>(project_.runInputsButParametersFingerprint()));
    print.add(static_cast<std::int64_t>(project_.state().observedLength));
    print.add(static_cast<std::int64_t>(
        GridFingerprint(project_.observed(), kSeriesCount, project_.state().observedLength)));
    return print.value();
}

// The calibrated parameters are run in the background on a copy; the project takes the run, and
// keeps the one from before for undoing, only if nothing changed meanwhile.
bool TForm1::applyCalibration(const ModelParameters &parameters)
{
    CheckRunnable(project_.state());
    const std::uint64_t inputs = project_.runInputsFingerprint();
    RunInput input = project_.runInput();
    input.parameters = parameters;
    RunResult result;
    if (!simulateInBackground(std::move(input), result))
        return false;
    const bool completed = result.completed;
    const std::string failure = result.message;
    project_.applyCalibration(parameters, std::move(result), inputs);
    // The fields show the screen form of each value; the project keeps the values themselves.
    fillParameterEdits();
    fillDataSheet(kRunSheet);
    resultsChanged();
    if (!completed)
        message(QString::fromStdString(failure));
    return true;
}

std::optional<ModelParameters> TForm1::UndoCalibrationClick()
{
    if (!project_.calibrationUndo())
        return std::nullopt;
    // Refused (and the undo dropped) when the other inputs changed since.
    project_.undoCalibration();
    const ModelParameters previous = project_.state().parameters;
    fillParameterEdits();
    fillDataSheet(kRunSheet);
    resultsChanged();
    return previous;
}

} // namespace carexa
