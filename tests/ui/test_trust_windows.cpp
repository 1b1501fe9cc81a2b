// How far the prediction can be trusted, in the window: the conditioned mode of the uncertainty
// dialog, the probability of meeting the permit beside the band, the confidence of calibrated
// parameters, and the Sobol' indices of the sensitivity dialog. Each gives what carexa-sim's
// command gives with the same fields.

#include "window_fixture.h"

#include "analysis/calibration.h"
#include "analysis/compliance.h"
#include "analysis/conditioning.h"
#include "analysis/confidence.h"
#include "analysis/observations.h"
#include "analysis/sobol.h"
#include "model/number_text.h"
#include "project/staleness.h"
#include "report/side_file.h"
#include "simulation/simulation_run.h"
#include "support/temp_dir.h"
#include "ui/calibration_dialog.h"
#include "ui/compliance_panel.h"
#include "ui/confidence_panel.h"
#include "ui/range_editor.h"
#include "ui/sensitivity_dialog.h"
#include "ui/sobol_panel.h"
#include "ui/uncertainty_dialog.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

constexpr int kWaitMs = 120000;

class TrustWindows : public WindowTest
{
protected:
    // The cold example with its measurements, simulated, on the Simulate screen.
    void SetUp() override
    {
        finishStart();
        dialogs.openAnswers.push_back(
            QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string()));
        form->LoadProject1->trigger();
        click(QStringLiteral("Button35"));
        click(QStringLiteral("Button4"));
        click(QStringLiteral("Button25"));
        click(QStringLiteral("Button6"));
        click(QStringLiteral("Button8"));
        ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    }

    UncertaintyDialog *openUncertainty()
    {
        click(QStringLiteral("uncertaintyButton"));
        EXPECT_NE(form->uncertaintyDialog, nullptr);
        return form->uncertaintyDialog;
    }
    static void runAndWait(AnalysisDialog *dialog)
    {
        QTest::mouseClick(dialog->runButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->busy(), kWaitMs);
    }
    static void varyOnly(UncertaintyDialog *dialog, std::initializer_list<Parameter> varied)
    {
        for (int i = 0; i < kParameterCount; ++i)
            dialog->ranges->varyBox(static_cast<Parameter>(i))->setChecked(false);
        for (Parameter p : varied)
            dialog->ranges->varyBox(p)->setChecked(true);
    }
    // Ranges around the values the example's measurements were made with, so that some runs of
    // a small sample fit them better than their mean.
    static void nearTheExample(UncertaintyDialog *dialog)
    {
        const struct
        {
            Parameter p;
            const char *lower, *upper;
        } near[] = {{Parameter::AC, "0.5", "1.3"}, {Parameter::NC, "0.5", "1.3"},
            {Parameter::OC, "0.1", "0.4"}, {Parameter::KO, "0.1", "0.6"}};
        for (const auto &n : near) {
            dialog->ranges->lowerEdit(n.p)->setText(QString::fromLatin1(n.lower));
            dialog->ranges->upperEdit(n.p)->setText(QString::fromLatin1(n.upper));
        }
    }
    ObservedSeries measured()
    {
        const ModelState &s = form->state();
        return MeasuredValues(form->project().observed(), s.observedLength, s.simulationLength);
    }
    void clearObserved()
    {
        GridModel &grid = form->observedGrid();
        grid.write(1, 1, GridBlock(grid.columns() - 1, grid.rows() - 1));
    }
    static QString cell(const QTableWidget *table, int row, int column)
    {
        const QTableWidgetItem *item = table->item(row, column);
        return item ? item->text() : QString();
    }
};

// ---------------------------------------------------------------------------------------------
// Conditioned uncertainty

