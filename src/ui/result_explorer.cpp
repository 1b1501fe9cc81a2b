#include "ui/result_explorer.h"

#include "io/output_file.h"
#include "model/error.h"
#include "results/axis_scale.h"
#include "results/downsample.h"
#include "results/graph.h"
#include "ui/analysis_dialog.h"
#include "ui/user_dialogs.h"
#include "ui/window_settings.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

constexpr int kFallbackColumns = 800;

const std::array<QColor, kSeriesCount> kSeriesColours {QColor(0xc0, 0x39, 0x2b),
    QColor(0x29, 0x80, 0xb9), QColor(0x27, 0xae, 0x60), QColor(0x8e, 0x44, 0xad),
    QColor(0xd3, 0x54, 0x00), QColor(0x7f, 0x8c, 0x8d), QColor(0x16, 0xa0, 0x85),
    QColor(0x2c, 0x3e, 0x50), QColor(0xf3, 0x9c, 0x12), QColor(0xe8, 0x43, 0x93),
    QColor(0x6d, 0x4c, 0x41)};
const std::array<QColor, kBoxCount> kBoxColours {QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0x7f, 0x0e),
    QColor(0x2c, 0xa0, 0x2c), QColor(0xd6, 0x27, 0x28), QColor(0x94, 0x67, 0xbd)};
// Record order of the variables behind the box choice ("TPO" before "ORN" as on screen).
const std::array<Variable, kVariableCount> kBoxVariables {
    Variable::BOD5, Variable::NIT, Variable::AMM, Variable::TPO, Variable::ORN};

std::vector<double> BoxColumn(const ExplorerRun &run, Variable variable, int box)
{
    std::vector<double> values;
    values.reserve(run.boxes.size());
    for (const BoxValues &day : run.boxes)
        values.push_back(day.concentration(variable, box));
    return values;
}

QString ValueText(double value)
{
    return QString::number(value, 'g', 6);
}

QList<QPointF> ToPoints(const std::vector<DayPoint> &points)
{
    QList<QPointF> list;
    list.reserve(static_cast<qsizetype>(points.size()));
    for (const DayPoint &p : points)
        list.append(QPointF(p.day, p.value));
    return list;
}

} // namespace

ExplorerRun ExplorerRunOf(const ModelState &state)
{
    ExplorerRun run;
    run.series = ResultSeries(state);
    run.boxes.reserve(static_cast<std::size_t>(state.days.activeCount()));
    for (const DayNode &node : state.days.active())
        run.boxes.push_back(node.box);
    return run;
}

ExplorerRun ExplorerRunOf(const RunResult &result)
{
    ExplorerRun run;
    run.series = result.series;
    run.boxes.assign(result.boxes.begin(),
        result.boxes.begin()
            + std::min<std::ptrdiff_t>(
                result.dayCount(), static_cast<std::ptrdiff_t>(result.boxes.size())));
    return run;
}

// ---------------------------------------------------------------------------------------------
// The window

