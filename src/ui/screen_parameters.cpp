// The Parameters screen: the sixteen kinetic parameters, with their range hints.

#include "model/number_text.h"
#include "model/numeric_input.h"
#include "ui/tform1.h"
#include "ui/widget_factory.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

constexpr int kHintDurationMs = 3500;

struct ParameterRow
{
    int edit;
    const char16_t *hint;
    const char16_t *unit;
};

// Record order; the edit numbers of OC and DC run against it.
constexpr ParameterRow kRows[kParameterCount] = {
    {20, u"Range: 0.05 - 2.0", u"l / 24h"},
    {21, u"Range: 0.1 - 2.5", u"l / 24h"},
    {23, u"Range: 0.05 - 2.0", u"l / 24h"},
    {22, u"Range: 0.01 - 5", u"l / 24h"},
    {24, u"Range: 1.02 - 1.06", u""},
    {25, u"Range: 1.02 - 1.09", u""},
    {26, u"Range: 1.02 - 1.06", u""},
    {27, u"Range: 1.05 - 1.12", u""},
    {28, u"Range: 0.01 - 2.0", u"mg / l"},
    {29, u"Range: 0.01 - 2.0", u"mg / l"},
    {30, u"Range: 0.05 - 2.0", u"mg / l"},
    {31, u"Range: 0.01 - 1.0", u"mg / l"},
    {32, u"Range: 0.00 - 1.0", u"l / 24h"},
    {33, u"Range: 0.00 - 1.0", u"l / 24h"},
    {34, u"Range: 0.00 - 1.0", u"l / 24h"},
    {35, u"Range: 0.00 - 1.0", u""},
};

// "Max. decomposition rate of organic Nitrogen (AC)".
QString Caption(Parameter parameter)
{
    const std::string_view description = ParameterDescription(parameter);
    const std::string_view name = ParameterName(parameter);
    return u"%1 (%2)"_s.arg(QString::fromUtf8(description.data(), static_cast<qsizetype>(description.size())),
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

} // namespace

void TForm1::buildParameterScreen()
{
    ParameterBox = makeScreen(u"ParameterBox"_s, u"Parameters"_s);

    const Handler handlers[kParameterCount] = {&TForm1::Edit20Change, &TForm1::Edit21Change,
        &TForm1::Edit23Change, &TForm1::Edit22Change, &TForm1::Edit24Change, &TForm1::Edit25Change,
        &TForm1::Edit26Change, &TForm1::Edit27Change, &TForm1::Edit28Change, &TForm1::Edit29Change,
        &TForm1::Edit30Change, &TForm1::Edit31Change, &TForm1::Edit32Change, &TForm1::Edit33Change,
        &TForm1::Edit34Change, &TForm1::Edit35Change};
    for (int i = 0; i < kParameterCount; ++i) {
        const ParameterRow &row = kRows[i];
        const int y = 36 + 31 * i;
        QLabel *label
            = ui::MakeLabel(ParameterBox, Caption(static_cast<Parameter>(i)), 48, y + 1, 400);
        label->setToolTip(QString::fromUtf16(row.hint));
        label->setToolTipDuration(kHintDurationMs);
        QLineEdit *edit = ui::MakeEdit(ParameterBox, u"Edit%1"_s.arg(row.edit), 460, y, 110, 24);
        label->setBuddy(edit);
        const QString unit = QString::fromUtf16(row.unit);
        if (!unit.isEmpty())
            ui::MakeLabel(ParameterBox, unit, 580, y + 1);
        parameterLabels[static_cast<std::size_t>(i)] = label;
        parameterEdits[static_cast<std::size_t>(i)] = edit;
        bindChange(edit, handlers[i]);
    }

    Button5 = makeButton(ParameterBox, u"Button5"_s, u"<- Initial values"_s, 12, 552, 156, 30,
        &TForm1::Button5Click);
    Button6 = makeButton(
        ParameterBox, u"Button6"_s, u"Simulate ->"_s, 672, 552, 156, 30, &TForm1::Button6Click);
}

void TForm1::fillParameterEdits()
{
    for (int i = 0; i < kParameterCount; ++i) {
        parameterEdits[static_cast<std::size_t>(i)]->setText(QString::fromStdString(
            FormatGeneral(project_.state().parameters.get(static_cast<Parameter>(i)))));
    }
}

void TForm1::Button25Click()
{
    showScreen(ParameterScreen);
    fillParameterEdits();
}

void TForm1::Button7Click()
{
    Button25Click();
}

void TForm1::Edit20Change()
{
    parameterChanged(parameterEdits[0], Parameter::AC);
}
void TForm1::Edit21Change()
{
    parameterChanged(parameterEdits[1], Parameter::NC);
}
void TForm1::Edit23Change()
{
    parameterChanged(parameterEdits[2], Parameter::OC);
}
void TForm1::Edit22Change()
{
    parameterChanged(parameterEdits[3], Parameter::DC);
}
void TForm1::Edit24Change()
{
    parameterChanged(parameterEdits[4], Parameter::TA);
}
void TForm1::Edit25Change()
{
    parameterChanged(parameterEdits[5], Parameter::TN);
}
void TForm1::Edit26Change()
{
    parameterChanged(parameterEdits[6], Parameter::TO);
}
void TForm1::Edit27Change()
{
    parameterChanged(parameterEdits[7], Parameter::TD);
}
void TForm1::Edit28Change()
{
    parameterChanged(parameterEdits[8], Parameter::KO);
}
void TForm1::Edit29Change()
{
    parameterChanged(parameterEdits[9], Parameter::OO);
}
void TForm1::Edit30Change()
{
    parameterChanged(parameterEdits[10], Parameter::MA);
}
void TForm1::Edit31Change()
{
    parameterChanged(parameterEdits[11], Parameter::MN);
}
void TForm1::Edit32Change()
{
    parameterChanged(parameterEdits[12], Parameter::PA);
}
void TForm1::Edit33Change()
{
    parameterChanged(parameterEdits[13], Parameter::PN);
}
void TForm1::Edit34Change()
{
    parameterChanged(parameterEdits[14], Parameter::PP);
}
void TForm1::Edit35Change()
{
    parameterChanged(parameterEdits[15], Parameter::AF);
}

// A field that shows the project's value in its screen form (as the screens fill them) leaves
// the value as it is, unrounded.
void TForm1::parameterChanged(QLineEdit *edit, Parameter parameter)
{
    ValidateNumericField(edit, kForbiddenCharacters);
    const std::string text = edit->text().toStdString();
    if (!text.empty() && text != FormatGeneral(project_.state().parameters.get(parameter)))
        project_.setParameter(parameter, ParseDouble(text));
}

} // namespace carexa
