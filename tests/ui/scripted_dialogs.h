#pragma once

#include "results/print_layout.h"
#include "support/recording_canvas.h"
#include "ui/printing.h"
#include "ui/user_dialogs.h"

#include <QPrinter>

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

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
    /// Answers from `askAnswers`; with none left, Yes.
    Answer ask(QWidget *, const QString &text, const QString &caption, bool withCancel) override
    {
        questions.append(text);
        captions.append(caption);
        questionsWithCancel.push_back(withCancel);
        if (askAnswers.empty())
            return Answer::Yes;
        const Answer answer = askAnswers.front();
        askAnswers.pop_front();
        return answer;
    }

    /// Answers from `chooseAnswers`; with none left, "Simulate as is" where it is offered (the
    /// answer that goes on without changing anything), else the last button (as Esc does).
    int choose(QWidget *, const QString &text, const QString &caption,
        const QStringList &buttons) override
    {
        choices.append(text);
        captions.append(caption);
        choiceButtons.append(buttons);
        if (chooseAnswers.empty()) {
            const auto goOn = buttons.indexOf(QStringLiteral("Simulate as is"));
            return goOn >= 0 ? static_cast<int>(goOn) : static_cast<int>(buttons.size()) - 1;
        }
        const int answer = chooseAnswers.front();
        chooseAnswers.pop_front();
        return answer;
    }

    QString saveFileName(
        QWidget *, const QString &title, const QString &filter, const QString &suggested) override
    {
        saveTitles.append(title);
        saveFilters.append(filter);
        rememberedNames.append(suggested);
        return next(saveAnswers);
    }
    QString openFileName(
        QWidget *, const QString &title, const QString &filter, const QString &folder) override
    {
        openTitles.append(title);
        openFilters.append(filter);
        openFolders.append(folder);
        return next(openAnswers);
    }
    /// The suggested settings, changed by the next of `importAnswers`, which cancels by
    /// returning false; with none left, the suggested settings as they are. The recalculation
    /// tick as the dialog sets it for those settings, or the next of `recalculateAnswers`.
    std::optional<ImportChoice> chooseImport(QWidget *, const ImportRequest &request) override
    {
        importRequests.push_back({request.file, request.target, request.suggested});
        ImportSettings settings = request.suggested;
        if (!importAnswers.empty()) {
            const auto answer = std::move(importAnswers.front());
            importAnswers.pop_front();
            if (!answer(settings))
                return std::nullopt;
        }
        ImportChoice choice {settings, RecalculateByDefault(request.target, settings)};
        offeredRecalculation.push_back(choice.recalculate);
        if (!recalculateAnswers.empty()) {
            choice.recalculate = recalculateAnswers.front();
            recalculateAnswers.pop_front();
        }
        return choice;
    }

    /// The print dialog's answer: a page range, or nothing to cancel. With `printToPdf` set the
    /// pages go through the real printing path into that PDF file; otherwise each printed page
    /// is drawn on a recording canvas in `printedPages`.
    struct PrintAnswer
    {
        bool accept = true;
        int first = 0; ///< 0: all pages
        int last = 0;
    };
    bool print(QWidget *, const PrintDocument &document) override
    {
        offeredPages.push_back(document.pages);
        PrintAnswer answer;
        if (!printAnswers.empty()) {
            answer = printAnswers.front();
            printAnswers.pop_front();
        }
        if (!answer.accept)
            return false;
        const int first = answer.first > 0 ? answer.first : 1;
        const int last = answer.last > 0 ? answer.last : document.pages;
        if (!printToPdf.isEmpty()) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printToPdf);
            PrintToPdfFile(printer, document, first, last);
            return true;
        }
        printedPages.clear();
        for (int page = first; page <= last; ++page) {
            printedPages.emplace_back(CanvasRect {0, 0, kPrintPageWidth, kPrintPageHeight});
            printedPageNumbers.push_back(page);
            BeginPrintPage(printedPages.back());
            document.drawPage(printedPages.back(), page);
        }
        return true;
    }
    void preview(QWidget *parent, const PrintDocument &document) override
    {
        ++previews;
        print(parent, document);
    }
    std::optional<ImageExport> exportImage(QWidget *, const ImageExport &suggested) override
    {
        suggestedExports.push_back(suggested);
        if (exportAnswers.empty())
            return std::nullopt;
        const ImageExport answer = exportAnswers.front();
        exportAnswers.pop_front();
        return answer;
    }

    QStringList messages;
    QStringList confirmations;
    QStringList captions;
    std::deque<bool> confirmAnswers;
    QStringList questions;
    std::vector<bool> questionsWithCancel;
    std::deque<Answer> askAnswers;
    QStringList choices;
    QList<QStringList> choiceButtons; ///< each question's buttons
    std::deque<int> chooseAnswers;
    std::deque<bool> recalculateAnswers;
    std::vector<bool> offeredRecalculation; ///< the tick as each import dialog set it
    std::deque<QString> saveAnswers; ///< an empty name cancels
    std::deque<QString> openAnswers;
    QStringList openTitles;
    QStringList openFilters;
    QStringList openFolders;
    struct SeenImport
    {
        QString file;
        ImportTarget target;
        ImportSettings suggested;
    };
    std::vector<SeenImport> importRequests;
    std::deque<std::function<bool(ImportSettings &)>> importAnswers;
    QStringList saveTitles;
    QStringList saveFilters;
    QStringList rememberedNames; ///< what each save dialog showed first
    std::deque<PrintAnswer> printAnswers;
    QString printToPdf;
    std::vector<int> offeredPages;
    std::deque<RecordingCanvas> printedPages;
    std::vector<int> printedPageNumbers;
    int previews = 0;
    std::deque<ImageExport> exportAnswers;
    std::vector<ImageExport> suggestedExports;

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
