#include "ui/data_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace carexa {

QStringList DataFolders(const QString &programFolder)
{
    QStringList folders;
    const auto add = [&folders](const QString &folder) {
        const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
        if (!folders.contains(clean))
            folders.append(clean);
    };
    add(programFolder);
    add(QDir(programFolder).filePath(u"../share/carexa"_s));
    for (const QString &data :
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        add(QDir(data).filePath(u"carexa"_s));
    add(QDir::currentPath());
    return folders;
}

QStringList ProgramDataFolders()
{
    return DataFolders(QCoreApplication::applicationDirPath());
}

QString FindDataFile(const QString &name, const QStringList &folders)
{
    for (const QString &folder : folders) {
        // Anything of the name but a folder: a named pipe or a device is found too, so that the
        // reader refuses it with its reason instead of saying it is missing.
        const QFileInfo file(QDir(folder).filePath(name));
        if (file.exists() && !file.isDir())
            return file.filePath();
    }
    return {};
}

QStringList ExampleProjects(const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QDir examples(QDir(folder).filePath(u"examples"_s));
        const QFileInfoList found = examples.entryInfoList(
            {u"*.mdl"_s}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
        if (found.isEmpty())
            continue;
        QStringList files;
        for (const QFileInfo &file : found)
            files.append(file.filePath());
        return files;
    }
    return {};
}

} // namespace carexa
