#include "ui/sharp_picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <filesystem>
#include <system_error>

namespace carexa {

using namespace Qt::StringLiterals;

QPixmap SharpPicture(const QImage &image, const QString &file, qreal ratio)
{
    if (ratio <= 1)
        return QPixmap::fromImage(image);
    const QFileInfo info(file);
    const QString dense
        = QDir(info.path()).filePath(u"%1@2x.%2"_s.arg(info.completeBaseName(), info.suffix()));
    // Only a regular file is read, as for the picture itself.
    std::error_code ignored;
    if (std::filesystem::status(QFile::encodeName(dense).toStdString(), ignored).type()
        != std::filesystem::file_type::regular)
        return QPixmap::fromImage(image);
    QImage larger = QImageReader(dense).read();
    if (larger.isNull() || larger.size() != image.size() * 2)
        return QPixmap::fromImage(image);
    larger.setDevicePixelRatio(2);
    return QPixmap::fromImage(larger);
}

} // namespace carexa
