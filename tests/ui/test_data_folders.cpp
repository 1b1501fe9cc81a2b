// Where the window finds the files that come with it: beside the program, in the data folder of
// an installation around it, in the system's data folders, or in the working folder.

#include "window_fixture.h"

#include "support/temp_dir.h"
#include "ui/data_folders.h"
#include "ui/tform1.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace carexa;
using namespace carexa::testing_support;
using namespace Qt::StringLiterals;

namespace {

QString Path(const QTemporaryDir &dir, const QString &name)
{
    return QDir::cleanPath(dir.filePath(name));
}

void MakeFolder(const QString &folder)
{
    ASSERT_TRUE(QDir().mkpath(folder)) << folder.toStdString();
}

void WritePicture(const QString &file, QColor colour)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(file, "BMP")) << file.toStdString();
}

void WriteFile(const QString &file, const QByteArray &bytes)
{
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
}

TEST(DataFolders, AreBesideTheProgramThenItsInstallationThenTheSystemsThenTheWorkingFolder)
{
    QTemporaryDir root;
    const QString bin = Path(root, u"usr/bin"_s);
    const QStringList folders = DataFolders(bin);
    ASSERT_GE(folders.size(), 3);
    EXPECT_EQ(folders[0], bin);
    EXPECT_EQ(folders[1], Path(root, u"usr/share/carexa"_s));
    EXPECT_EQ(folders.last(), QDir::cleanPath(QDir::currentPath()));
    // The system's data folders in their order, each with "carexa".
    QStringList system;
    for (const QString &data :
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        system.append(QDir::cleanPath(data + u"/carexa"_s));
    system.removeDuplicates();
    EXPECT_EQ(folders.mid(2, system.size()), system);
    EXPECT_EQ(folders.size(), QSet<QString>(folders.begin(), folders.end()).size())
        << folders.join(u", "_s).toStdString();
}

TEST(DataFolders, NameEveryFolderOnceAtItsFirstPlace)
{
    // A program in the working folder: the working folder comes first and only there.
    const QStringList folders = DataFolders(QDir::currentPath());
    EXPECT_EQ(folders.first(), QDir::cleanPath(QDir::currentPath()));
    EXPECT_EQ(folders.count(QDir::cleanPath(QDir::currentPath())), 1);
    // "/usr/bin" gives /usr/share/carexa second, which the system's folders name again.
    const QStringList installed = DataFolders(u"/usr/bin"_s);
    EXPECT_EQ(installed[1], u"/usr/share/carexa"_s);
    EXPECT_EQ(installed.count(u"/usr/share/carexa"_s), 1);
}

TEST(FindDataFile, TakesTheFirstFolderThatHoldsTheFile)
{
    QTemporaryDir dir;
    const QString first = Path(dir, u"first"_s), second = Path(dir, u"second"_s);
    MakeFolder(first);
    MakeFolder(second);
    WriteFile(second + u"/a.bmp"_s, "2");
    EXPECT_EQ(FindDataFile(u"a.bmp"_s, {first, second}), second + u"/a.bmp"_s);
    WriteFile(first + u"/a.bmp"_s, "1");
    EXPECT_EQ(FindDataFile(u"a.bmp"_s, {first, second}), first + u"/a.bmp"_s);
    EXPECT_EQ(FindDataFile(u"a.bmp"_s, {second, first}), second + u"/a.bmp"_s);
    // A folder of the name is no file; a missing folder is passed over.
    MakeFolder(first + u"/b.bmp"_s);
    WriteFile(second + u"/b.bmp"_s, "2");
    EXPECT_EQ(
        FindDataFile(u"b.bmp"_s, {Path(dir, u"none"_s), first, second}), second + u"/b.bmp"_s);
    EXPECT_TRUE(FindDataFile(u"c.bmp"_s, {first, second}).isEmpty());
    EXPECT_TRUE(FindDataFile(u"a.bmp"_s, {}).isEmpty());
}

TEST(ExampleProjects, AreTheProjectsOfTheFirstExamplesFolderThatHasAny)
{
    QTemporaryDir dir;
    const QString empty = Path(dir, u"empty"_s), one = Path(dir, u"one"_s),
                  two = Path(dir, u"two"_s);
    MakeFolder(empty + u"/examples"_s);
    WriteFile(empty + u"/examples/notes.txt"_s, "not a project");
    MakeFolder(one + u"/examples/sub.mdl"_s); // a folder, not a project
    WriteFile(one + u"/examples/warm.mdl"_s, "w");
    WriteFile(one + u"/examples/Cold.mdl"_s, "c");
    MakeFolder(two + u"/examples"_s);
    WriteFile(two + u"/examples/other.mdl"_s, "o");
    EXPECT_EQ(ExampleProjects({empty, one, two}),
        (QStringList {one + u"/examples/Cold.mdl"_s, one + u"/examples/warm.mdl"_s}));
    EXPECT_EQ(ExampleProjects({two, one}), QStringList {two + u"/examples/other.mdl"_s});
    EXPECT_TRUE(ExampleProjects({empty}).isEmpty());
}

// A package unpacked anywhere: the program in ROOT/usr/bin finds the pictures and the examples
// in ROOT/usr/share/carexa, whatever the working folder.
class UnpackedTree : public testing::Test
{
protected:
    UnpackedTree()
    {
        share = Path(root, u"usr/share/carexa"_s);
        MakeFolder(Path(root, u"usr/bin"_s));
        MakeFolder(share + u"/examples"_s);
        WritePicture(share + u"/prebackground.bmp"_s, Qt::red);
        WritePicture(share + u"/Version4.bmp"_s, Qt::blue);
        QFile::copy(QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string()),
            share + u"/examples/cold_climate_bed.mdl"_s);
        previous = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        RecentProjects().clear();
    }
    ~UnpackedTree() override
    {
        QDir::setCurrent(previous);
        RecentProjects().clear();
    }

    std::unique_ptr<TForm1> start(const QStringList &folders)
    {
        TForm1::Options options;
        options.startPictureDelayMs = 0;
        options.dataFolders = folders;
        auto form = std::make_unique<TForm1>(dialogs, options);
        form->show();
        return form;
    }

    QTemporaryDir root, elsewhere;
    QString share, previous;
    ScriptedDialogs dialogs;
};

