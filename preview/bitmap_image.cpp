#include "preview/bitmap_image.h"

#include <QImage>

#include "pixels/picture_conversion.h"

void BitmapToImage(const Bitmap24 &bitmap, QImage &picture) {
    const int32_t w = bitmap.Width();
    const int32_t h = bitmap.Height();
    if (picture.width() != w || picture.height() != h || picture.format() != QImage::Format_RGB32) {
        picture = QImage(w, h, QImage::Format_RGB32);
    }
    if (w > 0 && h > 0) {
        BitmapToRgb32(bitmap, picture.bits(), static_cast<size_t>(picture.bytesPerLine()));
    }
}
