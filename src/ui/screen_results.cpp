// The results of the Simulate screen: the graphs, the data sheet panel and the observed values
// panel.

#include "model/forcing_grid.h"
#include "model/number_text.h"
#include "model/numeric_input.h"
#include "model/observed_grid.h"
#include "results/data_sheet.h"
#include "ui/background_task.h"
#include "ui/finally.h"
#include "ui/graph_box.h"
#include "ui/grid_view.h"
#include "ui/project_grid_models.h"
#include "ui/text_grid_model.h"
#include "ui/tform1.h"
#include "ui/widget_factory.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

const QString kDataSheetCaption = u"Data Sheet for Simulation"_s;

QFrame *MakePanel(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setGeometry(geometry);
    frame->setAutoFillBackground(true);
    frame->hide();
    return frame;
}

QLabel *MakeTitle(QWidget *panel, const QString &text, const QString &name)
{
    QLabel *title = ui::MakeLabel(panel, text, 16, 8, 500, 24, name);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() + 2);
    title->setFont(font);
    return title;
}

} // namespace

GridView *TForm1::makePanelGrid(QWidget *panel, const QString &name, GridModel *model)
{
    auto *grid = new GridView(panel);
    grid->setObjectName(name);
    grid->setGeometry(16, 40, 801, 441);
    grid->setGridModel(model);
    return grid;
}

void TForm1::buildDataPanel()
{
    DataPanel = MakePanel(Client, u"DataPanel"_s, QRect(16, 72, 841, 529));
    // The caption says which table the grid holds; at start it holds the simulation data sheet.
    Label46 = MakeTitle(DataPanel, kDataSheetCaption, u"Label46"_s);
    DataGrid = makePanelGrid(DataPanel, u"DataGrid"_s, dataModel_);
    // The tables are results: they are copied, not pasted into.
    setUpGridEditing(DataGrid, false, nullptr);
    Button23 = makeButton(
        DataPanel, u"Button23"_s, u"Close"_s, 744, 496, 75, 25, &TForm1::Button23Click);
}

void TForm1::buildObservedPanel()
{
    ObservedPanel = MakePanel(Client, u"ObservedPanel"_s, QRect(24, 72, 833, 529));
    Label9 = MakeTitle(ObservedPanel, QString(), u"Label9"_s);
    ObservedGrid = makePanelGrid(ObservedPanel, u"ObservedGrid"_s, observedModel_);
    setUpGridEditing(ObservedGrid, true,
        [this](int firstDay, int lastDay) { return extendObservedDays(firstDay, lastDay); });
    // The caption ends where the field begins, whatever the width of the font.
    QLabel *lengthCaption
        = ui::MakeLabel(ObservedPanel, u"Edit Observed length:"_s, 8, 496, 140, 20, u"Label10"_s);
    lengthCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Edit5 = ui::MakeEdit(ObservedPanel, u"Edit5"_s, 154, 493, 49, 21);
    bindExit(Edit5, &TForm1::Edit5Exit);
    ui::MakeLabel(ObservedPanel, u"Days"_s, 208, 496, -1, 20, u"Label11"_s);
    Button30 = makeButton(ObservedPanel, u"Button30"_s, u"Fill empty days"_s, 360, 488, 129, 24,
        &TForm1::Button30Click);
    Button29 = makeButton(
        ObservedPanel, u"Button29"_s, u"Close"_s, 744, 496, 75, 25, &TForm1::Button29Click);
}

void TForm1::dataGridChanged()
{
    dataModel_->reload();
    refreshGraph();
}

const FrozenRun &TForm1::shownRun(std::optional<FrozenRun> &scratch) const
{
    if (const std::optional<FrozenRun> &run = project_.run())
        return *run;
    return scratch.emplace(RecordedRun(project_.state()));
}

// The sheet shows the results as the run computed them, whatever changed in the inputs since.
void TForm1::fillDataSheet(const SheetFormat &format)
{
    const SheetFill &last = sheetFill_;
    const bool ran = project_.run().has_value();
    TextGrid &sheet = dataModel_->grid();
    if (last.format == format && last.gridRevision == sheet.revision()
        && (ran
            || (last.daysRevision == project_.state().days.revision() && last.initial == project_.state().initial)))
        return;
    if (ran)
        FillRunDataSheet(*project_.run(), sheet, format);
    else
        FillSimulationDataSheet(project_.state(), sheet, format);
    sheetFill_ = {format, project_.state().days.revision(), project_.state().initial, sheet.revision()};
    dataGridChanged();
}

std::vector<double> TForm1::graphValues(int column) const
{
    std::optional<FrozenRun> scratch;
    const FrozenRun &run = shownRun(scratch);
    const auto &series = run.series[static_cast<std::size_t>(std::clamp(column, 1, kSeriesCount) - 1)];
    if (!sheetFill_.format)
        return series;
    std::vector<double> values;
    values.reserve(series.size());
    for (int d = 1; d <= run.days(); ++d)
        values.push_back(SheetValue(run, *sheetFill_.format, column, d));
    return values;
}

void TForm1::runInBackground(
    const TaskDisplay &display, const std::function<void(TaskProgress &)> &work)
{
    BackgroundTask task;
    runningTask_ = &task;
    ui::RunThenAlways([&] { RunInBackground(this, display, task, work); },
        [this] { runningTask_ = nullptr; });
}

