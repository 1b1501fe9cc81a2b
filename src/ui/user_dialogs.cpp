#include "ui/user_dialogs.h"

#include <QFileDialog>
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

QString QtUserDialogs::saveFileName(
    QWidget *parent, const QString &title, const QString &filter, const QString &remembered)
{
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    if (!remembered.isEmpty())
        dialog.selectFile(remembered);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtUserDialogs::openFileName(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent);
}

} // namespace carexa
