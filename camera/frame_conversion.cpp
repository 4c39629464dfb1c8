#include "camera/frame_conversion.h"

#include <cstring>
#include <vector>

#include "platform/hot_loop.h"

namespace {

OMTRIX_HOT_LOOP void GreyRow(const uint8_t *__restrict source, uint8_t *__restrict pixel,
                             int32_t w) {
    for (int32_t x = 0; x < w; ++x) {
        const uint8_t s = source[x];
        pixel[3 * x] = s;
        pixel[3 * x + 1] = s;
        pixel[3 * x + 2] = s;
    }
}

}  // namespace

void GreyToBitmap(const uint8_t *samples, int32_t w, int32_t h, Bitmap24 &bitmap) {
    bitmap.SetSize(w, h);
    for (int32_t r = 0; r < h; ++r) {
        GreyRow(samples + static_cast<size_t>(r) * w, bitmap.Row(r), w);
    }
}

void FrameToBitmap(const CameraDriver &driver, const ImageLst &frame, bool colour,
                   Bitmap24 &bitmap) {
    if (!colour) {
        GreyToBitmap(frame.Data, frame.w, frame.h, bitmap);
        return;
    }
    const int32_t height = frame.h > 0 ? frame.h - 1 : 0;
    bitmap.SetSize(frame.w, height);
    const size_t row_bytes = static_cast<size_t>(frame.w) * 3;
    if (static_cast<size_t>(bitmap.Stride()) == row_bytes) {
        // The usual case (widths are multiples of 4): the driver writes the
        // bitmap's memory directly.
        driver.debayerImage(frame.Data, bitmap.Bits(), frame.w, height);
        return;
    }
    // The driver writes rows back to back; padded rows need a detour.
    std::vector<uint8_t> packed(row_bytes * height);
    driver.debayerImage(frame.Data, packed.data(), frame.w, height);
    for (int32_t r = 0; r < height; ++r) {
        std::memcpy(bitmap.Row(r), packed.data() + row_bytes * r, row_bytes);
    }
}
