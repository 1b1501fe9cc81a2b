#include "ui/numeric_field_undo.h"

#include "model/numeric_input.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace carexa {

namespace {

constexpr std::size_t kHistory = 64;

} // namespace

NumericFieldUndo *NumericFieldUndo::of(QLineEdit *edit)
{
    if (auto *undo = edit->findChild<NumericFieldUndo *>(QString(), Qt::FindDirectChildrenOnly))
        return undo;
    return new NumericFieldUndo(edit);
}

NumericFieldUndo::NumericFieldUndo(QLineEdit *edit) : QObject(edit), edit_(edit)
{
    history_.push_back(edit->text());
    connect(edit, &QLineEdit::textChanged, this, &NumericFieldUndo::changed);
    edit->installEventFilter(this);
}

void NumericFieldUndo::changed(const QString &text)
{
    if (emptying_)
        return;
    if (!text.isEmpty())
        restore_.reset();
    history_.push_back(text);
    if (history_.size() > kHistory)
        history_.erase(history_.begin());
}

void NumericFieldUndo::empty(std::u32string_view forbidden)
{
    restore_.reset();
    for (auto text = history_.rbegin(); text != history_.rend(); ++text) {
        if (!HasForbiddenCharacter(text->toStdU32String(), forbidden)) {
            if (!text->isEmpty())
                restore_ = *text;
            break;
        }
    }
    emptying_ = true;
    edit_->setText(QString());
    emptying_ = false;
    history_.push_back(QString());
}

bool NumericFieldUndo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != edit_ || !restore_)
        return QObject::eventFilter(watched, event);
    const bool undo = (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Undo);
    if (!undo)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept(); // the field's Ctrl+Z, not a shortcut of the window
        return true;
    }
    const QString text = *restore_;
    restore_.reset();
    edit_->setText(text);
    return true;
}

} // namespace carexa
