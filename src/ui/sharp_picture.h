#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

namespace carexa {

/// The picture `image` (read from `file`) for a screen of `ratio` device pixels per pixel: on a
/// dense screen the twice-as-large drawing beside it ("NAME@2x.EXT"), when there is one of
/// exactly that size, so it shows sharp instead of blown up; otherwise `image` itself.
QPixmap SharpPicture(const QImage &image, const QString &file, qreal ratio);

} // namespace carexa
