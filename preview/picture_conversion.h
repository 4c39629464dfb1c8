#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/bitmap24.h"

class QImage;

using StretchTable = std::array<uint8_t, 256>;

// Mirrors every row left to right in place; the middle pixel of an odd-width
// row stays where it is.
void BitmapFlip(Bitmap24 &bitmap);

// The display stretch for black point b and white point w: 0..b map to 0,
// w..255 to 255, and the values between spread evenly over 0..255.
StretchTable BuildStretchTable(int32_t black_point, int32_t white_point);
// Replaces every byte of `bytes` by its table entry.
void ApplyStretch(const StretchTable &table, uint8_t *bytes, size_t count);

// Copies the bottom-up bitmap into a top-down 32-bit image of the same size
// (the form the window system draws fastest); `picture` is resized as needed.
void BitmapToImage(const Bitmap24 &bitmap, QImage &picture);
