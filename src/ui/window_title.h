#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QTimer;
class QWidget;

namespace carexa {

/// The main window's title: "Carexa 2.0" without a project, "Carexa 2.0 - NAME.mdl[*]" with
/// one (NAME.mdl the file's name without its folder, "Untitled" before it has a file). The
/// "[*]" is where the toolkit shows the unsaved-changes mark the platform's way.
QString WindowTitle(const QString &projectFile, bool projectOpen);

/// Tells whether the project differs from what was saved, by comparing a fingerprint of what
/// its file would hold with the fingerprint taken when it was saved (or loaded, or started): a
/// change taken back (an undo, a value typed back) is no change. Keeps the window's title and
/// its modified mark up to date.
class UnsavedChanges : public QObject
{
    Q_OBJECT

public:
    using Fingerprint = std::function<std::uint64_t()>;
    UnsavedChanges(QWidget *window, Fingerprint fingerprint);

    /// The project is as its file holds it (saved, loaded) or as it started: no unsaved changes.
    void markClean();
    /// The project holds changes no file holds (a restored copy): unsaved until it is saved.
    void markUnsaved();
    /// The title for `projectFile` (empty: none yet) with or without an open project.
    void setProject(const QString &projectFile, bool projectOpen);
    /// Compares now; true when there are unsaved changes.
    bool check();
    /// Compares once the events waiting now are handled (many changes in a row, one comparison).
    void checkSoon();
    /// The result of the last comparison.
    bool modified() const { return modified_; }
    /// The fingerprint of the last comparison.
    std::uint64_t current() const { return current_; }

signals:
    void modifiedChanged(bool modified);

private:
    void show(bool modified);

    QWidget *window_;
    Fingerprint fingerprint_;
    std::optional<std::uint64_t> saved_;
    std::uint64_t current_ = 0;
    bool modified_ = false;
    QTimer *pending_;
};

} // namespace carexa