void TForm1::reloadResultGrids()
{
    dataModel_->reload();
    observedModel_->reload();
}


// ---------------------------------------------------------------------------------------------
// Graphs

GraphRequest TForm1::graphRequest(int column) const
{
    GraphRequest request;
    request.column = column;
    request.simulationDays
        = project_.run() ? project_.run()->days() : project_.state().simulationLength;
    request.stale = project_.stale(Derived::Results);
    request.observedDays = project_.state().observedLength;
    request.typedMaximum = Edit2->text().toStdString();
    request.showObserved = CheckObs->isChecked();
    return request;
}

void TForm1::showGraph(int column)
{
    const GraphRequest request = graphRequest(column);
    // Asking for a graph cleans the observed cells it reads; the views show them also when the
    // drawing stops half-way. The simulated values are the run's, never the sheet's cells.
    ui::RunThenAlways(
        [&] {
            project_.cleanGraphCells(request);
            PaintBox1->draw(request);
        },
        [this] { reloadResultGrids(); });
}

void TForm1::refreshGraph()
{
    // Only draws: the cells stay as they are.
    const GraphRequest request = graphRequest(1);
    PaintBox1->redraw(request.simulationDays, request.observedDays, request.stale);
}

void TForm1::Button11Click()
{
    showGraph(1);
}
void TForm1::Button12Click()
{
    showGraph(2);
}
void TForm1::Button13Click()
{
    showGraph(3);
}
void TForm1::Button14Click()
{
    showGraph(4);
}
void TForm1::Button15Click()
{
    showGraph(5);
}
void TForm1::Button16Click()
{
    showGraph(6);
}
void TForm1::Button17Click()
{
    showGraph(7);
}
void TForm1::Button19Click()
{
    showGraph(8);
}
void TForm1::Button18Click()
{
    showGraph(9);
}
void TForm1::Button20Click()
{
    showGraph(10);
}
void TForm1::Button21Click()
{
    showGraph(11);
}

// ---------------------------------------------------------------------------------------------
// Data sheets

void TForm1::Button9Click()
{
    SimulateBox->hide();
    DataPanel->show();
    DataPanel->raise();
    Label46->setText(kDataSheetCaption);
    additionalShown_ = false;
    DataGrid->setGridModel(dataModel_);
    fillDataSheet(kDataSheetButton);
}

// The additional results have a grid of their own, so the data sheet that graphs and prints read
// stays as it is; they are filled again only when the days or the table's cells changed since.
void TForm1::Button22Click()
{
    SimulateBox->hide();
    DataPanel->show();
    DataPanel->raise();
    Label46->setText(u"Additional results"_s);
    additionalShown_ = true;
    if (!additionalFilled_ || additionalDaysRevision_ != project_.state().days.revision()
        || additionalGridRevision_ != additionalModel_->grid().revision()) {
        TextGrid table(5, 5);
        TaskDisplay display;
        display.label = u"Filling the additional results..."_s;
        display.cancellable = false;
        const ModelState &project = project_.state();
        runInBackground(display,
            [&project, &table](TaskProgress &) { FillAdditionalResults(project, table); });
        additionalModel_->setGrid(std::move(table));
        additionalDaysRevision_ = project_.state().days.revision();
        additionalGridRevision_ = additionalModel_->grid().revision();
        additionalFilled_ = true;
    }
    DataGrid->setGridModel(additionalModel_);
}

void TForm1::Button23Click()
{
    // Graphs and prints read the simulation data sheet, so it goes back in.
    if (additionalShown_) {
        additionalShown_ = false;
        Label46->setText(kDataSheetCaption);
        DataGrid->setGridModel(dataModel_);
        fillDataSheet(kCloseSheet);
    }
    DataPanel->hide();
    SimulateBox->show();
}

// ---------------------------------------------------------------------------------------------
// Observed values

void TForm1::Button10Click()
{
    SimulateBox->hide();
    ObservedPanel->show();
    ObservedPanel->raise();
    Label9->setText(u"Observed Values"_s);
}

void TForm1::Button29Click()
{
    ObservedPanel->hide();
    SimulateBox->show();
    refreshGraph();
}

void TForm1::Edit5Exit()
{
    ValidateNumericField(Edit5, kForbiddenIntegerCharacters);
    if (Edit5->text().isEmpty())
        return;
    const std::int32_t length = ParseInteger(Edit5->text().toStdString());
    if (length >= 0
        && !confirmShortening(Edit5, length, project_.state().observedLength,
            ObservedDaysHoldData(project_.observed(), length + 1, project_.state().observedLength)))
        return;
    changeObservedLength(length);
}

void TForm1::changeObservedLength(std::int32_t length)
{
    project_.setObservedLength(length);
}

std::optional<int> TForm1::extendObservedDays(int firstDay, int lastDay)
{
    switch (askToExtend(firstDay, lastDay, project_.state().observedLength)) {
    case UserDialogs::Answer::Yes:
        changeObservedLength(lastDay);
        Edit5->setText(QString::number(project_.state().observedLength));
        return lastDay;
    case UserDialogs::Answer::No:
        return project_.state().observedLength;
    case UserDialogs::Answer::Cancel:
        break;
    }
    return std::nullopt;
}

void TForm1::Button30Click()
{
    project_.fillEmptyObservedDays();
}

} // namespace carexa
