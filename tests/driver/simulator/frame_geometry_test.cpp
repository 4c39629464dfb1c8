#include "driver/simulator/frame_geometry.h"

#include <gtest/gtest.h>

#include "driver/simulator/fast_random.h"

namespace simcam {
namespace {

struct ClampCase {
    const char *what;
    int32_t x, y, width, height, code;
    FrameWindow expected;
};

TEST(ClampWindow, FitsRequestsOntoTheSensor) {
    const ClampCase cases[] = {
        {"full sensor", 0, 0, 2048, 1536, 1, {0, 0, 2048, 1536, 0}},
        {"centred window binned", 704, 528, 640, 480, 2, {704, 528, 640, 480, 1}},
        {"4x4", 0, 0, 2048, 1536, 3, {0, 0, 2048, 1536, 2}},
        {"wider than the sensor", 100, 0, 4000, 100, 1, {0, 0, 2048, 100, 0}},
        {"past the right edge", 1800, 0, 640, 480, 1, {1408, 0, 640, 480, 0}},
        {"past the top", 0, 1400, 640, 480, 1, {0, 1056, 640, 480, 0}},
        {"negative offsets", -5, -7, 320, 240, 1, {0, 0, 320, 240, 0}},
        {"empty and negative size", 10, 10, 0, -4, 1, {10, 10, 0, 0, 0}},
        {"binning code below range", 0, 0, 64, 64, 0, {0, 0, 64, 64, 0}},
        {"binning code above range", 0, 0, 64, 64, 7, {0, 0, 64, 64, 2}},
    };
    for (const ClampCase &c : cases) {
        EXPECT_EQ(ClampWindow(c.x, c.y, c.width, c.height, BinShiftForCode(c.code)), c.expected)
            << c.what;
    }
}

TEST(ClampWindow, NeverYieldsMoreSamplesThanRequestedOrOffTheSensor) {
    FastRandom random(7);
    for (int i = 0; i < 20000; ++i) {
        const int32_t x = static_cast<int32_t>(random.Below(6000)) - 2000;
        const int32_t y = static_cast<int32_t>(random.Below(6000)) - 2000;
        const int32_t width = static_cast<int32_t>(random.Below(5000)) - 100;
        const int32_t height = static_cast<int32_t>(random.Below(5000)) - 100;
        const int32_t shift = static_cast<int32_t>(random.Below(3));
        const FrameWindow window = ClampWindow(x, y, width, height, shift);
        const int64_t requested =
            int64_t{std::max(width, 0) >> shift} * (std::max(height, 0) >> shift);
        ASSERT_LE(window.FrameBytes(), requested);
        ASSERT_LE(window.FrameBytes(), int64_t{SENSOR_WIDTH} * SENSOR_HEIGHT);
        ASSERT_GE(window.x, 0);
        ASSERT_GE(window.y, 0);
        ASSERT_LE(window.x + window.width, SENSOR_WIDTH);
        ASSERT_LE(window.y + window.height, SENSOR_HEIGHT);
    }
}

struct SensorChangeCase {
    const char *what;
    bool frame_asked;
    int32_t x, y, width, height;
    SensorSize sensor;
    FrameWindow expected;
};

TEST(FrameGeometry, FitsTheAskedWindowOntoTheConnectedSensor) {
    const SensorChangeCase cases[] = {
        {"nothing asked: the whole smaller sensor",
         false,
         0,
         0,
         0,
         0,
         {1304, 976},
         {0, 0, 1304, 976, 1}},
        {"nothing asked: the whole larger sensor",
         false,
         0,
         0,
         0,
         0,
         {4096, 3072},
         {0, 0, 4096, 3072, 1}},
        {"the default full frame cut to the sensor",
         true,
         0,
         0,
         2048,
         1536,
         {1304, 976},
         {0, 0, 1304, 976, 1}},
        {"a window moved back onto the sensor",
         true,
         1200,
         900,
         320,
         240,
         {1304, 976},
         {984, 736, 320, 240, 1}},
        {"a window that fits stays", true, 100, 50, 320, 240, {640, 480}, {100, 50, 320, 240, 1}},
        {"the asked window, not the cut one, on a larger sensor",
         true,
         0,
         0,
         4096,
         3072,
         {4096, 3072},
         {0, 0, 4096, 3072, 1}},
    };
    for (const SensorChangeCase &c : cases) {
        FrameGeometry geometry;
        geometry.SetBinning(2);
        if (c.frame_asked) {
            geometry.SetFrame(c.x, c.y, c.width, c.height);
        }
        geometry.SetSensor({64, 64});
        geometry.SetSensor(c.sensor);
        EXPECT_EQ(geometry.Window(), c.expected) << c.what;
    }
}

TEST(ReadoutTime, FollowsWindowTransferModeBlankingAndSampleWidth) {
    const FrameWindow full;
    const FrameWindow small = ClampWindow(864, 648, 320, 240, 0);
    const auto ms = [](std::chrono::microseconds t) { return t.count() / 1000.0; };

    // A full frame in standard mode runs at 10 to 15 frames per second.
    EXPECT_GT(ms(ReadoutTime(full, false, 0, false)), 1000.0 / 15);
    EXPECT_LT(ms(ReadoutTime(full, false, 0, false)), 1000.0 / 10);
    // Fast mode is clearly faster.
    EXPECT_LT(ms(ReadoutTime(full, true, 0, false)), 0.6 * ms(ReadoutTime(full, false, 0, false)));
    EXPECT_LT(ms(ReadoutTime(small, true, 0, false)),
              0.7 * ms(ReadoutTime(small, false, 0, false)));
    // Small windows read out in a few ms: several hundred frames per second.
    EXPECT_LT(ms(ReadoutTime(small, true, 0, false)), 1000.0 / 300);
    EXPECT_LT(ms(ReadoutTime(small, false, 0, false)), ms(ReadoutTime(full, false, 0, false)) / 10);
    // Blanking lines cost as much as rows.
    EXPECT_GT(ms(ReadoutTime(small, true, 500, false)),
              2.5 * ms(ReadoutTime(small, true, 0, false)));
    EXPECT_EQ(ReadoutTime(small, true, 9999, false),
              ReadoutTime(small, true, MAX_VBLANK_LINES, false));
    // Two bytes a sample: the pixels take twice as long, the row overheads not.
    EXPECT_GT(ms(ReadoutTime(full, false, 0, true)), 1.8 * ms(ReadoutTime(full, false, 0, false)));
    EXPECT_LT(ms(ReadoutTime(full, false, 0, true)), 2.0 * ms(ReadoutTime(full, false, 0, false)));
}

}  // namespace
}  // namespace simcam