TEST_F(TrustWindows, ConditionedModeStartsFromTheBatchDefaults)
{
    UncertaintyDialog *dialog = openUncertainty();
    EXPECT_EQ(dialog->conditionCheck->text(), QStringLiteral("Condition on measurements"));
    EXPECT_EQ(dialog->samplesSpin->value(), 200);
    EXPECT_FALSE(dialog->iterationsSpin->isEnabled());
    dialog->conditionCheck->setChecked(true);
    EXPECT_EQ(dialog->samplesSpin->value(), 500);
    EXPECT_EQ(dialog->samplesSpin->minimum(), 20);
    EXPECT_EQ(dialog->iterationsSpin->value(), 4);
    EXPECT_EQ(dialog->thresholdEdit->text(), QStringLiteral("0.5"));
    EXPECT_EQ(dialog->validationSpin->value(), 0);
    EXPECT_EQ(dialog->validationSpin->text(), QStringLiteral("none"));
    EXPECT_TRUE(dialog->iterationsSpin->isEnabled());
    // Each mode keeps its own number of samples.
    dialog->samplesSpin->setValue(40);
    dialog->conditionCheck->setChecked(false);
    EXPECT_EQ(dialog->samplesSpin->value(), 200);
    dialog->conditionCheck->setChecked(true);
    EXPECT_EQ(dialog->samplesSpin->value(), 40);
    EXPECT_EQ(dialog->ranges->ranges(), ClimateRanges(form->state().climate));
    EXPECT_EQ(dialog->compliancePanel->samplesSpin->value(), 500);
}

