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

}  // namespace
