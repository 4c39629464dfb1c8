#include "driver/camera_choice.h"

#include <gtest/gtest.h>

namespace {

using Kind = CameraChoice::Kind;

struct ChoiceCase {
    const char *text;
    Kind kind;
    const char *host;
    int32_t port;
    const char *device;
};

TEST(CameraChoiceTest, ReadsEveryFormOfTheSetting) {
    const ChoiceCase cases[] = {
        {"", Kind::Simulator, "localhost", 7624, ""},
        {"simulator", Kind::Simulator, "localhost", 7624, ""},
        {"indi", Kind::Indi, "localhost", 7624, ""},
        {"indi:scope.local", Kind::Indi, "scope.local", 7624, ""},
        {"indi:10.0.0.5:7700", Kind::Indi, "10.0.0.5", 7700, ""},
        {"indi/CCD Simulator", Kind::Indi, "localhost", 7624, "CCD Simulator"},
        {"indi:pi:7625/ZWO CCD ASI224MC", Kind::Indi, "pi", 7625, "ZWO CCD ASI224MC"},
        // The device name keeps colons and slashes of its own.
        {"indi:pi/V4L2 CCD: a/b", Kind::Indi, "pi", 7624, "V4L2 CCD: a/b"},
        {"indi::7700", Kind::Indi, "localhost", 7700, ""},
        {"indi:host:1", Kind::Indi, "host", 1, ""},
        {"indi:host:65535", Kind::Indi, "host", 65535, ""},
    };
    for (const ChoiceCase &row : cases) {
        std::string error;
        const std::optional<CameraChoice> choice = ParseCameraChoice(row.text, error);
        ASSERT_TRUE(choice.has_value()) << row.text << ": " << error;
        EXPECT_EQ(choice->kind, row.kind) << row.text;
        EXPECT_EQ(choice->host, row.host) << row.text;
        EXPECT_EQ(choice->port, row.port) << row.text;
        EXPECT_EQ(choice->device, row.device) << row.text;
        // Written out again, it reads back as the same choice.
        const std::optional<CameraChoice> again =
            ParseCameraChoice(FormatCameraChoice(*choice), error);
        ASSERT_TRUE(again.has_value()) << FormatCameraChoice(*choice);
        EXPECT_EQ(*again, *choice) << FormatCameraChoice(*choice);
    }
}

TEST(CameraChoiceTest, RejectsWhatNamesNoCameraWithAReason) {
    for (const char *text :
         {"webcam", "Simulator", "indi:host:0", "indi:host:65536", "indi:host:76x4",
          "indi:host:", "indi:host:7624:1", "indi/", "indiserver", "indi:host:99999999999"}) {
        std::string error;
        EXPECT_FALSE(ParseCameraChoice(text, error).has_value()) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(CameraChoiceTest, DefaultsAreLeftOutWhenWritten) {
    CameraChoice choice;
    EXPECT_EQ(FormatCameraChoice(choice), "simulator");
    choice.kind = Kind::Indi;
    EXPECT_EQ(FormatCameraChoice(choice), "indi");
    choice.port = 7700;
    EXPECT_EQ(FormatCameraChoice(choice), "indi:localhost:7700");
    choice.device = "CCD Simulator";
    EXPECT_EQ(FormatCameraChoice(choice), "indi:localhost:7700/CCD Simulator");
}

}  // namespace
