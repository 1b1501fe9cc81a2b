#pragma once

#include "results/canvas.h"

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

class QGuiApplication;
class QPainter;

namespace carexa {

/// The kinds of picture the program writes, told by the file name's extension.
enum class PictureFormat { Png, Svg, Pdf };

/// The format of a file name ending in .png, .svg or .pdf (in any case); nothing for any other.
std::optional<PictureFormat> PictureFormatOf(const QString &fileName);

/// Layout units per typographic point: the printed layout assumes 600 units to the inch.
inline constexpr double kLayoutUnitsPerPoint = 600.0 / 72.0;

/// The sides a picture may have: pixels for PNG and SVG, points for PDF.
inline constexpr int kPictureMinSide = 100;
inline constexpr int kPictureMaxSide = 10000;

/// Maps a layout of `width` x `height` units onto `target` (device coordinates), centred and
/// scaled to fit, keeping its proportions.
void FitLayout(QPainter &painter, const QRectF &target, double width, double height);

/// The bytes of a picture file of `size` (pixels for PNG and SVG, points for PDF) on a white
/// ground, with a drawing laid out in `layout` units centred and scaled to fit. The canvas turns
/// font sizes in points into layout units at 600 units to the inch. Throws Error when there is
/// not the memory for a picture of that size.
QByteArray RenderPicture(PictureFormat format, QSize size, QSize layout,
    const std::function<void(Canvas &canvas)> &draw);

/// Keeps a QGuiApplication while it lives when the program has none, so pictures can be drawn
/// from a program without a window. Without QT_QPA_PLATFORM set it draws off screen, with no
/// display needed. Meanwhile only the toolkit's critical messages reach standard error.
class PictureSession
{
public:
    PictureSession();
    ~PictureSession();
    PictureSession(const PictureSession &) = delete;
    PictureSession &operator=(const PictureSession &) = delete;

private:
    // The application keeps the arguments it was given for its whole life.
    char name_[7] = "carexa";
    char platformOption_[10] = "-platform";
    char offscreen_[10] = "offscreen";
    int argc_ = 1;
    char *argv_[4] {};
    QtMessageHandler previousHandler_ = nullptr;
    std::unique_ptr<QGuiApplication> application_;
};

} // namespace carexa
