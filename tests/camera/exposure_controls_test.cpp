#include "camera/exposure_controls.h"

#include <gtest/gtest.h>

TEST(ExposureSliderPosition, IsTheExposureInMillisecondsUpToTheSlidersEnd) {
    struct Row {
        int32_t ms, maximum, position;
    };
    for (const Row row :
         {Row{0, 5000, 0}, Row{1, 5000, 1}, Row{100, 5000, 100}, Row{999, 5000, 999},
          Row{3000, 5000, 3000}, Row{5000, 5000, 5000}, Row{7000, 5000, 5000},
          Row{19999, 5000, 5000}, Row{100, 100, 100}, Row{250, 100, 100}, Row{7000, 1000, 1000}}) {
        const ExposureScale scale = ScaleForRange(row.maximum, CameraSensor{});
        EXPECT_EQ(ExposureSliderPosition(row.ms * 1000, scale), row.position)
            << row.ms << " ms, slider up to " << row.maximum;
    }
}

// The fine range counts the camera's steps from its shortest exposure to
// 1 ms; a camera without steps below 1 ms keeps whole milliseconds, and no
// range reaches past the camera's longest exposure.
TEST(ScaleForRange, FollowsTheCamerasExposures) {
    CameraSensor fine;
    fine.shortest_exposure_us = 10;
    fine.exposure_step_us = 1;
    CameraSensor coarse_steps = fine;
    coarse_steps.shortest_exposure_us = 32;
    coarse_steps.exposure_step_us = 3;
    CameraSensor short_longest;
    short_longest.longest_exposure_us = 2000000;
    struct Row {
        const char *camera_name;
        CameraSensor camera;
        int32_t range_ms;
        ExposureScale scale;
    };
    for (const Row &row : {
             Row{"fine", fine, 1, {1, 1, 10, 1000}},
             Row{"fine", fine, 500, {500, 1000, 0, 500}},
             Row{"steps of 3 us", coarse_steps, 1, {1, 3, 11, 333}},
             Row{"whole ms", CameraSensor{}, 1, {100, 1000, 0, 100}},
             Row{"whole ms", CameraSensor{}, 50, {100, 1000, 0, 100}},
             Row{"longest 2 s", short_longest, 5000, {5000, 1000, 0, 2000}},
         }) {
        const ExposureScale scale = ScaleForRange(row.range_ms, row.camera);
        EXPECT_EQ(scale.range_ms, row.scale.range_ms) << row.camera_name << ", " << row.range_ms;
        EXPECT_EQ(scale.unit_us, row.scale.unit_us) << row.camera_name << ", " << row.range_ms;
        EXPECT_EQ(scale.lowest, row.scale.lowest) << row.camera_name << ", " << row.range_ms;
        EXPECT_EQ(scale.highest, row.scale.highest) << row.camera_name << ", " << row.range_ms;
    }
    const ExposureScale scale = ScaleForRange(1, fine);
    EXPECT_EQ(ExposureSliderPosition(250, scale), 250);
    EXPECT_EQ(ExposureSliderPosition(0, scale), 10) << "nothing shorter than the camera's shortest";
    EXPECT_EQ(ExposureSliderPosition(100000, scale), 1000);
    EXPECT_EQ(ExposureSliderPosition(250, ScaleForRange(100, fine)), 0) << "nearest whole ms";
    EXPECT_EQ(ExposureSliderPosition(600, ScaleForRange(100, fine)), 1);
}

TEST(ExposureCaption, ShowsMicrosecondsBelowAMillisecond) {
    EXPECT_EQ(ExposureCaption(100000), "100ms");
    EXPECT_EQ(ExposureCaption(0), "0ms");
    EXPECT_EQ(ExposureCaption(250), "250\u00b5s");
    EXPECT_EQ(ExposureCaption(1500), "1.500ms");
}

TEST(PresetMilliseconds, ReadsTheNumberOfAPresetCaption) {
    EXPECT_EQ(PresetMilliseconds("100ms"), 100);
    EXPECT_EQ(PresetMilliseconds("&2500ms"), 2500);
    EXPECT_EQ(PresetMilliseconds("5000ms"), 5000);
    EXPECT_EQ(PresetMilliseconds("ms"), -1);
    EXPECT_EQ(PresetMilliseconds("fast"), -1);
}
