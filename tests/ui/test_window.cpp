// The window as a user drives it: start sequence, climate choice, navigation and its copies.

#include "window_fixture.h"

#include "model/climate.h"
#include "model/number_text.h"
#include "ui/graph_box.h"
#include "ui/grid_view.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class Window : public WindowTest
{ };

TEST_F(Window, IsTheMainWindowWithItsMenu)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Carexa 2.0"));
    EXPECT_EQ(form->Client->size(), QSize(878, 630));
    // The captions as they read; each entry has its key (Alt+F, then the underlined letter).
    QStringList entries;
    QStringList keys;
    for (QAction *action : form->File1->actions()) {
        entries.append(QString(action->text()).remove(u'&'));
        const qsizetype amp = action->text().indexOf(u'&');
        if (amp >= 0)
            keys.append(action->text().mid(amp + 1, 1).toLower());
    }
    EXPECT_EQ(entries,
        (QStringList {QStringLiteral("New Project"), QStringLiteral("Save Project"),
            QStringLiteral("Load Project"), QStringLiteral("Recent Projects"),
            QStringLiteral("Examples"), QString(), QStringLiteral("Import forcing data..."),
            QStringLiteral("Import observed values..."), QStringLiteral("Export"), QString(),
            QStringLiteral("Design report..."), QStringLiteral("Print Options"), QString(),
            QStringLiteral("Close Project"), QStringLiteral("Exit")}));
    EXPECT_EQ(keys.size(), 11);
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size())
        << keys.join(u' ').toStdString();
    EXPECT_EQ(form->File1->title(), QStringLiteral("&File"));
    for (QMenu *menu : {form->PrintOptions1, form->Graph1, form->Datasheet1})
        EXPECT_TRUE(menu->title().contains(u'&')) << menu->title().toStdString();
    EXPECT_EQ(form->Graph1->actions().size(), 11);
    EXPECT_EQ(form->Datasheet1->actions().size(), 3);
    for (const char *box :
        {"PreDesignBox", "DesignBox", "InitialBox", "ParameterBox", "SimulateBox"}) {
        QGroupBox *screen = find<QGroupBox>(QString::fromLatin1(box));
        EXPECT_EQ(screen->geometry(), QRect(16, 16, 841, 593));
        EXPECT_FALSE(screen->isVisible());
    }
}

TEST_F(Window, AltFOpensTheFileMenu)
{
    chooseCold();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::AltModifier);
    QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget *>(form->File1));
    form->File1->hide();
}

// Larger, the graph and the grids grow and the way-on buttons keep to the corners; smaller, the
// screens keep their size and scroll. The window keeps its size for the next start.
TEST_F(Window, ResizesAroundTheScreensAndKeepsItsSize)
{
    openSimulateScreen();
    click(QStringLiteral("Button11")); // a graph to draw again at the new size
    auto *scroll = find<QScrollArea>(QStringLiteral("clientScroll"));
    const QRect graph = form->PaintBox1->geometry();
    const QRect back = find(QStringLiteral("Button7"))->geometry();
    const QRect exportButton = find(QStringLiteral("ExportGraph"))->geometry();
    const QRect graphButton = find(QStringLiteral("Button11"))->geometry();
    const QRect explore = find(QStringLiteral("exploreResultsButton"))->geometry();

    form->resize(form->width() + 200, form->height() + 100);
    QTRY_COMPARE(form->Client->size(), QSize(1078, 730));
    EXPECT_EQ(form->SimulateBox->size(), QSize(1041, 693));
    EXPECT_EQ(form->PaintBox1->geometry(), graph.adjusted(0, 0, 200, 100));
    EXPECT_EQ(find(QStringLiteral("Button7"))->geometry(), back.translated(0, 100));
    EXPECT_EQ(find(QStringLiteral("ExportGraph"))->geometry(), exportButton.translated(200, 100));
    EXPECT_EQ(find(QStringLiteral("Button11"))->geometry(), graphButton);
    // The left column stays whole, also below the graph's first bottom.
    EXPECT_EQ(find(QStringLiteral("exploreResultsButton"))->geometry(), explore);
    // The graph draws to its new size: the last day on the longer day axis.
    EXPECT_EQ(GraphPlotFrame(form->PaintBox1->layout()).right, 688);
    EXPECT_EQ(form->PaintBox1->picture().size(), form->PaintBox1->size());

    // The forcing grid and the tables grow too.
    click(QStringLiteral("Button9"));
    EXPECT_EQ(find(QStringLiteral("DataGrid"))->size(), QSize(1001, 541));
    click(QStringLiteral("Button23"));
    click(QStringLiteral("Button7"));
    click(QStringLiteral("Button5"));
    click(QStringLiteral("Button24"));
    EXPECT_EQ(find(QStringLiteral("DesignBox"))->size(), QSize(1041, 693));
    EXPECT_EQ(form->InfluenceGrid->size(), QSize(850, 594));
    EXPECT_EQ(find(QStringLiteral("Button4"))->geometry().topLeft(), QPoint(872, 652));
    EXPECT_EQ(find(QStringLiteral("Button3"))->geometry().left(), 872);
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());

    // Smaller than at first: the screens keep their first size, and the scroll bars reach them.
    form->resize(600, 400);
    QTRY_VERIFY(scroll->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(scroll->verticalScrollBar()->isVisible());
    EXPECT_EQ(form->Client->size(), QSize(878, 630));
    EXPECT_EQ(form->DesignBox->size(), QSize(841, 593));
    EXPECT_EQ(form->InfluenceGrid->size(), QSize(650, 494));
    click(QStringLiteral("Button4"));
    click(QStringLiteral("Button25"));
    click(QStringLiteral("Button6"));
    EXPECT_EQ(form->PaintBox1->geometry(), graph);

    // The next window starts at the size this one was left at.
    form->resize(760, 560);
    const QSize left = form->size();
    TForm1 next(dialogs);
    EXPECT_EQ(next.size(), left);
}

