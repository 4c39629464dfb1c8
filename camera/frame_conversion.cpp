#include "camera/frame_conversion.h"

#include <cstring>

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
    // The driver writes rows back to back: it fills the start of the
    // bitmap's memory, and the rows then move up to their padded places,
    // last row first, so that none is overwritten before it has moved.
    driver.debayerImage(frame.Data, bitmap.Bits(), frame.w, height);
    for (int32_t r = height - 1; r > 0; --r) {
        std::memmove(bitmap.Row(r), bitmap.Bits() + row_bytes * r, row_bytes);
    }
}
