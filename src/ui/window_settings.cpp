#include "ui/window_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {
const QString kFolderKey = u"projectFolder"_s;
const QString kSizeKey = u"windowSize"_s;
} // namespace

QString ProjectFolder()
{
    const QString folder = QSettings().value(kFolderKey).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return QDir::homePath();
}

void RememberProjectFolder(const QString &file)
{
    QSettings().setValue(kFolderKey, QFileInfo(file).absolutePath());
}

QString ExportSuggestion(const QString &project, const QString &ending, const QString &fallback)
{
    const QString name
        = project.isEmpty() ? fallback : QFileInfo(project).completeBaseName() + ending;
    return QDir(ProjectFolder()).filePath(name);
}

std::optional<QSize> SavedWindowSize()
{
    const QSize size = QSettings().value(kSizeKey).toSize();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    return size;
}

void SaveWindowSize(QSize size)
{
    QSettings().setValue(kSizeKey, size);
}

void ForgetWindowSettings()
{
    QSettings settings;
    settings.remove(kFolderKey);
    settings.remove(kSizeKey);
}

} // namespace carexa
