#include "ui/analysis_dialog.h"

#include "analysis/random.h"
#include "model/error.h"
#include "ui/user_dialogs.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <cmath>

namespace carexa {

using namespace Qt::StringLiterals;

AnalysisDialog::AnalysisDialog(const QString &prefix, UserDialogs &dialogs, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs)
{
    setSizeGripEnabled(true);
    runButton = new QPushButton(u"Run"_s, this);
    runButton->setObjectName(prefix + u"RunButton"_s);
    runButton->setDefault(true);
    cancelButton = new QPushButton(u"Cancel"_s, this);
    cancelButton->setObjectName(prefix + u"CancelButton"_s);
    cancelButton->setEnabled(false);
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(prefix + u"Progress"_s);
    progressBar->setRange(0, 1);
    progressBar->setValue(0);
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(prefix + u"Status"_s);
    statusLabel->setWordWrap(true);
    seedEdit = new QLineEdit(u"1"_s, this);
    seedEdit->setObjectName(prefix + u"Seed"_s);
    seedEdit->setToolTip(u"The same seed gives the same result on any number of cores"_s);
    lockWhileRunning(runButton);
    lockWhileRunning(seedEdit);

    connect(runButton, &QPushButton::clicked, this, &AnalysisDialog::run);
    connect(cancelButton, &QPushButton::clicked, this, &AnalysisDialog::cancelAnalysis);
    connect(&task_, &BackgroundTask::progressed, this, [this] {
        showProgress(static_cast<int>(task_.progress().done()),
            static_cast<int>(task_.progress().total()));
        analysisProgressed();
    });
    connect(&task_, &BackgroundTask::ended, this, [this] {
        try {
            analysisEnded();
        } catch (const std::exception &e) {
            finish(u"The analysis stopped."_s);
            message(QString::fromStdString(e.what()));
        }
    });
}

void AnalysisDialog::lockWhileRunning(QWidget *widget)
{
    locked_.push_back(widget);
}

void AnalysisDialog::run()
{
    if (busy_)
        return;
    try {
        startAnalysis();
    } catch (const std::exception &e) {
        message(QString::fromStdString(e.what()));
        return;
    }
    // Nothing changes the project between the copy the analysis took and here.
    startedOn_ = inputsFingerprint ? inputsFingerprint() : 0;
    busy_ = true;
    clock_.start();
    for (QWidget *widget : locked_)
        widget->setEnabled(false);
    cancelButton->setEnabled(true);
    progressBar->setRange(0, 1);
    progressBar->setValue(0);
    statusLabel->setText(u"Running..."_s);
}

void AnalysisDialog::cancelAnalysis()
{
    if (!busy_)
        return;
    task_.cancel();
    cancelButton->setEnabled(false);
    statusLabel->setText(u"Cancelling..."_s);
}

void AnalysisDialog::showProgress(int done, int total)
{
    if (total <= 0)
        return;
    progressBar->setRange(0, total);
    progressBar->setValue(done);
}

void AnalysisDialog::finish(const QString &status)
{
    busy_ = false;
    for (QWidget *widget : locked_)
        widget->setEnabled(true);
    cancelButton->setEnabled(false);
    statusLabel->setText(status);
}

std::uint64_t AnalysisDialog::seed() const
{
    const std::string text = seedEdit->text().toStdString();
    const std::optional<std::uint64_t> seed = ParseSeed(text);
    if (!seed)
        throw Error("The seed must be " + SeedRule() + ", not \"" + QuotedText(text) + "\".");
    return *seed;
}

void AnalysisDialog::message(const QString &text)
{
    dialogs_.showMessage(this, text, QString());
}

void AnalysisDialog::closeEvent(QCloseEvent *event)
{
    abandon();
    QDialog::closeEvent(event);
}

void AnalysisDialog::reject()
{
    abandon();
    QDialog::reject();
}

QString SeriesUnit(int series)
{
    return series < 5 ? u"mg/L"_s : u"%"_s;
}

QString ResultNumber(double value)
{
    if (!std::isfinite(value))
        return u"-"_s;
    return QString::number(value, 'g', 6);
}

} // namespace carexa
