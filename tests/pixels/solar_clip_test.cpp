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

TEST(SolarClip, DeepSamplesAboveTheLimitBecomeTheShadeOnEverySet) {
    struct Row {
        uint16_t limit, shade;
    };
    std::vector<uint16_t> all(65536 + 13);
    for (size_t k = 0; k < all.size(); ++k)
        all[k] = uint16_t(k);
    OnEveryInstructionSet([&] {
        for (const Row row : {Row{4095, 4095}, Row{3000, 2048}, Row{0, 0}, Row{65535, 7},
                              Row{65534, 65535}, Row{255, 4095}}) {
            for (size_t count : {all.size() - 1, size_t(1), size_t(33)}) {
                std::vector<uint16_t> samples = all;
                SolarClip(samples.data(), count, row.limit, row.shade);
                for (size_t k = 0; k < samples.size(); ++k) {
                    const uint16_t expected = all[k] > row.limit && k < count ? row.shade : all[k];
                    ASSERT_EQ(samples[k], expected)
                        << "limit " << row.limit << " count " << count << " sample " << k;
                }
            }
        }
    });
}

}  // namespace
