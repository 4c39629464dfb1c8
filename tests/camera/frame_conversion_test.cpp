#include "camera/frame_conversion.h"

#include <gtest/gtest.h>

#include <vector>

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