TEST_F(UnpackedTree, ShowsTheStartPicturesAndOffersTheExamples)
{
    auto form = start(DataFolders(Path(root, u"usr/bin"_s)));
    QTRY_VERIFY(form->ColdClimateBtn->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    // The second picture shows: blue.
    const QPixmap shown = form->BackGround->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.toImage().pixelColor(5, 5), QColor(Qt::blue));

    QMenu *examples = form->examplesMenu;
    ASSERT_NE(examples, nullptr);
    EXPECT_EQ(examples->title(), u"Examples"_s);
    EXPECT_TRUE(examples->isEnabled());
    ASSERT_EQ(examples->actions().size(), 1);
    QAction *cold = examples->actions().front();
    EXPECT_EQ(cold->text(), u"Cold climate bed"_s);
    EXPECT_EQ(cold->data().toString(), share + u"/examples/cold_climate_bed.mdl"_s);

    // Choosing it opens the project as "Load Project" opens a file.
    cold->trigger();
    QTRY_VERIFY(form->ProjectOpen);
    EXPECT_EQ(form->state().simulationLength, 365);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_EQ(RecentProjects().files(), QStringList {cold->data().toString()});
}

TEST_F(UnpackedTree, AnUnreadablePictureIsNamedWithItsReason)
{
    WriteFile(share + u"/prebackground.bmp"_s, "no picture");
    auto form = start({share});
    QTRY_VERIFY(form->ColdClimateBtn->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1);
    // The reader's reason, not the "not found" of a missing picture.
    EXPECT_TRUE(dialogs.messages[0].startsWith(u"The start picture \"prebackground.bmp\" could "
                                               "not be loaded: "_s))
        << dialogs.messages[0].toStdString();
    EXPECT_FALSE(dialogs.messages[0].contains(u"neither"_s));
    EXPECT_FALSE(form->BackGround->pixmap().isNull()); // the second one showed
}

TEST_F(UnpackedTree, WithoutExamplesTheMenuIsGreyed)
{
    QFile::remove(share + u"/examples/cold_climate_bed.mdl"_s);
    auto form = start({share});
    QTRY_VERIFY(form->ColdClimateBtn->isVisible());
    EXPECT_FALSE(form->examplesMenu->isEnabled());
    EXPECT_TRUE(form->examplesMenu->actions().isEmpty());
}

} // namespace
