// The results a run made stay on show as it made them: editing an input after a run leaves the
// data sheet, the graphs, the fit and the explorer as they were, marked out of date until the
// next run.

#include "window_fixture.h"

#include "project/project.h"
#include "results/data_sheet.h"
#include "results/graph.h"
#include "support/recording_canvas.h"
#include "support/temp_dir.h"
#include "ui/fit_statistics_panel.h"
#include "ui/graph_box.h"
#include "ui/grid_view.h"
#include "ui/result_explorer.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class FrozenResults : public WindowTest
{
protected:
    void SetUp() override
    {
        dialogs.openAnswers.push_back(
            QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string()));
        form->LoadProject1->trigger();
        for (const char *next : {"Button35", "Button4", "Button25", "Button6"})
            click(QString::fromLatin1(next));
        click(QStringLiteral("Button8"));
        ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    }
    GraphBox *graph() { return find<GraphBox>(QStringLiteral("PaintBox1")); }
    void trigger(const char *name)
    {
        form->findChild<QAction *>(QString::fromLatin1(name))->trigger();
    }
    // RTB of day 40 typed into the forcing grid, and AC on the Parameters screen.
    void editInputs()
    {
        auto *grid = find<GridView>(QStringLiteral("InfluenceGrid"));
        ASSERT_TRUE(grid->model()->setData(grid->model()->index(39, 10), QStringLiteral("9")));
        form->InfluenceGridExit();
        ASSERT_EQ(records().days.node(40).day.get(DayField::RTB), 9);
        retype(QStringLiteral("Edit20"), QStringLiteral("0.9"));
        ASSERT_EQ(records().parameters.get(Parameter::AC), 0.9);
    }
    std::vector<std::string> sheetCells()
    {
        std::vector<std::string> cells;
        for (int r = 1; r <= 365; ++r) {
            for (int c = 1; c <= kSeriesCount; ++c)
                cells.push_back(form->dataGrid().cell(c, r));
        }
        return cells;
    }
};

TEST_F(FrozenResults, EditingAnRtbAndAParameterLeavesTheSheetAndTheGraphAsTheRunMadeThem)
{
    click(QStringLiteral("Button9"));
    const std::vector<std::string> sheet = sheetCells();
    click(QStringLiteral("Button23"));
    click(QStringLiteral("Button11"));
    const std::vector<double> drawn = graph()->shownValues();
    ASSERT_EQ(drawn.size(), 365u);
    EXPECT_FALSE(graph()->request()->stale);
    const QImage picture = graph()->picture();

    editInputs();
    EXPECT_TRUE(form->project().stale(Derived::Results));
    // The records alone would give another outflow on day 40 (what the sheet showed before).
    TextGrid recomputed(5, 5);
    FillSimulationDataSheet(records(), recomputed, kDataSheetButton);
    EXPECT_NE(recomputed.cell(1, 40), sheet[39 * kSeriesCount]);

    // Every fill of the sheet shows the run's results, whatever the format.
    click(QStringLiteral("Button22"));
    click(QStringLiteral("Button23"));
    click(QStringLiteral("Button9"));
    EXPECT_EQ(sheetCells(), sheet);
    click(QStringLiteral("Button23"));
    click(QStringLiteral("Button11"));
    EXPECT_EQ(graph()->shownValues(), drawn);
    EXPECT_TRUE(graph()->request()->stale);
    EXPECT_NE(graph()->picture(), picture); // the mark above the plot
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();

    // The next run takes the new inputs and the mark goes.
    click(QStringLiteral("Button8"));
    EXPECT_FALSE(form->project().stale(Derived::Results));
    EXPECT_FALSE(graph()->request()->stale);
    EXPECT_NE(graph()->shownValues(), drawn);
    click(QStringLiteral("Button9"));
    EXPECT_NE(sheetCells(), sheet);
}

TEST_F(FrozenResults, TheFitTableAndTheExplorerAreMarkedUntilTheNextRun)
{
    click(QStringLiteral("fitStatisticsButton"));
    FitStatisticsPanel *panel = form->fitStatisticsPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->staleLabel()->isVisible());
    const FitTable fit = form->projectFit();
    click(QStringLiteral("exploreResultsButton"));
    auto *explorer = form->findChild<ResultExplorer *>(QStringLiteral("ResultExplorer"));
    ASSERT_NE(explorer, nullptr);
    EXPECT_FALSE(explorer->staleLabel->isVisible());
    const SeriesValues series = explorer->data().current.series;

    editInputs();
    EXPECT_TRUE(panel->staleLabel()->isVisible());
    EXPECT_TRUE(panel->staleLabel()->text().startsWith(QStringLiteral("Out of date")));
    EXPECT_EQ(form->projectFit(), fit); // the statistics of the run as it was
    EXPECT_TRUE(explorer->staleLabel->isVisible());
    EXPECT_EQ(explorer->staleLabel->text(), QString::fromUtf8(kStaleGraphText));
    EXPECT_TRUE(form->explorerData().resultsStale);
    EXPECT_EQ(form->explorerData().current.series, series);

    click(QStringLiteral("Button8"));
    EXPECT_FALSE(panel->staleLabel()->isVisible());
    EXPECT_FALSE(explorer->staleLabel->isVisible());
    EXPECT_FALSE(form->explorerData().resultsStale);
    EXPECT_NE(form->explorerData().current.series, series);
}

// A printed graph and an exported picture of out-of-date results carry the mark too.
TEST_F(FrozenResults, PrintedGraphsOfOutOfDateResultsSaySo)
{
    trigger("BOD5out1");
    ASSERT_EQ(dialogs.printedPages.size(), 1u);
    EXPECT_FALSE(dialogs.printedPages[0].hasText(std::string(kStaleGraphText)));
    editInputs();
    trigger("BOD5out1");
    ASSERT_EQ(dialogs.printedPages.size(), 1u);
    const RecordingCanvas::Text *mark
        = dialogs.printedPages[0].textAt(kPrintGraphLayout.staleX, kPrintGraphLayout.staleY);
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->text, kStaleGraphText);
}

} // namespace
