#include "camera/camera_sensor.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// What the describing entries below answer.
struct Answers {
    int32_t width, height, bits, pattern;
    int32_t shortest_us, longest_us, step_us;
};
Answers answers;

CameraDriver DescribingDriver() {
    CameraDriver driver;
    driver.SensorWidth = [] { return answers.width; };
    driver.SensorHeight = [] { return answers.height; };
    driver.SensorBitDepth = [] { return answers.bits; };
    driver.SensorBayerPattern = [] { return answers.pattern; };
    driver.SensorPixelSize = [] { return 3750; };
    driver.SensorName = [](char *text, int32_t size) {
        const char name[] = "A camera with a rather long name";
        std::strncpy(text, name, size_t(size));
        return int32_t(sizeof name - 1);
    };
    driver.ExposureRange = [](int32_t *shortest, int32_t *longest, int32_t *step) {
        *shortest = answers.shortest_us;
        *longest = answers.longest_us;
        *step = answers.step_us;
    };
    return driver;
}

}  // namespace

TEST(DescribeCamera, ALibraryWithoutTheEntriesIsTheDefaultCamera) {
    std::string complaint;
    const CameraSensor sensor = DescribeCamera(CameraDriver{}, complaint);
    EXPECT_FALSE(sensor.described);
    EXPECT_EQ(sensor.width, 2048);
    EXPECT_EQ(sensor.height, 1536);
    EXPECT_EQ(sensor.MaximumSample(), 255);
    EXPECT_EQ(sensor.exposure_step_us, 1000);
    EXPECT_TRUE(complaint.empty());
}

// Each answer out of reason keeps the default of its own item only, and the
// complaint names it; the others are taken.
TEST(DescribeCamera, AnswersOutOfReasonKeepTheirDefaultAndAreNamed) {
    struct Case {
        Answers given;
        int32_t width, height, bits, maximum;
        BayerPattern pattern;
        int32_t shortest_us, step_us;
        const char *complaint;
    };
    const Case cases[] = {
        {{1304, 976, 12, 4, 10, 2000000, 1}, 1304, 976, 12, 4095, BayerPattern::BGGR, 10, 1, ""},
        {{1280, 1024, 16, 0, 0, 3600000000 / 1000, 1000}, 1280, 1024, 16, 65535,
         BayerPattern::None, 0, 1000, ""},
        {{9000, 9000, 8, 1, 0, 1000, 1}, 4096, 3072, 8, 255, BayerPattern::RGGB, 0, 1, ""},
        {{1305, 977, 10, 2, 0, 1000, 1}, 1304, 976, 10, 1023, BayerPattern::GRBG, 0, 1, ""},
        {{0, 976, 7, 5, 0, 1000, 1}, 2048, 1536, 8, 255, BayerPattern::None, 0, 1,
         "sensor size 0 x 976; bit depth 7; Bayer pattern 5"},
        {{640, 480, 17, 3, 500, 100, 0}, 640, 480, 8, 255, BayerPattern::GBRG, 0, 1000,
         "bit depth 17; exposure range 500 ... 100 us in steps of 0"},
    };
    for (const Case &c : cases) {
        answers = c.given;
        std::string complaint;
        const CameraSensor sensor = DescribeCamera(DescribingDriver(), complaint);
        SCOPED_TRACE(std::to_string(c.given.width) + " x " + std::to_string(c.given.height));
        EXPECT_TRUE(sensor.described);
        EXPECT_EQ(sensor.width, c.width);
        EXPECT_EQ(sensor.height, c.height);
        EXPECT_EQ(sensor.bit_depth, c.bits);
        EXPECT_EQ(sensor.MaximumSample(), c.maximum);
        EXPECT_EQ(sensor.pattern, c.pattern);
        EXPECT_EQ(sensor.shortest_exposure_us, c.shortest_us);
        EXPECT_EQ(sensor.exposure_step_us, c.step_us);
        EXPECT_EQ(complaint, c.complaint);
        EXPECT_EQ(sensor.pixel_size_nm, 3750);
        EXPECT_EQ(sensor.name, "A camera with a rather long name");
    }
}

// A camera that describes itself settles its colour both ways; the
// observer's tick counts only for a library without the optional entries.
TEST(CameraColour, IsTheCamerasOwnWordWhereItDescribesItself) {
    struct Case {
        bool described;
        BayerPattern pattern;
        bool observer_choice;
        bool settled, colour;
    };
    const Case cases[] = {
        {false, BayerPattern::None, false, false, false},
        {false, BayerPattern::None, true, false, true},
        {true, BayerPattern::None, true, true, false},
        {true, BayerPattern::BGGR, false, true, true},
        {true, BayerPattern::RGGB, true, true, true},
    };
    for (const Case &c : cases) {
        CameraSensor sensor;
        sensor.described = c.described;
        sensor.pattern = c.pattern;
        const std::string label = std::string(c.described ? "described " : "undescribed ") +
                                  std::to_string(int(c.pattern)) +
                                  (c.observer_choice ? ", ticked" : ", unticked");
        EXPECT_EQ(CameraSettlesColour(sensor), c.settled) << label;
        EXPECT_EQ(CameraIsColour(sensor, c.observer_choice), c.colour) << label;
    }
}
