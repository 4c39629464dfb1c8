#include "camera/gain_code.h"

#include <gtest/gtest.h>

struct GainRow {
    uint32_t gain;
    int32_t code;
};

class GainCodeTest : public ::testing::TestWithParam<GainRow> {};

TEST_P(GainCodeTest, MapsPercentToRegisterValue) {
    EXPECT_EQ(GainCode(GetParam().gain), GetParam().code) << "gain " << GetParam().gain;
}

INSTANTIATE_TEST_SUITE_P(
    TellingRows, GainCodeTest,
    ::testing::Values(GainRow{0, 1}, GainRow{10, 13}, GainRow{25, 31},
                      // first value past an analogue gain of 4 jumps to the second range
                      GainRow{26, 0x51}, GainRow{52, 0x60},
                      // and past 8 to the third, starting at 9
                      GainRow{53, 0x61},
                      // x = 10.5 exactly: the half goes to the even neighbour
                      GainRow{69, 0x62}, GainRow{99, 0x67}, GainRow{100, 0x67}));

TEST(GainCode, StaysInsideTheRegisterRangesForEveryGain) {
    int32_t previous = 0;
    for (uint32_t g = 0; g <= 100; ++g) {
        const int32_t code = GainCode(g);
        const bool valid = (code >= 1 && code <= 32) || (code >= 0x51 && code <= 0x60) ||
                           (code >= 0x61 && code <= 0x67);
        EXPECT_TRUE(valid) << "gain " << g << " gives " << code;
        EXPECT_GE(code, previous) << "gain " << g;
        previous = code;
    }
}
