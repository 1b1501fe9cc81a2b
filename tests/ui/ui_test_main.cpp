#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window keeps its recent projects in the settings: the tests keep theirs in a folder of
    // their own, never in the user's.
    QTemporaryDir settings;
    if (!settings.isValid())
        return 1;
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, settings.path());
        QSettings::setPath(format, QSettings::SystemScope, settings.path());
    }
    // Nor do they keep recovery copies in the user's data folder.
    QTemporaryDir data;
    if (!data.isValid())
        return 1;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Carexa"));
    QApplication::setApplicationName(QStringLiteral("carexa-tests"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
