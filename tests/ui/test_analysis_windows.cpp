// The analyses of the Simulate screen: the sensitivity and uncertainty dialogs and the result
// explorer, driven by their controls.

#include "window_fixture.h"

#include "results/data_sheet.h"
#include "support/temp_dir.h"
#include "ui/graph_box.h"
#include "ui/range_editor.h"
#include "ui/result_explorer.h"
#include "ui/sensitivity_dialog.h"
#include "ui/uncertainty_dialog.h"

#include <QAbstractAxis>
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTableWidget>
#include <QValueAxis>
#include <QXYSeries>

#include <cmath>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

constexpr int kRunWaitMs = 60000;

class AnalysisWindows : public WindowTest
{
protected:
    void SetUp() override
    {
        openSimulateScreen();
        click(QStringLiteral("Button8"));
        ASSERT_TRUE(dialogs.messages.isEmpty());
    }

    SensitivityDialog *openSensitivity()
    {
        click(QStringLiteral("sensitivityButton"));
        EXPECT_NE(form->sensitivityDialog, nullptr);
        EXPECT_TRUE(form->sensitivityDialog->isVisible());
        return form->sensitivityDialog;
    }
    UncertaintyDialog *openUncertainty()
    {
        click(QStringLiteral("uncertaintyButton"));
        EXPECT_NE(form->uncertaintyDialog, nullptr);
        return form->uncertaintyDialog;
    }
    ResultExplorer *openExplorer()
    {
        click(QStringLiteral("exploreResultsButton"));
        EXPECT_NE(form->resultExplorer, nullptr);
        EXPECT_TRUE(form->resultExplorer->isVisible());
        return form->resultExplorer;
    }
    static void runAndWait(AnalysisDialog *dialog)
    {
        QTest::mouseClick(dialog->runButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->busy(), kRunWaitMs);
    }
    // Varies only the given parameters in the uncertainty dialog.
    static void varyOnly(UncertaintyDialog *dialog, std::initializer_list<Parameter> varied)
    {
        for (int i = 0; i < kParameterCount; ++i)
            dialog->ranges->varyBox(static_cast<Parameter>(i))->setChecked(false);
        for (Parameter p : varied)
            dialog->ranges->varyBox(p)->setChecked(true);
    }
    static const DrawnSeries *drawn(const std::vector<DrawnSeries> &all, const QString &name)
    {
        for (const DrawnSeries &s : all) {
            if (s.name == name)
                return &s;
        }
        return nullptr;
    }
    static QStringList names(const std::vector<DrawnSeries> &all)
    {
        QStringList list;
        for (const DrawnSeries &s : all)
            list.append(s.name);
        return list;
    }
};

TEST_F(AnalysisWindows, TheButtonsStandInTheAnalysisSlotsBelowTheGraphButtons)
{
    const std::pair<const char *, const char *> buttons[]
        = {{"sensitivityButton", "Sensitivity..."}, {"uncertaintyButton", "Uncertainty..."},
            {"exploreResultsButton", "Explore results..."}};
    int slot = 2;
    for (const auto &[name, caption] : buttons) {
        auto *button = find<QPushButton>(QString::fromLatin1(name));
        EXPECT_EQ(button->text(), QString::fromLatin1(caption));
        EXPECT_EQ(button->geometry(), QRect(16, 68 + 11 * 29 + slot * 29, 200, 26)) << name;
        ++slot;
    }
}

// ---------------------------------------------------------------------------------------------
// Sensitivity

