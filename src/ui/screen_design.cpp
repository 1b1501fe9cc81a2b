// The Design screen: the hydraulic design calculator and the way on to the forcing functions.

#include "model/bed_shape.h"
#include "model/design.h"
#include "model/error.h"
#include "model/number_text.h"
#include "model/wetland_sizing.h"
#include "ui/design_assistant_dialog.h"
#include "ui/tform1.h"
#include "ui/widget_factory.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>
#include <cmath>
#include <vector>

namespace carexa {

using namespace Qt::StringLiterals;

void TForm1::buildDesignScreen()
{
    PreDesignBox = makeScreen(u"PreDesignBox"_s, u"Design"_s);
    QWidget *box = PreDesignBox;

    struct Input
    {
        QLineEdit **edit;
        QString name, caption, unit;
        Handler exit;
    };
    const Input inputs[] = {
        {&Edit7, u"Edit7"_s, u"Width (WI):"_s, u"m."_s, &TForm1::Edit7Exit},
        {&Edit8, u"Edit8"_s, u"Length (LE) :"_s, u"m."_s, &TForm1::Edit8Exit},
        {&Edit9, u"Edit9"_s, u"Depth (DE):"_s, u"m."_s, &TForm1::Edit9Exit},
        {&Edit6, u"Edit6"_s, u"Precipitation factor (PF):"_s, QString(), &TForm1::Edit6Exit},
        {&Edit10, u"Edit10"_s, u"Slope (S):"_s, u"cm. / m."_s, &TForm1::Edit10Exit},
        {&Edit16, u"Edit16"_s, u"Avrg, % particular matter (AP):"_s, u"%"_s, &TForm1::Edit16Exit},
        {&Edit18, u"Edit18"_s, u"Hydraulic conductivity (HC):"_s, u"m./ 24h."_s,
            &TForm1::Edit18Exit},
        {&Edit37, u"Edit37"_s, u"Selected flow:"_s, u"m3 / 24h."_s, &TForm1::Edit37Exit},
    };
    int y = 60;
    int index = 0; // in the project file's order, as the inputs are listed
    for (const Input &input : inputs) {
        QLabel *caption = ui::MakeLabel(box, input.caption, 32, y + 1, 200);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QLineEdit *edit = *input.edit = ui::MakeEdit(box, input.name, 244, y, 96, 24);
        caption->setBuddy(edit);
        if (!input.unit.isEmpty())
            ui::MakeLabel(box, input.unit, 348, y + 1, 80);
        bindExit(edit, input.exit);
        // The project holds the input as it is typed, so a save, the recovery copy and the
        // report read it without waiting for "Calculate".
        connect(edit, &QLineEdit::textChanged, this, [this, index](const QString &text) {
            std::string typed = text.toStdString();
            if (typed != project_.designInputs()[static_cast<std::size_t>(index)])
                project_.setDesignInput(index, std::move(typed));
        });
        ++index;
        y += 40;
    }

    // Framed in red, with a tooltip, while a calculation waits for the wetland type only.
    wetlandTypeFrame = new QFrame(box);
    wetlandTypeFrame->setObjectName(u"wetlandTypeFrame"_s);
    wetlandTypeFrame->setGeometry(40, 392, 346, 32);
    wetlandTypeFrame->setStyleSheet(u"QFrame#wetlandTypeFrame { border: 2px solid #c00000; }"_s);
    wetlandTypeFrame->hide();
    RadioButton1 = new QRadioButton(u"Constructed Wetland"_s, box);
    RadioButton1->setObjectName(u"RadioButton1"_s);
    RadioButton1->setGeometry(48, 396, 170, 24);
    RadioButton2 = new QRadioButton(u"Natural Wetland"_s, box);
    RadioButton2->setObjectName(u"RadioButton2"_s);
    RadioButton2->setGeometry(228, 396, 150, 24);
    // The ticked type is the project's, whoever ticks it (a click, a load, the assistant).
    for (QRadioButton *button : {RadioButton1, RadioButton2}) {
        connect(button, &QRadioButton::toggled, this, [this] {
            std::optional<WetlandType> type;
            if (RadioButton1->isChecked())
                type = WetlandType::Constructed;
            else if (RadioButton2->isChecked())
                type = WetlandType::Natural;
            if (type != project_.wetlandType())
                project_.setWetlandType(type);
        });
    }
    connect(
        RadioButton1, &QRadioButton::clicked, this, [this] { run(&TForm1::RadioButton1Click); });
    connect(
        RadioButton2, &QRadioButton::clicked, this, [this] { run(&TForm1::RadioButton2Click); });

    Button34
        = makeButton(box, u"Button34"_s, u"Calculate"_s, 244, 440, 96, 30, &TForm1::Button34Click);
    designAssistantButton = makeButton(box, u"designAssistantButton"_s, u"Design assistant..."_s,
        48, 440, 150, 30, &TForm1::DesignAssistantClick);
    designAssistantButton->setToolTip(u"Finds the area that reaches the target outflows and "
                                      u"checks that the gravel carries the flow"_s);

    struct Result
    {
        QLabel **label;
        QString name, caption, unit;
    };
    const Result results[] = {
        {&Label121, u"Label121"_s, u"Area (AA):"_s, u"m2"_s},
        {&Label122, u"Label122"_s, u"Volume (VO):"_s, u"m3"_s},
        {&Label123, u"Label123"_s, u"Hydraulic loading (HL):"_s, u"m3 / (m2 / 24h.)"_s},
        {&Label124, u"Label124"_s, u"Recommended horizontal flow (HF):"_s, u"m. / 24h."_s},
        {&Label125, u"Label125"_s, u"Recommended flow (RF):"_s, u"m3 / 24h."_s},
        {&Label127, u"Label127"_s, u"Flow width (FW):"_s, u"m."_s},
        {&Label128, u"Label128"_s, u"Flow length (FL):"_s, u"m."_s},
        {&Label129, u"Label129"_s, u"Number of paths (NP):"_s, QString()},
    };
    y = 60;
    for (const Result &result : results) {
        QLabel *caption = ui::MakeLabel(box, result.caption, 430, y + 1, 215);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *result.label = ui::MakeLabel(box, u"---"_s, 652, y + 1, 72, 20, result.name);
        if (!result.unit.isEmpty())
            ui::MakeLabel(box, result.unit, 728, y + 1, 108);
        y += 40;
    }

    // Inputs typed after "Calculate" leave results that belong to other inputs: said until they
    // are calculated again (or typed back).
    staleDesignLabel = ui::MakeLabel(box,
        u"The results were calculated for other inputs. Press \"Calculate\" to bring them up "
        "to date."_s,
        430, 380, 406, 40, u"staleDesignLabel"_s);
    staleDesignLabel->setWordWrap(true);
    staleDesignLabel->setStyleSheet(u"color: #9a5b00"_s);
    staleDesignLabel->hide();
    project_.subscribe([this](const ProjectChange &) {
        staleDesignLabel->setVisible(project_.stale(Derived::DesignResults));
    });

    Button35 = makeButton(
        box, u"Button35"_s, u"Forcing functions ->"_s, 672, 548, 156, 30, &TForm1::Button35Click);
}

void TForm1::Edit7Exit()
{
    designInputExit(Edit7);
}
void TForm1::Edit8Exit()
{
    designInputExit(Edit8);
}
void TForm1::Edit9Exit()
{
    designInputExit(Edit9);
}
void TForm1::Edit6Exit()
{
    designInputExit(Edit6);
}
void TForm1::Edit10Exit()
{
    designInputExit(Edit10);
}
void TForm1::Edit16Exit()
{
    designInputExit(Edit16);
}
void TForm1::Edit18Exit()
{
    designInputExit(Edit18);
}
void TForm1::Edit37Exit()
{
    designInputExit(Edit37);
}

void TForm1::RadioButton1Click()
{
    RadioButton2->setChecked(false);
    showWetlandTypeMissing(false);
}

void TForm1::RadioButton2Click()
{
    RadioButton1->setChecked(false);
    showWetlandTypeMissing(false);
}

void TForm1::showWetlandTypeMissing(bool missing)
{
    wetlandTypeFrame->setVisible(missing);
    const QString tip = missing
        ? u"Choose the wetland type, \"Constructed Wetland\" or \"Natural Wetland\", to calculate"_s
        : QString();
    RadioButton1->setToolTip(tip);
    RadioButton2->setToolTip(tip);
    wetlandTypeFrame->setToolTip(tip);
}

void TForm1::setWetlandType(std::optional<WetlandType> type)
{
    // Exclusive buttons cannot both be cleared while they are exclusive.
    for (QRadioButton *button : {RadioButton1, RadioButton2})
        button->setAutoExclusive(false);
    RadioButton1->setChecked(type == WetlandType::Constructed);
    RadioButton2->setChecked(type == WetlandType::Natural);
    for (QRadioButton *button : {RadioButton1, RadioButton2})
        button->setAutoExclusive(true);
    showWetlandTypeMissing(false);
    // A button ticked already sends no signal: the project learns the type here too.
    if (type != project_.wetlandType())
        project_.setWetlandType(type);
}

void TForm1::tickStoredWetlandType()
{
    const DesignTexts &design = project_.designInputs();
    setWetlandType(WetlandTypeOfDesign(
        project_.state().initial, TryParseDouble(design[5]), TryParseDouble(design[6])));
}

void TForm1::showDesignResults()
{
    const std::pair<QLabel *, BoxField> labels[]
        = {{Label121, BoxField::AA}, {Label122, BoxField::VO}, {Label123, BoxField::HL},
            {Label124, BoxField::HF}, {Label125, BoxField::RF}, {Label127, BoxField::FW},
            {Label128, BoxField::FL}, {Label129, BoxField::NP}};
    for (const auto &[label, field] : labels)
        label->setText(ui::NumberText(RoundDesignResult(project_.state().initial.get(field))));
}

void TForm1::Button34Click()
{
    const DesignTexts &texts = project_.designInputs();
    const bool fieldEmpty = std::any_of(
        texts.begin(), texts.end(), [](const std::string &text) { return text.empty(); });
    const bool typeMissing = !project_.wetlandType();
    if (fieldEmpty || typeMissing) {
        // When the fields are all there, the frame shows what is missing.
        showWetlandTypeMissing(typeMissing && !fieldEmpty);
        message(u"One or more input fields are empty!"_s);
        return;
    }
    project_.calculateDesign();
    showDesignResults();
}

void TForm1::DesignAssistantClick()
{
    // The assistant starts from the fields that hold a usable number; the others it fills itself.
    const auto value = [this](int index) -> std::optional<double> {
        try {
            const double number
                = ParseDouble(project_.designInputs()[static_cast<std::size_t>(index)]);
            if (std::isfinite(number) && number > 0)
                return number;
        } catch (const Error &) { }
        return std::nullopt;
    };
    // Width, depth, slope, hydraulic conductivity and the selected flow, in file order.
    const DesignScreenValues screen {value(0), value(2), value(4), value(6), value(7)};
    auto *dialog = new DesignAssistantDialog(SummarizeForcing(project_.state().days), screen, dialogs_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setDesignTaker([this, dialog](const ChosenBed &bed) {
        const QString refusal = takeAssistantDesign(bed);
        // The design report sizes again from the inputs of the design the project took.
        if (refusal.isEmpty() && dialog->inputs())
            project_.keepAssistant(*dialog->inputs());
        return refusal;
    });
    dialog->open();
}

QString TForm1::takeAssistantDesign(const ChosenBed &bed)
{
    if (!RadioButton1->isChecked() && !RadioButton2->isChecked())
        setWetlandType(WetlandType::Constructed);
    const WetlandType type
        = RadioButton1->isChecked() ? WetlandType::Constructed : WetlandType::Natural;

    // The Design screen's own inputs that lay the bed out, besides the depth written here.
    DesignInputs inputs;
    struct Needed
    {
        QLineEdit *edit;
        double *value;
        QString name;
    };
    std::vector<Needed> needed {{Edit6, &inputs.precipitationFactor, u"Precipitation factor (PF)"_s},
        {Edit37, &inputs.flow, u"Selected flow"_s}};
    if (type == WetlandType::Constructed) {
        needed.push_back({Edit16, &inputs.particularMatter, u"Avrg, % particular matter (AP)"_s});
    } else {
        needed.push_back({Edit18, &inputs.conductivity, u"Hydraulic conductivity (HC)"_s});
        needed.push_back({Edit10, &inputs.slope, u"Slope (S)"_s});
    }
    QStringList missing;
    for (const Needed &n : needed) {
        const std::optional<double> value = TryParseDouble(n.edit->text().toStdString());
        if (value)
            *n.value = *value;
        else
            missing.append(n.name);
    }
    const QString kind = type == WetlandType::Constructed ? u"a constructed"_s : u"a natural"_s;
    if (!missing.isEmpty())
        return u"Fill in %1 on the Design screen first: its calculation of %2 wetland lays the "
               u"bed out from them. Nothing was written."_s.arg(missing.join(u", "_s), kind);
    inputs.depth = bed.depth;
    try {
        const DesignScreenFields fields = PlaceOnDesignScreen(bed.width, bed.length, inputs, type);
        Edit7->setText(ui::NumberText(fields.width));
        Edit8->setText(ui::NumberText(fields.length));
        Edit9->setText(ui::NumberText(bed.depth));
    } catch (const Error &e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

void TForm1::Button35Click()
{
    if (!project_.holdsDesign()) {
        message(u"Please calculate design results before continuing!"_s);
        return;
    }
    showScreen(ForcingScreen);
    Edit1->setText(ui::NumberText(project_.state().initial.get(BoxField::VO)));
    Edit19->setText(QString::number(project_.state().simulationLength));
}

void TForm1::Button36Click()
{
    showScreen(DesignScreen);
    showDesignResults();
}

} // namespace carexa
