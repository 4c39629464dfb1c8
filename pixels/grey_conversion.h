#pragma once

#include <cstdint>

#include "platform/bitmap24.h"

// Fills `bitmap` (resized to w x h) from 8-bit grey samples: frame row r
// becomes bitmap row r counted from the bottom, each pixel (s, s, s). Plain
// C++ on Highway, run on the best instruction set the processor has.
void GreyToBitmap(const uint8_t *samples, int32_t w, int32_t h, Bitmap24 &bitmap);
