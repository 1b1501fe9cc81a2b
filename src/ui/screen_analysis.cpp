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

#include <memory>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

// A run of the project as the explorer draws it: its results as computed and the box values of
// its days (days added since have none).
ExplorerRun ExplorerRunOf(const FrozenRun &run, const std::vector<BoxValues> &boxes)
{
    ExplorerRun explorer;
    explorer.series = run.series;
    explorer.boxes.assign(boxes.begin(),
        boxes.begin() + std::min<std::ptrdiff_t>(run.days(), std::ssize(boxes)));
    return explorer;
}

std::vector<BoxValues> BoxesOf(const ModelState &state)
{
    std::vector<BoxValues> boxes;
    boxes.reserve(static_cast<std::size_t>(state.days.activeCount()));
    for (const DayNode &node : state.days.active())
        boxes.push_back(node.box);
    return boxes;
}

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
                CheckRunnable(project_.state());
                keepRecoveryCopy();
                return MakeRunInput(project_.state());
            },
            this);
        sensitivityDialog->setClimate(project_.state().climate);
        keepAnalysesOf(sensitivityDialog);
    }
    sensitivityDialog->setProjectFile(projectFile_);
    ShowWindow(sensitivityDialog);
}

void TForm1::UncertaintyClick()
{
    if (!uncertaintyDialog) {
        // What the project's run inputs were when the samples started: the project keeps the
        // bands only if they still are.
        auto started = std::make_shared<std::uint64_t>(0);
        uncertaintyDialog = new UncertaintyDialog(
            dialogs_,
            [this, started] {
                CheckRunnable(project_.state());
                keepRecoveryCopy();
                *started = project_.runInputsFingerprint();
                return UncertaintyProject {project_.runInput(),
                    MeasuredValues(project_.observed(), project_.state().observedLength, project_.state().simulationLength)};
            },
            [this, started](const UncertaintyResult &result) {
                ProjectBands bands;
                bands.inputs = *started;
                for (std::size_t c = 0; c < bands.series.size(); ++c)
                    bands.series[c] = {
                        result.bands[c].lower, result.bands[c].median, result.bands[c].upper};
                if (!project_.setBands(std::move(bands)))
                    return false;
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
        uncertaintyDialog->setClimate(project_.state().climate);
        keepAnalysesOf(uncertaintyDialog);
    }
    uncertaintyDialog->setProjectFile(projectFile_);
    ShowWindow(uncertaintyDialog);
}

// What an analysis dialog finishes goes to the design report's analyses (kept in the side file
// with the next save), with the fingerprint of the run inputs it started from.
void TForm1::keepAnalysesOf(AnalysisDialog *dialog)
{
    dialog->inputsFingerprint = [this] { return project_.runInputsFingerprint(); };
    dialog->keep = [this](const std::function<void(KeptAnalyses &kept)> &change) {
        KeptAnalyses ran;
        change(ran);
        project_.keepAnalyses(ran);
    };
}

std::optional<std::array<PredictionBand, kSeriesCount>> TForm1::uncertaintyBands() const
{
    const std::optional<ProjectBands> &kept = project_.bands();
    if (!kept)
        return std::nullopt;
    std::array<PredictionBand, kSeriesCount> bands;
    for (std::size_t c = 0; c < bands.size(); ++c)
        bands[c] = {kept->series[c].lower, kept->series[c].median, kept->series[c].upper};
    return bands;
}

ExplorerData TForm1::explorerData() const
{
    ExplorerData data;
    std::optional<FrozenRun> scratch;
    data.current = ExplorerRunOf(shownRun(scratch), BoxesOf(project_.state()));
    if (const std::optional<CalibrationUndo> &undo = project_.calibrationUndo()) {
        const std::vector<BoxValues> &boxes = undo->run.boxes;
        data.previous = ExplorerRunOf(undo->frozen, boxes);
    }
    data.bands = uncertaintyBands();
    data.observed = MeasuredValues(project_.observed(), project_.state().observedLength, project_.state().simulationLength);
    data.resultsStale = project_.stale(Derived::Results);
    data.bandsStale = project_.stale(Derived::Bands);
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
    if (resultExplorer && resultExplorer->isVisible())
        resultExplorer->setData(explorerData());
}

void TForm1::closeAnalyses()
{
    // The project drops the bands and the calibration undo with the project they belong to.
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
