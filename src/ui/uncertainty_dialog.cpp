#include "ui/uncertainty_dialog.h"

#include "io/output_file.h"
#include "model/error.h"
#include "ui/range_editor.h"
#include "ui/user_dialogs.h"
#include "ui/window_settings.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace carexa {

using namespace Qt::StringLiterals;

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
    auto *note = new QLabel(u"For every day and series the band runs from the 2.5th to the "
                            "97.5th percentile of the sampled runs (the 95 % prediction "
                            "uncertainty). p-factor: the share of measured days inside the "
                            "band; r-factor: its mean width on those days over the standard "
                            "deviation of the measurements."_s,
        sampleBox);
    note->setWordWrap(true);
    auto *sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addLayout(fields);
    sampleLayout->addWidget(progressBar);
    sampleLayout->addWidget(statusLabel);
    sampleLayout->addWidget(note);

    auto *resultBox = new QGroupBox(u"Results"_s, this);
    table = new QTableWidget(kSeriesCount, 4, resultBox);
    table->setObjectName(u"uncertaintyTable"_s);
    table->setHorizontalHeaderLabels(
        {u"Series"_s, u"Measured days"_s, u"p-factor"_s, u"r-factor"_s});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    for (int c = 0; c < kSeriesCount; ++c)
        table->setItem(c, 0,
            new QTableWidgetItem(QString::fromUtf8(kSeriesHeadings[static_cast<std::size_t>(c)])));
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
    resultLayout->addWidget(table, 1);
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
        if (result_)
            exportText(u"Export uncertainty report"_s, u"uncertainty.csv"_s,
                UncertaintyReportCsv(*result_), "The uncertainty report");
    });
    connect(exploreButton, &QPushButton::clicked, this, [explore = std::move(explore)] {
        if (explore)
            explore();
    });
    resize(1100, 720);
}

void UncertaintyDialog::setClimate(std::int32_t climate)
{
    ranges->setClimate(climate);
}

void UncertaintyDialog::startAnalysis()
{
    UncertaintyProject project = project_();
    UncertaintyInput input;
    input.run = std::move(project.run);
    input.observed = std::move(project.observed);
    input.ranges = ranges->ranges();
    input.varied = ranges->varied();
    input.options.samples = samplesSpin->value();
    input.options.seed = seed();
    CheckUncertaintyInput(input);
    task_.start([input = std::move(input)](
                    const AnalysisProgress &progress) { return RunUncertainty(input, progress); });
}

void UncertaintyDialog::pollAnalysis()
{
    showProgress(task_.done(), task_.total());
    if (!task_.finished())
        return;
    const int total = task_.total();
    UncertaintyResult result = task_.take();
    showProgress(task_.done(), total); // the count as the analysis left it
    if (result.cancelled) {
        finish(u"Cancelled after %1 of %2 runs."_s.arg(task_.done()).arg(total));
        return;
    }
    QString status = u"%1 samples in %2 s."_s.arg(result.runsUsed + result.runsFailed)
                         .arg(elapsedSeconds(), 0, 'f', 1);
    if (result.runsFailed > 0)
        status += u" %1 runs were left out because they stopped on non-finite values. The "
                  "first: %2"_s.arg(result.runsFailed)
                      .arg(QString::fromStdString(result.failure));
    result_ = std::move(result);
    showResult();
    if (computed_ && !computed_(*result_))
        status += u" The project was simulated again meanwhile, so the explorer does not show "
                  "this band."_s;
    finish(status);
}

void UncertaintyDialog::abandon()
{
    if (!busy())
        return;
    task_.stop();
    finish(u"Cancelled."_s);
}

void UncertaintyDialog::showResult()
{
    for (int c = 0; c < kSeriesCount; ++c) {
        const BandFit &fit = result_->fit[static_cast<std::size_t>(c)];
        const QString values[]
            = {QString::number(fit.observed), ResultNumber(fit.pFactor), ResultNumber(fit.rFactor)};
        for (int column = 1; column < 4; ++column) {
            auto *item = new QTableWidgetItem(values[column - 1]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(c, column, item);
        }
    }
    exportBandsButton->setEnabled(true);
    exportReportButton->setEnabled(true);
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
