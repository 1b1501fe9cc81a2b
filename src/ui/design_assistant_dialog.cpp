#include "ui/design_assistant_dialog.h"

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

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

QString Fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

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
                                u"fields; press \"Calculate\" there to design with them."_s);
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
    grid->addWidget(SourceLabel(u"flowSource"_s, flowSource), 0, 2);

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
    grid->addWidget(SourceLabel(u"temperatureSource"_s, temperatureSource), 1, 2);
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
        const int r = static_cast<int>(i) + 1;

        const std::optional<double> inflow = forcing.meanInflow[i];
        const std::optional<double> target = DefaultTarget(row.pollutant);
        row.check = new QCheckBox(Text(PollutantName(row.pollutant)));
        row.check->setObjectName(stem + u"Check"_s);
        row.check->setChecked(inflow && target && *inflow > *target);
        connect(row.check, &QCheckBox::toggled, this, [this] { recalculate(); });
        grid->addWidget(row.check, r, 0);

        row.inflow = makeInput(stem + u"InflowEdit"_s, inflow ? StartText(*inflow) : QString());
        if (row.pollutant == Pollutant::TotalN)
            row.inflow->setToolTip(inflow ? u"Mean organic N + NH4-N + NO3-N of the forcing days"_s
                                          : u"The forcing days do not hold organic N, NH4-N and "
                                            u"NO3-N: enter the inflow"_s);
        else
            row.inflow->setToolTip(inflow ? u"Mean of the forcing days"_s
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
        applyDefaults(row, true);
        if (row.pollutant == Pollutant::BOD5) {
            // BOD5's constants follow its inflow band while the user leaves them alone.
            connect(row.inflow, &QLineEdit::textChanged, this, [this] {
                filling_ = true;
                applyDefaults(rows[0], false);
                filling_ = false;
                recalculate();
            });
        }
    }

    defaultConstantsButton
        = ui::MakeButton(this, u"defaultConstantsButton"_s, u"Default constants"_s, 0, 0, 130);
    defaultConstantsButton->setToolTip(u"Puts the default k20, theta, C* and P back into every "
                                       u"row, for its inflow"_s);
    connect(defaultConstantsButton, &QPushButton::clicked, this, [this] {
        filling_ = true;
        for (PollutantRow &row : rows)
            applyDefaults(row, true);
        filling_ = false;
        recalculate();
    });
    auto *note = SourceLabel(u"constantsSource"_s,
        u"Defaults for horizontal subsurface flow: Kadlec & Wallace (2009) medians, theta of "
        u"Kadlec & Knight (1996). Rest the mouse on a field for its source."_s);
    grid->addWidget(note, 7, 0, 1, 5);
    grid->addWidget(defaultConstantsButton, 7, 5, 1, 2, Qt::AlignRight);
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
        edit->setToolTip(u"Default %1%2: %3"_s.arg(ui::NumberText(value), unit, Text(source)));
        if (all || !edit->isModified())
            edit->setText(ui::NumberText(value));
    }
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

    depthEdit = makeInput(u"depthEdit"_s, ui::NumberText(screen.depth.value_or(0.6)));
    add(u"Depth D (m):"_s, depthEdit, u"depthSource"_s,
        screen.depth ? u"Depth (DE) on the Design screen"_s
                     : u"0.6 m, a usual bed depth (the Design screen's is empty)"_s);
    porosityEdit
        = makeInput(u"porosityEdit"_s, ui::NumberText(forcing.porosity ? *forcing.porosity : 0.4));
    add(u"Porosity (fraction):"_s, porosityEdit, u"porositySource"_s,
        forcing.porosity ? u"day 1 of the forcing data"_s
                         : u"0.4, a typical gravel (no porosity in the forcing data)"_s);
    conductivityEdit = makeInput(u"conductivityEdit"_s,
        screen.conductivity ? ui::NumberText(*screen.conductivity) : QString());
    add(u"Hydraulic conductivity K (m/d):"_s, conductivityEdit, u"conductivitySource"_s,
        screen.conductivity ? u"clean gravel: Hydraulic conductivity (HC) on the Design screen"_s
                            : u"clean gravel; empty: no hydraulic check"_s);
    slopeEdit
        = makeInput(u"slopeEdit"_s, screen.slope ? ui::NumberText(*screen.slope / 100) : QString());
    add(u"Slope S (m/m):"_s, slopeEdit, u"slopeSource"_s,
        screen.slope
            ? u"Slope (S) on the Design screen, %1 cm/m"_s.arg(ui::NumberText(*screen.slope))
            : u"1 cm/m is 0.01; empty: no hydraulic check"_s);
    longTermFactorEdit = makeInput(u"longTermFactorEdit"_s, u"0.1"_s);
    add(u"Long-term factor (fraction):"_s, longTermFactorEdit, u"longTermFactorSource"_s,
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
    sizingResults->horizontalHeader()->setStretchLastSection(true);
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
    for (QLabel *label : {governingLabel, shapeLabel, retentionLabel, loadingLabel})
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

void DesignAssistantDialog::showResult(const AssistantResult &r, const AssistantInputs &in)
{
    const TargetSizing &sizing = r.sizing;
    const int count = static_cast<int>(sizing.pollutants.size());
    table_.clear(6, count + 1);
    const QString headings[] = {u"Pollutant"_s, u"kT (m/yr)"_s, u"Required area (m2)"_s,
        u"Plug flow (m2)"_s, u"Outflow (mg/L)"_s, u"Tank by tank (mg/L)"_s};
    for (int c = 0; c < 6; ++c)
        table_.setCell(c, 0, headings[c].toStdString());
    for (int i = 0; i < count; ++i) {
        const PollutantSizing &row = sizing.pollutants[static_cast<std::size_t>(i)];
        const int g = i + 1;
        QString name = Text(PollutantName(row.input.pollutant));
        if (sizing.governing && *sizing.governing == static_cast<std::size_t>(i))
            name += u" *"_s;
        table_.setCell(0, g, name.toStdString());
        table_.setCell(1, g, Fixed(row.kT, 2).toStdString());
        table_.setCell(2, g,
            row.requiredArea ? Fixed(*row.requiredArea, 1).toStdString()
                             : u"not reachable: target at or below C* (%1 mg/L)"_s
                                   .arg(ui::NumberText(row.input.constants.cStar))
                                   .toStdString());
        table_.setCell(3, g, row.plugFlowArea ? Fixed(*row.plugFlowArea, 1).toStdString() : "");
        table_.setCell(4, g, row.outflow ? Fixed(*row.outflow, 2).toStdString() : "");
        QStringList tanks;
        for (double c : row.tankOutflows)
            tanks.append(Fixed(c, 2));
        table_.setCell(5, g, tanks.join(u", "_s).toStdString());
    }
    tableModel_->reload();
    // Many tanks make a long last cell: it wraps and its row grows.
    for (int row = 0; row < count; ++row) {
        sizingResults->resizeRowToContents(row);
        sizingResults->setRowHeight(row, std::max(24, sizingResults->rowHeight(row)));
    }
    tableNote->setText(r.area
            ? u"* the governing pollutant. Outflows at the chosen bed's %1 m2."_s.arg(
                Fixed(*r.area, 1))
            : u"* the governing pollutant. No area yet for the outflows."_s);

    if (sizing.pollutants.empty()) {
        governingLabel->setText(u"Tick a pollutant and give its inflow and target."_s);
    } else if (sizing.governing) {
        const PollutantSizing &g = sizing.pollutants[*sizing.governing];
        governingLabel->setText(u"Governing pollutant (*): %1, %2 m2"_s.arg(
            Text(PollutantName(g.input.pollutant)), Fixed(*sizing.governingArea, 1)));
    } else {
        governingLabel->setText(u"No target can be reached: every one lies at or below its C*."_s);
    }

    if (r.width && r.length) {
        const QString widthWhy = r.widthSource == WidthSource::Given ? u"width as entered"_s
            : r.widthSource == WidthSource::DesignScreen
            ? u"width of the Design screen, at least the long-term minimum"_s
            : u"width: the long-term minimum, rounded up"_s;
        const QString lengthWhy = r.lengthGiven ? u"length as entered"_s
                                                : u"length: the governing area over the width, "
                                                  u"rounded up"_s;
        shapeLabel->setText(
            u"Chosen bed: %1 m wide x %2 m long = %3 m2, length to width %4 (%5; "
            u"%6)"_s.arg(ui::NumberText(*r.width), ui::NumberText(*r.length), Fixed(*r.area, 1),
                Fixed(*r.length / *r.width, 2), widthWhy, lengthWhy));
    } else if (!r.width) {
        shapeLabel->setText(u"No bed shape yet: enter a width, or the hydraulic conductivity K "
                            u"and slope S for the hydraulic check."_s);
    } else {
        shapeLabel->setText(u"No bed shape yet: tick a pollutant whose target can be reached, or "
                            u"enter a length."_s);
    }
    retentionLabel->setText(r.retentionTime
            ? u"Nominal retention time (A x D x porosity / Q): %1 d"_s.arg(
                Fixed(*r.retentionTime, 2))
            : QString());
    loadingLabel->setText(r.bod5Loading
            ? u"Areal BOD5 loading: %1 g/m2/d"_s.arg(Fixed(*r.bod5Loading, 2))
            : QString());

    hydraulicWarningLabel->clear();
    widthHintLabel->clear();
    if (!r.darcy) {
        minimumWidthLabel->setText(u"Enter the hydraulic conductivity K and slope S to check "
                                   u"that the gravel carries the flow."_s);
        carriedFlowLabel->clear();
        return;
    }
    const DarcyCheck &d = *r.darcy;
    minimumWidthLabel->setText(
        u"Narrowest bed that carries %1 m3/d: %2 m with clean K, %3 m "
        u"with long-term K (%4 m/d)"_s.arg(ui::NumberText(in.sizing.flow),
            Fixed(d.minWidthClean, 2), Fixed(d.minWidthLongTerm, 2),
            ui::NumberText(in.hydraulics->conductivity * in.hydraulics->longTermFactor)));
    if (!r.width || !d.maxFlowClean) {
        carriedFlowLabel->clear();
        return;
    }
    carriedFlowLabel->setText(u"A bed %1 m wide carries %2 m3/d with clean K, %3 m3/d with "
                              u"long-term K."_s.arg(ui::NumberText(*r.width),
                                  Fixed(*d.maxFlowClean, 2), Fixed(*d.maxFlowLongTerm, 2)));
    // A width rounded up from the minimum may carry a hair less than Q in floating point.
    const auto below = [&](double minimum) { return *r.width < minimum * (1 - 1e-9); };
    widthHintLabel->setText(r.widthSource == WidthSource::LongTermMinimum
            ? u"The gravel sets the width: a larger K, a deeper bed or a steeper slope makes the "
              u"bed narrower and longer."_s
            : QString());
    if (below(d.minWidthClean)) {
        hydraulicWarningLabel->setText(
            u"Warning: %1 m is too narrow even for clean gravel: it "
            u"carries %2 of the %3 m3/d; the rest would run over the "
            u"surface. Widen the bed to at least %4 m."_s.arg(ui::NumberText(*r.width),
                Fixed(*d.maxFlowClean, 2), ui::NumberText(in.sizing.flow),
                Fixed(d.minWidthLongTerm, 2)));
    } else if (below(d.minWidthLongTerm)) {
        hydraulicWarningLabel->setText(
            u"Warning: %1 m is below the long-term minimum of %2 m: "
            u"once the gravel clogs the bed carries %3 of the %4 m3/d."_s.arg(
                ui::NumberText(*r.width), Fixed(d.minWidthLongTerm, 2),
                Fixed(*d.maxFlowLongTerm, 2), ui::NumberText(in.sizing.flow)));
    }
}

void DesignAssistantDialog::useDesign()
{
    recalculate();
    if (!refusal_.isEmpty()) {
        dialogs_.showMessage(this, refusal_, QString());
        return;
    }
    if (!result_ || !result_->width || !result_->length) {
        dialogs_.showMessage(this, shapeLabel->text(), QString());
        return;
    }
    emit designChosen({*result_->width, *result_->length, inputs_->depth});
    accept();
}

} // namespace carexa
