// Data in and out through the File menu: the import of forcing data and observed values with the
// import dialog, the CSV exports and the workbook.

#include "window_fixture.h"

#include "io/csv_reader.h"
#include "model/number_text.h"
#include "model/rounding.h"
#include "project/project_file.h"
#include "results/data_sheet.h"
#include "support/temp_dir.h"
#include "ui/import_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

const std::filesystem::path kLogger
    = std::filesystem::path(CAREXA_SOURCE_DIR) / "tests/data/logger_inlet_2023.csv";

class DataExchange : public WindowTest
{
protected:
    QString path(const char *name) const { return QString::fromStdString((dir / name).string()); }
    QAction *action(const char *name)
    {
        auto *found = form->findChild<QAction *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void loadExample(const char *name = "cold_climate_bed.mdl")
    {
        dialogs.openAnswers.push_back(QString::fromStdString(ExampleFile(name).string()));
        form->LoadProject1->trigger();
    }
    /// The project as "Save Project" would write it.
    std::string project()
    {
        return ProjectText(form->state(), form->project().observed(), DesignTexts {});
    }
    void importFile(const char *action_, const std::string &file)
    {
        dialogs.openAnswers.push_back(QString::fromStdString(file));
        action(action_)->trigger();
    }
    std::string writeFile(const char *name, const std::string &text)
    {
        WriteText(dir / name, text);
        return (dir / name).string();
    }
    QString lastMessage() const
    {
        return dialogs.messages.isEmpty() ? QString() : dialogs.messages.last();
    }

    TempDir dir;
};

TEST_F(DataExchange, TheFileMenuOffersImportsAndExports)
{
    QStringList captions; // as they read, without the mark of their key
    for (QAction *entry : form->File1->actions())
        captions.append(QString(entry->text()).remove(u'&'));
    const auto at = [&captions](const char *caption) {
        return captions.indexOf(QString::fromLatin1(caption));
    };
    EXPECT_LT(at("Load Project"), at("Import forcing data..."));
    EXPECT_EQ(at("Import forcing data...") + 1, at("Import observed values..."));
    EXPECT_EQ(at("Import observed values...") + 1, at("Export"));
    EXPECT_LT(at("Export"), at("Print Options"));

    auto *exportMenu = form->findChild<QMenu *>(QStringLiteral("Export1"));
    ASSERT_NE(exportMenu, nullptr);
    QStringList exports;
    for (QAction *entry : exportMenu->actions()) {
        if (!entry->isSeparator())
            exports.append(entry->objectName() + u'=' + QString(entry->text()).remove(u'&'));
    }
    EXPECT_EQ(exports,
        QStringList({QStringLiteral("ForcingdataCSV1=Forcing data (CSV)..."),
            QStringLiteral("ObservedvaluesCSV1=Observed values (CSV)..."),
            QStringLiteral("DatasheetCSV1=Data sheet (CSV)..."),
            QStringLiteral("AdditionalresultsCSV1=Additional results (CSV)..."),
            QStringLiteral("Workbookxlsx1=Workbook (.xlsx)...")}));
}

TEST_F(DataExchange, ImportsNeedAnOpenProject)
{
    finishStart();
    importFile("Importforcingdata1", kLogger.string());
    EXPECT_EQ(
        lastMessage(), QStringLiteral("Choose a climate or load a project before importing data."));
    EXPECT_TRUE(dialogs.openTitles.isEmpty());
    EXPECT_TRUE(dialogs.importRequests.empty());
}

TEST_F(DataExchange, ALoggerFileFillsItsColumnsOfTheForcingGrid)
{
    loadExample();
    const double rtb = records().days.node(3).day.get(DayField::RTB);
    importFile("Importforcingdata1", kLogger.string());
    ASSERT_EQ(dialogs.openTitles.size(), 2); // the project's, then the import's
    EXPECT_EQ(dialogs.openTitles[1], QStringLiteral("Import forcing data"));
    EXPECT_EQ(dialogs.openFilters[1],
        QStringLiteral("CSV and text files (*.csv *.tsv *.txt);;All files (*)"));
    // It opens where the project came from.
    EXPECT_EQ(dialogs.openFolders[1],
        QString::fromStdString(ExampleFile("cold_climate_bed.mdl").parent_path().string()));

    // What the dialog was offered: the settings found in the file.
    ASSERT_EQ(dialogs.importRequests.size(), 1u);
    const ImportSettings &found = dialogs.importRequests[0].suggested;
    EXPECT_EQ(found.delimiter, ';');
    EXPECT_EQ(found.decimalMark, DecimalMark::Comma);
    EXPECT_EQ(found.skipRows, 2);
    EXPECT_TRUE(found.heading);
    EXPECT_EQ(found.dayColumn, DayColumn::Dates);
    EXPECT_EQ(found.columns, (std::vector<int> {0, 1, 2, 3, 4, 5, 6, 0}));

    // 365 days into a project of 365 days: nothing to ask.
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(lastMessage(),
        QStringLiteral("365 days imported into the forcing data: temp., water flow, BOD5, "
                       "Nitrate, Ammonium, total P."));
    EXPECT_EQ(form->influenceGrid().cell(1, 1), "1.9");
    EXPECT_EQ(form->influenceGrid().cell(3, 3), "150.6");
    EXPECT_EQ(form->influenceGrid().cell(6, 365), "7.56");
    EXPECT_EQ(records().days.node(1).day.get(DayField::temperature), 1.9);
    EXPECT_EQ(records().days.node(365).day.get(DayField::totalPIn), 7.56);
    // Flows without retention times: the import dialog's tick is on, so the retention times
    // are calculated for the new flows (they used to keep the old flows' values, here 3.52).
    EXPECT_NE(records().days.node(3).day.get(DayField::RTB), rtb);
    EXPECT_EQ(records().days.node(3).day.get(DayField::RTB),
        RoundPositive(records().days.node(1).day.get(DayField::boxWaterVolume)
                / records().days.node(3).day.get(DayField::waterFlow),
            2));
    EXPECT_DOUBLE_EQ(records().days.node(3).day.get(DayField::RTB), 0.95);
}

TEST_F(DataExchange, MoreDaysAskWhetherToExtend)
{
    loadExample();
    const std::string file = writeFile("long.csv", "Day;temp.;water flow\n1;5,5;30\n400;6;31\n");
    const std::string before = project();

    dialogs.askAnswers.push_back(UserDialogs::Answer::Cancel);
    importFile("Importforcingdata1", file);
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0],
        QStringLiteral("The imported data hold 400 days; the project has 365. Extend it to 400 "
                       "days?"));
    EXPECT_TRUE(dialogs.questionsWithCancel[0]);
    EXPECT_EQ(project(), before);

    dialogs.askAnswers.push_back(UserDialogs::Answer::No);
    importFile("Importforcingdata1", file);
    EXPECT_EQ(records().simulationLength, 365);
    EXPECT_EQ(form->influenceGrid().cell(1, 1), "5.5");
    EXPECT_EQ(
        lastMessage(), QStringLiteral("1 day imported into the forcing data: temp., water flow."));

    dialogs.askAnswers.push_back(UserDialogs::Answer::Yes);
    importFile("Importforcingdata1", file);
    EXPECT_EQ(records().simulationLength, 400);
    EXPECT_EQ(edit(QStringLiteral("Edit19"))->text(), QStringLiteral("400"));
    EXPECT_EQ(form->influenceGrid().rows(), 401);
    EXPECT_EQ(form->influenceGrid().cell(2, 400), "31");
    EXPECT_EQ(form->influenceGrid().cell(2, 399), "0.0001");
    // The new days take the Forcing Functions fields, as typing 400 would.
    EXPECT_EQ(records().days.node(390).day.get(DayField::porosity),
        ParseDouble(edit(QStringLiteral("Edit3"))->text().toStdString()));
    EXPECT_EQ(
        lastMessage(), QStringLiteral("2 days imported into the forcing data: temp., water flow."));
}

