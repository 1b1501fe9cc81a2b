#include "ui/calibration_dialog.h"

#include "analysis/random.h"
#include "analysis/thread_pool.h"
#include "model/error.h"
#include "model/number_text.h"
#include "ui/confidence_panel.h"
#include "ui/fit_statistics_panel.h"
#include "ui/painter_canvas.h"
#include "ui/user_dialogs.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

// A text of the user's in a message: at most 40 characters, escaped, in double quotes.
std::string Quote(std::string_view text)
{
    std::string quoted(1, '"');
    quoted += QuotedText(text);
    quoted += '"';
    return quoted;
}

// How often at most the graph is drawn while the search goes on.
constexpr qint64 kGraphMs = 500;

// What the search in the background hands back: the best set, and how well the measurements pin
// it down (from runs around it), unless the search was cancelled or found no set that runs.
struct CalibrationOutcome
{
    CalibrationResult result;
    std::optional<ConfidenceResult> confidence;
    QString confidenceFailure;
};

CalibrationOutcome CalibrateWithConfidence(const CalibrationInput &input, TaskProgress &task)
{
    CalibrationOutcome outcome;
    outcome.result = Calibrate(input, [&task](const CalibrationProgress &progress) {
        task.report(static_cast<std::uint64_t>(std::max(progress.runsDone, 0)),
            static_cast<std::uint64_t>(std::max(progress.runsAllowed, 0)));
        task.post(progress);
        return !task.stopRequested();
    });
    const QString cancelled
        = u"The calibration was cancelled, so there are no confidence intervals."_s;
    if (outcome.result.cancelled || task.stopRequested()) {
        outcome.confidenceFailure = cancelled;
    } else if (outcome.result.objectiveAfter >= kFailedObjective) {
        outcome.confidenceFailure = u"No run completed, so there are no confidence intervals."_s;
    } else {
        try {
            outcome.confidence = ParameterConfidence(
                input, outcome.result.after, [&task](int, int) { return !task.stopRequested(); });
            if (outcome.confidence->cancelled) {
                outcome.confidence.reset();
                outcome.confidenceFailure = cancelled;
            }
        } catch (const Error &e) {
            outcome.confidenceFailure
                = u"No confidence intervals: %1"_s.arg(QString::fromStdString(e.what()));
        }
    }
    return outcome;
}

enum ParameterColumn { NameColumn, LowerColumn, UpperColumn, CurrentColumn, CalibratedColumn };
enum SeriesColumn { SeriesNameColumn, DaysColumn, WeightColumn };

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Number(double value)
{
    return QString::fromStdString(FormatGeneral(value));
}

QTableWidgetItem *ReadOnly(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QTableWidgetItem *Ticked(const QString &text, bool ticked)
{
    auto *item = ReadOnly(text);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    return item;
}

// The number in a cell; a text that is no number is refused with `what` named.
double CellNumber(const QTableWidget *table, int row, int column, const std::string &what)
{
    const QTableWidgetItem *item = table->item(row, column);
    const std::string text = item ? item->text().trimmed().toStdString() : std::string();
    const std::optional<double> value = TryParseDouble(text);
    if (!value)
        throw Error(what + " must be a number, not " + Quote(text) + ".");
    return *value;
}

QString Objective(double value)
{
    return value >= kFailedObjective ? u"no run completed"_s : QString::number(value, 'g', 4);
}

std::vector<double> SheetValues(const SeriesValues *series, std::size_t column)
{
    std::vector<double> values;
    if (!series)
        return values;
    values.reserve((*series)[column].size());
    for (double value : (*series)[column])
        values.push_back(RunSheetValue(value));
    return values;
}

} // namespace

// ---------------------------------------------------------------------------------------------

FitGraphView::FitGraphView(QWidget *parent) : QWidget(parent)
{
    QFont font(u"Sans Serif"_s);
    font.setPixelSize(11);
    setFont(font);
    setMinimumSize(380, 210);
}

void FitGraphView::setGraph(FitGraph graph)
{
    graph_ = std::move(graph);
    ++updates_;
    update();
}

void FitGraphView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    PainterCanvas canvas(painter, rect());
    DrawFitGraph(canvas, graph_);
}

