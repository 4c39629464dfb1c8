#include "pixels/demosaic.h"

#include <cstddef>

// Highway compiles the row loop once per instruction set and runs the best
// one the processor has.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixels/demosaic.cpp"
#include <hwy/foreach_target.h>  // before highway.h
#include <hwy/highway.h>

#ifndef SIMCAM_DEMOSAIC_SHARED
#define SIMCAM_DEMOSAIC_SHARED
namespace simcam {

inline uint8_t Average(uint8_t a, uint8_t b) {
    return static_cast<uint8_t>((a + b + 1) >> 1);
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

// One pixel at any column, the edges included. Even rows have G at even and
// R at odd columns, odd rows B at even and G at odd.
inline void DemosaicPixel(const uint8_t *below, const uint8_t *row, const uint8_t *above, int32_t j,
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

}  // namespace simcam
#endif  // SIMCAM_DEMOSAIC_SHARED

HWY_BEFORE_NAMESPACE();
namespace simcam {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D8 = hn::ScalableTag<uint8_t>;
using V8 = hn::Vec<D8>;

// The mean of two bytes, halves rounded up. Highway 1.0's AverageRound for
// SVE without SVE2 adds in 8 bits and overflows; (a | b) - ((a ^ b) >> 1)
// is the same mean without a wider sum.
HWY_INLINE V8 Mean(V8 a, V8 b) {
#if HWY_TARGET == HWY_SVE || HWY_TARGET == HWY_SVE_256
    return hn::Sub(hn::Or(a, b), hn::ShiftRight<1>(hn::Xor(a, b)));
#else
    return hn::AverageRound(a, b);
#endif
}

// Pixels j0 .. j0 + N - 1 of an interior stretch of the row, which has all
// neighbours in place; `odd_column` marks the lanes of odd columns.
template <bool ODD_ROW>
HWY_INLINE void DemosaicBlock(D8 d, const uint8_t *below, const uint8_t *row, const uint8_t *above,
                              int32_t j0, hn::Mask<D8> odd_column, uint8_t *out) {
    const V8 centre = hn::LoadU(d, row + j0);
    const V8 across = Mean(hn::LoadU(d, row + j0 - 1), hn::LoadU(d, row + j0 + 1));
    const V8 along = Mean(hn::LoadU(d, below + j0), hn::LoadU(d, above + j0));
    const V8 cross = Mean(across, along);
    const V8 diagonal = Mean(Mean(hn::LoadU(d, below + j0 - 1), hn::LoadU(d, below + j0 + 1)),
                             Mean(hn::LoadU(d, above + j0 - 1), hn::LoadU(d, above + j0 + 1)));
    V8 blue, green, red;
    if constexpr (ODD_ROW) {
        blue = hn::IfThenElse(odd_column, across, centre);
        green = hn::IfThenElse(odd_column, centre, cross);
        red = hn::IfThenElse(odd_column, along, diagonal);
    } else {
        blue = hn::IfThenElse(odd_column, diagonal, along);
        green = hn::IfThenElse(odd_column, cross, centre);
        red = hn::IfThenElse(odd_column, centre, across);
    }
    hn::StoreInterleaved3(blue, green, red, d, out + 3 * j0);
}

// Columns 1 .. width - 2, N at a time from column 1 (always odd); the last
// block ends at column width - 2, overlapping the one before.
template <bool ODD_ROW>
HWY_INLINE void InteriorRow(D8 d, const uint8_t *below, const uint8_t *row, const uint8_t *above,
                            int32_t width, uint8_t *out) {
    const int32_t n = static_cast<int32_t>(hn::Lanes(d));
    const hn::Mask<D8> odd_lane = hn::Eq(hn::And(hn::Iota(d, 0), hn::Set(d, 1)), hn::Set(d, 1));
    const int32_t last = width - 1 - n;
    int32_t j0 = 1;
    for (; j0 < last; j0 += n) {
        DemosaicBlock<ODD_ROW>(d, below, row, above, j0, hn::Not(odd_lane), out);
    }
    DemosaicBlock<ODD_ROW>(d, below, row, above, last, (last & 1) ? hn::Not(odd_lane) : odd_lane,
                           out);
}

void DemosaicRows(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height) {
    const D8 d;
    const int32_t n = static_cast<int32_t>(hn::Lanes(d));
    const bool vectors = HWY_TARGET != HWY_SCALAR && width - 2 >= n;
    const size_t stride = static_cast<size_t>(width);
    for (int32_t r = 0; r < height; ++r) {
        const uint8_t *row = mosaic + r * stride;
        const uint8_t *below = mosaic + Mirror(r - 1, height) * stride;
        const uint8_t *above = mosaic + Mirror(r + 1, height) * stride;
        uint8_t *out = bgr + r * stride * 3;
        const bool odd_row = (r & 1) != 0;
        int32_t j = 0;
        if (vectors) {
            if (odd_row) {
                InteriorRow<true>(d, below, row, above, width, out);
            } else {
                InteriorRow<false>(d, below, row, above, width, out);
            }
            j = width - 1;  // the interior is done; the right edge pixel is left
            DemosaicPixel(below, row, above, 0, width, odd_row, out);
        }
        for (; j < width; ++j) {
            DemosaicPixel(below, row, above, j, width, odd_row, out + 3 * j);
        }
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace simcam
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace simcam {

HWY_EXPORT(DemosaicRows);

void DemosaicBilinear(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height) {
    if (mosaic == nullptr || bgr == nullptr || width < 1 || height < 1) {
        return;
    }
    HWY_DYNAMIC_DISPATCH(DemosaicRows)(mosaic, bgr, width, height);
}

}  // namespace simcam
#endif  // HWY_ONCE
