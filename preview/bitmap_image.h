#pragma once

#include "platform/bitmap24.h"

class QImage;

// Copies the bottom-up bitmap into a top-down 32-bit image of the same size
// (the form the window system draws fastest); `picture` is resized as needed.
void BitmapToImage(const Bitmap24 &bitmap, QImage &picture);
