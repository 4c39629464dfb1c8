#include "preview/colour_balance.h"

#include <gtest/gtest.h>

#include <QImage>

TEST(ChannelGains, LargestSliderGetsTheFullGain) {
    const ChannelGains gains = ComputeChannelGains(100, 50, 25, 80, true);
    EXPECT_EQ(gains.red, 80);
    EXPECT_EQ(gains.green, 40);
    EXPECT_EQ(gains.blue, 20);
}

TEST(ChannelGains, SharesRoundHalvesToEven) {
    const ChannelGains gains = ComputeChannelGains(4, 2, 1, 5, true);
    EXPECT_EQ(gains.red, 5);
    EXPECT_EQ(gains.green, 2);  // 2.5
    EXPECT_EQ(gains.blue, 1);   // 1.25
}

TEST(ChannelGains, GreyModeGivesEveryChannelTheGain) {
    const ChannelGains gains = ComputeChannelGains(100, 50, 25, 80, false);
    EXPECT_EQ(gains.red, 80);
    EXPECT_EQ(gains.green, 80);
    EXPECT_EQ(gains.blue, 80);
}

TEST(ChannelGains, AllSlidersAtZeroDoNotDivideByZero) {
    const ChannelGains gains = ComputeChannelGains(0, 0, 0, 60, true);
    EXPECT_EQ(gains.red, 0);
    EXPECT_EQ(gains.blue, 0);
}

namespace {
QImage Filled(QRgb colour, int w = 100, int h = 80) {
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}
}  // namespace

TEST(WhiteBalance, NeutralGreyLeavesTheSlidersAlone) {
    const BalancePositions result =
        WhiteBalanceFromPatch(Filled(qRgb(120, 120, 120)), 50, 40, {70, 60, 50});
    EXPECT_EQ(result.red, 70);
    EXPECT_EQ(result.green, 60);
    EXPECT_EQ(result.blue, 50);
}

TEST(WhiteBalance, ScalesGreenAndBlueTowardsRed) {
    // Patch averages (sum div 121 + 1): r = 101, g = 51, b = 202.
    const BalancePositions result =
        WhiteBalanceFromPatch(Filled(qRgb(100, 50, 201)), 50, 40, {40, 40, 40});
    EXPECT_EQ(result.red, 40);
    EXPECT_EQ(result.green, 79);  // 40 * 101 / 51 = 79.2
    EXPECT_EQ(result.blue, 20);   // 40 * 101 / 202 = 20
}

TEST(WhiteBalance, ScalesAllThreeDownWhenOnePassesTheTop) {
    // g = 26: 100 * 101 / 26 = 388.5 -> 388; then each / 388 * 100.
    const BalancePositions result =
        WhiteBalanceFromPatch(Filled(qRgb(100, 25, 100)), 50, 40, {100, 100, 100});
    EXPECT_EQ(result.green, 100);
    EXPECT_EQ(result.red, 26);  // 100 / 388 * 100 = 25.77
    EXPECT_EQ(result.blue, 26);
}

TEST(WhiteBalance, PointsNearTheEdgeUseAPatchInsideThePicture) {
    QImage picture = Filled(qRgb(100, 100, 100));
    // Only the corner block the clamped patch covers is coloured.
    for (int y = 5; y <= 15; ++y)
        for (int x = 5; x <= 15; ++x)
            picture.setPixel(x, y, qRgb(100, 50, 100));
    const BalancePositions result = WhiteBalanceFromPatch(picture, -30, 0, {50, 50, 50});
    EXPECT_EQ(result.green, 99);  // 50 * 101 / 51
}

TEST(PicturePixelAt, UndoesTheZoomAndStaysOnThePicture) {
    struct Row {
        QPoint shown_at;
        QSize shown;
        QPoint pixel;
    };
    const QSize picture(512, 384);
    for (const Row &row : {
             Row{{200, 150}, {512, 384}, {200, 150}},    // 100 %
             Row{{803, 603}, {2048, 1536}, {200, 150}},  // 400 %: four shown pixels each
             Row{{804, 604}, {2048, 1536}, {201, 151}},
             Row{{50, 40}, {128, 96}, {200, 160}},         // 25 %
             Row{{2047, 1535}, {2048, 1536}, {511, 383}},  // the last pixel
             Row{{-3, 9000}, {1024, 768}, {0, 383}},       // off the picture: its edge
         }) {
        EXPECT_EQ(PicturePixelAt(row.shown_at, row.shown, picture), row.pixel)
            << row.shown_at.x() << "," << row.shown_at.y() << " of " << row.shown.width();
    }
}
