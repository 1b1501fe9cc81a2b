#include "ui/fit_statistics_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

enum Column {
    CountColumn,
    MeanObservedColumn,
    MeanSimulatedColumn,
    RmseColumn,
    MaeColumn,
    PbiasColumn,
    PbiasRatingColumn,
    NseColumn,
    NseRatingColumn,
    KgeColumn,
    R2Column,
    ColumnCount
};

constexpr const char *kStaleFitText
    = "Out of date: the inputs changed after the run these statistics are of. Simulate again.";

QString RatingOf(std::optional<FitRating> rating)
{
    return rating ? QString::fromUtf8(RatingText(*rating)) : QString();
}

} // namespace

QString StatisticText(std::optional<double> value)
{
    return value ? QString::number(*value, 'g', 4) : u"n/a"_s;
}

QString FitLineText(const FitStatistics &fit)
{
    QString text = u"NSE "_s + StatisticText(fit.nse);
    if (const auto rating = RateNse(fit.nse))
        text += u" (%1)"_s.arg(RatingOf(rating));
    text += u"     PBIAS "_s + StatisticText(fit.pbias);
    if (fit.pbias)
        text += u" %"_s;
    if (const auto rating = RatePbias(fit.pbias))
        text += u" (%1)"_s.arg(RatingOf(rating));
    return text;
}

FitStatisticsPanel::FitStatisticsPanel(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"fitStatisticsPanel"_s);
    setWindowTitle(u"Fit statistics"_s);

    table_ = new QTableWidget(kSeriesCount, ColumnCount, this);
    table_->setObjectName(u"fitStatisticsTable"_s);
    table_->setHorizontalHeaderLabels({u"n"_s, u"Mean observed"_s, u"Mean simulated"_s, u"RMSE"_s,
        u"MAE"_s, u"PBIAS %"_s, u"PBIAS rating"_s, u"NSE"_s, u"NSE rating"_s, u"KGE"_s, u"R²"_s});
    QStringList headings;
    for (std::string_view heading : kSeriesHeadings)
        headings << QString::fromUtf8(heading);
    table_->setVerticalHeaderLabels(headings);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setToolTip(QString::fromUtf8(kRatingThresholds));
    for (int column : {PbiasRatingColumn, NseRatingColumn, PbiasColumn, NseColumn})
        table_->horizontalHeaderItem(column)->setToolTip(QString::fromUtf8(kRatingThresholds));
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->verticalHeader()->setDefaultSectionSize(22);

    auto *note = new QLabel(u"Pairs: the days with an observed value (not 0.0001) within both "
                            "lengths, against the data sheet's values as the last run left them. "
                            "Rest the mouse on the table for the rating thresholds."_s,
        this);
    note->setWordWrap(true);
    auto *close = new QPushButton(u"Close"_s, this);
    close->setObjectName(u"fitStatisticsClose"_s);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    staleLabel_ = new QLabel(this);
    staleLabel_->setObjectName(u"fitStaleLabel"_s);
    staleLabel_->setWordWrap(true);
    staleLabel_->setStyleSheet(u"color: #9a5b00; font-weight: bold"_s);
    staleLabel_->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(staleLabel_);
    layout->addWidget(table_);
    layout->addWidget(note);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(920, 400);
}

void FitStatisticsPanel::setFit(const FitTable &fit)
{
    for (int row = 0; row < kSeriesCount; ++row) {
        const FitStatistics &series = fit[static_cast<std::size_t>(row)];
        const QString texts[ColumnCount] = {QString::number(series.n),
            StatisticText(series.meanObserved), StatisticText(series.meanSimulated),
            StatisticText(series.rmse), StatisticText(series.mae), StatisticText(series.pbias),
            RatingOf(RatePbias(series.pbias)), StatisticText(series.nse),
            RatingOf(RateNse(series.nse)), StatisticText(series.kge), StatisticText(series.r2)};
        for (int column = 0; column < ColumnCount; ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            const bool rating = column == PbiasRatingColumn || column == NseRatingColumn;
            item->setTextAlignment(
                (rating ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            table_->setItem(row, column, item);
        }
    }
    setStale(!staleLabel_->isHidden());
}

// Out-of-date statistics say so above the table, and their numbers turn grey.
void FitStatisticsPanel::setStale(bool stale)
{
    staleLabel_->setText(stale ? QString::fromUtf8(kStaleFitText) : QString());
    staleLabel_->setVisible(stale);
    const QBrush text = stale ? QBrush(Qt::gray) : palette().text();
    for (int row = 0; row < table_->rowCount(); ++row) {
        for (int column = 0; column < table_->columnCount(); ++column) {
            if (QTableWidgetItem *item = table_->item(row, column))
                item->setForeground(text);
        }
    }
}

} // namespace carexa
