#include "preview/picture_conversion.h"

#include <gtest/gtest.h>

#include <QImage>
#include <vector>

TEST(StretchTable, NeutralPointsLeaveValuesAlone) {
    const StretchTable table = BuildStretchTable(0, 255);
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(table[v], v);
}

TEST(StretchTable, AdjacentPointsMakeAHardThreshold) {
    const StretchTable table = BuildStretchTable(100, 101);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[100], 0);
    EXPECT_EQ(table[101], 255);
    EXPECT_EQ(table[255], 255);
}

TEST(StretchTable, SpreadsTheRangeBetweenThePointsAndRoundsHalvesToEven) {
    const StretchTable table = BuildStretchTable(0, 2);
    EXPECT_EQ(table[1], 128);  // 127.5 goes to the even neighbour
    const StretchTable wide = BuildStretchTable(50, 200);
    EXPECT_EQ(wide[50], 0);
    EXPECT_EQ(wide[125], 128);  // 255 / 150 * 75 = 127.5
    EXPECT_EQ(wide[200], 255);
    EXPECT_EQ(wide[126], 129);  // 129.2
    for (int v = 51; v <= 200; ++v)
        EXPECT_GE(wide[v], wide[v - 1]);
}

TEST(StretchTable, EqualPointsAreSeparatedFirst) {
    // b = w = 0: the white point moves up to 1.
    StretchTable table = BuildStretchTable(0, 0);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 255);
    // b = w = 80: the black point moves down to 79.
    table = BuildStretchTable(80, 80);
    EXPECT_EQ(table[79], 0);
    EXPECT_EQ(table[80], 255);
}

TEST(StretchTable, WhitePointBelowBlackPointTurnsEverythingFromItWhite) {
    const StretchTable table = BuildStretchTable(200, 100);
    EXPECT_EQ(table[99], 0);
    EXPECT_EQ(table[100], 255);
    EXPECT_EQ(table[150], 255);
}

TEST(ApplyStretch, MapsEveryByte) {
    std::vector<uint8_t> bytes{0, 100, 101, 255};
    ApplyStretch(BuildStretchTable(100, 101), bytes.data(), bytes.size());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 255, 255}));
}

TEST(BitmapFlip, MirrorsRowsAndKeepsTheMiddleOfAnOddWidth) {
    Bitmap24 bitmap(3, 2);
    for (int r = 0; r < 2; ++r) {
        for (int i = 0; i < 9; ++i)
            bitmap.Row(r)[i] = uint8_t(10 * r + i);
    }
    BitmapFlip(bitmap);
    for (int r = 0; r < 2; ++r) {
        const uint8_t *row = bitmap.Row(r);
        // Pixel 2 came to 0, pixel 1 stayed, pixel 0 went to 2; bytes keep their order.
        EXPECT_EQ(row[0], 10 * r + 6);
        EXPECT_EQ(row[2], 10 * r + 8);
        EXPECT_EQ(row[3], 10 * r + 3);
        EXPECT_EQ(row[5], 10 * r + 5);
        EXPECT_EQ(row[6], 10 * r + 0);
    }
    BitmapFlip(bitmap);
    EXPECT_EQ(bitmap.Row(1)[0], 10);
}

TEST(BitmapToImage, DrawsTheBottomRowLastInScreenColours) {
    Bitmap24 bitmap(2, 2);
    // Bottom row: a blue pixel then a red one; top row grey.
    const uint8_t bottom[6] = {255, 0, 0, 0, 0, 255};
    std::copy(bottom, bottom + 6, bitmap.Row(0));
    std::fill(bitmap.Row(1), bitmap.Row(1) + 6, 90);
    QImage picture;
    BitmapToImage(bitmap, picture);
    ASSERT_EQ(picture.size(), QSize(2, 2));
    EXPECT_EQ(picture.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(picture.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(90, 90, 90));
}

// The mirror and the stretch take whole-register shortcuts on processors
// that have them; every row width and length must still give exactly what
// the pixel-by-pixel rule gives, tails and middles included.
TEST(BitmapFlip, MatchesThePixelRuleForEveryKindOfWidth) {
    for (int32_t w :
         {1, 2, 3, 15, 16, 63, 64, 65, 127, 128, 129, 191, 192, 255, 256, 640, 2047, 2048}) {
        Bitmap24 bitmap(w, 2);
        for (int32_t r = 0; r < 2; ++r)
            for (int32_t i = 0; i < 3 * w; ++i)
                bitmap.Row(r)[i] = uint8_t(i * 7 + r);
        BitmapFlip(bitmap);
        for (int32_t r = 0; r < 2; ++r) {
            for (int32_t x = 0; x < w; ++x) {
                for (int c = 0; c < 3; ++c) {
                    ASSERT_EQ(bitmap.Row(r)[3 * x + c], uint8_t((3 * (w - 1 - x) + c) * 7 + r))
                        << "width " << w << " row " << r << " pixel " << x;
                }
            }
        }
    }
}

TEST(ApplyStretch, MatchesTheTableForEveryLength) {
    const StretchTable table = BuildStretchTable(37, 211);
    for (size_t count : {size_t(0), size_t(1), size_t(63), size_t(64), size_t(65), size_t(200)}) {
        std::vector<uint8_t> bytes(count + 8, 0xEE);
        for (size_t i = 0; i < count; ++i)
            bytes[i] = uint8_t(i * 13);
        ApplyStretch(table, bytes.data(), count);
        for (size_t i = 0; i < count; ++i)
            ASSERT_EQ(bytes[i], table[uint8_t(i * 13)]) << i;
        for (size_t i = count; i < bytes.size(); ++i)
            ASSERT_EQ(bytes[i], 0xEE) << "byte " << i << " past the end was written";
    }
}
