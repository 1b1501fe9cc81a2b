#pragma once

#include "analysis/sensitivity.h"
#include "analysis/sobol.h"
#include "ui/analysis_dialog.h"

#include <functional>
#include <optional>

class QChartView;
class QComboBox;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace carexa {

class RangeEditor;
class SobolPanel;

/// "Sensitivity...": Morris's screening of the sixteen parameters on the project's inputs, run
/// on every core beside the window. Shows for a chosen series a table (each parameter's code and
/// name, mu*, mu and sigma) and a horizontal bar chart of mu* (with sigma) per parameter, sorted,
/// and exports the whole report as CSV. Beside it, the variance-based method: Sobol' first-order
/// and total indices of every parameter on every series with their bootstrap intervals, as a table
/// and a bar chart ("Sobol' indices"), exported as carexa-sim sobol writes them. Changes nothing
/// in the project.
class SensitivityDialog : public AnalysisDialog
{
    Q_OBJECT

public:
    /// `project` gives a copy of the project's run input when "Run" is pressed (it throws Error
    /// when the project cannot be simulated).
    SensitivityDialog(UserDialogs &dialogs, std::function<RunInput()> project, QWidget *parent);

    /// Fills the ranges with the climate's when the dialog opens for a project.
    void setClimate(std::int32_t climate);

    const std::optional<SensitivityResult> &result() const { return result_; }
    /// The bar chart's parameters from the top down (the largest mu* first) and their mu*.
    QStringList chartParameters() const;
    std::vector<double> chartMuStar() const;

    void abandon() override;

    RangeEditor *ranges = nullptr;
    QSpinBox *trajectoriesSpin = nullptr;
    QSpinBox *levelsSpin = nullptr;
    QComboBox *methodCombo = nullptr; ///< Morris (0) or Sobol' (1)
    QComboBox *baseSamplesCombo = nullptr; ///< N of the Sobol' method, powers of two
    SobolPanel *sobolPanel = nullptr;
    QComboBox *seriesCombo = nullptr;
    QTabWidget *resultTabs = nullptr; ///< "Table" and "Bar chart"
    QTableWidget *table = nullptr;
    QChartView *chartView = nullptr;
    QPushButton *exportButton = nullptr;

protected:
    void startAnalysis() override;
    void analysisEnded() override;

private:
    void showSeries();
    void exportCsv();
    void methodChanged();
    void ended(const QString &status);
    void startSobol();
    void sobolEnded();

    std::function<RunInput()> project_;
    std::optional<SensitivityResult> result_;
    bool sobolRunning_ = false;
    std::vector<int> order_; ///< parameters by mu* of the shown series, largest first
};

} // namespace carexa
