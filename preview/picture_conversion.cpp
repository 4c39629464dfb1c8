#include "preview/picture_conversion.h"

#include <QImage>
#include <algorithm>
#include <cmath>

void GreyToBitmap(const uint8_t *samples, int32_t w, int32_t h, Bitmap24 &bitmap)
{
    bitmap.SetSize(w, h);
    for (int32_t r = 0; r < h; ++r) {
        const uint8_t *__restrict source = samples + static_cast<size_t>(r) * w;
        uint8_t *__restrict pixel = bitmap.Row(r);
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t s = source[x];
            pixel[3 * x] = s;
            pixel[3 * x + 1] = s;
            pixel[3 * x + 2] = s;
        }
    }
}

void BitmapFlip(Bitmap24 &bitmap)
{
    const int32_t w = bitmap.Width();
    for (int32_t r = 0; r < bitmap.Height(); ++r) {
        uint8_t *row = bitmap.Row(r);
        for (int32_t left = 0, right = w - 1; left < right; ++left, --right) {
            for (int c = 0; c < 3; ++c) {
                std::swap(row[3 * left + c], row[3 * right + c]);
            }
        }
    }
}

StretchTable BuildStretchTable(int32_t black_point, int32_t white_point)
{
    int32_t b = black_point;
    int32_t w = white_point;
    if (b == w) {
        if (b == 0) {
            w = 1;
        } else {
            b = b - 1;
        }
    }
    StretchTable table{};
    for (int32_t j = 0; j < 256; ++j) {
        // White wins where the two ranges overlap (a white point below the
        // black point): everything from w up is white.
        if (j >= w) {
            table[j] = 255;
        } else if (j <= b) {
            table[j] = 0;
        } else {
            // Extended precision and rounding straight from it, halves to even.
            const long double step = 255.0L / (w - b);
            table[j] = static_cast<uint8_t>(std::nearbyintl(step * (j - b)));
        }
    }
    return table;
}

void ApplyStretch(const StretchTable &table, uint8_t *bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = table[bytes[i]];
    }
}

void BitmapToImage(const Bitmap24 &bitmap, QImage &picture)
{
    const int32_t w = bitmap.Width();
    const int32_t h = bitmap.Height();
    if (picture.width() != w || picture.height() != h || picture.format() != QImage::Format_RGB32) {
        picture = QImage(w, h, QImage::Format_RGB32);
    }
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t *__restrict source = bitmap.Row(h - 1 - y);
        auto *__restrict target = reinterpret_cast<uint32_t *>(picture.scanLine(y));
        for (int32_t x = 0; x < w; ++x) {
            target[x] = 0xFF000000u | (uint32_t(source[3 * x + 2]) << 16) |
                        (uint32_t(source[3 * x + 1]) << 8) | source[3 * x];
        }
    }
}
