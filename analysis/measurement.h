#pragma once

#include <QPoint>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <vector>

class QImage;

// The sensor pixel, whatever the binning or zoom.
inline constexpr double PIXEL_SIZE_UM = 5.2;
// Focal lengths below this are taken as unset and replaced by 1 mm.
inline constexpr double SHORTEST_FOCAL_LENGTH_MM = 10.0;
// A line this long or shorter (picture pixels) gets no profile.
inline constexpr int32_t SHORTEST_PROFILE_LINE = 20;

// The measurement line over the picture, in picture pixels (after zoom).
// GUI thread only.
class MeasurementLine {
  public:
    // A press starts a line of zero length at `at`.
    void Press(QPoint at);
    // While dragging, the line's end follows the mouse; false otherwise.
    bool Drag(QPoint at);
    // Ends the drag; the line is kept only while the window is open.
    void Release(bool window_visible);
    // The picture's zoom changed: the line stays on the same part of the sky.
    void Rescale(int32_t old_percent, int32_t new_percent);

    bool HasLine() const { return start_.x() != -1; }
    bool Dragging() const { return dragging_; }
    QPoint Start() const { return start_; }
    QPoint End() const { return end_; }
    // Length from the press point to the line's end, in picture pixels.
    double Length() const;

  private:
    QPoint anchor_;
    QPoint start_{-1, -1};  // x -1: no line
    QPoint end_;
    bool dragging_ = false;
};

enum class MeasureUnit { Pixels, ArcSeconds };

// A length on the picture shown at `scale_percent`, from a frame binned by
// `binning_shift` (0: 1x1, 1: 2x2, 2: 4x4), in pixels of the unbinned
// sensor: the same stretch of sky reads the same at every zoom and binning.
double SensorPixels(double picture_pixels, int32_t scale_percent, int32_t binning_shift);

// The focal length a text stands for: its number when it is one of at least
// 10 mm; otherwise (short, zero, negative, empty, not a number) 1 mm, and
// `replaced` tells the field to show that.
double FocalLengthFromText(const QString &text, bool *replaced);

// The status text for a line `pixels` (unbinned sensor pixels) long:
// "Distance 12.0 pixels", or its angle on the sky through a telescope of
// `focal_length_mm`.
// The words of that text, in the interface language.
struct DistanceWords {
    QString distance = QStringLiteral("Distance");
    QString pixels = QStringLiteral("pixels");
    QString arc_seconds = QStringLiteral("arc seconds");
};
QString DistanceText(double pixels, MeasureUnit unit, double focal_length_mm,
                     const DistanceWords &words = {});

// The y range of the profile chart, which follows the profile only after
// three frames in a row ask for a move in the same direction, so the chart
// does not jump with the seeing.
class ProfileRange {
  public:
    static constexpr int32_t UNSET = 999;

    void Reset() { *this = ProfileRange(); }
    // Offers the bounds one frame's profile asks for.
    void Offer(int32_t low, int32_t high);
    int32_t Low() const { return low_.value; }
    int32_t High() const { return high_.value; }

  private:
    struct Bound {
        int32_t value = UNSET;
        int32_t below = 0;  // frames in a row that asked for less
        int32_t above = 0;  // frames in a row that asked for more
        void Offer(int32_t wanted);
    };
    Bound low_;
    Bound high_;
};

// The brightness along the line, as the chart draws it.
struct Profile {
    std::vector<QPointF> points;  // (1, first sample), then (step, sample); empty: no profile
    int32_t steps = 1;            // end of the x axis: one past the last step drawn
    int32_t low = 999;            // darkest and brightest sample along the line
    int32_t peak = 0;
    void Clear() {
        points.clear();  // keeps the memory
        steps = 1;
        low = 999;
        peak = 0;
    }
    // The y range the samples ask for, in steps of 20.
    int32_t WantedLow() const { return low / 20 * 20; }
    int32_t WantedHigh() const { return (peak / 20 + 1) * 20; }
};

// Traces the red component of `picture` shown at `scale_percent` along the
// line from `start` to `end` (shown pixels). Points outside the picture read
// its nearest edge. `profile` keeps its memory from frame to frame.
void TraceProfile(const QImage &picture, int32_t scale_percent, QPoint start, QPoint end,
                  Profile &profile);
