#include "pixels/solar_clip.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/instruction_sets.h"

namespace {

// Every sample value once, then a ragged tail, so the vector loop and its
// remainder both run.
std::vector<uint8_t> AllValues() {
    std::vector<uint8_t> samples(256 * 4 + 13);
    for (size_t k = 0; k < samples.size(); ++k)
        samples[k] = uint8_t(k);
    return samples;
}

TEST(SolarClip, SamplesAboveTheLimitBecomeTheShadeOnEverySet) {
    struct Row {
        int32_t limit, shade;
    };
    OnEveryInstructionSet([] {
        for (const Row row : {Row{200, 128}, Row{0, 0}, Row{255, 7}, Row{254, 0}, Row{100, 255}}) {
            // The whole run, and short ones that are all tail.
            for (size_t count : {AllValues().size(), size_t(1), size_t(63)}) {
                std::vector<uint8_t> samples = AllValues();
                SolarClip(samples.data(), count, uint8_t(row.limit), uint8_t(row.shade));
                for (size_t k = 0; k < samples.size(); ++k) {
                    const int32_t before = uint8_t(k);
                    const int32_t expected = before > row.limit && k < count ? row.shade : before;
                    ASSERT_EQ(samples[k], expected)
                        << "limit " << row.limit << " count " << count << " sample " << k;
                }
            }
        }
    });
}

TEST(SolarClip, OnlyTheSolarModeInForceChangesFrames) {
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
