// A screen of twice the density (QT_SCALE_FACTOR=2, the ctest window.HighDpi): the graph is
// drawn with a pixel for each pixel of the screen, and the window with it.

#include "window_fixture.h"

#include "ui/graph_box.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>

using namespace carexa;
using namespace carexa::testing_support;

namespace {

class HighDpi : public WindowTest
{ };

TEST_F(HighDpi, TheGraphAndTheWindowAreDrawnAtTheScreensDensity)
{
    const qreal ratio = form->devicePixelRatioF();
    if (ratio < 2)
        GTEST_SKIP() << "runs with QT_SCALE_FACTOR=2 (ctest window.HighDpi)";
    finishStart();
    // The start picture drawn for the density, not blown up.
    const QPixmap start = form->BackGround->pixmap();
    EXPECT_EQ(start.devicePixelRatio(), 2.0);
    EXPECT_EQ(start.size(), QSize(971 * 2, 684 * 2));
    if (const QString file = qEnvironmentVariable("CAREXA_HIGH_DPI_START"); !file.isEmpty()) {
        EXPECT_TRUE(form->grab().save(file));
    }
    form->requestLoad(QString::fromStdString(ExampleFile("cold_climate_bed.mdl").string()));
    for (const char *button : {"Button35", "Button4", "Button25", "Button6", "Button11"})
        click(QString::fromLatin1(button));
    GraphBox *graph = form->PaintBox1;
    ASSERT_FALSE(graph->picture().isNull());
    EXPECT_EQ(graph->picture().devicePixelRatio(), ratio);
    EXPECT_EQ(graph->picture().size(), graph->size() * ratio);
    // Not a blown-up picture of half the size, whose pixels come in equal pairs: thin lines one
    // screen pixel wide make pairs of two colours.
    const QImage &picture = graph->picture();
    int oddEdges = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x + 1 < picture.width(); x += 2) {
            if (picture.pixel(x, y) != picture.pixel(x + 1, y))
                ++oddEdges;
        }
    }
    EXPECT_GT(oddEdges, 100);

    const QPixmap shot = form->grab();
    EXPECT_EQ(shot.devicePixelRatio(), ratio);
    EXPECT_EQ(shot.size(), form->size() * ratio);
    // CAREXA_HIGH_DPI_SHOT=FILE.png keeps the picture to look at.
    if (const QString file = qEnvironmentVariable("CAREXA_HIGH_DPI_SHOT"); !file.isEmpty()) {
        EXPECT_TRUE(shot.save(file));
    }
}

} // namespace
