#include "ui/uncertainty_dialog.h"

#include "model/error.h"
#include "project/kept_analyses.h"
#include "model/number_text.h"
#include "ui/compliance_panel.h"
#include "ui/range_editor.h"
#include "ui/user_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <limits>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

// The work of one "Run": the band (plain or conditioned), then the probabilities of the targets
// over its ensemble. The progress counts the runs of both; those of the second are estimated
// until it starts.
UncertaintyOutcome RunAll(const std::optional<UncertaintyInput> &plain,
    const std::optional<ConditioningInput> &conditioning, std::optional<ComplianceInput> compliance,
    int complianceEstimate, const AnalysisProgress &progress)
{
    UncertaintyOutcome outcome;
    std::atomic<int> offset = 0;
    std::atomic<int> extra = compliance ? complianceEstimate : 0;
    std::atomic<int> lastTotal = 0;
    const AnalysisProgress staged = [&](int done, int total) {
        lastTotal = total;
        return progress(offset + done, offset + total + extra);
    };
    if (conditioning) {
        outcome.conditioned = RunConditioning(*conditioning, staged);
        outcome.cancelled = outcome.conditioned->cancelled;
        if (compliance)
            compliance->ensemble = outcome.conditioned->ensemble;
    } else {
        outcome.plain = RunUncertainty(*plain, staged);
        outcome.cancelled = outcome.plain->cancelled;
    }
    if (outcome.cancelled || !compliance)
        return outcome;
    offset = lastTotal.load();
    extra = 0;
    outcome.compliance = RunCompliance(*compliance, staged);
    outcome.cancelled = outcome.compliance->cancelled;
    return outcome;
}

} // namespace