ResultExplorer::ResultExplorer(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs)
{
    setObjectName(u"ResultExplorer"_s);
    setWindowTitle(u"Result explorer"_s);

    seriesList = new QListWidget(this);
    seriesList->setObjectName(u"explorerSeries"_s);
    for (int c = 0; c < kSeriesCount; ++c) {
        auto *item = new QListWidgetItem(
            QString::fromUtf8(kSeriesHeadings[static_cast<std::size_t>(c)]), seriesList);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(c == 0 ? Qt::Checked : Qt::Unchecked);
        item->setForeground(kSeriesColours[static_cast<std::size_t>(c)]);
    }
    seriesList->setFixedHeight(seriesList->sizeHintForRow(0) * kSeriesCount + 8);

    boxVariable = new QComboBox(this);
    boxVariable->setObjectName(u"explorerBoxVariable"_s);
    boxVariable->addItem(u"None"_s);
    for (Variable v : kBoxVariables)
        boxVariable->addItem(QString::fromUtf8(VariableName(v)));

    showObserved = new QCheckBox(u"Observed values"_s, this);
    showObserved->setObjectName(u"explorerShowObserved"_s);
    showObserved->setChecked(true);
    showBand = new QCheckBox(u"Uncertainty band (95 %)"_s, this);
    showBand->setObjectName(u"explorerShowBand"_s);
    showBand->setChecked(true);
    showPrevious = new QCheckBox(u"Run before calibration"_s, this);
    showPrevious->setObjectName(u"explorerShowPrevious"_s);
    showPrevious->setChecked(true);
    resetZoomButton = new QPushButton(u"Reset zoom"_s, this);
    resetZoomButton->setObjectName(u"explorerResetZoom"_s);
    exportButton = new QPushButton(u"Export chart..."_s, this);
    exportButton->setObjectName(u"explorerExport"_s);
    auto *closeButton = new QPushButton(u"Close"_s, this);
    closeButton->setObjectName(u"explorerClose"_s);
    auto *help = new QLabel(u"Wheel: zoom the days. Dragged rectangle: zoom in. Right button: "
                            "zoom out. Middle button or arrow keys: move. Home: reset."_s,
        this);
    help->setWordWrap(true);

    auto *side = new QVBoxLayout;
    side->addWidget(new QLabel(u"Series:"_s, this));
    side->addWidget(seriesList);
    side->addWidget(new QLabel(u"Box concentrations A to E of:"_s, this));
    side->addWidget(boxVariable);
    side->addWidget(showObserved);
    side->addWidget(showBand);
    side->addWidget(showPrevious);
    side->addSpacing(8);
    side->addWidget(resetZoomButton);
    side->addWidget(exportButton);
    side->addStretch();
    side->addWidget(help);
    side->addWidget(closeButton);

    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignRight);
    // Each legend entry is a sample of its series as drawn: a piece of line, a marker.
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chartView = new ExplorerChartView(chart, this);
    chartView->setObjectName(u"explorerChart"_s);
    hoverLabel = new QLabel(this);
    hoverLabel->setObjectName(u"explorerHover"_s);
    hoverLabel->setMinimumHeight(20);
    staleLabel = new QLabel(this);
    staleLabel->setObjectName(u"explorerStale"_s);
    staleLabel->setWordWrap(true);
    staleLabel->setStyleSheet(u"color: #9a5b00; font-weight: bold"_s);
    staleLabel->hide();
    auto *chartColumn = new QVBoxLayout;
    chartColumn->addWidget(staleLabel);
    chartColumn->addWidget(chartView, 1);
    chartColumn->addWidget(hoverLabel);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(chartColumn, 1);

    dayAxis = new QValueAxis(this);
    dayAxis->setTitleText(u"Day"_s);
    dayAxis->setLabelFormat(u"%.0f"_s);
    // The value axes are labelled at round values only, computed here, so no label reads
    // "-0.0" however the view is zoomed.
    concentrationAxis = new QCategoryAxis(this);
    concentrationAxis->setTitleText(u"Concentration (mg/L)"_s);
    efficiencyAxis = new QCategoryAxis(this);
    efficiencyAxis->setTitleText(u"Removal efficiency (%)"_s);
    efficiencyAxis->setGridLineVisible(false); // the grid follows the first value axis
    for (QCategoryAxis *axis : {concentrationAxis, efficiencyAxis}) {
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        connect(axis, &QValueAxis::rangeChanged, this, [this, axis] { labelTicks(axis); });
    }
    connect(dayAxis, &QValueAxis::rangeChanged, this, [this] { resample(); });
    connect(chartView, &ExplorerChartView::pointerMoved, this, &ResultExplorer::showReadout);
    connect(chartView, &ExplorerChartView::pointerLeft, hoverLabel, &QLabel::clear);

    connect(seriesList, &QListWidget::itemChanged, this, [this] { rebuild(); });
    connect(boxVariable, &QComboBox::currentIndexChanged, this, [this] { rebuild(); });
    for (QCheckBox *box : {showObserved, showBand, showPrevious})
        connect(box, &QCheckBox::toggled, this, [this] { rebuild(); });
    connect(resetZoomButton, &QPushButton::clicked, this, &ResultExplorer::resetZoom);
    connect(chartView, &ExplorerChartView::resetRequested, this, &ResultExplorer::resetZoom);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        try {
            exportChart();
        } catch (const Error &e) {
            dialogs_.showMessage(this, QString::fromStdString(e.what()), QString());
        }
    });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    resize(1180, 720);
}

void ResultExplorer::setData(ExplorerData data)
{
    data_ = std::move(data);
    hoverLabel->clear(); // a readout of the numbers before would mislead
    const auto days = static_cast<std::size_t>(data_.current.days());
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        observedDays_[c].assign(days, std::numeric_limits<double>::quiet_NaN());
        for (const Observation &o : data_.observed[c]) {
            if (o.day >= 1 && static_cast<std::size_t>(o.day) <= days)
                observedDays_[c][static_cast<std::size_t>(o.day - 1)] = o.value;
        }
    }
    showBand->setEnabled(data_.bands.has_value());
    showPrevious->setEnabled(data_.previous.has_value());
    setStale(data_.resultsStale, data_.bandsStale);
    rebuild();
}

