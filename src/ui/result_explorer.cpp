#include "ui/result_explorer.h"

#include "io/output_file.h"
#include "model/error.h"
#include "results/downsample.h"
#include "ui/analysis_dialog.h"
#include "ui/user_dialogs.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

constexpr double kWheelZoom = 1.25;
constexpr double kKeyScroll = 0.1; // of the plot area per arrow key
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
// The chart view

ExplorerChartView::ExplorerChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

// The wheel and the keys zoom the days about a point; the values keep their range (a dragged
// rectangle zooms both).
void ExplorerChartView::zoomAbout(QPointF position, double factor)
{
    const QRectF plot = chart()->plotArea();
    if (plot.isEmpty())
        return;
    const double centre = std::clamp(position.x(), plot.left(), plot.right());
    chart()->zoomIn(QRectF(centre - (centre - plot.left()) * factor, plot.top(),
        plot.width() * factor, plot.height()));
}

void ExplorerChartView::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y();
    if (steps == 0) {
        event->ignore();
        return;
    }
    zoomAbout(mapToScene(event->position().toPoint()), steps > 0 ? 1 / kWheelZoom : kWheelZoom);
    event->accept();
}

void ExplorerChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        panning_ = true;
        lastPan_ = event->position();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void ExplorerChartView::mouseMoveEvent(QMouseEvent *event)
{
    if (panning_) {
        const QPointF delta = event->position() - lastPan_;
        lastPan_ = event->position();
        chart()->scroll(-delta.x(), delta.y());
        event->accept();
        return;
    }
    QChartView::mouseMoveEvent(event);
}

void ExplorerChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (panning_ && event->button() == Qt::MiddleButton) {
        panning_ = false;
        unsetCursor();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void ExplorerChartView::keyPressEvent(QKeyEvent *event)
{
    const QRectF plot = chart()->plotArea();
    switch (event->key()) {
    case Qt::Key_Left:
        chart()->scroll(-plot.width() * kKeyScroll, 0);
        break;
    case Qt::Key_Right:
        chart()->scroll(plot.width() * kKeyScroll, 0);
        break;
    case Qt::Key_Up:
        chart()->scroll(0, plot.height() * kKeyScroll);
        break;
    case Qt::Key_Down:
        chart()->scroll(0, -plot.height() * kKeyScroll);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAbout(plot.center(), 1 / kWheelZoom);
        break;
    case Qt::Key_Minus:
        zoomAbout(plot.center(), kWheelZoom);
        break;
    case Qt::Key_Home:
        emit resetRequested();
        break;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
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
    chart->setMargins(QMargins(4, 4, 4, 4));
    chartView = new ExplorerChartView(chart, this);
    chartView->setObjectName(u"explorerChart"_s);
    hoverLabel = new QLabel(this);
    hoverLabel->setObjectName(u"explorerHover"_s);
    hoverLabel->setMinimumHeight(20);
    auto *chartColumn = new QVBoxLayout;
    chartColumn->addWidget(chartView, 1);
    chartColumn->addWidget(hoverLabel);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(chartColumn, 1);

    dayAxis = new QValueAxis(this);
    dayAxis->setTitleText(u"Day"_s);
    dayAxis->setLabelFormat(u"%.0f"_s);
    concentrationAxis = new QValueAxis(this);
    concentrationAxis->setTitleText(u"Concentration (mg/L)"_s);
    efficiencyAxis = new QValueAxis(this);
    efficiencyAxis->setTitleText(u"Removal efficiency (%)"_s);
    efficiencyAxis->setGridLineVisible(false); // the grid follows the first value axis
    connect(dayAxis, &QValueAxis::rangeChanged, this, [this] { resample(); });

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
    rebuild();
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
    connect(line, &QXYSeries::hovered, this,
        [this, name](QPointF point, bool state) { hovered(name, point, state); });
    drawn_.push_back({line, line, &values, nullptr, u"line"_s, efficiency ? u"%"_s : u"mg/L"_s});
}

void ResultExplorer::addMarkers(
    const QString &name, const std::vector<double> &values, QColor colour, bool efficiency)
{
    auto *markers = new QScatterSeries;
    markers->setName(name);
    markers->setMarkerSize(7);
    markers->setColor(Qt::white);
    markers->setBorderColor(colour.darker(120));
    attach(markers, efficiency);
    connect(markers, &QXYSeries::hovered, this,
        [this, name](QPointF point, bool state) { hovered(name, point, state); });
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
    connect(area, &QAreaSeries::hovered, this,
        [this, name](QPointF point, bool state) { hovered(name, point, state); });
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
    // A band's lower edge is part of its area, not an entry of its own.
    for (QLegendMarker *marker : chart->legend()->markers()) {
        if (marker->series()->name().isEmpty())
            marker->setVisible(false);
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
    for (int axis = 0; axis < 2; ++axis) {
        QValueAxis *valueAxis = axis == 0 ? concentrationAxis : efficiencyAxis;
        const double span = high[axis] - low[axis];
        const double margin = span > 0 ? span * 0.05 : 1;
        valueAxis->setRange(low[axis] < 0 ? low[axis] - margin : 0, high[axis] + margin);
        valueAxis->applyNiceNumbers();
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

void ResultExplorer::hovered(const QString &name, QPointF point, bool state)
{
    if (!state) {
        QToolTip::hideText();
        return;
    }
    const QString text = hoverText(name, point.x());
    if (text.isEmpty())
        return;
    hoverLabel->setText(name + u", "_s + text);
    QToolTip::showText(QCursor::pos(), text, chartView);
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
    const std::optional<ImageExport> choice = dialogs_.exportImage(
        this, {QDir::current().filePath(u"results.png"_s), shown.width() * 2, shown.height() * 2});
    if (!choice)
        return;
    const QByteArray bytes = renderChart(choice->file, QSize(choice->width, choice->height));
    WriteFileAtomically(choice->file.toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), "The chart");
}

} // namespace carexa
