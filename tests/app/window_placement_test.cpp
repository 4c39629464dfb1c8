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

// A tool window beside the main window where the screen has room, else over
// the picture from its right edge; never over a place already taken.
TEST(WindowPlacement, ToolWindowsOpenBesideTheWindowOrOverThePictureNeverOverEachOther) {
    struct Row {
        const char *name;
        QRect screen, main_window, picture;
        QList<QRect> taken;
        std::optional<QPoint> expected;
    };
    const QSize size(175, 203);
    const QRect designed(463, 169, 800, 590);  // the main window on a 1280 x 1024 screen
    const QRect designed_picture(824, 210, 420, 500);
    const QRect full(0, 0, 800, 600);  // filling an 800 x 600 screen
    const QRect full_picture(361, 25, 420, 540);
    for (const Row &row : {
             Row{"no room right: left of it",
                 {0, 0, 1280, 1024},
                 designed,
                 designed_picture,
                 {},
                 QPoint(288, 169)},
             Row{"room right",
                 {0, 0, 1600, 1024},
                 designed,
                 designed_picture,
                 {},
                 QPoint(1263, 169)},
             Row{"below the one taken on the left",
                 {0, 0, 1280, 1024},
                 designed,
                 designed_picture,
                 {{288, 169, 175, 203}},
                 QPoint(288, 372)},
             Row{"no room left nor right: below",
                 {0, 0, 1280, 1024},
                 {100, 100, 1100, 600},
                 {400, 130, 700, 500},
                 {},
                 QPoint(100, 700)},
             Row{"no room outside: the picture's top-right corner",
                 {0, 0, 800, 600},
                 full,
                 full_picture,
                 {},
                 QPoint(606, 25)},
             Row{"below the first",
                 {0, 0, 800, 600},
                 full,
                 full_picture,
                 {{606, 25, 175, 203}},
                 QPoint(606, 228)},
             Row{"left of a column that is full",
                 {0, 0, 800, 600},
                 full,
                 full_picture,
                 {{606, 25, 175, 203}, {606, 228, 175, 337}},
                 QPoint(431, 25)},
             Row{"nowhere free", {0, 0, 800, 600}, full, full_picture, {full_picture}, {}},
             Row{"room above only",
                 {0, 0, 1280, 1024},
                 {0, 300, 1280, 600},
                 full_picture,
                 {},
                 QPoint(0, 97)},
         }) {
        EXPECT_EQ(ToolWindowPlace(size, row.screen, row.main_window, row.picture, row.taken),
                  row.expected)
            << row.name;
    }
    // Where nothing is free: over the picture's top-right corner, then over
    // the keypads' strip (149 wide), then over the controls if it must.
    const QRect screen(0, 0, 800, 600);
    EXPECT_EQ(CrowdedToolWindowPlace(QSize(175, 203), screen, full_picture, 149), QPoint(606, 25));
    EXPECT_EQ(CrowdedToolWindowPlace(QSize(570, 203), screen, full_picture, 149), QPoint(212, 25));
    EXPECT_EQ(CrowdedToolWindowPlace(QSize(620, 366), screen, full_picture, 149), QPoint(180, 25));
}
