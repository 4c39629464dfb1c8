#include "camera/sensor_window.h"

#include <gtest/gtest.h>

TEST(SensorWindow, FullSensorAtOneByOne) {
    SubFrame frame;
    const FrameSize shown = SetResolution(frame, 512, 384, 1);
    EXPECT_EQ(shown.width, 2048);
    EXPECT_EQ(shown.height, 1536);
    EXPECT_EQ(SubframeText(frame, 1), "Subframe: (0,0) -> (2048x1536)");
    EXPECT_EQ(SensorYOffset(frame), 0);
}

TEST(SensorWindow, TwoByTwoBinningRoundsTheWidthToSixteen) {
    SubFrame frame;
    // Slider 101 = 404 pixels, cut to 400; the counters show binned sizes.
    const FrameSize shown = SetResolution(frame, 101, 300, 2);
    EXPECT_EQ(frame.sw, 400);
    EXPECT_EQ(shown.width, 200);
    EXPECT_EQ(shown.height, 600);
}

TEST(SensorWindow, NarrowestTwoByTwoWindowKeepsAWidth) {
    SubFrame frame;
    const FrameSize shown = SetResolution(frame, 3, 3, 2);
    EXPECT_EQ(frame.sw, 16);
    EXPECT_EQ(shown.width, 8);
}

TEST(SensorWindow, SmallWindowDraggedToTheTop) {
    SubFrame frame;
    const FrameSize shown = SetResolution(frame, 160, 120, 1);
    ASSERT_EQ(frame.sw, 640);
    ASSERT_EQ(frame.sheight, 480);
    DrawMini(frame, 56, 0);
    EXPECT_EQ(frame.sy, 0);
    // The sensor's offset counts from its bottom edge.
    EXPECT_EQ(SensorYOffset(frame), 1056);
    EXPECT_EQ(shown.width, 640);
}

TEST(SensorWindow, PointsNearTheEdgesStopAtTheEdges) {
    SubFrame frame;
    SetResolution(frame, 101, 100, 1);  // 404 x 400
    DrawMini(frame, 112, 40);
    EXPECT_EQ(frame.sx, 2048 - 404);
    DrawMini(frame, 30, 40);  // 540 - 202 = 338
    EXPECT_EQ(frame.sx, 338);
    DrawMini(frame, 1, 1);
    EXPECT_EQ(frame.sx, 0);
    EXPECT_EQ(frame.sy, 0);
}

// The window asked for from the full sensor (as the capture command does) is
// centred on the sensor at every binning, and the frame is its binned size.
TEST(SensorWindow, AWindowFromTheFullSensorIsCentredAtEveryBinning) {
    struct Row {
        int32_t width, height, code;  // asked for, in sensor pixels
        int32_t sx, sy, frame_width, frame_height;
    };
    for (const Row row : {
             Row{640, 480, 1, 704, 528, 640, 480},
             Row{640, 480, 2, 704, 528, 320, 240},
             Row{2048, 1536, 2, 0, 0, 1024, 768},
             Row{404, 300, 2, 824, 618, 200, 150},  // 2x2 widths are cut to multiples of 16
             Row{320, 240, 3, 864, 648, 80, 60},
             Row{16, 4, 1, 1016, 766, 16, 4},
         }) {
        SubFrame frame;
        const FrameSize size = SetResolution(frame, row.width / 4, row.height / 4, row.code);
        const std::string label = std::to_string(row.width) + "x" + std::to_string(row.height) +
                                  " code " + std::to_string(row.code);
        EXPECT_EQ(frame.sx, row.sx) << label;
        EXPECT_EQ(frame.sy, row.sy) << label;
        // Centred: as much sensor left and right, above and below.
        EXPECT_EQ(frame.sx, FULL_WIDTH - frame.sx - frame.sw) << label;
        EXPECT_EQ(SensorYOffset(frame), frame.sy) << label;
        EXPECT_EQ(size.width, row.frame_width) << label;
        EXPECT_EQ(size.height, row.frame_height) << label;
    }
}

TEST(SensorWindow, ABinningChangeLeavesTheWindowWhereItIs) {
    SubFrame frame;
    SetResolution(frame, 160, 120, 1);  // 640 x 480
    DrawMini(frame, 56, 42);
    const SubFrame before = frame;
    FrameSize shown = SetResolution(frame, 160, 120, 2);
    EXPECT_EQ(frame.sx, before.sx);
    EXPECT_EQ(frame.sy, before.sy);
    EXPECT_EQ(shown.width, 320);
    EXPECT_EQ(shown.height, 240);
    shown = SetResolution(frame, 160, 120, 1);
    EXPECT_EQ(frame.sx, before.sx);
    EXPECT_EQ(shown.width, 640);
    // A 2x2 width cut to a multiple of 16 shrinks about the same centre.
    SetResolution(frame, 101, 120, 2);  // 404 -> 400
    EXPECT_EQ(frame.sx, before.sx + (640 - 400) / 2);
}

TEST(SensorWindow, GrowingNearAnEdgeStaysOnTheSensor) {
    SubFrame frame;
    SetResolution(frame, 100, 100, 1);
    DrawMini(frame, 112, 84);  // bottom-right corner
    SetResolution(frame, 512, 384, 1);
    EXPECT_EQ(frame.sx, 0);
    EXPECT_EQ(frame.sy, 0);
    EXPECT_EQ(SubframeText(frame, 1), "Subframe: (0,0) -> (2048x1536)");
    frame.sx = -8;
    frame.sy = 2000;
    KeepOnSensor(frame);
    EXPECT_EQ(frame.sx, 0);
    EXPECT_EQ(frame.sy, 0);
}

