#include "preview/picture_conversion.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/hot_loop.h"

#if OMTRIX_HAVE_VBMI_PATH
#include <immintrin.h>
#endif

namespace {

void FlipPixels(uint8_t *row, int32_t first, int32_t last) {
    for (int32_t left = first, right = last; left < right; ++left, --right) {
        for (int c = 0; c < 3; ++c) {
            std::swap(row[3 * left + c], row[3 * right + c]);
        }
    }
}

OMTRIX_HOT_LOOP void StretchBytes(const uint8_t *__restrict table, uint8_t *bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = table[bytes[i]];
    }
}

OMTRIX_HOT_LOOP void BgrRowToRgb32(const uint8_t *__restrict source, uint32_t *__restrict target,
                                   int32_t w) {
    for (int32_t x = 0; x < w; ++x) {
        target[x] = 0xFF000000u | (uint32_t(source[3 * x + 2]) << 16) |
                    (uint32_t(source[3 * x + 1]) << 8) | source[3 * x];
    }
}

#if OMTRIX_HAVE_VBMI_PATH
// 256-entry table look-up, 64 bytes at a time: two 128-entry permutes, the
// top bit of each byte choosing between them.
OMTRIX_VBMI void StretchBytesVbmi(const uint8_t *table, uint8_t *bytes, size_t count) {
    const __m512i t0 = _mm512_loadu_si512(table);
    const __m512i t1 = _mm512_loadu_si512(table + 64);
    const __m512i t2 = _mm512_loadu_si512(table + 128);
    const __m512i t3 = _mm512_loadu_si512(table + 192);
    size_t i = 0;
    while (i < count) {
        // The last block may be short: it is loaded and stored under a mask.
        const __mmask64 lanes = count - i >= 64 ? ~0ULL : (~0ULL) >> (64 - (count - i));
        const __m512i v = _mm512_maskz_loadu_epi8(lanes, bytes + i);
        const __m512i low = _mm512_permutex2var_epi8(t0, v, t1);
        const __m512i high = _mm512_permutex2var_epi8(t2, v, t3);
        _mm512_mask_storeu_epi8(bytes + i, lanes,
                                _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), low, high));
        i += 64;
    }
}

// Reverses 64 pixels (192 bytes, three registers). Every output byte comes
// from the first two input registers or from the last two; a mask picks which.
struct MirrorOrder {
    alignas(64) uint8_t from_first_two[3][64];
    alignas(64) uint8_t from_last_two[3][64];
    uint64_t use_last_two[3] = {};
    MirrorOrder() {
        for (int j = 0; j < 192; ++j) {
            const int source = 3 * (63 - j / 3) + j % 3;  // the byte that lands at j
            from_first_two[j / 64][j % 64] = static_cast<uint8_t>(source < 128 ? source : 0);
            from_last_two[j / 64][j % 64] = static_cast<uint8_t>(source >= 64 ? source - 64 : 0);
            if (source >= 128) {
                use_last_two[j / 64] |= 1ULL << (j % 64);
            }
        }
    }
};

OMTRIX_VBMI void MirrorBlock(const uint8_t *from, uint8_t *to, const MirrorOrder &order) {
    const __m512i a = _mm512_loadu_si512(from);
    const __m512i b = _mm512_loadu_si512(from + 64);
    const __m512i c = _mm512_loadu_si512(from + 128);
    for (int r = 0; r < 3; ++r) {
        const __m512i first =
            _mm512_permutex2var_epi8(a, _mm512_load_si512(order.from_first_two[r]), b);
        const __m512i last =
            _mm512_permutex2var_epi8(b, _mm512_load_si512(order.from_last_two[r]), c);
        _mm512_storeu_si512(to + 64 * r,
                            _mm512_mask_blend_epi8(order.use_last_two[r], first, last));
    }
}

// Mirrors a row 64 pixels at a time from both ends inwards; the middle that
// is left, under 128 pixels, goes pixel by pixel.
OMTRIX_VBMI void FlipRowVbmi(uint8_t *row, int32_t w) {
    static const MirrorOrder order;
    alignas(64) uint8_t left_block[192];
    int32_t left = 0;
    int32_t right = w - 64;
    for (; left + 64 <= right; left += 64, right -= 64) {
        MirrorBlock(row + 3 * left, left_block, order);
        MirrorBlock(row + 3 * right, row + 3 * left, order);
        std::memcpy(row + 3 * right, left_block, sizeof(left_block));
    }
    FlipPixels(row, left, right + 63);
}
#endif

}  // namespace

void BitmapFlip(Bitmap24 &bitmap) {
    const int32_t w = bitmap.Width();
    for (int32_t r = 0; r < bitmap.Height(); ++r) {
#if OMTRIX_HAVE_VBMI_PATH
        if (CpuHasVbmi()) {
            FlipRowVbmi(bitmap.Row(r), w);
            continue;
        }
#endif
        FlipPixels(bitmap.Row(r), 0, w - 1);
    }
}

StretchTable BuildStretchTable(int32_t black_point, int32_t white_point) {
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

void ApplyStretch(const StretchTable &table, uint8_t *bytes, size_t count) {
#if OMTRIX_HAVE_VBMI_PATH
    if (CpuHasVbmi()) {
        StretchBytesVbmi(table.data(), bytes, count);
        return;
    }
#endif
    StretchBytes(table.data(), bytes, count);
}

void BitmapToImage(const Bitmap24 &bitmap, QImage &picture) {
    const int32_t w = bitmap.Width();
    const int32_t h = bitmap.Height();
    if (picture.width() != w || picture.height() != h || picture.format() != QImage::Format_RGB32) {
        picture = QImage(w, h, QImage::Format_RGB32);
    }
    for (int32_t y = 0; y < h; ++y) {
        BgrRowToRgb32(bitmap.Row(h - 1 - y), reinterpret_cast<uint32_t *>(picture.scanLine(y)), w);
    }
}
