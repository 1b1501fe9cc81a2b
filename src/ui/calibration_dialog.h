#pragma once

#include "analysis/calibration.h"
#include "analysis/confidence.h"
#include "results/fit_graph.h"
#include "ui/background_task.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace carexa {

class ConfidencePanel;
class UserDialogs;

/// A small graph of one series: measured values, the start and the best fit (DrawFitGraph).
class FitGraphView : public QWidget
{
    Q_OBJECT

public:
    explicit FitGraphView(QWidget *parent = nullptr);
    void setGraph(FitGraph graph);
    const FitGraph &graph() const { return graph_; }
    /// How often the graph was drawn anew.
    int updates() const { return updates_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    FitGraph graph_;
    int updates_ = 0;
};

/// "Calibrate...": fits the sixteen parameters to the observed values of a copy of the project.
/// The tables say what to fit: each parameter's tick, bounds and current value, each series'
/// tick and weight, the runs allowed and the seed. "Calibrate" checks them (a refusal shows its
/// message and starts nothing) and searches on a worker thread; the window stays responsive, the
/// progress bar counts the runs, the best objective and the best fit of the chosen series show
/// as they improve (the graph at most every half second), and "Cancel" ends the search with the
/// best found so far. At the end the tables show every parameter and the fit statistics before
/// and after, and the calibrated parameters' confidence intervals and correlations (from the runs
/// around the best set, computed once the search has ended). Nothing in the project changes until
/// "Apply", which hands the parameters to `apply`; "Undo calibration" calls `undo`. The search
/// works on the dialog's copy of the project: once `copyCurrent` says the project changed since,
/// the dialog neither calibrates nor applies any more and says so.
class CalibrationDialog : public QDialog
{
    Q_OBJECT

public:
    CalibrationDialog(UserDialogs &dialogs, RunInput run, ObservedSeries observed,
        QWidget *parent = nullptr);
    ~CalibrationDialog() override;

    /// Applies calibrated parameters to the project; false when it did not (it has said why).
    std::function<bool(const ModelParameters &parameters)> apply;
    /// Undoes the last applied calibration: the parameters the project holds again, or nothing
    /// when it did not (it has said why).
    std::function<std::optional<ModelParameters>()> undo;
    /// Whether the project still holds what the dialog's copy was taken from, but the
    /// parameters (which Apply and Undo change through the dialog); none: it always does.
    std::function<bool()> copyCurrent;
    void setUndoAvailable(bool available);
    /// Ticks the `varied` parameters with `ranges` as their bounds and unticks the others (the
    /// ranges of a conditioned uncertainty analysis).
    void setBounds(const std::array<ParameterRange, kParameterCount> &ranges,
        const std::array<bool, kParameterCount> &varied);

    /// The input the tables describe; throws Error when a field holds no number.
    CalibrationInput input() const;

    bool running() const { return task_.running(); }
    const std::optional<CalibrationResult> &result() const { return result_; }
    /// The input the shown result was searched with (the fields may have changed since).
    const std::optional<CalibrationInput> &calibratedWith() const { return calibratedWith_; }

    void startCalibration();
    void cancelCalibration();

    FitGraphView *graphView() const { return graph_; }

signals:
    /// The search has ended (completed, cancelled or failed) and the dialog shows its result.
    void calibrationEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void buildTables();
    void poll();
    void finish();
    void showResult();
    void drawGraph(bool force);
    void stopWorker();
    void setRunningState(bool running);
    void applyClicked();
    void undoClicked();
    void setParameters(const ModelParameters &parameters);
    /// False, after telling the user, when the project changed since the copy was taken.
    bool copyStillCurrent(const QString &refused);

    UserDialogs &dialogs_;
    RunInput run_;
    ObservedSeries observed_;
    ModelParameters current_;

    BackgroundTask task_; ///< the search, on a copy of the input the tables describe

    std::optional<CalibrationResult> result_;
    std::optional<CalibrationInput> calibratedWith_;
    std::shared_ptr<const SeriesValues> startSeries_;
    std::shared_ptr<const SeriesValues> bestSeries_;
    int runsAllowed_ = 0;
    QElapsedTimer sinceGraph_;
    bool applied_ = false;
    bool stale_ = false; ///< the project changed since the copy was taken

public:
    QTableWidget *parameterTable = nullptr;
    QTableWidget *seriesTable = nullptr;
    QTableWidget *fitTable = nullptr;
    QTabWidget *resultTabs = nullptr; ///< "Fit" and "Parameter confidence"
    ConfidencePanel *confidencePanel = nullptr;
    QLineEdit *runsEdit = nullptr;
    QLineEdit *seedEdit = nullptr;
    QComboBox *graphSeries = nullptr;
    QPushButton *startButton = nullptr;
    QPushButton *cancelButton = nullptr;
    QPushButton *applyButton = nullptr;
    QPushButton *undoButton = nullptr;
    QPushButton *closeButton = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *objectiveLabel = nullptr;
    QLabel *statusLabel = nullptr;

private:
    FitGraphView *graph_ = nullptr;
};

} // namespace carexa
