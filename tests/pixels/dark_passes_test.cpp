#include "pixels/dark_passes.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/instruction_sets.h"

namespace {

TEST(SubtractDark, SaturatedStaysWhiteAndNothingGoesBelowBlackOnEverySet) {
    OnEveryInstructionSet([] {
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
    });
}

// The average truncates as integer division does, for every count of
// exposures and every sum that many 8-bit exposures can reach.
TEST(AverageDarkSum, EqualsIntegerDivisionForEveryCountAndSumOnEverySet) {
    OnEveryInstructionSet([] {
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
    });
}

TEST(DarkSum, StartsAndAddsEverySampleOnEverySet) {
    OnEveryInstructionSet([] {
        for (size_t count : {size_t(1), size_t(31), size_t(1000)}) {
            std::vector<uint8_t> exposure(count + 1, 0xEE);
            for (size_t k = 0; k < count; ++k)
                exposure[k] = uint8_t(k * 37 + 11);
            std::vector<uint16_t> sum(count + 1, 7);
            StartDarkSum(exposure.data(), sum.data(), count);
            for (int more = 0; more < MAX_DARK_COUNT - 1; ++more)
                AddToDarkSum(exposure.data(), sum.data(), count);
            for (size_t k = 0; k < count; ++k)
                ASSERT_EQ(sum[k], MAX_DARK_COUNT * exposure[k]) << "count " << count << " k " << k;
            EXPECT_EQ(sum[count], 7) << "only the samples asked for change";
        }
    });
}

TEST(SubtractDeepDark, SaturatedStaysAtTheDepthsMaximumAndNothingGoesBelowBlackOnEverySet) {
    OnEveryInstructionSet([] {
        const struct {
            uint16_t sample, dark, maximum, expected;
        } rows[] = {
            {4095, 0, 4095, 4095},    {4095, 300, 4095, 4095},  {65535, 9, 65535, 65535},
            {4100, 300, 4095, 4100},  // above the depth: left as the camera gave it
            {10, 12, 4095, 0},        {300, 300, 4095, 0},      {0, 4000, 4095, 0},
            {4094, 1, 4095, 4093},    {1023, 23, 1023, 1023},   {1022, 22, 1023, 1000},
            {65534, 65534, 65535, 0}, {40000, 1, 65535, 39999},
        };
        for (const auto &row : rows) {
            // Long enough for the vector body and a tail.
            std::vector<uint16_t> samples(71, row.sample), dark(71, row.dark);
            samples.back() = 77;
            SubtractDeepDark(samples.data(), dark.data(), samples.size() - 1, row.maximum);
            for (size_t k = 0; k + 1 < samples.size(); ++k) {
                ASSERT_EQ(samples[k], row.expected) << row.sample << " - " << row.dark << " @" << k;
            }
            EXPECT_EQ(samples.back(), 77) << "only the samples asked for change";
        }
    });
}

// For every count of exposures: every multiple of it and its neighbours up
// to the largest sum of 16-bit exposures, against integer division.
TEST(AverageDeepDarkSum, EqualsIntegerDivisionForEveryCountOnEverySet) {
    OnEveryInstructionSet([] {
        for (int32_t exposures = 1; exposures <= MAX_DARK_COUNT; ++exposures) {
            std::vector<uint32_t> sum;
            for (uint32_t q = 0; q <= 65535; q += q < 300 || q > 65200 ? 1 : 97) {
                for (int32_t offset : {-1, 0, 1, exposures - 1}) {
                    const int64_t s = int64_t(q) * exposures + offset;
                    if (s >= 0 && s <= int64_t(65535) * exposures)
                        sum.push_back(uint32_t(s));
                }
            }
            std::vector<uint16_t> dark(sum.size() + 1, 0xBEEF);
            AverageDeepDarkSum(sum.data(), dark.data(), sum.size(), exposures);
            for (size_t k = 0; k < sum.size(); ++k) {
                ASSERT_EQ(dark[k], sum[k] / uint32_t(exposures)) << sum[k] << " / " << exposures;
            }
            ASSERT_EQ(dark.back(), 0xBEEF) << "only the samples asked for change";
        }
    });
}

TEST(DeepDarkSum, StartsAndAddsEverySampleOnEverySet) {
    OnEveryInstructionSet([] {
        for (size_t count : {size_t(1), size_t(31), size_t(1000)}) {
            std::vector<uint16_t> exposure(count + 1, 0xEEEE);
            for (size_t k = 0; k < count; ++k)
                exposure[k] = uint16_t(k * 40503u + 65000u);
            std::vector<uint32_t> sum(count + 1, 7);
            StartDeepDarkSum(exposure.data(), sum.data(), count);
            for (int more = 0; more < MAX_DARK_COUNT - 1; ++more)
                AddToDeepDarkSum(exposure.data(), sum.data(), count);
            for (size_t k = 0; k < count; ++k)
                ASSERT_EQ(sum[k], uint32_t(MAX_DARK_COUNT) * exposure[k]) << "count " << count;
            EXPECT_EQ(sum[count], 7u) << "only the samples asked for change";
        }
    });
}

}  // namespace
