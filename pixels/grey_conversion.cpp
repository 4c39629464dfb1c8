#include "pixels/grey_conversion.h"

#include <cstddef>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixels/grey_conversion.cpp"
#include <hwy/foreach_target.h>  // before highway.h
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace omtrix {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

HWY_INLINE void GreyPixels(const uint8_t *source, uint8_t *pixel, int32_t from, int32_t to) {
    for (int32_t x = from; x < to; ++x) {
        pixel[3 * x] = source[x];
        pixel[3 * x + 1] = source[x];
        pixel[3 * x + 2] = source[x];
    }
}

void GreyRows(const uint8_t *samples, int32_t width, int32_t height, uint8_t *bits, size_t stride) {
    const hn::ScalableTag<uint8_t> d;
    const int32_t n = static_cast<int32_t>(hn::Lanes(d));
    for (int32_t r = 0; r < height; ++r) {
        const uint8_t *source = samples + static_cast<size_t>(r) * width;
        uint8_t *pixel = bits + r * stride;
        if (HWY_TARGET == HWY_SCALAR || width < n) {
            GreyPixels(source, pixel, 0, width);
            continue;
        }
        // The last block ends at the row's end, overlapping the one before.
        for (int32_t x = 0;; x += n) {
            x = x < width - n ? x : width - n;
            const auto grey = hn::LoadU(d, source + x);
            hn::StoreInterleaved3(grey, grey, grey, d, pixel + 3 * x);
            if (x == width - n) {
                break;
            }
        }
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace omtrix
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace omtrix {
HWY_EXPORT(GreyRows);
}  // namespace omtrix

void GreyToBitmap(const uint8_t *samples, int32_t w, int32_t h, Bitmap24 &bitmap) {
    bitmap.SetSize(w, h);
    HWY_DYNAMIC_DISPATCH(omtrix::GreyRows)
    (samples, w, h, bitmap.Bits(), static_cast<size_t>(bitmap.Stride()));
}
#endif  // HWY_ONCE
