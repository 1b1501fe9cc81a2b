#include "ui/user_dialogs.h"

#include "model/error.h"
#include "ui/import_dialog.h"
#include "ui/printing.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <vector>

#include <exception>

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

UserDialogs::Answer QtUserDialogs::ask(
    QWidget *parent, const QString &text, const QString &caption, bool withCancel)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    const auto chosen
        = QMessageBox::question(parent, caption.isEmpty() ? ProgramCaption() : caption, text,
            buttons, withCancel ? QMessageBox::Cancel : QMessageBox::No);
    if (chosen == QMessageBox::Yes)
        return Answer::Yes;
    return chosen == QMessageBox::No ? Answer::No : Answer::Cancel;
}

int QtUserDialogs::choose(
    QWidget *parent, const QString &text, const QString &caption, const QStringList &buttons)
{
    QMessageBox box(QMessageBox::Question, caption.isEmpty() ? ProgramCaption() : caption, text,
        QMessageBox::NoButton, parent);
    std::vector<QAbstractButton *> added;
    for (int i = 0; i < buttons.size(); ++i) {
        const QMessageBox::ButtonRole role = i == 0 ? QMessageBox::AcceptRole
            : i + 1 == buttons.size()              ? QMessageBox::RejectRole
                                                   : QMessageBox::DestructiveRole;
        added.push_back(box.addButton(buttons[i], role));
    }
    if (!added.empty()) {
        box.setDefaultButton(qobject_cast<QPushButton *>(added.front()));
        box.setEscapeButton(added.back());
    }
    box.exec();
    const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
    return chosen == added.end() ? static_cast<int>(added.size()) - 1
                                 : static_cast<int>(chosen - added.begin());
}

bool RecalculateByDefault(ImportTarget target, const ImportSettings &settings)
{
    if (target != ImportTarget::Forcing)
        return false;
    constexpr int kFlowColumn = 2, kRtbColumn = 11;
    // The first file column is the day column when there is one, whatever its entry says.
    const std::size_t from = settings.dayColumn == DayColumn::None ? 0 : 1;
    bool flow = false, rtb = false;
    for (std::size_t c = from; c < settings.columns.size(); ++c) {
        flow = flow || settings.columns[c] == kFlowColumn;
        rtb = rtb || settings.columns[c] == kRtbColumn;
    }
    return flow && !rtb;
}

QString QtUserDialogs::saveFileName(
    QWidget *parent, const QString &title, const QString &filter, const QString &suggested)
{
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filter.split(QStringLiteral(";;")));
    if (QFileInfo(suggested).isDir())
        dialog.setDirectory(suggested);
    else if (!suggested.isEmpty())
        dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtUserDialogs::openFileName(
    QWidget *parent, const QString &title, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

std::optional<ImportChoice> QtUserDialogs::chooseImport(
    QWidget *parent, const ImportRequest &request)
{
    ImportDialog dialog(request, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ImportChoice {dialog.settings(), dialog.recalculate()};
}

bool QtUserDialogs::print(QWidget *parent, const PrintDocument &document)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile);
    dialog.setMinMax(1, document.pages);
    printer.setFromTo(1, document.pages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    int first = 1;
    int last = document.pages;
    ChosenRange(printer, document.pages, first, last);
    // "Print to file" goes through the program's own writer, so a failed print leaves an
    // earlier file of that name whole.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        PrintToPdfFile(printer, document, first, last);
    else
        PrintPages(printer, document, first, last);
    return true;
}

void QtUserDialogs::preview(QWidget *parent, const PrintDocument &document)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, parent);
    std::exception_ptr failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
        [&document, &failure](QPrinter *target) {
            try {
                int first = 1;
                int last = document.pages;
                ChosenRange(*target, document.pages, first, last);
                PrintPages(*target, document, first, last);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    dialog.exec();
    if (failure)
        std::rethrow_exception(failure);
}

void QtUserDialogs::previewPages(QWidget *parent, const QPageLayout &layout,
    const std::function<void(QPagedPaintDevice &device)> &paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(layout);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("reportPreviewDialog"));
    std::exception_ptr failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
        [&paint, &failure](QPrinter *target) {
            try {
                paint(*target);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    dialog.exec();
    if (failure)
        std::rethrow_exception(failure);
}

std::optional<ImageExport> QtUserDialogs::exportImage(QWidget *parent, const ImageExport &suggested)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Export graph"));
    auto *form = new QFormLayout(&dialog);
    auto *file = new QLineEdit(suggested.file, &dialog);
    auto *browse = new QPushButton(QStringLiteral("Browse..."), &dialog);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(file);
    fileRow->addWidget(browse);
    form->addRow(QStringLiteral("File:"), fileRow);
    auto *width = new QSpinBox(&dialog);
    width->setRange(kPictureMinSide, kPictureMaxSide);
    width->setValue(suggested.width);
    width->setSuffix(QStringLiteral(" px"));
    form->addRow(QStringLiteral("Width:"), width);
    auto *height = new QSpinBox(&dialog);
    height->setRange(kPictureMinSide, kPictureMaxSide);
    height->setValue(suggested.height);
    height->setSuffix(QStringLiteral(" px"));
    form->addRow(QStringLiteral("Height:"), height);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, file] {
        // The type of the file named first.
        QStringList filters {QStringLiteral("PNG image (*.png)"),
            QStringLiteral("SVG drawing (*.svg)"), QStringLiteral("PDF document (*.pdf)")};
        const QString suffix = QFileInfo(file->text()).suffix().toLower();
        for (qsizetype i = 0; i < filters.size(); ++i) {
            if (!suffix.isEmpty() && filters[i].contains(QStringLiteral("*.") + suffix))
                filters.move(i, 0);
        }
        const QString chosen = QFileDialog::getSaveFileName(
            &dialog, QStringLiteral("Export graph"), file->text(), filters.join(u";;"));
        if (!chosen.isEmpty())
            file->setText(chosen);
    });
    if (dialog.exec() != QDialog::Accepted || file->text().isEmpty())
        return std::nullopt;
    return ImageExport {file->text(), width->value(), height->value()};
}

} // namespace carexa