TEST_F(DataExchange, RefusedOrCancelledImportsChangeNothing)
{
    loadExample();
    const std::string before = project();
    const std::string grid11 = form->influenceGrid().cell(1, 1);

    importFile("Importforcingdata1", writeFile("bad.csv", "Day,temp.\n1,5\n2,warm\n"));
    EXPECT_EQ(lastMessage(), QStringLiteral("Line 3, column 2 (temp.): 'warm' is not a number."));
    EXPECT_EQ(project(), before);
    EXPECT_EQ(form->influenceGrid().cell(1, 1), grid11);

    const int messages = static_cast<int>(dialogs.messages.size());
    dialogs.importAnswers.push_back([](ImportSettings &) { return false; });
    importFile("Importforcingdata1", kLogger.string());
    EXPECT_EQ(dialogs.messages.size(), messages);
    EXPECT_EQ(project(), before);

    importFile("Importobservedvalues1", (dir / "none.csv").string());
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("cannot be opened")));
    EXPECT_EQ(project(), before);

    // The user's own choice is read as it stands: here the logger's battery as "POP %".
    dialogs.importAnswers.push_back([](ImportSettings &settings) {
        settings.columns = {0, 0, 0, 0, 0, 0, 0, 10};
        return true;
    });
    importFile("Importforcingdata1", kLogger.string());
    EXPECT_EQ(form->influenceGrid().cell(10, 1), "12.8");
    EXPECT_EQ(form->influenceGrid().cell(1, 1), grid11);
}

