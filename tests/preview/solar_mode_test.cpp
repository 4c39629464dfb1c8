#include "preview/solar_mode.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every sample value once, then a ragged tail.
std::vector<uint8_t> AllValues() {
    std::vector<uint8_t> samples(256 * 4 + 13);
    for (size_t k = 0; k < samples.size(); ++k)
        samples[k] = uint8_t(k);
    return samples;
}

TEST(SolarMode, OnlyTheSolarModeInForceChangesFrames) {
    SolarMode mode;
    std::vector<uint8_t> samples = AllValues();
    mode.limit = 200;
    mode.shade = 128;
    mode.Apply(samples.data(), samples.size());
    EXPECT_EQ(samples, AllValues()) << "off: nothing changes";

    mode.on = true;
    mode.limit = 255;
    mode.Apply(samples.data(), samples.size());
    EXPECT_EQ(samples, AllValues()) << "the start values change nothing";

    mode.limit = 200;
    mode.Apply(samples.data(), samples.size());
    EXPECT_EQ(samples[200], 200);
    EXPECT_EQ(samples[201], 128);
    EXPECT_EQ(samples[255], 128);

    // Only the shade's low byte counts; a limit out of range is held to it.
    samples = AllValues();
    mode.limit = -5;
    mode.shade = 256 + 9;
    mode.Apply(samples.data(), samples.size());
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[1], 9);
}

}  // namespace
