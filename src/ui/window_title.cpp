#include "ui/window_title.h"

#include <QFileInfo>
#include <QTimer>
#include <QWidget>

namespace carexa {

using namespace Qt::StringLiterals;

QString WindowTitle(const QString &projectFile, bool projectOpen)
{
    if (!projectOpen)
        return u"Carexa 2.0"_s;
    const QString name = projectFile.isEmpty() ? u"Untitled"_s : QFileInfo(projectFile).fileName();
    // A "[*]" in the name itself would be taken for the mark: doubled, it shows as it is.
    return u"Carexa 2.0 - %1[*]"_s.arg(QString(name).replace(u"[*]"_s, u"[*][*]"_s));
}

UnsavedChanges::UnsavedChanges(QWidget *window, Fingerprint fingerprint)
    : QObject(window), window_(window), fingerprint_(std::move(fingerprint)), pending_(new QTimer(this))
{
    pending_->setSingleShot(true);
    pending_->setInterval(0);
    connect(pending_, &QTimer::timeout, this, &UnsavedChanges::check);
}

void UnsavedChanges::markClean()
{
    pending_->stop();
    current_ = fingerprint_();
    saved_ = current_;
    show(false);
}

void UnsavedChanges::markUnsaved()
{
    pending_->stop();
    current_ = fingerprint_();
    saved_.reset();
    show(true);
}

void UnsavedChanges::setProject(const QString &projectFile, bool projectOpen)
{
    window_->setWindowTitle(WindowTitle(projectFile, projectOpen));
}

bool UnsavedChanges::check()
{
    pending_->stop();
    current_ = fingerprint_();
    show(!saved_ || *saved_ != current_);
    return modified_;
}

void UnsavedChanges::checkSoon()
{
    if (!pending_->isActive())
        pending_->start();
}

void UnsavedChanges::show(bool modified)
{
    window_->setWindowModified(modified);
    if (modified == modified_)
        return;
    modified_ = modified;
    emit modifiedChanged(modified);
}

} // namespace carexa
