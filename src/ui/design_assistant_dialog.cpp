#include "ui/design_assistant_dialog.h"

#include "model/bed_shape.h"
#include "model/error.h"
#include "model/number_text.h"
#include "model/rounding.h"
#include "ui/grid_view.h"
#include "ui/text_grid_model.h"
#include "ui/user_dialogs.h"
#include "ui/widget_factory.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A starting value shown in a field: forcing means are cut to two decimals.
QString StartText(double value)
{
    return ui::NumberText(SimpleRoundTo(value, -2));
}

// The object-name stem of a pollutant's row.
QString RowName(Pollutant pollutant)
{
    return Text(PollutantKey(pollutant)).toLower();
}

QLabel *SourceLabel(const QString &name, const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setMinimumWidth(250);
    label->setToolTip(text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(70, 70, 70));
    label->setPalette(palette);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() - 1);
    label->setFont(font);
    return label;
}

QLabel *ResultLabel(const QString &name)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void Colour(QLabel *label, QColor colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// The number in a field; nothing when the field is empty. `field` names it in messages.
std::optional<double> FieldNumber(const QLineEdit *edit, const QString &field)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    try {
        return ParseDouble(text.toStdString());
    } catch (const ConversionError &) {
        throw Error(
            field.toStdString() + ": '" + QuotedText(text.toStdString()) + "' is not a number.");
    }
}

double RequiredNumber(const QLineEdit *edit, const QString &field)
{
    const std::optional<double> value = FieldNumber(edit, field);
    if (!value)
        throw Error(field.toStdString() + " is empty.");
    return *value;
}

} // namespace

DesignAssistantDialog::DesignAssistantDialog(const ForcingSummary &forcing,
    const DesignScreenValues &screen, UserDialogs &dialogs, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs), designScreenWidth_(screen.width)
{
    setObjectName(u"designAssistantDialog"_s);
    setWindowTitle(u"Design assistant"_s);
    filling_ = true;
    build(forcing, screen);
    filling_ = false;
    recalculate();
}

DesignAssistantDialog::~DesignAssistantDialog()
{
    // The view and the model read table_, which goes before the base class deletes children.
    delete sizingResults;
    delete tableModel_;
}

QLineEdit *DesignAssistantDialog::makeInput(const QString &name, const QString &text)
{
    auto *edit = new QLineEdit(text);
    edit->setObjectName(name);
    edit->setMaximumWidth(84);
    connect(edit, &QLineEdit::textChanged, this, [this] { recalculate(); });
    return edit;
}

