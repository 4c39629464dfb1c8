#include "camera/exposure_controls.h"

#include <gtest/gtest.h>

TEST(ExposureSliderPosition, FollowsTheTwoPartScale) {
    struct Row {
        int32_t ms, position;
    };
    for (const Row row : {Row{0, 0}, Row{1, 2},  // 2.5 goes to the even neighbour
                          Row{3, 8},             // 7.5 goes up to 8
                          Row{100, 250}, Row{999, 2498}, Row{1000, 2500}, Row{3000, 3750},
                          Row{4999, 4999}, Row{5000, 50000}, Row{7000, 50000}, Row{19999, 50000}}) {
        EXPECT_EQ(ExposureSliderPosition(row.ms), row.position) << row.ms << " ms";
    }
}

TEST(PresetMilliseconds, ReadsTheNumberOfAPresetCaption) {
    EXPECT_EQ(PresetMilliseconds("100ms"), 100);
    EXPECT_EQ(PresetMilliseconds("&2500ms"), 2500);
    EXPECT_EQ(PresetMilliseconds("5000ms"), 5000);
    EXPECT_EQ(PresetMilliseconds("ms"), -1);
    EXPECT_EQ(PresetMilliseconds("fast"), -1);
}
