#include "app/window_placement.h"

#include <gtest/gtest.h>

// The main window's designed corner (463, 169 from the screen's corner) and
// About's centre, on screens that have room and on smaller ones.
TEST(WindowPlacement, WindowsStayWhollyOnTheScreen) {
    struct Row {
        QRect screen;
        QPoint designed, main_window, about;
    };
    const QSize main_window(800, 570);
    const QSize about(837, 553);
    for (const Row &row : {
             Row{{0, 0, 1280, 1024}, {463, 169}, {463, 169}, {221, 235}},
             Row{{0, 0, 1024, 600}, {463, 169}, {224, 30}, {93, 23}},
             // About is wider than this screen: its left edge stays on it.
             Row{{0, 0, 800, 600}, {463, 169}, {0, 30}, {0, 23}},
             // Both larger than the screen: their corners stay on it.
             Row{{0, 0, 640, 480}, {463, 169}, {0, 0}, {0, 0}},
             // A panel along the top, and a second screen to the right.
             Row{{0, 32, 1280, 992}, {463, 169}, {463, 169}, {221, 251}},
             Row{{1920, 0, 1024, 768}, {2383, 169}, {2144, 169}, {2013, 107}},
         }) {
        const std::string label =
            std::to_string(row.screen.width()) + "x" + std::to_string(row.screen.height()) + "+" +
            std::to_string(row.screen.x()) + "+" + std::to_string(row.screen.y());
        EXPECT_EQ(KeptOnScreen(row.designed, main_window, row.screen), row.main_window) << label;
        EXPECT_EQ(CentredOnScreen(about, row.screen), row.about) << label;
    }
}
