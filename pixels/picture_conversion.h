#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/bitmap24.h"

// The renderer's per-pixel passes over the working bitmap. Plain C++ on
// Highway, free of Qt: each is compiled for every instruction set and runs on
// the best one the processor has.

using StretchTable = std::array<uint8_t, 256>;

// Mirrors every row left to right in place; the middle pixel of an odd-width
// row stays where it is.
void BitmapFlip(Bitmap24 &bitmap);

// The display stretch for black point b and white point w, as a table: 0..b
// map to 0, w..255 to 255, and the values between spread evenly over 0..255,
// 255 / (w - b) x (v - b) rounded to the nearest integer, halves to even.
StretchTable BuildStretchTable(int32_t black_point, int32_t white_point);
// Replaces every byte v of `bytes` by entry v of that table, computed rather
// than looked up.
void ApplyStretch(int32_t black_point, int32_t white_point, uint8_t *bytes, size_t count);

// Writes the bottom-up bitmap top-down as 32-bit pixels 0xFFRRGGBB (the form
// the window system draws fastest), `stride` bytes apart from row to row.
void BitmapToRgb32(const Bitmap24 &bitmap, uint8_t *pixels, size_t stride);
