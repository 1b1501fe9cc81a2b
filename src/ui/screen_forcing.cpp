// The Forcing Functions screen: the daily forcing grid, the bed's fields and the grid buttons.

#include "model/design.h"
#include "model/error.h"
#include "model/forcing_grid.h"
#include "model/number_text.h"
#include "model/numeric_input.h"
#include "ui/finally.h"
#include "ui/grid_view.h"
#include "ui/project_grid_models.h"
#include "ui/tform1.h"
#include "ui/user_dialogs.h"
#include "ui/widget_factory.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

constexpr int kHintDurationMs = 3500;

} // namespace

void TForm1::buildForcingScreen()
{
    DesignBox = makeScreen(u"DesignBox"_s, u"Forcing Functions"_s);
    QWidget *box = DesignBox;

    InfluenceGrid = new GridView(box);
    InfluenceGrid->setObjectName(u"InfluenceGrid"_s);
    InfluenceGrid->setGeometry(12, 26, 650, 494);
    InfluenceGrid->setGridModel(influenceModel_);
    InfluenceGrid->setToolTip(QString::fromStdString(ForcingLegend()));
    InfluenceGrid->setToolTipDuration(kHintDurationMs);
    bindExit(InfluenceGrid, &TForm1::InfluenceGridExit);
    setUpGridEditing(InfluenceGrid, true,
        [this](int firstDay, int lastDay) { return extendForcingDays(firstDay, lastDay); });

    const int x = 672;
    ui::MakeLabel(box, u"Volume"_s, x, 24);
    Edit1 = ui::MakeEdit(box, u"Edit1"_s, x, 42, 96);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    ui::MakeLabel(box, u"m3"_s, x + 102, 43);
    bindExit(Edit1, &TForm1::Edit1Exit);

    ui::MakeLabel(box, u"Porosity"_s, x, 72);
    Edit3 = ui::MakeEdit(box, u"Edit3"_s, x, 90, 96);
    ui::MakeLabel(box, u"(fraction)"_s, x + 100, 91);
    bindExit(Edit3, &TForm1::Edit3Exit);

    ui::MakeLabel(box, u"Average oxygen"_s, x, 120);
    QLineEdit **oxygen[] = {&Edit11, &Edit12, &Edit13, &Edit14, &Edit15};
    const Handler oxygenExits[] = {&TForm1::Edit11Exit, &TForm1::Edit12Exit, &TForm1::Edit13Exit,
        &TForm1::Edit14Exit, &TForm1::Edit15Exit};
    for (int i = 0; i < 5; ++i) {
        const int y = 140 + 25 * i;
        ui::MakeLabel(box, u"Box %1"_s.arg(QChar(u'A' + i)), x, y + 1, 44);
        *oxygen[i] = ui::MakeEdit(box, u"Edit%1"_s.arg(11 + i), x + 46, y, 70);
        ui::MakeLabel(box, u"mg/l"_s, x + 122, y + 1);
        bindExit(*oxygen[i], oxygenExits[i]);
    }

    ui::MakeLabel(box, u"Length of Simulation:"_s, x, 270);
    Edit19 = ui::MakeEdit(box, u"Edit19"_s, x, 288, 96);
    ui::MakeLabel(box, u"days"_s, x + 102, 289);
    bindExit(Edit19, &TForm1::Edit19Exit);

    Button3 = makeButton(
        box, u"Button3"_s, u"Calculate water volume"_s, x, 322, 158, 28, &TForm1::Button3Click);
    Edit4 = ui::MakeEdit(box, u"Edit4"_s, x, 354, 96);
    ui::MakeLabel(box, u"m3"_s, x + 102, 355);
    Button28 = makeButton(
        box, u"Button28"_s, u"Calculate RTB values"_s, x, 386, 158, 28, &TForm1::Button28Click);
    Button1 = makeButton(
        box, u"Button1"_s, u"Fill empty days"_s, x, 420, 158, 28, &TForm1::Button1Click);
    Button31
        = makeButton(box, u"Button31"_s, u"Reset grid"_s, x, 454, 158, 28, &TForm1::Button31Click);
    Button37
        = makeButton(box, u"Button37"_s, u"Apply PF"_s, x, 488, 158, 28, &TForm1::Button37Click);

    Label13 = ui::MakeLabel(box,
        u"Warning: Simulation length too small to accommodate current RTB values"_s, 12, 524, 650,
        20, u"Label13"_s);
    Label13->setStyleSheet(u"color: #b00000; font-weight: bold"_s);
    Label13->hide();

    staleForcingLabel = ui::MakeLabel(box, QString(), 140, 550, 524, 34, u"staleForcingLabel"_s);
    staleForcingLabel->setWordWrap(true);
    staleForcingLabel->setStyleSheet(u"color: #9a5b00"_s);
    staleForcingLabel->hide();
    project_.subscribe([this](const ProjectChange &) { showStaleness(); });

    Button36
        = makeButton(box, u"Button36"_s, u"<- Design"_s, 12, 552, 120, 30, &TForm1::Button36Click);
    Button4 = makeButton(
        box, u"Button4"_s, u"Initial values ->"_s, 672, 552, 156, 30, &TForm1::Button4Click);

    ResetControl = new QFrame(box);
    ResetControl->setObjectName(u"ResetControl"_s);
    ResetControl->setFrameShape(QFrame::Panel);
    ResetControl->setFrameShadow(QFrame::Raised);
    ResetControl->setLineWidth(2);
    ResetControl->setAutoFillBackground(true);
    QPalette panel = ResetControl->palette();
    panel.setColor(QPalette::Window, QColor(240, 240, 240));
    ResetControl->setPalette(panel);
    ResetControl->setGeometry(180, 190, 280, 116);
    ui::MakeLabel(ResetControl, u"Are you sure you want to reset"_s, 0, 16, 280)
        ->setAlignment(Qt::AlignCenter);
    ui::MakeLabel(ResetControl, u"all data in this grid?"_s, 0, 36, 280)
        ->setAlignment(Qt::AlignCenter);
    Button32 = makeButton(
        ResetControl, u"Button32"_s, u"Reset"_s, 40, 72, 90, 28, &TForm1::Button32Click);
    Button33 = makeButton(
        ResetControl, u"Button33"_s, u"Cancel"_s, 150, 72, 90, 28, &TForm1::Button33Click);
    ResetControl->hide();
}