TEST_F(TrustWindows, ConditioningShowsEachIterationAndGivesWhatTheBatchCommandGives)
{
    UncertaintyDialog *dialog = openUncertainty();
    dialog->conditionCheck->setChecked(true);
    varyOnly(dialog, {Parameter::AC, Parameter::NC, Parameter::OC, Parameter::KO});
    nearTheExample(dialog);
    dialog->samplesSpin->setValue(30);
    dialog->iterationsSpin->setValue(3);
    dialog->validationSpin->setValue(200);
    dialog->seedEdit->setText(QStringLiteral("7"));
    // Total P. cannot move with these parameters: not conditioned on.
    EXPECT_EQ(dialog->table->item(3, 0)->checkState(), Qt::Checked);
    dialog->table->item(3, 0)->setCheckState(Qt::Unchecked);
    runAndWait(dialog);
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    ASSERT_TRUE(dialog->conditioning().has_value()) << dialog->statusLabel->text().toStdString();
    const ConditioningResult &result = *dialog->conditioning();

    // The same analysis as carexa-sim condition with the same options.
    ConditioningInput input = DefaultConditioningInput(MakeRunInput(form->state()), measured());
    input.varied = dialog->ranges->varied();
    input.ranges = dialog->ranges->ranges();
    EXPECT_EQ(input.ranges[static_cast<std::size_t>(Parameter::OC)].upper, 0.4);
    input.options.samples = 30;
    input.options.iterations = 3;
    input.options.validationFrom = 200;
    ASSERT_TRUE(input.series[3]);
    input.series[3] = false;
    input.options.seed = 7;
    const ConditioningResult expected = RunConditioning(input);
    EXPECT_EQ(ConditioningRangesCsv(result, input.varied),
        ConditioningRangesCsv(expected, input.varied));
    EXPECT_EQ(ConditioningReportCsv(result, input.series),
        ConditioningReportCsv(expected, input.series));
    EXPECT_EQ(ConditioningReportCsv(result, input.series).find("total P."), std::string::npos);
    ASSERT_TRUE(dialog->result().has_value());
    EXPECT_EQ(dialog->result()->bands[0].upper, expected.band.bands[0].upper);

    // One row per iteration, the kept one says so; one row of ranges per varied parameter.
    const int rows = static_cast<int>(result.iterations.size());
    ASSERT_EQ(dialog->iterationTable->rowCount(), rows);
    EXPECT_TRUE(cell(dialog->iterationTable, result.kept, 8).contains(QStringLiteral("kept")));
    EXPECT_EQ(cell(dialog->iterationTable, 0, 1), QString::number(result.iterations[0].behavioural));
    EXPECT_FALSE(dialog->iterationTable->isColumnHidden(6)); // a validation period
    ASSERT_EQ(dialog->rangesTable->rowCount(), 4);
    EXPECT_EQ(cell(dialog->rangesTable, 3, 0), QStringLiteral("KO"));
    EXPECT_EQ(dialog->rangesTable->columnCount(), rows + 2);
    EXPECT_FALSE(dialog->notesLabel->text().isEmpty());
    // The fit table shows the kept iteration's calibration and validation periods.
    EXPECT_FALSE(dialog->table->isColumnHidden(4));
    const auto &kept = result.iterations[static_cast<std::size_t>(result.kept)];
    for (int c = 0; c < kSeriesCount; ++c) {
        if (!input.series[static_cast<std::size_t>(c)])
            continue;
        EXPECT_EQ(cell(dialog->table, c, 2),
            ResultNumber(kept.fit[static_cast<std::size_t>(c)].calibration.pFactor));
        EXPECT_EQ(cell(dialog->table, c, 4),
            ResultNumber(kept.fit[static_cast<std::size_t>(c)].validation.pFactor));
    }
    // The band goes to the explorer.
    ASSERT_TRUE(form->uncertaintyBands().has_value());
    EXPECT_EQ((*form->uncertaintyBands())[3].lower, dialog->result()->bands[3].lower);

    TempDir dir;
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "ranges.csv").string()));
    QTest::mouseClick(dialog->exportRangesButton, Qt::LeftButton);
    EXPECT_EQ(Lines(ReadText(dir / "ranges.csv"))[0], "iteration,parameter,lower,upper,best");
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "report.csv").string()));
    QTest::mouseClick(dialog->exportReportButton, Qt::LeftButton);
    EXPECT_EQ(Lines(ReadText(dir / "report.csv"))[0],
        "iteration,period,series,p_factor,r_factor,behavioural_runs,runs_failed");

    // "Use ranges" opens the calibration with the kept ranges as the bounds.
    QTest::mouseClick(dialog->useRangesButton, Qt::LeftButton);
    CalibrationDialog *calibration = form->calibrationDialog();
    ASSERT_NE(calibration, nullptr);
    const ParameterRange &nc = kept.ranges[static_cast<std::size_t>(Parameter::NC)];
    const int ncRow = static_cast<int>(Parameter::NC);
    EXPECT_EQ(calibration->parameterTable->item(ncRow, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(calibration->parameterTable->item(static_cast<int>(Parameter::AF), 0)->checkState(),
        Qt::Unchecked);
    EXPECT_EQ(calibration->parameterTable->item(ncRow, 1)->text(),
        QString::fromStdString(FormatGeneral(nc.lower)));
    EXPECT_EQ(calibration->parameterTable->item(ncRow, 2)->text(),
        QString::fromStdString(FormatGeneral(nc.upper)));
    const CalibrationInput bounds = calibration->input();
    EXPECT_EQ(bounds.bounds[static_cast<std::size_t>(Parameter::NC)].upper, nc.upper);
    calibration->close();
}

TEST_F(TrustWindows, ConditioningRefusesWithAMessageAndChangesNothing)
{
    UncertaintyDialog *dialog = openUncertainty();
    dialog->conditionCheck->setChecked(true);
    dialog->samplesSpin->setValue(20);
    dialog->thresholdEdit->setText(QStringLiteral("half"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    EXPECT_FALSE(dialog->busy());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0], QStringLiteral("The NSE threshold must be a number, not \"half\"."));
    dialog->thresholdEdit->setText(QStringLiteral("0.5"));

    // Without measurements there is nothing to condition on.
    clearObserved();
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    EXPECT_FALSE(dialog->busy());
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_FALSE(dialog->result().has_value());
    EXPECT_FALSE(dialog->conditioning().has_value());
    EXPECT_FALSE(form->uncertaintyBands().has_value());
    EXPECT_FALSE(dialog->useRangesButton->isEnabled());
}

TEST_F(TrustWindows, ACancelledConditioningKeepsNothingAndTheFieldsComeBack)
{
    UncertaintyDialog *dialog = openUncertainty();
    dialog->conditionCheck->setChecked(true);
    varyOnly(dialog, {Parameter::AC, Parameter::NC, Parameter::OC, Parameter::KO});
    nearTheExample(dialog);
    dialog->samplesSpin->setValue(20000);
    dialog->compliancePanel->addTarget(0, QStringLiteral("25"), QStringLiteral("mean"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_TRUE(dialog->busy());
    EXPECT_FALSE(dialog->iterationsSpin->isEnabled());
    EXPECT_FALSE(dialog->compliancePanel->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog->progressBar->value() > 0, kWaitMs);
    EXPECT_EQ(dialog->progressBar->maximum(), 20000 * 5 + 20000); // 4 iterations, bands, targets
    QTRY_COMPARE_WITH_TIMEOUT(
        dialog->statusLabel->text(), QStringLiteral("Iteration 1 of at most 4..."), kWaitMs);
    QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->busy(), kWaitMs);
    EXPECT_TRUE(dialog->statusLabel->text().startsWith(QStringLiteral("Cancelled after")))
        << dialog->statusLabel->text().toStdString();
    EXPECT_FALSE(dialog->conditioning().has_value());
    EXPECT_FALSE(dialog->result().has_value());
    EXPECT_FALSE(dialog->compliance().has_value());
    EXPECT_FALSE(form->uncertaintyBands().has_value());
    EXPECT_TRUE(dialog->iterationsSpin->isEnabled());
    EXPECT_TRUE(dialog->compliancePanel->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// ---------------------------------------------------------------------------------------------
// The probability of meeting the permit

TEST_F(TrustWindows, ProbabilitiesOfThePermitTargetsBesideTheBandWithTheLimitDrawn)
{
    UncertaintyDialog *dialog = openUncertainty();
    varyOnly(dialog, {Parameter::AC, Parameter::PP});
    dialog->samplesSpin->setValue(10);
    CompliancePanel *panel = dialog->compliancePanel;
    panel->samplesSpin->setValue(12);
    panel->addTarget(0, QStringLiteral("1e6"), QStringLiteral("max")); // above every value
    panel->addTarget(0, QStringLiteral("0"), QStringLiteral("mean")); // below every value
    panel->addTarget(3, QStringLiteral("5"), QStringLiteral("exceed-days"), 3);
    panel->startDateEdit->setText(QStringLiteral("2024-01-01"));
    runAndWait(dialog);
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    ASSERT_TRUE(dialog->compliance().has_value()) << dialog->statusLabel->text().toStdString();
    const ComplianceResult &result = *dialog->compliance();
    ASSERT_EQ(result.outcomes.size(), 3u);
    EXPECT_EQ(result.outcomes[0].probability, 1.0);
    EXPECT_EQ(result.outcomes[1].probability, 0.0);
    EXPECT_FALSE(result.conditioned);
    EXPECT_EQ(result.runsUsed, 12);
    ASSERT_EQ(panel->outcomeTable->rowCount(), 3);
    EXPECT_EQ(cell(panel->outcomeTable, 0, 2), QStringLiteral("1.000"));
    EXPECT_EQ(cell(panel->outcomeTable, 1, 2), QStringLiteral("0.000"));
    EXPECT_TRUE(cell(panel->outcomeTable, 2, 1).startsWith(QStringLiteral("exceed-days:3")));
    EXPECT_TRUE(panel->noteLabel->text().startsWith(QStringLiteral("The ensemble is not conditioned")));
    EXPECT_TRUE(panel->noteLabel->text().endsWith(QString::fromUtf8(kComplianceScope)));

    // carexa-sim compliance over the same plain ensemble.
    ComplianceInput input;
    input.run = MakeRunInput(form->state());
    input.ensemble = PlainEnsemble(input.run, dialog->ranges->ranges(), dialog->ranges->varied(), 12, 1);
    input.targets = {ParseTarget("1:1e6:max"), ParseTarget("1:0:mean"), ParseTarget("4:5:exceed-days:3")};
    input.startDate = ParseIsoDate("2024-01-01");
    EXPECT_EQ(ComplianceCsv(result), ComplianceCsv(RunCompliance(input)));
    TempDir dir;
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "c.csv").string()));
    QTest::mouseClick(panel->exportButton, Qt::LeftButton);
    EXPECT_EQ(ReadText(dir / "c.csv"), ComplianceCsv(result));

    // The band graph draws the limits of its series as lines.
    dialog->bandSeriesCombo->setCurrentIndex(0);
    QStringList names;
    for (QAbstractSeries *series : dialog->bandChartView->chart()->series())
        names << series->name();
    EXPECT_TRUE(names.contains(QStringLiteral("Limit 1000000 (max)"))) << names.join(u',').toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("Limit 0 (mean)")));
    EXPECT_TRUE(names.contains(QStringLiteral("95 % band")));
    dialog->bandSeriesCombo->setCurrentIndex(3);
    names.clear();
    for (QAbstractSeries *series : dialog->bandChartView->chart()->series())
        names << series->name();
    EXPECT_TRUE(names.contains(QStringLiteral("Limit 5 (exceed-days:3)")));
    EXPECT_FALSE(names.contains(QStringLiteral("Limit 0 (mean)")));
}

