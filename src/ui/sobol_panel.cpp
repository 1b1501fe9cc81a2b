#include "ui/sobol_panel.h"

#include "io/output_file.h"
#include "model/error.h"
#include "model/output_series.h"
#include "ui/analysis_dialog.h"
#include "ui/user_dialogs.h"
#include "ui/window_settings.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

const QColor kFirstOrderColour(0x2b, 0x6c, 0xb0);
const QColor kTotalColour(0xe0, 0x8a, 0x2c);

// Not a number (V = 0) counts as no share.
double Shown(double value)
{
    return std::isfinite(value) ? value : 0;
}

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// An index as the report writes it: "n/a" where V = 0.
QString IndexText(double value)
{
    if (!std::isfinite(value))
        return u"n/a"_s;
    const QString text = QString::number(value, 'f', 3);
    return text == u"-0.000"_s ? u"0.000"_s : text; // a tiny negative estimate rounds to 0
}

} // namespace

// ---------------------------------------------------------------------------------------------

SobolChart::SobolChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"sobolChart"_s);
    setMinimumSize(360, 300);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void SobolChart::setBars(std::vector<Bar> bars, const QString &title)
{
    bars_ = std::move(bars);
    title_ = title;
    // From 0 (or below, where an interval reaches under it) to the largest end, in fifths.
    double low = 0;
    double high = 0.2;
    for (const Bar &bar : bars_) {
        for (double v : {bar.index.s1Low, bar.index.s1, bar.index.stLow, bar.index.st}) {
            if (std::isfinite(v))
                low = std::min(low, v);
        }
        for (double v : {bar.index.s1High, bar.index.s1, bar.index.stHigh, bar.index.st}) {
            if (std::isfinite(v))
                high = std::max(high, v);
        }
    }
    low_ = std::floor(low * 5) / 5;
    high_ = std::ceil(high * 5 - 1e-9) / 5;
    update();
}

void SobolChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const int line = metrics.height();
    const QRect area = rect().adjusted(8, 6, -14, -8);
    painter.drawText(QRect(area.left(), area.top(), area.width(), line), Qt::AlignHCenter,
        title_.isEmpty() ? u"Sobol' indices"_s : title_);

    // The legend under the title.
    int x = area.left() + area.width() / 2 - 90;
    const int legendY = area.top() + line + 4;
    for (const auto &[colour, name] :
        {std::pair {kFirstOrderColour, u"S1 first order"_s}, std::pair {kTotalColour, u"ST total"_s}}) {
        painter.fillRect(x, legendY + 2, 14, line - 4, colour);
        painter.drawText(x + 18, legendY + metrics.ascent(), name);
        x += 100;
    }

    int labelWidth = metrics.horizontalAdvance(u"WWW"_s);
    for (const Bar &bar : bars_)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(bar.parameter));
    const QRect plot(area.left() + labelWidth + 8, legendY + line + 8,
        area.width() - labelWidth - 8, area.bottom() - (legendY + line + 8) - 2 * line - 4);
    if (plot.width() < 20 || plot.height() < 20)
        return;
    const auto xOf = [&](double v) {
        return plot.left() + (std::clamp(v, low_, high_) - low_) / (high_ - low_) * plot.width();
    };

    // The grid and the axis in fifths.
    painter.setPen(QColor(0xdd, 0xdd, 0xdd));
    for (double v = low_; v <= high_ + 1e-9; v += 0.2) {
        const double gx = xOf(v);
        painter.drawLine(QPointF(gx, plot.top()), QPointF(gx, plot.bottom()));
    }
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    for (double v = low_; v <= high_ + 1e-9; v += 0.2) {
        const double gx = xOf(v);
        const QString label = QString::number(std::abs(v) < 1e-9 ? 0.0 : v, 'f', 1);
        painter.drawLine(QPointF(gx, plot.bottom()), QPointF(gx, plot.bottom() + 3));
        painter.drawText(QRectF(gx - 30, plot.bottom() + 4, 60, line), Qt::AlignHCenter, label);
    }
    painter.drawText(QRect(plot.left(), plot.bottom() + line + 4, plot.width(), line),
        Qt::AlignHCenter, u"Share of the variance of the series' mean"_s);

    if (bars_.empty())
        return;
    const double rowHeight = static_cast<double>(plot.height()) / static_cast<double>(bars_.size());
    const double barHeight = std::max(2.0, rowHeight * 0.36);
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        const Bar &bar = bars_[i];
        const double top = plot.top() + rowHeight * static_cast<double>(i);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRectF(area.left(), top, labelWidth, rowHeight),
            Qt::AlignRight | Qt::AlignVCenter, bar.parameter);
        const struct
        {
            double value, low, high;
            QColor colour;
            double y;
        } parts[] = {{bar.index.s1, bar.index.s1Low, bar.index.s1High, kFirstOrderColour,
                         top + rowHeight / 2 - barHeight},
            {bar.index.st, bar.index.stLow, bar.index.stHigh, kTotalColour, top + rowHeight / 2}};
        for (const auto &part : parts) {
            const double zero = xOf(0);
            const double end = xOf(Shown(part.value));
            painter.fillRect(QRectF(std::min(zero, end), part.y, std::abs(end - zero), barHeight),
                part.colour);
            if (!std::isfinite(part.low) || !std::isfinite(part.high))
                continue;
            // The 95 % interval as a whisker through the bar's middle.
            painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
            const double y = part.y + barHeight / 2;
            const double a = xOf(part.low);
            const double b = xOf(part.high);
            painter.drawLine(QPointF(a, y), QPointF(b, y));
            painter.drawLine(QPointF(a, y - barHeight / 3), QPointF(a, y + barHeight / 3));
            painter.drawLine(QPointF(b, y - barHeight / 3), QPointF(b, y + barHeight / 3));
        }
    }
}

