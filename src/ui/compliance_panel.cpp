#include "ui/compliance_panel.h"

#include "io/output_file.h"
#include "model/error.h"
#include "model/number_text.h"
#include "model/output_series.h"
#include "ui/analysis_dialog.h"
#include "ui/user_dialogs.h"
#include "ui/window_settings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

enum TargetColumn { SeriesColumn, LimitColumn, StatisticColumn, DaysColumn, TargetColumns };
enum OutcomeColumn { OutSeries, OutTarget, OutProbability, OutInterval, OutLow, OutMedian, OutHigh,
    OutcomeColumns };

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QTableWidgetItem *Cell(const QString &text, bool number)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString Share(double value)
{
    return std::isfinite(value) ? QString::number(value, 'f', 3) : u"n/a"_s;
}

} // namespace

QStringList PermitStatisticNames()
{
    return {u"max"_s, u"mean"_s, u"annual-mean"_s, u"monthly-mean"_s, u"weekly-mean"_s, u"p95"_s,
        u"exceed-days"_s, u"removal-monthly"_s};
}

CompliancePanel::CompliancePanel(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent), dialogs_(dialogs)
{
    setObjectName(u"compliancePanel"_s);
    targetTable = new QTableWidget(0, TargetColumns, this);
    targetTable->setObjectName(u"targetTable"_s);
    targetTable->setHorizontalHeaderLabels(
        {u"Series"_s, u"Limit"_s, u"Statistic"_s, u"Days allowed"_s});
    targetTable->verticalHeader()->setDefaultSectionSize(24);
    targetTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    targetTable->horizontalHeader()->setStretchLastSection(true);
    targetTable->setToolTip(
        u"A target is met when its statistic is at most the limit (for removal-monthly, at least "
        "the limit in %). max: every day; mean: the days' mean; annual-, monthly-, weekly-mean: "
        "the highest mean of such a period; p95: the 95th percentile; exceed-days: at most "
        "\"Days allowed\" days above the limit in any 365 days."_s);
    addTargetButton = new QPushButton(u"Add target"_s, this);
    addTargetButton->setObjectName(u"addTargetButton"_s);
    removeTargetButton = new QPushButton(u"Remove target"_s, this);
    removeTargetButton->setObjectName(u"removeTargetButton"_s);
    startDateEdit = new QLineEdit(this);
    startDateEdit->setObjectName(u"startDateEdit"_s);
    startDateEdit->setPlaceholderText(u"YYYY-MM-DD"_s);
    startDateEdit->setToolTip(u"The date of day 1: months and weeks are calendar ones. Without "
                              "it, 30- and 7-day blocks from the first day after the warm-up."_s);
    warmUpEdit = new QLineEdit(this);
    warmUpEdit->setObjectName(u"warmUpEdit"_s);
    warmUpEdit->setPlaceholderText(u"largest RTB"_s);
    warmUpEdit->setToolTip(u"Days left out at the start; empty: the largest retention time per "
                           "box of the run in whole days, at least 1"_s);
    samplesSpin = new QSpinBox(this);
    samplesSpin->setObjectName(u"complianceSamplesSpin"_s);
    samplesSpin->setRange(kMinSamples, kMaxSamples);
    samplesSpin->setValue(kDefaultComplianceSamples);
    samplesSpin->setToolTip(u"The parameter sets of the ensemble when it is not conditioned "
                            "(a Latin hypercube over the ranges); conditioned, the ensemble is "
                            "the behavioural runs of the kept iteration"_s);

    outcomeTable = new QTableWidget(0, OutcomeColumns, this);
    outcomeTable->setObjectName(u"complianceTable"_s);
    outcomeTable->setHorizontalHeaderLabels({u"Series"_s, u"Target"_s, u"Probability met"_s,
        u"95 % interval"_s, u"Statistic 2.5 %"_s, u"Statistic 50 %"_s, u"Statistic 97.5 %"_s});
    outcomeTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outcomeTable->verticalHeader()->hide();
    outcomeTable->verticalHeader()->setDefaultSectionSize(20);
    outcomeTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    noteLabel = new QLabel(this);
    noteLabel->setObjectName(u"complianceNote"_s);
    noteLabel->setWordWrap(true);
    exportButton = new QPushButton(u"Export probabilities..."_s, this);
    exportButton->setObjectName(u"exportComplianceButton"_s);

    auto *targetButtons = new QHBoxLayout;
    targetButtons->addWidget(addTargetButton);
    targetButtons->addWidget(removeTargetButton);
    targetButtons->addStretch();
    startDateEdit->setMinimumWidth(100);
    warmUpEdit->setMinimumWidth(90);
    auto *options = new QHBoxLayout;
    options->addWidget(new QLabel(u"Date of day 1:"_s, this));
    options->addWidget(startDateEdit);
    options->addWidget(new QLabel(u"Warm-up days:"_s, this));
    options->addWidget(warmUpEdit);
    options->addStretch();
    auto *runs = new QHBoxLayout;
    runs->addWidget(new QLabel(u"Runs when not conditioned:"_s, this));
    runs->addWidget(samplesSpin);
    runs->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(noteLabel, 1);
    bottom->addWidget(exportButton, 0, Qt::AlignTop);
    // The targets and their options on the left of the top row, a graph (see setGraph) on its
    // right, the outcomes under both.
    auto *targets = new QVBoxLayout;
    targets->addWidget(targetTable, 1);
    targets->addLayout(targetButtons);
    targets->addLayout(options);
    targets->addLayout(runs);
    top_ = new QHBoxLayout;
    top_->addLayout(targets, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top_, 3);
    layout->addWidget(outcomeTable, 2);
    layout->addLayout(bottom);

    connect(addTargetButton, &QPushButton::clicked, this, [this] {
        addTarget(0, u"25"_s, u"mean"_s);
        targetTable->setCurrentCell(targetTable->rowCount() - 1, LimitColumn);
    });
    connect(removeTargetButton, &QPushButton::clicked, this, [this] {
        const int row = targetTable->currentRow();
        if (row < 0)
            return;
        targetTable->removeRow(row);
        emit targetsChanged();
    });
    connect(targetTable, &QTableWidget::itemChanged, this, [this] { emit targetsChanged(); });
    connect(exportButton, &QPushButton::clicked, this, &CompliancePanel::exportCsv);
    clearResult();
}

