#include "preview/histogram.h"

#include <cmath>
#include <cstring>

#include "platform/hot_loop.h"

namespace {

// Four tables, one per sample of a group of four, so that runs of equal
// samples (a flat sky) do not wait on their own increments.
struct PartialCounts {
    uint32_t table[4][256];
};

OMTRIX_HOT_LOOP void CountRun(const uint8_t *__restrict samples, size_t count,
                              PartialCounts &__restrict partial) {
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        ++partial.table[0][samples[i]];
        ++partial.table[1][samples[i + 1]];
        ++partial.table[2][samples[i + 2]];
        ++partial.table[3][samples[i + 3]];
    }
    for (; i < count; ++i) {
        ++partial.table[0][samples[i]];
    }
}

// Counts every second sample starting at `first`, `pairs` of them.
void CountEverySecond(const uint8_t *__restrict row, int32_t first, int32_t pairs,
                      HistogramBins &__restrict bins) {
    for (int32_t p = 0; p < pairs; ++p) {
        ++bins[row[first + 2 * p]];
    }
}

}  // namespace

void CountGrey(const uint8_t *samples, int32_t width, int32_t rows, HistogramBins &grey) {
    grey.fill(0);
    if (width <= 0 || rows <= 0) {
        return;
    }
    PartialCounts partial;
    std::memset(&partial, 0, sizeof partial);
    CountRun(samples, static_cast<size_t>(width) * rows, partial);
    for (int v = 0; v < 256; ++v) {
        grey[v] = static_cast<int32_t>(partial.table[0][v] + partial.table[1][v] +
                                       partial.table[2][v] + partial.table[3][v]);
    }
}

void CountBayer(const uint8_t *samples, int32_t width, int32_t rows, HistogramBins &red,
                HistogramBins &green, HistogramBins &blue) {
    red.fill(0);
    green.fill(0);
    blue.fill(0);
    const int32_t pairs = width / 2;
    for (int32_t r = 1; r <= rows - 2; ++r) {
        const uint8_t *row = samples + static_cast<size_t>(r) * width;
        if (r % 2 == 0) {
            CountEverySecond(row, 0, pairs, green);
            CountEverySecond(row, 1, pairs, red);
        } else if (width > 5) {
            CountEverySecond(row, 2, pairs - 2, blue);
            CountEverySecond(row, 3, pairs - 2, green);
        }
    }
}

void RemoveBackground(HistogramBins &bins) {
    long double total = 0;
    long double weighted = 0;
    for (int i = 0; i < 256; ++i) {
        total += bins[i];
        weighted += static_cast<long double>(i) * bins[i];
    }
    if (total == 0) {
        return;  // nothing to remove, and no mean to remove it by
    }
    const long double mean = weighted / total;
    long double spread = 0;
    for (int i = 0; i < 256; ++i) {
        spread += (mean - i) * (mean - i) * bins[i];
    }
    const long double threshold = std::nearbyint(mean + std::sqrt(spread / total));
    const int32_t t = threshold > 255 ? 255 : static_cast<int32_t>(threshold);
    for (int32_t i = 0; i < t; ++i) {
        bins[i] = 0;
    }
}

ChannelScale ScaleChannel(const HistogramBins &bins) {
    int64_t peak = 0;
    int64_t previous = 0;
    int64_t count = 0;
    int64_t weighted = 0;
    for (int i = 0; i < 256; ++i) {
        if (bins[i] > peak) {
            previous = peak;
            peak = bins[i];
        }
        count += bins[i];
        weighted += static_cast<int64_t>(i) * bins[i];
    }
    ChannelScale scale;
    scale.mean = static_cast<int32_t>(std::nearbyint(double(weighted) / double(count + 1)));
    const bool lone_spike = previous > 0 && 10 * previous < peak;
    scale.y_top = static_cast<int32_t>(lone_spike ? 2 * previous : peak + 5);
    return scale;
}
