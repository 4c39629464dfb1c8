#include "analysis/roddier_circle.h"

#include <gtest/gtest.h>

namespace {

TEST(RoddierCircle, ThreeRimPointsGiveCentreAndRadius) {
    struct Row {
        QPoint a, b, c;
        double cx, cy, r;
    };
    const Row rows[] = {
        {{100, 50}, {150, 100}, {100, 150}, 100, 100, 50},
        {{0, 0}, {10, 0}, {0, 10}, 5, 5, 7.0710678},
        {{2047, 0}, {0, 1535}, {2047, 1535}, 1023.5, 767.5, 1279.3000039},
        {{-40, 0}, {0, 40}, {40, 0}, 0, 0, 40},  // presses beside the picture
    };
    for (const Row &row : rows) {
        const std::optional<Circle> circle = CircleThroughPoints(row.a, row.b, row.c);
        ASSERT_TRUE(circle.has_value()) << row.cx << "," << row.cy;
        EXPECT_NEAR(circle->cx, row.cx, 1e-4);
        EXPECT_NEAR(circle->cy, row.cy, 1e-4);
        EXPECT_NEAR(circle->r, row.r, 1e-4);
    }
}

TEST(RoddierCircle, PointsOnOneLineOrOnTopOfEachOtherGiveNoCircle) {
    const std::array<QPoint, 3> rows[] = {
        {QPoint(0, 0), QPoint(5, 5), QPoint(10, 10)},
        {QPoint(100, 20), QPoint(100, 80), QPoint(100, 500)},
        {QPoint(7, 7), QPoint(7, 7), QPoint(7, 7)},
        {QPoint(7, 7), QPoint(7, 7), QPoint(90, 3)},
        {QPoint(0, 0), QPoint(2047, 1535), QPoint(0, 0)},
    };
    for (const auto &[a, b, c] : rows)
        EXPECT_FALSE(CircleThroughPoints(a, b, c).has_value())
            << a.x() << "," << a.y() << " " << c.x() << "," << c.y();
}

TEST(RoddierCircle, EveryThirdClickCompletesASetThatFillsFromC) {
    RimPicks picks;
    EXPECT_FALSE(picks.Add({1, 2}));
    EXPECT_FALSE(picks.Point(0).has_value());
    EXPECT_FALSE(picks.Point(1).has_value());
    EXPECT_EQ(picks.Point(2), QPoint(1, 2));
    EXPECT_FALSE(picks.Add({3, 4}));
    EXPECT_EQ(picks.Point(1), QPoint(1, 2));
    EXPECT_EQ(picks.Point(2), QPoint(3, 4));
    EXPECT_TRUE(picks.Add({5, 6}));
    EXPECT_EQ(picks.Points(), (std::array<QPoint, 3>{QPoint(1, 2), QPoint(3, 4), QPoint(5, 6)}));
    // The next click starts a new set: the old points no longer show.
    EXPECT_FALSE(picks.Add({7, 8}));
    EXPECT_FALSE(picks.Point(1).has_value());
    EXPECT_EQ(picks.Point(2), QPoint(7, 8));
    // Showing the window again restarts the set.
    picks.Clear();
    EXPECT_FALSE(picks.Add({9, 9}));
    EXPECT_FALSE(picks.Add({9, 9}));
    EXPECT_TRUE(picks.Add({9, 9}));
}

}  // namespace
