#pragma once

#include "analysis/observations.h"
#include "analysis/uncertainty.h"
#include "model/box_values.h"
#include "model/model_state.h"
#include "results/data_sheet.h"
#include "simulation/simulation_run.h"
#include "ui/explorer_chart_view.h"

#include <QPointF>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class QAbstractSeries;
class QCategoryAxis;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QValueAxis;
class QXYSeries;

namespace carexa {

class UserDialogs;

/// The numbers of one run the explorer draws: the eleven series and every day's box values.
struct ExplorerRun
{
    SeriesValues series; ///< series[c][k - 1]: series c (0 to 10) on day k
    std::vector<BoxValues> boxes; ///< boxes[k - 1]: the end of day k

    int days() const { return static_cast<int>(series[0].size()); }
};

/// The run the project holds (its day list's results).
ExplorerRun ExplorerRunOf(const ModelState &state);
/// A run's own numbers.
ExplorerRun ExplorerRunOf(const RunResult &result);

/// Everything the explorer shows: the current run, the run before a calibration when one was
/// applied (drawn beside it), the uncertainty bands when computed, and the measured values.
struct ExplorerData
{
    ExplorerRun current;
    std::optional<ExplorerRun> previous;
    std::optional<std::array<PredictionBand, kSeriesCount>> bands;
    ObservedSeries observed;
    bool resultsStale = false; ///< the inputs changed after the run: marked out of date
    bool bandsStale = false; ///< the band was computed for other inputs: marked so
};

/// One series as the chart draws it: its legend name, kind ("line", "band" or "markers"), the
/// unit of its value axis, and the points drawn (for a band, those of its upper edge).
struct DrawnSeries
{
    QString name;
    QString kind;
    QString unit;
    int points = 0;
    QPointF first;
    QPointF last;
};

/// "Explore results...": a resizable window with a chart of any of the eleven series (several
/// at once, concentrations on a mg/L axis, efficiencies on a % axis), the concentration of every
/// box A to E for a chosen variable, the measured values as markers, the uncertainty band as a
/// shaded area, and the run before a calibration beside the calibrated one. Long runs are drawn
/// with at most each pixel column's lowest and highest value, recomputed as the view zooms.
class ResultExplorer : public QWidget
{
    Q_OBJECT

public:
    ResultExplorer(UserDialogs &dialogs, QWidget *parent = nullptr);

    /// Shows new numbers, keeping the choices made; the readout of the numbers before goes.
    void setData(ExplorerData data);
    /// Marks the run (and the band) shown as out of date, or no longer.
    void setStale(bool results, bool bands);
    /// The project's file, after which an exported chart is named (empty while it has none).
    void setProjectFile(const QString &file) { projectFile_ = file; }
    const ExplorerData &data() const { return data_; }

    /// The series the chart draws now, in the order they were added.
    std::vector<DrawnSeries> drawnSeries() const;
    /// What hovering over a series at `day` shows: "day N: value unit" (for a band, its two
    /// ends); empty for a name the chart does not show.
    QString hoverText(const QString &name, double day) const;
    /// The readout for the pointer at `position` (scene coordinates): of the series drawn
    /// nearest to it, "name, day N: value unit" for its day nearest the pointer (for measured
    /// values, the nearest day measured); empty outside the plot area.
    QString readoutAt(QPointF position) const;
    /// The full days and values of everything shown.
    void resetZoom();
    /// Asks for a file and a size and writes the chart as PNG, SVG or PDF.
    void exportChart();
    /// The chart as the bytes of a PNG, SVG or PDF file (after the file's extension) of the
    /// given size; Error for another extension.
    QByteArray renderChart(const QString &file, QSize size) const;

    QListWidget *seriesList = nullptr;
    QComboBox *boxVariable = nullptr;
    QCheckBox *showObserved = nullptr;
    QCheckBox *showBand = nullptr;
    QCheckBox *showPrevious = nullptr;
    QPushButton *resetZoomButton = nullptr;
    QPushButton *exportButton = nullptr;
    ExplorerChartView *chartView = nullptr;
    QLabel *hoverLabel = nullptr;
    QLabel *staleLabel = nullptr; ///< says when the results or the band are out of date
    QValueAxis *dayAxis = nullptr;
    QCategoryAxis *concentrationAxis = nullptr;
    QCategoryAxis *efficiencyAxis = nullptr;

private:
    // A line of numbers per day behind a drawn series, resampled as the view changes.
    struct Drawn
    {
        QXYSeries *series = nullptr;
        QAbstractSeries *shown = nullptr; ///< what the chart holds (the band's area)
        const std::vector<double> *values = nullptr;
        const std::vector<double> *other = nullptr; ///< a band's lower edge
        QString kind;
        QString unit;
    };

    void rebuild();
    void resample();
    void addLine(const QString &name, const std::vector<double> &values, QColor colour,
        Qt::PenStyle style, bool efficiency);
    void addMarkers(
        const QString &name, const std::vector<double> &values, QColor colour, bool efficiency);
    void addBand(const QString &name, const PredictionBand &band, QColor colour, bool efficiency);
    void attach(QAbstractSeries *series, bool efficiency);
    void showReadout(QPointF position);
    /// Labels the round values of a value axis's present range.
    void labelTicks(QCategoryAxis *axis);
    int plotColumns() const;

    UserDialogs &dialogs_;
    QString projectFile_;
    ExplorerData data_;
    /// Per series, every day's measured value or not-a-number.
    std::array<std::vector<double>, kSeriesCount> observedDays_;
    /// The box concentrations of the chosen variable, boxes A to E, now and before.
    std::array<std::vector<double>, kBoxCount> boxes_;
    std::array<std::vector<double>, kBoxCount> previousBoxes_;
    std::vector<Drawn> drawn_;
    bool resampling_ = false;
};

} // namespace carexa
