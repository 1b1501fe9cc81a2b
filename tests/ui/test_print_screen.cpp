// Printing from the menu, print previews and the export of a graph.

#include "window_fixture.h"

#include "app/batch_runner.h"
#include "model/number_text.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QMenu>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <sstream>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class PrintScreen : public WindowTest
{
protected:
    void SetUp() override { openSimulateScreen(); }
    void trigger(const char *name)
    {
        form->findChild<QAction *>(QString::fromLatin1(name))->trigger();
    }
    // Day numbers printed on a recorded page.
    std::vector<int> days(const RecordingCanvas &page)
    {
        std::vector<int> found;
        for (const auto &text : page.texts) {
            if (text.x == 150 && text.y >= 600)
                found.push_back(ParseInteger(text.text));
        }
        return found;
    }
    TempDir dir;
};

TEST_F(PrintScreen, AGraphPrintsOnOnePageWithTheLegendOnlyForObservedValues)
{
    click(QStringLiteral("Button8"));
    trigger("Nitrateout1");
    ASSERT_EQ(dialogs.offeredPages, std::vector<int> {1});
    ASSERT_EQ(dialogs.printedPages.size(), 1u);
    const RecordingCanvas &page = dialogs.printedPages[0];
    EXPECT_EQ(page.segmentsIn(kRed).front().x1, 380); // day 1 of 60: 320 + 3584 / 60
    EXPECT_EQ(page.segmentsIn(kRed).back().x2, 3904);
    EXPECT_EQ(page.textAt(2000, 60)->text, "Nitrate out");
    EXPECT_FALSE(page.hasText("Simulated: "));
    // The value labels end before their ticks (the recording measures 7 units a character).
    const RecordingCanvas::Text *top = nullptr;
    for (const auto &text : page.texts)
        top = text.y == 210 ? &text : top;
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->x + 7 * static_cast<int>(top->text.size()), 260);

    find<QCheckBox>(QStringLiteral("CheckObs"))->setChecked(true);
    trigger("EffPhosrem1");
    EXPECT_TRUE(dialogs.printedPages[0].hasText("Simulated: "));
    EXPECT_TRUE(dialogs.printedPages[0].hasText("Observed: "));
    EXPECT_EQ(dialogs.printedPages[0].textAt(195, 70)->text, " % ");
}

TEST_F(PrintScreen, AGraphOfEmptyValuesHasNoValueLabels)
{
    trigger("BOD5out1"); // nothing simulated: every cell is at most 0.0001
    const RecordingCanvas &page = dialogs.printedPages.at(0);
    for (const auto &text : page.texts)
        EXPECT_NE(text.y, 210) << text.text;
    EXPECT_TRUE(page.hasText("days"));
    EXPECT_TRUE(page.hasText("BOD5 out"));
}

// Printing a graph asks for it, as its button does, so it cleans the observed cells it reads;
// exporting the shown graph only draws it. Both draw the run's results, so a sheet cell typed
// over is neither read nor cleaned.
TEST_F(PrintScreen, AGraphPrintCleansItsCellsAndAnExportDoesNot)
{
    click(QStringLiteral("Button8"));
    find<QCheckBox>(QStringLiteral("CheckObs"))->setChecked(true);
    click(QStringLiteral("Button17"));
    form->dataGrid().setCell(7, 3, "abc");
    form->observedGrid().setCell(7, 4, "n/a");
    dialogs.exportAnswers.push_back({QString::fromStdString((dir / "nit.png").string()), 400, 300});
    click(QStringLiteral("ExportGraph"));
    EXPECT_TRUE(std::filesystem::exists(dir / "nit.png"));
    EXPECT_EQ(form->dataGrid().cell(7, 3), "abc");
    EXPECT_EQ(form->observedGrid().cell(7, 4), "n/a");

    dialogs.printAnswers.push_back({false});
    trigger("EffNitrem1");
    EXPECT_EQ(form->observedGrid().cell(7, 4), "n/a"); // cancelled: nothing drawn, nothing cleaned
    trigger("EffNitrem1");
    EXPECT_EQ(form->observedGrid().cell(7, 4), "0.0001");
    EXPECT_EQ(form->dataGrid().cell(7, 3), "abc");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PrintScreen, CancellingPrintsNothing)
{
    dialogs.printAnswers.push_back({false});
    trigger("Printmodelparameters1");
    EXPECT_TRUE(dialogs.printedPages.empty());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'|').toStdString();
}

TEST_F(PrintScreen, TheSimulationDataSheetPrintsFiftyDaysAPageWithFourAndTwoDecimals)
{
    records().days.node(3).box.setConcentration(Variable::BOD5, 4, 12.3456789);
    dialogs.printAnswers.push_back({false});
    trigger("Simulationdatasheet1");
    EXPECT_EQ(dialogs.offeredPages.back(), 2);
    EXPECT_EQ(form->dataGrid().cell(1, 3), "12.3457"); // refilled although cancelled

    trigger("Simulationdatasheet1");
    ASSERT_EQ(dialogs.printedPages.size(), 2u);
    std::vector<int> first(50), second(10);
    std::iota(first.begin(), first.end(), 1);
    std::iota(second.begin(), second.end(), 51);
    EXPECT_EQ(days(dialogs.printedPages[0]), first);
    EXPECT_EQ(days(dialogs.printedPages[1]), second);
    EXPECT_EQ(dialogs.printedPages[0].textAt(400, 840)->text, "12.3457");
}

