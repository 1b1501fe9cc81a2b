#pragma once

#include "ui/user_dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>

namespace carexa::testing_support {

/// Dialogs that answer from a script and remember what they were asked, so nothing modal runs.
class ScriptedDialogs : public UserDialogs
{
public:
    void showMessage(QWidget *, const QString &text, const QString &caption) override
    {
        messages.append(text);
        captions.append(caption);
    }
    bool confirm(QWidget *, const QString &text, const QString &caption) override
    {
        confirmations.append(text);
        captions.append(caption);
        if (confirmAnswers.empty())
            return true;
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }

    QStringList messages;
    QStringList confirmations;
    QStringList captions;
    std::deque<bool> confirmAnswers;
};

} // namespace carexa::testing_support
