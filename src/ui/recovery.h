#pragma once

#include "project/recovery_file.h"

#include <QString>

#include <memory>
#include <optional>

class QLockFile;

namespace carexa {

/// The recovery copy of one window's project in a folder of the user's (by default
/// AppLocalDataLocation/recovery), and the copies that programs which did not close properly
/// left there. Each copy has a lock file held while its program runs, so a program never offers
/// the copy of one still running; a killed program's lock is recognised as stale.
class CrashRecovery
{
public:
    /// `folder` empty: DefaultRecoveryFolder().
    explicit CrashRecovery(QString folder = {});
    /// Lets the copy go: a copy still here then counts as left behind (the window closed
    /// without the exit's answers).
    ~CrashRecovery();
    CrashRecovery(const CrashRecovery &) = delete;
    CrashRecovery &operator=(const CrashRecovery &) = delete;

    static QString defaultFolder();
    const QString &folder() const { return folder_; }
    /// This window's copy (whether it exists or not).
    const QString &path() const { return path_; }
    bool exists() const;

    /// Writes this window's copy whole or not at all; throws Error with the reason.
    void write(const RecoveryInfo &info, const ModelState &state, const TextGrid &observed,
        const DesignTexts &design);
    /// Removes this window's copy, if there is one.
    void remove();

    /// A copy a program left behind, locked while this object lives.
    struct LeftCopy
    {
        QString path;
        RecoveryInfo info;
        std::shared_ptr<QLockFile> lock;
    };
    /// The newest copy whose program is no longer running, or nothing.
    std::optional<LeftCopy> leftBehind() const;
    /// Removes a copy left behind (restored or discarded).
    static void discard(const LeftCopy &copy);

private:
    QString folder_;
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace carexa
