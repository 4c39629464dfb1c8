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

TEST(SolarMode, DeepFramesAreClippedAtTheirDepthsScale) {
    const struct {
        int32_t depth, limit, shade;
        uint16_t kept, clipped, shaded;  // the highest sample kept, the lowest clipped
    } rows[] = {
        {12, 200, 128, 3215, 3216, 2055},  // 200 x 16 + 15 kept; 128 x 4095 / 255
        {12, 254, 255, 4079, 4080, 4095},  // white shade: the depth's maximum
        {16, 0, 0, 255, 256, 0},
        {10, 100, 255, 403, 404, 1023},
    };
    for (const auto &row : rows) {
        SolarMode mode;
        mode.on = true;
        mode.limit = row.limit;
        mode.shade = row.shade;
        std::vector<uint16_t> samples = {0, row.kept, row.clipped, 65535};
        mode.Apply(reinterpret_cast<uint8_t *>(samples.data()), samples.size(), row.depth);
        EXPECT_EQ(samples, (std::vector<uint16_t>{0, row.kept, row.shaded, row.shaded}))
            << row.depth << " bits, limit " << row.limit;
    }
    // A limit of 255 leaves every sample of the depth and above as it is.
    SolarMode mode;
    mode.on = true;
    mode.shade = 0;
    std::vector<uint16_t> samples = {4095, 65535};
    mode.Apply(reinterpret_cast<uint8_t *>(samples.data()), samples.size(), 12);
    EXPECT_EQ(samples, (std::vector<uint16_t>{4095, 65535}));
}

}  // namespace
