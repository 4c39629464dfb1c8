#include "driver/simulator/camera_controls.h"

#include <gtest/gtest.h>

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
    controls.SetVblankLines(900);
    EXPECT_EQ(controls.VblankLines(), 500);
    controls.SetVblankLines(-1);
    EXPECT_EQ(controls.VblankLines(), 0);
}

}  // namespace
}  // namespace simcam
