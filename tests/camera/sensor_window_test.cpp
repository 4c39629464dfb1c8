#include "camera/sensor_window.h"

#include <gtest/gtest.h>

TEST(SensorWindow, FullSensorAtOneByOne) {
    SubFrame frame;
    const FrameSize shown = SetResolution(frame, 512, 384, 1, FrameSize{});
    EXPECT_EQ(shown.width, 2048);
    EXPECT_EQ(shown.height, 1536);
    EXPECT_EQ(SubframeText(frame, 1), "Subframe: (0,0) -> (2048x1536)");
    EXPECT_EQ(SensorYOffset(frame), 0);
}

TEST(SensorWindow, TwoByTwoBinningRoundsTheWidthToSixteen) {
    SubFrame frame;
    // Slider 101 = 404 pixels, cut to 400; the counters show binned sizes.
    const FrameSize shown = SetResolution(frame, 101, 300, 2, FrameSize{});
    EXPECT_EQ(frame.sw, 400);
    EXPECT_EQ(shown.width, 200);
    EXPECT_EQ(shown.height, 600);
}

TEST(SensorWindow, NarrowestTwoByTwoWindowKeepsAWidth) {
    SubFrame frame;
    const FrameSize shown = SetResolution(frame, 3, 3, 2, FrameSize{});
    EXPECT_EQ(frame.sw, 16);
    EXPECT_EQ(shown.width, 8);
}

TEST(SensorWindow, SmallWindowDraggedToTheTop) {
    SubFrame frame;
    FrameSize shown = SetResolution(frame, 160, 120, 1, FrameSize{});
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
    SetResolution(frame, 101, 100, 1, FrameSize{});  // 404 x 400
    DrawMini(frame, 112, 40);
    EXPECT_EQ(frame.sx, 2048 - 404);
    DrawMini(frame, 30, 40);  // 540 - 202 = 338
    EXPECT_EQ(frame.sx, 338);
    DrawMini(frame, 1, 1);
    EXPECT_EQ(frame.sx, 0);
    EXPECT_EQ(frame.sy, 0);
}

TEST(SensorWindow, BinningOnlyChangeMovesTheWindowByTheOldSizeReadAtTheNewShift) {
    SubFrame frame;
    FrameSize shown = SetResolution(frame, 160, 120, 1, FrameSize{});  // 640 x 480, centred
    DrawMini(frame, 56, 42);
    const SubFrame before = frame;
    // Same sliders, 2x2: the counters still show 640 x 480, read as 1280 x 960.
    shown = SetResolution(frame, 160, 120, 2, shown);
    EXPECT_EQ(frame.sx, before.sx + (1280 - 640) / 2);
    EXPECT_EQ(frame.sy, before.sy + (960 - 480) / 2);
    EXPECT_EQ(shown.width, 320);
    EXPECT_EQ(shown.height, 240);
    // Back to 1x1: the counters show 320 x 240, a shrink read at shift 0.
    shown = SetResolution(frame, 160, 120, 1, shown);
    EXPECT_EQ(frame.sx, before.sx + 320 - 160);
    EXPECT_EQ(shown.width, 640);
}

TEST(SensorWindow, GrowingNearAnEdgeStaysOnTheSensor) {
    SubFrame frame;
    FrameSize shown = SetResolution(frame, 100, 100, 1, FrameSize{});
    DrawMini(frame, 112, 84);  // bottom-right corner
    shown = SetResolution(frame, 512, 384, 1, shown);
    EXPECT_EQ(frame.sx, 0);
    EXPECT_EQ(frame.sy, 0);
    EXPECT_EQ(SubframeText(frame, 1), "Subframe: (0,0) -> (2048x1536)");
    frame.sx = -8;
    frame.sy = 2000;
    KeepOnSensor(frame);
    EXPECT_EQ(frame.sx, 0);
    EXPECT_EQ(frame.sy, 0);
}