// The mark stands above the chart and, as its title, in an exported picture.
void ResultExplorer::setStale(bool results, bool bands)
{
    data_.resultsStale = results;
    data_.bandsStale = bands;
    QString text;
    if (results)
        text = QString::fromUtf8(kStaleGraphText);
    else if (bands && data_.bands)
        text = u"Out of date: the uncertainty band was computed for other inputs."_s;
    staleLabel->setText(text);
    staleLabel->setVisible(!text.isEmpty());
    chartView->chart()->setTitle(text);
    chartView->chart()->setTitleBrush(QColor(0x9a, 0x5b, 0x00));
}

void ResultExplorer::attach(QAbstractSeries *series, bool efficiency)
{
    chartView->chart()->addSeries(series);
    series->attachAxis(dayAxis);
    series->attachAxis(efficiency ? efficiencyAxis : concentrationAxis);
}

void ResultExplorer::addLine(const QString &name, const std::vector<double> &values, QColor colour,
    Qt::PenStyle style, bool efficiency)
{
    auto *line = new QLineSeries;
    line->setName(name);
    QPen pen(colour);
    pen.setWidthF(1.5);
    pen.setStyle(style);
    line->setPen(pen);
    attach(line, efficiency);
    drawn_.push_back({line, line, &values, nullptr, u"line"_s, efficiency ? u"%"_s : u"mg/L"_s});
}

void ResultExplorer::addMarkers(
    const QString &name, const std::vector<double> &values, QColor colour, bool efficiency)
{
    auto *markers = new QScatterSeries;
    markers->setName(name);
    markers->setMarkerSize(7);
    markers->setColor(colour.lighter(150));
    markers->setBorderColor(colour.darker(120));
    attach(markers, efficiency);
    drawn_.push_back(
        {markers, markers, &values, nullptr, u"markers"_s, efficiency ? u"%"_s : u"mg/L"_s});
}

void ResultExplorer::addBand(
    const QString &name, const PredictionBand &band, QColor colour, bool efficiency)
{
    auto *area = new QAreaSeries;
    auto *upper = new QLineSeries(area);
    auto *lower = new QLineSeries(area);
    area->setUpperSeries(upper);
    area->setLowerSeries(lower);
    area->setName(name);
    QColor fill = colour;
    fill.setAlpha(60);
    area->setBrush(fill);
    area->setPen(QPen(colour.lighter(140), 0.5));
    attach(area, efficiency);
    drawn_.push_back(
        {upper, area, &band.upper, &band.lower, u"band"_s, efficiency ? u"%"_s : u"mg/L"_s});
    drawn_.push_back({lower, nullptr, &band.lower, nullptr, u"edge"_s, QString()});
}

void ResultExplorer::rebuild()
{
    QChart *chart = chartView->chart();
    chart->removeAllSeries();
    drawn_.clear();
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        axis->setParent(this); // the chart gives the axis back; it stays the window's
    }
    chart->addAxis(dayAxis, Qt::AlignBottom);

    const bool previous = data_.previous && showPrevious->isChecked();
    const bool bands = data_.bands && showBand->isChecked();
    std::vector<int> shown;
    for (int c = 0; c < kSeriesCount; ++c) {
        if (seriesList->item(c)->checkState() == Qt::Checked)
            shown.push_back(c);
    }
    const int boxChoice = boxVariable->currentIndex() - 1;
    bool concentrations = boxChoice >= 0;
    bool efficiencies = false;
    for (int c : shown)
        (c < 5 ? concentrations : efficiencies) = true;
    if (concentrations)
        chart->addAxis(concentrationAxis, Qt::AlignLeft);
    if (efficiencies)
        chart->addAxis(efficiencyAxis, concentrations ? Qt::AlignRight : Qt::AlignLeft);

    // Bands first, so the lines and markers are drawn over them.
    for (int c : shown) {
        const auto i = static_cast<std::size_t>(c);
        const QString heading = QString::fromUtf8(kSeriesHeadings[i]);
        if (bands)
            addBand(heading + u" 95 % band"_s, (*data_.bands)[i], kSeriesColours[i], c >= 5);
    }
    for (int c : shown) {
        const auto i = static_cast<std::size_t>(c);
        const QString heading = QString::fromUtf8(kSeriesHeadings[i]);
        if (previous)
            addLine(heading + u" (before calibration)"_s, data_.previous->series[i],
                kSeriesColours[i].lighter(150), Qt::DashLine, c >= 5);
        addLine(previous ? heading + u" (calibrated)"_s : heading, data_.current.series[i],
            kSeriesColours[i], Qt::SolidLine, c >= 5);
    }
    if (boxChoice >= 0) {
        const Variable variable = kBoxVariables[static_cast<std::size_t>(boxChoice)];
        for (int x = 0; x < kBoxCount; ++x) {
            const auto i = static_cast<std::size_t>(x);
            const QString name = QString::fromStdString(ConcentrationName(variable, x));
            boxes_[i] = BoxColumn(data_.current, variable, x);
            if (previous) {
                previousBoxes_[i] = BoxColumn(*data_.previous, variable, x);
                addLine(name + u" (before calibration)"_s, previousBoxes_[i],
                    kBoxColours[i].lighter(150), Qt::DashLine, false);
            }
            addLine(previous ? name + u" (calibrated)"_s : name, boxes_[i], kBoxColours[i],
                Qt::SolidLine, false);
        }
    }
    if (showObserved->isChecked()) {
        for (int c : shown) {
            const auto i = static_cast<std::size_t>(c);
            if (!data_.observed[i].empty())
                addMarkers(QString::fromUtf8(kSeriesHeadings[i]) + u" observed"_s, observedDays_[i],
                    kSeriesColours[i], c >= 5);
        }
    }
    // A band's lower edge is part of its area, not an entry of its own; a measured value's
    // entry is its marker, in its colours.
    for (QLegendMarker *marker : chart->legend()->markers()) {
        if (marker->series()->name().isEmpty())
            marker->setVisible(false);
        if (const auto *scatter = qobject_cast<const QScatterSeries *>(marker->series())) {
            marker->setBrush(scatter->color());
            marker->setPen(QPen(scatter->borderColor()));
        }
    }
    resetZoom();
}

