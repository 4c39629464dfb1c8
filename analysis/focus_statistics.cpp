#include "analysis/focus_statistics.h"

#include <QImage>
#include <algorithm>

namespace {

// Keeps v within low..high; when that range is empty (a picture too small
// for the margins) gives the point midway between its ends, the middle of
// the picture.
int32_t ClampOrMiddle(int32_t v, int32_t low, int32_t high) {
    if (high < low) {
        return (low + high) / 2;
    }
    return std::clamp(v, low, high);
}

}  // namespace

Rgb AddPeak(PeakStatistics &stats, uint8_t peak) {
    if (stats.MIN == FOCUS_RESTART) {
        stats.MIN = stats.MAX = stats.Avg = peak;
        stats.MAXLST.fill(peak);
        stats.MAXPOS = 0;
        return TREND_STEADY;
    }
    stats.MIN = std::min<int32_t>(stats.MIN, peak);
    stats.MAX = std::max<int32_t>(stats.MAX, peak);
    stats.MAXLST[stats.MAXPOS] = peak;
    stats.MAXPOS = (stats.MAXPOS + 1) % 5;
    int32_t sum = 0;
    for (uint8_t recent : stats.MAXLST) {
        sum += recent;
    }
    stats.Avg = sum / 5;
    const int32_t spread = (stats.MAX - stats.MIN) / 3;
    return peak > stats.Avg + spread ? TREND_RISING : TREND_STEADY;
}

Rgb PeakValueColour(int32_t value) {
    if (value < 15 || value > 247) {
        return Rgb{0xFF, 0x00, 0x00};
    }
    return Rgb{static_cast<uint8_t>(value >> 1), static_cast<uint8_t>((255 - value) >> 1), 0};
}

PicturePoint PickCropCentre(int32_t x, int32_t y, int32_t scale_percent, int32_t shown_width,
                            int32_t shown_height) {
    const int32_t scale = std::max(scale_percent, 1);
    const int32_t width = shown_width * 100 / scale;
    const int32_t height = shown_height * 100 / scale;
    return PicturePoint{
        ClampOrMiddle(x * 100 / scale, FOCUS_PICK_MARGIN, width - FOCUS_PICK_MARGIN),
        ClampOrMiddle(y * 100 / scale, FOCUS_PICK_MARGIN, height - FOCUS_PICK_MARGIN)};
}

PicturePoint ClampCropCentre(PicturePoint centre, int32_t width, int32_t height, bool colour) {
    const int32_t last_column = width - 1 - (colour ? 1 : 0);
    return PicturePoint{ClampOrMiddle(centre.x, FOCUS_HALF, last_column - FOCUS_HALF),
                        ClampOrMiddle(centre.y, FOCUS_HALF, height - 1 - FOCUS_HALF)};
}

bool SampleFocusCrop(const uint8_t *samples, int32_t W, int32_t H, bool colour, bool flipped,
                     PicturePoint centre, FocusSamples &out) {
    const int32_t cell = colour ? 1 : 0;     // the extra row and column of a Bayer cell
    const int32_t picture_width = W - cell;  // columns that have a whole cell
    const int32_t picture_height = H - cell;
    if (picture_width < 1 || picture_height < 1) {
        return false;
    }
    // Where each crop column and row lies in the frame: the first column of
    // its cell, and the offset of the frame row under it (the picture's
    // bottom row is frame row 0).
    std::array<int32_t, FOCUS_CROP> column{};
    std::array<size_t, FOCUS_CROP> row_offset{};
    for (int32_t k = 0; k < FOCUS_CROP; ++k) {
        const int32_t x = std::clamp(centre.x - FOCUS_HALF + k, 0, picture_width - 1);
        const int32_t y = std::clamp(centre.y - FOCUS_HALF + k, 0, picture_height - 1);
        column[k] = flipped ? picture_width - 1 - x : x;
        row_offset[k] = static_cast<size_t>(picture_height - 1 - y) * W;
    }
    uint8_t peak = 0;
    uint8_t low = 255;
    for (int32_t j = 0; j < FOCUS_CROP; ++j) {
        const uint8_t *row = samples + row_offset[j];
        for (int32_t i = 0; i < FOCUS_CROP; ++i) {
            const int32_t c = column[i];
            const uint8_t v =
                colour
                    ? static_cast<uint8_t>((row[c] + row[c + 1] + row[W + c] + row[W + c + 1]) / 4)
                    : row[c];
            out.grid[j * FOCUS_CROP + i] = v;
            peak = std::max(peak, v);
            low = std::min(low, v);
        }
    }
    out.peak = peak;
    out.low = low;
    return true;
}

void CopyCropPicture(const Bitmap24 &picture, PicturePoint centre, QImage &crop) {
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    if (width < 1 || height < 1) {
        return;
    }
    for (int32_t j = 0; j < FOCUS_CROP; ++j) {
        const int32_t y = std::clamp(centre.y - FOCUS_HALF + j, 0, height - 1);
        const uint8_t *source = picture.Row(height - 1 - y);  // the bitmap's rows run bottom-up
        auto *target = reinterpret_cast<uint32_t *>(crop.scanLine(j));
        for (int32_t i = 0; i < FOCUS_CROP; ++i) {
            const int32_t x = std::clamp(centre.x - FOCUS_HALF + i, 0, width - 1);
            const uint8_t *pixel = source + 3 * x;  // blue, green, red
            target[i] =
                0xFF000000u | (uint32_t(pixel[2]) << 16) | (uint32_t(pixel[1]) << 8) | pixel[0];
        }
    }
}

PlotScale PlotScaleFor(const FocusSamples &samples) {
    const int32_t range = samples.peak - samples.low;
    return PlotScale{range * 2 / 5, range + 10};
}
