#pragma once

#include "platform/bitmap24.h"

// Paints every pixel with a channel at 255 pure red, so that a saturated
// planet shows where it clips. Display only: the working bitmap, never a
// recorded frame.
void MarkSaturated(Bitmap24 &bitmap);
