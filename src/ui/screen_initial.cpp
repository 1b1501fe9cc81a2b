// The Initial values screen: the starting concentration of every variable in every box.

#include "model/forcing_grid.h"
#include "model/number_text.h"
#include "model/numeric_input.h"
#include "ui/tform1.h"
#include "ui/widget_factory.h"

#include <QGroupBox>
#include <QLineEdit>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

// The edit of each concentration, in record order (BOD5, NIT, AMM, ORN, TPO; boxes A to E).
constexpr int kInitialEditNumbers[25] = {39, 40, 38, 41, 42, 43, 44, 45, 46, 47, 48, 49, 62, 50, 51,
    57, 58, 59, 60, 61, 52, 53, 54, 55, 56};

} // namespace

void TForm1::buildInitialScreen()
{
    InitialBox = makeScreen(u"InitialBox"_s, u"Initial values"_s);

    // On screen the left column runs BOD5-A to AMM-C and the right one AMM-D to ORN-E, with
    // TPO before ORN.
    constexpr Variable screenOrder[]
        = {Variable::BOD5, Variable::NIT, Variable::AMM, Variable::TPO, Variable::ORN};
    const Handler handlers[25] = {&TForm1::Edit39Change, &TForm1::Edit40Change,
        &TForm1::Edit38Change, &TForm1::Edit41Change, &TForm1::Edit42Change, &TForm1::Edit43Change,
        &TForm1::Edit44Change, &TForm1::Edit45Change, &TForm1::Edit46Change, &TForm1::Edit47Change,
        &TForm1::Edit48Change, &TForm1::Edit49Change, &TForm1::Edit62Change, &TForm1::Edit50Change,
        &TForm1::Edit51Change, &TForm1::Edit57Change, &TForm1::Edit58Change, &TForm1::Edit59Change,
        &TForm1::Edit60Change, &TForm1::Edit61Change, &TForm1::Edit52Change, &TForm1::Edit53Change,
        &TForm1::Edit54Change, &TForm1::Edit55Change, &TForm1::Edit56Change};
    int position = 0;
    for (Variable variable : screenOrder) {
        for (int box = 0; box < kBoxCount; ++box, ++position) {
            const bool left = position < 13;
            const int x = left ? 150 : 500;
            const int y = 44 + 38 * (left ? position : position - 13);
            const int index = static_cast<int>(variable) * kBoxCount + box;
            ui::MakeLabel(
                InitialBox, QString::fromStdString(ConcentrationName(variable, box)), x, y + 1, 70);
            QLineEdit *edit = ui::MakeEdit(
                InitialBox, u"Edit%1"_s.arg(kInitialEditNumbers[index]), x + 76, y, 110, 24);
            ui::MakeLabel(InitialBox, u"mg/l"_s, x + 194, y + 1);
            initialEdits[static_cast<std::size_t>(index)] = edit;
            bindChange(edit, handlers[index]);
        }
    }

    Button24 = makeButton(InitialBox, u"Button24"_s, u"<- Forcing Functions"_s, 12, 552, 156, 30,
        &TForm1::Button24Click);
    Button25 = makeButton(
        InitialBox, u"Button25"_s, u"Parameters ->"_s, 672, 552, 156, 30, &TForm1::Button25Click);
}

void TForm1::fillInitialValueEdits()
{
    for (int v = 0; v < kVariableCount; ++v) {
        for (int box = 0; box < kBoxCount; ++box) {
            const double value = project_.state().initial.concentration(static_cast<Variable>(v), box);
            initialEdits[static_cast<std::size_t>(v * kBoxCount + box)]->setText(
                QString::fromStdString(FormatGeneral(value)));
        }
    }
}

void TForm1::Button4Click()
{
    showScreen(InitialScreen);
    fillInitialValueEdits();
}

void TForm1::Button5Click()
{
    Button4Click();
}

void TForm1::Button24Click()
{
    showScreen(ForcingScreen);
    reloadInfluenceGrid();
}

void TForm1::Edit39Change()
{
    initialValueChanged(initialEdits[0], Variable::BOD5, 0);
}
void TForm1::Edit40Change()
{
    initialValueChanged(initialEdits[1], Variable::BOD5, 1);
}
void TForm1::Edit38Change()
{
    initialValueChanged(initialEdits[2], Variable::BOD5, 2);
}
void TForm1::Edit41Change()
{
    initialValueChanged(initialEdits[3], Variable::BOD5, 3);
}
void TForm1::Edit42Change()
{
    initialValueChanged(initialEdits[4], Variable::BOD5, 4);
}
void TForm1::Edit43Change()
{
    initialValueChanged(initialEdits[5], Variable::NIT, 0);
}
void TForm1::Edit44Change()
{
    initialValueChanged(initialEdits[6], Variable::NIT, 1);
}
void TForm1::Edit45Change()
{
    initialValueChanged(initialEdits[7], Variable::NIT, 2);
}
void TForm1::Edit46Change()
{
    initialValueChanged(initialEdits[8], Variable::NIT, 3);
}
void TForm1::Edit47Change()
{
    initialValueChanged(initialEdits[9], Variable::NIT, 4);
}
void TForm1::Edit48Change()
{
    initialValueChanged(initialEdits[10], Variable::AMM, 0);
}
void TForm1::Edit49Change()
{
    initialValueChanged(initialEdits[11], Variable::AMM, 1);
}
void TForm1::Edit62Change()
{
    initialValueChanged(initialEdits[12], Variable::AMM, 2);
}
void TForm1::Edit50Change()
{
    initialValueChanged(initialEdits[13], Variable::AMM, 3);
}
void TForm1::Edit51Change()
{
    initialValueChanged(initialEdits[14], Variable::AMM, 4);
}
void TForm1::Edit57Change()
{
    initialValueChanged(initialEdits[15], Variable::ORN, 0);
}
void TForm1::Edit58Change()
{
    initialValueChanged(initialEdits[16], Variable::ORN, 1);
}
void TForm1::Edit59Change()
{
    initialValueChanged(initialEdits[17], Variable::ORN, 2);
}
void TForm1::Edit60Change()
{
    initialValueChanged(initialEdits[18], Variable::ORN, 3);
}
void TForm1::Edit61Change()
{
    initialValueChanged(initialEdits[19], Variable::ORN, 4);
}
void TForm1::Edit52Change()
{
    initialValueChanged(initialEdits[20], Variable::TPO, 0);
}
void TForm1::Edit53Change()
{
    initialValueChanged(initialEdits[21], Variable::TPO, 1);
}
void TForm1::Edit54Change()
{
    initialValueChanged(initialEdits[22], Variable::TPO, 2);
}
void TForm1::Edit55Change()
{
    initialValueChanged(initialEdits[23], Variable::TPO, 3);
}
void TForm1::Edit56Change()
{
    initialValueChanged(initialEdits[24], Variable::TPO, 4);
}

// As a parameter field, a field showing the project's value leaves it unrounded.
void TForm1::initialValueChanged(QLineEdit *edit, Variable variable, int box)
{
    ValidateNumericField(edit, kForbiddenCharacters);
    const std::string text = edit->text().toStdString();
    if (!text.empty() && text != FormatGeneral(project_.state().initial.concentration(variable, box)))
        project_.setInitialValue(variable, box, ParseDouble(text));
}

} // namespace carexa