TEST_F(PrintScreen, PageRangesAndTheObservedLength)
{
    retype(QStringLiteral("Edit36"), QStringLiteral("70"));
    click(QStringLiteral("Button7"));
    click(QStringLiteral("Button5"));
    click(QStringLiteral("Button24"));
    retype(QStringLiteral("Edit19"), QStringLiteral("120"));
    leave();
    dialogs.printAnswers.push_back({true, 2, 2});
    trigger("Forcingfunctions1");
    EXPECT_EQ(dialogs.offeredPages.back(), 3);
    ASSERT_EQ(dialogs.printedPages.size(), 1u);
    std::vector<int> expected(50);
    std::iota(expected.begin(), expected.end(), 51);
    EXPECT_EQ(days(dialogs.printedPages[0]), expected);

    records().observedLength = 30;
    trigger("Observedvalues1");
    EXPECT_EQ(dialogs.offeredPages.back(), 1);
    EXPECT_EQ(days(dialogs.printedPages[0]).size(), 30u);
    EXPECT_EQ(dialogs.printedPages[0].textAt(300, 150)->text, "Observed Data");
}

TEST_F(PrintScreen, TheParameterListPairsValuesWithLabels)
{
    click(QStringLiteral("Button7"));
    retype(QStringLiteral("Edit33"), QStringLiteral("0.25"));
    trigger("Printmodelparameters1");
    const RecordingCanvas &page = dialogs.printedPages.at(0);
    const int pnY = 630 + 13 * 100;
    EXPECT_EQ(page.textAt(400, pnY)->text, "Max. plant uptake-rate of nitrate (PN)");
    EXPECT_EQ(page.textAt(3000, pnY)->text, "0.25");

    trigger("Print1");
    EXPECT_EQ(dialogs.printedPages.at(0).textAt(400, 450)->text, "Initial Values & Design:");
    // Day 1's own volume, which "Calculate water volume" sets, not the design's.
    EXPECT_EQ(dialogs.printedPages.at(0).textAt(1350, 730)->text, "0.0001");
    EXPECT_EQ(dialogs.printedPages.at(0).textAt(1350, 630)->text, "60");
}

TEST_F(PrintScreen, PreviewsDrawTheSameDocuments)
{
    trigger("PreviewSimulationdatasheet1");
    EXPECT_EQ(dialogs.previews, 1);
    EXPECT_EQ(dialogs.printedPages.size(), 2u);
    trigger("PreviewBOD5out1");
    EXPECT_EQ(dialogs.previews, 2);
    EXPECT_TRUE(dialogs.printedPages.at(0).hasText("BOD5 out"));
}

TEST_F(PrintScreen, PrintingATableToPdfGivesOnePagePerFiftyDays)
{
    dialogs.printToPdf = QString::fromStdString((dir / "sheet.pdf").string());
    trigger("Simulationdatasheet1");
    const std::string pdf = ReadText(dir / "sheet.pdf");
    ASSERT_FALSE(pdf.empty());
    EXPECT_NE(pdf.find("/Count 2"), std::string::npos);
}

TEST_F(PrintScreen, TheShownGraphExportsAsAPicture)
{
    click(QStringLiteral("ExportGraph"));
    ASSERT_EQ(dialogs.messages.size(), 1); // no graph shown yet
    click(QStringLiteral("Button8"));
    click(QStringLiteral("Button13"));
    const QString png = QString::fromStdString((dir / "amm.png").string());
    dialogs.exportAnswers.push_back({png, 800, 600});
    click(QStringLiteral("ExportGraph"));
    EXPECT_TRUE(dialogs.suggestedExports.back().file.endsWith(QStringLiteral("graph-amm-out.png")));
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(800, 600));
    bool red = false;
    for (int y = 0; y < image.height() && !red; ++y) {
        for (int x = 0; x < image.width() && !red; ++x) {
            const QColor c = image.pixelColor(x, y);
            red = c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    }
    EXPECT_TRUE(red);

    for (const char *name : {"amm.svg", "amm.pdf"}) {
        dialogs.exportAnswers.push_back({QString::fromStdString((dir / name).string()), 640, 480});
        click(QStringLiteral("ExportGraph"));
        EXPECT_GT(std::filesystem::file_size(dir / name), 500u) << name;
    }
    dialogs.exportAnswers.push_back({QString::fromStdString((dir / "amm.bmp").string()), 640, 480});
    click(QStringLiteral("ExportGraph"));
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "amm.bmp"));
}