UncertaintyDialog::UncertaintyDialog(UserDialogs &dialogs,
    std::function<UncertaintyProject()> project,
    std::function<bool(const UncertaintyResult &)> computed, std::function<void()> explore,
    QWidget *parent)
    : AnalysisDialog(u"uncertainty"_s, dialogs, parent),
      project_(std::move(project)),
      computed_(std::move(computed))
{
    setObjectName(u"UncertaintyDialog"_s);
    setWindowTitle(u"Uncertainty"_s);

    auto *rangeBox = new QGroupBox(u"Parameters to vary"_s, this);
    auto *rangeLayout = new QVBoxLayout(rangeBox);
    ranges = new RangeEditor(true, rangeBox);
    rangeLayout->addWidget(ranges);
    rangeLayout->addStretch();
    lockWhileRunning(ranges);

    auto *sampleBox = new QGroupBox(u"Samples (Latin hypercube)"_s, this);
    samplesSpin = new QSpinBox(sampleBox);
    samplesSpin->setObjectName(u"samplesSpin"_s);
    samplesSpin->setRange(kMinSamples, kMaxSamples);
    samplesSpin->setValue(UncertaintyOptions().samples);
    samplesSpin->setToolTip(u"Parameter sets, each one run; every parameter uniform in its "
                            "range"_s);
    lockWhileRunning(samplesSpin);
    seedEdit->setMaximumWidth(140);
    auto *fields = new QHBoxLayout;
    fields->addWidget(new QLabel(u"Samples:"_s, sampleBox));
    fields->addWidget(samplesSpin);
    fields->addSpacing(12);
    fields->addWidget(new QLabel(u"Seed:"_s, sampleBox));
    fields->addWidget(seedEdit);
    fields->addSpacing(12);
    fields->addWidget(runButton);
    fields->addWidget(cancelButton);
    fields->addStretch();

    // The conditioned mode and its options, as carexa-sim condition takes them.
    const ConditioningOptions conditioningDefaults;
    conditionCheck = new QCheckBox(u"Condition on measurements"_s, sampleBox);
    conditionCheck->setObjectName(u"conditionCheck"_s);
    conditionCheck->setToolTip(
        u"SUFI-2 iterations narrow the ranges toward the measurements; the band rests on the "
        "behavioural runs (weighted-mean NSE at least the threshold), weighted by their "
        "likelihood as in GLUE"_s);
    iterationsSpin = new QSpinBox(sampleBox);
    iterationsSpin->setObjectName(u"iterationsSpin"_s);
    iterationsSpin->setRange(1, kMaxConditioningIterations);
    iterationsSpin->setValue(conditioningDefaults.iterations);
    iterationsSpin->setToolTip(u"At most this many iterations; they stop early once p-factor "
                               ">= 0.7 and r-factor <= 1.5 on every conditioned series"_s);
    thresholdEdit = new QLineEdit(QString::fromStdString(FormatGeneral(conditioningDefaults.threshold)), sampleBox);
    thresholdEdit->setObjectName(u"thresholdEdit"_s);
    thresholdEdit->setMaximumWidth(56);
    thresholdEdit->setToolTip(u"The weighted-mean NSE a run needs to be behavioural"_s);
    validationSpin = new QSpinBox(sampleBox);
    validationSpin->setObjectName(u"validationSpin"_s);
    validationSpin->setRange(0, std::numeric_limits<std::int32_t>::max());
    validationSpin->setSpecialValueText(u"none"_s);
    validationSpin->setValue(conditioningDefaults.validationFrom);
    validationSpin->setMaximumWidth(90);
    validationSpin->setToolTip(u"The first day of a validation period: its measurements are not "
                               "used to condition, and its p- and r-factor are shown apart"_s);
    for (QWidget *widget :
        std::initializer_list<QWidget *> {conditionCheck, iterationsSpin, thresholdEdit, validationSpin})
        lockWhileRunning(widget);
    auto *conditionFields = new QHBoxLayout;
    conditionFields->addWidget(conditionCheck);
    conditionFields->addSpacing(8);
    conditionFields->addWidget(new QLabel(u"Iterations:"_s, sampleBox));
    conditionFields->addWidget(iterationsSpin);
    conditionFields->addSpacing(8);
    conditionFields->addWidget(new QLabel(u"NSE threshold:"_s, sampleBox));
    conditionFields->addWidget(thresholdEdit);
    conditionFields->addSpacing(8);
    conditionFields->addWidget(new QLabel(u"Validation from day:"_s, sampleBox));
    conditionFields->addWidget(validationSpin);
    conditionFields->addStretch();

    auto *note = new QLabel(u"For every day and series the band runs from the 2.5th to the "
                            "97.5th percentile of the sampled runs (the 95 % prediction "
                            "uncertainty). p-factor: the share of measured days inside the "
                            "band; r-factor: its mean width on those days over the standard "
                            "deviation of the measurements."_s,
        sampleBox);
    note->setWordWrap(true);
    auto *sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addLayout(fields);
    sampleLayout->addLayout(conditionFields);
    sampleLayout->addWidget(progressBar);
    sampleLayout->addWidget(statusLabel);
    sampleLayout->addWidget(note);

    auto *resultBox = new QGroupBox(u"Results"_s, this);
    table = new QTableWidget(kSeriesCount, 6, resultBox);
    table->setObjectName(u"uncertaintyTable"_s);
    table->setHorizontalHeaderLabels({u"Series"_s, u"Measured days"_s, u"p-factor"_s,
        u"r-factor"_s, u"p-factor (validation)"_s, u"r-factor (validation)"_s});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    // The tick says which series a conditioning conditions on (those with 2 measured days).
    for (int c = 0; c < kSeriesCount; ++c) {
        auto *item
            = new QTableWidgetItem(QString::fromUtf8(kSeriesHeadings[static_cast<std::size_t>(c)]));
        item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
        item->setCheckState(Qt::Checked);
        item->setToolTip(u"Ticked: \"Condition on measurements\" conditions on this series when "
                         "it has at least 2 measured days"_s);
        table->setItem(c, 0, item);
    }
    table->setColumnHidden(4, true);
    table->setColumnHidden(5, true);
    resultTabs = new QTabWidget(resultBox);
    resultTabs->setObjectName(u"uncertaintyResultTabs"_s);
    resultTabs->addTab(table, u"Fit"_s);
    resultTabs->addTab(buildIterationsTab(), u"Iterations"_s);
    resultTabs->addTab(buildPermitTab(), u"Permit"_s);

    exportBandsButton = new QPushButton(u"Export bands..."_s, resultBox);
    exportBandsButton->setObjectName(u"exportBandsButton"_s);
    exportReportButton = new QPushButton(u"Export report..."_s, resultBox);
    exportReportButton->setObjectName(u"exportReportButton"_s);
    exploreButton = new QPushButton(u"Explore results..."_s, resultBox);
    exploreButton->setObjectName(u"exploreBandButton"_s);
    for (QPushButton *button : {exportBandsButton, exportReportButton})
        button->setEnabled(false);
    auto *resultButtons = new QHBoxLayout;
    resultButtons->addWidget(exportBandsButton);
    resultButtons->addWidget(exportReportButton);
    resultButtons->addStretch();
    resultButtons->addWidget(exploreButton);
    auto *resultLayout = new QVBoxLayout(resultBox);
    resultLayout->addWidget(resultTabs, 1);
    resultLayout->addLayout(resultButtons);

    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setObjectName(u"uncertaintyCloseButton"_s);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *right = new QVBoxLayout;
    right->addWidget(sampleBox);
    right->addWidget(resultBox, 1);
    auto *columns = new QHBoxLayout;
    columns->addWidget(rangeBox);
    columns->addLayout(right, 1);
    auto *main = new QVBoxLayout(this);
    main->addLayout(columns, 1);
    main->addWidget(close);

    connect(exportBandsButton, &QPushButton::clicked, this, [this] {
        if (result_)
            exportText(u"Export uncertainty bands"_s, u"bands.csv"_s, BandsCsv(*result_),
                "The uncertainty bands");
    });
    connect(exportReportButton, &QPushButton::clicked, this, [this] {
        if (conditioning_)
            exportText(u"Export conditioning report"_s, u"conditioning.csv"_s,
                ConditioningReportCsv(*conditioning_, conditionedSeries_),
                "The conditioning report");
        else if (result_)
            exportText(u"Export uncertainty report"_s, u"uncertainty.csv"_s,
                UncertaintyReportCsv(*result_), "The uncertainty report");
    });
    connect(exploreButton, &QPushButton::clicked, this, [explore = std::move(explore)] {
        if (explore)
            explore();
    });
    connect(conditionCheck, &QCheckBox::toggled, this, &UncertaintyDialog::conditionToggled);
    conditionToggled(false);
    resize(1180, 760);
}

