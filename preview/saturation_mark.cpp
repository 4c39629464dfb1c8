#include "preview/saturation_mark.h"

void MarkSaturated(Bitmap24 &bitmap) {
    const int32_t width = bitmap.Width();
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        uint8_t *pixel = bitmap.Row(y);  // blue, green, red
        for (int32_t x = 0; x < width; ++x, pixel += 3) {
            const bool clipped = (pixel[0] == 255) | (pixel[1] == 255) | (pixel[2] == 255);
            if (clipped) {
                pixel[0] = 0;
                pixel[1] = 0;
                pixel[2] = 255;
            }
        }
    }
}
