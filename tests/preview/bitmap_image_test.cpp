#include "preview/bitmap_image.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

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
