#include "driver/simulator/demosaic.h"

#include <cstddef>
#include <vector>

// The row loops are compiled once per instruction set where the compiler can
// dispatch at run time: the byte shuffles that interleave blue, green and red
// need more than the x86-64 baseline to be fast. Not under sanitizers, whose
// instrumented dispatcher would run before their run time is ready.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32) && \
    !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
#define VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define VECTOR_CLONES
#endif

namespace simcam {

namespace {

inline uint8_t Average(uint8_t a, uint8_t b) {
    return static_cast<uint8_t>((a + b + 1) >> 1);
}

// Colour planes of one interior row (columns 1 … width - 2). A mosaic row has
// two kinds of site, at even and at odd columns; `odd_site` is 0xFF at odd
// columns, so each plane takes either kind's value without a branch.
struct RowPlanes {
    uint8_t *blue, *green, *red;
    const uint8_t *odd_site;
};

// Picks per column: odd_value where the mask is 0xFF, even_value where it is 0.
inline uint8_t Select(uint8_t mask, uint8_t odd_value, uint8_t even_value) {
    return static_cast<uint8_t>((odd_value & mask) | (even_value & ~mask));
}

// Even rows have G at even and R at odd columns, odd rows B at even and G at odd.
template <bool ODD_ROW>
inline void FillPlanes(const uint8_t *__restrict below, const uint8_t *__restrict row,
                       const uint8_t *__restrict above, int32_t width, const RowPlanes &p) {
    uint8_t *__restrict blue = p.blue;
    uint8_t *__restrict green = p.green;
    uint8_t *__restrict red = p.red;
    const uint8_t *__restrict odd = p.odd_site;
    for (int32_t j = 1; j < width - 1; ++j) {
        const uint8_t across = Average(row[j - 1], row[j + 1]);
        const uint8_t along = Average(below[j], above[j]);
        const uint8_t cross = Average(across, along);
        const uint8_t diagonal =
            Average(Average(below[j - 1], below[j + 1]), Average(above[j - 1], above[j + 1]));
        if constexpr (ODD_ROW) {
            blue[j] = Select(odd[j], across, row[j]);
            green[j] = Select(odd[j], row[j], cross);
            red[j] = Select(odd[j], along, diagonal);
        } else {
            blue[j] = Select(odd[j], diagonal, along);
            green[j] = Select(odd[j], cross, row[j]);
            red[j] = Select(odd[j], row[j], across);
        }
    }
}

inline void Interleave(const RowPlanes &p, int32_t from, int32_t to, uint8_t *__restrict out) {
    const uint8_t *__restrict blue = p.blue;
    const uint8_t *__restrict green = p.green;
    const uint8_t *__restrict red = p.red;
    for (int32_t j = from; j < to; ++j) {
        out[3 * j] = blue[j];
        out[3 * j + 1] = green[j];
        out[3 * j + 2] = red[j];
    }
}

// Mirrored neighbour index: -1 becomes 1 and size becomes size - 2, which
// have the colour of the missing ones.
inline int32_t Mirror(int32_t index, int32_t size) {
    if (index < 0) {
        return size > 1 ? 1 : 0;
    }
    if (index >= size) {
        return size > 1 ? size - 2 : size - 1;
    }
    return index;
}

// One pixel at any column, the edges included.
void EdgePixel(const uint8_t *below, const uint8_t *row, const uint8_t *above, int32_t j,
               int32_t width, bool odd_row, uint8_t *out) {
    const int32_t left = Mirror(j - 1, width);
    const int32_t right = Mirror(j + 1, width);
    const uint8_t centre = row[j];
    const uint8_t across = Average(row[left], row[right]);
    const uint8_t along = Average(below[j], above[j]);
    const uint8_t cross = Average(across, along);
    const uint8_t diagonal =
        Average(Average(below[left], below[right]), Average(above[left], above[right]));
    const bool odd_column = (j & 1) != 0;
    if (!odd_row) {
        out[0] = odd_column ? diagonal : along;
        out[1] = odd_column ? cross : centre;
        out[2] = odd_column ? centre : across;
    } else {
        out[0] = odd_column ? across : centre;
        out[1] = odd_column ? centre : cross;
        out[2] = odd_column ? along : diagonal;
    }
}

VECTOR_CLONES
void DemosaicRows(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height,
                  const RowPlanes &planes) {
    const size_t stride = static_cast<size_t>(width);
    for (int32_t r = 0; r < height; ++r) {
        const uint8_t *row = mosaic + r * stride;
        const uint8_t *below = mosaic + Mirror(r - 1, height) * stride;
        const uint8_t *above = mosaic + Mirror(r + 1, height) * stride;
        uint8_t *out = bgr + r * stride * 3;
        const bool odd_row = (r & 1) != 0;
        if (odd_row) {
            FillPlanes<true>(below, row, above, width, planes);
        } else {
            FillPlanes<false>(below, row, above, width, planes);
        }
        Interleave(planes, 1, width - 1, out);
        EdgePixel(below, row, above, 0, width, odd_row, out);
        if (width > 1) {
            EdgePixel(below, row, above, width - 1, width, odd_row, out + 3 * (width - 1));
        }
    }
}

}  // namespace

void DemosaicBilinear(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height) {
    if (mosaic == nullptr || bgr == nullptr || width < 1 || height < 1) {
        return;
    }
    std::vector<uint8_t> scratch(4 * static_cast<size_t>(width));
    uint8_t *odd_site = scratch.data() + 3 * static_cast<size_t>(width);
    for (int32_t j = 0; j < width; ++j) {
        odd_site[j] = (j & 1) ? 0xFF : 0x00;
    }
    const RowPlanes planes = {scratch.data(), scratch.data() + width, scratch.data() + 2 * width,
                              odd_site};
    DemosaicRows(mosaic, bgr, width, height, planes);
}

}  // namespace simcam
