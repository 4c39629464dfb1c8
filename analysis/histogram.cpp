#include "analysis/histogram.h"

#include <cmath>
#include <cstring>

namespace {

// Several tables, each sample of a group going to its own, so that runs of
// equal samples (a flat sky) do not wait on their own increments; summed at
// the end.
struct GreyCounts {
    uint32_t table[4][256];
};

void CountRun(const uint8_t *__restrict samples, size_t count, GreyCounts &__restrict partial) {
    size_t i = 0;
    // Eight samples per load.
    for (; i + 8 <= count; i += 8) {
        uint64_t v;
        std::memcpy(&v, samples + i, 8);
        ++partial.table[0][v & 0xFF];
        ++partial.table[1][(v >> 8) & 0xFF];
        ++partial.table[2][(v >> 16) & 0xFF];
        ++partial.table[3][(v >> 24) & 0xFF];
        ++partial.table[0][(v >> 32) & 0xFF];
        ++partial.table[1][(v >> 40) & 0xFF];
        ++partial.table[2][(v >> 48) & 0xFF];
        ++partial.table[3][v >> 56];
    }
    for (; i < count; ++i) {
        ++partial.table[0][samples[i]];
    }
}

using PairTables = uint32_t[2][256];

struct MosaicCounts {
    PairTables red, green, blue;
};

// Pairs `first` to `end` - 1 of a row: the pair's left sample counts into
// `left`, its right one into `right`, alternate pairs into alternate tables.
void CountPairs(const uint8_t *__restrict row, int32_t first, int32_t end,
                PairTables &__restrict left, PairTables &__restrict right) {
    int32_t p = first;
    for (; p + 2 <= end; p += 2) {
        ++left[0][row[2 * p]];
        ++right[0][row[2 * p + 1]];
        ++left[1][row[2 * p + 2]];
        ++right[1][row[2 * p + 3]];
    }
    if (p < end) {
        ++left[0][row[2 * p]];
        ++right[0][row[2 * p + 1]];
    }
}

void SumTables(const uint32_t (*tables)[256], int count, HistogramBins &bins) {
    for (int v = 0; v < 256; ++v) {
        uint32_t sum = 0;
        for (int t = 0; t < count; ++t) {
            sum += tables[t][v];
        }
        bins[v] = static_cast<int32_t>(sum);
    }
}

}  // namespace

void CountGrey(const uint8_t *samples, int32_t width, int32_t rows, HistogramBins &grey) {
    GreyCounts partial;
    std::memset(&partial, 0, sizeof partial);
    if (width > 0 && rows > 0) {
        CountRun(samples, static_cast<size_t>(width) * rows, partial);
    }
    SumTables(partial.table, 4, grey);
}

void CountBayer(const uint8_t *samples, int32_t width, int32_t rows, HistogramBins &red,
                HistogramBins &green, HistogramBins &blue) {
    MosaicCounts partial;
    std::memset(&partial, 0, sizeof partial);
    const int32_t pairs = width / 2;
    for (int32_t r = 1; r <= rows - 2; ++r) {
        const uint8_t *row = samples + static_cast<size_t>(r) * width;
        if (r % 2 == 0) {
            CountPairs(row, 0, pairs, partial.green, partial.red);
        } else if (width > 5) {
            CountPairs(row, 1, pairs - 1, partial.blue, partial.green);
        }
    }
    SumTables(partial.red, 2, red);
    SumTables(partial.green, 2, green);
    SumTables(partial.blue, 2, blue);
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

ClippedShares ClippedSharesOf(const HistogramBins &bins) {
    int64_t count = 0;
    for (int32_t bin : bins) {
        count += bin;
    }
    if (count == 0) {
        return {};
    }
    return {100.0 * bins[0] / count, 100.0 * bins[255] / count};
}
