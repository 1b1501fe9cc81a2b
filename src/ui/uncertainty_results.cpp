// The results of the uncertainty dialog: the fit of the band, the iterations of a conditioning,
// and the permit tab with the probabilities beside a graph of the band and the limits.

#include "io/output_file.h"
#include "model/error.h"
#include "model/number_text.h"
#include "ui/compliance_panel.h"
#include "ui/uncertainty_dialog.h"
#include "ui/user_dialogs.h"
#include "ui/window_settings.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

enum IterationColumn { ItNumber, ItBehavioural, ItUsed, ItFailed, ItP, ItR, ItValidationP,
    ItValidationR, ItNote, IterationColumns };

QTableWidgetItem *Cell(const QString &text, bool number = true)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString Short(double value)
{
    return std::isfinite(value) ? QString::number(value, 'g', 4) : u"-"_s;
}

// The mean of the defined validation factors of the ticked series; NaN where none is.
double ValidationMean(const ConditioningIteration &iteration,
    const std::array<bool, kSeriesCount> &series, bool pFactor)
{
    double sum = 0;
    int count = 0;
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        const BandFit &fit = iteration.fit[c].validation;
        const double value = pFactor ? fit.pFactor : fit.rFactor;
        if (series[c] && std::isfinite(value)) {
            sum += value;
            ++count;
        }
    }
    return count > 0 ? sum / count : std::nan("");
}

} // namespace

