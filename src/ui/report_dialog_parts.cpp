// The report dialog's permit limits and its analyses: the table of limits, and which analyses the
// report holds (current, stale or missing) with a button that runs them.

#include "ui/report_dialog.h"

#include "model/number_text.h"
#include "model/output_series.h"
#include "report/report_analyses.h"
#include "report/report_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace carexa {

namespace {

constexpr int kOutflows = 5;

enum LimitColumn { SeriesColumn, ValueColumn, StatisticColumn, SourceColumn };

} // namespace

QWidget *ReportDialog::buildLimits(const ReportSettings &settings)
{
    auto *box = new QGroupBox(u"Permit limits"_s, this);
    auto *layout = new QVBoxLayout(box);
    limitsTable = new QTableWidget(0, 4, box);
    limitsTable->setObjectName(u"limitsTable"_s);
    limitsTable->setHorizontalHeaderLabels(
        {u"Series"_s, u"Limit (mg/l)"_s, u"Statistic"_s, u"Legal source"_s});
    limitsTable->horizontalHeader()->setSectionResizeMode(SourceColumn, QHeaderView::Stretch);
    limitsTable->verticalHeader()->hide();
    limitsTable->setFixedHeight(110);
    limitsTable->setToolTip(u"The statistic as the permit names it; the compliance analysis "
                            u"computes max, mean, annual mean, monthly mean, weekly mean, p95 "
                            u"and exceed-days:K"_s);
    layout->addWidget(limitsTable);
    for (const PermitLimit &limit : settings.limits)
        addLimitRow(limit);
    auto *buttons = new QHBoxLayout;
    addLimitButton = new QPushButton(u"Add limit"_s, box);
    addLimitButton->setObjectName(u"addLimitButton"_s);
    removeLimitButton = new QPushButton(u"Remove limit"_s, box);
    removeLimitButton->setObjectName(u"removeLimitButton"_s);
    buttons->addWidget(addLimitButton);
    buttons->addWidget(removeLimitButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    limitsNote = new QLabel(box);
    limitsNote->setObjectName(u"limitsNote"_s);
    limitsNote->setWordWrap(true);
    layout->addWidget(limitsNote);
    connect(addLimitButton, &QPushButton::clicked, this, [this] {
        addLimitRow(PermitLimit {.column = 1, .value = 0, .statistic = "annual mean", .source = ""});
        limitsTable->setCurrentCell(limitsTable->rowCount() - 1, ValueColumn);
        limitsTable->editItem(limitsTable->currentItem());
        refresh();
    });
    connect(removeLimitButton, &QPushButton::clicked, this, [this] {
        if (limitsTable->currentRow() >= 0)
            limitsTable->removeRow(limitsTable->currentRow());
        refresh();
    });
    connect(limitsTable, &QTableWidget::cellChanged, this, [this] { refresh(); });
    return box;
}

void ReportDialog::addLimitRow(const PermitLimit &limit)
{
    const QSignalBlocker blocker(limitsTable);
    const int row = limitsTable->rowCount();
    limitsTable->insertRow(row);
    auto *series = new QComboBox(limitsTable);
    series->setObjectName(u"limitSeries%1"_s.arg(row + 1));
    for (int c = 0; c < kOutflows; ++c)
        series->addItem(QString::fromLatin1(kSeriesHeadings[static_cast<std::size_t>(c)]));
    series->setCurrentIndex(std::clamp(limit.column, 1, kOutflows) - 1);
    limitsTable->setCellWidget(row, SeriesColumn, series);
    limitsTable->setItem(row, ValueColumn,
        new QTableWidgetItem(limit.value > 0 ? QString::fromStdString(FormatGeneral(limit.value)) : QString()));
    limitsTable->setItem(row, StatisticColumn, new QTableWidgetItem(QString::fromStdString(limit.statistic)));
    limitsTable->setItem(row, SourceColumn, new QTableWidgetItem(QString::fromStdString(limit.source)));
}

std::vector<PermitLimit> ReportDialog::limits(QStringList *problems) const
{
    std::vector<PermitLimit> limits;
    const auto text = [this](int row, int column) {
        const QTableWidgetItem *item = limitsTable->item(row, column);
        return item ? item->text().trimmed() : QString();
    };
    for (int row = 0; row < limitsTable->rowCount(); ++row) {
        const std::optional<double> value = TryParseDouble(text(row, ValueColumn).toStdString());
        if (!value || !std::isfinite(*value) || *value <= 0) {
            if (problems)
                *problems << u"Row %1: the limit is no number above 0; it is left out."_s.arg(row + 1);
            continue;
        }
        const auto *series = qobject_cast<QComboBox *>(limitsTable->cellWidget(row, SeriesColumn));
        limits.push_back(PermitLimit {.column = series ? series->currentIndex() + 1 : 1,
            .value = *value,
            .statistic = text(row, StatisticColumn).toStdString(),
            .source = text(row, SourceColumn).toStdString()});
    }
    return limits;
}

QWidget *ReportDialog::buildAnalyses()
{
    auto *box = new QGroupBox(u"Analyses"_s, this);
    auto *layout = new QVBoxLayout(box);
    analysesLabel = new QLabel(box);
    analysesLabel->setObjectName(u"analysesLabel"_s);
    analysesLabel->setWordWrap(true);
    layout->addWidget(analysesLabel);
    if (runAnalyses_) {
        runAnalysesButton = new QPushButton(u"Run the analyses..."_s, box);
        runAnalysesButton->setObjectName(u"runAnalysesButton"_s);
        runAnalysesButton->setToolTip(u"Runs with their defaults a conditioned uncertainty (when there "
                                      u"are measurements), the compliance of the permit limits and "
                                      u"Morris's screening, and keeps them with the project"_s);
        layout->addWidget(runAnalysesButton, 0, Qt::AlignLeft);
        connect(runAnalysesButton, &QPushButton::clicked, this, [this] {
            if (const std::optional<KeptAnalyses> ran = runAnalyses_(settings())) {
                source_.settings.analyses = *ran;
                refresh();
            }
        });
    }
    return box;
}

QString ReportDialog::analysesText() const
{
    ReportSource source = source_;
    source.settings.limits = limits();
    QStringList lines;
    for (const auto &[name, text] : AnalysisTitleLines(source))
        lines << QString::fromStdString(name + ": " + text);
    const KeptAnalyses &a = source.settings.analyses;
    const auto missing = [&](bool kept, const char *name) {
        if (!kept)
            lines << QString::fromLatin1(name) + u": missing"_s;
    };
    missing(a.conditioning.has_value(), "Conditioned uncertainty");
    missing(a.compliance.has_value(), "Compliance");
    missing(a.morris.has_value(), "Sensitivity screening");
    missing(a.sobol.has_value(), "Sobol' indices (carexa-sim sobol --keep)");
    missing(a.calibration.has_value(), "Calibration (carexa-sim calibrate)");
    return lines.join(u'\n');
}

void ReportDialog::refresh()
{
    QStringList problems;
    ReportSource source = source_;
    source.settings.limits = limits(&problems);
    limitsNote->setText(problems.join(u' '));
    limitsNote->setVisible(!problems.isEmpty());
    const std::vector<ReportSection> available = AvailableSections(source);
    QStringList missing;
    for (int i = 0; i < kReportSectionCount; ++i) {
        const auto section = static_cast<ReportSection>(i);
        const bool has = std::find(available.begin(), available.end(), section) != available.end();
        QCheckBox *box = sectionBoxes[static_cast<std::size_t>(i)];
        if (has && !box->isEnabled())
            box->setChecked(true);
        box->setEnabled(has);
        if (!has) {
            box->setChecked(false);
            missing << QString::fromStdString(MissingText(section));
        }
    }
    missingLabel->setText(missing.isEmpty() ? QString() : u"Not available: "_s + missing.join(u' '));
    analysesLabel->setText(analysesText());
}

} // namespace carexa