void TForm1::reloadInfluenceGrid()
{
    influenceModel_->reload();
}

// Whatever a change of the grid reached is shown, also when a cell stops it half-way.
void TForm1::changeInfluenceGrid(const std::function<void()> &change)
{
    ui::RunThenAlways(change, [this] { reloadInfluenceGrid(); });
}

void TForm1::applyRetentionWarning()
{
    Label13->setVisible(RetentionWarning(project_.state()));
}

// Every cell is in the project as soon as it is typed; leaving the grid says which cell still
// holds a text that is no number (the project keeps it for the cell, the day keeps its value).
void TForm1::InfluenceGridExit()
{
    applyRetentionWarning();
    project_.checkForcingCells();
}

// A paste past the last day: with Yes the cells typed so far go into the days first (the new
// length lays the grid out again from the days), then the length changes as "Length of
// Simulation" changes it.
std::optional<int> TForm1::extendForcingDays(int firstDay, int lastDay)
{
    switch (askToExtend(firstDay, lastDay, project_.state().simulationLength)) {
    case UserDialogs::Answer::Yes:
        changeSimulationLength(lastDay);
        Edit19->setText(QString::number(project_.state().simulationLength));
        return lastDay;
    case UserDialogs::Answer::No:
        return project_.state().simulationLength;
    case UserDialogs::Answer::Cancel:
        break;
    }
    return std::nullopt;
}

void TForm1::Button1Click()
{
    changeInfluenceGrid([this] { project_.fillEmptyForcingDays(); });
}

void TForm1::Button3Click()
{
    recalculateWaterVolume();
}

void TForm1::Button28Click()
{
    recalculateRetentionTimes();
}

void TForm1::Button31Click()
{
    ResetControl->show();
    ResetControl->raise();
}

void TForm1::Button32Click()
{
    ResetControl->hide();
    changeInfluenceGrid([this] { project_.resetForcing(); });
}

void TForm1::Button33Click()
{
    ResetControl->hide();
}

void TForm1::Button37Click()
{
    if (!dialogs_.confirm(this,
            u"This will devide Day 1: BOD5, Nitrate, Ammonium, total P., Org. Nit, POM, PON, POP "
            "with PF. Are you sure you want to proceed?"_s,
            u"Warning"_s))
        return;
    changeInfluenceGrid([this] { project_.applyPrecipitationFactor(); });
}

void TForm1::Edit1Exit()
{ }

void TForm1::Edit3Exit()
{
    dayFieldExit(Edit3, DayField::porosity);
}
void TForm1::Edit11Exit()
{
    dayFieldExit(Edit11, DayField::oxygenA);
}
void TForm1::Edit12Exit()
{
    dayFieldExit(Edit12, DayField::oxygenB);
}
void TForm1::Edit13Exit()
{
    dayFieldExit(Edit13, DayField::oxygenC);
}
void TForm1::Edit14Exit()
{
    dayFieldExit(Edit14, DayField::oxygenD);
}
void TForm1::Edit15Exit()
{
    dayFieldExit(Edit15, DayField::oxygenE);
}

void TForm1::Edit19Exit()
{
    ValidateNumericField(Edit19, kForbiddenIntegerCharacters);
    const QString text = Edit19->text();
    if (text.isEmpty())
        return;
    const std::int32_t length = ParseInteger(text.toStdString());
    if (length == project_.state().simulationLength)
        return;
    if (length >= 1
        && !confirmShortening(Edit19, length, project_.state().simulationLength,
            project_.forcingDaysHoldData(length + 1, project_.state().simulationLength)))
        return;
    changeSimulationLength(length);
}

void TForm1::changeSimulationLength(std::int32_t length)
{
    try {
        project_.setSimulationLength(length);
    } catch (const Error &) {
        // The length stays as it was, and so does the field.
        Edit19->setText(QString::number(project_.state().simulationLength));
        throw;
    }
    reloadInfluenceGrid();
    applyRetentionWarning();
}

} // namespace carexa
