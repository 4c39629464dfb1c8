#include "camera/dark_frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SubtractDark, SaturatedStaysWhiteAndNothingGoesBelowBlack) {
    const struct {
        uint8_t sample, dark, expected;
    } rows[] = {
        {255, 0, 255}, {255, 12, 255}, {255, 255, 255},  // white stays white
        {10, 12, 0},   {12, 12, 0},    {0, 200, 0},      // stops at black
        {12, 10, 2},   {254, 1, 253},  {254, 254, 0},    // plain difference
        {100, 0, 100},
    };
    // Long enough for the vector body and a tail, each row in both.
    std::vector<uint8_t> samples, dark, expected;
    for (int copy = 0; copy < 7; ++copy) {
        for (const auto &row : rows) {
            samples.push_back(row.sample);
            dark.push_back(row.dark);
            expected.push_back(row.expected);
        }
    }
    const uint8_t past_end = samples.back();
    SubtractDark(samples.data(), dark.data(), samples.size() - 1);
    for (size_t k = 0; k + 1 < samples.size(); ++k) {
        EXPECT_EQ(samples[k], expected[k]) << "sample " << k;
    }
    EXPECT_EQ(samples.back(), past_end) << "only the samples asked for change";
}

// The average truncates as integer division does, for every count of
// exposures and every sum that many 8-bit exposures can reach.
TEST(AverageDarkSum, EqualsIntegerDivisionForEveryCountAndSum) {
    for (int32_t exposures = 1; exposures <= MAX_DARK_COUNT; ++exposures) {
        std::vector<uint16_t> sum(255 * exposures + 1);
        for (size_t k = 0; k < sum.size(); ++k) {
            sum[k] = static_cast<uint16_t>(k);
        }
        std::vector<uint8_t> dark(sum.size());
        AverageDarkSum(sum.data(), dark.data(), sum.size(), exposures);
        for (size_t k = 0; k < sum.size(); ++k) {
            ASSERT_EQ(dark[k], k / exposures) << k << " / " << exposures;
        }
    }
}

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
