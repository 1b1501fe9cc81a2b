#pragma once

#include <QObject>
#include <QString>

#include <optional>
#include <string_view>
#include <vector>

class QLineEdit;

namespace carexa {

/// Lets Ctrl+Z bring back what a numeric field held before the numeric rule emptied it: the
/// field's last text without any character the rule refused. It follows the field's texts from
/// the moment it is attached; once the user types again, Ctrl+Z is the field's own undo.
class NumericFieldUndo : public QObject
{
    Q_OBJECT

public:
    /// The helper of `edit`, attached on first use.
    static NumericFieldUndo *of(QLineEdit *edit);

    /// Empties the field for the numeric rule, remembering its latest text free of every
    /// character of `forbidden` for Ctrl+Z.
    void empty(std::u32string_view forbidden);
    /// What Ctrl+Z would bring back now.
    const std::optional<QString> &restorable() const { return restore_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit NumericFieldUndo(QLineEdit *edit);
    void changed(const QString &text);

    QLineEdit *edit_;
    std::vector<QString> history_; ///< the field's latest texts, oldest first
    std::optional<QString> restore_;
    bool emptying_ = false;
};

} // namespace carexa
