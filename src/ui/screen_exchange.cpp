// Data in and out through the File menu: CSV import of forcing data and observed values, CSV
// export of the four tables, and the project workbook.

#include "io/csv_export.h"
#include "io/csv_import.h"
#include "io/csv_reader.h"
#include "io/grid_import.h"
#include "io/output_file.h"
#include "io/workbook.h"
#include "model/error.h"
#include "model/number_text.h"
#include "project/project_file.h"
#include "results/data_sheet.h"
#include "ui/background_task.h"
#include "ui/text_grid_model.h"
#include "ui/tform1.h"
#include "ui/widget_factory.h"
#include "ui/user_dialogs.h"
#include "ui/window_settings.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include <map>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

const QString kCsvFilter = u"CSV files (*.csv);;All files (*)"_s;
const QString kImportFilter = u"CSV and text files (*.csv *.tsv *.txt);;All files (*)"_s;

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "temp., water flow, BOD5." - with one full stop at the end, also after "total P.".
QString ColumnList(const ImportedTable &table)
{
    QStringList names;
    for (const int column : table.columns)
        names.append(Text(ImportColumnName(table.target, column)));
    QString list = names.join(u", "_s);
    if (!list.endsWith(u'.'))
        list += u'.';
    return list;
}

} // namespace

/// The handlers of the import and export entries of the File menu.
class DataExchange : public QObject
{
public:
    explicit DataExchange(TForm1 &form) : QObject(&form), form_(form) { }

    void Importforcingdata1Click();
    void Importobservedvalues1Click();
    void ForcingdataCSV1Click();
    void ObservedvaluesCSV1Click();
    void DatasheetCSV1Click();
    void AdditionalresultsCSV1Click();
    void Workbookxlsx1Click();

private:
    /// Reads a file the user picks and asks how; nothing when the user cancelled anywhere.
    std::optional<ImportedTable> readImport(
        ImportTarget target, const QString &title, bool *recalculate = nullptr);
    /// Yes, No or Cancel to a file that holds more days than the grid; nothing for Cancel.
    std::optional<ExtraDays> extraDays(
        const ImportedTable &table, std::int32_t length, const QString &title);
    void reportImport(
        const ImportedTable &table, int days, const QString &what, const QString &title);
    /// Asks where an export goes; the empty text when the user cancelled.
    QString exportName(const QString &key, const QString &title, const QString &filter,
        const QString &suggested, std::string_view extension);
    void exportTable(const QString &key, const QString &title, const QString &suggested,
        const TextGrid &grid, int days, const std::vector<std::string> &headings,
        const std::string &what);

    TForm1 &form_;
    std::map<QString, QString> remembered_; ///< the last name of each export
};

void TForm1::buildExchangeMenu()
{
    auto *exchange = new DataExchange(*this);
    const auto bind = [this, exchange](QAction *action, void (DataExchange::*handler)()) {
        connect(action, &QAction::triggered, this,
            [this, exchange, handler] { run([exchange, handler] { (exchange->*handler)(); }); });
    };
    const auto make = [this](const QString &name, const QString &caption) {
        auto *action = new QAction(caption, File1);
        action->setObjectName(name);
        return action;
    };

    // After "Load Project", before "Print Options".
    QAction *before = PrintOptions1->menuAction();
    File1->insertSeparator(before);
    QAction *importForcing = make(u"Importforcingdata1"_s, u"&Import forcing data..."_s);
    QAction *importObserved = make(u"Importobservedvalues1"_s, u"Import &observed values..."_s);
    File1->insertAction(before, importForcing);
    File1->insertAction(before, importObserved);
    bind(importForcing, &DataExchange::Importforcingdata1Click);
    bind(importObserved, &DataExchange::Importobservedvalues1Click);

    auto *exportMenu = new QMenu(u"&Export"_s, File1);
    exportMenu->setObjectName(u"Export1"_s);
    File1->insertMenu(before, exportMenu);
    const std::pair<QString, QString> exports[]
        = {{u"ForcingdataCSV1"_s, u"&Forcing data (CSV)..."_s},
            {u"ObservedvaluesCSV1"_s, u"&Observed values (CSV)..."_s},
            {u"DatasheetCSV1"_s, u"&Data sheet (CSV)..."_s},
            {u"AdditionalresultsCSV1"_s, u"&Additional results (CSV)..."_s},
            {u"Workbookxlsx1"_s, u"&Workbook (.xlsx)..."_s}};
    void (DataExchange::*const handlers[])() = {&DataExchange::ForcingdataCSV1Click,
        &DataExchange::ObservedvaluesCSV1Click, &DataExchange::DatasheetCSV1Click,
        &DataExchange::AdditionalresultsCSV1Click, &DataExchange::Workbookxlsx1Click};
    for (std::size_t i = 0; i < std::size(exports); ++i) {
        if (i == 4)
            exportMenu->addSeparator();
        QAction *action = make(exports[i].first, exports[i].second);
        exportMenu->addAction(action);
        bind(action, handlers[i]);
    }
    File1->insertSeparator(before);
    buildReportMenu();
}