void ResultExplorer::resetZoom()
{
    QChart *chart = chartView->chart();
    chart->zoomReset();
    const int days = std::max(data_.current.days(), 1);
    // Value ranges over everything shown, from 0 unless values go below it.
    double low[2] = {0, 0};
    double high[2] = {0, 0};
    for (const Drawn &d : drawn_) {
        if (d.kind == u"edge"_s && d.values)
            continue;
        const int axis = d.unit == u"%"_s ? 1 : 0;
        for (const std::vector<double> *values : {d.values, d.other}) {
            if (!values)
                continue;
            for (double v : *values) {
                if (std::isfinite(v)) {
                    low[axis] = std::min(low[axis], v);
                    high[axis] = std::max(high[axis], v);
                }
            }
        }
    }
    // From 0 (or a round value below the lowest) to a round value just above the highest;
    // efficiencies end at 100 % unless a value lies above.
    for (int axis = 0; axis < 2; ++axis) {
        QCategoryAxis *valueAxis = axis == 0 ? concentrationAxis : efficiencyAxis;
        const AxisScale scale = RoundAxis(
            low[axis], high[axis], axis == 1 ? std::optional<double>(100) : std::nullopt);
        valueAxis->setRange(scale.min, scale.max);
        labelTicks(valueAxis);
    }
    dayAxis->setRange(1, std::max(days, 2));
    resample();
}

int ResultExplorer::plotColumns() const
{
    const auto width = static_cast<int>(chartView->chart()->plotArea().width());
    return width > 10 ? width : kFallbackColumns;
}

void ResultExplorer::resample()
{
    if (resampling_)
        return;
    resampling_ = true;
    const auto first = static_cast<int>(std::floor(dayAxis->min())) - 1;
    const auto last = static_cast<int>(std::ceil(dayAxis->max())) + 1;
    const int columns = plotColumns();
    for (const Drawn &d : drawn_) {
        if (d.values)
            d.series->replace(ToPoints(MinMaxDownsample(*d.values, first, last, columns)));
    }
    resampling_ = false;
}

std::vector<DrawnSeries> ResultExplorer::drawnSeries() const
{
    std::vector<DrawnSeries> drawn;
    for (const Drawn &d : drawn_) {
        if (!d.shown)
            continue;
        DrawnSeries s;
        s.name = d.shown->name();
        s.kind = d.kind;
        s.unit = d.unit;
        s.points = static_cast<int>(d.series->count());
        if (s.points > 0) {
            s.first = d.series->at(0);
            s.last = d.series->at(d.series->count() - 1);
        }
        drawn.push_back(s);
    }
    return drawn;
}

