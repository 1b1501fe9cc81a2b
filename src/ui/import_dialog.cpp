#include "ui/import_dialog.h"

#include "io/csv_reader.h"
#include "model/error.h"
#include "model/model_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

constexpr char kDelimiters[] = {',', ';', '\t'};
constexpr DayColumn kDayColumns[]
    = {DayColumn::None, DayColumn::DayNumbers, DayColumn::Dates, DayColumn::DatesMonthFirst};

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel *Caption(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

} // namespace

ImportDialog::ImportDialog(const ImportRequest &request, QWidget *parent)
    : QDialog(parent),
      text_(request.text),
      target_(request.target),
      settings_(request.suggested),
      decimalChoice_(request.suggested.decimalMark)
{
    setObjectName(u"importDialog"_s);
    setWindowTitle(
        target_ == ImportTarget::Forcing ? u"Import forcing data"_s : u"Import observed values"_s);
    resize(860, 560);

    auto *layout = new QVBoxLayout(this);
    auto *file = new QLabel(u"File: %1"_s.arg(QFileInfo(request.file).fileName()), this);
    file->setObjectName(u"fileLabel"_s);
    file->setToolTip(request.file);
    layout->addWidget(file);

    auto *grid = new QGridLayout;
    delimiterBox_ = new QComboBox(this);
    delimiterBox_->setObjectName(u"delimiterBox"_s);
    delimiterBox_->addItems({u"Comma"_s, u"Semicolon"_s, u"Tab"_s});
    grid->addWidget(Caption(u"Columns separated by:"_s, delimiterBox_), 0, 0);
    grid->addWidget(delimiterBox_, 0, 1);

    decimalMarkBox_ = new QComboBox(this);
    decimalMarkBox_->setObjectName(u"decimalMarkBox"_s);
    decimalMarkBox_->addItems({u"Point (12.5)"_s, u"Comma (12,5)"_s});
    grid->addWidget(Caption(u"Decimal mark:"_s, decimalMarkBox_), 0, 2);
    grid->addWidget(decimalMarkBox_, 0, 3);

    skipRowsBox_ = new QSpinBox(this);
    skipRowsBox_->setObjectName(u"skipRowsBox"_s);
    skipRowsBox_->setRange(0, 1000);
    grid->addWidget(Caption(u"Rows to skip at the top:"_s, skipRowsBox_), 1, 0);
    grid->addWidget(skipRowsBox_, 1, 1);

    headingCheck_ = new QCheckBox(u"The first row read holds the column headings"_s, this);
    headingCheck_->setObjectName(u"headingCheck"_s);
    grid->addWidget(headingCheck_, 1, 2, 1, 2);

    dayColumnBox_ = new QComboBox(this);
    dayColumnBox_->setObjectName(u"dayColumnBox"_s);
    dayColumnBox_->addItems({u"Values (rows follow day by day)"_s, u"Day numbers"_s,
        u"Dates (day before month)"_s, u"Dates (month before day)"_s});
    dayColumnBox_->setToolTip(u"Dates are read as yyyy-mm-dd, dd.mm.yyyy and dd/mm/yyyy (or "
                              "mm/dd/yyyy); a time of day after the date is ignored."_s);
    grid->addWidget(Caption(u"First column:"_s, dayColumnBox_), 2, 0);
    grid->addWidget(dayColumnBox_, 2, 1);

    firstDayBox_ = new QSpinBox(this);
    firstDayBox_->setObjectName(u"firstDayBox"_s);
    firstDayBox_->setRange(1, kMaxDays);
    firstDayBox_->setToolTip(u"The day of the first row, or of the earliest date."_s);
    grid->addWidget(Caption(u"The rows start at day:"_s, firstDayBox_), 2, 2);
    grid->addWidget(firstDayBox_, 2, 3);
    grid->setColumnStretch(4, 1);
    layout->addLayout(grid);

    previewTable_ = new QTableWidget(this);
    previewTable_->setObjectName(u"previewTable"_s);
    previewTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewTable_->setSelectionMode(QAbstractItemView::NoSelection);
    previewTable_->verticalHeader()->setDefaultSectionSize(22);
    layout->addWidget(previewTable_, 1);

    problemLabel_ = new QLabel(this);
    problemLabel_->setObjectName(u"problemLabel"_s);
    problemLabel_->setWordWrap(true);
    problemLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(problemLabel_);

    if (target_ == ImportTarget::Forcing) {
        // On while the chosen columns bring new flows and no retention times of their own, until
        // the user sets it.
        recalculateCheck_
            = new QCheckBox(u"Recalculate water volume and retention times"_s, this);
        recalculateCheck_->setObjectName(u"recalculateCheck"_s);
        recalculateCheck_->setToolTip(
            u"After the import, as \"Calculate water volume\" and \"Calculate RTB values\" do"_s);
        layout->addWidget(recalculateCheck_);
        connect(recalculateCheck_, &QCheckBox::clicked, this, [this] { recalculateSet_ = true; });
    }

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(u"buttonBox"_s);
    buttons_->button(QDialogButtonBox::Ok)->setText(u"Import"_s);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    showSettings();
    fillPreview();
    check();

    const auto relayout = [this] {
        if (!updating_)
            layoutChanged();
    };
    const auto recheck = [this] {
        if (updating_)
            return;
        readControls();
        check();
    };
    connect(delimiterBox_, &QComboBox::currentIndexChanged, this, relayout);
    connect(skipRowsBox_, &QSpinBox::valueChanged, this, relayout);
    connect(headingCheck_, &QCheckBox::toggled, this, relayout);
    connect(dayColumnBox_, &QComboBox::currentIndexChanged, this, relayout);
    connect(decimalMarkBox_, &QComboBox::currentIndexChanged, this, recheck);
    connect(firstDayBox_, &QSpinBox::valueChanged, this, recheck);
}

