// The Simulate screen: the time step, the run with its progress bar, and the result controls.

#include "model/error.h"
#include "model/number_text.h"
#include "model/numeric_input.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"
#include "ui/background_task.h"
#include "ui/graph_box.h"
#include "ui/text_grid_model.h"
#include "ui/tform1.h"
#include "ui/widget_factory.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

// The left column: the eleven graph buttons from the top of the graph down, then the analysis
// buttons (fit statistics, calibration, sensitivity, uncertainty, result explorer) in the slots
// below them, one every kButtonPitch pixels from kAnalysisTop.
constexpr int kButtonHeight = 26;
constexpr int kButtonPitch = 29;
constexpr int kAnalysisTop = 68 + 11 * kButtonPitch;

} // namespace

void TForm1::buildSimulateScreen()
{
    SimulateBox = makeScreen(u"SimulateBox"_s, u"Simulate"_s);
    QWidget *box = SimulateBox;

    ui::MakeLabel(box, u"Time step: "_s, 16, 31);
    Edit36 = ui::MakeEdit(box, u"Edit36"_s, 86, 30, 60);
    bindChange(Edit36, &TForm1::Edit36Change);
    Button8 = makeButton(box, u"Button8"_s, u"Simulate"_s, 160, 27, 100, 28, &TForm1::Button8Click);
    ProgressBar1 = new QProgressBar(box);
    ProgressBar1->setObjectName(u"ProgressBar1"_s);
    ProgressBar1->setGeometry(276, 30, 548, 22);
    // Stands over the end of the bar while a run goes on.
    cancelRunButton = ui::MakeButton(box, u"cancelRunButton"_s, u"Cancel"_s, 734, 27, 90, 28);
    cancelRunButton->setToolTip(u"Stops the run; the project keeps its previous results (Esc)"_s);
    cancelRunButton->hide();
    ProgressBar1->setRange(1, project_.state().simulationLength);
    ProgressBar1->setValue(1);
    ProgressBar1->setTextVisible(false);

    // The graph buttons stand in the order of their series; Button19 stands above Button18.
    const std::pair<int, QString> graphs[] = {{11, u"BODS out"_s}, {12, u"Nitrate out"_s},
        {13, u"Ammonium out"_s}, {14, u"Total phosphorous out"_s}, {15, u"Organic nitrogen out"_s},
        {16, u"Efficiency BOD5 rem."_s}, {17, u"Efficiency nitrate rem."_s},
        {19, u"Efficiency ammo. rem."_s}, {18, u"Efficiency phos. rem."_s},
        {20, u"Efficiency organic N rem."_s}, {21, u"Efficiency total N rem."_s}};
    const Handler handlers[] = {&TForm1::Button11Click, &TForm1::Button12Click,
        &TForm1::Button13Click, &TForm1::Button14Click, &TForm1::Button15Click,
        &TForm1::Button16Click, &TForm1::Button17Click, &TForm1::Button19Click,
        &TForm1::Button18Click, &TForm1::Button20Click, &TForm1::Button21Click};
    for (std::size_t i = 0; i < std::size(graphs); ++i) {
        graphButtons[i] = ui::MakeButton(box, u"Button%1"_s.arg(graphs[i].first), graphs[i].second,
            16, 68 + kButtonPitch * static_cast<int>(i), 200, kButtonHeight);
        bindClick(graphButtons[i], handlers[i]);
    }

    PaintBox1 = new GraphBox([this](int column) { return graphValues(column); }, project_.observed(), box);
    PaintBox1->setObjectName(u"PaintBox1"_s);
    // The graph ends below its day labels, leaving a line for the fit of the shown series.
    PaintBox1->setGeometry(232, 68, 592, 406);

    CheckObs = new QCheckBox(u"Show observed values on graphs"_s, box);
    CheckObs->setObjectName(u"CheckObs"_s);
    CheckObs->setGeometry(232, 500, 260, 24);
    ui::MakeLabel(box, u"Y - Axis max value:"_s, 540, 502);
    Edit2 = ui::MakeEdit(box, u"Edit2"_s, 664, 500, 80);
    bindChange(Edit2, &TForm1::Edit2Change);

    Button7 = makeButton(
        box, u"Button7"_s, u"<- Parameters"_s, 12, 552, 156, 30, &TForm1::Button7Click);
    Button9
        = makeButton(box, u"Button9"_s, u"Data sheet"_s, 232, 552, 140, 30, &TForm1::Button9Click);
    Button10 = makeButton(
        box, u"Button10"_s, u"Observed values"_s, 384, 552, 140, 30, &TForm1::Button10Click);
    Button22 = makeButton(
        box, u"Button22"_s, u"Additional results"_s, 536, 552, 140, 30, &TForm1::Button22Click);
    ExportGraph = makeButton(
        box, u"ExportGraph"_s, u"Export graph..."_s, 688, 552, 140, 30, &TForm1::ExportGraphClick);
    buildFitControls(kAnalysisTop, kButtonPitch, kButtonHeight);
    buildAnalysisButtons(kAnalysisTop, kButtonPitch, kButtonHeight);
}

void TForm1::Button6Click()
{
    showScreen(SimulateScreen);
    Edit36->setText(QString::number(project_.state().stepsPerDay));
    fillDataSheet(kSimulateScreenSheet);
}

void TForm1::Edit36Change()
{
    ValidateNumericField(Edit36, kForbiddenCharacters);
    if (Edit36->text().isEmpty())
        return;
    const std::int32_t steps = TruncateToInt32(ParseDouble(Edit36->text().toStdString()));
    if (steps > kMaxStepsPerDay) // the field goes back to the time step the project keeps
        Edit36->setText(QString::number(project_.state().stepsPerDay));
    project_.setStepsPerDay(steps);
}

void TForm1::Edit2Change()
{
    ValidateNumericField(Edit2, kForbiddenCharacters);
}

// The run goes on a copy of the project in the background, with the bar moving and Cancel (or
// Esc) at hand; the project and the sheet take its results only once it has completed (or
// stopped on a day that went beyond what a number holds), so a cancelled run leaves everything
// as it was.
bool TForm1::simulateInBackground(RunInput input, RunResult &result)
{
    keepRecoveryCopy(); // a long run may be where the program is lost
    const int barBefore = ProgressBar1->value();
    ProgressBar1->setRange(1, std::max(static_cast<int>(input.days.size()), 1));
    ProgressBar1->setValue(0);
    TaskDisplay display;
    display.bar = ProgressBar1;
    display.cancelButton = cancelRunButton;
    runInBackground(display, [&input, &result](TaskProgress &task) {
        result = Simulate(std::move(input), task.callback());
    });
    if (result.cancelled) {
        ProgressBar1->setValue(barBefore);
        return false;
    }
    ProgressBar1->setValue(ProgressBar1->maximum());
    return true;
}

void TForm1::Button8Click()
{
    // A refusal (a time step below 1) comes before anything changes, the bar included.
    CheckRunnable(project_.state());
    if (!settleStaleValuesBeforeRun())
        return;
    const std::uint64_t inputs = project_.runInputsFingerprint();
    RunResult result;
    if (!simulateInBackground(project_.runInput(), result))
        return;
    const bool completed = result.completed;
    const std::string failure = result.message;
    // Refused (nothing changed) when the project changed while the run went on.
    project_.commitRun(std::move(result), inputs);
    fillDataSheet(kRunSheet);
    resultsChanged();
    if (!completed)
        message(QString::fromStdString(failure));
}

} // namespace carexa
