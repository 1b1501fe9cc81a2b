// Fit statistics and calibration in the window: the panel and the line under the graph, the
// calibration dialog with its refusals, Apply and Undo.

#include "window_fixture.h"

#include "analysis/calibration.h"
#include "analysis/observations.h"
#include "model/number_text.h"
#include "results/data_sheet.h"
#include "support/temp_dir.h"
#include "ui/calibration_dialog.h"
#include "ui/fit_statistics_panel.h"
#include "ui/text_grid_model.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

constexpr int kWaitMs = 120000;

class CalibrationWindow : public WindowTest
{
protected:
    // The cold example, simulated, on the Simulate screen; `offset` changes NC and OC away from
    // the values its measurements were made with, so a calibration has something to find.
    void openExample(bool offset = false)
    {
        finishStart();
        dialogs.openAnswers.push_back(
            QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string()));
        form->LoadProject1->trigger();
        click(QStringLiteral("Button35"));
        click(QStringLiteral("Button4"));
        click(QStringLiteral("Button25"));
        if (offset) {
            retype(QStringLiteral("Edit21"), QStringLiteral("2.2"));
            retype(QStringLiteral("Edit23"), QStringLiteral("1.4"));
        }
        click(QStringLiteral("Button6"));
        click(QStringLiteral("Button8"));
        ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    }

    CalibrationDialog *openDialog()
    {
        click(QStringLiteral("calibrateButton"));
        CalibrationDialog *dialog = form->calibrationDialog();
        EXPECT_NE(dialog, nullptr);
        if (dialog) {
            EXPECT_TRUE(dialog->isVisible());
        }
        return dialog;
    }

    void calibrate(CalibrationDialog *dialog, int runs, int seed)
    {
        dialog->runsEdit->setText(QString::number(runs));
        dialog->seedEdit->setText(QString::number(seed));
        QTest::mouseClick(dialog->startButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), kWaitMs);
    }

    QString cell(QTableWidget *table, int row, int column)
    {
        const QTableWidgetItem *item = table->item(row, column);
        return item ? item->text() : QString();
    }
};

TEST_F(CalibrationWindow, FitStatisticsFollowTheRunsAndTheObservedValues)
{
    openExample();
    click(QStringLiteral("fitStatisticsButton"));
    FitStatisticsPanel *panel = form->fitStatisticsPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    QTableWidget *table = panel->table();
    ASSERT_EQ(table->rowCount(), 11);
    EXPECT_EQ(table->verticalHeaderItem(0)->text(), QStringLiteral("BOD5 out"));
    EXPECT_EQ(table->horizontalHeaderItem(7)->text(), QStringLiteral("NSE"));
    EXPECT_FALSE(table->toolTip().isEmpty());

    // The example measures BOD5, ammonium and total P weekly, on days 7, 14, ... 364 only.
    EXPECT_EQ(cell(table, 0, 0), QStringLiteral("52"));
    EXPECT_EQ(cell(table, 1, 0), QStringLiteral("0"));
    EXPECT_EQ(cell(table, 1, 7), QStringLiteral("n/a"));
    const FitTable expected = SeriesFit(MeasuredValues(form->project().observed(),
                                            records().observedLength, records().simulationLength),
        ResultSeries(records()));
    EXPECT_EQ(cell(table, 0, 7), StatisticText(expected[0].nse));
    EXPECT_EQ(cell(table, 2, 5), StatisticText(expected[2].pbias));
    EXPECT_EQ(cell(table, 2, 8), QString::fromUtf8(RatingText(*RateNse(expected[2].nse))));

    // Typing an observed value refreshes the table.
    GridModel *observed = &form->observedGrid();
    const QString before = cell(table, 0, 1);
    ASSERT_TRUE(observed->setData(observed->index(99, 0), QStringLiteral("900")));
    QTRY_VERIFY(cell(table, 0, 1) != before);

    // So does a run with other parameters.
    const QString nse = cell(table, 2, 7);
    click(QStringLiteral("Button7"));
    retype(QStringLiteral("Edit21"), QStringLiteral("0.2")); // NC
    click(QStringLiteral("Button6"));
    click(QStringLiteral("Button8"));
    EXPECT_NE(cell(table, 2, 7), nse);
}