TEST_F(TrustWindows, ABadTargetIsRefusedBeforeAnyRun)
{
    UncertaintyDialog *dialog = openUncertainty();
    CompliancePanel *panel = dialog->compliancePanel;
    panel->addTarget(0, QStringLiteral("abc"), QStringLiteral("mean"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    EXPECT_FALSE(dialog->busy());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(QStringLiteral("Target 1: "))) << dialogs.messages[0].toStdString();
    // An efficiency takes only removal-monthly.
    panel->targetTable->item(0, 1)->setText(QStringLiteral("80"));
    qobject_cast<QComboBox *>(panel->targetTable->cellWidget(0, 0))->setCurrentIndex(6);
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].startsWith(QStringLiteral("Target 1: ")));
    panel->startDateEdit->setText(QStringLiteral("1st of May"));
    qobject_cast<QComboBox *>(panel->targetTable->cellWidget(0, 2))->setCurrentText(QStringLiteral("removal-monthly"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(dialogs.messages[2],
        QStringLiteral("The date of day 1 must be a date YYYY-MM-DD, not \"1st of May\"."));
    panel->startDateEdit->clear();
    panel->warmUpEdit->setText(QStringLiteral("-2"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 4);
    EXPECT_EQ(dialogs.messages[3],
        QStringLiteral("The warm-up must be a whole number of days, 0 or more, not \"-2\"."));
    EXPECT_FALSE(dialog->result().has_value());
    EXPECT_FALSE(dialog->compliance().has_value());
}

TEST_F(TrustWindows, AConditionedEnsembleGivesConditionedProbabilities)
{
    UncertaintyDialog *dialog = openUncertainty();
    dialog->conditionCheck->setChecked(true);
    varyOnly(dialog, {Parameter::NC, Parameter::OC});
    nearTheExample(dialog);
    dialog->samplesSpin->setValue(20);
    dialog->iterationsSpin->setValue(1);
    dialog->compliancePanel->addTarget(0, QStringLiteral("1e6"), QStringLiteral("p95"));
    runAndWait(dialog);
    ASSERT_TRUE(dialog->compliance().has_value()) << dialog->statusLabel->text().toStdString();
    EXPECT_TRUE(dialog->compliance()->conditioned);
    EXPECT_EQ(dialog->compliance()->outcomes[0].probability, 1.0);
    EXPECT_EQ(static_cast<std::size_t>(dialog->compliance()->runsUsed),
        dialog->conditioning()->ensemble.size());
    EXPECT_TRUE(dialog->compliancePanel->noteLabel->text().startsWith(
        QStringLiteral("The ensemble is conditioned on the measurements")));
}

// ---------------------------------------------------------------------------------------------
// Parameter confidence after a calibration

TEST_F(TrustWindows, ACalibrationShowsTheIntervalsAndTheColouredCorrelations)
{
    click(QStringLiteral("calibrateButton"));
    CalibrationDialog *dialog = form->calibrationDialog();
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < kParameterCount; ++i) {
        const bool fit = i == static_cast<int>(Parameter::NC) || i == static_cast<int>(Parameter::OC)
            || i == static_cast<int>(Parameter::AC);
        dialog->parameterTable->item(i, 0)->setCheckState(fit ? Qt::Checked : Qt::Unchecked);
    }
    dialog->runsEdit->setText(QStringLiteral("60"));
    EXPECT_EQ(dialog->resultTabs->tabText(1), QStringLiteral("Parameter confidence"));
    QTest::mouseClick(dialog->startButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), kWaitMs);
    ASSERT_TRUE(dialog->result().has_value());
    ConfidencePanel *panel = dialog->confidencePanel;
    ASSERT_TRUE(panel->result().has_value()) << panel->noteLabel->text().toStdString();

    const ConfidenceResult expected = ParameterConfidence(dialog->input(), dialog->result()->after);
    EXPECT_EQ(ConfidenceCsv(*panel->result()), ConfidenceCsv(expected));
    EXPECT_EQ(CorrelationCsv(*panel->result()), CorrelationCsv(expected));
    ASSERT_EQ(panel->intervalTable->rowCount(), 3);
    EXPECT_EQ(cell(panel->intervalTable, 0, 0), QStringLiteral("AC"));
    for (int row = 0; row < 3; ++row) {
        const ParameterInterval &p = expected.parameters[static_cast<std::size_t>(row)];
        EXPECT_EQ(cell(panel->intervalTable, row, 5), QString::fromUtf8(StatusText(p.status)));
        if (p.status == ConfidenceStatus::AtBound) {
            EXPECT_EQ(cell(panel->intervalTable, row, 2), QStringLiteral("n/a"));
        }
    }
    ASSERT_EQ(panel->correlationTable->rowCount(), 3);
    ASSERT_EQ(panel->correlationTable->columnCount(), 3);
    EXPECT_EQ(panel->correlationTable->horizontalHeaderItem(1)->text(), QStringLiteral("NC"));
    for (int i = 0; i < 3; ++i) {
        const double r = expected.correlation[static_cast<std::size_t>(i)][static_cast<std::size_t>(i)];
        EXPECT_EQ(panel->correlationTable->item(i, i)->background().color(),
            ConfidencePanel::CorrelationColour(r));
    }
    EXPECT_TRUE(panel->noteLabel->text().endsWith(QString::fromUtf8(kConfidenceAssumption)));

    TempDir dir;
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "ci.csv").string()));
    QTest::mouseClick(panel->exportIntervalsButton, Qt::LeftButton);
    EXPECT_EQ(Lines(ReadText(dir / "ci.csv"))[0], "parameter,value,std_error,ci95_lower,ci95_upper,status");
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "corr.csv").string()));
    QTest::mouseClick(panel->exportCorrelationButton, Qt::LeftButton);
    EXPECT_EQ(Lines(ReadText(dir / "corr.csv"))[0], "parameter,AC,NC,OC");
    dialog->close();
}

