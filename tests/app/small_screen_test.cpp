#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>

#include "main_window_fixture.h"

// On a screen of exactly 800 x 600 the window fills the screen without a
// frame, so that nothing of it is lost on a small laptop.
TEST_F(MainWindowTest, OnAnEightHundredBySixHundredScreenTheWindowFillsIt) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(800, 600));
    ASSERT_TRUE(Start());
    EXPECT_TRUE(W().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(W().windowState() & Qt::WindowMaximized);
    EXPECT_EQ(W().frameGeometry(), QRect(0, 0, 800, 600));
    // About (837 x 553) is wider than this screen: centred, with its left edge kept on it.
    EXPECT_EQ(AboutPosition(), QPoint(0, 23));
}

int main(int argc, char *argv[]) {
    // The test platform's screen, made 800 x 600.
    QTemporaryDir folder;
    const QString config = folder.filePath("screen.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 800, "height": 600,)"
               R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