// Exported pictures and printed files are written as the project is: a symbolic link keeps
// pointing at the file it names, which gets the new contents; a failure says why and leaves
// what was there.
TEST_F(PrintScreen, ExportsAndPrintedFilesAreWrittenWholeWithTheReasonOfAFailure)
{
    click(QStringLiteral("Button8"));
    click(QStringLiteral("Button13"));
    std::filesystem::create_directory(dir / "real");
    WriteText(dir / "real" / "graph.png", "old picture");
    std::filesystem::create_symlink("real/graph.png", dir / "graph.png");
    dialogs.exportAnswers.push_back(
        {QString::fromStdString((dir / "graph.png").string()), 400, 300});
    click(QStringLiteral("ExportGraph"));
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'|').toStdString();
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "graph.png"));
    EXPECT_EQ(QImage(QString::fromStdString((dir / "real" / "graph.png").string())).size(),
        QSize(400, 300));

    dialogs.exportAnswers.push_back(
        {QString::fromStdString((dir / "none" / "graph.svg").string()), 400, 300});
    click(QStringLiteral("ExportGraph"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].toStdString(),
        "The picture could not be saved to \"graph.svg\": No such file or directory.");
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));

    WriteText(dir / "sheet.pdf", "old");
    std::filesystem::create_symlink("sheet.pdf", dir / "link.pdf");
    dialogs.printToPdf = QString::fromStdString((dir / "link.pdf").string());
    trigger("Simulationdatasheet1");
    EXPECT_EQ(ReadText(dir / "sheet.pdf").substr(0, 5), "%PDF-");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.pdf"));
    dialogs.printToPdf = QString::fromStdString((dir / "none" / "sheet.pdf").string());
    trigger("Simulationdatasheet1");
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[1].toStdString(),
        "The printed document could not be saved to \"sheet.pdf\": No such file or directory.");
}

// carexa-sim --graph draws what "Export graph..." draws after "Simulate", byte for byte.
TEST_F(PrintScreen, TheBatchRunnerDrawsTheExportedGraph)
{
    const std::string project = ExampleFile("cold_climate_bed.mdl").string();
    form->requestLoad(QString::fromStdString(project));
    click(QStringLiteral("Button26")); // "Don't save" the project the test opened
    for (const char *button : {"Button35", "Button4", "Button25", "Button6", "Button8"})
        click(QString::fromLatin1(button));
    find<QCheckBox>(QStringLiteral("CheckObs"))->setChecked(true);
    click(QStringLiteral("Button19")); // "Efficiency ammo. rem.", column 8
    dialogs.exportAnswers.push_back(
        {QString::fromStdString((dir / "window.png").string()), 640, 480});
    click(QStringLiteral("ExportGraph"));
    ASSERT_TRUE(dialogs.messages.isEmpty());

    std::ostringstream out, err;
    ASSERT_EQ(RunBatch({"run", project, "--graph", "8:" + (dir / "batch.png").string(),
                           "--graph-size", "640x480"},
                  out, err),
        kBatchOk)
        << err.str();
    const std::string picture = ReadText(dir / "window.png");
    EXPECT_GT(picture.size(), 1000u);
    EXPECT_EQ(ReadText(dir / "batch.png"), picture);
}

// The legend of an exported graph: each sample in its series' colour, after its label.
TEST_F(PrintScreen, ExportedLegendSamplesAreColouredAndClearOfTheirLabels)
{
    click(QStringLiteral("Button8"));
    find<QCheckBox>(QStringLiteral("CheckObs"))->setChecked(true);
    click(QStringLiteral("Button12"));
    // 2150 x 1850 is the picture's layout at half size: the labels stand at y = 1700 and 1750,
    // the samples run along y = 1725 and 1775.
    const QString file = QString::fromStdString((dir / "legend.png").string());
    dialogs.exportAnswers.push_back({file, 2150, 1850});
    click(QStringLiteral("ExportGraph"));
    const QImage image(file);
    ASSERT_EQ(image.size(), QSize(2150, 1850));
    const auto rightmostDark = [&image](int top, int bottom) {
        int found = -1;
        for (int y = top; y <= bottom; ++y) {
            for (int x = 150; x < 1000; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() < 100 && c.green() < 100 && c.blue() < 100)
                    found = std::max(found, x);
            }
        }
        return found;
    };
    const auto leftmost = [&image](int y, auto isColour) {
        for (int x = 150; x < 1000; ++x) {
            if (isColour(image.pixelColor(x, y)))
                return x;
        }
        return -1;
    };
    const int simulatedLabelEnd = rightmostDark(1700, 1745);
    const int observedLabelEnd = rightmostDark(1750, 1795);
    const int redStart = leftmost(
        1725, [](const QColor &c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; });
    const int blueStart = leftmost(
        1775, [](const QColor &c) { return c.blue() > 200 && c.red() < 80 && c.green() < 80; });
    ASSERT_GT(simulatedLabelEnd, 250);
    ASSERT_GT(observedLabelEnd, 250);
    ASSERT_GT(redStart, 0);
    ASSERT_GT(blueStart, 0);
    EXPECT_GT(redStart, simulatedLabelEnd);
    EXPECT_GT(blueStart, observedLabelEnd);
    EXPECT_NEAR(redStart, blueStart, 3); // the two start together, up to their square caps
}

} // namespace
