#include "ui/sensitivity_dialog.h"

#include "io/output_file.h"
#include "model/error.h"
#include "project/kept_analyses.h"
#include "ui/range_editor.h"
#include "ui/sobol_panel.h"
#include "ui/user_dialogs.h"
#include "ui/window_settings.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

// Sorts NaN (a statistic without trajectories) below every number.
double SortKey(double value)
{
    return std::isfinite(value) ? value : -1;
}

} // namespace

SensitivityDialog::SensitivityDialog(
    UserDialogs &dialogs, std::function<RunInput()> project, QWidget *parent)
    : AnalysisDialog(u"sensitivity"_s, dialogs, parent), project_(std::move(project))
{
    setObjectName(u"SensitivityDialog"_s);
    setWindowTitle(u"Sensitivity"_s);

    auto *rangeBox = new QGroupBox(u"Parameter ranges"_s, this);
    auto *rangeLayout = new QVBoxLayout(rangeBox);
    ranges = new RangeEditor(false, rangeBox);
    rangeLayout->addWidget(ranges);
    rangeLayout->addStretch();
    lockWhileRunning(ranges);

    auto *designBox = new QGroupBox(u"Method"_s, this);
    methodCombo = new QComboBox(designBox);
    methodCombo->setObjectName(u"sensitivityMethod"_s);
    methodCombo->addItems({u"Elementary effects (Morris)"_s, u"Variance-based (Sobol')"_s});
    methodCombo->setToolTip(u"Morris screens the parameters with few runs; Sobol' splits the "
                            "variance of each series among them, with many more runs"_s);
    lockWhileRunning(methodCombo);
    trajectoriesSpin = new QSpinBox(designBox);
    trajectoriesSpin->setObjectName(u"trajectoriesSpin"_s);
    trajectoriesSpin->setRange(kMinTrajectories, kMaxTrajectories);
    trajectoriesSpin->setValue(MorrisOptions().trajectories);
    trajectoriesSpin->setToolTip(u"Each trajectory is 17 runs"_s);
    levelsSpin = new QSpinBox(designBox);
    levelsSpin->setObjectName(u"levelsSpin"_s);
    levelsSpin->setRange(kMinLevels, kMaxLevels);
    levelsSpin->setSingleStep(2);
    levelsSpin->setValue(MorrisOptions().levels);
    levelsSpin->setToolTip(u"An even number of grid levels; each step moves p / (2 (p - 1)) of "
                           "the range"_s);
    baseSamplesCombo = new QComboBox(designBox);
    baseSamplesCombo->setObjectName(u"baseSamplesCombo"_s);
    for (int n = kMinSobolSamples; n <= kMaxSobolSamples; n *= 2)
        baseSamplesCombo->addItem(QString::number(n), n);
    baseSamplesCombo->setCurrentIndex(baseSamplesCombo->findData(SobolOptions().baseSamples));
    baseSamplesCombo->setToolTip(u"N, a power of two: N (k + 2) runs for k parameters"_s);
    seedEdit->setMaximumWidth(140);
    lockWhileRunning(trajectoriesSpin);
    lockWhileRunning(levelsSpin);
    lockWhileRunning(baseSamplesCombo);
    auto *methodRow = new QHBoxLayout;
    methodRow->addWidget(new QLabel(u"Method:"_s, designBox));
    methodRow->addWidget(methodCombo);
    methodRow->addSpacing(12);
    methodRow->addWidget(new QLabel(u"Seed:"_s, designBox));
    methodRow->addWidget(seedEdit);
    methodRow->addSpacing(12);
    methodRow->addWidget(runButton);
    methodRow->addWidget(cancelButton);
    methodRow->addStretch();
    auto *fields = new QHBoxLayout;
    fields->addWidget(new QLabel(u"Trajectories r:"_s, designBox));
    fields->addWidget(trajectoriesSpin);
    fields->addSpacing(12);
    fields->addWidget(new QLabel(u"Levels p:"_s, designBox));
    fields->addWidget(levelsSpin);
    fields->addSpacing(24);
    fields->addWidget(new QLabel(u"Base samples N:"_s, designBox));
    fields->addWidget(baseSamplesCombo);
    fields->addStretch();
    auto *note = new QLabel(u"Morris: each parameter moves once per trajectory across a grid of "
                            "its range. An effect is the change of a series' mean over the "
                            "simulated days per unit of the scaled range; mu* is the mean of "
                            "the absolute effects, sigma their spread (interactions and "
                            "curvature). Sobol': the share of the variance of a series' mean "
                            "that a parameter causes alone (S1) and with its interactions (ST), "
                            "from N (k + 2) runs of a Sobol' sequence."_s,
        designBox);
    note->setWordWrap(true);
    auto *designLayout = new QVBoxLayout(designBox);
    designLayout->addLayout(methodRow);
    designLayout->addLayout(fields);
    designLayout->addWidget(progressBar);
    designLayout->addWidget(statusLabel);
    designLayout->addWidget(note);

    auto *resultBox = new QGroupBox(u"Results"_s, this);
    seriesCombo = new QComboBox(resultBox);
    seriesCombo->setObjectName(u"sensitivitySeries"_s);
    for (std::string_view heading : kSeriesHeadings)
        seriesCombo->addItem(QString::fromUtf8(heading));
    exportButton = new QPushButton(u"Export CSV..."_s, resultBox);
    exportButton->setObjectName(u"exportSensitivityButton"_s);
    exportButton->setEnabled(false);
    auto *resultTop = new QHBoxLayout;
    resultTop->addWidget(new QLabel(u"Series:"_s, resultBox));
    resultTop->addWidget(seriesCombo);
    resultTop->addStretch();
    resultTop->addWidget(exportButton);

    // The code and the name as the Parameters screen gives them, then the effects; every column
    // as wide as its texts.
    table = new QTableWidget(kParameterCount, 5, resultBox);
    table->setObjectName(u"sensitivityTable"_s);
    table->setHorizontalHeaderLabels(
        {u"Parameter"_s, u"Name"_s, u"mu*"_s, u"mu"_s, u"sigma"_s});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);

    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chartView = new QChartView(chart, resultBox);
    chartView->setObjectName(u"sensitivityChart"_s);
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(360, 360);
    // The table, as wide as its names and numbers, and the chart each take the whole width.
    resultTabs = new QTabWidget(resultBox);
    resultTabs->setObjectName(u"sensitivityResultTabs"_s);
    resultTabs->addTab(table, u"Table"_s);
    resultTabs->addTab(chartView, u"Bar chart"_s);
    sobolPanel = new SobolPanel(dialogs_, resultBox);
    resultTabs->addTab(sobolPanel, u"Sobol' indices"_s);
    auto *resultLayout = new QVBoxLayout(resultBox);
    resultLayout->addLayout(resultTop);
    resultLayout->addWidget(resultTabs, 1);

    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setObjectName(u"sensitivityCloseButton"_s);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *right = new QVBoxLayout;
    right->addWidget(designBox);
    right->addWidget(resultBox, 1);
    auto *columns = new QHBoxLayout;
    columns->addWidget(rangeBox);
    columns->addLayout(right, 1);
    auto *main = new QVBoxLayout(this);
    main->addLayout(columns, 1);
    main->addWidget(close);

    connect(seriesCombo, &QComboBox::currentIndexChanged, this, [this] {
        showSeries();
        sobolPanel->showSeries(seriesCombo->currentIndex());
    });
    connect(methodCombo, &QComboBox::currentIndexChanged, this, &SensitivityDialog::methodChanged);
    methodChanged();
    connect(exportButton, &QPushButton::clicked, this, &SensitivityDialog::exportCsv);
    resize(1200, 780);
}