void UncertaintyDialog::conditionToggled(bool condition)
{
    // Each mode keeps its own number of samples, starting at carexa-sim's default of each.
    if (condition) {
        plainSamples_ = samplesSpin->value();
        samplesSpin->setRange(kMinConditioningSamples, kMaxConditioningSamples);
        samplesSpin->setValue(conditionedSamples_);
    } else if (samplesSpin->minimum() == kMinConditioningSamples) {
        conditionedSamples_ = samplesSpin->value();
        samplesSpin->setRange(kMinSamples, kMaxSamples);
        samplesSpin->setValue(plainSamples_);
    }
    samplesSpin->setToolTip(condition
            ? u"Parameter sets of every iteration, each one run"_s
            : u"Parameter sets, each one run; every parameter uniform in its range"_s);
    enableConditionFields();
}

void UncertaintyDialog::enableConditionFields()
{
    const bool condition = conditionCheck->isChecked();
    for (QWidget *widget :
        std::initializer_list<QWidget *> {iterationsSpin, thresholdEdit, validationSpin})
        widget->setEnabled(condition);
}

void UncertaintyDialog::setClimate(std::int32_t climate)
{
    ranges->setClimate(climate);
}

const std::optional<ComplianceResult> &UncertaintyDialog::compliance() const
{
    return compliancePanel->result();
}

void UncertaintyDialog::startAnalysis()
{
    const bool condition = conditionCheck->isChecked();
    // The fields first, so a refusal costs no copy of the project.
    const auto varied = ranges->varied();
    const auto sampled = ranges->ranges();
    const std::uint64_t seed = this->seed();
    std::vector<PermitTarget> targets = compliancePanel->targets();
    const auto startDate = compliancePanel->startDate();
    const auto warmUp = compliancePanel->warmUp();
    double threshold = 0;
    if (condition) {
        const std::string text = thresholdEdit->text().trimmed().toStdString();
        const std::optional<double> value = TryParseDouble(text);
        if (!value)
            throw Error("The NSE threshold must be a number, not \"" + QuotedText(text) + "\".");
        threshold = *value;
    }

    UncertaintyProject project = project_();
    std::optional<UncertaintyInput> plain;
    std::optional<ConditioningInput> conditioning;
    if (condition) {
        conditioning = DefaultConditioningInput(project.run, project.observed);
        for (int c = 0; c < kSeriesCount; ++c) {
            if (table->item(c, 0)->checkState() != Qt::Checked)
                conditioning->series[static_cast<std::size_t>(c)] = false;
        }
        conditioning->ranges = sampled;
        conditioning->varied = varied;
        conditioning->options.samples = samplesSpin->value();
        conditioning->options.iterations = iterationsSpin->value();
        conditioning->options.threshold = threshold;
        conditioning->options.validationFrom = validationSpin->value();
        conditioning->options.seed = seed;
        CheckConditioningInput(*conditioning);
    } else {
        plain.emplace();
        plain->run = project.run;
        plain->observed = project.observed;
        plain->ranges = sampled;
        plain->varied = varied;
        plain->options.samples = samplesSpin->value();
        plain->options.seed = seed;
        CheckUncertaintyInput(*plain);
    }

    std::optional<ComplianceInput> compliance;
    int complianceEstimate = 0;
    if (!targets.empty()) {
        compliance.emplace();
        compliance->run = project.run;
        compliance->targets = std::move(targets);
        compliance->startDate = startDate;
        compliance->warmUp = warmUp;
        if (condition) {
            // The targets are checked before the runs; the ensemble comes from the conditioning.
            compliance->ensemble.parameters = {project.run.parameters};
            compliance->ensemble.weights = {1};
            complianceEstimate = samplesSpin->value();
        } else {
            compliance->ensemble = PlainEnsemble(
                project.run, sampled, varied, compliancePanel->samplesSpin->value(), seed);
            complianceEstimate = static_cast<int>(compliance->ensemble.size());
        }
        CheckComplianceInput(*compliance);
    }

    observed_ = project.observed;
    running_ = {condition, samplesSpin->value(), iterationsSpin->value(), compliance.has_value(),
        condition ? samplesSpin->value() : compliancePanel->samplesSpin->value(), conditioning};
    if (conditioning) {
        conditionedVaried_ = conditioning->varied;
        conditionedSeries_ = conditioning->series;
        conditionedThreshold_ = threshold;
    }
    compliancePanel->setProjectFile(projectFile_);
    task_.start([plain = std::move(plain), conditioning = std::move(conditioning),
                    compliance = std::move(compliance),
                    complianceEstimate](TaskProgress &progress) {
        return RunAll(plain, conditioning, compliance, complianceEstimate, progress.callback());
    });
}

