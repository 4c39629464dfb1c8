#pragma once

#include <array>
#include <cstdint>

// Counts per brightness value 0..255 of one channel.
using HistogramBins = std::array<int32_t, 256>;

// Counts every one of the width x rows samples (row-major, contiguous).
void CountGrey(const uint8_t *samples, int32_t width, int32_t rows, HistogramBins &grey);

// Counts a colour mosaic whose even rows run green, red, green, red ... and
// whose odd rows run blue, green, blue, green ... Rows 1 to rows - 2 are
// walked, and of every odd row the first and the last pair are skipped (the
// demosaic's edge cells). Frames too small for a cell leave channels empty.
void CountBayer(const uint8_t *samples, int32_t width, int32_t rows, HistogramBins &red,
                HistogramBins &green, HistogramBins &blue);

// "Object only": clears every bin below mean + standard deviation, so the
// sky background drops out and the bright object remains. An empty channel
// is left as it is.
void RemoveBackground(HistogramBins &bins);

// What the chart of one channel needs besides the bins.
struct ChannelScale {
    int32_t mean = 0;   // sum of i * h[i] over (count + 1), rounded
    int32_t y_top = 0;  // top of the count axis
};

// The label's mean and the count axis: up to twice the second-highest
// record count when a lone spike (a black or saturated background) towers
// ten times over it, so the rest stays readable; otherwise just above the peak.
ChannelScale ScaleChannel(const HistogramBins &bins);

// The share of a channel's samples at 0 and at 255, in percent; 0 for an
// empty channel.
struct ClippedShares {
    double at_zero = 0;
    double at_full = 0;
};
ClippedShares ClippedSharesOf(const HistogramBins &bins);