void SensitivityDialog::setClimate(std::int32_t climate)
{
    ranges->setClimate(climate);
}

void SensitivityDialog::ended(const QString &status)
{
    finish(status);
    methodChanged(); // the fields of the method not chosen stay off
}

void SensitivityDialog::methodChanged()
{
    const bool sobol = methodCombo->currentIndex() == 1;
    trajectoriesSpin->setEnabled(!sobol);
    levelsSpin->setEnabled(!sobol);
    baseSamplesCombo->setEnabled(sobol);
    seedEdit->setToolTip(sobol
            ? u"The seed of the bootstrap resamples; the same seed gives the same result on any "
              "number of cores"_s
            : u"The same seed gives the same result on any number of cores"_s);
}

void SensitivityDialog::startAnalysis()
{
    sobolRunning_ = methodCombo->currentIndex() == 1;
    if (sobolRunning_) {
        startSobol();
        return;
    }
    SensitivityInput input;
    input.run = project_();
    input.ranges = ranges->ranges();
    input.options.trajectories = trajectoriesSpin->value();
    input.options.levels = levelsSpin->value();
    input.options.seed = seed();
    CheckSensitivityInput(input);
    task_.start([input = std::move(input)](TaskProgress &progress) {
        return RunSensitivity(input, progress.callback());
    });
}

