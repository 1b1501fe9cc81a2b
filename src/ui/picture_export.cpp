#include "ui/picture_export.h"

#include "model/error.h"
#include "ui/painter_canvas.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <string>

namespace carexa {

std::optional<PictureFormat> PictureFormatOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QStringLiteral("png"))
        return PictureFormat::Png;
    if (suffix == QStringLiteral("svg"))
        return PictureFormat::Svg;
    if (suffix == QStringLiteral("pdf"))
        return PictureFormat::Pdf;
    return std::nullopt;
}

void FitLayout(QPainter &painter, const QRectF &target, double width, double height)
{
    const double scale = std::min(target.width() / width, target.height() / height);
    painter.translate(target.left() + (target.width() - width * scale) / 2,
        target.top() + (target.height() - height * scale) / 2);
    painter.scale(scale, scale);
}

QByteArray RenderPicture(
    PictureFormat format, QSize size, QSize layout, const std::function<void(Canvas &canvas)> &draw)
{
    size = size.expandedTo(QSize(1, 1));
    const auto paint = [&](QPainter &painter, const QRectF &target) {
        painter.setRenderHint(QPainter::Antialiasing);
        FitLayout(painter, target, layout.width(), layout.height());
        const QRect area(QPoint(0, 0), layout);
        painter.setClipRect(area);
        PainterCanvas canvas(painter, area, kLayoutUnitsPerPoint);
        draw(canvas);
    };
    const auto failed = [&size] {
        return Error("A picture of " + std::to_string(size.width()) + " x "
            + std::to_string(size.height()) + " could not be drawn; there is not enough memory.");
    };

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    switch (format) {
    case PictureFormat::Png: {
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull())
            throw failed();
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            paint(painter, QRectF(QPointF(0, 0), size));
        }
        if (!image.save(&buffer, "PNG"))
            throw failed();
        break;
    }
    case PictureFormat::Svg: {
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
        break;
    }
    case PictureFormat::Pdf: {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(72); // one unit a point, so the size is in points
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("Carexa 2.0 graph"));
        QPainter painter;
        if (!painter.begin(&pdf))
            throw failed();
        paint(painter, QRectF(0, 0, pdf.width(), pdf.height()));
        painter.end();
        break;
    }
    }
    return bytes;
}

namespace {

// A program without a window has no place for the toolkit's notes about its surroundings (such
// as a missing runtime folder); only its errors get through.
void KeepToolkitErrors(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        qt_message_output(type, context, text);
}

} // namespace

PictureSession::PictureSession()
{
    if (QCoreApplication::instance())
        return;
    previousHandler_ = qInstallMessageHandler(KeepToolkitErrors);
    argv_[0] = name_;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        argv_[1] = platformOption_;
        argv_[2] = offscreen_;
        argc_ = 3;
    }
    application_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

PictureSession::~PictureSession()
{
    if (application_) {
        application_.reset();
        qInstallMessageHandler(previousHandler_);
    }
}

} // namespace carexa