void ImportDialog::showSettings()
{
    updating_ = true;
    const auto delimiter
        = std::find(std::begin(kDelimiters), std::end(kDelimiters), settings_.delimiter);
    delimiterBox_->setCurrentIndex(static_cast<int>(delimiter - std::begin(kDelimiters)) % 3);
    decimalMarkBox_->setCurrentIndex(settings_.decimalMark == DecimalMark::Comma ? 1 : 0);
    // The comma cannot be the decimal mark of comma-separated columns.
    decimalMarkBox_->setEnabled(settings_.delimiter != ',');
    skipRowsBox_->setValue(settings_.skipRows);
    headingCheck_->setChecked(settings_.heading);
    const auto day = std::find(std::begin(kDayColumns), std::end(kDayColumns), settings_.dayColumn);
    dayColumnBox_->setCurrentIndex(static_cast<int>(day - std::begin(kDayColumns)) % 4);
    firstDayBox_->setValue(settings_.firstDay);
    firstDayBox_->setEnabled(settings_.dayColumn != DayColumn::DayNumbers);
    updating_ = false;
}

void ImportDialog::readControls()
{
    if (decimalMarkBox_->isEnabled())
        decimalChoice_
            = decimalMarkBox_->currentIndex() == 1 ? DecimalMark::Comma : DecimalMark::Point;
    settings_.delimiter = kDelimiters[delimiterBox_->currentIndex()];
    settings_.decimalMark = settings_.delimiter == ',' ? DecimalMark::Point : decimalChoice_;
    settings_.skipRows = skipRowsBox_->value();
    settings_.heading = headingCheck_->isChecked();
    settings_.dayColumn = kDayColumns[dayColumnBox_->currentIndex()];
    settings_.firstDay = firstDayBox_->value();
}

void ImportDialog::layoutChanged()
{
    readControls();
    try {
        settings_.columns = SuggestColumns(text_, settings_, target_);
    } catch (const Error &) {
        settings_.columns.clear(); // the table shows why
    }
    showSettings();
    fillPreview();
    check();
}