// ---------------------------------------------------------------------------------------------
// Import

std::optional<ImportedTable> DataExchange::readImport(
    ImportTarget target, const QString &title, bool *recalculate)
{
    if (!form_.ProjectOpen) {
        form_.message(u"Choose a climate or load a project before importing data."_s, title);
        return std::nullopt;
    }
    const QString file = form_.dialogs_.openFileName(&form_, title, kImportFilter, ProjectFolder());
    if (file.isEmpty())
        return std::nullopt;
    const std::string text = ReadImportFile(file.toStdString());
    ImportRequest request;
    request.file = file;
    request.text = text;
    request.target = target;
    request.suggested = DetectImport(text, target);
    const std::optional<ImportChoice> choice = form_.dialogs_.chooseImport(&form_, request);
    if (!choice)
        return std::nullopt;
    if (recalculate)
        *recalculate = choice->recalculate;
    // Read once more with the settings chosen: nothing has changed yet if it is refused.
    return ReadImport(text, choice->settings, target);
}

std::optional<ExtraDays> DataExchange::extraDays(
    const ImportedTable &table, std::int32_t length, const QString &title)
{
    if (table.lastDay <= length)
        return ExtraDays::Drop;
    switch (form_.dialogs_.ask(
        &form_, QString::fromStdString(ExtendQuestion(table.lastDay, length)), title, true)) {
    case UserDialogs::Answer::Yes:
        return ExtraDays::Extend;
    case UserDialogs::Answer::No:
        return ExtraDays::Drop;
    default:
        return std::nullopt;
    }
}

void DataExchange::reportImport(
    const ImportedTable &table, int days, const QString &what, const QString &title)
{
    form_.message(u"%1 %2 imported into the %3: %4"_s.arg(days).arg(
                      days == 1 ? u"day"_s : u"days"_s, what, ColumnList(table)),
        title);
}

void DataExchange::Importforcingdata1Click()
{
    const QString title = u"Import forcing data"_s;
    bool recalculate = false;
    const std::optional<ImportedTable> table
        = readImport(ImportTarget::Forcing, title, &recalculate);
    if (!table)
        return;
    const std::optional<ExtraDays> extra = extraDays(*table, form_.project_.state().simulationLength, title);
    if (!extra)
        return;
    // New days take day 1's bed, as typing the length gives them; with the tick the water
    // volume and the retention times are calculated as the two buttons do.
    int days = 0;
    form_.changeInfluenceGrid(
        [&] { form_.project_.importForcing(*table, *extra, recalculate, &days); });
    form_.Edit19->setText(QString::number(form_.project_.state().simulationLength));
    if (recalculate)
        form_.Edit4->setText(ui::NumberText(form_.project_.waterVolume()));
    form_.applyRetentionWarning();
    reportImport(*table, days, u"forcing data"_s, title);
}

void DataExchange::Importobservedvalues1Click()
{
    const QString title = u"Import observed values"_s;
    const std::optional<ImportedTable> table = readImport(ImportTarget::Observed, title);
    if (!table)
        return;
    const std::optional<ExtraDays> extra = extraDays(*table, form_.project_.state().observedLength, title);
    if (!extra)
        return;
    const std::int32_t length = form_.project_.state().observedLength;
    int days = 0;
    form_.project_.importObserved(*table, *extra, &days);
    if (form_.project_.state().observedLength != length)
        form_.Edit5->setText(QString::number(form_.project_.state().observedLength));
    form_.refreshGraph();
    reportImport(*table, days, u"observed values"_s, title);
}