TEST_F(DataExchange, ObservedValuesGoIntoTheirGrid)
{
    loadExample();
    const std::string nitrate = form->observedGrid().cell(2, 1);
    const std::string file = writeFile("lab.csv",
        "Date,BOD5 out (mg/L),NH4-N,eff. t.n. rem\n2023-01-01,14.5,,61.5\n2024-01-10,9,3.25,70\n");
    dialogs.askAnswers.push_back(UserDialogs::Answer::Yes);
    importFile("Importobservedvalues1", file);
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0],
        QStringLiteral("The imported data hold 375 days; the project has 365. Extend it to 375 "
                       "days?"));
    EXPECT_EQ(lastMessage(),
        QStringLiteral("2 days imported into the observed values: BOD5 out, amm. out, eff. t.n. "
                       "rem."));
    EXPECT_EQ(records().observedLength, 375);
    EXPECT_EQ(edit(QStringLiteral("Edit5"))->text(), QStringLiteral("375"));
    const TextGrid &grid = form->project().observed();
    EXPECT_EQ(grid.rowCount(), 376);
    EXPECT_EQ(grid.cell(1, 1), "14.5");
    EXPECT_EQ(grid.cell(3, 1), "0.0001"); // an empty cell: no measurement
    EXPECT_EQ(grid.cell(11, 1), "61.5");
    EXPECT_EQ(grid.cell(2, 1), nitrate); // not in the file
    EXPECT_EQ(grid.cell(3, 375), "3.25");
    EXPECT_EQ(grid.cell(2, 370), "0.0001");
    EXPECT_EQ(records().simulationLength, 365);
}

TEST_F(DataExchange, ExportsWriteTheGridTextsWithUnits)
{
    loadExample();
    dialogs.saveAnswers.push_back(path("forcing-out"));
    action("ForcingdataCSV1")->trigger();
    EXPECT_EQ(dialogs.saveTitles.last(), QStringLiteral("Export forcing data"));
    EXPECT_EQ(dialogs.saveFilters.last(), QStringLiteral("CSV files (*.csv);;All files (*)"));
    // Named after the project, where it came from.
    const QString examples
        = QString::fromStdString(ExampleFile("cold_climate_bed.mdl").parent_path().string());
    EXPECT_EQ(
        dialogs.rememberedNames.last(), examples + QStringLiteral("/cold_climate_bed-forcing.csv"));
    const auto forcing = Lines(ReadText(dir / "forcing-out.csv"));
    ASSERT_EQ(forcing.size(), 366u);
    EXPECT_EQ(forcing[0].substr(0, 44), "Day,temp. (deg C),water flow (m3/d),BOD5 (mg");
    EXPECT_EQ(forcing[1], "1,1.5,10.1,137.7,3.1,32.9,7.7,13,35,29.7,20.9,3.8");
    // The next export offers the name chosen last.
    dialogs.saveAnswers.push_back(QString());
    action("ForcingdataCSV1")->trigger();
    EXPECT_EQ(dialogs.rememberedNames.last(), path("forcing-out.csv"));

    dialogs.saveAnswers.push_back(path("observed.txt"));
    action("ObservedvaluesCSV1")->trigger();
    const auto observed = Lines(ReadText(dir / "observed.txt"));
    ASSERT_EQ(observed.size(), 366u);
    EXPECT_EQ(observed[0].substr(0, 20), "Day,BOD5 out (mg/L),");

    // The data sheet while the grid shows the additional results: as "Close" would refill it.
    click(QStringLiteral("Button35"));
    click(QStringLiteral("Button4"));
    click(QStringLiteral("Button25"));
    click(QStringLiteral("Button6"));
    click(QStringLiteral("Button22"));
    dialogs.saveAnswers.push_back(path("sheet.csv"));
    action("DatasheetCSV1")->trigger();
    TextGrid closed(5, 5);
    FillSimulationDataSheet(records(), closed, kCloseSheet);
    const auto sheet = Lines(ReadText(dir / "sheet.csv"));
    ASSERT_EQ(sheet.size(), 366u);
    std::string day7 = "7";
    for (int c = 1; c <= 11; ++c) {
        day7 += ',';
        day7 += closed.cell(c, 7);
    }
    EXPECT_EQ(sheet[7], day7);
    // ... and the additional results as shown.
    dialogs.saveAnswers.push_back(path("boxes.csv"));
    action("AdditionalresultsCSV1")->trigger();
    const auto boxes = Lines(ReadText(dir / "boxes.csv"));
    ASSERT_EQ(boxes.size(), 366u);
    EXPECT_EQ(std::count(boxes[9].begin(), boxes[9].end(), ','), 25);
    std::string day9 = "9,";
    day9 += form->additionalGrid().cell(1, 9);
    day9 += ',';
    EXPECT_EQ(boxes[9].substr(0, day9.size()), day9);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
}

