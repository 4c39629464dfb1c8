#include "driver/indi/sensor_mapping.h"

#include <gtest/gtest.h>

#include "driver/indi/indi_controls.h"

namespace indicam {
namespace {

struct MapCase {
    const char *what;
    int32_t sensor_width, sensor_height;
    simcam::FrameWindow window;
    CameraRequest expected;  // x, y, width, height, binning, placement, frame size
};

TEST(SensorMappingTest, TheProgramsSensorSitsCentredOnTheRealOne) {
    const MapCase cases[] = {
        {"smaller sensor, full window: the real sensor in the middle, black around it",
         1280,
         1024,
         {0, 0, 2048, 1536, 0},
         {0, 0, 1280, 1024, 1, {384, 256}, 2048, 1536}},
        {"centred window inside the real sensor",
         1280,
         1024,
         {704, 528, 640, 480, 0},
         {320, 272, 640, 480, 1, {0, 0}, 640, 480}},
        {"binned 2 x 2: the placement counts binned pixels",
         1280,
         1024,
         {0, 0, 2048, 1536, 1},
         {0, 0, 1280, 1024, 2, {192, 128}, 1024, 768}},
        {"larger sensor: its edges are out of reach",
         4096,
         3000,
         {0, 0, 2048, 1536, 0},
         {1024, 732, 2048, 1536, 1, {0, 0}, 2048, 1536}},
        {"window partly off a webcam's sensor, y counted from the bottom",
         640,
         480,
         {600, 400, 200, 200, 0},
         {0, 408, 96, 72, 1, {104, 128}, 200, 200}},
        {"window wholly off the sensor: nothing to ask for",
         640,
         480,
         {0, 0, 320, 240, 0},
         {0, 0, 0, 0, 1, {0, 0}, 320, 240}},
        {"4 x 4 binning keeps whole binned pixels",
         1282,
         1022,
         {0, 0, 2048, 1536, 2},
         {0, 0, 1280, 1020, 4, {96, 65}, 512, 384}},
    };
    for (const MapCase &row : cases) {
        const SensorInfo sensor{row.sensor_width, row.sensor_height, ""};
        EXPECT_EQ(MapWindow(row.window, sensor), row.expected) << row.what;
    }
}

TEST(SensorMappingTest, TheColourPatternIsShiftedIntoTheProgramsOrder) {
    struct Case {
        const char *pattern;
        int32_t sensor_height;
        BayerShift expected;
    };
    // The program's mosaic, bottom row first: G R, then B G.
    const Case cases[] = {
        {"BGGR", 1024, {0, 0}}, {"GBRG", 1024, {1, 0}}, {"GRBG", 1024, {0, 1}},
        {"RGGB", 1024, {1, 1}}, {"BGGR", 1023, {0, 1}}, {"RGGB", 1023, {1, 0}},
        {"", 1024, {0, 0}},     {"RGBW", 1024, {0, 0}}, {"RGGBX", 1024, {0, 0}},
    };
    for (const Case &row : cases) {
        EXPECT_EQ(BayerShiftFor(row.pattern, row.sensor_height), row.expected)
            << row.pattern << " on " << row.sensor_height << " rows";
    }
    // The shift moves the frame the camera is asked for.
    const SensorInfo colour{1280, 1024, "RGGB"};
    const CameraRequest request = MapWindow({704, 528, 640, 480, 0}, colour);
    EXPECT_EQ(request.x, 321);
    EXPECT_EQ(request.y, 271);
}

TEST(IndiControlsTest, GainSpreadsTheProgramsRangeOverTheCameras) {
    EXPECT_DOUBLE_EQ(CameraGain(1, 0, 100), 0);
    EXPECT_DOUBLE_EQ(CameraGain(0x67, 0, 100), 100);
    EXPECT_DOUBLE_EQ(CameraGain(0x67, 100, 600), 600);
    EXPECT_NEAR(CameraGain(13, 0, 100), 10.08, 0.01);  // the program's 10 %
    double previous = -1;
    for (int32_t code : {1, 8, 32, 0x51, 0x60, 0x61, 0x67}) {
        const double gain = CameraGain(code, 0, 400);
        EXPECT_GT(gain, previous) << code;
        previous = gain;
    }
}

TEST(IndiControlsTest, GuideBitsBecomeTimedPulses) {
    struct Case {
        int32_t bits, duration_ms;
        GuidePulses expected;  // north, south, west, east
    };
    const Case cases[] = {
        {32, 60000, {60000, 0, 0, 0}},
        {64, 500, {0, 500, 0, 0}},
        {128, 500, {0, 0, 500, 0}},
        {16, 500, {0, 0, 0, 500}},
        {32 | 128, 20, {20, 0, 20, 0}},
        {32 | 64, 500, {}},
        {16 | 128, 500, {}},
        {0, 0, {}},
        {32, 0, {}},
    };
    for (const Case &row : cases) {
        EXPECT_EQ(GuidePulsesFor(row.bits, row.duration_ms), row.expected)
            << row.bits << " for " << row.duration_ms << " ms";
    }
}

}  // namespace
}  // namespace indicam
