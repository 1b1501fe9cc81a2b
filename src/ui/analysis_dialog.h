#pragma once

#include "model/output_series.h"
#include "ui/background_task.h"

#include <QDialog>
#include <QElapsedTimer>

#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace carexa {

class UserDialogs;
struct KeptAnalyses;

/// What the sampling analysis dialogs share: the seed, "Run" and "Cancel", a progress bar and a
/// status line, and the task that runs the analysis beside the window on copies of the project.
/// Children are named after the dialog's prefix ("sensitivityRunButton", "sensitivitySeed", ...).
class AnalysisDialog : public QDialog
{
    Q_OBJECT

public:
    AnalysisDialog(const QString &prefix, UserDialogs &dialogs, QWidget *parent);

    /// Whether an analysis is running.
    bool busy() const { return busy_; }
    /// Asks a running analysis to stop; the dialog shows it as cancelled once it has.
    void cancelAnalysis();
    /// Stops a running analysis and waits for it (the project is closing).
    virtual void abandon() = 0;
    /// The project's file, after which exports are named (empty while it has none).
    void setProjectFile(const QString &file) { projectFile_ = file; }

    /// The fingerprint of the project's run inputs as they are now (taken when an analysis
    /// starts, so the report can tell whether the project changed since).
    std::function<std::uint64_t()> inputsFingerprint;
    /// Keeps a finished analysis for the design report: the change is made to the kept analyses.
    std::function<void(const std::function<void(KeptAnalyses &kept)> &change)> keep;

    QPushButton *runButton = nullptr;
    QPushButton *cancelButton = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *statusLabel = nullptr;
    QLineEdit *seedEdit = nullptr;

protected:
    QString projectFile_;

    /// Reads the fields and starts the analysis as task_; a refusal throws Error (shown,
    /// nothing runs).
    virtual void startAnalysis() = 0;
    /// Called while busy, after the bar has moved: what else the progress shows.
    virtual void analysisProgressed() {}
    /// The analysis has ended: takes task_'s result, shows it and calls finish(). What it throws
    /// (the analysis's exception included) ends the analysis with its message.
    virtual void analysisEnded() = 0;

    /// The fingerprint of the run inputs the running (or last) analysis started from.
    std::uint64_t startedOn() const { return startedOn_; }
    /// Hands a finished analysis to `keep`, when there is one.
    void keepForReport(const std::function<void(KeptAnalyses &kept)> &change)
    {
        if (keep)
            keep(change);
    }

    /// The seed as typed, as --seed takes it (ParseSeed; Error otherwise).
    std::uint64_t seed() const;
    void showProgress(int done, int total);
    /// The analysis has ended: the fields come back, the status line says `status`.
    void finish(const QString &status);
    /// A message box through the program's dialogs.
    void message(const QString &text);
    /// Seconds since the analysis started, for the status line.
    double elapsedSeconds() const { return clock_.elapsed() / 1000.0; }
    /// The widgets to switch off while an analysis runs.
    void lockWhileRunning(QWidget *widget);

    void closeEvent(QCloseEvent *event) override;
    void reject() override;

    UserDialogs &dialogs_;
    BackgroundTask task_;

private:
    void run();

    bool busy_ = false;
    std::uint64_t startedOn_ = 0;
    QElapsedTimer clock_;
    std::vector<QWidget *> locked_;
};

/// The unit of a result series (0 to 10 in data sheet order): "mg/L" for the five outflows, "%"
/// for the efficiencies.
QString SeriesUnit(int series);

/// A number for a results table: six significant digits, "-" where it is not a number.
QString ResultNumber(double value);

} // namespace carexa
