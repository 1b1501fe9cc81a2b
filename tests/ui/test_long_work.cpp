// Long work in the window: a run in the background with Cancel, loading and saving large
// projects, and result tables that are not filled again when nothing changed.

#include "window_fixture.h"

#include "model/climate.h"
#include "model/observed_grid.h"
#include "project/project_file.h"
#include "support/temp_dir.h"
#include "ui/graph_box.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

using namespace carexa;
using carexa::testing_support::ExampleFile;
using carexa::testing_support::ReadText;
using carexa::testing_support::TempDir;
using carexa::testing_support::WindowTest;

namespace {

class LongWork : public WindowTest
{
protected:
    // The cold example repeated to `days` days, loaded as "Load Project" does, on the Simulate
    // screen with a graph drawn.
    void openLongProject(int days)
    {
        finishStart();
        ModelState year;
        const LoadedProject example = ReadProjectFile(ExampleFile("cold_climate_bed.mdl"));
        ApplyProject(example, year);
        std::vector<DayValues> forcing;
        for (const DayNode &node : year.days.active())
            forcing.push_back(node.day);
        year.setSimulationLength(days);
        std::size_t d = 0;
        for (DayNode &node : year.days.active())
            node.day = forcing[d++ % forcing.size()];
        TextGrid observed(12, 61);
        FillObservedGrid(example, observed);
        SaveProjectFile(dir / "long.mdl", year, observed, LoadedDesignTexts(example));
        dialogs.openAnswers.push_back(QString::fromStdString((dir / "long.mdl").string()));
        form->LoadProject1Click();
        ASSERT_EQ(records().simulationLength, days);
        form->Button35Click();
        form->Button4Click();
        form->Button25Click();
        form->Button6Click();
        click(QStringLiteral("Button11"));
    }

    // Clicks `name` as soon as the event loop runs (inside the next long work).
    void clickSoon(const QString &name)
    {
        QTimer::singleShot(
            0, form.get(), [this, name] { QTest::mouseClick(find(name), Qt::LeftButton); });
    }

    std::string projectText() { return ProjectText(records(), form->project().observed(), {}); }

    // Compares two long texts without the line-by-line difference of a plain comparison, which
    // would need memory in the square of their lengths.
    static testing::AssertionResult Same(const std::string &a, const std::string &b)
    {
        const auto [first, second] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
        if (first == a.end() && second == b.end())
            return testing::AssertionSuccess();
        const auto at = static_cast<std::size_t>(first - a.begin());
        return testing::AssertionFailure()
            << "the texts differ from byte " << at << ": \"" << a.substr(at, 40) << "\" vs \""
            << b.substr(at, 40) << "\"";
    }

