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
        EXPECT_EQ(ExposureSliderPosition(row.ms, row.maximum), row.position)
            << row.ms << " ms, slider up to " << row.maximum;
    }
}

TEST(PresetMilliseconds, ReadsTheNumberOfAPresetCaption) {
    EXPECT_EQ(PresetMilliseconds("100ms"), 100);
    EXPECT_EQ(PresetMilliseconds("&2500ms"), 2500);
    EXPECT_EQ(PresetMilliseconds("5000ms"), 5000);
    EXPECT_EQ(PresetMilliseconds("ms"), -1);
    EXPECT_EQ(PresetMilliseconds("fast"), -1);
}
