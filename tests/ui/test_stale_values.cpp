// The window as a view of its project document: the design guard asks the project, the Forcing
// Functions line while water volumes or retention times are out of date, the question before a
// run with them, and the import dialog's recalculation tick.

#include "window_fixture.h"

#include "app/batch_runner.h"
#include "model/number_text.h"
#include "project/project.h"
#include "support/temp_dir.h"
#include "ui/grid_view.h"
#include "ui/import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QUndoStack>

#include <sstream>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

const QString kQuestion = QStringLiteral(
    "The water volumes and retention times were calculated for other flows or another design. "
    "Recalculate them before simulating?");

class StaleValues : public WindowTest
{
protected:
    void loadExample()
    {
        dialogs.openAnswers.push_back(
            QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string()));
        form->LoadProject1->trigger();
    }
    void importForcing(const std::string &text)
    {
        WriteText(dir / "f.csv", text);
        dialogs.openAnswers.push_back(QString::fromStdString((dir / "f.csv").string()));
        form->findChild<QAction *>(QStringLiteral("Importforcingdata1"))->trigger();
    }
    QLabel *staleLine() { return find<QLabel>(QStringLiteral("staleForcingLabel")); }
    double day(int k, DayField field) { return records().days.node(k).day.get(field); }

    TempDir dir;
};

