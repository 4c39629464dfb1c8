#pragma once

#include <QImage>
#include <cstdint>

#include "analysis/focus_statistics.h"
#include "camera/preview_input.h"

// What one focus update shows.
struct FocusReading {
    int32_t peak = 0;
    int32_t MIN = 0;
    int32_t MAX = 0;
    int32_t Avg = 0;
    Rgb digit_colour;
    // The crop's samples for the surface plot, drawn from samples.low up;
    // null while the plot is not fed.
    const FocusSamples *plot = nullptr;
    PlotScale scale;
};

// The focus window as the renderer sees it.
class FocusView {
  public:
    virtual ~FocusView() = default;
    virtual bool Visible() const = 0;
    // `crop`: the 41 x 41 pixels of the picture as shown (flipped and
    // stretched); the numbers come from the untouched samples.
    virtual void ShowFocus(const FocusReading &reading, const QImage &crop) = 0;
};

// The focus aid's state: the crop centre the observer picked and the peak
// statistics since the last restart. GUI thread only.
class FocusAid {
  public:
    // Starts the peak statistics afresh at the next update.
    void Restart() { stats_.MIN = FOCUS_RESTART; }
    // A new crop centre, in picture pixels.
    void Pick(PicturePoint centre);
    // One focus update from the frame in `analysis` and the picture drawn
    // from it; `colour`: the frame is a Bayer mosaic.
    void Update(const AnalysisCopy &analysis, const Bitmap24 &picture, bool colour, bool flipped,
                FocusView &view);

    const PeakStatistics &Statistics() const { return stats_; }

    int32_t posx = -1;  // crop centre; -1: not chosen yet, the first update centres it
    int32_t posy = -1;
    bool _NO3D = false;  // the surface plot is not fed (small screens)

  private:
    PeakStatistics stats_;
    int32_t shown_peak_ = 0;  // what the peak digits show
    FocusSamples samples_;
    QImage crop_{FOCUS_CROP, FOCUS_CROP, QImage::Format_RGB32};
};
