#pragma once

#include <QPoint>
#include <array>
#include <cstdint>
#include <optional>

// The reference circle's smallest and largest radius, picture pixels.
inline constexpr int32_t RODDIER_MIN_RADIUS = 30;
inline constexpr int32_t RODDIER_MAX_RADIUS = 300;

struct Circle {
    double cx = 0;
    double cy = 0;
    double r = 0;
};

// The circle through three points, or nothing when the points lie on one
// line or two of them coincide.
std::optional<Circle> CircleThroughPoints(QPoint a, QPoint b, QPoint c);

// The rim points of a defocused star disk as the observer clicks them: every
// third click completes a set of three, A, B and C in click order.
class RimPicks {
  public:
    // Records a click; true when it completes a set.
    bool Add(QPoint point);
    // Restarts with an empty set (the window was shown again).
    void Clear() { counter_ = 0; }
    // Point 0 (A), 1 (B) or 2 (C) once clicked in the current set.
    std::optional<QPoint> Point(int index) const;
    const std::array<QPoint, 3> &Points() const { return points_; }

  private:
    std::array<QPoint, 3> points_{};
    int32_t counter_ = 0;  // clicks in the current set, 0 after the third
};
