#include "analysis/measurement.h"

#include <QImage>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

// Arc seconds per radian, over a thousand: micrometres over millimetres.
constexpr double ARC_SECONDS_PER_MILLIRADIAN = 206.265;

}  // namespace

void MeasurementLine::Press(QPoint at) {
    dragging_ = true;
    anchor_ = at;
    start_ = at;
    end_ = at;
}

bool MeasurementLine::Drag(QPoint at) {
    if (!dragging_) {
        return false;
    }
    end_ = at;
    return true;
}

void MeasurementLine::Release(bool window_visible) {
    dragging_ = false;
    if (!window_visible) {
        start_ = QPoint(-1, -1);
    }
}

void MeasurementLine::Rescale(int32_t old_percent, int32_t new_percent) {
    if (!HasLine() || old_percent <= 0 || old_percent == new_percent) {
        return;
    }
    for (QPoint *point : {&anchor_, &start_, &end_}) {
        *point =
            QPoint(point->x() * new_percent / old_percent, point->y() * new_percent / old_percent);
    }
}

double MeasurementLine::Length() const {
    return std::hypot(double(anchor_.x() - end_.x()), double(anchor_.y() - end_.y()));
}

double FocalLengthFromText(const QString &text, bool *replaced) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    double focal_length = QLocale::c().toDouble(trimmed, &ok);
    if (!ok) {
        focal_length = QLocale().toDouble(trimmed, &ok);  // "300,5" where a comma is the separator
    }
    const bool usable =
        ok && std::isfinite(focal_length) && focal_length >= SHORTEST_FOCAL_LENGTH_MM;
    *replaced = !usable;
    return usable ? focal_length : 1.0;
}

double SensorPixels(double picture_pixels, int32_t scale_percent, int32_t binning_shift) {
    return picture_pixels * 100.0 / std::max(scale_percent, 1) * double(1 << binning_shift);
}

QString DistanceText(double pixels, MeasureUnit unit, double focal_length_mm,
                     const DistanceWords &words) {
    if (unit == MeasureUnit::Pixels) {
        return words.distance + QString::asprintf(" %3.1f ", pixels) + words.pixels;
    }
    // Rounded to the tenth shown first, so that 59.96 arc seconds reads
    // "0 deg 1' 0.0" rather than "0 deg 0' 60.0".
    const double arc_seconds = std::nearbyint(pixels * ARC_SECONDS_PER_MILLIRADIAN * PIXEL_SIZE_UM /
                                              focal_length_mm * 10) /
                               10;
    const int64_t degrees = static_cast<int64_t>(arc_seconds / 3600);
    const int64_t minutes = static_cast<int64_t>(arc_seconds / 60) % 60;
    const double seconds = arc_seconds - double(degrees) * 3600 - double(minutes) * 60;
    return QString::asprintf("%5.1f ", arc_seconds) + words.arc_seconds +
           QString::asprintf(" (%2lld\u00b0 %2lld' %2.1f)", static_cast<long long>(degrees),
                             static_cast<long long>(minutes), seconds);
}

void ProfileRange::Bound::Offer(int32_t wanted) {
    if (value == UNSET) {
        value = wanted;
        below = above = 0;
    } else if (wanted < value) {
        above = 0;
        if (++below >= 3) {
            value = wanted;
            below = 0;
        }
    } else if (wanted > value) {
        below = 0;
        if (++above >= 3) {
            value = wanted;
            above = 0;
        }
    }
}

void ProfileRange::Offer(int32_t low, int32_t high) {
    high_.Offer(high);
    low_.Offer(low);
}

void TraceProfile(const QImage &picture, int32_t scale_percent, QPoint start, QPoint end,
                  Profile &profile) {
    profile.Clear();
    const int32_t dx = end.x() - start.x();
    const int32_t dy = end.y() - start.y();
    const int32_t n = std::max(std::abs(dx), std::abs(dy));
    if (n <= SHORTEST_PROFILE_LINE || picture.isNull() || scale_percent <= 0) {
        return;
    }
    // A shown pixel is the picture pixel under it at this zoom.
    auto red_at = [&](int32_t x, int32_t y) {
        const int32_t px = std::clamp(x * 100 / scale_percent, 0, picture.width() - 1);
        const int32_t py = std::clamp(y * 100 / scale_percent, 0, picture.height() - 1);
        return qRed(picture.pixel(px, py));
    };
    const int32_t first = red_at(start.x(), start.y());
    profile.low = profile.peak = first;
    profile.points.emplace_back(1, first);
    int32_t step = 1;
    for (;; ++step) {
        const double x = std::nearbyint(start.x() + double(step) * dx / n);
        const double y = std::nearbyint(start.y() + double(step) * dy / n);
        const int32_t v = red_at(int32_t(x), int32_t(y));
        profile.points.emplace_back(step, v);
        profile.peak = std::max(profile.peak, v);
        profile.low = std::min(profile.low, v);
        const bool at_end = std::abs(x - end.x()) < 1.5 && std::abs(y - end.y()) < 1.5;
        if (at_end || step >= n) {
            break;
        }
    }
    profile.steps = step + 1;
}