// ---------------------------------------------------------------------------------------------

CalibrationDialog::CalibrationDialog(
    UserDialogs &dialogs, RunInput run, ObservedSeries observed, QWidget *parent)
    : QDialog(parent),
      dialogs_(dialogs),
      run_(std::move(run)),
      observed_(std::move(observed)),
      current_(CurrentParameters(run_))
{
    setObjectName(u"calibrationDialog"_s);
    setWindowTitle(u"Calibrate"_s);

    parameterTable = new QTableWidget(kParameterCount, 5, this);
    parameterTable->setObjectName(u"parameterTable"_s);
    parameterTable->setHorizontalHeaderLabels(
        {u"Fit"_s, u"Lower"_s, u"Upper"_s, u"Current"_s, u"Calibrated"_s});
    parameterTable->setToolTip(
        u"Tick the parameters to fit; the others keep their current values. The bounds start at "
        "the range a run keeps in the project's climate; a current value outside them starts "
        "the search at the nearest bound."_s);

    seriesTable = new QTableWidget(kSeriesCount, 3, this);
    seriesTable->setObjectName(u"seriesTable"_s);
    seriesTable->setHorizontalHeaderLabels({u"Series"_s, u"Observed days"_s, u"Weight"_s});
    seriesTable->setToolTip(u"The objective is the weighted mean of 1 - NSE over the ticked "
                            "series; a series needs at least 2 observed days."_s);

    for (QTableWidget *table : {parameterTable, seriesTable}) {
        table->verticalHeader()->hide();
        table->verticalHeader()->setDefaultSectionSize(20);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        table->horizontalHeader()->setStretchLastSection(true);
    }
    buildTables();

    runsEdit = new QLineEdit(QString::number(kDefaultCalibrationRuns), this);
    runsEdit->setObjectName(u"runsEdit"_s);
    seedEdit = new QLineEdit(QString::number(kDefaultCalibrationSeed), this);
    seedEdit->setObjectName(u"seedEdit"_s);
    seedEdit->setToolTip(u"The same seed gives the same result, on any number of cores."_s);
    startButton = new QPushButton(u"Calibrate"_s, this);
    startButton->setObjectName(u"startButton"_s);
    cancelButton = new QPushButton(u"Cancel"_s, this);
    cancelButton->setObjectName(u"cancelButton"_s);
    cancelButton->setToolTip(u"Ends the search and keeps the best found so far."_s);
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(u"calibrationProgress"_s);
    progressBar->setRange(0, kDefaultCalibrationRuns);
    progressBar->setValue(0);
    progressBar->setFormat(u"%v / %m runs"_s);
    objectiveLabel = new QLabel(this);
    objectiveLabel->setObjectName(u"objectiveLabel"_s);
    objectiveLabel->setToolTip(u"The objective: the weighted mean of 1 - NSE over the ticked "
                               "series (0 is a perfect fit)."_s);
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(u"statusLabel"_s);
    statusLabel->setWordWrap(true);

    graphSeries = new QComboBox(this);
    graphSeries->setObjectName(u"graphSeries"_s);
    for (std::string_view heading : kSeriesHeadings)
        graphSeries->addItem(Text(heading));
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        if (observed_[c].size() >= 2) {
            graphSeries->setCurrentIndex(static_cast<int>(c));
            break;
        }
    }
    graph_ = new FitGraphView(this);
    graph_->setObjectName(u"calibrationGraph"_s);

    fitTable = new QTableWidget(kSeriesCount, 9, this);
    fitTable->setObjectName(u"fitComparisonTable"_s);
    fitTable->setHorizontalHeaderLabels({u"n"_s, u"NSE\nbefore"_s, u"NSE\nafter"_s,
        u"PBIAS\nbefore"_s, u"PBIAS\nafter"_s, u"KGE\nbefore"_s, u"KGE\nafter"_s,
        u"RMSE\nbefore"_s, u"RMSE\nafter"_s});
    QStringList headings;
    for (std::string_view heading : kSeriesHeadings)
        headings << Text(heading);
    fitTable->setVerticalHeaderLabels(headings);
    fitTable->verticalHeader()->setDefaultSectionSize(20);
    fitTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fitTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    fitTable->setToolTip(QString::fromUtf8(kRatingThresholds));
    confidencePanel = new ConfidencePanel(dialogs_, this);

    resultTabs = new QTabWidget(this);
    resultTabs->setObjectName(u"calibrationResultTabs"_s);
    resultTabs->addTab(fitTable, u"Fit"_s);
    // In a scroll area: the tab never asks for more room than the tables above leave it.
    auto *confidenceScroll = new QScrollArea(this);
    confidenceScroll->setWidgetResizable(true);
    confidenceScroll->setFrameShape(QFrame::NoFrame);
    confidenceScroll->setWidget(confidencePanel);
    resultTabs->addTab(confidenceScroll, u"Parameter confidence"_s);
    // Its tables scroll: the parameter and series tables above keep their room whatever it shows.
    resultTabs->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    resultTabs->setMinimumHeight(200);

    applyButton = new QPushButton(u"Apply"_s, this);
    applyButton->setObjectName(u"applyButton"_s);
    applyButton->setToolTip(u"Writes the calibrated parameters into the project and simulates "
                            "again."_s);
    undoButton = new QPushButton(u"Undo calibration"_s, this);
    undoButton->setObjectName(u"undoButton"_s);
    undoButton->setToolTip(u"Brings back the parameters and the run from before the last "
                           "calibration was applied."_s);
    closeButton = new QPushButton(u"Close"_s, this);
    closeButton->setObjectName(u"closeButton"_s);

    // Layout: the two tables side by side, the search controls, then the graph beside the fit
    // before and after, and the buttons that change the project.
    auto *settings = new QFormLayout;
    settings->addRow(u"Model runs allowed:"_s, runsEdit);
    settings->addRow(u"Seed:"_s, seedEdit);
    settings->addRow(
        new QLabel(u"On %1 cores."_s.arg(DefaultThreadCount()), this));
    auto *searchButtons = new QHBoxLayout;
    searchButtons->addWidget(startButton);
    searchButtons->addWidget(cancelButton);
    auto *controls = new QVBoxLayout;
    controls->addWidget(seriesTable, 1);
    controls->addLayout(settings);
    controls->addLayout(searchButtons);

    auto *top = new QHBoxLayout;
    top->addWidget(parameterTable, 3);
    top->addLayout(controls, 2);

    auto *progress = new QHBoxLayout;
    progress->addWidget(progressBar, 2);
    progress->addWidget(objectiveLabel, 3);

    auto *graphColumn = new QVBoxLayout;
    auto *graphChoice = new QHBoxLayout;
    graphChoice->addWidget(new QLabel(u"Graph:"_s, this));
    graphChoice->addWidget(graphSeries, 1);
    graphColumn->addLayout(graphChoice);
    graphColumn->addWidget(graph_, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(graphColumn, 4);
    bottom->addWidget(resultTabs, 7);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(statusLabel, 1);
    buttons->addWidget(applyButton);
    buttons->addWidget(undoButton);
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 6);
    layout->addLayout(progress);
    layout->addLayout(bottom, 4);
    layout->addLayout(buttons);
    resize(1180, 760);

    connect(&task_, &BackgroundTask::progressed, this, &CalibrationDialog::poll);
    connect(&task_, &BackgroundTask::ended, this, &CalibrationDialog::finish);
    connect(startButton, &QPushButton::clicked, this, &CalibrationDialog::startCalibration);
    connect(cancelButton, &QPushButton::clicked, this, &CalibrationDialog::cancelCalibration);
    connect(applyButton, &QPushButton::clicked, this, &CalibrationDialog::applyClicked);
    connect(undoButton, &QPushButton::clicked, this, &CalibrationDialog::undoClicked);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    connect(graphSeries, &QComboBox::currentIndexChanged, this, [this] { drawGraph(true); });

    setRunningState(false);
    applyButton->setEnabled(false);
    undoButton->setEnabled(false);
    statusLabel->setText(u"Tick what to fit and press \"Calibrate\"."_s);
    drawGraph(true);
}