// ---------------------------------------------------------------------------------------------
// Export

QString DataExchange::exportName(const QString &key, const QString &title, const QString &filter,
    const QString &suggested, std::string_view extension)
{
    // The name chosen last for this export, else the project's name with the export's ending.
    const auto found = remembered_.find(key);
    const QString ending = u"-"_s + suggested;
    const QString chosen = form_.dialogs_.saveFileName(&form_, title, filter,
        found == remembered_.end()
            ? ExportSuggestion(form_.projectFile_,
                  extension == ".xlsx" ? QString::fromLatin1(extension) : ending, suggested)
            : found->second);
    if (chosen.isEmpty())
        return {};
    const QString name = QString::fromStdString(DefaultExtension(chosen.toStdString(), extension));
    remembered_[key] = name;
    return name;
}

void DataExchange::exportTable(const QString &key, const QString &title, const QString &suggested,
    const TextGrid &grid, int days, const std::vector<std::string> &headings,
    const std::string &what)
{
    const QString name = exportName(key, title, kCsvFilter, suggested, ".csv");
    if (name.isEmpty())
        return;
    OutputFile file(name.toStdString(), what);
    WriteGridCsv(grid, days, headings, file);
}

void DataExchange::ForcingdataCSV1Click()
{
    exportTable(u"forcing"_s, u"Export forcing data"_s, u"forcing.csv"_s, form_.project_.forcingGrid(),
        form_.project_.state().simulationLength, ForcingCsvHeadings(), "The forcing data");
}

void DataExchange::ObservedvaluesCSV1Click()
{
    exportTable(u"observed"_s, u"Export observed values"_s, u"observed.csv"_s, form_.project_.observed(),
        form_.project_.state().observedLength, SeriesCsvHeadings(), "The observed values");
}

// The data sheet of the results on show with the decimals the grid shows them with; while the
// grid shows the additional results, the sheet that "Close" would write back.
void DataExchange::DatasheetCSV1Click()
{
    TextGrid sheet(5, 5);
    const SheetFormat format = form_.additionalShown_ || !form_.sheetFill_.format
        ? kCloseSheet
        : *form_.sheetFill_.format;
    std::optional<FrozenRun> scratch;
    const FrozenRun &run = form_.shownRun(scratch);
    FillRunDataSheet(run, sheet, {format.concentrationDecimals, format.efficiencyDecimals,
                                     format.zeroRule, true});
    exportTable(u"datasheet"_s, u"Export data sheet"_s, u"datasheet.csv"_s, sheet, run.days(),
        SeriesCsvHeadings(), "The data sheet");
}

// The additional results as the grid shows them, or as "Additional results" would show them.
void DataExchange::AdditionalresultsCSV1Click()
{
    TextGrid table(5, 5);
    const bool shown = form_.additionalShown_;
    if (!shown)
        FillAdditionalResults(form_.project_.state(), table);
    exportTable(u"additional"_s, u"Export additional results"_s, u"additional-results.csv"_s,
        shown ? form_.additionalGrid() : table, form_.project_.state().simulationLength, AdditionalCsvHeadings(),
        "The additional results");
}

void DataExchange::Workbookxlsx1Click()
{
    const QString name = exportName(u"workbook"_s, u"Export workbook"_s,
        u"Excel workbooks (*.xlsx);;All files (*)"_s, u"project.xlsx"_s, ".xlsx");
    if (name.isEmpty())
        return;
    const DesignTexts &design = form_.project_.designInputs();

    // A long project takes a while: it is written in the background, with a progress dialog
    // with Cancel after half a second.
    TaskDisplay display;
    display.label = u"Writing the workbook..."_s;
    display.title = u"Export workbook"_s;
    display.dialogDelayMs = 500;
    std::optional<FrozenRun> scratch;
    const SeriesValues &results = form_.shownRun(scratch).series;
    const WorkbookContent content {form_.project_.state(), form_.project_.observed(), design, results};
    const std::string file = name.toStdString();
    bool written = false;
    form_.runInBackground(display, [&](TaskProgress &task) {
        written = WriteWorkbook(file, content, task.callback());
    });
    if (!written)
        form_.message(u"The workbook was not written."_s, u"Export workbook"_s);
}

} // namespace carexa
