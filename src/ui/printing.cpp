#include "ui/printing.h"

#include "io/output_file.h"
#include "model/error.h"
#include "results/print_layout.h"
#include "ui/painter_canvas.h"

#include <QBuffer>
#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <exception>
#include <string>

namespace carexa {

namespace {

// Writes the bytes a picture or document was drawn into as every output file is written:
// complete or not at all, with the system's reason when it cannot be.
void WriteDrawnFile(const QString &file, const QByteArray &bytes, const char *what)
{
    WriteFileAtomically(QFile::encodeName(file).toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), what);
}

} // namespace

void PrintPages(QPagedPaintDevice &device, const PrintDocument &document, int first, int last)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw Error("The printer could not be started; nothing was printed.");
    const QRectF area(0, 0, device.width(), device.height());
    std::exception_ptr failure;
    for (int page = first; page <= last && !failure; ++page) {
        if (page != first)
            device.newPage();
        painter.save();
        FitLayout(painter, area, kPrintPageWidth, kPrintPageHeight);
        PainterCanvas canvas(
            painter, QRect(0, 0, kPrintPageWidth, kPrintPageHeight), kLayoutUnitsPerPoint);
        canvas.setFontSize(10); // the page's own font until a print sets another size
        BeginPrintPage(canvas);
        try {
            document.drawPage(canvas, page);
        } catch (...) {
            failure = std::current_exception();
        }
        painter.restore();
    }
    painter.end();
    if (failure)
        std::rethrow_exception(failure);
}

void ChosenRange(const QPrinter &printer, int pages, int &first, int &last)
{
    first = 1;
    last = pages;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::clamp(printer.fromPage(), 1, pages);
        last = std::clamp(printer.toPage() > 0 ? printer.toPage() : pages, first, pages);
    }
}

void PrintToPdfFile(const QPrinter &printer, const PrintDocument &document, int first, int last)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(printer.resolution());
        pdf.setPageLayout(printer.pageLayout());
        pdf.setTitle(printer.docName());
        pdf.setCreator(printer.creator());
        PrintPages(pdf, document, first, last);
    }
    WriteDrawnFile(printer.outputFileName(), bytes, "The printed document");
}

void ExportPicture(const ImageExport &choice, int layoutWidth, int layoutHeight,
    const std::function<void(Canvas &canvas)> &draw)
{
    const std::optional<PictureFormat> format = PictureFormatOf(choice.file);
    if (!format)
        throw Error("Pictures can be exported as .png, .svg or .pdf files; \""
            + QuotedText(choice.file.toStdString()) + "\" is none of them.");
    // The picture is drawn in memory and then written as a whole.
    const QByteArray bytes = RenderPicture(
        *format, QSize(choice.width, choice.height), QSize(layoutWidth, layoutHeight), draw);
    WriteDrawnFile(choice.file, bytes, "The picture");
}

} // namespace carexa
