#include <gtest/gtest.h>

#include <QScreen>

#include "main_window_fixture.h"
#include "screen_test_main.h"

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

// There the focus window is narrow, has no 3-D view, and lies on the screen.
TEST_F(MainWindowTest, OnASmallScreenTheFocusWindowIsNarrowAndHasNoPlot) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(FocusWindow().width(), 297);
    EXPECT_FALSE(FocusWindow().HasPlot());
    EXPECT_TRUE(Renderer().focus._NO3D);
    FocusWindow().show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(screen.contains(FocusWindow().frameGeometry())) << FocusWindow().y();
    for (QWidget *window :
         {static_cast<QWidget *>(&RoddierWindow()), static_cast<QWidget *>(&SolarWindow())}) {
        window->show();
        EXPECT_TRUE(screen.contains(window->frameGeometry())) << window->x();
    }
}

int main(int argc, char *argv[]) {
    return RunTestsOnScreen(argc, argv, QSize(800, 600), "1");
}
