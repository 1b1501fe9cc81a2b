// The analyses of the Simulate screen: sensitivity, uncertainty and the result explorer. Each
// runs in a window of its own on copies of the project, so the project never changes.

#include "analysis/observations.h"
#include "model/error.h"
#include "simulation/simulation_run.h"
#include "ui/calibration_dialog.h"
#include "ui/result_explorer.h"
#include "ui/sensitivity_dialog.h"
#include "ui/tform1.h"
#include "ui/uncertainty_dialog.h"
#include "ui/widget_factory.h"

#include <QGroupBox>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

// Brings a window of the program to the front.
void ShowWindow(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void TForm1::buildAnalysisButtons(int top, int pitch, int height)
{
    // The analysis slots below the graph buttons: 0 and 1 are fit statistics and calibration.
    const auto slot = [&](int index) { return top + index * pitch; };
    sensitivityButton = makeButton(SimulateBox, u"sensitivityButton"_s, u"Sensitivity..."_s, 16,
        slot(2), 200, height, &TForm1::SensitivityClick);
    uncertaintyButton = makeButton(SimulateBox, u"uncertaintyButton"_s, u"Uncertainty..."_s, 16,
        slot(3), 200, height, &TForm1::UncertaintyClick);
    exploreResultsButton = makeButton(SimulateBox, u"exploreResultsButton"_s,
        u"Explore results..."_s, 16, slot(4), 200, height, &TForm1::ExploreResultsClick);
}

void TForm1::SensitivityClick()
{
    if (!sensitivityDialog) {
        sensitivityDialog = new SensitivityDialog(
            dialogs_,
            [this] {
                CheckRunnable(state_);
                keepRecoveryCopy();
                return MakeRunInput(state_);
            },
            this);
        sensitivityDialog->setClimate(state_.climate);
    }
    sensitivityDialog->setProjectFile(projectFile_);
    ShowWindow(sensitivityDialog);
}

void TForm1::UncertaintyClick()
{
    if (!uncertaintyDialog) {
        uncertaintyDialog = new UncertaintyDialog(
            dialogs_,
            [this] {
                CheckRunnable(state_);
                keepRecoveryCopy();
                bandGeneration_ = resultsGeneration_;
                return UncertaintyProject {MakeRunInput(state_),
                    MeasuredValues(observedGrid_, state_.observedLength, state_.simulationLength)};
            },
            [this](const UncertaintyResult &result) {
                // A band started before the results changed belongs to the earlier ones.
                if (bandGeneration_ != resultsGeneration_ || result.days != state_.simulationLength)
                    return false;
                uncertaintyBands_ = result.bands;
                if (resultExplorer && resultExplorer->isVisible())
                    resultExplorer->setData(explorerData());
                return true;
            },
            [this] { run(&TForm1::ExploreResultsClick); }, this);
        // "Use ranges": the calibration opens with the conditioned ranges as its bounds.
        uncertaintyDialog->useRanges = [this](const auto &ranges, const auto &varied) {
            run(&TForm1::calibrateButtonClick);
            if (calibrationDialog_)
                calibrationDialog_->setBounds(ranges, varied);
        };
        uncertaintyDialog->setClimate(state_.climate);
    }
    uncertaintyDialog->setProjectFile(projectFile_);
    ShowWindow(uncertaintyDialog);
}

ExplorerData TForm1::explorerData() const
{
    ExplorerData data;
    data.current = ExplorerRunOf(state_);
    if (runBeforeCalibration_)
        data.previous = ExplorerRunOf(*runBeforeCalibration_);
    data.bands = uncertaintyBands_;
    data.observed = MeasuredValues(observedGrid_, state_.observedLength, state_.simulationLength);
    return data;
}

void TForm1::ExploreResultsClick()
{
    if (!resultExplorer)
        resultExplorer = new ResultExplorer(dialogs_, this);
    resultExplorer->setData(explorerData());
    resultExplorer->setProjectFile(projectFile_);
    ShowWindow(resultExplorer);
}

void TForm1::resultsChanged()
{
    ++resultsGeneration_;
    uncertaintyBands_.reset();
    if (resultExplorer && resultExplorer->isVisible())
        resultExplorer->setData(explorerData());
}

void TForm1::closeAnalyses()
{
    ++resultsGeneration_;
    uncertaintyBands_.reset();
    // A calibration belongs to the project it was applied to.
    parametersBeforeCalibration_.reset();
    runBeforeCalibration_.reset();
    // Each window is built afresh for the next project, with its climate's ranges.
    if (sensitivityDialog) {
        sensitivityDialog->abandon();
        delete sensitivityDialog;
        sensitivityDialog = nullptr;
    }
    if (uncertaintyDialog) {
        uncertaintyDialog->abandon();
        delete uncertaintyDialog;
        uncertaintyDialog = nullptr;
    }
    if (resultExplorer) {
        delete resultExplorer;
        resultExplorer = nullptr;
    }
}

} // namespace carexa
