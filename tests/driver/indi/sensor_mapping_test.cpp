#include "driver/indi/sensor_mapping.h"

#include <gtest/gtest.h>

#include "driver/indi/indi_controls.h"

namespace indicam {
namespace {

struct MapCase {
    const char *what;
    SensorInfo sensor;
    simcam::FrameWindow window;
    CameraRequest expected;  // x, y (from the top), width, height, binning, frame size
};

TEST(SensorMappingTest, WindowsAreReadOneToOneFromTheRealSensor) {
    const MapCase cases[] = {
        {"the whole sensor, no border",
         {1280, 1024, ""},
         {0, 0, 1280, 1024, 0},
         {0, 0, 1280, 1024, 1, 1280, 1024}},
        {"a window larger than the sensor is cut to it",
         {1280, 1024, ""},
         {0, 0, 2048, 1536, 0},
         {0, 0, 1280, 1024, 1, 1280, 1024}},
        {"a window inside, its y counted from the bottom",
         {1280, 1024, ""},
         {320, 100, 640, 480, 0},
         {320, 444, 640, 480, 1, 640, 480}},
        {"a window reaching past the edge is moved back onto it",
         {1280, 1024, ""},
         {1000, 900, 640, 480, 0},
         {640, 0, 640, 480, 1, 640, 480}},
        {"binned 2 x 2", {1280, 1024, ""}, {0, 0, 1280, 1024, 1}, {0, 0, 1280, 1024, 2, 640, 512}},
        {"4 x 4 binning keeps whole binned pixels, the top rows left out",
         {1282, 1022, ""},
         {0, 0, 4096, 4096, 2},
         {0, 2, 1280, 1020, 4, 320, 255}},
        {"a sensor larger than 2048 x 1536, whole",
         {4096, 3000, ""},
         {0, 0, 4096, 3000, 0},
         {0, 0, 4096, 3000, 1, 4096, 3000}},
        {"an odd-sized mono sensor is read to an even size",
         {1305, 977, ""},
         {0, 0, 2048, 1536, 0},
         {0, 1, 1304, 976, 1, 1304, 976}},
        {"RGGB needs a column and a row: one cell less on both axes",
         {1280, 1024, "RGGB"},
         {0, 0, 2048, 1536, 0},
         {1, 1, 1278, 1022, 1, 1278, 1022}},
        {"GRBG needs a row",
         {1280, 1024, "GRBG"},
         {0, 0, 2048, 1536, 0},
         {0, 1, 1280, 1022, 1, 1280, 1022}},
        {"BGGR is the program's order already",
         {1280, 1024, "BGGR"},
         {0, 0, 2048, 1536, 0},
         {0, 0, 1280, 1024, 1, 1280, 1024}},
        {"an empty window asks for nothing",
         {1280, 1024, ""},
         {0, 0, 0, 480, 0},
         {0, 0, 0, 0, 1, 0, 0}},
        {"no sensor known yet", {0, 0, ""}, {0, 0, 2048, 1536, 0}, {0, 0, 0, 0, 1, 0, 0}},
    };
    for (const MapCase &row : cases) {
        EXPECT_EQ(MapWindow(row.window, row.sensor), row.expected) << row.what;
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
    const CameraRequest request = MapWindow({320, 272, 640, 480, 0}, colour);
    EXPECT_EQ(request.x, 321);
    EXPECT_EQ(request.y, 271);
}

// A camera's CFA offsets move its pattern: the pixel at the offset has the
// pattern's first colour.
TEST(SensorMappingTest, AnOddCfaOffsetSwapsThePatternsColumnsOrRows) {
    const struct {
        const char *pattern;
        int32_t x, y;
        const char *at_origin;
    } cases[] = {
        {"RGGB", 0, 0, "RGGB"}, {"RGGB", 1, 0, "GRBG"}, {"RGGB", 0, 1, "GBRG"},
        {"RGGB", 1, 1, "BGGR"}, {"GRBG", 2, 4, "GRBG"}, {"BGGR", -1, 0, "GBRG"},
        {"", 1, 1, ""},         {"CYGM", 1, 0, "CYGM"},
    };
    for (const auto &row : cases) {
        EXPECT_EQ(PatternAtOffset(row.pattern, row.x, row.y), row.at_origin)
            << row.pattern << " at " << row.x << "," << row.y;
    }
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
