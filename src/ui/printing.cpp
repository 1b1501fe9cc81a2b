#include "ui/printing.h"

#include "io/output_file.h"
#include "model/error.h"
#include "results/print_layout.h"
#include "ui/painter_canvas.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>

#include <algorithm>
#include <exception>

namespace carexa {

namespace {

// Maps a layout of the given size onto `target` (device coordinates), centred and scaled to fit.
void FitLayout(QPainter &painter, const QRectF &target, double width, double height)
{
    const double scale = std::min(target.width() / width, target.height() / height);
    painter.translate(target.left() + (target.width() - width * scale) / 2,
        target.top() + (target.height() - height * scale) / 2);
    painter.scale(scale, scale);
}

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
    const QString suffix = QFileInfo(choice.file).suffix().toLower();
    const QSize size(std::max(choice.width, 1), std::max(choice.height, 1));
    const auto paint = [&](QPainter &painter, const QRectF &target) {
        painter.setRenderHint(QPainter::Antialiasing);
        FitLayout(painter, target, layoutWidth, layoutHeight);
        PainterCanvas canvas(painter, QRect(0, 0, layoutWidth, layoutHeight), kLayoutUnitsPerPoint);
        canvas.setFontSize(10);
        draw(canvas);
    };
    const auto failed = [] { return Error("The picture could not be drawn."); };

    // The picture is drawn in memory and then written as a whole.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (suffix == QStringLiteral("png")) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            paint(painter, QRectF(QPointF(0, 0), size));
        }
        if (!image.save(&buffer, "PNG"))
            throw failed();
    } else if (suffix == QStringLiteral("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Carexa 2.0 graph"));
        QPainter painter;
        if (!painter.begin(&svg))
            throw failed();
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        paint(painter, QRectF(QPointF(0, 0), size));
        painter.end();
    } else if (suffix == QStringLiteral("pdf")) {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&pdf))
            throw failed();
        paint(painter, QRectF(0, 0, pdf.width(), pdf.height()));
        painter.end();
    } else {
        throw Error("Pictures can be exported as .png, .svg or .pdf files; \""
            + QuotedText(choice.file.toStdString()) + "\" is none of them.");
    }
    buffer.close();
    WriteDrawnFile(choice.file, bytes, "The picture");
}

} // namespace carexa
