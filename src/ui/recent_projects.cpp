#include "ui/recent_projects.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {
const QString kKey = u"recentProjects"_s;
}

QStringList WithRecentFile(QStringList list, const QString &file, int count)
{
    list.removeAll(file);
    list.prepend(file);
    while (list.size() > count)
        list.removeLast();
    return list;
}

QStringList RecentProjects::files() const
{
    QStringList list = QSettings().value(kKey).toStringList();
    list.removeAll(QString());
    while (list.size() > kMaxCount)
        list.removeLast();
    return list;
}

void RecentProjects::add(const QString &file)
{
    QSettings().setValue(kKey,
        WithRecentFile(files(), QDir::cleanPath(QFileInfo(file).absoluteFilePath()), kMaxCount));
}

void RecentProjects::clear()
{
    QSettings().remove(kKey);
}

} // namespace carexa