QWidget *UncertaintyDialog::buildIterationsTab()
{
    auto *tab = new QWidget(this);
    iterationTable = new QTableWidget(0, IterationColumns, tab);
    iterationTable->setObjectName(u"iterationTable"_s);
    iterationTable->setHorizontalHeaderLabels({u"Iteration"_s, u"Behavioural\nruns"_s,
        u"Runs\nused"_s, u"Runs\nfailed"_s, u"p-factor"_s, u"r-factor"_s,
        u"p-factor\n(validation)"_s, u"r-factor\n(validation)"_s, u"Note"_s});
    iterationTable->setToolTip(u"p- and r-factor: the mean over the conditioned series of the "
                               "calibration period (and of the validation period apart)"_s);
    rangesTable = new QTableWidget(0, 0, tab);
    rangesTable->setObjectName(u"rangesTable"_s);
    rangesTable->setToolTip(u"The range each iteration sampled, and the value of the best run "
                            "of the kept iteration"_s);
    for (QTableWidget *t : {iterationTable, rangesTable}) {
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->verticalHeader()->hide();
        t->verticalHeader()->setDefaultSectionSize(20);
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }
    iterationTable->horizontalHeader()->setStretchLastSection(true);
    notesLabel = new QLabel(u"Tick \"Condition on measurements\" and press \"Run\": each "
                            "iteration's ranges, p- and r-factor and behavioural runs show "
                            "here."_s,
        tab);
    notesLabel->setObjectName(u"conditioningNotes"_s);
    notesLabel->setWordWrap(true);
    useRangesButton = new QPushButton(u"Use ranges"_s, tab);
    useRangesButton->setObjectName(u"useRangesButton"_s);
    useRangesButton->setToolTip(u"Opens the calibration with the kept iteration's ranges as the "
                                "bounds of the varied parameters"_s);
    exportRangesButton = new QPushButton(u"Export ranges..."_s, tab);
    exportRangesButton->setObjectName(u"exportRangesButton"_s);
    useRangesButton->setEnabled(false);
    exportRangesButton->setEnabled(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(notesLabel, 1);
    buttons->addWidget(exportRangesButton, 0, Qt::AlignTop);
    buttons->addWidget(useRangesButton, 0, Qt::AlignTop);
    auto *layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(iterationTable, 2);
    layout->addWidget(rangesTable, 3);
    layout->addLayout(buttons);

    connect(useRangesButton, &QPushButton::clicked, this, [this] {
        if (!conditioning_ || !useRanges)
            return;
        const auto kept = static_cast<std::size_t>(conditioning_->kept);
        useRanges(conditioning_->iterations[kept].ranges, conditionedVaried_);
    });
    connect(exportRangesButton, &QPushButton::clicked, this, [this] {
        if (conditioning_)
            exportText(u"Export conditioned ranges"_s, u"ranges.csv"_s,
                ConditioningRangesCsv(*conditioning_, conditionedVaried_), "The ranges");
    });
    return tab;
}

QWidget *UncertaintyDialog::buildPermitTab()
{
    compliancePanel = new CompliancePanel(dialogs_, this);
    lockWhileRunning(compliancePanel);

    auto *graph = new QWidget(compliancePanel);
    bandSeriesCombo = new QComboBox(graph);
    bandSeriesCombo->setObjectName(u"bandSeriesCombo"_s);
    for (std::string_view heading : kSeriesHeadings)
        bandSeriesCombo->addItem(QString::fromUtf8(heading));
    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    QFont small = chart->legend()->font();
    small.setPointSizeF(7.5);
    chart->legend()->setFont(small);
    chart->setMargins(QMargins(0, 0, 0, 0));
    bandChartView = new QChartView(chart, graph);
    bandChartView->setObjectName(u"bandChart"_s);
    bandChartView->setRenderHint(QPainter::Antialiasing);
    bandChartView->setMinimumSize(300, 220);
    auto *choice = new QHBoxLayout;
    choice->addWidget(new QLabel(u"Band of:"_s, graph));
    choice->addWidget(bandSeriesCombo, 1);
    auto *graphLayout = new QVBoxLayout(graph);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    graphLayout->addLayout(choice);
    graphLayout->addWidget(bandChartView, 1);
    compliancePanel->setGraph(graph);

    connect(bandSeriesCombo, &QComboBox::currentIndexChanged, this, [this] { drawBand(); });
    connect(compliancePanel, &CompliancePanel::targetsChanged, this, [this] { drawBand(); });
    drawBand();
    return compliancePanel;
}

void UncertaintyDialog::showResult()
{
    const bool validation = conditioning_ && conditioning_->validation;
    table->setColumnHidden(4, !validation);
    table->setColumnHidden(5, !validation);
    for (int c = 0; c < kSeriesCount; ++c) {
        const auto at = static_cast<std::size_t>(c);
        // Conditioned, a conditioned series shows the fit of the calibration period (and the
        // validation's apart); every other series the band's against all its measured days.
        BandFit fit = result_->fit[at];
        BandFit validationFit {0, std::nan(""), std::nan("")};
        if (conditioning_ && conditionedSeries_[at]) {
            const PeriodFits &periods
                = conditioning_->iterations[static_cast<std::size_t>(conditioning_->kept)].fit[at];
            fit = periods.calibration;
            validationFit = periods.validation;
        }
        const QString values[] = {QString::number(fit.observed), ResultNumber(fit.pFactor),
            ResultNumber(fit.rFactor), ResultNumber(validationFit.pFactor),
            ResultNumber(validationFit.rFactor)};
        for (int column = 1; column < 6; ++column)
            table->setItem(c, column, Cell(values[column - 1]));
    }
    exportBandsButton->setEnabled(true);
    exportReportButton->setEnabled(true);
    showIterations();
    drawBand();
}

void UncertaintyDialog::showIterations()
{
    useRangesButton->setEnabled(conditioning_.has_value());
    exportRangesButton->setEnabled(conditioning_.has_value());
    if (!conditioning_) {
        iterationTable->setRowCount(0);
        rangesTable->setRowCount(0);
        rangesTable->setColumnCount(0);
        notesLabel->setText(u"The band was not conditioned: every parameter was sampled over its "
                            "whole range."_s);
        return;
    }
    const ConditioningResult &result = *conditioning_;
    const bool validation = result.validation;
    iterationTable->setColumnHidden(ItValidationP, !validation);
    iterationTable->setColumnHidden(ItValidationR, !validation);
    const auto count = static_cast<int>(result.iterations.size());
    iterationTable->setRowCount(count);
    for (int row = 0; row < count; ++row) {
        const ConditioningIteration &it = result.iterations[static_cast<std::size_t>(row)];
        QStringList notes;
        if (row == result.kept)
            notes << u"kept"_s;
        if (it.reachesGoal)
            notes << u"goal reached"_s;
        if (it.toppedUp)
            notes << u"the best %1 runs stood in"_s.arg(it.standIns);
        if (it.noWeight)
            notes << u"every weight 0"_s;
        const QString texts[] = {QString::number(row + 1), QString::number(it.behavioural),
            QString::number(it.runsUsed), QString::number(it.runsFailed), Short(it.meanPFactor),
            Short(it.meanRFactor), Short(ValidationMean(it, conditionedSeries_, true)),
            Short(ValidationMean(it, conditionedSeries_, false)), notes.join(u"; "_s)};
        for (int column = 0; column < IterationColumns; ++column) {
            auto *item = Cell(texts[column], column != ItNote);
            if (row == result.kept) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            iterationTable->setItem(row, column, item);
        }
    }

    // The ranges: a row per varied parameter, a column per iteration, then the best run kept.
    std::vector<int> parameters;
    for (int p = 0; p < kParameterCount; ++p) {
        if (conditionedVaried_[static_cast<std::size_t>(p)])
            parameters.push_back(p);
    }
    QStringList headings {u"Parameter"_s};
    for (int i = 0; i < count; ++i)
        headings << (i == result.kept ? u"Iteration %1 (kept)"_s : u"Iteration %1"_s).arg(i + 1);
    headings << u"Best (kept)"_s;
    rangesTable->setRowCount(static_cast<int>(parameters.size()));
    rangesTable->setColumnCount(static_cast<int>(headings.size()));
    rangesTable->setHorizontalHeaderLabels(headings);
    const ConditioningIteration &kept = result.iterations[static_cast<std::size_t>(result.kept)];
    for (int row = 0; row < static_cast<int>(parameters.size()); ++row) {
        const auto p = static_cast<Parameter>(parameters[static_cast<std::size_t>(row)]);
        const auto at = static_cast<std::size_t>(p);
        rangesTable->setItem(row, 0, Cell(QString::fromUtf8(ParameterName(p)), false));
        for (int i = 0; i < count; ++i) {
            const ParameterRange &range = result.iterations[static_cast<std::size_t>(i)].ranges[at];
            rangesTable->setItem(row, i + 1,
                Cell(u"%1 \u2013 %2"_s.arg(Short(LowestKept(range)), Short(range.upper))));
        }
        rangesTable->setItem(row, count + 1, Cell(Short(kept.best.get(p))));
    }
    QStringList notes;
    for (const std::string &line : ConditioningNotes(result, conditionedThreshold_))
        notes << QString::fromStdString(line);
    notesLabel->setText(notes.join(u' '));
}

void UncertaintyDialog::drawBand()
{
    QChart *chart = bandChartView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes())
        chart->removeAxis(axis);
    const int column = std::max(0, bandSeriesCombo->currentIndex());
    const auto at = static_cast<std::size_t>(column);
    const QString unit = SeriesUnit(column);
    chart->setTitle(QString::fromUtf8(kSeriesHeadings[at]));
    auto *dayAxis = new QValueAxis;
    dayAxis->setTitleText(u"Day"_s);
    dayAxis->setLabelFormat(u"%d"_s);
    auto *valueAxis = new QValueAxis;
    valueAxis->setTitleText(unit);
    chart->addAxis(dayAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    const auto attach = [&](QAbstractSeries *series) {
        chart->addSeries(series);
        series->attachAxis(dayAxis);
        series->attachAxis(valueAxis);
    };

    const int days = result_ ? result_->days : 10;
    double low = 0;
    double high = 1;
    if (result_) {
        const PredictionBand &band = result_->bands[at];
        auto *upper = new QLineSeries;
        auto *lower = new QLineSeries;
        auto *median = new QLineSeries;
        for (std::size_t d = 0; d < band.upper.size(); ++d) {
            const auto day = static_cast<double>(d + 1);
            upper->append(day, band.upper[d]);
            lower->append(day, band.lower[d]);
            median->append(day, band.median[d]);
            high = std::max(high, band.upper[d]);
            low = std::min(low, band.lower[d]);
        }
        auto *area = new QAreaSeries(upper, lower);
        area->setName(u"95 % band"_s);
        area->setColor(QColor(0x9e, 0xc5, 0xea));
        area->setBorderColor(QColor(0x6b, 0x9f, 0xd0));
        attach(area);
        median->setName(u"Median"_s);
        median->setPen(QPen(QColor(0x1f, 0x4e, 0x8c), 1.5));
        attach(median);
        if (!observed_[at].empty()) {
            auto *measured = new QScatterSeries;
            measured->setName(u"Measured"_s);
            measured->setMarkerSize(7);
            measured->setColor(QColor(0x20, 0x20, 0x20));
            for (const Observation &o : observed_[at]) {
                measured->append(o.day, o.value);
                high = std::max(high, o.value);
            }
            attach(measured);
        }
    }
    // The permit's limits of this series as horizontal lines.
    std::vector<PermitTarget> targets;
    try {
        targets = compliancePanel->targets();
    } catch (const Error &) {
        targets.clear(); // a row being typed: no line until it reads
    }
    for (const PermitTarget &target : targets) {
        if (target.series != column)
            continue;
        auto *limit = new QLineSeries;
        limit->setName(u"Limit %1 (%2)"_s.arg(QString::fromStdString(FormatGeneral(target.limit)),
            QString::fromStdString(StatisticText(target))));
        QPen pen(QColor(0xc0, 0x20, 0x20), 2, Qt::DashLine);
        limit->setPen(pen);
        limit->append(1, target.limit);
        limit->append(std::max(days, 2), target.limit);
        high = std::max(high, target.limit);
        attach(limit);
    }
    dayAxis->setRange(1, std::max(days, 2));
    dayAxis->applyNiceNumbers();
    valueAxis->setRange(low, high * 1.05);
    valueAxis->applyNiceNumbers();
}

void UncertaintyDialog::exportText(
    const QString &title, const QString &name, const std::string &text, const std::string &what)
{
    const QString file = dialogs_.saveFileName(
        this, title, u"CSV file (*.csv)"_s, ExportSuggestion(projectFile_, u"-"_s + name, name));
    if (file.isEmpty())
        return;
    try {
        WriteFileAtomically(file.toStdString(), text, what);
    } catch (const Error &e) {
        message(QString::fromStdString(e.what()));
    }
}

} // namespace carexa
