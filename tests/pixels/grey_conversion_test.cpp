#include "pixels/grey_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/instruction_sets.h"

TEST(GreyToBitmap, FirstFrameRowBecomesTheBottomRowPaddedWidthsIncluded) {
    // Width 5: the bitmap rows are padded to 16 bytes, the frame rows are not.
    const std::vector<uint8_t> samples{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    Bitmap24 bitmap;
    GreyToBitmap(samples.data(), 5, 2, bitmap);
    ASSERT_EQ(bitmap.Stride(), 16);
    for (int x = 0; x < 5; ++x) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(bitmap.Row(0)[3 * x + c], samples[x]);
            EXPECT_EQ(bitmap.Row(1)[3 * x + c], samples[5 + x]);
        }
    }
}

TEST(GreyToBitmap, EverySetGivesThePlainCopyForEveryWidth) {
    OnEveryInstructionSet([] {
        for (int32_t w : AWKWARD_WIDTHS) {
            for (int32_t h : {1, 2}) {
                std::vector<uint8_t> samples(size_t(w) * h);
                for (size_t i = 0; i < samples.size(); ++i)
                    samples[i] = uint8_t(i * 29 + 3);
                Bitmap24 bitmap(w, h);
                std::fill(bitmap.Bits(), bitmap.Bits() + bitmap.ByteCount(), 0x5A);
                GreyToBitmap(samples.data(), w, h, bitmap);
                for (int32_t r = 0; r < h; ++r) {
                    for (int32_t x = 0; x < w; ++x) {
                        const uint8_t s = samples[size_t(r) * w + x];
                        ASSERT_EQ(bitmap.Row(r)[3 * x], s) << "width " << w << " x " << x;
                        ASSERT_EQ(bitmap.Row(r)[3 * x + 1], s) << "width " << w << " x " << x;
                        ASSERT_EQ(bitmap.Row(r)[3 * x + 2], s) << "width " << w << " x " << x;
                    }
                    for (int32_t i = 3 * w; i < bitmap.Stride(); ++i)
                        ASSERT_EQ(bitmap.Row(r)[i], 0x5A) << "padding, width " << w;
                }
            }
        }
    });
}