void UncertaintyDialog::analysisProgressed()
{
    // Which stage the runs are in: N runs an iteration, then N for the bands, then the
    // ensemble's for the targets.
    if (!running_.conditioned || task_.finished() || task_.cancelRequested())
        return;
    const int stage = static_cast<int>(task_.progress().done()) / std::max(1, running_.samples);
    if (stage < running_.iterations)
        statusLabel->setText(
            u"Iteration %1 of at most %2..."_s.arg(stage + 1).arg(running_.iterations));
    else if (stage == running_.iterations)
        statusLabel->setText(u"The bands of the kept iteration..."_s);
    else if (running_.targets)
        statusLabel->setText(u"The probabilities of the permit targets..."_s);
}

void UncertaintyDialog::analysisEnded()
{
    const auto done = static_cast<int>(task_.progress().done());
    const auto total = static_cast<int>(task_.progress().total());
    UncertaintyOutcome outcome = task_.take<UncertaintyOutcome>();
    if (outcome.cancelled) {
        finish(u"Cancelled after %1 of %2 runs."_s.arg(done).arg(total));
        enableConditionFields();
        return;
    }
    QString status;
    int failed = 0;
    std::string failure;
    if (outcome.conditioned) {
        ConditioningResult &conditioned = *outcome.conditioned;
        for (const ConditioningIteration &iteration : conditioned.iterations)
            failed += iteration.runsFailed;
        failure = conditioned.failure;
        status = u"%1 iterations of %2 samples in %3 s; iteration %4 kept."_s
                     .arg(conditioned.iterations.size())
                     .arg(samplesSpin->value())
                     .arg(elapsedSeconds(), 0, 'f', 1)
                     .arg(conditioned.kept + 1);
        if (running_.conditioning) {
            keepForReport([&](KeptAnalyses &kept) {
                kept.conditioning = KeepConditioning(*running_.conditioning, conditioned, startedOn());
            });
        }
        result_ = std::move(conditioned.band);
        conditioning_ = std::move(conditioned);
        conditioning_->band = {}; // kept once, as result_
    } else {
        UncertaintyResult &plain = *outcome.plain;
        failed = plain.runsFailed;
        failure = plain.failure;
        status = u"%1 samples in %2 s."_s.arg(plain.runsUsed + plain.runsFailed)
                     .arg(elapsedSeconds(), 0, 'f', 1);
        result_ = std::move(plain);
        conditioning_.reset();
    }
    if (failed > 0)
        status += u" %1 runs were left out because they stopped on non-finite values. The "
                  "first: %2"_s.arg(failed)
                      .arg(QString::fromStdString(failure));
    if (outcome.compliance) {
        const ComplianceResult &result = *outcome.compliance;
        keepForReport([&](KeptAnalyses &kept) {
            kept.compliance = KeptCompliance {.inputs = startedOn(), .seed = seed(),
                .samples = running_.complianceSamples, .conditioned = result.conditioned,
                .warmUp = result.warmUp, .runsUsed = result.runsUsed, .runsFailed = result.runsFailed,
                .effectiveRuns = result.effectiveRuns, .outcomes = result.outcomes};
        });
        compliancePanel->setResult(std::move(*outcome.compliance));
    }
    else
        compliancePanel->clearResult();
    showResult();
    // The project keeps the band only if it still holds what the samples were taken from.
    const bool kept = !computed_ || computed_(*result_);
    if (!kept)
        status += u" The project changed meanwhile, so the explorer does not show this band."_s;
    finish(status);
    enableConditionFields();
    if (!kept)
        message(u"The project changed while the samples ran, so it does not keep this band and "
                "the explorer does not show it."_s);
}

void UncertaintyDialog::abandon()
{
    if (!busy())
        return;
    task_.stop();
    finish(u"Cancelled."_s);
    enableConditionFields();
}

} // namespace carexa
