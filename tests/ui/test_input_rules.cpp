// Rules the window shares with the batch runner: a run refuses a negative retention time, and a
// longer simulation gives its new days day 1's bed, whether the length is typed or an import
// brings more days.

#include "window_fixture.h"

#include "app/data_files.h"
#include "model/number_text.h"
#include "project/project_file.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QProgressBar>

#include <sstream>

#include <sys/stat.h>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class InputRules : public WindowTest
{
protected:
    void loadExample()
    {
        dialogs.openAnswers.push_back(
            QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string()));
        form->LoadProject1->trigger();
        ASSERT_EQ(records().simulationLength, 365);
    }
    std::string writeFile(const char *name, const std::string &text)
    {
        WriteText(dir / name, text);
        return (dir / name).string();
    }
    double day(int k, DayField field) { return records().days.node(k).day.get(field); }

    TempDir dir;
};

TEST_F(InputRules, SimulateRefusesANegativeRetentionTimeAndChangesNothing)
{
    openSimulateScreen();
    click(QStringLiteral("Button8"));
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    records().days.node(40).day.set(DayField::RTB, -2.5);
    records().days.node(45).day.set(DayField::RTB, -1);
    const std::string before = ProjectText(records(), form->project().observed(), DesignTexts {});
    const std::uint64_t sheet = form->dataGrid().revision();
    auto *bar = find<QProgressBar>(QStringLiteral("ProgressBar1"));
    const int barBefore = bar->value();

    click(QStringLiteral("Button8"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].toStdString(),
        "Day 40 has a negative retention time (RTB -2.5); a retention time cannot be negative.");
    EXPECT_EQ(ProjectText(records(), form->project().observed(), DesignTexts {}), before);
    EXPECT_EQ(form->dataGrid().revision(), sheet);
    EXPECT_EQ(bar->value(), barBefore);

    // Zero is a retention time.
    records().days.node(40).day.set(DayField::RTB, 0);
    records().days.node(45).day.set(DayField::RTB, 0);
    click(QStringLiteral("Button8"));
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_NE(form->dataGrid().revision(), sheet);
}

TEST_F(InputRules, ATypedLengthGivesTheNewDaysTheBedOfDayOne)
{
    openForcingScreen();
    retype(QStringLiteral("Edit3"), QStringLiteral("0.4"));
    retype(QStringLiteral("Edit13"), QStringLiteral("1.5"));
    leave();
    click(QStringLiteral("Button3")); // "Calculate water volume": 0.4 x 180 x 0.2 a box
    ASSERT_DOUBLE_EQ(day(1, DayField::boxWaterVolume), 14.4);
    records().days.node(60).day.set(DayField::bod5In, 140);

    retype(QStringLiteral("Edit19"), QStringLiteral("70"));
    leave();
    ASSERT_EQ(records().simulationLength, 70);
    for (int k = 61; k <= 70; ++k) {
        EXPECT_EQ(day(k, DayField::porosity), 0.4) << k;
        EXPECT_EQ(day(k, DayField::oxygenC), 1.5) << k;
        EXPECT_EQ(day(k, DayField::boxWaterVolume), day(1, DayField::boxWaterVolume)) << k;
        EXPECT_EQ(records().days.node(k).box.get(BoxField::VO), 180) << k;
        EXPECT_EQ(day(k, DayField::bod5In), 0.0001) << k;
        EXPECT_EQ(form->influenceGrid().cell(3, k), "0.0001") << k;
    }
    EXPECT_EQ(day(60, DayField::bod5In), 140);
}

// The window's import and the batch runner's --forcing lengthen the same project to the same
// days, value for value.
TEST_F(InputRules, AnImportLengthensAsTheBatchRunnerDoes)
{
    loadExample();
    const std::string file
        = writeFile("long.csv", "Day,temp.,water flow,RTB\n1,5.5,30,2\n380,6,31,1.5\n400,7,32,3\n");
    dialogs.askAnswers.push_back(UserDialogs::Answer::Yes);
    dialogs.openAnswers.push_back(QString::fromStdString(file));
    form->findChild<QAction *>(QStringLiteral("Importforcingdata1"))->trigger();
    ASSERT_EQ(records().simulationLength, 400);

    batch::Session session;
    batch::LoadSession(session, ExampleFile("cold_climate_bed.mdl"));
    batch::ParsedArguments parsed;
    parsed.values["--forcing"] = {file};
    std::ostringstream warnings;
    batch::ImportDataFiles(session, parsed, warnings);
    // The file brings retention times for days 1, 380 and 400 only; the days added between
    // have none calculated for their flows.
    EXPECT_EQ(warnings.str(),
        "carexa-sim: warning: Retention times were calculated for other flows on days 366-379 "
        "and 381-399. The run uses them as they are; --recalculate calculates them as "
        "\"Calculate water volume\" and \"Calculate RTB values\" do.\n");
    ASSERT_EQ(session.state().simulationLength, 400);
    for (int k = 1; k <= 400; ++k) {
        EXPECT_EQ(records().days.node(k).day, session.state().days.node(k).day) << k;
        EXPECT_EQ(records().days.node(k).box.get(BoxField::VO),
            session.state().days.node(k).box.get(BoxField::VO))
            << k;
    }
    EXPECT_EQ(day(390, DayField::porosity), day(1, DayField::porosity));
    EXPECT_EQ(day(390, DayField::boxWaterVolume), day(1, DayField::boxWaterVolume));
    EXPECT_EQ(day(390, DayField::waterFlow), 0.0001);
    EXPECT_EQ(day(380, DayField::RTB), 1.5);
}

// An import of a named pipe is refused at once, as the project reader refuses one.
TEST_F(InputRules, AnImportOfANamedPipeIsRefusedWithoutWaiting)
{
    loadExample();
    const std::string before = ProjectText(records(), form->project().observed(), DesignTexts {});
    ASSERT_EQ(::mkfifo((dir / "pipe.csv").c_str(), 0600), 0);
    for (const char *action : {"Importforcingdata1", "Importobservedvalues1"}) {
        dialogs.messages.clear();
        dialogs.openAnswers.push_back(QString::fromStdString((dir / "pipe.csv").string()));
        form->findChild<QAction *>(QString::fromLatin1(action))->trigger();
        ASSERT_EQ(dialogs.messages.size(), 1) << action;
        EXPECT_TRUE(dialogs.messages[0].endsWith(
            QStringLiteral("cannot be read: it is a named pipe (FIFO), not a regular file.")))
            << dialogs.messages[0].toStdString();
    }
    EXPECT_EQ(ProjectText(records(), form->project().observed(), DesignTexts {}), before);
}

} // namespace