CalibrationDialog::~CalibrationDialog()
{
    stopWorker();
}

void CalibrationDialog::buildTables()
{
    const CalibrationInput defaults = DefaultCalibrationInput(run_, observed_);
    for (int i = 0; i < kParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        const auto at = static_cast<std::size_t>(i);
        parameterTable->setItem(i, NameColumn, Ticked(Text(ParameterName(p)), defaults.fit[at]));
        parameterTable->setItem(i, LowerColumn, new QTableWidgetItem(Number(defaults.bounds[at].lower)));
        parameterTable->setItem(i, UpperColumn, new QTableWidgetItem(Number(defaults.bounds[at].upper)));
        parameterTable->setItem(i, CurrentColumn, ReadOnly(Number(current_.get(p))));
        parameterTable->setItem(i, CalibratedColumn, ReadOnly(QString()));
    }
    for (int c = 0; c < kSeriesCount; ++c) {
        const auto at = static_cast<std::size_t>(c);
        seriesTable->setItem(c, SeriesNameColumn, Ticked(Text(kSeriesHeadings[at]), defaults.series[at]));
        seriesTable->setItem(c, DaysColumn, ReadOnly(QString::number(observed_[at].size())));
        seriesTable->setItem(c, WeightColumn, new QTableWidgetItem(Number(defaults.weights[at])));
    }
}