TEST_F(Window, StartSequenceRunsOnceAndEndsWithTheClimateChoice)
{
    finishStart();
    EXPECT_FALSE(find<QLabel>(QStringLiteral("BackGround"))->pixmap().isNull());
    EXPECT_TRUE(find(QStringLiteral("WarmClimateBtn"))->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();

    click(QStringLiteral("ColdClimateBtn"));
    // Another activation does not bring the pictures and the climate buttons back.
    form->FormActivate();
    QTest::qWait(20);
    EXPECT_FALSE(find(QStringLiteral("ColdClimateBtn"))->isVisible());
    EXPECT_TRUE(find(QStringLiteral("PreDesignBox"))->isVisible());
}

TEST(StartPictures, AMissingPictureIsReportedAndTheClimateChoiceStillComes)
{
    QTemporaryDir empty;
    ScriptedDialogs dialogs;
    TForm1::Options options;
    options.startPictureDelayMs = 0;
    options.dataFolders = QStringList {empty.path()};
    TForm1 form(dialogs, options);
    form.show();
    QTRY_VERIFY(form.ColdClimateBtn->isVisible());
    EXPECT_TRUE(form.WarmClimateBtn->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(dialogs.messages[i],
            QStringLiteral("The start picture \"%1\" could not be loaded: it is neither beside "
                           "the program nor in its data folders.")
                .arg(
                    i == 0 ? QStringLiteral("prebackground.bmp") : QStringLiteral("Version4.bmp")));
    }
}

// The window tests run in the build folder, where the build draws the pictures: found there
// without being told where to look.
TEST_F(Window, FindsTheStartPicturesOfTheBuild)
{
    finishStart();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(form->BackGround->pixmap().size(), QSize(971, 684));
}

TEST_F(Window, ClimateButtonsOpenAColouredProject)
{
    finishStart();
    click(QStringLiteral("WarmClimateBtn"));
    EXPECT_EQ(records().climate, kWarmClimate);
    EXPECT_TRUE(form->ProjectOpen);
    EXPECT_TRUE(form->PreDesignBox->isVisible());
    EXPECT_FALSE(form->ColdClimateBtn->isVisible());
    EXPECT_EQ(form->CurrentScreen, 0);
    for (QWidget *screen :
        {static_cast<QWidget *>(form->PreDesignBox), static_cast<QWidget *>(form->SimulateBox),
            static_cast<QWidget *>(form->DataPanel), static_cast<QWidget *>(form->ObservedPanel)})
        EXPECT_EQ(screen->palette().color(QPalette::Window), QColor(129, 203, 97));
}

TEST_F(Window, ForcingFunctionsNeedADesignFirst)
{
    chooseCold();
    click(QStringLiteral("Button35"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(
        dialogs.messages[0], QStringLiteral("Please calculate design results before continuing!"));
    EXPECT_TRUE(form->PreDesignBox->isVisible());
    EXPECT_EQ(form->CurrentScreen, 0);

    calculateExampleDesign();
    retype(QStringLiteral("Edit7"), QString()); // emptied inputs do not block once calculated
    click(QStringLiteral("Button35"));
    EXPECT_TRUE(form->DesignBox->isVisible());
    EXPECT_FALSE(form->PreDesignBox->isVisible());
    EXPECT_EQ(form->CurrentScreen, 1);
}

TEST_F(Window, NavigationCopiesTheRecordsIntoEachScreen)
{
    chooseCold();
    calculateExampleDesign();
    click(QStringLiteral("Button35"));
    // The volume unrounded, the length as a whole number.
    records().initial.set(BoxField::VO, 180.123456);
    click(QStringLiteral("Button36"));
    EXPECT_EQ(form->Label122->text(), QStringLiteral("180.1235"));
    EXPECT_EQ(form->CurrentScreen, 0);
    click(QStringLiteral("Button35"));
    EXPECT_EQ(edit(QStringLiteral("Edit1"))->text(), QStringLiteral("180.123456"));
    EXPECT_EQ(edit(QStringLiteral("Edit19"))->text(), QStringLiteral("60"));

    records().initial.setConcentration(Variable::AMM, 2, 6.5);
    click(QStringLiteral("Button4"));
    EXPECT_EQ(form->CurrentScreen, 2);
    EXPECT_EQ(edit(QStringLiteral("Edit62"))->text(), QStringLiteral("6.5"));
    EXPECT_EQ(edit(QStringLiteral("Edit39"))->text(), QStringLiteral("0.0001"));

    records().parameters.set(Parameter::DC, 3.5);
    click(QStringLiteral("Button25"));
    EXPECT_EQ(form->CurrentScreen, 3);
    EXPECT_EQ(edit(QStringLiteral("Edit22"))->text(), QStringLiteral("3.5"));
    EXPECT_EQ(edit(QStringLiteral("Edit23"))->text(), QStringLiteral("0.0001"));

    records().stepsPerDay = 35;
    records().days.node(1).box.setConcentration(Variable::BOD5, 4, 12.3456789);
    click(QStringLiteral("Button6"));
    EXPECT_EQ(form->CurrentScreen, 4);
    EXPECT_EQ(edit(QStringLiteral("Edit36"))->text(), QStringLiteral("35"));
    EXPECT_EQ(form->dataGrid().cell(1, 1), "12.345679"); // six decimals on entering

    click(QStringLiteral("Button7"));
    EXPECT_EQ(form->CurrentScreen, 3);
    click(QStringLiteral("Button5"));
    EXPECT_EQ(form->CurrentScreen, 2);
    records().days.node(3).day.set(DayField::temperature, 14.5);
    click(QStringLiteral("Button24"));
    EXPECT_EQ(form->CurrentScreen, 1);
    EXPECT_EQ(form->influenceGrid().cell(1, 3), "14.5");
}

TEST_F(Window, ParameterHintsAndGridLegend)
{
    const QLabel *ko = form->parameterLabels[static_cast<std::size_t>(Parameter::KO)];
    EXPECT_EQ(ko->text(), QStringLiteral("Half saturation constant for nitrification (KO)"));
    EXPECT_EQ(ko->toolTip(), QStringLiteral("Range: 0.01 - 2.0"));
    EXPECT_EQ(ko->toolTipDuration(), 3500);
    const QWidget *grid = find(QStringLiteral("InfluenceGrid"));
    EXPECT_TRUE(grid->toolTip().startsWith(QStringLiteral("Temp. = average C. daily \n")));
    EXPECT_EQ(grid->toolTipDuration(), 3500);
}

TEST_F(Window, EnterMovesOnLikeTab)
{
    chooseCold();
    QLineEdit *width = edit(QStringLiteral("Edit7"));
    width->setFocus(Qt::TabFocusReason);
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), edit(QStringLiteral("Edit8")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), edit(QStringLiteral("Edit9")));
}

TEST_F(Window, AWholeRunFromTheDefaultProjectInTheColdClimate)
{
    openSimulateScreen();
    click(QStringLiteral("Button8"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    const QProgressBar *bar = find<QProgressBar>(QStringLiteral("ProgressBar1"));
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 60);
    EXPECT_EQ(bar->value(), 60); // full once the run is done
    ModelParameters cold;
    ApplyClimatePreset(cold, kColdClimate);
    EXPECT_EQ(records().parameters, cold);
    EXPECT_EQ(form->dataGrid().cell(1, 1), "10");
    for (int row = 1; row <= 60; ++row)
        EXPECT_NO_THROW(ParseDouble(form->dataGrid().cell(11, row))) << row;
}

TEST_F(Window, ATimeStepBelowOneIsRefused)
{
    openSimulateScreen();
    retype(QStringLiteral("Edit36"), QStringLiteral("0"));
    EXPECT_EQ(records().stepsPerDay, 0);
    const std::string before = form->dataGrid().cell(1, 1);
    click(QStringLiteral("Button8"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("time step")));
    EXPECT_EQ(records().parameters, ModelParameters()); // no replacement happened
    EXPECT_EQ(form->dataGrid().cell(1, 1), before);

    retype(QStringLiteral("Edit36"), QStringLiteral("35.7"));
    EXPECT_EQ(records().stepsPerDay, 35);
}

} // namespace