TEST_F(CalibrationWindow, TheLineUnderTheGraphShowsNseAndPbiasWhenObservedValuesShow)
{
    openExample();
    auto *line = find<QLabel>(QStringLiteral("fitLine"));
    click(QStringLiteral("Button13"));
    EXPECT_TRUE(line->text().isEmpty());
    find<QCheckBox>(QStringLiteral("CheckObs"))->setChecked(true);
    const FitStatistics ammonium = form->projectFit()[2];
    EXPECT_EQ(line->text(), QStringLiteral("amm. out:   ") + FitLineText(ammonium));
    EXPECT_TRUE(line->text().contains(QStringLiteral("PBIAS"))) << line->text().toStdString();
    click(QStringLiteral("Button12"));
    EXPECT_EQ(line->text(), QStringLiteral("nit. out:   NSE n/a     PBIAS n/a"));
    find<QCheckBox>(QStringLiteral("CheckObs"))->setChecked(false);
    EXPECT_TRUE(line->text().isEmpty());
}

TEST(FitLine, RatesBothStatistics)
{
    FitStatistics fit;
    fit.nse = 0.8123;
    fit.pbias = -12.34;
    EXPECT_EQ(
        FitLineText(fit), QStringLiteral("NSE 0.8123 (very good)     PBIAS -12.34 % (very good)"));
    fit.nse = 0.6;
    fit.pbias = 45;
    EXPECT_EQ(
        FitLineText(fit), QStringLiteral("NSE 0.6 (satisfactory)     PBIAS 45 % (satisfactory)"));
}

