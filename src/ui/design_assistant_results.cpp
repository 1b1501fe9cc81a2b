// The design assistant's results: the sizing table, the chosen bed and its shape, the
// hydraulic check, and handing the bed to the Design screen.

#include "model/bed_shape.h"
#include "model/number_text.h"
#include "ui/design_assistant_dialog.h"
#include "ui/grid_view.h"
#include "ui/text_grid_model.h"
#include "ui/user_dialogs.h"
#include "ui/widget_factory.h"

#include <QFontMetrics>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

QString Fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// Three significant digits, rounded up so the value named is enough.
QString Significant(double value)
{
    if (!std::isfinite(value) || value <= 0)
        return QString::number(value);
    const double unit = std::pow(10.0, std::floor(std::log10(value)) - 2);
    return ui::NumberText(std::ceil(value / unit - 1e-9) * unit);
}

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void Colour(QLabel *label, QColor colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

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
    fitResultRows();
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
        shapeLabel->setText(u"Chosen bed: %1 m wide x %2 m long = %3 m2 (%4; %5)"_s.arg(
            ui::NumberText(*r.width), ui::NumberText(*r.length), Fixed(*r.area, 1), widthWhy,
            lengthWhy));
    } else if (!r.width) {
        shapeLabel->setText(u"No bed shape yet: enter a width, or the hydraulic conductivity K "
                            u"and slope S for the hydraulic check."_s);
    } else {
        shapeLabel->setText(u"No bed shape yet: tick a pollutant whose target can be reached, or "
                            u"enter a length."_s);
    }
    showShape(r, in);
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

void DesignAssistantDialog::fitResultRows()
{
    // Many tanks make a long last cell: it wraps at its commas and its row grows.
    constexpr int tanks = 4;
    const int width = std::max(1, sizingResults->columnWidth(tanks) - 8);
    const QFontMetrics metrics(sizingResults->font());
    for (int row = 0; row < tableModel_->rowCount(); ++row) {
        const QString text = tableModel_->index(row, tanks).data().toString();
        const int height
            = metrics.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, text).height();
        sizingResults->setRowHeight(row, std::max(24, height + 8));
    }
}

void DesignAssistantDialog::showShape(const AssistantResult &r, const AssistantInputs &in)
{
    ratioLabel->clear();
    narrowerBedLabel->clear();
    if (!r.width || !r.length)
        return;
    const double ratio = *r.length / *r.width;
    const ShapeWarning warning = CheckLengthToWidth(*r.length, *r.width);
    const QString range = u"%1 to %2"_s.arg(
        ui::NumberText(kMinLengthToWidth), ui::NumberText(kMaxLengthToWidth));
    QString text = u"Length to width (along the flow to across it): %1"_s.arg(
        QString::number(ratio, 'g', 3));
    if (warning == ShapeWarning::ShortAndWide)
        text += u". Warning: outside %1; the bed is far wider than long, and the water is hard "
                u"to spread evenly over its width."_s.arg(range);
    else if (warning == ShapeWarning::LongAndNarrow)
        text += u". Warning: outside %1; the bed is long and narrow, with little cross-section "
                u"for the flow."_s.arg(range);
    ratioLabel->setText(text);
    Colour(ratioLabel, warning == ShapeWarning::None ? QColor(0, 0, 0) : QColor(170, 0, 0));

    // The gravel forced the width: say what would carry the flow in a bed of a usual shape.
    if (warning != ShapeWarning::ShortAndWide || r.widthSource != WidthSource::LongTermMinimum
        || !in.hydraulics || !r.area)
        return;
    const HydraulicInputs &h = *in.hydraulics;
    // The area the targets need, not the one rounding up the sides gives.
    const double area = r.sizing.governingArea.value_or(*r.area);
    const NarrowerBed bed = NarrowerBedFor(in.sizing.flow, area, h, in.depth);
    narrowerBedLabel->setText(
        u"The long-term Darcy minimum sets this width. A bed of the area the targets need, %1 m "
        u"wide and %2 m long (length to width %3), would carry %4 m3/d once clogged with, each "
        u"with the others as they are: a clean conductivity K of %5 m/d (now %6), or a slope S "
        u"of %7 (%8 cm/m; now %9), or a depth of %10 m (now %11)."_s.arg(Fixed(bed.width, 1), Fixed(bed.length, 1),
            ui::NumberText(kMinLengthToWidth), ui::NumberText(in.sizing.flow),
            Significant(bed.conductivity), ui::NumberText(h.conductivity), Significant(bed.slope),
            Significant(bed.slope * 100), ui::NumberText(h.slope), Significant(bed.depth),
            ui::NumberText(in.depth)));
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
    const ChosenBed bed {*result_->width, *result_->length, inputs_->depth};
    if (designTaker_) {
        const QString refusal = designTaker_(bed);
        if (!refusal.isEmpty()) {
            dialogs_.showMessage(this, refusal, QString());
            return;
        }
    }
    emit designChosen(bed);
    accept();
}

} // namespace carexa