void ImportDialog::fillPreview()
{
    // The choices of the last layout go at once, so only the new ones are found by name.
    for (int c = 0; c < previewTable_->columnCount(); ++c) {
        QWidget *old = previewTable_->cellWidget(0, c);
        previewTable_->removeCellWidget(0, c);
        delete old;
    }
    previewTable_->clear();
    const auto skip = static_cast<std::size_t>(settings_.skipRows);
    const std::size_t headingRows = settings_.heading ? 1 : 0;
    CsvTable table;
    try {
        table = ParseCsv(text_, settings_.delimiter, skip + headingRows + kPreviewRows);
    } catch (const Error &) {
        previewTable_->setRowCount(0);
        previewTable_->setColumnCount(0);
        return;
    }
    std::size_t fileColumns = settings_.columns.size();
    for (std::size_t r = 0; r < table.rowCount(); ++r)
        fileColumns = std::max(fileColumns, table.fieldCount(r));
    settings_.columns.resize(fileColumns, kSkipColumn);

    const int columns = static_cast<int>(fileColumns);
    previewTable_->setColumnCount(columns);
    previewTable_->setRowCount(1 + static_cast<int>(table.rowCount()));
    QStringList headings;
    for (int c = 0; c < columns; ++c) {
        const std::string_view heading = settings_.heading && skip < table.rowCount()
            ? table.field(skip, static_cast<std::size_t>(c))
            : std::string_view();
        headings.append(heading.empty() ? u"Column %1"_s.arg(c + 1) : Text(heading));
    }
    previewTable_->setHorizontalHeaderLabels(headings);

    // Row 0: where each column goes.
    previewTable_->setVerticalHeaderItem(0, new QTableWidgetItem(u"Import as"_s));
    const bool hasDays = settings_.dayColumn != DayColumn::None;
    for (int c = 0; c < columns; ++c) {
        auto *box = new QComboBox(previewTable_);
        box->setObjectName(u"columnBox%1"_s.arg(c + 1));
        if (hasDays && c == 0) {
            box->addItem(
                settings_.dayColumn == DayColumn::DayNumbers ? u"(day number)"_s : u"(date)"_s);
            box->setEnabled(false);
        } else {
            box->addItem(u"(skip)"_s, kSkipColumn);
            for (int g = 1; g <= kImportColumns; ++g)
                box->addItem(Text(ImportColumnName(target_, g)), g);
            box->setCurrentIndex(settings_.columns[static_cast<std::size_t>(c)]);
            connect(box, &QComboBox::currentIndexChanged, this, [this, c](int index) {
                settings_.columns[static_cast<std::size_t>(c)] = index;
                check();
            });
        }
        previewTable_->setCellWidget(0, c, box);
    }

    // The records as the settings read them: skipped rows grey, the heading row bold.
    QFont bold = previewTable_->font();
    bold.setBold(true);
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        const int row = 1 + static_cast<int>(r);
        previewTable_->setVerticalHeaderItem(
            row, new QTableWidgetItem(QString::number(table.line(r))));
        for (int c = 0; c < columns; ++c) {
            auto *item = new QTableWidgetItem(Text(table.field(r, static_cast<std::size_t>(c))));
            if (r < skip)
                item->setForeground(Qt::gray);
            else if (r == skip && settings_.heading)
                item->setFont(bold);
            previewTable_->setItem(row, c, item);
        }
    }
    previewTable_->resizeColumnsToContents();
    for (int c = 0; c < columns; ++c)
        previewTable_->setColumnWidth(c, std::clamp(previewTable_->columnWidth(c), 110, 220));
}

bool ImportDialog::recalculate() const
{
    return recalculateCheck_ && recalculateCheck_->isChecked();
}

void ImportDialog::check()
{
    if (recalculateCheck_ && !recalculateSet_)
        recalculateCheck_->setChecked(RecalculateByDefault(target_, settings_));
    QPushButton *ok = buttons_->button(QDialogButtonBox::Ok);
    try {
        const ImportedTable table = ReadImport(text_, settings_, target_);
        const auto [first, last] = std::minmax_element(table.days.begin(), table.days.end());
        QStringList names;
        for (const int column : table.columns)
            names.append(Text(ImportColumnName(target_, column)));
        QString list = names.join(u", "_s);
        if (!list.endsWith(u'.'))
            list += u'.';
        problemLabel_->setStyleSheet(QString());
        problemLabel_->setText(u"%1 rows, days %2 to %3, go into %4 %5: %6"_s.arg(table.days.size())
                                   .arg(*first)
                                   .arg(*last)
                                   .arg(names.size())
                                   .arg(names.size() == 1 ? u"column"_s : u"columns"_s, list));
        ok->setEnabled(true);
    } catch (const Error &e) {
        problemLabel_->setStyleSheet(u"color: #b00000"_s);
        problemLabel_->setText(QString::fromStdString(e.what()));
        ok->setEnabled(false);
    }
}

} // namespace carexa