TEST_F(DataExchange, WorkbookExport)
{
    loadExample();
    dialogs.saveAnswers.push_back(path("book"));
    action("Workbookxlsx1")->trigger();
    EXPECT_EQ(
        dialogs.saveFilters.last(), QStringLiteral("Excel workbooks (*.xlsx);;All files (*)"));
    EXPECT_TRUE(dialogs.rememberedNames.last().endsWith(u"/cold_climate_bed.xlsx"));
    EXPECT_EQ(ReadText(dir / "book.xlsx").substr(0, 2), "PK");
    EXPECT_TRUE(dialogs.messages.isEmpty());

    dialogs.saveAnswers.push_back(path("missing/book.xlsx"));
    action("Workbookxlsx1")->trigger();
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("The workbook could not be saved to")))
        << lastMessage().toStdString();
}

// ---------------------------------------------------------------------------------------------
// The dialog itself

class ImportDialogTest : public testing::Test
{
protected:
    ImportDialogTest() : text(ReadImportFile(kLogger))
    {
        request.file = QString::fromStdString(kLogger.string());
        request.text = text;
        request.target = ImportTarget::Forcing;
        request.suggested = DetectImport(text, ImportTarget::Forcing);
        dialog = std::make_unique<ImportDialog>(request);
    }
    template <typename T> T *find(const char *name)
    {
        T *widget = dialog->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString problem() { return find<QLabel>("problemLabel")->text(); }
    bool okEnabled()
    {
        return find<QDialogButtonBox>("buttonBox")->button(QDialogButtonBox::Ok)->isEnabled();
    }

    std::string text;
    ImportRequest request;
    std::unique_ptr<ImportDialog> dialog;
};

TEST_F(ImportDialogTest, ShowsTheSettingsFoundAndThePreview)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Import forcing data"));
    EXPECT_EQ(find<QLabel>("fileLabel")->text(), QStringLiteral("File: logger_inlet_2023.csv"));
    EXPECT_EQ(find<QComboBox>("delimiterBox")->currentText(), QStringLiteral("Semicolon"));
    EXPECT_EQ(find<QComboBox>("decimalMarkBox")->currentText(), QStringLiteral("Comma (12,5)"));
    EXPECT_EQ(find<QSpinBox>("skipRowsBox")->value(), 2);
    EXPECT_TRUE(find<QCheckBox>("headingCheck")->isChecked());
    EXPECT_EQ(
        find<QComboBox>("dayColumnBox")->currentText(), QStringLiteral("Dates (day before month)"));
    EXPECT_EQ(find<QSpinBox>("firstDayBox")->value(), 1);