void SensitivityDialog::startSobol()
{
    SobolInput input;
    input.run = project_();
    input.ranges = ranges->ranges();
    input.varied.fill(true);
    input.options.baseSamples = baseSamplesCombo->currentData().toInt();
    input.options.seed = seed();
    CheckSobolInput(input);
    sobolPanel->setProjectFile(projectFile_);
    task_.start([input = std::move(input)](TaskProgress &progress) {
        return RunSobol(input, progress.callback());
    });
}

void SensitivityDialog::sobolEnded()
{
    const auto done = static_cast<int>(task_.progress().done());
    const auto total = static_cast<int>(task_.progress().total());
    SobolResult result = task_.take<SobolResult>();
    if (result.cancelled) {
        ended(u"Cancelled after %1 of %2 runs."_s.arg(done).arg(total));
        return;
    }
    QString status = u"Sobol': N = %1, %2 runs in %3 s."_s.arg(result.baseSamples)
                         .arg(result.runs)
                         .arg(elapsedSeconds(), 0, 'f', 1);
    if (result.rowsFailed > 0)
        status += u" %1 of %2 rows were left out because a run stopped on non-finite values. "
                  "The first: %3"_s.arg(result.rowsFailed)
                      .arg(result.baseSamples)
                      .arg(QString::fromStdString(result.failure));
    keepForReport([&](KeptAnalyses &kept) {
        kept.sobol = KeptSobol {.inputs = startedOn(), .seed = seed(),
            .resamples = SobolOptions {}.resamples, .result = result};
        kept.sobol->result.failure.clear();
    });
    sobolPanel->setResult(std::move(result));
    sobolPanel->showSeries(seriesCombo->currentIndex());
    resultTabs->setCurrentWidget(sobolPanel);
    ended(status);
}

void SensitivityDialog::analysisEnded()
{
    if (sobolRunning_) {
        sobolEnded();
        return;
    }
    const auto total = static_cast<int>(task_.progress().total());
    SensitivityResult result = task_.take<SensitivityResult>();
    if (result.cancelled) {
        ended(u"Cancelled after %1 of %2 runs."_s.arg(result.runs).arg(total));
        return;
    }
    QString status = u"%1 trajectories, %2 runs in %3 s."_s.arg(result.trajectories)
                         .arg(result.runs)
                         .arg(elapsedSeconds(), 0, 'f', 1);
    if (result.trajectoriesFailed > 0)
        status += u" %1 trajectories were left out because a run stopped on non-finite values. "
                  "The first: %2"_s.arg(result.trajectoriesFailed)
                      .arg(QString::fromStdString(result.failure));
    keepForReport([&](KeptAnalyses &kept) {
        kept.morris = KeptMorris {.inputs = startedOn(), .seed = seed(),
            .levels = levelsSpin->value(), .result = result};
        kept.morris->result.failure.clear();
    });
    result_ = std::move(result);
    exportButton->setEnabled(true);
    showSeries();
    ended(status);
}

void SensitivityDialog::abandon()
{
    if (!busy())
        return;
    task_.stop();
    ended(u"Cancelled."_s);
}