TEST_F(AnalysisWindows, SensitivityRunsBesideTheWindowAndShowsSortedEffects)
{
    const ModelState before = records();
    SensitivityDialog *dialog = openSensitivity();
    EXPECT_EQ(dialog->ranges->lowerEdit(Parameter::AC)->text(), QStringLiteral("0.05"));
    EXPECT_EQ(dialog->ranges->upperEdit(Parameter::TN)->text(), QStringLiteral("1.09")); // cold
    EXPECT_EQ(dialog->ranges->lowerEdit(Parameter::DC)->text(), QStringLiteral("0.0001"));
    EXPECT_EQ(dialog->trajectoriesSpin->value(), 20);
    EXPECT_EQ(dialog->levelsSpin->value(), 4);
    EXPECT_EQ(dialog->seedEdit->text(), QStringLiteral("1"));
    EXPECT_FALSE(dialog->exportButton->isEnabled());

    dialog->trajectoriesSpin->setValue(4);
    runAndWait(dialog);
    ASSERT_TRUE(dialog->result().has_value()) << dialog->statusLabel->text().toStdString();
    EXPECT_TRUE(
        dialog->statusLabel->text().startsWith(QStringLiteral("4 trajectories, 68 runs in ")))
        << dialog->statusLabel->text().toStdString();
    EXPECT_EQ(dialog->progressBar->value(), 68);
    EXPECT_TRUE(dialog->exportButton->isEnabled());

    // Rows sorted by mu*, largest first; the chart lists the parameters in the same order.
    const auto muStarAt = [&](int row) { return dialog->table->item(row, 2)->text().toDouble(); };
    for (int row = 1; row < kParameterCount; ++row)
        EXPECT_GE(muStarAt(row - 1), muStarAt(row));
    QStringList tableOrder;
    for (int row = 0; row < kParameterCount; ++row)
        tableOrder.append(dialog->table->item(row, 0)->text());
    EXPECT_EQ(dialog->chartParameters(), tableOrder);
    const std::vector<double> bars = dialog->chartMuStar();
    ASSERT_EQ(bars.size(), 16u);
    EXPECT_EQ(ResultNumber(bars[0]), dialog->table->item(0, 2)->text());
    EXPECT_TRUE(std::is_sorted(bars.rbegin(), bars.rend()));

    // On "total P. out" only the phosphorus parameters move anything.
    dialog->seriesCombo->setCurrentIndex(3);
    QStringList top = dialog->chartParameters().mid(0, 2);
    top.sort();
    EXPECT_EQ(top, (QStringList {QStringLiteral("AF"), QStringLiteral("PP")}));
    for (int row = 2; row < kParameterCount; ++row)
        EXPECT_EQ(dialog->table->item(row, 2)->text(), QStringLiteral("0"));

    // Each code has its name beside it, as on the Parameters screen, and every column is as
    // wide as its texts: no number is cut.
    int named = 0;
    for (int row = 0; row < kParameterCount; ++row) {
        const QString code = QStringLiteral(" (") + dialog->table->item(row, 0)->text() + u')';
        for (const QLabel *label : form->parameterLabels) {
            if (label->text().endsWith(code)) {
                EXPECT_EQ(label->text(), dialog->table->item(row, 1)->text() + code);
                ++named;
            }
        }
    }
    EXPECT_EQ(named, kParameterCount);
    EXPECT_EQ(dialog->table->horizontalHeaderItem(1)->text(), QStringLiteral("Name"));
    dialog->seriesCombo->setCurrentIndex(0);
    QApplication::processEvents();
    for (int column = 0; column < dialog->table->columnCount(); ++column) {
        for (int row = 0; row < kParameterCount; ++row) {
            const QString text = dialog->table->item(row, column)->text();
            const int needed = dialog->table->fontMetrics().horizontalAdvance(text);
            EXPECT_GE(dialog->table->columnWidth(column), needed) << text.toStdString();
        }
    }
    const int columns = dialog->table->horizontalHeader()->length();
    EXPECT_LE(columns, dialog->table->viewport()->width()) << "the table cuts its columns";

    // The project is as it was.
    EXPECT_EQ(records().parameters, before.parameters);
    EXPECT_EQ(records().days.node(30).box, before.days.node(30).box);

    TempDir dir;
    const std::string file = (dir / "effects.csv").string();
    dialogs.saveAnswers.push_back(QString::fromStdString(file));
    QTest::mouseClick(dialog->exportButton, Qt::LeftButton);
    const std::vector<std::string> lines = Lines(ReadText(file));
    ASSERT_EQ(lines.size(), 177u);
    EXPECT_EQ(lines[0], "parameter,series,mu,mu_star,sigma");
}