CalibrationInput CalibrationDialog::input() const
{
    CalibrationInput input = DefaultCalibrationInput(run_, observed_);
    for (int i = 0; i < kParameterCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const std::string name(ParameterName(static_cast<Parameter>(i)));
        input.fit[at] = parameterTable->item(i, NameColumn)->checkState() == Qt::Checked;
        if (!input.fit[at])
            continue;
        input.bounds[at].lower
            = CellNumber(parameterTable, i, LowerColumn, "The lower bound of " + name);
        input.bounds[at].upper
            = CellNumber(parameterTable, i, UpperColumn, "The upper bound of " + name);
    }
    for (int c = 0; c < kSeriesCount; ++c) {
        const auto at = static_cast<std::size_t>(c);
        input.series[at] = seriesTable->item(c, SeriesNameColumn)->checkState() == Qt::Checked;
        if (input.series[at])
            input.weights[at] = CellNumber(seriesTable, c, WeightColumn,
                "The weight of \"" + std::string(kSeriesHeadings[at]) + "\"");
    }
    const std::string runs = runsEdit->text().trimmed().toStdString();
    try {
        input.runsAllowed = ParseInteger(runs);
    } catch (const Error &) {
        throw Error("The number of model runs must be a whole number, not " + Quote(runs) + ".");
    }
    const std::string seed = seedEdit->text().toStdString();
    const std::optional<std::uint64_t> parsed = ParseSeed(seed);
    if (!parsed)
        throw Error("The seed must be " + SeedRule() + ", not " + Quote(seed) + ".");
    input.seed = *parsed;
    return input;
}

void CalibrationDialog::setRunningState(bool running)
{
    startButton->setEnabled(!running && !stale_);
    cancelButton->setEnabled(running);
    parameterTable->setEnabled(!running);
    seriesTable->setEnabled(!running);
    runsEdit->setEnabled(!running);
    seedEdit->setEnabled(!running);
    if (running) {
        applyButton->setEnabled(false);
        undoButton->setEnabled(false);
    }
}

void CalibrationDialog::setUndoAvailable(bool available)
{
    undoButton->setEnabled(available && !running());
}

void CalibrationDialog::setBounds(const std::array<ParameterRange, kParameterCount> &ranges,
    const std::array<bool, kParameterCount> &varied)
{
    if (running())
        return;
    for (int i = 0; i < kParameterCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        parameterTable->item(i, NameColumn)->setCheckState(varied[at] ? Qt::Checked : Qt::Unchecked);
        if (!varied[at])
            continue;
        parameterTable->item(i, LowerColumn)->setText(Number(ranges[at].lower));
        parameterTable->item(i, UpperColumn)->setText(Number(ranges[at].upper));
    }
    statusLabel->setText(u"The bounds are the ranges of the conditioned uncertainty analysis. "
                         "Press \"Calibrate\"."_s);
}

