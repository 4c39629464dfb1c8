#include "driver/indi/sensor_description.h"

#include <gtest/gtest.h>

#include <limits>

namespace indicam {
namespace {

CameraDescription Camera(int32_t width, int32_t height, int32_t bits, const char *pattern) {
    CameraDescription camera;
    camera.device = "Cam";
    camera.sensor_width = width;
    camera.sensor_height = height;
    camera.bit_depth = bits;
    camera.bayer_pattern = pattern;
    return camera;
}

TEST(SensorDescriptionTest, TheCamerasPropertiesBecomeTheProgramsSensor) {
    // As INDI's simulator describes itself: 1280 x 1024, 16 bits, 5.2 um,
    // exposures 0.01 ... 3600 s in spin-box steps of 1 s, gain 0 ... 100.
    CameraDescription simulator = Camera(1280, 1024, 16, "");
    simulator.device = "CCD Simulator";
    simulator.pixel_size_um = 5.1999998092651367188;
    simulator.exposure_min_s = 0.01;
    simulator.exposure_max_s = 3600;
    simulator.exposure_step_s = 1;
    simulator.gain_max = 100;
    // A planetary camera: 12 bits, RGGB, 32 us ... 2000 s in 100 us steps.
    CameraDescription planetary = Camera(1304, 976, 12, "RGGB");
    planetary.pixel_size_um = 3.75;
    planetary.exposure_min_s = 0.000032;
    planetary.exposure_max_s = 2000;
    planetary.exposure_step_s = 0.0001;
    planetary.gain_min = 0;
    planetary.gain_max = 600.4;

    struct Case {
        const char *what;
        CameraDescription camera;
        SensorDescription expected;
    };
    const Case cases[] = {
        {"INDI's simulator",
         simulator,
         {1280, 1024, 16, BAYER_NONE, 5200, "CCD Simulator", 10000,
          std::numeric_limits<int32_t>::max(), 1, 0, 100}},
        {"a colour camera: its pattern as it is, the sensor a cell less where it needs a shift",
         planetary,
         {1302, 974, 12, BAYER_RGGB, 3750, "Cam", 32, 2000000000, 100, 0, 600}},
        {"GBRG needs a column only",
         Camera(1304, 976, 8, "GBRG"),
         {1302, 976, 8, BAYER_GBRG, 0, "Cam", 0, 2147483647, 1, 0, 0}},
        {"BGGR needs no shift",
         Camera(1304, 976, 8, "BGGR"),
         {1304, 976, 8, BAYER_BGGR, 0, "Cam", 0, 2147483647, 1, 0, 0}},
        {"GRBG",
         Camera(1304, 976, 8, "GRBG"),
         {1304, 974, 8, BAYER_GRBG, 0, "Cam", 0, 2147483647, 1, 0, 0}},
        {"a filter array that is no Bayer pattern is read as mono",
         Camera(640, 480, 8, "CYGM"),
         {640, 480, 8, BAYER_NONE, 0, "Cam", 0, 2147483647, 1, 0, 0}},
        {"no camera: the default camera", Camera(0, 0, 8, ""), SensorDescription{}},
    };
    for (const Case &row : cases) {
        const SensorDescription got = DescribeSensor(row.camera);
        const SensorDescription &want = row.expected;
        EXPECT_EQ(got.width, want.width) << row.what;
        EXPECT_EQ(got.height, want.height) << row.what;
        EXPECT_EQ(got.bit_depth, want.bit_depth) << row.what;
        EXPECT_EQ(got.bayer_pattern, want.bayer_pattern) << row.what;
        EXPECT_EQ(got.pixel_size_nm, want.pixel_size_nm) << row.what;
        EXPECT_EQ(got.name, want.name) << row.what;
        EXPECT_EQ(got.shortest_exposure_us, want.shortest_exposure_us) << row.what;
        EXPECT_EQ(got.longest_exposure_us, want.longest_exposure_us) << row.what;
        EXPECT_EQ(got.exposure_step_us, want.exposure_step_us) << row.what;
        EXPECT_EQ(got.lowest_gain, want.lowest_gain) << row.what;
        EXPECT_EQ(got.highest_gain, want.highest_gain) << row.what;
    }
}

}  // namespace
}  // namespace indicam
