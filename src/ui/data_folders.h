#pragma once

#include <QString>
#include <QStringList>

namespace carexa {

/// The folders the window looks in for the files that come with it (the start pictures, and the
/// example projects in their "examples" folder), in this order:
/// - `programFolder` itself (a build folder holds the program and its pictures side by side);
/// - the data folder of an installation around the program: PREFIX/share/carexa for a program in
///   PREFIX/bin, wherever PREFIX is (a package unpacked anywhere works as installed);
/// - "carexa" in each of the system's data folders (XDG_DATA_HOME, XDG_DATA_DIRS: usually
///   ~/.local/share, /usr/local/share and /usr/share);
/// - the working folder.
/// Folders named twice are kept once, at their first place.
QStringList DataFolders(const QString &programFolder);

/// DataFolders() of the running program.
QStringList ProgramDataFolders();

/// The path of `name` in the first of `folders` that holds it as anything but a folder (a file,
/// or a pipe or device that the reader then refuses); empty when none does.
QString FindDataFile(const QString &name, const QStringList &folders);

/// The example projects (.mdl) of the first of `folders` whose "examples" folder holds any,
/// sorted by name; empty when there are none.
QStringList ExampleProjects(const QStringList &folders);

} // namespace carexa