void CalibrationDialog::startCalibration()
{
    if (running())
        return;
    if (!copyStillCurrent(u"nothing was calibrated"_s))
        return;
    CalibrationInput input;
    try {
        input = this->input();
        CheckCalibration(input);
    } catch (const Error &e) {
        dialogs_.showMessage(this, QString::fromStdString(e.what()), QString());
        return;
    }

    result_.reset();
    bestSeries_.reset();
    startSeries_.reset();
    confidencePanel->clear(u"The intervals are computed once the search has ended."_s);
    runsAllowed_ = input.runsAllowed;
    for (int i = 0; i < kParameterCount; ++i)
        parameterTable->item(i, CalibratedColumn)->setText(QString());
    fitTable->clearContents();
    progressBar->setRange(0, runsAllowed_);
    progressBar->setValue(0);
    objectiveLabel->setText(u"Starting..."_s);
    statusLabel->setText(u"Searching. \"Cancel\" keeps the best found so far."_s);
    setRunningState(true);
    sinceGraph_.invalidate();

    calibratedWith_ = input;
    task_.start([input = std::move(input)](TaskProgress &task) {
        return CalibrateWithConfidence(input, task);
    });
}

void CalibrationDialog::cancelCalibration()
{
    if (!running())
        return;
    task_.cancel();
    statusLabel->setText(u"Cancelling: the best found so far is kept."_s);
}

void CalibrationDialog::poll()
{
    const std::any detail = task_.progress().detail();
    if (const auto *progress = std::any_cast<CalibrationProgress>(&detail)) {
        progressBar->setValue(std::min(progress->runsDone, runsAllowed_));
        objectiveLabel->setText(u"Best objective so far: %1   (runs that failed: %2)"_s.arg(
            Objective(progress->bestObjective), QString::number(progress->runsFailed)));
        bestSeries_ = progress->bestSeries;
        startSeries_ = progress->beforeSeries;
        drawGraph(false);
    }
}

void CalibrationDialog::finish()
{
    QString failure;
    try {
        CalibrationOutcome outcome = task_.take<CalibrationOutcome>();
        result_ = std::move(outcome.result);
        if (outcome.confidence)
            confidencePanel->setResult(std::move(*outcome.confidence));
        else
            confidencePanel->clear(outcome.confidenceFailure);
    } catch (const Error &e) {
        failure = QString::fromStdString(e.what());
    } catch (const std::bad_alloc &) {
        failure = u"There is not enough memory for this calibration."_s;
    } catch (const std::exception &e) {
        failure = u"The calibration stopped: %1"_s.arg(QString::fromLocal8Bit(e.what()));
    }
    if (!failure.isEmpty())
        confidencePanel->clear(QString());
    setRunningState(false);
    if (!failure.isEmpty() || !result_) {
        statusLabel->setText(u"Nothing was calibrated."_s);
        dialogs_.showMessage(this, failure, QString());
    } else {
        showResult();
    }
    emit calibrationEnded();
}

void CalibrationDialog::showResult()
{
    const CalibrationResult &result = *result_;
    for (int i = 0; i < kParameterCount; ++i)
        parameterTable->item(i, CalibratedColumn)
            ->setText(Number(result.after.get(static_cast<Parameter>(i))));
    for (int c = 0; c < kSeriesCount; ++c) {
        const FitStatistics &before = result.fitBefore[static_cast<std::size_t>(c)];
        const FitStatistics &after = result.fitAfter[static_cast<std::size_t>(c)];
        const QString texts[] = {QString::number(after.n), StatisticText(before.nse),
            StatisticText(after.nse), StatisticText(before.pbias), StatisticText(after.pbias),
            StatisticText(before.kge), StatisticText(after.kge), StatisticText(before.rmse),
            StatisticText(after.rmse)};
        for (int column = 0; column < 9; ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            fitTable->setItem(c, column, item);
        }
    }
    progressBar->setValue(std::min(result.runsUsed, runsAllowed_));
    objectiveLabel->setText(u"Objective: %1 before, %2 after"_s.arg(
        Objective(result.objectiveBefore), Objective(result.objectiveAfter)));
    startSeries_ = result.seriesBefore;
    bestSeries_ = result.seriesAfter;
    drawGraph(true);

    const bool changed = !(result.after == current_) && result.objectiveAfter < kFailedObjective;
    applyButton->setEnabled(changed);
    QString status = result.cancelled
        ? u"Cancelled after %1 runs; the best found so far is shown."_s.arg(result.runsUsed)
        : u"Done: %1 runs."_s.arg(result.runsUsed);
    status += changed ? u" \"Apply\" writes the calibrated parameters into the project."_s
                      : u" No better parameters were found; nothing to apply."_s;
    statusLabel->setText(status);

    if (result.objectiveAfter >= kFailedObjective)
        dialogs_.showMessage(this,
            u"Every run stopped on concentrations too large for a number, so nothing was "
            "calibrated. Check the bounds, the forcing values and the time step."_s,
            QString());
    else if (result.runsFailed > 0)
        dialogs_.showMessage(this,
            u"%1 of the %2 runs stopped on concentrations too large for a number; they counted "
            "as the worst fit and the search went on."_s.arg(result.runsFailed)
                .arg(result.runsUsed),
            QString());
}

