#include "camera/frame_conversion.h"

#include <cstring>

#include "pixels/deep_conversion.h"

namespace {

size_t SampleCount(const ImageLst &frame) {
    return static_cast<size_t>(frame.w > 0 ? frame.w : 0) * (frame.h > 0 ? frame.h : 0);
}

const uint16_t *DeepSamples(const ImageLst &frame) {
    return reinterpret_cast<const uint16_t *>(frame.Data);
}

}  // namespace

void SamplesToBitmap(const CameraDriver &driver, const uint8_t *samples, int32_t w, int32_t h,
                     bool colour, Bitmap24 &bitmap) {
    if (!colour) {
        GreyToBitmap(samples, w, h, bitmap);
        return;
    }
    const int32_t height = h > 0 ? h - 1 : 0;
    bitmap.SetSize(w, height);
    const size_t row_bytes = static_cast<size_t>(w) * 3;
    if (static_cast<size_t>(bitmap.Stride()) == row_bytes) {
        // The usual case (widths are multiples of 4): the driver writes the
        // bitmap's memory directly.
        driver.debayerImage(samples, bitmap.Bits(), w, height);
        return;
    }
    // The driver writes rows back to back: it fills the start of the
    // bitmap's memory, and the rows then move up to their padded places,
    // last row first, so that none is overwritten before it has moved.
    driver.debayerImage(samples, bitmap.Bits(), w, height);
    for (int32_t r = height - 1; r > 0; --r) {
        std::memmove(bitmap.Row(r), bitmap.Bits() + row_bytes * r, row_bytes);
    }
}

const uint8_t *EightBitSamples(const ImageLst &frame, std::vector<uint8_t> &buffer) {
    if (frame.bit_depth <= 8) {
        return frame.Data;
    }
    buffer.resize(SampleCount(frame));
    NarrowSamples(DeepSamples(frame), buffer.data(), buffer.size(), frame.bit_depth);
    return buffer.data();
}

void FrameToBitmap(const CameraDriver &driver, const ImageLst &frame, bool colour,
                   Bitmap24 &bitmap) {
    thread_local std::vector<uint8_t> narrowed;
    SamplesToBitmap(driver, EightBitSamples(frame, narrowed), frame.w, frame.h, colour, bitmap);
}

const uint8_t *FrameView(const ImageLst &frame, std::vector<uint8_t> &view, int32_t black_point,
                         int32_t white_point) {
    if (frame.bit_depth <= 8) {
        return frame.Data;
    }
    view.resize(SampleCount(frame));
    DeepView(DeepSamples(frame), view.data(), view.size(), frame.bit_depth, black_point,
             white_point);
    return view.data();
}

void FramePicture(const CameraDriver &driver, const ImageLst &frame, bool colour,
                  int32_t black_point, int32_t white_point, std::vector<uint8_t> &view,
                  Bitmap24 &bitmap, uint8_t *view_copy) {
    if (frame.bit_depth > 8 && !colour) {
        DeepViewToBitmap(DeepSamples(frame), frame.w, frame.h, frame.bit_depth, black_point,
                         white_point, bitmap, view_copy);
        return;
    }
    const uint8_t *samples = FrameView(frame, view, black_point, white_point);
    if (view_copy) {
        std::memcpy(view_copy, samples, SampleCount(frame));
    }
    SamplesToBitmap(driver, samples, frame.w, frame.h, colour, bitmap);
}