// ---------------------------------------------------------------------------------------------

SobolPanel::SobolPanel(UserDialogs &dialogs, QWidget *parent) : QWidget(parent), dialogs_(dialogs)
{
    setObjectName(u"sobolPanel"_s);
    table = new QTableWidget(0, 7, this);
    table->setObjectName(u"sobolTable"_s);
    table->setHorizontalHeaderLabels({u"Parameter"_s, u"S1"_s, u"S1 95 % low"_s,
        u"S1 95 % high"_s, u"ST"_s, u"ST 95 % low"_s, u"ST 95 % high"_s});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    chart = new SobolChart(this);
    noteLabel = new QLabel(u"Run the Sobol' method to see the share of each series' variance "
                           "that each parameter causes alone (S1) and with its interactions "
                           "(ST)."_s,
        this);
    noteLabel->setObjectName(u"sobolNote"_s);
    noteLabel->setWordWrap(true);
    exportButton = new QPushButton(u"Export Sobol' CSV..."_s, this);
    exportButton->setObjectName(u"exportSobolButton"_s);
    exportButton->setEnabled(false);

    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(table);
    split->addWidget(chart);
    split->setStretchFactor(1, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(noteLabel, 1);
    bottom->addWidget(exportButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);
    connect(exportButton, &QPushButton::clicked, this, &SobolPanel::exportCsv);
}

void SobolPanel::setResult(SobolResult result)
{
    result_ = std::move(result);
    exportButton->setEnabled(true);
    noteLabel->setText(
        u"N = %1 base samples, %2 runs; %3 rows used. S1: the share of the variance of the "
        "series' mean over the simulated days that the parameter causes alone; ST: with all its "
        "interactions. Whiskers: 95 % bootstrap intervals; n/a where the series does not vary."_s
            .arg(result_->baseSamples)
            .arg(result_->runs)
            .arg(result_->rowsUsed));
    showSeries(series_);
}

void SobolPanel::showSeries(int series)
{
    series_ = std::clamp(series, 0, kSeriesCount - 1);
    if (!result_)
        return;
    const auto column = static_cast<std::size_t>(series_);
    std::vector<std::size_t> order(result_->parameters.size());
    std::iota(order.begin(), order.end(), std::size_t {0});
    // The largest total index first; n/a below every number.
    const auto key = [&](std::size_t p) {
        const double st = result_->indices[p][column].st;
        return std::isfinite(st) ? st : -1e300;
    };
    std::stable_sort(
        order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) > key(b); });
    table->setRowCount(static_cast<int>(order.size()));
    std::vector<SobolChart::Bar> bars;
    for (std::size_t row = 0; row < order.size(); ++row) {
        const std::size_t p = order[row];
        const SobolIndex &index = result_->indices[p][column];
        const QString name = Text(ParameterName(result_->parameters[p]));
        bars.push_back({name, index});
        const QString texts[] = {name, IndexText(index.s1), IndexText(index.s1Low),
            IndexText(index.s1High), IndexText(index.st), IndexText(index.stLow),
            IndexText(index.stHigh)};
        for (int c = 0; c < 7; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == 0)
                item->setToolTip(Text(ParameterDescription(result_->parameters[p])));
            table->setItem(static_cast<int>(row), c, item);
        }
    }
    chart->setBars(std::move(bars), Text(kSeriesHeadings[column]));
}

void SobolPanel::exportCsv()
{
    if (!result_)
        return;
    const QString file = dialogs_.saveFileName(this, u"Export Sobol' indices"_s,
        u"CSV file (*.csv)"_s, ExportSuggestion(projectFile_, u"-sobol.csv"_s, u"sobol.csv"_s));
    if (file.isEmpty())
        return;
    try {
        WriteFileAtomically(file.toStdString(), SobolCsv(*result_), "The Sobol report");
    } catch (const Error &e) {
        dialogs_.showMessage(this, QString::fromStdString(e.what()), QString());
    }
}

} // namespace carexa
