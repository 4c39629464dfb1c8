#include "driver/simulator/camera_controls.h"

#include <gtest/gtest.h>

#include <utility>

namespace simcam {
namespace {

struct GainCase {
    int32_t code;
    float gain;
};

TEST(AnalogueGainForCode, DecodesEachRangeAndClampsTheGaps) {
    const GainCase cases[] = {
        {1, 0.125f},
        {13, 1.625f},
        {31, 3.875f},
        {32, 4.0f},
        {0x51, 4.25f},
        {0x58, 6.0f},
        {0x60, 8.0f},
        {0x61, 9.0f},
        {0x62, 10.0f},
        {0x67, 15.0f},
        // Codes the register does not have take the nearest gain it has.
        {0, 0.125f},
        {-7, 0.125f},
        {33, 4.0f},
        {0x50, 4.25f},
        {0x68, 15.0f},
        {1000, 15.0f},
    };
    for (const GainCase &c : cases) {
        EXPECT_FLOAT_EQ(AnalogueGainForCode(c.code), c.gain) << "code " << c.code;
    }
}

TEST(CameraControls, KeepsExposureAndBlankingInTheCameraRange) {
    CameraControls controls;
    controls.SetExposureMs(-20);
    EXPECT_EQ(controls.ExposureMs(), 0);
    EXPECT_EQ(controls.ExposureUs(), 0);
    // In microseconds the camera's shortest exposure is the least.
    const std::pair<int32_t, int64_t> microseconds[] = {
        {250, 250}, {10, 10}, {3, 10}, {-5, 10}, {19999000, 19999000}};
    for (const auto &[asked, kept] : microseconds) {
        controls.SetExposureUs(asked);
        EXPECT_EQ(controls.ExposureUs(), kept) << asked << " us";
    }
    controls.SetExposureMs(3600 * 1000);
    EXPECT_EQ(controls.ExposureUs(), int64_t{3600} * 1000 * 1000);
    controls.SetVblankLines(900);
    EXPECT_EQ(controls.VblankLines(), 500);
    controls.SetVblankLines(-1);
    EXPECT_EQ(controls.VblankLines(), 0);
}

}  // namespace
}  // namespace simcam
