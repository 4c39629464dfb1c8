#include "platform/bitmap24.h"

void Bitmap24::SetSize(int32_t width, int32_t height) {
    const size_t needed = static_cast<size_t>(StrideFor(width)) * height;
    if (needed > capacity_) {
        pixels_.reset(new uint8_t[needed]());  // zeroed: row padding stays 0 in files
        capacity_ = needed;
    }
    width_ = width;
    height_ = height;
}
