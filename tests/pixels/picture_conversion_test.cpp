#include "pixels/picture_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/instruction_sets.h"

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
    ApplyStretch(100, 101, bytes.data(), bytes.size());
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

// Stretch, mirror and colour conversion run on every instruction set the
// processor has; each must give exactly what the plain rule gives, for row
// tails, middles and one-pixel pictures too.

TEST(ApplyStretch, EqualsTheTableForEveryBlackAndWhitePointOnEverySet) {
    // Every byte value, then a ragged tail so that the vector loop and the
    // remainder both see every value; guard bytes must stay.
    constexpr size_t COUNT = 256 * 2 + 45;
    std::vector<uint8_t> input(COUNT);
    for (size_t i = 0; i < COUNT; ++i)
        input[i] = uint8_t(i * 167 + (i >> 8));
    OnEveryInstructionSet([&] {
        std::vector<uint8_t> bytes(COUNT + 8);
        int64_t wrong = 0;
        for (int32_t black = 0; black < 256; ++black) {
            for (int32_t white = 0; white < 256; ++white) {
                const StretchTable table = BuildStretchTable(black, white);
                std::copy(input.begin(), input.end(), bytes.begin());
                std::fill(bytes.begin() + COUNT, bytes.end(), 0xEE);
                ApplyStretch(black, white, bytes.data(), COUNT);
                for (size_t i = 0; i < COUNT; ++i) {
                    if (bytes[i] != table[input[i]] && wrong++ == 0) {
                        ADD_FAILURE()
                            << "black " << black << " white " << white << " value " << int(input[i])
                            << ": " << int(bytes[i]) << " instead of " << int(table[input[i]]);
                    }
                }
                for (size_t i = COUNT; i < bytes.size(); ++i)
                    wrong += bytes[i] != 0xEE;
            }
        }
        EXPECT_EQ(wrong, 0);
    });
}

TEST(ApplyStretch, LeavesTheBytesAfterTheCountAlone) {
    OnEveryInstructionSet([] {
        for (size_t count : {size_t(0), size_t(1), size_t(63), size_t(64), size_t(65)}) {
            std::vector<uint8_t> bytes(count + 70, 0xEE);
            ApplyStretch(37, 211, bytes.data(), count);
            for (size_t i = count; i < bytes.size(); ++i)
                ASSERT_EQ(bytes[i], 0xEE) << "byte " << i << " past " << count << " was written";
        }
    });
}

TEST(BitmapFlip, MatchesThePixelRuleForEveryWidthOnEverySet) {
    OnEveryInstructionSet([] {
        for (int32_t w : AWKWARD_WIDTHS) {
            Bitmap24 bitmap(w, 2);
            for (int32_t r = 0; r < 2; ++r)
                for (int32_t i = 0; i < bitmap.Stride(); ++i)
                    bitmap.Row(r)[i] = uint8_t(i * 7 + r);
            BitmapFlip(bitmap);
            for (int32_t r = 0; r < 2; ++r) {
                for (int32_t x = 0; x < w; ++x) {
                    for (int c = 0; c < 3; ++c) {
                        ASSERT_EQ(bitmap.Row(r)[3 * x + c], uint8_t((3 * (w - 1 - x) + c) * 7 + r))
                            << "width " << w << " row " << r << " pixel " << x;
                    }
                }
                for (int32_t i = 3 * w; i < bitmap.Stride(); ++i)
                    ASSERT_EQ(bitmap.Row(r)[i], uint8_t(i * 7 + r)) << "padding, width " << w;
            }
        }
    });
}

TEST(BitmapToRgb32, TurnsTheBitmapUpsideDownIntoOpaquePixelsOnEverySet) {
    OnEveryInstructionSet([] {
        for (int32_t w : AWKWARD_WIDTHS) {
            for (int32_t h : {1, 3}) {
                Bitmap24 bitmap(w, h);
                for (int32_t r = 0; r < h; ++r)
                    for (int32_t i = 0; i < 3 * w; ++i)
                        bitmap.Row(r)[i] = uint8_t(i * 11 + r * 5);
                const size_t stride = 4 * size_t(w) + 8;
                std::vector<uint8_t> pixels(stride * h, 0x5A);
                BitmapToRgb32(bitmap, pixels.data(), stride);
                for (int32_t y = 0; y < h; ++y) {
                    const uint8_t *source = bitmap.Row(h - 1 - y);
                    const uint8_t *pixel = pixels.data() + y * stride;
                    for (int32_t x = 0; x < w; ++x) {
                        ASSERT_EQ(pixel[4 * x], source[3 * x]) << "width " << w << " x " << x;
                        ASSERT_EQ(pixel[4 * x + 1], source[3 * x + 1]) << "width " << w;
                        ASSERT_EQ(pixel[4 * x + 2], source[3 * x + 2]) << "width " << w;
                        ASSERT_EQ(pixel[4 * x + 3], 0xFF) << "width " << w;
                    }
                    for (size_t i = 4 * size_t(w); i < stride; ++i)
                        ASSERT_EQ(pixel[i], 0x5A) << "past the row, width " << w;
                }
            }
        }
    });
}