void SensitivityDialog::showSeries()
{
    QChart *chart = chartView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes())
        chart->removeAxis(axis);
    if (!result_)
        return;
    const int series = seriesCombo->currentIndex();
    const auto effects = [&](int p) { return result_->of(static_cast<Parameter>(p), series); };
    order_.resize(kParameterCount);
    std::iota(order_.begin(), order_.end(), 0);
    std::stable_sort(order_.begin(), order_.end(),
        [&](int a, int b) { return SortKey(effects(a).muStar) > SortKey(effects(b).muStar); });

    for (int row = 0; row < kParameterCount; ++row) {
        const int p = order_[static_cast<std::size_t>(row)];
        const ElementaryEffects &e = effects(p);
        const auto parameter = static_cast<Parameter>(p);
        const QString values[] = {QString::fromUtf8(ParameterName(parameter)),
            QString::fromUtf8(ParameterDescription(parameter)), ResultNumber(e.muStar),
            ResultNumber(e.mu), ResultNumber(e.sigma)};
        for (int column = 0; column < 5; ++column) {
            auto *item = new QTableWidgetItem(values[column]);
            if (column > 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
    }

    // A horizontal bar chart lists its first category at the bottom: the largest goes last.
    auto *muStar = new QBarSet(u"mu*"_s);
    auto *sigma = new QBarSet(u"sigma"_s);
    muStar->setColor(QColor(0x2b, 0x6c, 0xb0));
    sigma->setColor(QColor(0xe0, 0x8a, 0x2c));
    QStringList categories;
    double largest = 0;
    for (auto p = order_.rbegin(); p != order_.rend(); ++p) {
        const ElementaryEffects &e = effects(*p);
        categories.append(QString::fromUtf8(ParameterName(static_cast<Parameter>(*p))));
        muStar->append(std::isfinite(e.muStar) ? e.muStar : 0);
        sigma->append(std::isfinite(e.sigma) ? e.sigma : 0);
        largest = std::max({largest, std::isfinite(e.muStar) ? e.muStar : 0,
            std::isfinite(e.sigma) ? e.sigma : 0});
    }
    auto *bars = new QHorizontalBarSeries;
    bars->append(muStar);
    bars->append(sigma);
    chart->addSeries(bars);
    auto *parameterAxis = new QBarCategoryAxis;
    parameterAxis->append(categories);
    QFont small = parameterAxis->labelsFont();
    small.setPointSizeF(7.5);
    parameterAxis->setLabelsFont(small);
    chart->addAxis(parameterAxis, Qt::AlignLeft);
    bars->attachAxis(parameterAxis);
    auto *effectAxis = new QValueAxis;
    effectAxis->setRange(0, largest > 0 ? largest * 1.05 : 1);
    effectAxis->applyNiceNumbers();
    effectAxis->setTitleText(u"Effect per unit of scaled range (%1)"_s.arg(SeriesUnit(series)));
    chart->addAxis(effectAxis, Qt::AlignBottom);
    bars->attachAxis(effectAxis);
}

QStringList SensitivityDialog::chartParameters() const
{
    QStringList parameters;
    for (int p : order_)
        parameters.append(QString::fromUtf8(ParameterName(static_cast<Parameter>(p))));
    return parameters;
}

std::vector<double> SensitivityDialog::chartMuStar() const
{
    std::vector<double> values;
    const auto *bars = chartView->chart()->series().isEmpty()
        ? nullptr
        : qobject_cast<QHorizontalBarSeries *>(chartView->chart()->series().constFirst());
    if (!bars)
        return values;
    const QBarSet *muStar = bars->barSets().constFirst();
    for (int i = muStar->count() - 1; i >= 0; --i)
        values.push_back(muStar->at(i));
    return values;
}

void SensitivityDialog::exportCsv()
{
    if (!result_)
        return;
    const QString file = dialogs_.saveFileName(this, u"Export sensitivity"_s, u"CSV file (*.csv)"_s,
        ExportSuggestion(projectFile_, u"-sensitivity.csv"_s, u"sensitivity.csv"_s));
    if (file.isEmpty())
        return;
    try {
        WriteFileAtomically(file.toStdString(), SensitivityCsv(*result_), "The sensitivity report");
    } catch (const Error &e) {
        message(QString::fromStdString(e.what()));
    }
}

} // namespace carexa
