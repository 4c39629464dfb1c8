#pragma once

#include <array>
#include <cstdint>

#include "platform/bitmap24.h"

class QImage;

// The focus aid looks at a square of the picture this many pixels on a side,
// centred on the point the observer picked.
inline constexpr int32_t FOCUS_CROP = 41;
inline constexpr int32_t FOCUS_HALF = FOCUS_CROP / 2;
// A pick keeps at least this far from the picture's edges.
inline constexpr int32_t FOCUS_PICK_MARGIN = 30;
// Shown in the MIN counter, this value makes the next update start the peak
// statistics afresh.
inline constexpr int32_t FOCUS_RESTART = 999;

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb &) const = default;
};

// Trend colours of the peak digits: olive while the peak holds, green while
// it rises clearly above its recent average.
inline constexpr Rgb TREND_STEADY{0xC0, 0xC0, 0x00};
inline constexpr Rgb TREND_RISING{0x00, 0xFF, 0x00};

// Lowest, highest and recent average crop peak since the last restart, with
// the ring of the last five peaks they come from.
struct PeakStatistics {
    int32_t MIN = FOCUS_RESTART;
    int32_t MAX = 0;
    int32_t Avg = 0;
    std::array<uint8_t, 5> MAXLST{};
    int32_t MAXPOS = 0;  // next slot of MAXLST
};

// Folds one crop peak into the statistics and returns the trend colour.
Rgb AddPeak(PeakStatistics &stats, uint8_t peak);

// Colour of the peak digits for a newly shown value: dim green for faint
// peaks turning dim red towards saturation, plain red at the extremes.
Rgb PeakValueColour(int32_t value);

// The digits keep the trend colour only while the shown peak repeats; a new
// value takes the colour of its value.
inline Rgb DigitColour(Rgb trend, int32_t peak, int32_t shown_before) {
    return peak == shown_before ? trend : PeakValueColour(peak);
}

// A point of the picture, in picture pixels counted from its top-left corner.
struct PicturePoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const PicturePoint &) const = default;
};

// The crop centre picked by a click at (x, y) on the picture shown at
// `scale_percent`, `shown_width` x `shown_height` pixels on screen: in
// picture pixels, kept FOCUS_PICK_MARGIN from the edges (the middle of a
// picture too small for that).
PicturePoint PickCropCentre(int32_t x, int32_t y, int32_t scale_percent, int32_t shown_width,
                            int32_t shown_height);

// Keeps the crop inside a picture of `width` x `height` pixels, which may
// have shrunk since the pick (sub-frame, binning). A colour picture needs one
// more column for the Bayer cell right of each pixel. A picture smaller than
// the crop gets its middle.
PicturePoint ClampCropCentre(PicturePoint centre, int32_t width, int32_t height, bool colour);

// The 41 x 41 samples under the crop, from the untouched frame, with the
// smallest and largest of them. grid[j * FOCUS_CROP + i] lies under picture
// pixel (centre.x - 20 + i, centre.y - 20 + j).
struct FocusSamples {
    std::array<uint8_t, FOCUS_CROP * FOCUS_CROP> grid{};
    uint8_t peak = 0;
    uint8_t low = 255;
};

// Reads the crop from a frame of W x H samples (frame row 0 is the picture's
// bottom row; a colour frame is a Bayer mosaic one row taller than its
// picture, and each picture pixel reads the mean of the 2 x 2 cell at it).
// `flipped`: the picture is mirrored left to right. Pixels past the frame's
// edges repeat the edge. False, with nothing read, when the frame holds no
// picture (a colour frame narrower or lower than a Bayer cell).
bool SampleFocusCrop(const uint8_t *samples, int32_t W, int32_t H, bool colour, bool flipped,
                     PicturePoint centre, FocusSamples &out);

// Copies the 41 x 41 pixels of the picture around `centre` into `crop`
// (41 x 41, 32-bit RGB, allocated by the caller), pixels past the edges
// repeating the edge. Nothing happens for an empty picture.
void CopyCropPicture(const Bitmap24 &picture, PicturePoint centre, QImage &crop);

// The surface plot's scale for a crop: values are drawn from the crop's
// lowest sample up, the top colour reached at two fifths of the range.
struct PlotScale {
    int32_t colour_scale_high = 0;
    int32_t z_high = 0;
};
PlotScale PlotScaleFor(const FocusSamples &samples);