TEST_F(CalibrationWindow, WithoutObservedValuesThereIsNothingToCalibrate)
{
    openSimulateScreen();
    click(QStringLiteral("calibrateButton"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(
        QStringLiteral("There are no observed values to calibrate against.")));
    EXPECT_EQ(form->calibrationDialog(), nullptr);
}

TEST_F(CalibrationWindow, TheDialogStartsFromTheClimateRangesAndTheObservedSeries)
{
    openExample();
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    QTableWidget *parameters = dialog->parameterTable;
    ASSERT_EQ(parameters->rowCount(), 16);
    for (int row = 0; row < 16; ++row)
        EXPECT_EQ(parameters->item(row, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(cell(parameters, 8, 0), QStringLiteral("KO"));
    EXPECT_EQ(cell(parameters, 8, 1), QStringLiteral("0.1"));
    EXPECT_EQ(cell(parameters, 8, 2), QStringLiteral("2"));
    EXPECT_EQ(cell(parameters, 8, 3), QStringLiteral("0.3"));
    EXPECT_EQ(cell(parameters, 15, 1), QStringLiteral("0.0001"));
    EXPECT_EQ(cell(parameters, 15, 2), QStringLiteral("100"));
    QTableWidget *series = dialog->seriesTable;
    EXPECT_EQ(series->item(0, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(series->item(1, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(series->item(2, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(cell(series, 3, 1), QStringLiteral("52"));
    EXPECT_EQ(cell(series, 0, 2), QStringLiteral("1"));
    EXPECT_EQ(dialog->runsEdit->text(), QStringLiteral("4000"));
    EXPECT_EQ(dialog->seedEdit->text(), QStringLiteral("1"));
    EXPECT_FALSE(dialog->applyButton->isEnabled());
    EXPECT_FALSE(dialog->undoButton->isEnabled());
    EXPECT_TRUE(dialog->isModal() || dialog->windowModality() != Qt::NonModal);
    dialog->close();

    // The Parameters screen has its own button to the same dialog.
    click(QStringLiteral("Button7"));
    click(QStringLiteral("calibrateParametersButton"));
    ASSERT_NE(form->calibrationDialog(), nullptr);
    EXPECT_TRUE(form->calibrationDialog()->isVisible());
}

struct DialogRefusal
{
    const char *name;
    void (*change)(CalibrationDialog &dialog);
    const char *message;
};

class CalibrationDialogRefusal : public CalibrationWindow,
                                 public testing::WithParamInterface<DialogRefusal>
{ };

TEST_P(CalibrationDialogRefusal, SaysWhyAndChangesNothing)
{
    openExample();
    const ModelParameters parameters = records().parameters;
    const std::string sheet = form->dataGrid().cell(1, 100);
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    GetParam().change(*dialog);
    QTest::mouseClick(dialog->startButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].toStdString(), GetParam().message);
    EXPECT_FALSE(dialog->running());
    EXPECT_FALSE(dialog->result().has_value());
    EXPECT_FALSE(dialog->applyButton->isEnabled());
    EXPECT_EQ(records().parameters, parameters);
    EXPECT_EQ(form->dataGrid().cell(1, 100), sheet);
}

INSTANTIATE_TEST_SUITE_P(BadInput, CalibrationDialogRefusal,
    testing::Values(DialogRefusal {"LowerAboveUpper",
                        [](CalibrationDialog &d) {
                            d.parameterTable->item(1, 1)->setText(QStringLiteral("2.4"));
                            d.parameterTable->item(1, 2)->setText(QStringLiteral("1"));
                        },
                        "The lower bound of NC (2.4) lies above its upper bound (1)."},
        DialogRefusal {"NoParameter",
            [](CalibrationDialog &d) {
                for (int row = 0; row < 16; ++row)
                    d.parameterTable->item(row, 0)->setCheckState(Qt::Unchecked);
            },
            "Tick at least one parameter to fit."},
        DialogRefusal {"NoSeries",
            [](CalibrationDialog &d) {
                for (int row = 0; row < 11; ++row)
                    d.seriesTable->item(row, 0)->setCheckState(Qt::Unchecked);
            },
            "Tick at least one series to fit."},
        DialogRefusal {"SeriesWithoutObservedDays",
            [](CalibrationDialog &d) { d.seriesTable->item(1, 0)->setCheckState(Qt::Checked); },
            "\"nit. out\" has fewer than 2 observed days, so its NSE cannot be computed; untick "
            "it or add measurements."},
        DialogRefusal {"BoundIsNoNumber",
            [](CalibrationDialog &d) {
                d.parameterTable->item(3, 2)->setText(QStringLiteral("5,0"));
            },
            "The upper bound of DC must be a number, not \"5,0\"."},
        DialogRefusal {"BoundOutsideTheClimateRange",
            [](CalibrationDialog &d) {
                d.parameterTable->item(9, 1)->setText(QStringLiteral("0.05"));
            },
            "The bounds of OO (0.05 to 2) must lie within 0.1 to 2: a run in the cold climate "
            "replaces any other value by its fallback."},
        DialogRefusal {"ZeroWeight",
            [](CalibrationDialog &d) { d.seriesTable->item(3, 2)->setText(QStringLiteral("0")); },
            "The weight of \"total P. out\" must be a number above 0."},
        DialogRefusal {"RunsNoNumber",
            [](CalibrationDialog &d) { d.runsEdit->setText(QStringLiteral("many")); },
            "The number of model runs must be a whole number, not \"many\"."},
        DialogRefusal {"TooFewRuns",
            [](CalibrationDialog &d) { d.runsEdit->setText(QStringLiteral("10")); },
            "The number of model runs must be from 20 to 1000000."},
        DialogRefusal {"SeedNoNumber",
            [](CalibrationDialog &d) { d.seedEdit->setText(QStringLiteral("-1")); },
            "The seed must be a whole number from 0 to 18446744073709551615, not \"-1\"."},
        DialogRefusal {"SeedAboveSixtyFourBits",
            [](CalibrationDialog &d) {
                d.seedEdit->setText(QStringLiteral("18446744073709551616"));
            },
            "The seed must be a whole number from 0 to 18446744073709551615, not "
            "\"18446744073709551616\"."}),
    [](const testing::TestParamInfo<DialogRefusal> &info) { return std::string(info.param.name); });

// The seed field takes exactly what --seed takes, up to the largest 64-bit seed.
TEST_F(CalibrationWindow, TheSeedFieldTakesEverySixtyFourBitSeed)
{
    openExample();
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->seedEdit->setText(QStringLiteral("18446744073709551615"));
    EXPECT_EQ(dialog->input().seed, 18446744073709551615ULL);
    dialog->seedEdit->setText(QStringLiteral(" 9223372036854775808 "));
    EXPECT_EQ(dialog->input().seed, 9223372036854775808ULL);
}

TEST_F(CalibrationWindow, NothingChangesUntilApplyThenUndoBringsTheRunBack)
{
    openExample(true);
    const ModelParameters before = records().parameters;
    const std::string sheetBefore = form->dataGrid().cell(3, 200);
    const RunInput project = MakeRunInput(records());
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    calibrate(dialog, 80, 3);
    ASSERT_TRUE(dialog->result().has_value());
    const CalibrationResult result = *dialog->result();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_FALSE(result.cancelled);
    EXPECT_LE(result.runsUsed, 80);
    EXPECT_LT(result.objectiveAfter, result.objectiveBefore);
    EXPECT_EQ(dialog->progressBar->value(), result.runsUsed);
    EXPECT_EQ(cell(dialog->parameterTable, 0, 4),
        QString::fromStdString(FormatGeneral(result.after.get(Parameter::AC))));
    EXPECT_EQ(cell(dialog->fitTable, 0, 2), StatisticText(result.fitAfter[0].nse));
    EXPECT_EQ(cell(dialog->fitTable, 0, 1), StatisticText(result.fitBefore[0].nse));
    EXPECT_GT(dialog->graphView()->updates(), 0);
    EXPECT_EQ(dialog->graphView()->graph().best.size(), 365u);

    // The same input and seed give the same result as the engine on its own.
    CalibrationInput input = DefaultCalibrationInput(project,
        MeasuredValues(
            form->project().observed(), records().observedLength, records().simulationLength));
    input.runsAllowed = 80;
    input.seed = 3;
    const CalibrationResult engine = Calibrate(input);
    EXPECT_EQ(engine.after, result.after);
    EXPECT_EQ(engine.objectiveAfter, result.objectiveAfter);

    // Nothing changed yet.
    EXPECT_EQ(records().parameters, before);
    EXPECT_EQ(form->dataGrid().cell(3, 200), sheetBefore);
    EXPECT_FALSE(form->runBeforeCalibration().has_value());

    ASSERT_TRUE(dialog->applyButton->isEnabled());
    QTest::mouseClick(dialog->applyButton, Qt::LeftButton);
    EXPECT_EQ(records().parameters, result.after);
    for (int i = 0; i < kParameterCount; ++i)
        EXPECT_EQ(form->parameterEdits[static_cast<std::size_t>(i)]->text().toStdString(),
            FormatGeneral(result.after.get(static_cast<Parameter>(i))));
    const FitTable fit = form->projectFit();
    EXPECT_EQ(fit, result.fitAfter);
    EXPECT_NE(form->dataGrid().cell(3, 200), sheetBefore);
    ASSERT_TRUE(form->runBeforeCalibration().has_value());
    EXPECT_EQ(form->runBeforeCalibration()->parameters, before);
    EXPECT_FALSE(dialog->applyButton->isEnabled());
    ASSERT_TRUE(dialog->undoButton->isEnabled());

    QTest::mouseClick(dialog->undoButton, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(records().parameters, before);
    EXPECT_EQ(form->dataGrid().cell(3, 200), sheetBefore);
    EXPECT_EQ(form->projectFit(), result.fitBefore);
    EXPECT_EQ(
        form->parameterEdits[0]->text().toStdString(), FormatGeneral(before.get(Parameter::AC)));
    EXPECT_FALSE(form->runBeforeCalibration().has_value());
    EXPECT_FALSE(dialog->undoButton->isEnabled());
    EXPECT_TRUE(dialog->applyButton->isEnabled());
}

TEST_F(CalibrationWindow, UndoIsRefusedOnceTheProjectChanged)
{
    openExample(true);
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    calibrate(dialog, 40, 1);
    ASSERT_TRUE(dialog->applyButton->isEnabled());
    QTest::mouseClick(dialog->applyButton, Qt::LeftButton);
    const ModelParameters applied = records().parameters;
    dialog->close();

    retype(QStringLiteral("Edit36"), QStringLiteral("35")); // the time step
    dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->undoButton->isEnabled());
    QTest::mouseClick(dialog->undoButton, Qt::LeftButton);
    EXPECT_FALSE(dialog->undoButton->isEnabled());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
        QStringLiteral("The project's forcing data, initial values, time step or climate changed "
                       "after the calibration was applied, so it can no longer be undone."));
    EXPECT_EQ(records().parameters, applied);
    EXPECT_FALSE(form->calibrationUndoable());
}

// The search fits the copy the dialog took; should the project change all the same (the dialog
// holds the window back, but a script or another window may not), its parameters are not
// applied: the user is told once, and the dialog offers neither Apply nor Calibrate any more.
TEST_F(CalibrationWindow, ParametersFoundForAnOlderCopyAreNotApplied)
{
    openExample(true);
    const ModelParameters before = records().parameters;
    const std::string sheetBefore = form->dataGrid().cell(3, 200);
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    calibrate(dialog, 40, 1);
    ASSERT_TRUE(dialog->applyButton->isEnabled());
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();

    // A measurement changes while the dialog shows the result.
    const std::string measured = form->observedGrid().cell(1, 30);
    form->observedGrid().setCell(1, 30, "17.5");
    QTest::mouseClick(dialog->applyButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
        QStringLiteral("The project changed while the calibration dialog was open, so the "
                       "calibrated parameters were not applied. Press \"Calibrate...\" again."));
    EXPECT_EQ(records().parameters, before);
    EXPECT_EQ(form->dataGrid().cell(3, 200), sheetBefore);
    EXPECT_FALSE(form->runBeforeCalibration().has_value());
    EXPECT_FALSE(dialog->applyButton->isEnabled());
    EXPECT_FALSE(dialog->startButton->isEnabled());
    EXPECT_EQ(dialog->statusLabel->text(),
        QStringLiteral("The project changed while this dialog was open."));

    // Taken back, the values are those of the copy again; a fresh dialog calibrates and applies.
    form->observedGrid().setCell(1, 30, measured);
    dialog->close();
    dialogs.messages.clear();
    dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    calibrate(dialog, 40, 1);
    ASSERT_TRUE(dialog->applyButton->isEnabled());
    QTest::mouseClick(dialog->applyButton, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(records().parameters, dialog->result()->after);
}

// A dialog whose copy is out of date starts no search: a changed time step is a changed input.
TEST_F(CalibrationWindow, AnOlderCopyIsNotCalibrated)
{
    openExample(true);
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    retype(QStringLiteral("Edit36"), QStringLiteral("35")); // the time step
    QTest::mouseClick(dialog->startButton, Qt::LeftButton);
    EXPECT_FALSE(dialog->running());
    EXPECT_FALSE(dialog->result().has_value());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
        QStringLiteral("The project changed while the calibration dialog was open, so nothing was "
                       "calibrated. Press \"Calibrate...\" again."));
    EXPECT_FALSE(dialog->startButton->isEnabled());
}

// Applying and undoing through the dialog are its own changes: after both, its copy still
// counts as current, and a second search in the same dialog applies.
TEST_F(CalibrationWindow, ApplyAndUndoKeepTheDialogsCopyCurrent)
{
    openExample(true);
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    calibrate(dialog, 40, 1);
    QTest::mouseClick(dialog->applyButton, Qt::LeftButton);
    QTest::mouseClick(dialog->undoButton, Qt::LeftButton);
    calibrate(dialog, 40, 2);
    ASSERT_TRUE(dialog->applyButton->isEnabled());
    QTest::mouseClick(dialog->applyButton, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(records().parameters, dialog->result()->after);
}

TEST_F(CalibrationWindow, CancelKeepsTheBestFoundSoFarAndTheWindowStaysResponsive)
{
    openExample();
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->runsEdit->setText(QStringLiteral("100000"));
    QTest::mouseClick(dialog->startButton, Qt::LeftButton);
    ASSERT_TRUE(dialog->running());
    EXPECT_FALSE(dialog->startButton->isEnabled());
    EXPECT_TRUE(dialog->cancelButton->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog->progressBar->value() >= 30, kWaitMs);
    EXPECT_FALSE(dialog->objectiveLabel->text().isEmpty());
    QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), kWaitMs);
    ASSERT_TRUE(dialog->result().has_value());
    EXPECT_TRUE(dialog->result()->cancelled);
    EXPECT_LT(dialog->result()->runsUsed, 100000);
    EXPECT_LE(dialog->result()->objectiveAfter, dialog->result()->objectiveStart);
    EXPECT_TRUE(dialog->startButton->isEnabled());
    EXPECT_TRUE(dialog->statusLabel->text().startsWith(QStringLiteral("Cancelled after")));
}

TEST_F(CalibrationWindow, ClosingTheDialogWhileItRunsEndsTheSearch)
{
    openExample();
    const ModelParameters before = records().parameters;
    CalibrationDialog *dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->runsEdit->setText(QStringLiteral("100000"));
    QTest::mouseClick(dialog->startButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->progressBar->value() >= 5, kWaitMs);
    dialog->close();
    QTRY_VERIFY(form->calibrationDialog() == nullptr);
    EXPECT_EQ(records().parameters, before);
}

} // namespace