QString ResultExplorer::hoverText(const QString &name, double day) const
{
    for (const Drawn &d : drawn_) {
        if (!d.shown || d.shown->name() != name || !d.values || d.values->empty())
            continue;
        const auto count = static_cast<long long>(d.values->size());
        const long long k = std::clamp(std::llround(day), 1LL, count);
        const auto i = static_cast<std::size_t>(k - 1);
        if (d.kind == u"band"_s)
            return u"day %1: %2 to %3 %4"_s.arg(k).arg(
                ValueText((*d.other)[i]), ValueText((*d.values)[i]), d.unit);
        const double value = (*d.values)[i];
        if (!std::isfinite(value))
            return {};
        return u"day %1: %2 %3"_s.arg(k).arg(ValueText(value), d.unit);
    }
    return {};
}

void ResultExplorer::labelTicks(QCategoryAxis *axis)
{
    const double min = axis->min();
    const double max = axis->max();
    const double step = RoundStep(max - min);
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    // Each label stands at the end of its category; the first category starts a step below the
    // range, so the lowest tick gets its label too.
    axis->setStartValue(min - step);
    for (const AxisTick &tick : AxisTicks(min, max, step))
        axis->append(QString::fromStdString(tick.label), tick.value);
}

QString ResultExplorer::readoutAt(QPointF position) const
{
    QChart *chart = chartView->chart();
    if (!chart->plotArea().contains(position))
        return {};
    QString best;
    double nearest = std::numeric_limits<double>::infinity();
    for (const Drawn &d : drawn_) {
        if (!d.shown || !d.values || d.values->empty())
            continue;
        const std::vector<double> &values = *d.values;
        const auto count = static_cast<long long>(values.size());
        const double pointerDay = chart->mapToValue(position, d.shown).x();
        long long day = std::clamp(std::llround(pointerDay), 1LL, count);
        if (d.kind == u"markers"_s) {
            // The measured day nearest the pointer.
            long long found = 0;
            for (long long offset = 0; offset < count && found == 0; ++offset) {
                for (long long k : {day - offset, day + offset}) {
                    if (k >= 1 && k <= count && std::isfinite(values[static_cast<std::size_t>(k - 1)])) {
                        found = k;
                        break;
                    }
                }
            }
            if (found == 0)
                continue;
            day = found;
        }
        const auto i = static_cast<std::size_t>(day - 1);
        const double value = values[i];
        if (!std::isfinite(value))
            continue;
        const QPointF at = chart->mapToPosition(QPointF(static_cast<double>(day), value), d.shown);
        double dy = position.y() - at.y();
        if (d.kind == u"band"_s) {
            // Anywhere between the band's edges is on it.
            const double lower = chart->mapToPosition(QPointF(static_cast<double>(day), (*d.other)[i]), d.shown).y();
            dy = position.y() >= at.y() && position.y() <= lower ? 0
                : std::min(std::abs(position.y() - at.y()), std::abs(position.y() - lower));
        }
        const double distance = std::hypot(position.x() - at.x(), dy);
        if (distance < nearest) {
            nearest = distance;
            best = d.shown->name() + u", "_s + hoverText(d.shown->name(), static_cast<double>(day));
        }
    }
    return best;
}

void ResultExplorer::showReadout(QPointF position)
{
    hoverLabel->setText(readoutAt(position));
}

QByteArray ResultExplorer::renderChart(const QString &file, QSize size) const
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    const QRect source = chartView->viewport()->rect();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const auto paint = [&](QPainter &painter, const QRectF &target) {
        painter.setRenderHint(QPainter::Antialiasing);
        chartView->render(&painter, target, source, Qt::KeepAspectRatio);
    };
    if (suffix == u"png"_s) {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            paint(painter, QRectF(QPointF(0, 0), size));
        }
        image.save(&buffer, "PNG");
    } else if (suffix == u"svg"_s) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(u"Carexa 2.0 results"_s);
        QPainter painter(&svg);
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        paint(painter, QRectF(QPointF(0, 0), size));
    } else if (suffix == u"pdf"_s) {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        paint(painter, QRectF(0, 0, pdf.width(), pdf.height()));
    } else {
        throw Error("Charts can be exported as .png, .svg or .pdf files; \""
            + QuotedText(file.toStdString()) + "\" is none of them.");
    }
    buffer.close();
    return bytes;
}

void ResultExplorer::exportChart()
{
    const QSize shown = chartView->size();
    const std::optional<ImageExport> choice = dialogs_.exportImage(this,
        {ExportSuggestion(projectFile_, u"-results.png"_s, u"results.png"_s), shown.width() * 2,
            shown.height() * 2});
    if (!choice)
        return;
    const QByteArray bytes = renderChart(choice->file, QSize(choice->width, choice->height));
    WriteFileAtomically(choice->file.toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), "The chart");
}

} // namespace carexa
