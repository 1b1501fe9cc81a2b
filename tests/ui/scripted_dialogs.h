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

    QString saveFileName(
        QWidget *, const QString &title, const QString &filter, const QString &remembered) override
    {
        saveTitles.append(title);
        saveFilters.append(filter);
        rememberedNames.append(remembered);
        return next(saveAnswers);
    }
    QString openFileName(QWidget *) override { return next(openAnswers); }

    QStringList messages;
    QStringList confirmations;
    QStringList captions;
    std::deque<bool> confirmAnswers;
    std::deque<QString> saveAnswers; ///< an empty name cancels
    std::deque<QString> openAnswers;
    QStringList saveTitles;
    QStringList saveFilters;
    QStringList rememberedNames;

private:
    static QString next(std::deque<QString> &answers)
    {
        if (answers.empty())
            return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace carexa::testing_support
