#include "ui/confidence_panel.h"

#include "io/output_file.h"
#include "model/error.h"
#include "ui/analysis_dialog.h"
#include "ui/user_dialogs.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

enum IntervalColumn { ParameterColumn, ValueColumn, ErrorColumn, LowerColumn, UpperColumn,
    StatusColumn, IntervalColumns };

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A number of the intervals, "n/a" where it cannot be computed (as the CSV writes it).
QString Number(double value)
{
    return std::isfinite(value) ? QString::number(value, 'g', 4) : u"n/a"_s;
}

QTableWidgetItem *Cell(const QString &text, bool number)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

ConfidencePanel::ConfidencePanel(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent), dialogs_(dialogs)
{
    setObjectName(u"confidencePanel"_s);
    intervalTable = new QTableWidget(0, IntervalColumns, this);
    intervalTable->setObjectName(u"confidenceTable"_s);
    intervalTable->setHorizontalHeaderLabels({u"Parameter"_s, u"Value"_s, u"Std. error"_s,
        u"95 % lower"_s, u"95 % upper"_s, u"Status"_s});
    intervalTable->setToolTip(
        u"determined: the measurements pin the parameter down; undetermined: it lies in the "
        "null space of the Jacobian, its interval is wider than its bounds, or it correlates "
        "beyond 0.95 with another; at_bound: it ended within a step of a bound and is left out "
        "of the covariance."_s);
    correlationTable = new QTableWidget(0, 0, this);
    correlationTable->setObjectName(u"correlationTable"_s);
    correlationTable->setToolTip(u"The correlation of the estimates: red positive, blue "
                                 "negative, the deeper the stronger; beyond 0.95 in bold."_s);
    for (QTableWidget *table : {intervalTable, correlationTable}) {
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->verticalHeader()->setDefaultSectionSize(20);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }
    intervalTable->verticalHeader()->hide();
    noteLabel = new QLabel(this);
    noteLabel->setObjectName(u"confidenceNote"_s);
    noteLabel->setWordWrap(true);
    exportIntervalsButton = new QPushButton(u"Export intervals..."_s, this);
    exportIntervalsButton->setObjectName(u"exportConfidenceButton"_s);
    exportCorrelationButton = new QPushButton(u"Export correlations..."_s, this);
    exportCorrelationButton->setObjectName(u"exportCorrelationButton"_s);

    auto *tables = new QHBoxLayout;
    tables->addWidget(intervalTable, 5);
    tables->addWidget(correlationTable, 3);
    // Small as they may be, so the calibration's own tables above keep their room.
    for (QTableWidget *table : {intervalTable, correlationTable}) {
        table->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
        table->setMinimumHeight(60);
    }
    // A wrapped label would ask for the height of its narrowest layout; three lines hold it.
    noteLabel->setMinimumHeight(noteLabel->fontMetrics().lineSpacing() * 3 + 6);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportIntervalsButton);
    buttons->addWidget(exportCorrelationButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(tables, 1);
    layout->addWidget(noteLabel);
    layout->addLayout(buttons);

    connect(exportIntervalsButton, &QPushButton::clicked, this, [this] {
        if (result_)
            exportText(u"Export confidence intervals"_s, u"confidence.csv"_s,
                ConfidenceCsv(*result_), "The confidence intervals");
    });
    connect(exportCorrelationButton, &QPushButton::clicked, this, [this] {
        if (result_)
            exportText(u"Export correlation matrix"_s, u"correlation.csv"_s,
                CorrelationCsv(*result_), "The correlation matrix");
    });
    clear();
}

QColor ConfidencePanel::CorrelationColour(double r)
{
    if (!std::isfinite(r))
        return Qt::white;
    const double strength = std::min(1.0, std::abs(r));
    // From white toward a full red (positive) or blue (negative).
    const QColor full = r >= 0 ? QColor(0xd7, 0x30, 0x27) : QColor(0x2c, 0x6b, 0xb5);
    const auto mix = [strength](int channel) {
        return static_cast<int>(std::lround(255 + (channel - 255) * strength));
    };
    return QColor(mix(full.red()), mix(full.green()), mix(full.blue()));
}

void ConfidencePanel::clear(const QString &reason)
{
    result_.reset();
    intervalTable->setRowCount(0);
    correlationTable->setRowCount(0);
    correlationTable->setColumnCount(0);
    noteLabel->setText(reason.isEmpty()
            ? u"The parameters' 95 % confidence intervals show here after a calibration."_s
            : reason);
    exportIntervalsButton->setEnabled(false);
    exportCorrelationButton->setEnabled(false);
}

void ConfidencePanel::setResult(ConfidenceResult result)
{
    result_ = std::move(result);
    const auto count = static_cast<int>(result_->parameters.size());
    intervalTable->setRowCount(count);
    QStringList codes;
    for (int row = 0; row < count; ++row) {
        const ParameterInterval &p = result_->parameters[static_cast<std::size_t>(row)];
        codes.append(Text(ParameterName(p.parameter)));
        intervalTable->setItem(row, ParameterColumn, Cell(codes.last(), false));
        intervalTable->setItem(row, ValueColumn, Cell(Number(p.value), true));
        intervalTable->setItem(row, ErrorColumn, Cell(Number(p.stdError), true));
        intervalTable->setItem(row, LowerColumn, Cell(Number(p.lower), true));
        intervalTable->setItem(row, UpperColumn, Cell(Number(p.upper), true));
        auto *status = Cell(Text(StatusText(p.status)), false);
        if (p.status != ConfidenceStatus::Determined)
            status->setForeground(QColor(0xa0, 0x30, 0x20));
        intervalTable->setItem(row, StatusColumn, status);
    }
    correlationTable->setRowCount(count);
    correlationTable->setColumnCount(count);
    correlationTable->setHorizontalHeaderLabels(codes);
    correlationTable->setVerticalHeaderLabels(codes);
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < count; ++column) {
            const double r = result_->correlation[static_cast<std::size_t>(row)]
                                                 [static_cast<std::size_t>(column)];
            auto *item = Cell(std::isfinite(r) ? QString::number(r, 'f', 2) : u"n/a"_s, true);
            item->setBackground(CorrelationColour(r));
            item->setForeground(std::isfinite(r) && std::abs(r) > 0.6 ? Qt::white : Qt::black);
            if (row != column && std::isfinite(r) && std::abs(r) > kCorrelationLimit) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            correlationTable->setItem(row, column, item);
        }
    }
    noteLabel->setText(u"%1 measured days, %2 parameters estimated, s\u00b2 = %3, t = %4. %5"_s
            .arg(result_->residuals)
            .arg(result_->estimated)
            .arg(Number(result_->variance), Number(result_->t), Text(kConfidenceAssumption)));
    exportIntervalsButton->setEnabled(true);
    exportCorrelationButton->setEnabled(true);
}

void ConfidencePanel::exportText(
    const QString &title, const QString &name, const std::string &text, const std::string &what)
{
    const QString file = dialogs_.saveFileName(this, title, u"CSV file (*.csv)"_s, name);
    if (file.isEmpty())
        return;
    try {
        WriteFileAtomically(file.toStdString(), text, what);
    } catch (const Error &e) {
        dialogs_.showMessage(this, QString::fromStdString(e.what()), QString());
    }
}

} // namespace carexa
