#pragma once

#include <QString>
#include <QStringList>

namespace carexa {

/// The projects opened or saved last, newest first, kept in the program's settings (QSettings
/// with the application's organisation and name), so the list outlives the program.
class RecentProjects
{
public:
    static constexpr int kMaxCount = 8;

    /// The files of the list, newest first (at most kMaxCount).
    QStringList files() const;
    /// Puts `file` (made absolute and clean) at the front; an earlier entry of the same file goes,
    /// and the list keeps the newest kMaxCount.
    void add(const QString &file);
    void clear();
};

/// `list` with `file` at its front and nowhere else, cut to `count` entries.
QStringList WithRecentFile(QStringList list, const QString &file, int count);

} // namespace carexa