TEST(SensorWindow, TypedSizesReadAsWidthAndHeight) {
    const struct {
        const char *text;
        bool read;
        int32_t width;
        int32_t height;
    } cases[] = {
        {"640x480", true, 640, 480},     {" 800 X 600 ", true, 800, 600},
        {"1024*768", true, 1024, 768},   {"320 \xc3\x97 240", true, 320, 240},
        {"2048 1536", true, 2048, 1536}, {"640x", false, 0, 0},
        {"x480", false, 0, 0},           {"640x480x2", false, 0, 0},
        {"6 40x480", false, 0, 0},       {"0x480", false, 0, 0},
        {"640,480", false, 0, 0},        {"-640x480", false, 0, 0},
        {"123456x480", false, 0, 0},     {"", false, 0, 0},
    };
    for (const auto &c : cases) {
        FrameSize size{-1, -1};
        EXPECT_EQ(ParseFrameSize(c.text, size), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(size.width, c.width) << c.text;
            EXPECT_EQ(size.height, c.height) << c.text;
        }
    }
}

// A size entered in pixels becomes the slider position that gives it, or
// the nearest the sliders have; every preset is exact.
TEST(SensorWindow, SizesBecomeTheNearestSliderPosition) {
    for (const FrameSize preset : SUBFRAME_PRESETS) {
        SubFrame frame;
        const FrameSize shown = SetResolution(frame, SizeSliderPosition(preset.width, 512),
                                              SizeSliderPosition(preset.height, 384), 1);
        EXPECT_EQ(shown.width, preset.width);
        EXPECT_EQ(shown.height, preset.height);
        EXPECT_EQ(frame.sx, (FULL_WIDTH - preset.width) / 2) << "centred";
        EXPECT_EQ(frame.sy, (FULL_HEIGHT - preset.height) / 2);
    }
    EXPECT_EQ(SizeSliderPosition(642, 512), 161) << "642 rounds to 644";
    EXPECT_EQ(SizeSliderPosition(641, 512), 160);
    EXPECT_EQ(SizeSliderPosition(1, 512), 1);
    EXPECT_EQ(SizeSliderPosition(9000, 512), 512);
}

// Every sensor a camera may describe gets the same window handling, scaled
// into the miniature's box: full sliders give the whole sensor, windows are
// centred and pushed back onto it, a window stored with a larger camera is
// cut to this one, and presets larger than the sensor are not offered.
TEST(SensorWindow, FollowsTheSensorOfTheCamera) {
    struct Row {
        int32_t width, height;  // the sensor
        int32_t scale;          // sensor pixels per miniature pixel
        int32_t presets;        // presets that fit
    };
    for (const Row row : {
             Row{2048, 1536, 18, 4},
             Row{1304, 976, 12, 4},
             Row{4096, 3072, 36, 4},
             Row{752, 580, 7, 2},
         }) {
        const std::string label = std::to_string(row.width) + "x" + std::to_string(row.height);
        CameraSensor camera;
        camera.width = row.width;
        camera.height = row.height;
        SubFrame frame = WholeSensor(camera);
        EXPECT_EQ(MiniatureScale(frame.sensor), row.scale) << label;
        EXPECT_LE(row.width / row.scale, MINIATURE_WIDTH) << label;
        EXPECT_LE(row.height / row.scale, MINIATURE_HEIGHT) << label;

        const FrameSize most = SliderMaxima(frame.sensor);
        FrameSize shown = SetResolution(frame, most.width, most.height, 1);
        EXPECT_EQ(shown.width, row.width) << label;
        EXPECT_EQ(shown.height, row.height) << label;
        EXPECT_EQ(SubframeText(frame, 2), "Subframe: (0,0) -> (" + std::to_string(row.width / 2) +
                                              "x" + std::to_string(row.height / 2) + ")")
            << label;

        shown = SetResolution(frame, 80, 60, 1);  // 320 x 240 about the sensor's centre
        EXPECT_EQ(frame.sx, (row.width - 320) / 2) << label;
        EXPECT_EQ(frame.sy, (row.height - 240) / 2) << label;
        EXPECT_EQ(SensorYOffset(frame), frame.sy) << label;
        DrawMini(frame, MINIATURE_WIDTH - 1, MINIATURE_HEIGHT - 1);
        EXPECT_EQ(frame.sx, row.width - 320) << label;
        EXPECT_EQ(frame.sy, row.height - 240) << label;
        EXPECT_EQ(SensorYOffset(frame), 0) << label;
        DrawMini(frame, 0, 0);
        EXPECT_EQ(frame.sx, 0) << label;
        EXPECT_EQ(frame.sy, 0) << label;

        frame.sx = 100;
        frame.sy = 100;
        frame.sw = 4096;
        frame.sheight = 3072;
        KeepOnSensor(frame);
        EXPECT_EQ(SubframeText(frame, 1), "Subframe: (0,0) -> (" + label + ")");

        int32_t fitting = 0;
        for (const FrameSize preset : SUBFRAME_PRESETS) {
            fitting += PresetFits(preset, frame.sensor);
        }
        EXPECT_EQ(fitting, row.presets) << label;
    }
}