void CalibrationDialog::drawGraph(bool force)
{
    if (!force && sinceGraph_.isValid() && sinceGraph_.elapsed() < kGraphMs)
        return;
    sinceGraph_.start();
    const auto column = static_cast<std::size_t>(std::max(0, graphSeries->currentIndex()));
    FitGraph graph;
    graph.title = std::string(kSeriesHeadings[column]);
    graph.unit = column < 5 ? "mg/L" : "%";
    for (const Observation &o : observed_[column])
        graph.observed.push_back({o.day, o.value});
    graph.start = SheetValues(startSeries_.get(), column);
    graph.best = SheetValues(bestSeries_.get(), column);
    graph.startLabel = "before";
    graph.bestLabel = result_ ? "calibrated" : "best so far";
    graph_->setGraph(std::move(graph));
}

bool CalibrationDialog::copyStillCurrent(const QString &refused)
{
    if (!stale_ && (!copyCurrent || copyCurrent()))
        return true;
    stale_ = true;
    startButton->setEnabled(false);
    applyButton->setEnabled(false);
    statusLabel->setText(u"The project changed while this dialog was open."_s);
    dialogs_.showMessage(this,
        u"The project changed while the calibration dialog was open, so %1. Press "
        "\"Calibrate...\" again."_s.arg(refused),
        QString());
    return false;
}

void CalibrationDialog::applyClicked()
{
    if (!result_ || !apply)
        return;
    if (!copyStillCurrent(u"the calibrated parameters were not applied"_s))
        return;
    if (!apply(result_->after))
        return;
    applied_ = true;
    applyButton->setEnabled(false);
    undoButton->setEnabled(true);
    setParameters(result_->after);
    statusLabel->setText(u"Applied: the project holds the calibrated parameters and the "
                         "results of a run with them."_s);
}

void CalibrationDialog::undoClicked()
{
    if (!undo)
        return;
    const std::optional<ModelParameters> parameters = undo();
    // Undone or refused, there is nothing left to undo.
    undoButton->setEnabled(false);
    if (!parameters)
        return;
    applied_ = false;
    applyButton->setEnabled(result_.has_value() && !(result_->after == *parameters));
    setParameters(*parameters);
    statusLabel->setText(u"The calibration was undone: the parameters and the run from before "
                         "it are back."_s);
}

void CalibrationDialog::setParameters(const ModelParameters &parameters)
{
    run_.parameters = parameters;
    current_ = CurrentParameters(run_);
    for (int i = 0; i < kParameterCount; ++i)
        parameterTable->item(i, CurrentColumn)
            ->setText(Number(current_.get(static_cast<Parameter>(i))));
}

void CalibrationDialog::stopWorker()
{
    task_.stop();
}

void CalibrationDialog::closeEvent(QCloseEvent *event)
{
    // Closing while the search runs ends it; the window never waits on a dialog that is gone.
    stopWorker();
    QDialog::closeEvent(event);
}

void CalibrationDialog::reject()
{
    stopWorker();
    QDialog::reject();
}

} // namespace carexa