void DesignAssistantDialog::build(const ForcingSummary &forcing, const DesignScreenValues &screen)
{
    auto *inputs = new QVBoxLayout;
    inputs->addWidget(buildConditions(forcing, screen));
    inputs->addWidget(buildPollutants(forcing));
    inputs->addWidget(buildBed(forcing, screen));
    inputs->addStretch();

    auto *columns = new QHBoxLayout;
    columns->addLayout(inputs, 0);
    QWidget *results = buildResults();
    results->setMinimumWidth(540);
    columns->addWidget(results, 1);

    statusLabel = ResultLabel(u"statusLabel"_s);
    Colour(statusLabel, QColor(170, 0, 0));

    useDesignButton = ui::MakeButton(this, u"useDesignButton"_s, u"Use this design"_s, 0, 0, 130);
    useDesignButton->setToolTip(u"Writes the width, length and depth into the Design screen's "
                                u"fields, so that its calculation gives this bed's flow length "
                                u"and width across the flow; press \"Calculate\" there to design "
                                u"with them."_s);
    closeButton = ui::MakeButton(this, u"closeButton"_s, u"Close"_s, 0, 0, 90);
    connect(useDesignButton, &QPushButton::clicked, this, [this] { useDesign(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(statusLabel, 1);
    buttons->addWidget(useDesignButton);
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    resize(1230, 740);
}

QWidget *DesignAssistantDialog::buildConditions(
    const ForcingSummary &forcing, const DesignScreenValues &screen)
{
    auto *box = new QGroupBox(u"Design conditions"_s);
    box->setObjectName(u"conditionsBox"_s);
    auto *grid = new QGridLayout(box);

    QString flow, flowSource;
    if (screen.flow) {
        flow = ui::NumberText(*screen.flow);
        flowSource = u"Selected flow on the Design screen"_s;
    } else if (forcing.meanFlow) {
        flow = StartText(*forcing.meanFlow);
        flowSource = u"mean water flow of the forcing days (no selected flow on the Design "
                     u"screen)"_s;
    } else {
        flowSource = u"enter the flow to design for: neither the Design screen nor the forcing "
                     u"days hold one"_s;
    }
    flowEdit = makeInput(u"flowEdit"_s, flow);
    grid->addWidget(new QLabel(u"Design flow Q (m3/d):"_s), 0, 0);
    grid->addWidget(flowEdit, 0, 1);
    QLabel *flowNote = SourceLabel(u"flowSource"_s, flowSource);
    grid->addWidget(flowNote, 0, 2);
    followNote(flowEdit, flowNote, flow, flowSource);

    QString temperature, temperatureSource;
    if (forcing.coldestMonthTemperature) {
        temperature = StartText(*forcing.coldestMonthTemperature);
        temperatureSource = u"the coldest 30-day mean water temperature of the forcing days"_s;
    } else {
        temperature = u"20"_s;
        temperatureSource = u"20 °C, the rate constants' reference: the forcing days hold no "
                            u"temperatures; enter the coldest month's"_s;
    }
    temperatureEdit = makeInput(u"temperatureEdit"_s, temperature);
    grid->addWidget(new QLabel(u"Design water temperature T (°C):"_s), 1, 0);
    grid->addWidget(temperatureEdit, 1, 1);
    QLabel *temperatureNote = SourceLabel(u"temperatureSource"_s, temperatureSource);
    grid->addWidget(temperatureNote, 1, 2);
    followNote(temperatureEdit, temperatureNote, temperature, temperatureSource);
    grid->setColumnStretch(2, 1);
    return box;
}

QWidget *DesignAssistantDialog::buildPollutants(const ForcingSummary &forcing)
{
    auto *box = new QGroupBox(u"Targets and model constants (tanks in series)"_s);
    box->setObjectName(u"pollutantsBox"_s);
    auto *grid = new QGridLayout(box);
    const QString headings[] = {u"Pollutant"_s, u"Inflow\n(mg/L)"_s, u"Target\n(mg/L)"_s,
        u"k20\n(m/yr)"_s, u"theta"_s, u"C*\n(mg/L)"_s, u"P\n(tanks)"_s};
    for (int c = 0; c < 7; ++c) {
        auto *heading = new QLabel(headings[c]);
        heading->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        grid->addWidget(heading, 0, c);
    }

    for (std::size_t i = 0; i < kPollutants.size(); ++i) {
        PollutantRow &row = rows[i];
        row.pollutant = kPollutants[i];
        const QString stem = RowName(row.pollutant);
        // BOD5's band note takes the row under BOD5.
        const int r = i == 0 ? 1 : static_cast<int>(i) + 2;

        const std::optional<double> inflow = forcing.meanInflow[i];
        const std::optional<double> target = DefaultTarget(row.pollutant);
        row.check = new QCheckBox(Text(PollutantName(row.pollutant)));
        row.check->setObjectName(stem + u"Check"_s);
        row.check->setChecked(inflow && target && *inflow > *target);
        connect(row.check, &QCheckBox::toggled, this, [this] { recalculate(); });
        grid->addWidget(row.check, r, 0);

        const QString inflowText = inflow ? StartText(*inflow) : QString();
        row.inflow = makeInput(stem + u"InflowEdit"_s, inflowText);
        if (row.pollutant == Pollutant::TotalN)
            followNote(row.inflow, nullptr, inflowText,
                inflow ? u"the mean organic N + NH4-N + NO3-N of the forcing days"_s
                       : u"The forcing days do not hold organic N, NH4-N and NO3-N: enter the "
                         u"inflow"_s);
        else
            followNote(row.inflow, nullptr, inflowText,
                inflow ? u"the mean of the forcing days"_s
                       : u"The forcing days hold no inflow: enter it"_s);
        row.target
            = makeInput(stem + u"TargetEdit"_s, target ? ui::NumberText(*target) : QString());
        row.target->setToolTip(target
                ? u"Default %1 mg/L: %2"_s.arg(ui::NumberText(*target), Text(DefaultTargetSource()))
                : u"The outflow the permit asks for"_s);
        row.k20 = makeInput(stem + u"K20Edit"_s, QString());
        row.theta = makeInput(stem + u"ThetaEdit"_s, QString());
        row.cStar = makeInput(stem + u"CStarEdit"_s, QString());
        row.tanks = makeInput(stem + u"TanksEdit"_s, QString());
        QLineEdit *edits[] = {row.inflow, row.target, row.k20, row.theta, row.cStar, row.tanks};
        for (int c = 0; c < 6; ++c) {
            edits[c]->setMaximumWidth(c < 2 ? 70 : 58);
            grid->addWidget(edits[c], r, c + 1);
        }
        // A constant the user types stays as typed until "Default constants".
        for (QLineEdit *constant : {row.k20, row.theta, row.cStar, row.tanks}) {
            connect(constant, &QLineEdit::textEdited, this, [this, &row, constant] {
                typed_.insert(constant);
                filling_ = true;
                applyDefaults(row, false); // the typed field's tooltip says so
                filling_ = false;
                showBandNote();
            });
        }
        applyDefaults(row, true);
        if (row.pollutant == Pollutant::BOD5) {
            // BOD5's constants follow its inflow band while the user leaves them alone.
            connect(row.inflow, &QLineEdit::textChanged, this, [this] {
                filling_ = true;
                applyDefaults(rows[0], false);
                filling_ = false;
                showBandNote();
                recalculate();
            });
            // Under k20 and C*, which it is about.
            bod5BandNote = SourceLabel(u"bod5BandNote"_s, QString());
            bod5BandNote->setMinimumWidth(0);
            grid->addWidget(bod5BandNote, r + 1, 3, 1, 4);
        }
    }
    showBandNote();

    defaultConstantsButton
        = ui::MakeButton(this, u"defaultConstantsButton"_s, u"Default constants"_s, 0, 0, 130);
    defaultConstantsButton->setToolTip(u"Puts the default k20, theta, C* and P back into every "
                                       u"row, for its inflow"_s);
    connect(defaultConstantsButton, &QPushButton::clicked, this, [this] {
        filling_ = true;
        for (PollutantRow &row : rows)
            applyDefaults(row, true);
        filling_ = false;
        showBandNote();
        recalculate();
    });
    auto *note = SourceLabel(u"constantsSource"_s,
        u"Defaults for horizontal subsurface flow: Kadlec & Wallace (2009) medians, theta of "
        u"Kadlec & Knight (1996). Rest the mouse on a field for its source."_s);
    grid->addWidget(note, 8, 0, 1, 5);
    grid->addWidget(defaultConstantsButton, 8, 5, 1, 2, Qt::AlignRight);
    return box;
}

void DesignAssistantDialog::applyDefaults(PollutantRow &row, bool all)
{
    double inflow = 0;
    try {
        inflow = FieldNumber(row.inflow, QString()).value_or(0);
    } catch (const Error &) {
        // An inflow that is no number keeps the constants shown.
        if (!all)
            return;
    }
    const DefaultConstants d = DefaultRateConstants(row.pollutant, inflow);
    const std::tuple<QLineEdit *, double, std::string_view, QString> fields[] = {
        {row.k20, d.values.k20, d.k20Source, u" m/yr"_s},
        {row.theta, d.values.theta, d.thetaSource, QString()},
        {row.cStar, d.values.cStar, d.cStarSource, u" mg/L"_s},
        {row.tanks, d.values.tanks, d.tanksSource, QString()},
    };
    for (const auto &[edit, value, source, unit] : fields) {
        if (all)
            typed_.erase(edit);
        const QString fallback
            = u"Default %1%2: %3"_s.arg(ui::NumberText(value), unit, Text(source));
        if (typed_.contains(edit)) {
            edit->setToolTip(u"As typed. %1"_s.arg(fallback));
            continue;
        }
        edit->setToolTip(fallback);
        edit->setText(ui::NumberText(value));
    }
}

void DesignAssistantDialog::showBandNote()
{
    if (!bod5BandNote)
        return;
    const PollutantRow &row = rows[0];
    double inflow = 0;
    try {
        inflow = FieldNumber(row.inflow, QString()).value_or(0);
    } catch (const Error &) {
        bod5BandNote->setText(u"k20 and C* stay as they are until the inflow is a number."_s);
        return;
    }
    const int band = Bod5InflowBand(inflow);
    const QString name = Text(Bod5InflowBandName(band));
    const bool k20 = typed_.contains(row.k20);
    const bool cStar = typed_.contains(row.cStar);
    QString text;
    if (!k20 && !cStar) {
        text = u"k20 and C* follow the inflow band %1"_s.arg(name);
    } else if (k20 && cStar) {
        const RateConstants d = DefaultRateConstants(Pollutant::BOD5, inflow).values;
        text = u"k20 and C* as typed (the inflow band %1 gives %2 and %3; \"Default "
               u"constants\" puts them back)"_s.arg(
                   name, ui::NumberText(d.k20), ui::NumberText(d.cStar));
    } else {
        text = u"%1 as typed; %2 follows the inflow band %3"_s.arg(
            k20 ? u"k20"_s : u"C*"_s, k20 ? u"C*"_s : u"k20"_s, name);
    }
    bod5BandNote->setText(text);
    bod5BandNote->setToolTip(text);
}

void DesignAssistantDialog::followNote(
    QLineEdit *edit, QLabel *note, const QString &startText, const QString &startNote)
{
    const auto show = [edit, note, startText, startNote] {
        QString text = startNote;
        if (edit->text().trimmed() != startText) {
            text = startText.isEmpty()
                ? u"as entered"_s
                : u"as entered; it started at %1: %2"_s.arg(startText, startNote);
        }
        if (note) {
            note->setText(text);
            note->setToolTip(text);
        } else {
            edit->setToolTip(text.left(1).toUpper() + text.mid(1));
        }
    };
    connect(edit, &QLineEdit::textChanged, this, show);
    show();
}

QWidget *DesignAssistantDialog::buildBed(
    const ForcingSummary &forcing, const DesignScreenValues &screen)
{
    auto *box = new QGroupBox(u"Bed and hydraulic check (Darcy: Q = K x W x D x S)"_s);
    box->setObjectName(u"bedBox"_s);
    auto *grid = new QGridLayout(box);
    int r = 0;
    const auto add = [&](const QString &caption, QLineEdit *edit, const QString &sourceName,
                         const QString &source) {
        grid->addWidget(new QLabel(caption), r, 0);
        grid->addWidget(edit, r, 1);
        grid->addWidget(SourceLabel(sourceName, source), r, 2);
        ++r;
    };

    const auto addFollowed = [&](const QString &caption, QLineEdit *edit, const QString &name,
                                 const QString &source) {
        grid->addWidget(new QLabel(caption), r, 0);
        grid->addWidget(edit, r, 1);
        QLabel *note = SourceLabel(name, source);
        grid->addWidget(note, r, 2);
        followNote(edit, note, edit->text(), source);
        ++r;
    };
    depthEdit = makeInput(u"depthEdit"_s, ui::NumberText(screen.depth.value_or(0.6)));
    addFollowed(u"Depth D (m):"_s, depthEdit, u"depthSource"_s,
        screen.depth ? u"Depth (DE) on the Design screen"_s
                     : u"0.6 m, a usual bed depth (the Design screen's is empty)"_s);
    porosityEdit
        = makeInput(u"porosityEdit"_s, ui::NumberText(forcing.porosity ? *forcing.porosity : 0.4));
    addFollowed(u"Porosity (fraction):"_s, porosityEdit, u"porositySource"_s,
        forcing.porosity ? u"day 1 of the forcing data"_s
                         : u"0.4, a typical gravel (no porosity in the forcing data)"_s);
    conductivityEdit = makeInput(u"conductivityEdit"_s,
        screen.conductivity ? ui::NumberText(*screen.conductivity) : QString());
    addFollowed(u"Hydraulic conductivity K (m/d):"_s, conductivityEdit, u"conductivitySource"_s,
        screen.conductivity ? u"clean gravel: Hydraulic conductivity (HC) on the Design screen"_s
                            : u"clean gravel; empty: no hydraulic check"_s);
    slopeEdit
        = makeInput(u"slopeEdit"_s, screen.slope ? ui::NumberText(*screen.slope / 100) : QString());
    addFollowed(u"Slope S (m/m):"_s, slopeEdit, u"slopeSource"_s,
        screen.slope
            ? u"Slope (S) on the Design screen, %1 cm/m"_s.arg(ui::NumberText(*screen.slope))
            : u"1 cm/m is 0.01; empty: no hydraulic check"_s);
    longTermFactorEdit = makeInput(u"longTermFactorEdit"_s, u"0.1"_s);
    addFollowed(u"Long-term factor (fraction):"_s, longTermFactorEdit, u"longTermFactorSource"_s,
        u"the share of clean K left once the gravel clogs; 0.1 keeps 10 %"_s);
    widthEdit = makeInput(u"widthEdit"_s, QString());
    add(u"Width W (m):"_s, widthEdit, u"widthSource"_s,
        designScreenWidth_
            ? u"empty: the larger of the long-term minimum and the Design screen's %1 m, "
              u"rounded up to 0.1 m"_s.arg(ui::NumberText(*designScreenWidth_))
            : u"empty: the long-term minimum, rounded up to 0.1 m"_s);
    lengthEdit = makeInput(u"lengthEdit"_s, QString());
    add(u"Length L (m):"_s, lengthEdit, u"lengthSource"_s,
        u"empty: the governing area over the width, rounded up to 0.1 m"_s);
    grid->setColumnStretch(2, 1);
    return box;
}

QWidget *DesignAssistantDialog::buildResults()
{
    auto *box = new QGroupBox(u"Results"_s);
    box->setObjectName(u"resultsBox"_s);
    auto *layout = new QVBoxLayout(box);

    const QString headings[] = {u"Pollutant"_s, u"kT (m/yr)"_s, u"Required area (m2)"_s,
        u"Plug flow (m2)"_s, u"Outflow (mg/L)"_s, u"Tank by tank (mg/L)"_s};
    for (int c = 0; c < 6; ++c)
        table_.setCell(c, 0, headings[c].toStdString());
    table_.setRowCount(1);
    tableModel_ = new TextGridModel(table_, this);
    sizingResults = new GridView(box);
    sizingResults->setObjectName(u"sizingResults"_s);
    sizingResults->setGridModel(tableModel_);
    sizingResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The tank-by-tank outflows take the room left and wrap, rather than run out of view.
    sizingResults->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
    connect(sizingResults->horizontalHeader(), &QHeaderView::sectionResized, this,
        [this] { fitResultRows(); });
    sizingResults->setWordWrap(true);
    sizingResults->verticalHeader()->setMinimumWidth(76);
    sizingResults->setMinimumHeight(22 * 7 + 8);
    sizingResults->setToolTip(u"Required area: the area that brings the inflow down to the "
                              u"target. Plug flow: the least area any number of tanks needs. "
                              u"Outflow and tank by tank: at the chosen bed's area."_s);
    layout->addWidget(sizingResults);
    tableNote = SourceLabel(u"tableNote"_s, QString());
    layout->addWidget(tableNote);

    governingLabel = ResultLabel(u"governingLabel"_s);
    shapeLabel = ResultLabel(u"shapeLabel"_s);
    retentionLabel = ResultLabel(u"retentionLabel"_s);
    loadingLabel = ResultLabel(u"loadingLabel"_s);
    minimumWidthLabel = ResultLabel(u"minimumWidthLabel"_s);
    carriedFlowLabel = ResultLabel(u"carriedFlowLabel"_s);
    hydraulicWarningLabel = ResultLabel(u"hydraulicWarningLabel"_s);
    widthHintLabel = ResultLabel(u"widthHintLabel"_s);
    Colour(hydraulicWarningLabel, QColor(170, 0, 0));
    QFont bold = governingLabel->font();
    bold.setBold(true);
    governingLabel->setFont(bold);
    hydraulicWarningLabel->setFont(bold);
    ratioLabel = ResultLabel(u"ratioLabel"_s);
    ratioLabel->setToolTip(Text(LengthToWidthSource()));
    narrowerBedLabel = ResultLabel(u"narrowerBedLabel"_s);
    for (QLabel *label :
        {governingLabel, shapeLabel, ratioLabel, narrowerBedLabel, retentionLabel, loadingLabel})
        layout->addWidget(label);

    auto *hydraulic = new QLabel(u"Hydraulic check"_s);
    hydraulic->setFont(bold);
    layout->addSpacing(6);
    layout->addWidget(hydraulic);
    for (QLabel *label :
        {minimumWidthLabel, carriedFlowLabel, widthHintLabel, hydraulicWarningLabel})
        layout->addWidget(label);
    layout->addStretch();
    return box;
}

AssistantInputs DesignAssistantDialog::readInputs() const
{
    AssistantInputs in;
    in.sizing.flow = RequiredNumber(flowEdit, u"Design flow Q"_s);
    in.sizing.temperature = RequiredNumber(temperatureEdit, u"Design water temperature T"_s);
    for (const PollutantRow &row : rows) {
        if (!row.check->isChecked())
            continue;
        const QString name = Text(PollutantName(row.pollutant)) + u' ';
        PollutantInput p;
        p.pollutant = row.pollutant;
        p.inflow = RequiredNumber(row.inflow, name + u"inflow"_s);
        p.target = RequiredNumber(row.target, name + u"target"_s);
        p.constants.k20 = RequiredNumber(row.k20, name + u"k20"_s);
        p.constants.theta = RequiredNumber(row.theta, name + u"theta"_s);
        p.constants.cStar = RequiredNumber(row.cStar, name + u"C*"_s);
        p.constants.tanks = RequiredNumber(row.tanks, name + u"P"_s);
        in.sizing.pollutants.push_back(p);
    }
    in.depth = RequiredNumber(depthEdit, u"Depth"_s);
    in.porosity = RequiredNumber(porosityEdit, u"Porosity"_s);
    const std::optional<double> conductivity
        = FieldNumber(conductivityEdit, u"Hydraulic conductivity K"_s);
    const std::optional<double> slope = FieldNumber(slopeEdit, u"Slope S"_s);
    if (conductivity && !slope)
        throw Error("Slope S is empty: the hydraulic check needs both K and S (leave both empty "
                    "to skip it).");
    if (slope && !conductivity)
        throw Error("Hydraulic conductivity K is empty: the hydraulic check needs both K and S "
                    "(leave both empty to skip it).");
    if (conductivity) {
        in.hydraulics = HydraulicInputs {
            *conductivity, *slope, RequiredNumber(longTermFactorEdit, u"Long-term factor"_s)};
    }
    in.width = FieldNumber(widthEdit, u"Width"_s);
    in.designScreenWidth = designScreenWidth_;
    in.length = FieldNumber(lengthEdit, u"Length"_s);
    return in;
}

void DesignAssistantDialog::recalculate()
{
    if (filling_)
        return;
    try {
        AssistantInputs inputs = readInputs();
        AssistantResult result = RunDesignAssistant(inputs);
        showResult(result, inputs);
        result_ = std::move(result);
        inputs_ = std::move(inputs);
        refusal_.clear();
        statusLabel->clear();
    } catch (const Error &e) {
        refusal_ = QString::fromStdString(e.what());
        statusLabel->setText(refusal_
            + (result_ ? u" The results show the last inputs that were accepted."_s : QString()));
    }
}

} // namespace carexa
