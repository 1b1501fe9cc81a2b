#pragma once

#include <QString>

class QWidget;

namespace carexa {

/// Everything modal the window asks of the user goes through this interface, so tests can script
/// the answers: message boxes, confirmations, and (for the project and printing screens) file and
/// print dialogs.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    /// A message box with an OK button; an empty caption means the program's own caption.
    virtual void showMessage(QWidget *parent, const QString &text, const QString &caption) = 0;
    /// A message box with OK and Cancel; true when the user chose OK.
    virtual bool confirm(QWidget *parent, const QString &text, const QString &caption) = 0;
    /// The save dialog; the chosen file name, or the empty text when the user cancelled.
    virtual QString saveFileName(
        QWidget *parent, const QString &title, const QString &filter, const QString &remembered)
        = 0;
    /// The open dialog (all files); the chosen file name, or the empty text when cancelled.
    virtual QString openFileName(QWidget *parent) = 0;
};

/// The real dialogs of the toolkit.
class QtUserDialogs : public UserDialogs
{
public:
    void showMessage(QWidget *parent, const QString &text, const QString &caption) override;
    bool confirm(QWidget *parent, const QString &text, const QString &caption) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &filter,
        const QString &remembered) override;
    QString openFileName(QWidget *parent) override;
};

/// The caption of the program's message boxes when none is given.
QString ProgramCaption();

} // namespace carexa
