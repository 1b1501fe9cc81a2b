// Draws the program's icon and the icon of its project files into an icon theme folder, as the
// hicolor theme lays them out: a scalable SVG and PNGs of the usual sizes.
//   carexa-make-icons FOLDER
// writes FOLDER/hicolor/SIZExSIZE/apps/org.carexa.Carexa.png and
// FOLDER/hicolor/scalable/apps/org.carexa.Carexa.svg, and the same under mimetypes/ for
// application-x-carexa-project.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QSvgGenerator>

#include <array>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Every drawing below is made on a 256 x 256 square; painters are scaled to the size wanted.
constexpr double kSide = 256;

// The icon: a planted gravel bed in a rounded square of sky, water standing in the gravel and
// reeds with their brown heads. Small sizes leave out the pebbles, which would only blur.
void DrawBedEmblem(QPainter &p, bool detailed)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(12, 12, 232, 232);
    QPainterPath square;
    square.addRoundedRect(frame, 44, 44);

    QLinearGradient sky(0, frame.top(), 0, frame.bottom());
    sky.setColorAt(0, QColor(86, 146, 206));
    sky.setColorAt(0.55, QColor(196, 222, 240));
    p.fillPath(square, sky);

    // The basin cut into the ground: soil, gravel, and the water in the gravel. Shapes are cut
    // to the square by intersection rather than by clipping, which SVG Tiny cannot express.
    QPainterPath ground;
    ground.addRect(QRectF(0, 150, kSide, kSide - 150));
    p.fillPath(square.intersected(ground), QColor(120, 88, 56));
    QPainterPath basin;
    basin.moveTo(34, 156);
    basin.lineTo(60, 222);
    basin.lineTo(196, 222);
    basin.lineTo(222, 156);
    basin.closeSubpath();
    p.fillPath(basin, QColor(186, 174, 152));
    if (detailed) {
        QRandomGenerator random(23);
        for (int i = 0; i < 90; ++i) {
            const double x = 34 + random.bounded(188.0);
            const double y = 156 + random.bounded(66.0);
            const int shade = 130 + static_cast<int>(random.bounded(80));
            QPainterPath pebble;
            pebble.addEllipse(QPointF(x, y), 4.5, 4.0);
            p.fillPath(pebble.intersected(basin), QColor(shade, shade - 10, shade - 28));
        }
    }
    QPainterPath water;
    water.moveTo(38.5, 167);
    water.lineTo(60, 222);
    water.lineTo(196, 222);
    water.lineTo(217.5, 167);
    water.closeSubpath();
    p.fillPath(water, QColor(40, 110, 200, 120));
    p.setPen(QPen(QColor(30, 90, 180), detailed ? 4 : 8));
    p.drawLine(QPointF(38.5, 167), QPointF(217.5, 167));
    p.setPen(QPen(QColor(70, 52, 36), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(basin);

    // Reeds: a stem, a leaf and a brown head each; fewer and bolder when small.
    struct Reed
    {
        double x, top, lean;
        bool head;
    };
    const std::array<Reed, 7> reeds {{{62, 84, -8, true}, {84, 54, 4, true}, {106, 98, -4, false},
        {128, 40, 2, true}, {150, 88, 6, false}, {172, 58, 10, true}, {194, 92, 4, true}}};
    const double stem = detailed ? 7 : 12;
    for (std::size_t i = 0; i < reeds.size(); ++i) {
        if (!detailed && i % 2 == 0 && i != 0 && i != reeds.size() - 1)
            continue;
        const Reed &reed = reeds[i];
        const QPointF foot(reed.x, 158), tip(reed.x + reed.lean, reed.top);
        p.setPen(QPen(QColor(46, 128, 52), stem, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(foot, tip);
        if (detailed) {
            // Leaves bend to either side in turn.
            const double side = i % 2 == 0 ? 1 : -1;
            QPainterPath leaf;
            leaf.moveTo(reed.x, 150);
            leaf.quadTo(reed.x + side * 16, 122, reed.x + side * 24, 108);
            p.setPen(QPen(QColor(72, 150, 64), 5, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(leaf);
        }
        if (reed.head) {
            const QPointF from = tip + QPointF(reed.lean * 0.05, 16);
            const QPointF to = tip + QPointF(reed.lean * 0.12, 48);
            p.setPen(QPen(QColor(120, 72, 36), detailed ? 16 : 22, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(from, to);
        }
    }

    p.setPen(QPen(QColor(30, 60, 96), 6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(square);
}

// The icon of a project file: a sheet with a folded corner and the bed on it.
void DrawProjectEmblem(QPainter &p, bool detailed)
{
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath sheet;
    sheet.moveTo(40, 12);
    sheet.lineTo(170, 12);
    sheet.lineTo(216, 58);
    sheet.lineTo(216, 244);
    sheet.lineTo(40, 244);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(90, 96, 104), 6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(250, 250, 246));
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(170, 12);
    corner.lineTo(170, 58);
    corner.lineTo(216, 58);
    p.setBrush(QColor(214, 218, 222));
    p.drawPath(corner);
    // The program's emblem, smaller, on the lower part of the sheet.
    p.save();
    p.translate(58, 86);
    p.scale(140.0 / kSide, 140.0 / kSide);
    DrawBedEmblem(p, detailed);
    p.restore();
}

using Drawing = std::function<void(QPainter &, bool)>;

bool WritePng(const Drawing &draw, int size, const QString &file)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.scale(size / kSide, size / kSide);
        draw(p, size >= 48);
    }
    return image.save(file, "PNG");
}

bool WriteSvg(const Drawing &draw, const QString &file, const QString &title)
{
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRectF(0, 0, kSide, kSide));
    svg.setTitle(title);
    {
        QPainter p(&svg);
        draw(p, true);
    }
    return QFileInfo(file).size() > 0;
}

bool WriteIcons(const QDir &theme, const QString &context, const QString &name, const Drawing &draw)
{
    bool ok = true;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString folder = u"hicolor/%1x%1/%2"_s.arg(size).arg(context);
        ok = ok && theme.mkpath(folder)
            && WritePng(draw, size, theme.filePath(folder + u'/' + name + u".png"_s));
    }
    const QString scalable = u"hicolor/scalable/"_s + context;
    return ok && theme.mkpath(scalable)
        && WriteSvg(draw, theme.filePath(scalable + u'/' + name + u".svg"_s), u"Carexa"_s);
}

} // namespace

int main(int argc, char **argv)
{
    // Drawing needs a GUI application, but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir theme(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s);
    const bool ok = WriteIcons(theme, u"apps"_s, u"org.carexa.Carexa"_s, DrawBedEmblem)
        && WriteIcons(theme, u"mimetypes"_s, u"application-x-carexa-project"_s, DrawProjectEmblem);
    if (!ok) {
        std::fprintf(stderr, "carexa-make-icons: cannot write the icons\n");
        return 1;
    }
    return 0;
}
