#include "preview/text_overlay.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A pixel as (red, green, blue), at x, y counted from the picture's top-left.
QRgb PixelAt(const Bitmap24 &bitmap, int x, int y) {
    const uint8_t *pixel = bitmap.Row(bitmap.Height() - 1 - y) + 3 * x;
    return qRgb(pixel[2], pixel[1], pixel[0]);
}

Bitmap24 GreyPicture(int32_t w, int32_t h, uint8_t value) {
    Bitmap24 bitmap(w, h);
    std::memset(bitmap.Bits(), value, bitmap.ByteCount());
    return bitmap;
}

OverlayLook Visible(QColor background) {
    OverlayLook look;
    look.visible = true;
    look.font = DefaultOverlayFont();
    look.background = background;
    return look;
}

bool OnOutline(const QRect &box, int x, int y) {
    return x == box.left() || x == box.right() || y == box.top() || y == box.bottom();
}

TEST(TextOverlay, AnEmptyStampIsASmallBoxAtThePicturesTopLeft) {
    Bitmap24 bitmap = GreyPicture(64, 48, 128);
    const OverlayLook look = Visible(QColor(200, 0, 0));
    DrawStamp(bitmap, "", look);
    const QRect box = StampBox(QString(), look.font);
    EXPECT_EQ(box.topLeft(), QPoint(10, 8));
    EXPECT_EQ(box.width(), 4);
    EXPECT_GT(box.height(), 4 + 10) << "a line of 12 pt text and the margins";
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const QRgb expected = !box.contains(x, y)    ? qRgb(128, 128, 128)
                                  : OnOutline(box, x, y) ? qRgb(0, 0, 0)
                                                         : qRgb(200, 0, 0);
            ASSERT_EQ(PixelAt(bitmap, x, y), expected) << x << "," << y;
        }
    }
}

// The stamp is in the same place as the text drawn on an ordinary top-down
// picture with the same font, and upright: it matches that text far better
// than the same text upside down.
TEST(TextOverlay, TheTextStandsUprightInsideItsBox) {
    const std::string text = "M42 21:05:03.250";
    Bitmap24 bitmap = GreyPicture(320, 60, 128);
    OverlayLook look = Visible(QColor(0, 0, 0));
    // The font the install script brings, so the comparison does not depend
    // on which of the desktop's fonts the default falls to.
    look.font = QFont(QStringLiteral("DejaVu Sans Mono"), 12);
    DrawStamp(bitmap, text, look);

    QImage reference(320, 60, QImage::Format_RGB32);
    reference.fill(qRgb(128, 128, 128));
    reference.setDotsPerMeterX(3780);
    reference.setDotsPerMeterY(3780);
    const QRect box = StampBox(QString::fromStdString(text), look.font);
    {
        QPainter painter(&reference);
        painter.fillRect(box, Qt::black);
        painter.setFont(look.font);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(10, 10 + QFontMetrics(look.font, &reference).ascent()),
                         QString::fromStdString(text));
    }
    int lit = 0;
    int differing = 0;
    int differing_upside_down = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const QRgb drawn = PixelAt(bitmap, x, y);
            if (!box.contains(x, y)) {
                ASSERT_EQ(drawn, qRgb(128, 128, 128)) << x << "," << y;
                continue;
            }
            lit += qGray(drawn) > 200;
            const int upside_down_y = box.top() + box.bottom() - y;
            differing += std::abs(qGray(drawn) - qGray(reference.pixel(x, y))) > 64;
            differing_upside_down +=
                std::abs(qGray(drawn) - qGray(reference.pixel(x, upside_down_y))) > 64;
        }
    }
    EXPECT_GT(lit, 40) << "the text is there";
    EXPECT_LT(differing, lit / 4);
    EXPECT_LT(differing * 3, differing_upside_down);
}

TEST(TextOverlay, NothingIsDrawnWhileTheOverlayIsOff) {
    Bitmap24 bitmap = GreyPicture(64, 48, 77);
    OverlayLook look = Visible(Qt::red);
    look.visible = false;
    DrawStamp(bitmap, "M42", look);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(PixelAt(bitmap, x, y), qRgb(77, 77, 77));
}

TEST(TextOverlay, AMissingFontOrATinyPictureStillDraws) {
    OverlayLook look = Visible(Qt::blue);
    look.font = QFont(QStringLiteral("No Such Family At All"), 30);
    Bitmap24 bitmap = GreyPicture(200, 80, 0);
    DrawStamp(bitmap, "Saturn", look);
    EXPECT_EQ(PixelAt(bitmap, 10, 8), qRgb(0, 0, 0));
    EXPECT_EQ(PixelAt(bitmap, 11, 9), qRgb(0, 0, 255));

    Bitmap24 tiny = GreyPicture(12, 9, 50);
    DrawStamp(tiny, "a stamp far wider than the picture", look);
    EXPECT_EQ(PixelAt(tiny, 9, 8), qRgb(50, 50, 50));
    EXPECT_EQ(PixelAt(tiny, 10, 8), qRgb(0, 0, 0));
}

// A deep frame (first row at the picture's bottom) takes the stamp at its
// depth: each sample of the box the 8-bit value spread over the depth, a
// mosaic site (G R / B G from the first row) its own colour's, a mono frame
// the blue channel's, as its 8-bit FITS keeps; the rest stays.
TEST(TextOverlay, ADeepFrameTakesTheStampAtItsDepth) {
    const struct {
        int32_t depth;
        bool mosaic;
    } cases[] = {{12, false}, {12, true}, {16, true}};
    constexpr int32_t W = 64, H = 40;
    const OverlayLook look = Visible(QColor(200, 100, 50));
    const QRect box = StampBox(QString(), look.font);
    for (const auto &c : cases) {
        const uint32_t maximum = (1u << c.depth) - 1;
        std::vector<uint16_t> samples(W * H, 777);
        DrawDeepStamp(samples.data(), W, H, c.depth, c.mosaic, "", look);
        for (int y = 0; y < H; ++y) {
            const int row = H - 1 - y;
            for (int x = 0; x < W; ++x) {
                const uint32_t level = !c.mosaic      ? 50
                                       : row % 2 == 0 ? (x % 2 == 0 ? 100 : 200)
                                                      : (x % 2 == 0 ? 50 : 100);
                const uint32_t expected = !box.contains(x, y)    ? 777
                                          : OnOutline(box, x, y) ? 0
                                                                 : (level * maximum + 127) / 255;
                ASSERT_EQ(samples[row * W + x], expected)
                    << "depth " << c.depth << " mosaic " << c.mosaic << " at " << x << "," << y;
            }
        }
        // White text reaches the depth's maximum and nothing goes beyond it.
        std::vector<uint16_t> text(W * H, 0);
        DrawDeepStamp(text.data(), W, H, c.depth, c.mosaic, "M42", look);
        EXPECT_EQ(*std::max_element(text.begin(), text.end()), maximum) << c.depth;
    }
}

TEST(TextOverlay, TheDefaultFontIsTwelvePointFixedWidth) {
    const QFont font = DefaultOverlayFont();
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << QFontInfo(font).family().toStdString();
}

}  // namespace