TEST_F(AnalysisWindows, SensitivityRefusesRangesARunWouldNotKeep)
{
    SensitivityDialog *dialog = openSensitivity();
    dialog->ranges->lowerEdit(Parameter::AC)->setText(QStringLiteral("0.01"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    EXPECT_FALSE(dialog->busy());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("The range of AC must lie within "
                                                            "0.05 to 2")));

    dialog->ranges->lowerEdit(Parameter::AC)->setText(QStringLiteral("0,5"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].contains(QStringLiteral("not a number: \"0,5\"")))
        << dialogs.messages[1].toStdString();

    dialog->seedEdit->setText(QStringLiteral("-4"));
    click(QStringLiteral("climateRangesButton"));
    EXPECT_EQ(dialog->ranges->lowerEdit(Parameter::AC)->text(), QStringLiteral("0.05"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_TRUE(dialogs.messages[2].contains(QStringLiteral("seed")));
    EXPECT_FALSE(dialog->result().has_value());
}

TEST_F(AnalysisWindows, CancelStopsARunningAnalysisAndTheWindowAnswersMeanwhile)
{
    SensitivityDialog *dialog = openSensitivity();
    dialog->trajectoriesSpin->setValue(1000); // 17000 runs
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_TRUE(dialog->busy());
    EXPECT_FALSE(dialog->runButton->isEnabled());
    EXPECT_FALSE(dialog->ranges->isEnabled());
    EXPECT_TRUE(dialog->cancelButton->isEnabled());
    // The main window draws a graph while the runs go on.
    form->Button11Click();
    EXPECT_TRUE(form->PaintBox1->request().has_value());
    QTRY_VERIFY_WITH_TIMEOUT(dialog->progressBar->value() > 0, kRunWaitMs);

    QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->busy(), kRunWaitMs);
    EXPECT_TRUE(dialog->statusLabel->text().startsWith(QStringLiteral("Cancelled after ")))
        << dialog->statusLabel->text().toStdString();
    EXPECT_TRUE(dialog->statusLabel->text().endsWith(QStringLiteral(" of 17000 runs.")));
    EXPECT_FALSE(dialog->result().has_value());
    EXPECT_TRUE(dialog->runButton->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The seed fields of both windows take exactly what --seed takes: every 64-bit seed.
TEST_F(AnalysisWindows, SeedFieldsTakeWhatTheBatchRunnerTakes)
{
    SensitivityDialog *sensitivity = openSensitivity();
    sensitivity->trajectoriesSpin->setValue(2);
    UncertaintyDialog *uncertainty = openUncertainty();
    uncertainty->samplesSpin->setValue(10);
    for (AnalysisDialog *dialog :
        std::initializer_list<AnalysisDialog *> {sensitivity, uncertainty}) {
        dialogs.messages.clear();
        dialog->seedEdit->setText(QStringLiteral("18446744073709551616"));
        QTest::mouseClick(dialog->runButton, Qt::LeftButton);
        EXPECT_FALSE(dialog->busy());
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].toStdString(),
            "The seed must be a whole number from 0 to 18446744073709551615, not "
            "\"18446744073709551616\".");
        dialog->seedEdit->setText(QStringLiteral("18446744073709551615"));
        runAndWait(dialog);
        EXPECT_EQ(dialogs.messages.size(), 1) << dialogs.messages.join(u'\n').toStdString();
    }
    EXPECT_TRUE(sensitivity->result().has_value());
    EXPECT_TRUE(uncertainty->result().has_value());
}

// ---------------------------------------------------------------------------------------------
// Uncertainty

TEST_F(AnalysisWindows, UncertaintyMakesBandsOfTheVariedParametersAndKeepsThemForTheExplorer)
{
    form->observedGrid().setCell(4, 10, "1.5");
    form->observedGrid().setCell(4, 20, "2.5");
    form->observedGrid().setCell(4, 30, "1e6");
    UncertaintyDialog *dialog = openUncertainty();
    EXPECT_EQ(dialog->samplesSpin->value(), 200);
    varyOnly(dialog, {Parameter::PP, Parameter::AF});
    EXPECT_FALSE(dialog->ranges->lowerEdit(Parameter::AC)->isEnabled());
    dialog->samplesSpin->setValue(30);
    runAndWait(dialog);
    ASSERT_TRUE(dialog->result().has_value()) << dialog->statusLabel->text().toStdString();
    EXPECT_TRUE(dialog->statusLabel->text().startsWith(QStringLiteral("30 samples in ")))
        << dialog->statusLabel->text().toStdString();

    const UncertaintyResult &result = *dialog->result();
    EXPECT_EQ(result.days, 60);
    EXPECT_EQ(result.bands[0].lower, result.bands[0].upper); // BOD5 cannot move
    EXPECT_NE(result.bands[3].lower, result.bands[3].upper);
    EXPECT_EQ(dialog->table->item(3, 1)->text(), QStringLiteral("3"));
    EXPECT_EQ(dialog->table->item(0, 1)->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog->table->item(0, 2)->text(), QStringLiteral("-"));
    EXPECT_EQ(dialog->table->item(3, 2)->text(), ResultNumber(result.fit[3].pFactor));
    EXPECT_LE(result.fit[3].pFactor, 2.0 / 3.0); // 1e6 lies outside

    ASSERT_TRUE(form->uncertaintyBands().has_value());
    EXPECT_EQ((*form->uncertaintyBands())[3].upper, result.bands[3].upper);
    // A new run changes the results: the band of the earlier ones goes.
    click(QStringLiteral("Button8"));
    EXPECT_FALSE(form->uncertaintyBands().has_value());

    TempDir dir;
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "bands.csv").string()));
    QTest::mouseClick(dialog->exportBandsButton, Qt::LeftButton);
    EXPECT_EQ(Lines(ReadText(dir / "bands.csv")).size(), 61u);
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "report.csv").string()));
    QTest::mouseClick(dialog->exportReportButton, Qt::LeftButton);
    EXPECT_EQ(Lines(ReadText(dir / "report.csv"))[4].substr(0, 15), "total P. out,3,");
}

