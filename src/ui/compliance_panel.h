#pragma once

#include "analysis/compliance.h"

#include <QWidget>

#include <optional>
#include <vector>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace carexa {

class UserDialogs;

/// The permit targets of the uncertainty dialog and the probability of meeting each: a table of
/// targets (a series, a limit, the statistic the permit applies and, for "exceed-days", the days
/// allowed), the date of day 1 and the warm-up, and after a run the probability with its 95 %
/// interval and the 2.5th, 50th and 97.5th percentiles of the statistic for every target, as
/// carexa-sim compliance reports them.
class CompliancePanel : public QWidget
{
    Q_OBJECT

public:
    CompliancePanel(UserDialogs &dialogs, QWidget *parent = nullptr);

    /// Adds a target row (series 0 to 10 in data sheet order); `statistic` as a target names it
    /// without ":K" ("mean", "exceed-days", ...).
    void addTarget(int series, const QString &limit, const QString &statistic, int allowedDays = 0);
    int targetCount() const;
    /// Puts a graph beside the targets (the band with the limits).
    void setGraph(QWidget *graph);

    /// The targets as typed, each read as carexa-sim reads --target (ParseTarget): refuses
    /// (Error, naming the row) a limit that is no number and a statistic the series does not take.
    std::vector<PermitTarget> targets() const;
    /// The date of day 1 (empty: none) and the warm-up (empty: the default); refuses (Error) a
    /// date that is not YYYY-MM-DD and a warm-up that is not a whole number of 0 or more.
    std::optional<std::chrono::year_month_day> startDate() const;
    std::optional<int> warmUp() const;

    void setResult(ComplianceResult result);
    void clearResult(const QString &reason = QString());
    const std::optional<ComplianceResult> &result() const { return result_; }
    /// The project's file, after which the export is named.
    void setProjectFile(const QString &file) { projectFile_ = file; }

    QTableWidget *targetTable = nullptr;
    QPushButton *addTargetButton = nullptr;
    QPushButton *removeTargetButton = nullptr;
    QLineEdit *startDateEdit = nullptr;
    QLineEdit *warmUpEdit = nullptr;
    QSpinBox *samplesSpin = nullptr; ///< the runs of an unconditioned ensemble
    QTableWidget *outcomeTable = nullptr;
    QLabel *noteLabel = nullptr;
    QPushButton *exportButton = nullptr;

signals:
    /// The targets changed (the band chart draws their limits).
    void targetsChanged();

private:
    void exportCsv();

    UserDialogs &dialogs_;
    std::optional<ComplianceResult> result_;
    QString projectFile_;
    QHBoxLayout *top_ = nullptr;
};

/// The statistics a target row offers, as a target names them.
QStringList PermitStatisticNames();

} // namespace carexa
