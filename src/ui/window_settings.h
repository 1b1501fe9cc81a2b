#pragma once

#include <QSize>
#include <QString>

#include <optional>

namespace carexa {

// What the window keeps between runs in the program's settings (QSettings with the
// application's organisation and name).

/// The folder of the project opened or saved last, while it exists; else the home folder.
QString ProjectFolder();
/// Remembers the folder of `file`, a project just opened or saved.
void RememberProjectFolder(const QString &file);

/// Where an export is suggested: in ProjectFolder(), named after the project file `project`
/// ("wetland.mdl" and "-forcing.csv" give "wetland-forcing.csv"), or `fallback` while the
/// project has no file.
QString ExportSuggestion(const QString &project, const QString &ending, const QString &fallback);

/// The window's size when it was last resized, if any.
std::optional<QSize> SavedWindowSize();
void SaveWindowSize(QSize size);

/// Forgets the folder and the size.
void ForgetWindowSettings();

} // namespace carexa