TEST(ConfidenceColours, RunFromBlueThroughWhiteToRed)
{
    EXPECT_EQ(ConfidencePanel::CorrelationColour(0), QColor(Qt::white));
    EXPECT_EQ(ConfidencePanel::CorrelationColour(1), QColor(0xd7, 0x30, 0x27));
    EXPECT_EQ(ConfidencePanel::CorrelationColour(-1), QColor(0x2c, 0x6b, 0xb5));
    EXPECT_EQ(ConfidencePanel::CorrelationColour(0.5), QColor(235, 152, 147));
    EXPECT_EQ(ConfidencePanel::CorrelationColour(std::nan("")), QColor(Qt::white));
}

TEST_F(TrustWindows, WithTooFewMeasuredDaysTheIntervalsAreRefusedWithAMessage)
{
    // Two measured days of one series cannot carry three parameters (n <= p).
    clearObserved();
    form->observedGrid().setCell(1, 10, "10");
    form->observedGrid().setCell(1, 20, "12");
    click(QStringLiteral("calibrateButton"));
    CalibrationDialog *dialog = form->calibrationDialog();
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < kParameterCount; ++i)
        dialog->parameterTable->item(i, 0)->setCheckState(i < 3 ? Qt::Checked : Qt::Unchecked);
    dialog->runsEdit->setText(QStringLiteral("40"));
    QTest::mouseClick(dialog->startButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), kWaitMs);
    ASSERT_TRUE(dialog->result().has_value());
    EXPECT_FALSE(dialog->confidencePanel->result().has_value());
    EXPECT_TRUE(dialog->confidencePanel->noteLabel->text().startsWith(
        QStringLiteral("No confidence intervals: ")))
        << dialog->confidencePanel->noteLabel->text().toStdString();
    EXPECT_FALSE(dialog->confidencePanel->exportIntervalsButton->isEnabled());
    dialog->close();
}