void CompliancePanel::addTarget(
    int series, const QString &limit, const QString &statistic, int allowedDays)
{
    const int row = targetTable->rowCount();
    targetTable->insertRow(row);
    auto *seriesCombo = new QComboBox(targetTable);
    seriesCombo->setObjectName(u"targetSeries%1"_s.arg(row));
    for (std::string_view heading : kSeriesHeadings)
        seriesCombo->addItem(Text(heading));
    seriesCombo->setCurrentIndex(std::clamp(series, 0, kSeriesCount - 1));
    auto *statisticCombo = new QComboBox(targetTable);
    statisticCombo->setObjectName(u"targetStatistic%1"_s.arg(row));
    statisticCombo->addItems(PermitStatisticNames());
    statisticCombo->setCurrentText(statistic);
    targetTable->setCellWidget(row, SeriesColumn, seriesCombo);
    targetTable->setCellWidget(row, StatisticColumn, statisticCombo);
    targetTable->setItem(row, LimitColumn, new QTableWidgetItem(limit));
    targetTable->setItem(row, DaysColumn, new QTableWidgetItem(QString::number(allowedDays)));
    connect(seriesCombo, &QComboBox::currentIndexChanged, this, [this] { emit targetsChanged(); });
    connect(
        statisticCombo, &QComboBox::currentIndexChanged, this, [this] { emit targetsChanged(); });
    emit targetsChanged();
}

void CompliancePanel::setGraph(QWidget *graph)
{
    top_->addWidget(graph, 1);
}

int CompliancePanel::targetCount() const
{
    return targetTable->rowCount();
}

std::vector<PermitTarget> CompliancePanel::targets() const
{
    std::vector<PermitTarget> targets;
    for (int row = 0; row < targetTable->rowCount(); ++row) {
        const auto *series = qobject_cast<QComboBox *>(targetTable->cellWidget(row, SeriesColumn));
        const auto *statistic
            = qobject_cast<QComboBox *>(targetTable->cellWidget(row, StatisticColumn));
        const QTableWidgetItem *limit = targetTable->item(row, LimitColumn);
        const QTableWidgetItem *days = targetTable->item(row, DaysColumn);
        QString text = QString::number(series->currentIndex() + 1) + u':'
            + (limit ? limit->text().trimmed() : QString()) + u':' + statistic->currentText();
        if (statistic->currentText() == u"exceed-days"_s)
            text += u':' + (days ? days->text().trimmed() : QString());
        try {
            targets.push_back(ParseTarget(text.toStdString()));
        } catch (const Error &e) {
            throw Error("Target " + std::to_string(row + 1) + ": " + e.what());
        }
    }
    return targets;
}

