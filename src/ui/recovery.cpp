#include "ui/recovery.h"

#include "model/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

const QString kSuffix = u".recovery"_s;

QString LockPath(const QString &copy)
{
    return copy.chopped(kSuffix.size()) + u".lock"_s;
}

} // namespace

CrashRecovery::CrashRecovery(QString folder)
    : folder_(folder.isEmpty() ? defaultFolder() : std::move(folder))
{
    const QString id = u"%1-%2"_s.arg(QCoreApplication::applicationPid())
                           .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
    path_ = QDir(folder_).filePath(id + kSuffix);
}

CrashRecovery::~CrashRecovery() = default;

QString CrashRecovery::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(u"recovery"_s);
}

bool CrashRecovery::exists() const
{
    return QFileInfo::exists(path_);
}

void CrashRecovery::write(const RecoveryInfo &info, const ModelState &state,
    const TextGrid &observed, const DesignTexts &design)
{
    if (!QDir().mkpath(folder_))
        throw Error("The recovery copy cannot be kept: the folder \""
            + QuotedText(QDir::toNativeSeparators(folder_).toStdString())
            + "\" cannot be made.");
    if (!lock_) {
        auto lock = std::make_unique<QLockFile>(LockPath(path_));
        lock->setStaleLockTime(0); // only a program that is gone leaves a stale lock
        if (!lock->tryLock(0))
            throw Error("The recovery copy cannot be kept: its lock file \""
                + QuotedText(QDir::toNativeSeparators(LockPath(path_)).toStdString())
                + "\" cannot be made.");
        lock_ = std::move(lock);
    }
    WriteRecoveryFile(QFile::encodeName(path_).toStdString(), info, state, observed, design);
}

void CrashRecovery::remove()
{
    QFile::remove(path_);
}

std::optional<CrashRecovery::LeftCopy> CrashRecovery::leftBehind() const
{
    const QFileInfoList copies = QDir(folder_).entryInfoList(
        {u"*"_s + kSuffix}, QDir::Files | QDir::Hidden, QDir::Time);
    std::optional<LeftCopy> newest;
    for (const QFileInfo &copy : copies) {
        const QString path = copy.absoluteFilePath();
        if (path == QFileInfo(path_).absoluteFilePath())
            continue;
        auto lock = std::make_shared<QLockFile>(LockPath(path));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue; // its program is running
        const std::optional<RecoveryInfo> info
            = ReadRecoveryInfo(QFile::encodeName(path).toStdString());
        if (!info)
            continue; // not a copy this program can read: left alone
        if (!newest || info->writtenAt > newest->info.writtenAt)
            newest = LeftCopy {path, *info, std::move(lock)};
    }
    return newest;
}

void CrashRecovery::discard(const LeftCopy &copy)
{
    QFile::remove(copy.path);
}

} // namespace carexa
