#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstdlib>

// The icons installed for the desktop are drawn at build time from the drawing that made the
// window's own icon; each must be the size its folder names and show the mouse.
namespace {

QImage installedIcon(int size)
{
    const QString path = QStringLiteral(TAMBLO_ICON_DIR "/%1x%1/apps/tamblo.png").arg(size);
    return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

// The largest difference of one colour or alpha channel between two images of the same size;
// rounding in the painter's blending may move a channel by a step or two between builds.
int largestChannelDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

class DrawnIcon : public testing::TestWithParam<int> {};

TEST_P(DrawnIcon, HasItsSizeATransparentEdgeAndAnOpaqueMouse)
{
    const int size = GetParam();
    const QImage icon = installedIcon(size);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.width(), size);
    EXPECT_EQ(icon.height(), size);
    // The top left corner is background; the middle of the lower half is the mouse's white body.
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    const QColor body = icon.pixelColor(size / 2, size * 3 / 4);
    EXPECT_EQ(body.alpha(), 255);
    EXPECT_GT(body.lightness(), 200);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DrawnIcon, testing::Values(TAMBLO_ICON_SIZES));

TEST(DrawnIconSource, The128PixelDrawingIsTheWindowsOwnIcon)
{
    const QImage committed =
        QImage(QStringLiteral(TAMBLO_WINDOW_ICON)).convertToFormat(QImage::Format_ARGB32);
    const QImage drawn = installedIcon(128);
    ASSERT_FALSE(committed.isNull());
    ASSERT_EQ(drawn.size(), committed.size());
    EXPECT_LE(largestChannelDifference(drawn, committed), 2)
        << "the drawing changed: redraw resources/image/exe.png with tamblo_draw_icon";
}

TEST(DrawnIconSource, TheWindowsIconIsTheDrawingAtEachOfItsSizes)
{
    QImageReader reader(QStringLiteral(TAMBLO_WINDOWS_ICON));
    QList<int> sizes;
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        sizes << image.width();
        const QImage drawn = installedIcon(image.width());
        ASSERT_EQ(drawn.size(), image.size());
        EXPECT_LE(largestChannelDifference(drawn, image.convertToFormat(QImage::Format_ARGB32)), 2)
            << "the drawing changed: redraw resources/image/exe.ico with tamblo_draw_icon";
    }
    EXPECT_EQ(sizes, (QList<int>{16, 24, 32, 48, 64, 128, 256}));
}

}  // namespace
