// Draws the two start pictures of the window, "prebackground.bmp" (shown first) and
// "Version4.bmp" (shown with the climate choice), into the folder given:
//   carexa-make-pictures FOLDER

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWidth = 971;
constexpr int kHeight = 684;
// The picture starts 59 pixels left of and 29 above the window's client area.
constexpr int kLeft = 59;
constexpr int kTop = 29;

// A planted gravel bed in cross-section: inlet on the left, five boxes of gravel with reeds,
// the water table, and the outlet on the right.
void DrawBed(QPainter &p, int top, double scale)
{
    const int left = kLeft + 60, right = kLeft + 818;
    const int bottom = top + static_cast<int>(150 * scale);
    QPainterPath basin;
    basin.moveTo(left, top);
    basin.lineTo(left + 40, bottom);
    basin.lineTo(right - 40, bottom);
    basin.lineTo(right, top);
    basin.closeSubpath();

    // Soil around the basin.
    p.fillRect(QRect(0, top - 6, kWidth, kHeight - top + 6), QColor(120, 92, 60));
    // Gravel.
    p.fillPath(basin, QColor(178, 168, 150));
    p.save();
    p.setClipPath(basin);
    QRandomGenerator random(42);
    for (int i = 0; i < 2600; ++i) {
        const int x = left + static_cast<int>(random.bounded(right - left));
        const int y = top + static_cast<int>(random.bounded(bottom - top));
        const int r = 2 + static_cast<int>(random.bounded(4));
        const int shade = 120 + static_cast<int>(random.bounded(90));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(shade, shade - 8, shade - 24));
        p.drawEllipse(QPoint(x, y), r, r);
    }
    // The water table, a little below the surface.
    const int water = top + static_cast<int>(22 * scale);
    p.fillRect(QRect(left, water, right - left, bottom - water), QColor(70, 130, 200, 70));
    p.setPen(QPen(QColor(40, 100, 180), 2, Qt::DashLine));
    p.drawLine(left, water, right, water);
    // The five boxes.
    p.setPen(QPen(QColor(255, 255, 255, 150), 1, Qt::DotLine));
    for (int i = 1; i < 5; ++i) {
        const int x = left + (right - left) * i / 5;
        p.drawLine(x, top, x, bottom);
    }
    p.restore();
    p.setPen(QPen(QColor(60, 50, 40), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(basin);

    // Box letters.
    QFont letters(u"DejaVu Sans"_s, 14, QFont::Bold);
    p.setFont(letters);
    p.setPen(QColor(255, 255, 255, 220));
    for (int i = 0; i < 5; ++i) {
        const int x = left + (right - left) * i / 5;
        p.drawText(QRect(x, bottom - 34, (right - left) / 5, 30), Qt::AlignCenter,
            QString(QChar(u'A' + i)));
    }

    // Reeds.
    QRandomGenerator reeds(7);
    for (int i = 0; i < 140; ++i) {
        const int x = left + 20 + static_cast<int>(reeds.bounded(right - left - 40));
        const int height = static_cast<int>((60 + reeds.bounded(70)) * scale);
        const double lean = (reeds.generateDouble() - 0.5) * 18;
        p.setPen(QPen(QColor(40 + static_cast<int>(reeds.bounded(40)),
                          110 + static_cast<int>(reeds.bounded(60)), 40),
            2));
        p.drawLine(QPointF(x, top), QPointF(x + lean, top - height));
        if (i % 3 == 0) {
            p.setPen(QPen(QColor(110, 70, 40), 5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(
                QPointF(x + lean, top - height), QPointF(x + lean * 1.08, top - height - 12));
        }
    }

    // Inlet and outlet pipes.
    p.setPen(QPen(QColor(70, 70, 80), 1));
    p.setBrush(QColor(120, 120, 135));
    p.drawRect(QRect(kLeft + 10, water - 8, left - kLeft + 10, 12));
    p.drawRect(QRect(right - 20, bottom - 26, kLeft + 868 - right + 10, 12));
    p.setBrush(QColor(70, 130, 200));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(kLeft + 16, water - 2), 5, 5);
    p.drawEllipse(QPoint(kLeft + 862, bottom - 20), 5, 5);
}

// The picture, drawn `scale` times as large (2 for screens of twice the density).
QImage Picture(bool choice, int scale = 1)
{
    QImage image(kWidth * scale, kHeight * scale, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);

    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(122, 170, 214));
    sky.setColorAt(0.6, QColor(214, 230, 240));
    sky.setColorAt(1, QColor(232, 238, 226));
    p.fillRect(QRect(0, 0, kWidth, kHeight), sky);

    DrawBed(p, choice ? 520 : 460, choice ? 0.8 : 1.0);

    p.setPen(QColor(20, 50, 80));
    p.setFont(QFont(u"DejaVu Serif"_s, choice ? 40 : 56, QFont::Bold));
    const QRect client(kLeft, kTop, 878, 630);
    p.drawText(QRect(client.left(), client.top() + (choice ? 76 : 70), client.width(), 90),
        Qt::AlignCenter, u"Carexa 2.0"_s);
    p.setFont(QFont(u"DejaVu Sans"_s, choice ? 14 : 17));
    p.setPen(QColor(40, 70, 100));
    p.drawText(QRect(client.left(), client.top() + (choice ? 152 : 170), client.width(), 40),
        Qt::AlignCenter, u"Subsurface-flow treatment wetlands: design and simulation"_s);
    if (choice) {
        p.setFont(QFont(u"DejaVu Sans"_s, 15, QFont::Bold));
        p.setPen(QColor(30, 60, 90));
        p.drawText(QRect(client.left(), kTop + 218, client.width(), 40), Qt::AlignCenter,
            u"Choose the climate of your wetland"_s);
    } else {
        p.setFont(QFont(u"DejaVu Sans"_s, 12));
        p.drawText(QRect(client.left(), client.top() + 222, client.width(), 30), Qt::AlignCenter,
            u"BOD5  \u00b7  nitrate  \u00b7  ammonium  \u00b7  total phosphorus  \u00b7  organic nitrogen"_s);
    }
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    // Drawing text needs the font database of a GUI application, but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s);
    const bool ok = Picture(false).save(folder.filePath(u"prebackground.bmp"_s), "BMP")
        && Picture(true).save(folder.filePath(u"Version4.bmp"_s), "BMP")
        && Picture(false, 2).save(folder.filePath(u"prebackground@2x.bmp"_s), "BMP")
        && Picture(true, 2).save(folder.filePath(u"Version4@2x.bmp"_s), "BMP");
    if (!ok) {
        std::fprintf(stderr, "carexa-make-pictures: cannot write the pictures\n");
        return 1;
    }
    return 0;
}