    auto *table = find<QTableWidget>("previewTable");
    EXPECT_EQ(table->columnCount(), 8);
    // The choice row, two skipped rows, the heading row and the first records.
    EXPECT_EQ(table->rowCount(), 1 + 2 + 1 + ImportDialog::kPreviewRows);
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), QStringLiteral("Flow (m3/d)"));
    EXPECT_EQ(table->verticalHeaderItem(4)->text(), QStringLiteral("4"));
    EXPECT_EQ(table->item(4, 1)->text(), QStringLiteral("1,9"));
    EXPECT_EQ(find<QComboBox>("columnBox2")->currentText(), QStringLiteral("temp."));
    EXPECT_EQ(find<QComboBox>("columnBox8")->currentText(), QStringLiteral("(skip)"));
    EXPECT_FALSE(find<QComboBox>("columnBox1")->isEnabled());
    EXPECT_EQ(problem(),
        QStringLiteral("365 rows, days 1 to 365, go into 6 columns: temp., water flow, BOD5, "
                       "Nitrate, Ammonium, total P."));
    EXPECT_TRUE(okEnabled());
    EXPECT_EQ(dialog->settings(), request.suggested);
}

TEST_F(ImportDialogTest, EveryChangeIsCheckedAtOnce)
{
    find<QComboBox>("columnBox2")->setCurrentIndex(3); // BOD5, which column 4 holds already
    EXPECT_EQ(dialog->settings().columns[1], 3);
    EXPECT_EQ(problem(),
        QStringLiteral("Columns 2 and 4 of the file both go to \"BOD5\"; choose one of them or "
                       "skip the other."));
    EXPECT_FALSE(okEnabled());
    find<QComboBox>("columnBox4")->setCurrentIndex(0);
    EXPECT_TRUE(okEnabled());

    find<QComboBox>("decimalMarkBox")->setCurrentIndex(0);
    EXPECT_EQ(dialog->settings().decimalMark, DecimalMark::Point);
    EXPECT_TRUE(problem().startsWith(QStringLiteral("Line 4, column 2 (Water temp. (\\xC2\\xB0C)): "
                                                    "'1,9' is not a number")))
        << problem().toStdString();
    EXPECT_FALSE(okEnabled());
    find<QComboBox>("decimalMarkBox")->setCurrentIndex(1);

    find<QSpinBox>("firstDayBox")->setValue(10);
    EXPECT_TRUE(problem().contains(QStringLiteral("days 10 to 374")));

    // Reading the file differently matches its columns again.
    find<QSpinBox>("skipRowsBox")->setValue(0);
    EXPECT_EQ(problem(), QStringLiteral("No column of the file is chosen for import."));
    EXPECT_EQ(find<QTableWidget>("previewTable")->horizontalHeaderItem(1)->text(),
        QStringLiteral("WL-7 wetland inlet"));
    find<QSpinBox>("skipRowsBox")->setValue(2);
    EXPECT_TRUE(okEnabled());
    EXPECT_EQ(dialog->settings().columns, (std::vector<int> {0, 1, 2, 3, 4, 5, 6, 0}));

    // A comma between the columns leaves the point as the only decimal mark.
    find<QComboBox>("delimiterBox")->setCurrentIndex(0);
    EXPECT_EQ(dialog->settings().delimiter, ',');
    EXPECT_EQ(dialog->settings().decimalMark, DecimalMark::Point);
    EXPECT_FALSE(find<QComboBox>("decimalMarkBox")->isEnabled());
    EXPECT_FALSE(okEnabled());

    // Back to semicolons, the comma the user chose is the decimal mark again.
    find<QComboBox>("delimiterBox")->setCurrentIndex(1);
    EXPECT_EQ(dialog->settings().decimalMark, DecimalMark::Comma);
    EXPECT_TRUE(okEnabled());

    // Without a day column the rows follow each other, and the first column may be chosen.
    find<QSpinBox>("firstDayBox")->setValue(1);
    find<QComboBox>("dayColumnBox")->setCurrentIndex(0);
    EXPECT_TRUE(problem().startsWith(QStringLiteral("365 rows, days 1 to 365, go into 6 columns")));
    auto *first = find<QComboBox>("columnBox1");
    EXPECT_TRUE(first->isEnabled());
    EXPECT_EQ(first->currentText(), QStringLiteral("(skip)"));
    first->setCurrentIndex(1);
    EXPECT_EQ(problem(),
        QStringLiteral("Columns 1 and 2 of the file both go to \"temp.\"; choose one of them or "
                       "skip the other."));
    find<QComboBox>("columnBox2")->setCurrentIndex(0);
    EXPECT_EQ(problem(), QStringLiteral("Line 4, column 1 (Date): '01.01.2023' is not a number."));
    find<QCheckBox>("headingCheck")->setChecked(false);
    EXPECT_EQ(find<QTableWidget>("previewTable")->horizontalHeaderItem(0)->text(),
        QStringLiteral("Column 1"));
}

} // namespace
