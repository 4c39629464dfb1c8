#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>

#include "main_window_fixture.h"

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
    Store("COLORMODE", "T");
    ASSERT_TRUE(Start());
    const QImage picture = WhiteBalancePicture();
    RightClickOnPicture(picture, 100, QPoint(200, 150));
    EXPECT_EQ(C<QSlider>("RED")->value(), 28);
    EXPECT_EQ(C<QSlider>("GREEN")->value(), 54);
    EXPECT_EQ(C<QSlider>("BLUE")->value(), 100);
}

int main(int argc, char *argv[]) {
    QTemporaryDir folder;
    const QString config = folder.filePath("screen.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(R"({"screens": [{"name": "scaled", "x": 0, "y": 0, "width": 2600, "height": 1600,)"
               R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