// New Project writes "-" into the result labels, which a caption check took for a design.
TEST_F(StaleValues, TheDesignGuardAsksTheProjectAfterNewCloseAndLoad)
{
    const QString refusal = QStringLiteral("Please calculate design results before continuing!");
    openForcingScreen();
    EXPECT_TRUE(find(QStringLiteral("DesignBox"))->isVisible());

    for (const char *reset : {"NewProject1", "CloseProject1"}) {
        dialogs.messages.clear();
        form->findChild<QAction *>(QString::fromLatin1(reset))->trigger();
        if (find(QStringLiteral("Button26"))->isVisible())
            click(QStringLiteral("Button26")); // "Don't save", asked only for unsaved changes
        chooseCold();
        // The guard itself, whichever screen the climate choice shows.
        try {
            form->Button35Click();
        } catch (const std::exception &) { }
        ASSERT_EQ(dialogs.messages.size(), 1) << reset;
        EXPECT_EQ(dialogs.messages[0], refusal) << reset;
        EXPECT_FALSE(find(QStringLiteral("DesignBox"))->isVisible()) << reset;
    }

    // A loaded project with a design passes.
    dialogs.messages.clear();
    loadExample();
    if (find(QStringLiteral("Button26"))->isVisible())
        click(QStringLiteral("Button26")); // "Don't save" the open one
    click(QStringLiteral("Button35"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(find(QStringLiteral("DesignBox"))->isVisible());
}

TEST_F(StaleValues, TheForcingScreenSaysWhichRetentionTimesAreOutOfDate)
{
    loadExample();
    click(QStringLiteral("Button35"));
    EXPECT_FALSE(staleLine()->isVisibleTo(form.get()));
    dialogs.recalculateAnswers.push_back(false);
    importForcing("Day,Flow\n1,20\n2,16\n");
    EXPECT_EQ(dialogs.offeredRecalculation, std::vector<bool> {true});
    EXPECT_EQ(day(1, DayField::waterFlow), 20);
    EXPECT_EQ(day(1, DayField::RTB), 3.8); // as the file held it
    EXPECT_TRUE(staleLine()->isVisibleTo(form.get()));
    EXPECT_EQ(staleLine()->text(),
        QStringLiteral("Retention times were calculated for other flows on days 1-2."));

    click(QStringLiteral("Button28")); // "Calculate RTB values"
    EXPECT_EQ(day(1, DayField::RTB), 1.92); // 38.4 / 20
    EXPECT_EQ(form->influenceGrid().cell(11, 1), "1.92");
    EXPECT_FALSE(staleLine()->isVisibleTo(form.get()));

    // Another porosity: the water volumes are out of date, then every day's retention time.
    retype(QStringLiteral("Edit3"), QStringLiteral("0.3"));
    leave();
    EXPECT_EQ(staleLine()->text(),
        QStringLiteral("Water volumes were calculated for another design volume or porosity."));
    click(QStringLiteral("Button3")); // "Calculate water volume"
    EXPECT_EQ(staleLine()->text(),
        QStringLiteral("Retention times were calculated for another water volume."));
    click(QStringLiteral("Button28"));
    EXPECT_FALSE(staleLine()->isVisibleTo(form.get()));
}

TEST_F(StaleValues, SimulateWithStaleValuesAsksFirst)
{
    loadExample();
    click(QStringLiteral("Button35"));
    dialogs.recalculateAnswers.push_back(false);
    importForcing("Day,Flow\n1,20\n2,16\n");
    click(QStringLiteral("Button4"));
    click(QStringLiteral("Button25"));
    click(QStringLiteral("Button6"));
    const std::string before = form->dataGrid().cell(1, 5);

    // Cancel: no run.
    dialogs.chooseAnswers.push_back(2);
    click(QStringLiteral("Button8"));
    ASSERT_EQ(dialogs.choices.size(), 1);
    EXPECT_EQ(dialogs.choices[0], kQuestion);
    EXPECT_EQ(dialogs.choiceButtons[0][0], QStringLiteral("Recalculate"));
    EXPECT_EQ(dialogs.choiceButtons[0][1], QStringLiteral("Simulate as is"));
    EXPECT_EQ(dialogs.choiceButtons[0][2], QStringLiteral("Cancel"));
    EXPECT_EQ(day(1, DayField::RTB), 3.8);
    EXPECT_EQ(form->dataGrid().cell(1, 5), before);

    // The scripted default, "Simulate as is": the run uses the retention times as they are,
    // and the question comes again at the next run.
    click(QStringLiteral("Button8"));
    EXPECT_EQ(dialogs.choices.size(), 2);
    EXPECT_EQ(day(1, DayField::RTB), 3.8);

    // "Recalculate": as the two buttons, then the run; no question after that.
    dialogs.chooseAnswers.push_back(0);
    click(QStringLiteral("Button8"));
    EXPECT_EQ(dialogs.choices.size(), 3);
    EXPECT_EQ(day(1, DayField::RTB), 1.92);
    EXPECT_EQ(day(2, DayField::RTB), 2.4);
    click(QStringLiteral("Button8"));
    EXPECT_EQ(dialogs.choices.size(), 3);
}

// A fresh project, nothing ever calculated: nothing is out of date, no question.
TEST_F(StaleValues, NothingCalculatedIsNeverStale)
{
    openSimulateScreen();
    click(QStringLiteral("Button8"));
    EXPECT_TRUE(dialogs.choices.isEmpty());
}

TEST_F(StaleValues, TheImportTickRecalculatesAsTheTwoButtons)
{
    loadExample();
    // On by default for flows without RTB: the same as importing, then the two buttons.
    importForcing("Day,Flow\n1,20\n2,16\n");
    EXPECT_EQ(day(1, DayField::RTB), 1.92);
    EXPECT_EQ(day(2, DayField::RTB), 2.4);
    EXPECT_EQ(day(3, DayField::RTB), 3.52);
    EXPECT_EQ(form->influenceGrid().cell(11, 2), "2.4");
    EXPECT_FALSE(staleLine()->isVisibleTo(form.get()));

    // Off for a file that brings its own retention times: they are the user's.
    importForcing("Day,Flow,RTB\n1,30,4\n");
    EXPECT_EQ(dialogs.offeredRecalculation, (std::vector<bool> {true, false}));
    EXPECT_EQ(day(1, DayField::RTB), 4);
    EXPECT_FALSE(staleLine()->isVisibleTo(form.get()));

    // A day without flow: refused whole with the tick, nothing imported.
    dialogs.messages.clear();
    importForcing("Day,Flow\n3,0\n");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
        QStringLiteral("The water volume and retention times cannot be recalculated: day 3 would "
                       "have a water flow of 0. Nothing was imported."));
    EXPECT_EQ(day(3, DayField::waterFlow), 10.9);
}

// The window's import, "Calculate water volume", "Calculate RTB values", "Simulate" and "Save
// Project" write what carexa-sim run P --forcing F --recalculate --save OUT writes.
TEST_F(StaleValues, TheWindowWritesWhatTheBatchRunnerWrites)
{
    loadExample();
    click(QStringLiteral("Button35"));
    dialogs.recalculateAnswers.push_back(false);
    importForcing("Day,Flow\n1,20\n2,16\n");
    click(QStringLiteral("Button3"));
    click(QStringLiteral("Button28"));
    click(QStringLiteral("Button4"));
    click(QStringLiteral("Button25"));
    click(QStringLiteral("Button6"));
    click(QStringLiteral("Button8"));
    EXPECT_TRUE(dialogs.choices.isEmpty());
    const QString saved = QString::fromStdString((dir / "window.mdl").string());
    dialogs.saveAnswers.push_back(saved);
    form->SaveProject1->trigger();

    std::ostringstream out, err;
    const std::string batch = (dir / "batch.mdl").string();
    ASSERT_EQ(RunBatch({"run", ExampleFile("cold_climate_bed.mdl").string(), "--forcing",
                           (dir / "f.csv").string(), "--recalculate", "--save", batch},
                  out, err),
        kBatchOk)
        << err.str();
    EXPECT_EQ(ReadText(saved.toStdString()), ReadText(batch));
}

TEST_F(StaleValues, TheImportDialogTickFollowsTheColumns)
{
    const std::string text = "Day,Flow,Temperature\n1,20,4\n";
    ImportRequest request;
    request.file = QStringLiteral("f.csv");
    request.text = text;
    request.target = ImportTarget::Forcing;
    request.suggested = DetectImport(text, ImportTarget::Forcing);
    ImportDialog dialog(request);
    auto *tick = dialog.findChild<QCheckBox *>(QStringLiteral("recalculateCheck"));
    ASSERT_NE(tick, nullptr);
    EXPECT_EQ(tick->text(), QStringLiteral("Recalculate water volume and retention times"));
    EXPECT_TRUE(tick->isChecked());
    EXPECT_TRUE(dialog.recalculate());

    // The flow column skipped: nothing to recalculate for.
    auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("previewTable"));
    ASSERT_NE(table, nullptr);
    auto *flowChoice = qobject_cast<QComboBox *>(table->cellWidget(0, 1));
    ASSERT_NE(flowChoice, nullptr);
    flowChoice->setCurrentIndex(0); // "(skip)"
    EXPECT_FALSE(tick->isChecked());
    flowChoice->setCurrentIndex(2); // water flow again
    EXPECT_TRUE(tick->isChecked());

    // Once the user sets it, it stays as set.
    tick->click();
    EXPECT_FALSE(dialog.recalculate());
    flowChoice->setCurrentIndex(0);
    flowChoice->setCurrentIndex(2);
    EXPECT_FALSE(dialog.recalculate());

    // Observed values have no such tick.
    request.target = ImportTarget::Observed;
    request.suggested = DetectImport(text, ImportTarget::Observed);
    ImportDialog observed(request);
    EXPECT_EQ(observed.findChild<QCheckBox *>(QStringLiteral("recalculateCheck")), nullptr);
    EXPECT_FALSE(observed.recalculate());
}

