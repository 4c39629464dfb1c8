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

}  // namespace
