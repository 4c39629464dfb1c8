#include "camera/dark_frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(DarkFrames, AverageOfASetIsSubtractedAndOneExposureIsItsOwnAverage) {
    const size_t samples = 1000;
    DarkFrames darks;
    const DarkKey one{.length = 100, .width = 40, .height = 25, .count = 1};
    darks.ExposureBuffer()[0] = 9;
    darks.ExposureBuffer()[999] = 200;
    darks.Accumulate(samples, true);
    darks.Finish(one, samples);
    EXPECT_TRUE(darks.ValidFor(one));
    EXPECT_EQ(darks.ExposureBuffer()[0], 9);
    EXPECT_EQ(darks.ExposureBuffer()[999], 200);

    // Three exposures of 10, 11 and 13 average to 11 (34 div 3); a new set
    // makes the darks held before invalid until it is finished.
    DarkKey three = one;
    three.count = 3;
    for (const uint8_t value : {10, 11, 13}) {
        std::fill_n(darks.ExposureBuffer(), samples, value);
        darks.Accumulate(samples, value == 10);
        EXPECT_FALSE(darks.ValidFor(one));
    }
    darks.Finish(three, samples);
    EXPECT_TRUE(darks.ValidFor(three));
    EXPECT_FALSE(darks.ValidFor(one));
    std::vector<uint8_t> frame(samples, 40);
    frame[5] = 255;
    darks.SubtractFrom(frame.data(), samples);
    EXPECT_EQ(frame[0], 29);
    EXPECT_EQ(frame[5], 255);
}

// A 12-bit set at full depth: 1000, 1001 and 1003 average to 1001; the
// depth's maximum stays; darks serve no frame of another depth.
TEST(DarkFrames, DeepDarksAreAveragedAndSubtractedAtFullDepth) {
    const size_t samples = 1000;
    DarkFrames darks;
    const DarkKey key{.length = 100, .width = 40, .height = 25, .count = 3, .bit_depth = 12};
    auto *exposure = reinterpret_cast<uint16_t *>(darks.ExposureBuffer());
    for (const uint16_t value : {1000, 1001, 1003}) {
        std::fill_n(exposure, samples, value);
        darks.Accumulate(samples, value == 1000, key.bit_depth);
    }
    darks.Finish(key, samples);
    EXPECT_TRUE(darks.ValidFor(key));
    DarkKey eight_bit = key;
    eight_bit.bit_depth = 8;
    EXPECT_FALSE(darks.ValidFor(eight_bit));

    std::vector<uint16_t> frame(samples, 3000);
    frame[5] = 4095;
    frame[6] = 900;
    darks.SubtractFrom(reinterpret_cast<uint8_t *>(frame.data()), samples, 12);
    EXPECT_EQ(frame[0], 1999);
    EXPECT_EQ(frame[999], 1999);
    EXPECT_EQ(frame[5], 4095);
    EXPECT_EQ(frame[6], 0);

    std::vector<uint16_t> other(samples, 3000);
    darks.SubtractFrom(reinterpret_cast<uint8_t *>(other.data()), samples, 16);
    darks.SubtractFrom(reinterpret_cast<uint8_t *>(other.data()), samples, 8);
    EXPECT_EQ(other, std::vector<uint16_t>(samples, 3000));
}

// A sensor larger than the default camera's: the set is exposed into a
// buffer that holds the whole frame, and every sample of it is subtracted.
TEST(DarkFrames, ALargerSensorsFrameIsTakenAndSubtractedWhole) {
    const size_t samples = size_t{4096} * 3072;
    DarkFrames darks;
    const DarkKey key{.length = 100, .width = 4096, .height = 3072, .count = 1};
    darks.Reserve(samples);
    std::fill_n(darks.ExposureBuffer(), samples, uint8_t{7});
    darks.Accumulate(samples, true);
    darks.Finish(key, samples);
    std::vector<uint8_t> frame(samples, 50);
    darks.SubtractFrom(frame.data(), samples);
    EXPECT_EQ(frame.front(), 43);
    EXPECT_EQ(frame.back(), 43) << "the last sample too";
    darks.Reserve(1000);  // a smaller window keeps the buffers and the darks
    EXPECT_TRUE(darks.ValidFor(key));
}

}  // namespace