// A paste, an undo and a redo in the forcing grid are edits of the project: the day follows each
// at once and what is out of date follows too. "Calculate RTB values" rewrites column 11 and,
// like every button that rewrites the grid, ends what the grid can undo, so no undo can put
// back a retention time the calculation replaced.
TEST_F(StaleValues, AnUndoInTheGridIsAnEditOfTheProjectAndStalenessFollowsIt)
{
    loadExample();
    click(QStringLiteral("Button35"));
    click(QStringLiteral("Button28")); // the retention times are calculated, not the file's
    ASSERT_FALSE(staleLine()->isVisibleTo(form.get()));
    auto *grid = find<GridView>(QStringLiteral("InfluenceGrid"));
    const double flow = day(5, DayField::waterFlow);
    grid->setCurrentIndex(grid->model()->index(4, 1)); // day 5, water flow
    grid->pasteText(QStringLiteral("99"));
    EXPECT_EQ(day(5, DayField::waterFlow), 99);
    EXPECT_TRUE(form->project().stale(Derived::RetentionTimes));
    EXPECT_EQ(staleLine()->text(),
        QStringLiteral("Retention times were calculated for other flows on day 5."));

    grid->undoStack()->undo();
    EXPECT_EQ(day(5, DayField::waterFlow), flow);
    EXPECT_FALSE(form->project().stale(Derived::RetentionTimes));
    EXPECT_FALSE(staleLine()->isVisibleTo(form.get()));
    grid->undoStack()->redo();
    EXPECT_EQ(day(5, DayField::waterFlow), 99);
    EXPECT_TRUE(staleLine()->isVisibleTo(form.get()));

    click(QStringLiteral("Button28"));
    EXPECT_FALSE(grid->undoStack()->canUndo());
    EXPECT_EQ(form->influenceGrid().cell(11, 5), FormatGeneral(day(5, DayField::RTB)));
    EXPECT_FALSE(staleLine()->isVisibleTo(form.get()));
}

// Closing the project shows the closed one's empty days: no grid keeps the old texts.
TEST_F(StaleValues, AfterCloseTheForcingGridShowsTheProjectThatIsOpen)
{
    loadExample();
    form->findChild<QAction *>(QStringLiteral("CloseProject1"))->trigger();
    if (find(QStringLiteral("Button26"))->isVisible())
        click(QStringLiteral("Button26"));
    EXPECT_EQ(form->influenceGrid().rows(), records().simulationLength + 1);
    EXPECT_EQ(form->influenceGrid().cell(2, 1), "0.0001");
    EXPECT_EQ(find<GridView>(QStringLiteral("InfluenceGrid"))->model()->rowCount(),
        records().simulationLength);
}

} // namespace
