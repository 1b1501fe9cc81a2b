#pragma once

#include "io/csv_import.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <string_view>

class QPageLayout;
class QPagedPaintDevice;
class QWidget;

namespace carexa {

class Canvas;

/// A document to print: `pages` pages, each drawn by `drawPage` (1-based) on a canvas in the
/// units of the printed page layout.
struct PrintDocument
{
    int pages = 1;
    std::function<void(Canvas &canvas, int page)> drawPage;
};

/// Where and how large an exported picture goes; the format follows the file's extension
/// (.png, .svg or .pdf).
struct ImageExport
{
    QString file;
    int width = 1600;
    int height = 1200;
};

/// What the import dialog shows: the file, its whole text, the grid it goes to and the settings
/// found in it.
struct ImportRequest
{
    QString file;
    std::string_view text;
    ImportTarget target = ImportTarget::Forcing;
    ImportSettings suggested;
};

/// What the import dialog hands back: the settings chosen, and whether the water volume and the
/// retention times are to be calculated after the import ("Recalculate water volume and
/// retention times").
struct ImportChoice
{
    ImportSettings settings;
    bool recalculate = false;
};

/// Whether that tick starts on: forcing data whose columns bring the water flow but no RTB.
bool RecalculateByDefault(ImportTarget target, const ImportSettings &settings);

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
    /// The answers of a question.
    enum class Answer { Yes, No, Cancel };
    /// A question with Yes and No, and Cancel when `withCancel` (Esc answers Cancel, or No
    /// without it).
    virtual Answer ask(QWidget *parent, const QString &text, const QString &caption, bool withCancel)
        = 0;
    /// A question with buttons of its own, the first the default and Esc the last; the index of
    /// the button chosen.
    virtual int choose(QWidget *parent, const QString &text, const QString &caption,
        const QStringList &buttons)
        = 0;
    /// The save dialog with a name filter, first showing `suggested` (a file's path, or a
    /// folder's); the chosen file name, or the empty text when the user cancelled.
    virtual QString saveFileName(
        QWidget *parent, const QString &title, const QString &filter, const QString &suggested)
        = 0;
    /// The open dialog with a title and a name filter ("CSV files (*.csv);;All files (*)"),
    /// showing `folder` first; the chosen file name, or the empty text when cancelled.
    virtual QString openFileName(
        QWidget *parent, const QString &title, const QString &filter, const QString &folder)
        = 0;
    /// The import dialog: a preview of the file with its settings, which the user may change;
    /// the chosen settings (with the recalculation tick of forcing data), or nothing when the
    /// user cancelled.
    virtual std::optional<ImportChoice> chooseImport(
        QWidget *parent, const ImportRequest &request)
        = 0;
    /// The print dialog, offering pages 1 to document.pages, then the chosen pages on the chosen
    /// printer or file; false when the user cancelled.
    virtual bool print(QWidget *parent, const PrintDocument &document) = 0;
    /// A preview of the whole document, from which the user may print it.
    virtual void preview(QWidget *parent, const PrintDocument &document) = 0;
    /// A preview of pages that `paint` paints on a device of `layout` (the design report), from
    /// which the user may print them. Scripted dialogs show nothing.
    virtual void previewPages(QWidget *parent, const QPageLayout &layout,
        const std::function<void(QPagedPaintDevice &device)> &paint)
    {
        (void)parent;
        (void)layout;
        (void)paint;
    }
    /// Asks where to export a picture and at which size; nothing when the user cancelled.
    virtual std::optional<ImageExport> exportImage(QWidget *parent, const ImageExport &suggested)
        = 0;
};

/// The real dialogs of the toolkit.
class QtUserDialogs : public UserDialogs
{
public:
    void showMessage(QWidget *parent, const QString &text, const QString &caption) override;
    bool confirm(QWidget *parent, const QString &text, const QString &caption) override;
    Answer ask(
        QWidget *parent, const QString &text, const QString &caption, bool withCancel) override;
    int choose(QWidget *parent, const QString &text, const QString &caption,
        const QStringList &buttons) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &filter,
        const QString &suggested) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter,
        const QString &folder) override;
    std::optional<ImportChoice> chooseImport(
        QWidget *parent, const ImportRequest &request) override;
    bool print(QWidget *parent, const PrintDocument &document) override;
    void preview(QWidget *parent, const PrintDocument &document) override;
    void previewPages(QWidget *parent, const QPageLayout &layout,
        const std::function<void(QPagedPaintDevice &device)> &paint) override;
    std::optional<ImageExport> exportImage(QWidget *parent, const ImageExport &suggested) override;
};

/// The caption of the program's message boxes when none is given.
QString ProgramCaption();

} // namespace carexa