// The project keeps a band only while its run inputs are those the samples started from: a
// parameter changed meanwhile refuses it; simulating the same inputs again does not (the band
// belongs to those inputs, which is what the earlier rule by counting runs could not tell).
TEST_F(AnalysisWindows, ABandOfAProjectChangedMeanwhileIsNotKept)
{
    UncertaintyDialog *dialog = openUncertainty();
    dialog->samplesSpin->setValue(3000);
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_TRUE(dialog->busy());
    click(QStringLiteral("Button7"));
    retype(QStringLiteral("Edit20"), QStringLiteral("0.75")); // AC, while the samples run
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->busy(), kRunWaitMs);
    ASSERT_TRUE(dialog->result().has_value());
    EXPECT_TRUE(dialog->statusLabel->text().endsWith(
        QStringLiteral("The project changed meanwhile, so the explorer does not show this band.")))
        << dialog->statusLabel->text().toStdString();
    EXPECT_FALSE(form->uncertaintyBands().has_value());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
        QStringLiteral("The project changed while the samples ran, so it does not keep this band "
                       "and the explorer does not show it."));
    dialogs.messages.clear();

    click(QStringLiteral("Button6"));
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    ASSERT_TRUE(dialog->busy());
    click(QStringLiteral("Button8")); // "Simulate" the same inputs while the samples run
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->busy(), kRunWaitMs);
    EXPECT_TRUE(form->uncertaintyBands().has_value()) << dialog->statusLabel->text().toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
}

TEST_F(AnalysisWindows, UncertaintyWithoutAVariedParameterRunsNothing)
{
    UncertaintyDialog *dialog = openUncertainty();
    varyOnly(dialog, {});
    QTest::mouseClick(dialog->runButton, Qt::LeftButton);
    EXPECT_FALSE(dialog->busy());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0], QStringLiteral("Choose at least one parameter to vary."));
}

TEST_F(AnalysisWindows, AnotherProjectClosesTheAnalysisWindows)
{
    openSensitivity();
    openUncertainty();
    openExplorer();
    form->NewProject1Click(); // the save prompt
    form->Button26Click(); // "Don't save"
    EXPECT_EQ(form->sensitivityDialog, nullptr);
    EXPECT_EQ(form->uncertaintyDialog, nullptr);
    EXPECT_EQ(form->resultExplorer, nullptr);
}

// ---------------------------------------------------------------------------------------------
// The result explorer

