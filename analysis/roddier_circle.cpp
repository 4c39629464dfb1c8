#include "analysis/roddier_circle.h"

#include <cmath>

namespace {

double Determinant(const double m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

}  // namespace

std::optional<Circle> CircleThroughPoints(QPoint a, QPoint b, QPoint c) {
    const QPoint p[3] = {a, b, c};
    double x[3], y[3], s[3];
    for (int i = 0; i < 3; ++i) {
        x[i] = p[i].x();
        y[i] = p[i].y();
        s[i] = x[i] * x[i] + y[i] * y[i];
    }
    const double rows11[3][3] = {{x[0], y[0], 1}, {x[1], y[1], 1}, {x[2], y[2], 1}};
    const double rows12[3][3] = {{s[0], y[0], 1}, {s[1], y[1], 1}, {s[2], y[2], 1}};
    const double rows13[3][3] = {{s[0], x[0], 1}, {s[1], x[1], 1}, {s[2], x[2], 1}};
    const double rows14[3][3] = {{s[0], x[0], y[0]}, {s[1], x[1], y[1]}, {s[2], x[2], y[2]}};
    // Integer points keep every product exact, so collinear points give
    // exactly zero here.
    const double m11 = Determinant(rows11);
    if (m11 == 0) {
        return std::nullopt;
    }
    Circle circle;
    circle.cx = 0.5 * Determinant(rows12) / m11;
    circle.cy = -0.5 * Determinant(rows13) / m11;
    const double r_squared =
        circle.cx * circle.cx + circle.cy * circle.cy + Determinant(rows14) / m11;
    if (!(r_squared >= 0)) {
        return std::nullopt;
    }
    circle.r = std::sqrt(r_squared);
    return circle;
}

bool RimPicks::Add(QPoint point) {
    points_[0] = points_[1];
    points_[1] = points_[2];
    points_[2] = point;
    counter_ = (counter_ + 1) % 3;
    return counter_ == 0;
}

std::optional<QPoint> RimPicks::Point(int index) const {
    // The set fills from C backwards as the points shift: after one click
    // only C is this set's, after two B and C, after three all.
    const int clicked = counter_ == 0 ? 3 : counter_;
    if (index < 3 - clicked || index > 2) {
        return std::nullopt;
    }
    return points_[index];
}
