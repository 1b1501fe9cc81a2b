#pragma once

#include "analysis/fit_statistics.h"

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QTableWidget;

namespace carexa {

/// A statistic as the window shows it: 4 significant digits, "n/a" where it cannot be computed.
QString StatisticText(std::optional<double> value);

/// The line under the graph for the shown series: "NSE 0.912 (very good)   PBIAS -3.2 % (very
/// good)", "n/a" where a statistic cannot be computed.
QString FitLineText(const FitStatistics &fit);

/// "Fit statistics": the statistics of the eleven series of the last run against the observed
/// values, one row a series, with the ratings of NSE and PBIAS (the thresholds in the hint).
/// It does not compute anything itself: the window gives it the table after every run and every
/// change of the observed values.
class FitStatisticsPanel : public QDialog
{
    Q_OBJECT

public:
    explicit FitStatisticsPanel(QWidget *parent = nullptr);

    void setFit(const FitTable &fit);
    /// Marks the statistics as those of results whose inputs changed since the run, or no
    /// longer.
    void setStale(bool stale);

    QTableWidget *table() const { return table_; }
    QLabel *staleLabel() const { return staleLabel_; }

private:
    QTableWidget *table_ = nullptr;
    QLabel *staleLabel_ = nullptr;
};

} // namespace carexa
