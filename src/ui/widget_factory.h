#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include "model/number_text.h"

namespace carexa::ui {

/// A number in its screen form.
inline QString NumberText(double value)
{
    return QString::fromStdString(FormatGeneral(value));
}

/// A caption at a fixed place; its width follows the text unless given.
inline QLabel *MakeLabel(QWidget *parent, const QString &text, int x, int y, int width = -1,
    int height = 20, const QString &name = QString())
{
    auto *label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    label->setGeometry(x, y, width < 0 ? label->sizeHint().width() : width, height);
    return label;
}

inline QLineEdit *MakeEdit(
    QWidget *parent, const QString &name, int x, int y, int width = 80, int height = 22)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, width, height);
    return edit;
}

inline QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &text, int x,
    int y, int width, int height = 28)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, width, height);
    return button;
}

} // namespace carexa::ui
