#include "ui/user_dialogs.h"

#include <QMessageBox>

namespace carexa {

QString ProgramCaption()
{
    return QStringLiteral("Carexa 2.0");
}

void QtUserDialogs::showMessage(QWidget *parent, const QString &text, const QString &caption)
{
    QMessageBox::information(parent, caption.isEmpty() ? ProgramCaption() : caption, text);
}

bool QtUserDialogs::confirm(QWidget *parent, const QString &text, const QString &caption)
{
    return QMessageBox::warning(parent, caption.isEmpty() ? ProgramCaption() : caption, text,
               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
        == QMessageBox::Ok;
}

} // namespace carexa