std::optional<std::chrono::year_month_day> CompliancePanel::startDate() const
{
    const std::string text = startDateEdit->text().trimmed().toStdString();
    if (text.empty())
        return std::nullopt;
    const auto date = ParseIsoDate(text);
    if (!date)
        throw Error("The date of day 1 must be a date YYYY-MM-DD, not \"" + QuotedText(text)
            + "\".");
    return date;
}

std::optional<int> CompliancePanel::warmUp() const
{
    const std::string text = warmUpEdit->text().trimmed().toStdString();
    if (text.empty())
        return std::nullopt;
    std::int32_t days = -1;
    try {
        days = ParseInteger(text);
    } catch (const Error &) {
        days = -1;
    }
    if (days < 0)
        throw Error("The warm-up must be a whole number of days, 0 or more, not \""
            + QuotedText(text) + "\".");
    return days;
}

void CompliancePanel::clearResult(const QString &reason)
{
    result_.reset();
    outcomeTable->setRowCount(0);
    exportButton->setEnabled(false);
    noteLabel->setText(reason.isEmpty()
            ? u"Add the permit's targets; \"Run\" then gives the probability that the bed meets "
              "each over the ensemble of parameter sets."_s
            : reason);
}

void CompliancePanel::setResult(ComplianceResult result)
{
    result_ = std::move(result);
    outcomeTable->setRowCount(static_cast<int>(result_->outcomes.size()));
    for (int row = 0; row < outcomeTable->rowCount(); ++row) {
        const TargetOutcome &o = result_->outcomes[static_cast<std::size_t>(row)];
        const QString unit = SeriesUnit(o.target.series);
        const QString texts[] = {
            Text(kSeriesHeadings[static_cast<std::size_t>(o.target.series)]),
            u"%1 %2 %3"_s.arg(Text(StatisticText(o.target)),
                o.target.statistic == PermitStatistic::RemovalMonthly ? u"\u2265"_s
                                                                       : u"\u2264"_s,
                QString::fromStdString(FormatGeneral(o.target.limit)) + u' ' + unit),
            Share(o.probability),
            u"%1 to %2"_s.arg(Share(o.probabilityLow), Share(o.probabilityHigh)),
            ResultNumber(o.statisticLow), ResultNumber(o.statisticMedian),
            ResultNumber(o.statisticHigh)};
        for (int column = 0; column < OutcomeColumns; ++column) {
            auto *item = Cell(texts[column], column >= OutProbability);
            if (column == OutProbability && std::isfinite(o.probability)) {
                // Green where meeting the target is likely, red where it is not.
                const double p = o.probability;
                item->setBackground(QColor::fromHsvF(static_cast<float>(p / 3), 0.35f, 1.0f));
            }
            outcomeTable->setItem(row, column, item);
        }
    }
    QString note = result_->conditioned
        ? u"The ensemble is conditioned on the measurements: "_s
        : u"The ensemble is not conditioned: "_s;
    note += u"%1 runs (effective %2), %3 days of warm-up left out."_s.arg(result_->runsUsed)
                .arg(result_->effectiveRuns, 0, 'f', 1)
                .arg(result_->warmUp);
    if (result_->runsFailed > 0)
        note += u" %1 runs stopped on non-finite values and were left out."_s.arg(
            result_->runsFailed);
    note += u' ' + Text(kComplianceScope);
    noteLabel->setText(note);
    exportButton->setEnabled(true);
}

void CompliancePanel::exportCsv()
{
    if (!result_)
        return;
    const QString file = dialogs_.saveFileName(this, u"Export probabilities"_s,
        u"CSV file (*.csv)"_s,
        ExportSuggestion(projectFile_, u"-compliance.csv"_s, u"compliance.csv"_s));
    if (file.isEmpty())
        return;
    try {
        WriteFileAtomically(file.toStdString(), ComplianceCsv(*result_), "The compliance report");
    } catch (const Error &e) {
        dialogs_.showMessage(this, QString::fromStdString(e.what()), QString());
    }
}

} // namespace carexa
