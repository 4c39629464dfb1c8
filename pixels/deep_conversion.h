#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/bitmap24.h"

// Passes from deep samples (9 ... 16 significant bits in 16-bit words) to
// bytes. Plain C++ on Highway, run on the best instruction set the processor
// has.

// The top 8 of the `bit_depth` bits, so a 12-bit 4095 becomes 255 and 16
// becomes 1: what an 8-bit file of a deep camera holds. A sample above the
// depth's maximum becomes 255. `count` samples.
void NarrowSamples(const uint16_t *samples, uint8_t *out, size_t count, int32_t bit_depth);

// The black and white points (0 ... 255, as for 8-bit frames) over a depth
// of d bits, on a square scale: point p stands for the deep sample
// p^2 x 2^(d - 8) / 255, so 255 is 255 x 2^(d - 8) as the narrowed sample's
// top, while the faint end, where a deep camera's faint picture lies, is
// fine: a white point of 3 is 9 of 65535 (16 bits), 16 is 16 of 4095 (12
// bits). Both land on a grid of 2^step_shift, the finest on which the white
// point is at most 255 steps, which the view's arithmetic needs. Equal points
// are moved apart as for 8-bit frames, and a white point below the black
// point wins (everything from it up is white).
struct DeepPoints {
    int32_t black = 0;       // deep samples up to here become 0
    int32_t white = 1;       // from here up 255; always above `black`
    int32_t step_shift = 0;  // black and white are multiples of 2^step_shift
};
DeepPoints ScaleViewPoints(int32_t black_point, int32_t white_point, int32_t bit_depth);

// The 8-bit view of deep samples, the points applied in the same pass:
// floor(255 (v - black) / (white - black)) with v held to black ... white,
// at most 254; 255 only for a sample at the depth's maximum (or above it), so
// that 255 in the view means saturated, as in an 8-bit frame, wherever the
// white point is. With the points at 0 and 255 this is NarrowSamples but for
// the samples just below the maximum, which become 254.
void DeepView(const uint16_t *samples, uint8_t *view, size_t count, int32_t bit_depth,
              int32_t black_point, int32_t white_point);

// A deep mono frame's way to the picture in one pass: `bitmap` (resized to
// w x h) becomes what GreyToBitmap makes of DeepView's view, and `view`,
// where it is not null, that view (w x h bytes).
void DeepViewToBitmap(const uint16_t *samples, int32_t w, int32_t h, int32_t bit_depth,
                      int32_t black_point, int32_t white_point, Bitmap24 &bitmap, uint8_t *view);
