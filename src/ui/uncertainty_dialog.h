#pragma once

#include "analysis/uncertainty.h"
#include "ui/analysis_dialog.h"
#include "ui/analysis_task.h"

#include <functional>
#include <optional>

class QSpinBox;
class QTableWidget;

namespace carexa {

class RangeEditor;

/// What an uncertainty analysis reads from the project when "Run" is pressed.
struct UncertaintyProject
{
    RunInput run;
    ObservedSeries observed;
};

/// "Uncertainty...": sampled parameter sets (a Latin hypercube over the ranges of the chosen
/// parameters) simulated on every core beside the window, the 95 % band of every series with
/// its p-factor and r-factor against the observed values; exports the bands and the report as
/// CSV. Changes nothing in the project; hands each new band to the window for the result
/// explorer.
class UncertaintyDialog : public AnalysisDialog
{
    Q_OBJECT

public:
    /// `project` gives copies of the project's run input and measured values when "Run" is
    /// pressed (it throws Error when the project cannot be simulated); `computed` takes each
    /// finished result and says whether the window keeps its band for the explorer (not when
    /// the project was simulated again meanwhile); `explore` opens the result explorer.
    UncertaintyDialog(UserDialogs &dialogs, std::function<UncertaintyProject()> project,
        std::function<bool(const UncertaintyResult &)> computed, std::function<void()> explore,
        QWidget *parent);

    void setClimate(std::int32_t climate);
    const std::optional<UncertaintyResult> &result() const { return result_; }
    void abandon() override;

    RangeEditor *ranges = nullptr;
    QSpinBox *samplesSpin = nullptr;
    QTableWidget *table = nullptr;
    QPushButton *exportBandsButton = nullptr;
    QPushButton *exportReportButton = nullptr;
    QPushButton *exploreButton = nullptr;

protected:
    void startAnalysis() override;
    void pollAnalysis() override;
    void requestStop() override { task_.cancel(); }

private:
    void showResult();
    void exportText(const QString &title, const QString &name, const std::string &text,
        const std::string &what);

    std::function<UncertaintyProject()> project_;
    std::function<bool(const UncertaintyResult &)> computed_;
    AnalysisTask<UncertaintyResult> task_;
    std::optional<UncertaintyResult> result_;
};

} // namespace carexa
