#include <gtest/gtest.h>

#include <QScreen>

#include "main_window_fixture.h"
#include "screen_test_main.h"

// A 2600 x 1600 screen drawn at twice the scale: 1300 x 800 logical pixels,
// room for the main window at its designed place.
TEST_F(MainWindowTest, OnAScaledScreenTheWindowsOpenAtTheirPlaces) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1300, 800));
    ASSERT_TRUE(Start());
    EXPECT_EQ(W().pos(), QPoint(463, 169));
    EXPECT_EQ(AboutPosition(), QPoint(231, 123)) << "centred on the screen";
}

// The pointer's position is in logical pixels while the screen has two device
// pixels to each: the patch still comes from the picture pixel under it.
TEST_F(MainWindowTest, OnAScaledScreenRightClickBalancesWhereThePointerIs) {
    qputenv("OMTRIX_SIM_SENSOR", "colour");
    ASSERT_TRUE(Start());
    const QImage picture = WhiteBalancePicture();
    RightClickOnPicture(picture, 100, QPoint(200, 150));
    EXPECT_EQ(C<QSlider>("RED")->value(), 28);
    EXPECT_EQ(C<QSlider>("GREEN")->value(), 54);
    EXPECT_EQ(C<QSlider>("BLUE")->value(), 100);
}

int main(int argc, char *argv[]) {
    return RunTestsOnScreen(argc, argv, QSize(2600, 1600), "2");
}
