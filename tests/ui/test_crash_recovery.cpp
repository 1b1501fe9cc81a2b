// The recovery copy: kept while the project has unsaved changes, gone after a save, "Don't
// save" or a clean exit, and offered at the next start after the program was killed.

#include "window_fixture.h"

#include "project/recovery_file.h"
#include "ui/grid_view.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <csignal>
#include <cstdio>

#include <signal.h>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class CrashRecovery : public WindowTest
{
protected:
    QString folder() const { return QString::fromStdString(recoveryDir.path().string()); }
    QStringList copies() const
    {
        return QDir(folder()).entryList({QStringLiteral("*.recovery")}, QDir::Files);
    }
    std::optional<RecoveryInfo> info(const QString &copy) const
    {
        return ReadRecoveryInfo(QFile::encodeName(QDir(folder()).filePath(copy)).toStdString());
    }
    void loadExample()
    {
        finishStart();
        form->requestLoad(example);
        ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    }
    /// The program started again over the same folder, its start sequence done.
    struct Start
    {
        ScriptedDialogs dialogs;
        std::unique_ptr<TForm1> form;
    };
    std::unique_ptr<Start> startAgain(std::deque<int> answers)
    {
        auto start = std::make_unique<Start>();
        start->dialogs.chooseAnswers = std::move(answers);
        TForm1::Options options;
        options.startPictureDelayMs = 0;
        options.exitProgram = [] {};
        options.recoveryFolder = folder();
        start->form = std::make_unique<TForm1>(start->dialogs, options);
        start->form->show();
        // The start sequence ends with the climate choice or a restored project.
        TForm1 &window = *start->form;
        EXPECT_TRUE(QTest::qWaitFor(
            [&window] { return window.ColdClimateBtn->isVisible() || window.ProjectOpen; }));
        return start;
    }
    static QString expectedQuestion(const QString &name, std::int64_t writtenAt)
    {
        return QStringLiteral("Carexa did not close properly. Restore the unsaved changes of %1 "
                              "from %2?")
            .arg(name, QDateTime::fromSecsSinceEpoch(writtenAt).toString(QStringLiteral("HH:mm")));
    }

    const QString example = QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string());
};

TEST_F(CrashRecovery, TheCopyAppearsAfterAnEditAndGoesWithASave)
{
    loadExample();
    form->keepRecoveryCopy();
    EXPECT_TRUE(copies().isEmpty()); // nothing unsaved, nothing to keep

    retype(QStringLiteral("Edit7"), QStringLiteral("21"));
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    form->keepRecoveryCopy();
    ASSERT_EQ(copies(), QStringList {QFileInfo(form->recoveryFile()).fileName()});
    const std::optional<RecoveryInfo> kept = info(copies()[0]);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->projectFile, QFile::encodeName(example).toStdString());
    EXPECT_GE(kept->writtenAt, before);
    EXPECT_LE(kept->writtenAt, QDateTime::currentSecsSinceEpoch());
    EXPECT_EQ(
        ReadRecoveryFile(QFile::encodeName(form->recoveryFile()).toStdString()).project.design[0],
        21.0);

    dialogs.saveAnswers.push_back(QDir(folder()).filePath(QStringLiteral("saved.mdl")));
    form->SaveProject1->trigger();
    EXPECT_TRUE(copies().isEmpty());

    // Typed back to what was saved: the copy goes by itself.
    retype(QStringLiteral("Edit7"), QStringLiteral("22"));
    form->keepRecoveryCopy();
    EXPECT_EQ(copies().size(), 1);
    retype(QStringLiteral("Edit7"), QStringLiteral("21"));
    QTRY_VERIFY(copies().isEmpty());

    // "Don't save" gives the changes up, and their copy.
    retype(QStringLiteral("Edit7"), QStringLiteral("23"));
    form->keepRecoveryCopy();
    EXPECT_EQ(copies().size(), 1);
    form->CloseProject1->trigger();
    click(QStringLiteral("Button26"));
    EXPECT_TRUE(copies().isEmpty());
}

TEST_F(CrashRecovery, ACleanExitLeavesNoCopy)
{
    chooseCold();
    type(QStringLiteral("Edit7"), QStringLiteral("12"));
    form->keepRecoveryCopy();
    EXPECT_EQ(copies().size(), 1);
    form->Exit1->trigger();
    click(QStringLiteral("Button26"));
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(copies().isEmpty());
}