TEST_F(AnalysisWindows, TheExplorerDrawsTheChosenSeriesWithTheirMeasurements)
{
    form->observedGrid().setCell(1, 5, "12.5");
    form->observedGrid().setCell(1, 9, "0.0001"); // no measurement
    form->observedGrid().setCell(1, 10, "14");
    form->observedGrid().setCell(6, 2, "55");
    const SeriesValues series = ResultSeries(records());
    ResultExplorer *explorer = openExplorer();
    EXPECT_EQ(explorer->windowFlags() & Qt::Window, Qt::Window);

    std::vector<DrawnSeries> all = explorer->drawnSeries();
    EXPECT_EQ(names(all),
        (QStringList {QStringLiteral("BOD5 out"), QStringLiteral("BOD5 out observed")}));
    const DrawnSeries *bod = drawn(all, QStringLiteral("BOD5 out"));
    ASSERT_NE(bod, nullptr);
    EXPECT_EQ(bod->kind, QStringLiteral("line"));
    EXPECT_EQ(bod->unit, QStringLiteral("mg/L"));
    EXPECT_EQ(bod->points, 60);
    EXPECT_EQ(bod->first, QPointF(1, series[0][0]));
    EXPECT_EQ(bod->last, QPointF(60, series[0][59]));
    const DrawnSeries *observed = drawn(all, QStringLiteral("BOD5 out observed"));
    ASSERT_NE(observed, nullptr);
    EXPECT_EQ(observed->kind, QStringLiteral("markers"));
    EXPECT_EQ(observed->points, 2);
    EXPECT_EQ(observed->first, QPointF(5, 12.5));
    EXPECT_EQ(observed->last, QPointF(10, 14));
    EXPECT_EQ(explorer->hoverText(QStringLiteral("BOD5 out observed"), 10),
        QStringLiteral("day 10: 14 mg/L"));
    EXPECT_EQ(explorer->hoverText(QStringLiteral("BOD5 out"), 12.4),
        QStringLiteral("day 12: %1 mg/L").arg(QString::number(series[0][11], 'g', 6)));
    EXPECT_EQ(explorer->dayAxis->titleText(), QStringLiteral("Day"));
    EXPECT_EQ(explorer->concentrationAxis->titleText(), QStringLiteral("Concentration (mg/L)"));
    EXPECT_EQ(explorer->dayAxis->min(), 1);
    EXPECT_EQ(explorer->dayAxis->max(), 60);

    // A second series in percent goes on the efficiency axis, with its own measurement.
    explorer->seriesList->item(5)->setCheckState(Qt::Checked);
    all = explorer->drawnSeries();
    const DrawnSeries *efficiency = drawn(all, QStringLiteral("eff. BOD5 rem"));
    ASSERT_NE(efficiency, nullptr);
    EXPECT_EQ(efficiency->unit, QStringLiteral("%"));
    EXPECT_EQ(efficiency->points, 60);
    EXPECT_EQ(drawn(all, QStringLiteral("eff. BOD5 rem observed"))->first, QPointF(2, 55));
    EXPECT_TRUE(explorer->chartView->chart()
                    ->axes(Qt::Vertical)
                    .contains(static_cast<QAbstractAxis *>(explorer->efficiencyAxis)));
    EXPECT_EQ(explorer->efficiencyAxis->titleText(), QStringLiteral("Removal efficiency (%)"));

    explorer->showObserved->setChecked(false);
    EXPECT_EQ(names(explorer->drawnSeries()),
        (QStringList {QStringLiteral("BOD5 out"), QStringLiteral("eff. BOD5 rem")}));
    EXPECT_FALSE(explorer->showBand->isEnabled()); // nothing computed yet
    EXPECT_FALSE(explorer->showPrevious->isEnabled());
}

TEST_F(AnalysisWindows, TheExplorerShowsEveryBoxOfAVariable)
{
    ResultExplorer *explorer = openExplorer();
    explorer->seriesList->item(0)->setCheckState(Qt::Unchecked);
    explorer->boxVariable->setCurrentText(QStringLiteral("NIT"));
    const std::vector<DrawnSeries> all = explorer->drawnSeries();
    EXPECT_EQ(names(all),
        (QStringList {QStringLiteral("NIT-A"), QStringLiteral("NIT-B"), QStringLiteral("NIT-C"),
            QStringLiteral("NIT-D"), QStringLiteral("NIT-E")}));
    for (int x = 0; x < kBoxCount; ++x) {
        const DrawnSeries &box = all[static_cast<std::size_t>(x)];
        EXPECT_EQ(box.unit, QStringLiteral("mg/L"));
        EXPECT_EQ(
            box.first, QPointF(1, records().days.node(1).box.concentration(Variable::NIT, x)));
        EXPECT_EQ(
            box.last, QPointF(60, records().days.node(60).box.concentration(Variable::NIT, x)));
    }
    explorer->boxVariable->setCurrentText(QStringLiteral("TPO"));
    EXPECT_EQ(explorer->drawnSeries()[0].name, QStringLiteral("TPO-A"));
}