// ---------------------------------------------------------------------------------------------
// Sobol' indices

TEST_F(TrustWindows, SobolIndicesBesideMorrisAsTheBatchCommandGivesThem)
{
    click(QStringLiteral("sensitivityButton"));
    SensitivityDialog *dialog = form->sensitivityDialog;
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->baseSamplesCombo->isEnabled());
    dialog->methodCombo->setCurrentIndex(1);
    EXPECT_EQ(dialog->methodCombo->currentText(), QStringLiteral("Variance-based (Sobol')"));
    EXPECT_TRUE(dialog->baseSamplesCombo->isEnabled());
    EXPECT_FALSE(dialog->trajectoriesSpin->isEnabled());
    EXPECT_EQ(dialog->baseSamplesCombo->currentText(), QStringLiteral("1024"));
    dialog->baseSamplesCombo->setCurrentText(QStringLiteral("8"));
    runAndWait(dialog);
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    SobolPanel *panel = dialog->sobolPanel;
    ASSERT_TRUE(panel->result().has_value()) << dialog->statusLabel->text().toStdString();
    EXPECT_EQ(dialog->resultTabs->currentWidget(), panel);
    // After the run the fields of the method chosen come back, the others stay off.
    EXPECT_TRUE(dialog->baseSamplesCombo->isEnabled());
    EXPECT_FALSE(dialog->levelsSpin->isEnabled());

    SobolInput input;
    input.run = MakeRunInput(form->state());
    input.ranges = ClimateRanges(form->state().climate);
    input.varied.fill(true);
    input.options.baseSamples = 8;
    EXPECT_EQ(SobolCsv(*panel->result()), SobolCsv(RunSobol(input)));
    EXPECT_EQ(panel->result()->runs, 8 * 18);

    // PP cannot move BOD5: exactly 0, and last in the table.
    dialog->seriesCombo->setCurrentIndex(0);
    ASSERT_EQ(panel->table->rowCount(), 16);
    ASSERT_EQ(panel->chart->bars().size(), 16u);
    bool found = false;
    for (int row = 0; row < 16; ++row) {
        if (cell(panel->table, row, 0) != QStringLiteral("PP"))
            continue;
        found = true;
        EXPECT_EQ(cell(panel->table, row, 1), QStringLiteral("0.000"));
        EXPECT_EQ(cell(panel->table, row, 4), QStringLiteral("0.000"));
    }
    EXPECT_TRUE(found);
    const auto &bars = panel->chart->bars();
    for (std::size_t i = 1; i < bars.size(); ++i)
        EXPECT_GE(bars[i - 1].index.st, bars[i].index.st);
    EXPECT_LE(panel->chart->axisLow(), 0.0);
    EXPECT_GE(panel->chart->axisHigh(), bars[0].index.st);

    TempDir dir;
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "s.csv").string()));
    QTest::mouseClick(panel->exportButton, Qt::LeftButton);
    EXPECT_EQ(Lines(ReadText(dir / "s.csv"))[0], "parameter,series,s1,s1_lo,s1_hi,st,st_lo,st_hi");

    // Morris still runs as before, its own fields back on.
    dialog->methodCombo->setCurrentIndex(0);
    EXPECT_TRUE(dialog->trajectoriesSpin->isEnabled());
    EXPECT_FALSE(dialog->baseSamplesCombo->isEnabled());
}

