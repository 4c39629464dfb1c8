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