TEST_F(AnalysisWindows, TheExplorerShowsTheBandAndThePreviousRun)
{
    UncertaintyDialog *dialog = openUncertainty();
    varyOnly(dialog, {Parameter::OC, Parameter::DC});
    dialog->samplesSpin->setValue(10);
    runAndWait(dialog);
    QTest::mouseClick(dialog->exploreButton, Qt::LeftButton);
    ResultExplorer *explorer = form->resultExplorer;
    ASSERT_NE(explorer, nullptr);
    EXPECT_TRUE(explorer->showBand->isEnabled());
    std::vector<DrawnSeries> all = explorer->drawnSeries();
    const DrawnSeries *band = drawn(all, QStringLiteral("BOD5 out 95 % band"));
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->kind, QStringLiteral("band"));
    EXPECT_EQ(band->points, 60);
    const auto bands = form->uncertaintyBands(); // a copy of what the project keeps
    ASSERT_TRUE(bands.has_value());
    const PredictionBand &bod = (*bands)[0];
    EXPECT_EQ(band->first, QPointF(1, bod.upper[0]));
    EXPECT_EQ(band->last, QPointF(60, bod.upper[59]));
    EXPECT_EQ(explorer->hoverText(QStringLiteral("BOD5 out 95 % band"), 7),
        QStringLiteral("day 7: %1 to %2 mg/L")
            .arg(QString::number(bod.lower[6], 'g', 6), QString::number(bod.upper[6], 'g', 6)));
    // With an efficiency and its band the % axis ends at 100 unless a value lies above, and
    // the mg/L axis at the round value just above its highest value.
    explorer->seriesList->item(5)->setCheckState(Qt::Checked);
    const ExplorerData shown = form->explorerData();
    double highest = 0;
    for (double v : shown.current.series[5])
        highest = std::max(highest, v);
    for (double v : (*bands)[5].upper)
        highest = std::max(highest, v);
    EXPECT_GE(explorer->efficiencyAxis->max(), highest);
    if (highest <= 100) {
        EXPECT_LE(explorer->efficiencyAxis->max(), 100);
    }
    for (const QString &label : explorer->efficiencyAxis->categoriesLabels())
        EXPECT_FALSE(label.startsWith(u"-0") && label.toDouble() == 0) << label.toStdString();
    double concentration = 0;
    for (double v : bod.upper)
        concentration = std::max(concentration, v);
    for (double v : shown.current.series[0])
        concentration = std::max(concentration, v);
    const double top = explorer->concentrationAxis->max();
    EXPECT_GE(top, concentration);
    const QStringList ticks = explorer->concentrationAxis->categoriesLabels();
    ASSERT_GE(ticks.size(), 2);
    EXPECT_EQ(ticks.first(), QStringLiteral("0"));
    EXPECT_EQ(ticks.last().toDouble(), top); // the top of the axis is labelled, and round
    const double step = ticks[1].toDouble() - ticks[0].toDouble();
    EXPECT_LT(top - concentration, step);
    explorer->seriesList->item(5)->setCheckState(Qt::Unchecked);
    explorer->showBand->setChecked(false);
    EXPECT_EQ(drawn(explorer->drawnSeries(), QStringLiteral("BOD5 out 95 % band")), nullptr);

    // A calibration's previous run goes beside the calibrated one.
    ExplorerData data = form->explorerData();
    ExplorerRun previous = data.current;
    for (double &v : previous.series[0])
        v += 1;
    data.previous = previous;
    explorer->setData(data);
    EXPECT_TRUE(explorer->showPrevious->isEnabled());
    all = explorer->drawnSeries();
    EXPECT_EQ(names(all),
        (QStringList {QStringLiteral("BOD5 out (before calibration)"),
            QStringLiteral("BOD5 out (calibrated)")}));
    EXPECT_EQ(all[0].first.y(), all[1].first.y() + 1);
}

