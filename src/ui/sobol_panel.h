#pragma once

#include "analysis/sobol.h"

#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace carexa {

class UserDialogs;

/// A bar chart of Sobol' indices: for each parameter from the top down (the largest total index
/// first), its first-order index S1 and its total index ST as bars, each with its 95 % bootstrap
/// interval as a whisker, on a common axis of the share of the output's variance.
class SobolChart : public QWidget
{
    Q_OBJECT

public:
    explicit SobolChart(QWidget *parent = nullptr);

    struct Bar
    {
        QString parameter;
        SobolIndex index;
    };
    /// The bars from the top down; `title` names the series.
    void setBars(std::vector<Bar> bars, const QString &title);
    const std::vector<Bar> &bars() const { return bars_; }
    /// The ends of the value axis.
    double axisLow() const { return low_; }
    double axisHigh() const { return high_; }

    QSize sizeHint() const override { return {520, 420}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<Bar> bars_;
    QString title_;
    double low_ = 0;
    double high_ = 1;
};

/// The Sobol' indices of the sensitivity dialog: a table of every parameter's S1 and ST with
/// their intervals for the chosen series, the bar chart beside it, and the whole report as CSV
/// (carexa-sim sobol's).
class SobolPanel : public QWidget
{
    Q_OBJECT

public:
    SobolPanel(UserDialogs &dialogs, QWidget *parent = nullptr);

    void setResult(SobolResult result);
    const std::optional<SobolResult> &result() const { return result_; }
    /// Shows the indices on series `series` (data sheet order).
    void showSeries(int series);
    /// The project's file, after which the export is named.
    void setProjectFile(const QString &file) { projectFile_ = file; }

    QTableWidget *table = nullptr;
    SobolChart *chart = nullptr;
    QLabel *noteLabel = nullptr;
    QPushButton *exportButton = nullptr;

private:
    void exportCsv();

    UserDialogs &dialogs_;
    std::optional<SobolResult> result_;
    QString projectFile_;
    int series_ = 0;
};

} // namespace carexa
