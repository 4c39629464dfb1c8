#pragma once

#include <QImage>
#include <QLine>
#include <cstdint>

#include "analysis/measurement.h"
#include "camera/preview_input.h"
#include "preview/focus_aid.h"
#include "preview/text_overlay.h"

// The main window's picture: the image control inside its scroll box, which
// keeps a picture smaller than itself centred.
class PreviewView {
  public:
    virtual ~PreviewView() = default;
    // Shows `picture` drawn at display_width x display_height. The picture
    // stays valid, and is what gets redrawn, until the next call.
    virtual void ShowPicture(const QImage *picture, int32_t display_width,
                             int32_t display_height) = 0;
    // Draws `line` (picture pixels) over the picture so that it shows on any
    // background; null removes it.
    virtual void ShowMeasurementLine(const QLine *line) = 0;
};

// The histogram window, as the renderer feeds it.
class HistogramView {
  public:
    virtual ~HistogramView() = default;
    virtual bool Visible() const = 0;
    // `samples`: the untouched frame (a deep frame's 8-bit view), `width`
    // samples a row, `rows` rows to count; `color`: the samples are a colour
    // mosaic.
    virtual void HUpdate(const uint8_t *samples, int32_t width, bool color, int32_t rows) = 0;
};

// The measurement window and the status text it writes.
class MeasurementView {
  public:
    virtual ~MeasurementView() = default;
    virtual bool Visible() const = 0;
    // The profile along the line (empty: none) and the chart's y range.
    virtual void ShowProfile(const Profile &profile, const ProfileRange &range) = 0;
    // The line's length in pixels of the unbinned sensor, for the status bar.
    virtual void ShowDistance(double pixels) = 0;
};

// Turns the working bitmap that the frame-ready handler filled into the
// picture on screen: mirror, time stamp, black/white stretch, zoom. GUI
// thread only, driven by MSG_RENDER_PREVIEW.
class TPREVIEW {
  public:
    explicit TPREVIEW(PreviewInput &input)
        : _BlackPoint(input.black_point), _WhitePoint(input.white_point), input_(input) {}

    void Init();
    // Renders the pending frame, if any, and returns the renderer to idle.
    void UpdateCaption();
    // Mirrors the working bitmap left to right in place.
    void BitmapFlip();
    // Redraws the measurement line over the picture, with its profile and
    // its length, or removes it when the measurement window is closed.
    void LineUpdate();

    // 0..254 and 1..255; held in the input, where a deep frame's view is made.
    int32_t &_BlackPoint;
    int32_t &_WhitePoint;
    PreviewView *__FORMIMAGE = nullptr;
    bool HFLIP = false;
    bool show_saturation = false;          // samples at 255 painted red on the picture
    int32_t _SCALE = 100;                  // zoom in percent: 25, 50, 100, 200 or 400
    int32_t binning_shift = 0;             // of the frames shown: 0 1x1, 1 2x2, 2 4x4
    bool __color = false;                  // frames are colour mosaics
    const OverlayLook *overlay = nullptr;  // the time stamp's look; none: no stamp

    HistogramView *histogram_window = nullptr;
    MeasurementView *measurement_window = nullptr;
    MeasurementLine measurement_line;
    ProfileRange profile_range;
    // The focus aid, fed from every rendered frame while its window shows.
    FocusAid focus;
    FocusView *focus_window = nullptr;

  private:
    PreviewInput &input_;
    QImage picture_;   // the working bitmap as drawn, top row first
    Profile profile_;  // kept between frames for its memory
};