TEST_F(AnalysisWindows, AnAppliedCalibrationIsTheRunBefore)
{
    EXPECT_FALSE(form->explorerData().previous.has_value());
    const double firstBefore = form->explorerData().current.series[0][0];
    const double lastBefore = form->explorerData().current.series[0].back();
    ModelParameters calibrated = records().parameters;
    calibrated.set(Parameter::OC, calibrated.get(Parameter::OC) * 0.5);
    ASSERT_TRUE(form->applyCalibration(calibrated));
    const ExplorerData data = form->explorerData();
    ASSERT_TRUE(data.previous.has_value());
    EXPECT_EQ(data.previous->series[0][0], firstBefore);
    EXPECT_EQ(data.previous->series[0].back(), lastBefore);
    EXPECT_NE(data.current.series[0].back(), lastBefore);

    ResultExplorer *explorer = openExplorer();
    EXPECT_TRUE(explorer->showPrevious->isEnabled());

    // Undone, or another project: nothing from before a calibration is left.
    ASSERT_TRUE(form->UndoCalibrationClick().has_value());
    EXPECT_FALSE(form->explorerData().previous.has_value());
    ASSERT_TRUE(form->applyCalibration(calibrated));
    form->NewProject1Click(); // the save prompt
    form->Button26Click(); // "Don't save"
    EXPECT_FALSE(form->explorerData().previous.has_value());
    EXPECT_FALSE(form->calibrationUndoable());
}

TEST_F(AnalysisWindows, TheExplorerZoomsPansAndResets)
{
    ResultExplorer *explorer = openExplorer();
    explorer->resize(1000, 600);
    QApplication::processEvents();
    ExplorerChartView *view = explorer->chartView;
    const QPointF centre = view->chart()->plotArea().center();
    QWheelEvent wheel(centre, view->mapToGlobal(centre.toPoint()), QPoint(), QPoint(0, 120),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    const double width = explorer->dayAxis->max() - explorer->dayAxis->min();
    EXPECT_NEAR(width, 59 / 1.25, 0.5);
    const double min = explorer->dayAxis->min();
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_GT(explorer->dayAxis->min(), min);
    // Zoomed in, fewer days are drawn.
    EXPECT_LT(explorer->drawnSeries()[0].points, 60);

    QTest::mouseClick(explorer->resetZoomButton, Qt::LeftButton);
    EXPECT_EQ(explorer->dayAxis->min(), 1);
    EXPECT_EQ(explorer->dayAxis->max(), 60);
    EXPECT_EQ(explorer->drawnSeries()[0].points, 60);
}

TEST_F(AnalysisWindows, TheExplorerDrawsAHundredYearsWithAFewPointsAPixelColumn)
{
    ResultExplorer *explorer = openExplorer();
    explorer->resize(1000, 600);
    QApplication::processEvents();
    ExplorerData data;
    for (std::size_t c = 0; c < kSeriesCount; ++c) {
        data.current.series[c].resize(36500);
        for (std::size_t d = 0; d < 36500; ++d)
            data.current.series[c][d] = std::sin(static_cast<double>(d) / 50.0);
    }
    data.current.series[0][20000] = 9; // a one-day peak
    data.current.boxes.resize(36500);
    explorer->setData(data);
    const DrawnSeries line = explorer->drawnSeries()[0];
    const int columns = static_cast<int>(explorer->chartView->chart()->plotArea().width());
    EXPECT_GT(columns, 300);
    EXPECT_LE(line.points, 2 * columns + 2);
    EXPECT_EQ(line.first, QPointF(1, 0));
    EXPECT_EQ(line.last.x(), 36500);
    auto *series = qobject_cast<QXYSeries *>(explorer->chartView->chart()->series()[0]);
    ASSERT_NE(series, nullptr);
    bool peak = false;
    for (const QPointF &p : series->points())
        peak = peak || p == QPointF(20001, 9);
    EXPECT_TRUE(peak);
}

TEST_F(AnalysisWindows, TheChartExportsAsPngSvgAndPdf)
{
    ResultExplorer *explorer = openExplorer();
    TempDir dir;
    const std::pair<const char *, const char *> files[]
        = {{"chart.png", "\x89PNG"}, {"chart.svg", "<?xml"}, {"chart.pdf", "%PDF"}};
    for (const auto &[name, start] : files) {
        dialogs.exportAnswers.push_back({QString::fromStdString((dir / name).string()), 800, 500});
        QTest::mouseClick(explorer->exportButton, Qt::LeftButton);
        EXPECT_EQ(ReadText(dir / name).substr(0, std::string(start).size()), start) << name;
    }
    dialogs.exportAnswers.push_back(
        {QString::fromStdString((dir / "chart.bmp").string()), 800, 500});
    QTest::mouseClick(explorer->exportButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(QStringLiteral("Charts can be exported as")));
    EXPECT_FALSE(std::filesystem::exists(dir / "chart.bmp"));
}

} // namespace