    TempDir dir;
};

// A cancelled run leaves every record, the sheet and the graph as they were; a run after it
// completes and fills the bar.
TEST_F(LongWork, CancelledRunChangesNothingAndTheNextRunCompletes)
{
    openLongProject(36500);
    click(QStringLiteral("Button8")); // results to compare with
    const std::string before = projectText();
    const std::uint64_t sheet = form->dataGrid().revision();
    const std::string cell = form->dataGrid().cell(1, 20000);
    const QImage graph = find<GraphBox>(QStringLiteral("PaintBox1"))->picture();
    auto *bar = find<QProgressBar>(QStringLiteral("ProgressBar1"));
    const int barBefore = bar->value();

    retype(QStringLiteral("Edit23"),
        QStringLiteral("1.5")); // OC: a change the cancelled run must not apply
    const std::string changed = projectText();
    clickSoon(QStringLiteral("cancelRunButton"));
    click(QStringLiteral("Button8"));
    EXPECT_FALSE(form->taskRunning());
    EXPECT_TRUE(Same(projectText(), changed));
    EXPECT_FALSE(Same(projectText(), before));
    EXPECT_EQ(form->dataGrid().revision(), sheet);
    EXPECT_EQ(form->dataGrid().cell(1, 20000), cell);
    // The graph keeps the results of the run before; the change of OC marks them out of date.
    const auto *box = find<GraphBox>(QStringLiteral("PaintBox1"));
    EXPECT_NE(box->picture(), graph);
    ASSERT_TRUE(box->request().has_value());
    EXPECT_TRUE(box->request()->stale);
    EXPECT_TRUE(form->project().stale(Derived::Results));
    EXPECT_EQ(bar->value(), barBefore);
    EXPECT_FALSE(find(QStringLiteral("cancelRunButton"))->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();

    click(QStringLiteral("Button8"));
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_FALSE(box->request()->stale);
    EXPECT_NE(form->dataGrid().revision(), sheet);
    EXPECT_NE(form->dataGrid().cell(1, 20000), cell); // the faster decomposition of BOD5 shows
    EXPECT_EQ(records().parameters.get(Parameter::OC), 1.5);
}

TEST_F(LongWork, EscCancelsARunAndOtherInputWaits)
{
    openLongProject(36500);
    const std::string before = projectText();
    QTimer::singleShot(0, form.get(), [this] {
        // A click elsewhere is held back while the run goes on; Esc stops it.
        QTest::mouseClick(find(QStringLiteral("Button7")), Qt::LeftButton);
        QTest::keyClick(form.get(), Qt::Key_Escape);
    });
    click(QStringLiteral("Button8"));
    EXPECT_EQ(form->CurrentScreen, TForm1::SimulateScreen);
    EXPECT_TRUE(find(QStringLiteral("SimulateBox"))->isVisible());
    EXPECT_TRUE(Same(projectText(), before));
}

TEST_F(LongWork, ClosingTheWindowDuringARunStopsTheRunInstead)
{
    openLongProject(36500);
    const std::string before = projectText();
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    click(QStringLiteral("Button8"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(programEnds, 0);
    EXPECT_TRUE(Same(projectText(), before));
}

TEST_F(LongWork, ACancelledLoadKeepsTheOpenProject)
{
    openLongProject(36500);
    records().parameters.set(Parameter::NC, 0.77);
    const std::string before = projectText();
    // "Cancel" in the progress dialog as soon as it is there.
    QTimer canceller;
    int cancels = 0;
    QObject::connect(&canceller, &QTimer::timeout, [this, &cancels] {
        if (auto *progress = form->findChild<QProgressDialog *>(QStringLiteral("progressDialog"))) {
            if (auto *cancel = progress->findChild<QPushButton *>()) {
                cancel->click();
                ++cancels;
            }
        }
    });
    canceller.start(1);
    form->requestLoad(QString::fromStdString((dir / "long.mdl").string()));
    ASSERT_TRUE(find(QStringLiteral("PromptBox"))->isVisible()); // a project is open
    click(QStringLiteral("Button26")); // "Don't save": the load goes on and is cancelled
    canceller.stop();
    EXPECT_GE(cancels, 1);
    EXPECT_TRUE(Same(projectText(), before));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
}

// The workbook is written in the background like every long work: "Cancel" in its progress
// dialog stops it, and no file is left behind.
TEST_F(LongWork, ACancelledWorkbookLeavesNoFile)
{
    openLongProject(36500);
    click(QStringLiteral("Button8"));
    QTimer canceller;
    int cancels = 0;
    bool inBackground = false;
    QObject::connect(&canceller, &QTimer::timeout, [this, &cancels, &inBackground] {
        if (auto *progress = form->findChild<QProgressDialog *>(QStringLiteral("progressDialog"))) {
            inBackground = inBackground || form->taskRunning();
            EXPECT_EQ(progress->windowTitle(), QStringLiteral("Export workbook"));
            if (auto *cancel = progress->findChild<QPushButton *>()) {
                cancel->click();
                ++cancels;
            }
        }
    });
    canceller.start(1);
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "long.xlsx").string()));
    form->findChild<QAction *>(QStringLiteral("Workbookxlsx1"))->trigger();
    canceller.stop();
    EXPECT_GE(cancels, 1);
    EXPECT_TRUE(inBackground);
    EXPECT_FALSE(std::filesystem::exists(dir / "long.xlsx"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0], QStringLiteral("The workbook was not written."));
}

TEST_F(LongWork, ALargeProjectSavesAsTheEngineWritesIt)
{
    openLongProject(36500);
    click(QStringLiteral("Button8"));
    dialogs.saveAnswers.push_back(QString::fromStdString((dir / "saved.mdl").string()));
    ASSERT_TRUE(form->SaveProjectFile());
    EXPECT_EQ(ReadText(dir / "saved.mdl").substr(0, 4000), projectText().substr(0, 4000));
    EXPECT_EQ(ReadProjectFile(dir / "saved.mdl").simulationLength, 36500);
}

// Opening the Simulate screen again, and closing the additional results again, fill nothing
// when nothing changed; a cell changed or a new run fills again.
TEST_F(LongWork, UnchangedProjectsAreNotFilledAgain)
{
    openSimulateScreen();
    click(QStringLiteral("Button8"));
    click(QStringLiteral("Button7"));
    click(QStringLiteral("Button6"));
    const std::uint64_t filled = form->dataGrid().revision();
    click(QStringLiteral("Button7"));
    click(QStringLiteral("Button6"));
    EXPECT_EQ(form->dataGrid().revision(), filled);

    click(QStringLiteral("Button22"));
    click(QStringLiteral("Button23"));
    const std::uint64_t closed = form->dataGrid().revision();
    const std::uint64_t table = form->additionalGrid().revision();
    EXPECT_NE(closed, filled); // six decimals and the zero rule
    click(QStringLiteral("Button22"));
    EXPECT_EQ(form->additionalGrid().revision(), table);
    click(QStringLiteral("Button23"));
    EXPECT_EQ(form->dataGrid().revision(), closed);

    // A cleaned cell fills the sheet again. It shows the run's results as they were computed, so
    // records written since (a day's box values, an initial value) leave it as it is; the
    // additional results, which are the days' box values, show the new value.
    form->dataGrid().setCell(6, 3, "0.0001");
    click(QStringLiteral("Button22"));
    click(QStringLiteral("Button23"));
    EXPECT_NE(form->dataGrid().cell(6, 3), "0.0001");
    const std::uint64_t refilled = form->dataGrid().revision();
    records().days.node(4).box.setConcentration(Variable::BOD5, 4, 77);
    click(QStringLiteral("Button22"));
    EXPECT_EQ(form->additionalGrid().cell(5, 4), "77");
    click(QStringLiteral("Button23"));
    EXPECT_EQ(form->dataGrid().revision(), refilled);
    click(QStringLiteral("Button7"));
    click(QStringLiteral("Button6"));
    const std::uint64_t entered = form->dataGrid().revision();
    click(QStringLiteral("Button7"));
    records().initial.setConcentration(Variable::BOD5, 4, 12);
    click(QStringLiteral("Button6"));
    EXPECT_EQ(form->dataGrid().revision(), entered);
    // A new run fills it again.
    click(QStringLiteral("Button8"));
    EXPECT_NE(form->dataGrid().revision(), refilled);
}

TEST_F(LongWork, TimeStepsAboveTheLimitAreRefused)
{
    openSimulateScreen();
    retype(QStringLiteral("Edit36"), QStringLiteral("100000"));
    EXPECT_EQ(records().stepsPerDay, 100000);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    QTest::keyClicks(edit(QStringLiteral("Edit36")), QStringLiteral("0"));
    EXPECT_EQ(records().stepsPerDay, 100000);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("100000")));
    EXPECT_EQ(edit(QStringLiteral("Edit36"))->text(), QStringLiteral("100000"));
    records().stepsPerDay = 100001; // as a file could not hold it, but the run checks again
    click(QStringLiteral("Button8"));
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].contains(QStringLiteral("at most 100000")));
}

} // namespace