TEST_F(CrashRecovery, TheCopyIsKeptEveryTwoMinutesAndBeforeARun)
{
    auto *timer = find<QTimer>(QStringLiteral("recoveryTimer"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 120000);
    EXPECT_TRUE(timer->isActive());

    // Before a run: the copy is written first.
    openSimulateScreen();
    EXPECT_TRUE(copies().isEmpty());
    click(QStringLiteral("Button8"));
    EXPECT_EQ(copies().size(), 1);

    // The timer alone brings it up to date (here every 50 ms).
    ScriptedDialogs otherDialogs;
    TempDir otherFolder;
    TForm1::Options options;
    options.startPictureDelayMs = 0;
    options.recoveryFolder = QString::fromStdString(otherFolder.path().string());
    options.recoveryIntervalMs = 50;
    TForm1 other(otherDialogs, options);
    other.show();
    QTRY_VERIFY(other.ColdClimateBtn->isVisible());
    QTest::mouseClick(other.ColdClimateBtn, Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_FALSE(QFileInfo::exists(other.recoveryFile())); // an untouched project
    other.findChild<QLineEdit *>(QStringLiteral("Edit7"))->setText(QStringLiteral("14"));
    QTRY_VERIFY(QFileInfo::exists(other.recoveryFile()));
    EXPECT_EQ(
        ReadRecoveryFile(QFile::encodeName(other.recoveryFile()).toStdString()).project.design[0],
        14.0);
}

TEST_F(CrashRecovery, TheNextStartOffersRestoreDiscardAndLater)
{
    loadExample();
    retype(QStringLiteral("Edit7"), QStringLiteral("21"));
    click(QStringLiteral("Button35"));
    retype(QStringLiteral("Edit3"), QStringLiteral("0.42"));
    leave();
    form->keepRecoveryCopy();
    ASSERT_EQ(copies().size(), 1);
    const QString copy = copies()[0];
    const std::int64_t writtenAt = info(copy)->writtenAt;
    form.reset(); // gone without the exit's answers

    // "Later": nothing changes, the copy stays for the next start.
    {
        const auto later = startAgain({2});
        ASSERT_EQ(later->dialogs.choices.size(), 1);
        EXPECT_EQ(later->dialogs.choices[0],
            expectedQuestion(QStringLiteral("cold_climate_bed.mdl"), writtenAt));
        EXPECT_EQ(
            later->dialogs.choiceButtons[0].join(u'|'), QStringLiteral("Restore|Discard|Later"));
        EXPECT_FALSE(later->form->ProjectOpen);
        EXPECT_TRUE(later->form->ColdClimateBtn->isVisible());
        EXPECT_EQ(copies(), QStringList {copy});
    }

    // "Restore": the changes are back, unsaved, under the file's name.
    {
        const auto restored = startAgain({0});
        ASSERT_EQ(restored->dialogs.choices.size(), 1);
        TForm1 &window = *restored->form;
        EXPECT_TRUE(restored->dialogs.messages.isEmpty())
            << restored->dialogs.messages.join(u'\n').toStdString();
        EXPECT_TRUE(window.ProjectOpen);
        EXPECT_EQ(
            window.findChild<QLineEdit *>(QStringLiteral("Edit7"))->text(), QStringLiteral("21"));
        EXPECT_EQ(
            window.findChild<QLineEdit *>(QStringLiteral("Edit3"))->text(), QStringLiteral("0.42"));
        EXPECT_EQ(restored->form->state().simulationLength, 365);
        EXPECT_EQ(window.projectFile(), example);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Carexa 2.0 - cold_climate_bed.mdl[*]"));
        EXPECT_TRUE(window.isWindowModified());
        EXPECT_TRUE(window.hasUnsavedChanges());
        // The old copy went; the restored project has its own until it is saved.
        EXPECT_EQ(copies(), QStringList {QFileInfo(window.recoveryFile()).fileName()});
        restored->dialogs.saveAnswers.push_back(QString());
        window.SaveProject1->trigger();
        EXPECT_EQ(restored->dialogs.rememberedNames.last(), example);
        window.Exit1->trigger();
        EXPECT_TRUE(window.PromptBox->isVisible());
    }

    // The window closed without answering: offered again; "Discard" removes it.
    ASSERT_EQ(copies().size(), 1);
    {
        const auto discarded = startAgain({1});
        ASSERT_EQ(discarded->dialogs.choices.size(), 1);
        EXPECT_FALSE(discarded->form->ProjectOpen);
        EXPECT_TRUE(copies().isEmpty());
    }
    {
        const auto nothing = startAgain({});
        EXPECT_TRUE(nothing->dialogs.choices.isEmpty());
    }
}

TEST_F(CrashRecovery, TheNewestCopyOfAnUntitledProjectFromAnotherDay)
{
    finishStart();
    ModelState older;
    older.climate = 2;
    older.simulationLength = 60;
    TextGrid observed(12, 61);
    const std::int64_t yesterday = QDateTime::currentSecsSinceEpoch() - 26 * 3600;
    const auto write = [&](const char *name, std::int64_t at, const DesignTexts &design) {
        WriteRecoveryFile(
            QFile::encodeName(QDir(folder()).filePath(QString::fromLatin1(name))).toStdString(),
            {"", at}, older, observed, design);
    };
    DesignTexts design;
    design[0] = std::string(1, '8');
    write("1-old.recovery", yesterday - 3600, {});
    write("2-new.recovery", yesterday, design);

    const auto start = startAgain({0});
    ASSERT_EQ(start->dialogs.choices.size(), 1);
    EXPECT_EQ(start->dialogs.choices[0],
        QStringLiteral("Carexa did not close properly. Restore the unsaved changes of Untitled "
                       "from %1?")
            .arg(QDateTime::fromSecsSinceEpoch(yesterday).toString(
                QStringLiteral("yyyy-MM-dd HH:mm"))));
    EXPECT_EQ(
        start->form->findChild<QLineEdit *>(QStringLiteral("Edit7"))->text(), QStringLiteral("8"));
    EXPECT_EQ(start->form->windowTitle(), QStringLiteral("Carexa 2.0 - Untitled[*]"));
    EXPECT_TRUE(start->form->isWindowModified());
    EXPECT_EQ(start->form->state().climate, 2);
    // The older copy waits for the next start.
    EXPECT_TRUE(QFileInfo::exists(QDir(folder()).filePath(QStringLiteral("1-old.recovery"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath(QStringLiteral("2-new.recovery"))));
}

TEST_F(CrashRecovery, ADamagedCopyIsToldAndKept)
{
    finishStart();
    const QString damaged = QDir(folder()).filePath(QStringLiteral("3-x.recovery"));
    WriteText(QFile::encodeName(damaged).toStdString(),
        "Carexa recovery 1\nfile a.mdl\ntime 5\n\n60;70;1;");
    const auto start = startAgain({0});
    ASSERT_EQ(start->dialogs.messages.size(), 1);
    EXPECT_FALSE(start->form->ProjectOpen);
    EXPECT_TRUE(QFileInfo::exists(damaged));
}

// The program killed mid-edit (SIGKILL: no handler runs) and started again. The child is this
// test program running CrashRecoveryChild below.
TEST_F(CrashRecovery, KilledMidEditTheChangesComeBackAtTheNextStart)
{
    finishStart();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CAREXA_RECOVERY_CHILD"), folder());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=CrashRecoveryChild.*")});
    ASSERT_TRUE(child.waitForStarted());
    QByteArray output;
    while (!output.contains("EDITED")) {
        ASSERT_TRUE(child.waitForReadyRead(60000)) << output.toStdString();
        output += child.readAllStandardOutput();
    }
    ASSERT_EQ(::kill(static_cast<pid_t>(child.processId()), SIGKILL), 0);
    ASSERT_TRUE(child.waitForFinished());
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    ASSERT_EQ(copies().size(), 1);

    const auto start = startAgain({0});
    ASSERT_EQ(start->dialogs.choices.size(), 1);
    EXPECT_TRUE(start->dialogs.choices[0].startsWith(QStringLiteral(
        "Carexa did not close properly. Restore the unsaved changes of Untitled from")));
    EXPECT_EQ(
        start->form->findChild<QLineEdit *>(QStringLiteral("Edit7"))->text(), QStringLiteral("17"));
    EXPECT_EQ(start->form->state().parameters.get(Parameter::AC), 0.45);
    EXPECT_TRUE(start->form->isWindowModified());
}

// The program of the test above: a window over the folder it is given, a typed design input
// and parameter, the copy kept by the timer, then it waits to be killed.
TEST(CrashRecoveryChild, EditsUntilKilled)
{
    const QByteArray folder = qgetenv("CAREXA_RECOVERY_CHILD");
    if (folder.isEmpty())
        GTEST_SKIP() << "started by CrashRecovery.KilledMidEditTheChangesComeBackAtTheNextStart";
    ScriptedDialogs dialogs;
    TForm1::Options options;
    options.startPictureDelayMs = 0;
    options.recoveryFolder = QFile::decodeName(folder);
    options.recoveryIntervalMs = 100;
    TForm1 form(dialogs, options);
    form.show();
    QTRY_VERIFY(form.ColdClimateBtn->isVisible());
    QTest::mouseClick(form.ColdClimateBtn, Qt::LeftButton);
    auto *width = form.findChild<QLineEdit *>(QStringLiteral("Edit7"));
    width->setFocus();
    QTest::keyClicks(width, QStringLiteral("17"));
    ProjectRecordsForTesting::of(form.project()).parameters.set(Parameter::AC, 0.45);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(form.recoveryFile()), 10000);
    // The copy holds both once the timer has come round again.
    QTRY_VERIFY_WITH_TIMEOUT(ReadRecoveryFile(QFile::encodeName(form.recoveryFile()).toStdString())
                                 .project.parameters.get(Parameter::AC)
            == 0.45,
        10000);
    std::puts("EDITED");
    std::fflush(stdout);
    for (;;)
        QTest::qWait(100);
}

} // namespace
