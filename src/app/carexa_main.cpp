#include "app/version.h"
#include "ui/data_folders.h"
#include "ui/tform1.h"
#include "ui/user_dialogs.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <csignal>
#include <cstdio>

int main(int argc, char **argv)
{
    // A save past a file-size limit fails with "File too large" and says so, instead of the
    // signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Carexa"));
    QApplication::setApplicationName(QStringLiteral("carexa"));
    QApplication::setApplicationVersion(QString::fromLatin1(carexa::kCarexaVersion));
    // The desktop entry the window belongs to, and its icon: from the icon theme once installed,
    // otherwise the one the build drew beside the program.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.carexa.Carexa"));
    QIcon icon = QIcon::fromTheme(QStringLiteral("org.carexa.Carexa"));
    if (icon.isNull()) {
        const QString drawn = carexa::FindDataFile(
            QStringLiteral("icons/hicolor/scalable/apps/org.carexa.Carexa.svg"),
            carexa::ProgramDataFolders());
        if (!drawn.isEmpty())
            icon = QIcon(drawn);
    }
    QApplication::setWindowIcon(icon);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Carexa 2.0: design a subsurface-flow treatment wetland and simulate how "
                       "well it removes pollutants."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("project"),
        QStringLiteral("A project file (.mdl) to open once the start pictures have shown."),
        QStringLiteral("[PROJECT.mdl]"));
    parser.process(app);
    const QStringList projects = parser.positionalArguments();
    if (projects.size() > 1) {
        std::fputs("carexa: give at most one project file.\n", stderr);
        return 2;
    }

    carexa::QtUserDialogs dialogs;
    carexa::TForm1::Options options;
    if (!projects.isEmpty())
        options.projectFile = projects.constFirst();
    carexa::TForm1 window(dialogs, options);
    window.show();
    return QApplication::exec();
}