// ---------------------------------------------------------------------------------------------
// The analyses the windows finish are the design report's

TEST_F(TrustWindows, FinishedAnalysesAreKeptForTheDesignReportAndSavedBesideTheProject)
{
    const std::uint64_t inputs = RunInputsFingerprint(form->state());
    EXPECT_TRUE(form->project().reportSettings().analyses.empty());

    click(QStringLiteral("sensitivityButton"));
    SensitivityDialog *sensitivity = form->sensitivityDialog;
    ASSERT_NE(sensitivity, nullptr);
    sensitivity->trajectoriesSpin->setValue(2);
    sensitivity->seedEdit->setText(QStringLiteral("7"));
    runAndWait(sensitivity);
    ASSERT_TRUE(form->project().reportSettings().analyses.morris);
    EXPECT_EQ(form->project().reportSettings().analyses.morris->inputs, inputs);
    EXPECT_EQ(form->project().reportSettings().analyses.morris->seed, 7u);
    EXPECT_EQ(form->project().reportSettings().analyses.morris->levels, 4);
    EXPECT_EQ(form->project().reportSettings().analyses.morris->result.trajectories, 2);
    EXPECT_EQ(form->project().reportSettings().analyses.morris->result.runs, 2 * 17);

    sensitivity->methodCombo->setCurrentIndex(1);
    sensitivity->baseSamplesCombo->setCurrentText(QStringLiteral("8"));
    runAndWait(sensitivity);
    ASSERT_TRUE(form->project().reportSettings().analyses.sobol);
    EXPECT_EQ(form->project().reportSettings().analyses.sobol->inputs, inputs);
    EXPECT_EQ(form->project().reportSettings().analyses.sobol->seed, 7u);
    EXPECT_EQ(form->project().reportSettings().analyses.sobol->resamples, 1000);
    EXPECT_EQ(form->project().reportSettings().analyses.sobol->result.runs, 8 * 18);
    sensitivity->close();

    UncertaintyDialog *dialog = openUncertainty();
    dialog->conditionCheck->setChecked(true);
    varyOnly(dialog, {Parameter::NC, Parameter::OC});
    nearTheExample(dialog);
    dialog->samplesSpin->setValue(20);
    dialog->iterationsSpin->setValue(1);
    dialog->seedEdit->setText(QStringLiteral("3"));
    dialog->compliancePanel->addTarget(0, QStringLiteral("1e6"), QStringLiteral("p95"));
    runAndWait(dialog);
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    ASSERT_TRUE(form->project().reportSettings().analyses.conditioning);
    const KeptConditioning &conditioning = *form->project().reportSettings().analyses.conditioning;
    EXPECT_EQ(conditioning.inputs, inputs);
    EXPECT_EQ(conditioning.seed, 3u);
    EXPECT_EQ(conditioning.samples, 20);
    EXPECT_EQ(conditioning.iterationsAsked, 1);
    EXPECT_EQ(conditioning.iterationsRun, 1);
    EXPECT_EQ(conditioning.kept, 1);
    ASSERT_TRUE(form->project().reportSettings().analyses.compliance);
    const KeptCompliance &compliance = *form->project().reportSettings().analyses.compliance;
    EXPECT_EQ(compliance.inputs, inputs);
    EXPECT_EQ(compliance.seed, 3u);
    EXPECT_EQ(compliance.samples, 20);
    EXPECT_TRUE(compliance.conditioned);
    ASSERT_EQ(compliance.outcomes.size(), 1u);
    EXPECT_EQ(compliance.outcomes[0].probability, 1.0);

    // A cancelled analysis keeps the one before.
    dialog->samplesSpin->setValue(20000);
    dialog->seedEdit->setText(QStringLiteral("4"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_TRUE(dialog->busy());
    QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->busy(), kWaitMs);
    EXPECT_EQ(form->project().reportSettings().analyses.conditioning->seed, 3u);
    EXPECT_EQ(form->project().reportSettings().analyses.compliance->seed, 3u);
    dialog->close();

    // A calibration is kept once it is applied, judged by the calibrated project.
    click(QStringLiteral("calibrateButton"));
    CalibrationDialog *calibration = form->calibrationDialog();
    ASSERT_NE(calibration, nullptr);
    for (int i = 0; i < kParameterCount; ++i)
        calibration->parameterTable->item(i, 0)->setCheckState(
            i == static_cast<int>(Parameter::NC) ? Qt::Checked : Qt::Unchecked);
    calibration->runsEdit->setText(QStringLiteral("30"));
    QTest::mouseClick(calibration->startButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!calibration->running(), kWaitMs);
    ASSERT_TRUE(calibration->result().has_value());
    EXPECT_FALSE(form->project().reportSettings().analyses.calibration);
    calibration->runsEdit->setText(QStringLiteral("999")); // the fields after the search count for nothing
    QTest::mouseClick(calibration->applyButton, Qt::LeftButton);
    ASSERT_TRUE(form->project().reportSettings().analyses.calibration);
    const KeptCalibration &calibrated = *form->project().reportSettings().analyses.calibration;
    EXPECT_EQ(calibrated.inputs, RunInputsFingerprint(form->state()));
    EXPECT_NE(calibrated.inputs, inputs);
    EXPECT_EQ(calibrated.runsAllowed, 30);
    ASSERT_EQ(calibrated.parameters.size(), 16u);
    const KeptCalibrationParameter &nc = calibrated.parameters[static_cast<std::size_t>(Parameter::NC)];
    EXPECT_TRUE(nc.fitted);
    EXPECT_FALSE(calibrated.parameters[static_cast<std::size_t>(Parameter::AC)].fitted);
    EXPECT_EQ(nc.after, form->state().parameters.get(Parameter::NC));
    calibration->close();

    // The next save writes them into the side file.
    TempDir dir;
    const QString saved = QString::fromStdString((dir / "kept.mdl").string());
    dialogs.saveAnswers.push_back(saved);
    form->SaveProject1->trigger();
    const SideFileRead side = ReadSideFile(saved.toStdString());
    EXPECT_EQ(side.problem, "");
    EXPECT_TRUE(side.settings.analyses == form->project().reportSettings().analyses);
}

} // namespace
