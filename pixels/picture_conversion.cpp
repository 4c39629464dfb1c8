#include "pixels/picture_conversion.h"

#include <algorithm>
#include <iterator>

// Highway compiles this file once per instruction set (foreach_target
// includes it again for each); only the HWY_ONCE part is compiled once.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixels/picture_conversion.cpp"
#include <hwy/foreach_target.h>  // before highway.h
#include <hwy/highway.h>

#ifndef OMTRIX_PICTURE_CONVERSION_SHARED
#define OMTRIX_PICTURE_CONVERSION_SHARED
namespace omtrix {

// The stretch of byte v as integer arithmetic, exact for every v. With
// x = v - black clamped to 0..span, the value is 255 x / span rounded, which
// is floor(n / span) with n = 255 x + span / 2, except that a half (n a
// multiple of an even span) goes to the even neighbour. Split x = 16 a + l:
// n = 4080 a + (255 l + span / 2), so floor(n / span) is the sum of the two
// parts' quotients plus a carry when their remainders reach the span. Each
// part is a 16-entry table over one nibble, which fits a vector register.
// Equal black and white points are moved apart first: a white point of 0
// moves up, any other black point down.
inline void SeparateEqualPoints(int32_t &b, int32_t &w) {
    if (b == w) {
        if (b == 0) {
            w = 1;
        } else {
            b = b - 1;
        }
    }
}

struct StretchMap {
    uint8_t black = 0;
    uint8_t span = 1;     // white point minus black point, 1..255
    bool halves = false;  // an even span: some values fall on a half
    // With s = high_quotient[a] + low_quotient[l] (modulo 256), the value is
    // s + 1 when low_remainder[l] (+ 1 if s is odd and there are halves)
    // is more than no_carry[a], else s. no_carry[a] is what the high part's
    // remainder lacks to reach the span; when it has no remainder, its
    // quotient is one less, to make up for the carry that then always comes.
    // The remainders meet at exactly a multiple of the span (a half, with an
    // even span) when low_remainder[l] == no_carry[a], and the half then
    // goes to the even one of s and s + 1. Without halves low_remainder holds
    // the remainder plus one.
    alignas(16) uint8_t high_quotient[16];
    alignas(16) uint8_t no_carry[16];
    alignas(16) uint8_t low_quotient[16];
    alignas(16) uint8_t low_remainder[16];
};

inline StretchMap MakeStretchMap(int32_t black_point, int32_t white_point) {
    int32_t b = black_point;
    int32_t w = white_point;
    SeparateEqualPoints(b, w);
    StretchMap map;
    if (w < b) {
        // White wins from w up, everything below is black.
        b = w - 1;
    }
    const bool all_white = b < 0;  // a white point of 0
    map.black = static_cast<uint8_t>(all_white ? 0 : b);
    map.span = static_cast<uint8_t>(all_white ? 1 : w - b);
    const uint32_t span = map.span;
    map.halves = span % 2 == 0;
    for (uint32_t nibble = 0; nibble < 16; ++nibble) {
        const uint32_t high = 4080 * nibble;
        const uint32_t high_remainder = high % span;
        map.high_quotient[nibble] =
            static_cast<uint8_t>(all_white ? 0 : high / span - (high_remainder == 0 ? 1 : 0));
        map.no_carry[nibble] =
            static_cast<uint8_t>(all_white ? 254 : (span - high_remainder) % span);
        const uint32_t low = 255 * nibble + span / 2;
        map.low_quotient[nibble] = static_cast<uint8_t>(all_white ? 255 : low / span);
        map.low_remainder[nibble] =
            static_cast<uint8_t>(all_white ? 0 : low % span + (map.halves ? 0 : 1));
    }
    return map;
}

inline uint8_t StretchValue(const StretchMap &map, uint8_t v) {
    const uint8_t above = v > map.black ? static_cast<uint8_t>(v - map.black) : 0;
    const uint8_t x = above < map.span ? above : map.span;
    const auto sum = static_cast<uint8_t>(map.high_quotient[x >> 4] + map.low_quotient[x & 15]);
    const uint32_t reach = map.low_remainder[x & 15] + (map.halves ? sum & 1 : 0);
    return static_cast<uint8_t>(sum + (reach > map.no_carry[x >> 4] ? 1 : 0));
}

inline void FlipPixels(uint8_t *row, int32_t first, int32_t last) {
    for (int32_t left = first, right = last; left < right; ++left, --right) {
        for (int c = 0; c < 3; ++c) {
            const uint8_t keep = row[3 * left + c];
            row[3 * left + c] = row[3 * right + c];
            row[3 * right + c] = keep;
        }
    }
}

inline void BgrToRgb32(const uint8_t *source, uint8_t *target, int32_t from, int32_t to) {
    for (int32_t x = from; x < to; ++x) {
        target[4 * x] = source[3 * x];
        target[4 * x + 1] = source[3 * x + 1];
        target[4 * x + 2] = source[3 * x + 2];
        target[4 * x + 3] = 0xFF;
    }
}

}  // namespace omtrix
#endif  // OMTRIX_PICTURE_CONVERSION_SHARED

HWY_BEFORE_NAMESPACE();
namespace omtrix {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
// One lane per vector gains nothing over plain loops.

void FlipRows(uint8_t *bits, size_t stride, int32_t width, int32_t height) {
    for (int32_t r = 0; r < height; ++r) {
        FlipPixels(bits + r * stride, 0, width - 1);
    }
}

void StretchBytes(int32_t black_point, int32_t white_point, uint8_t *bytes, size_t count) {
    const StretchTable table = BuildStretchTable(black_point, white_point);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = table[bytes[i]];
    }
}

void Rgb32Rows(const uint8_t *bits, size_t bits_stride, int32_t width, int32_t height,
               uint8_t *pixels, size_t stride) {
    for (int32_t y = 0; y < height; ++y) {
        BgrToRgb32(bits + (height - 1 - y) * bits_stride, pixels + y * stride, 0, width);
    }
}

#else

using D8 = hn::ScalableTag<uint8_t>;
using V8 = hn::Vec<D8>;
// Pixel rows are rearranged 16 bytes at a time: byte shuffles reach only
// within 128-bit blocks on most instruction sets, and 16 pixels are exactly
// three blocks.
using D16 = hn::FixedTag<uint8_t, 16>;
using V16 = hn::Vec<D16>;

// Where each byte of a mirrored run of 16 pixels comes from: out byte j is
// in byte 3 (15 - j / 3) + j % 3. Out block 0 draws on in blocks 1 and 2,
// block 1 on all three, block 2 on blocks 0 and 1; from[o][i] picks in block
// i's share of out block o, 0x80 marking the bytes another block gives. (Kept
// as bytes: some instruction sets cannot hold vectors in a struct.)
struct MirrorIndices {
    alignas(16) uint8_t from[3][3][16];

    MirrorIndices() {
        for (int j = 0; j < 48; ++j) {
            const int source = 3 * (15 - j / 3) + j % 3;
            for (int block = 0; block < 3; ++block) {
                from[j / 16][block][j % 16] =
                    source / 16 == block ? static_cast<uint8_t>(source % 16) : 0x80;
            }
        }
    }
};

// Out block o of 16 mirrored pixels, from the in blocks that have a share.
HWY_INLINE V16 MirroredBlock(D16 d, V16 in0, V16 in1, V16 in2, const MirrorIndices &m, int o) {
    const V16 from1 = hn::TableLookupBytesOr0(in1, hn::Load(d, m.from[o][1]));
    if (o == 0) {
        return hn::Or(from1, hn::TableLookupBytesOr0(in2, hn::Load(d, m.from[0][2])));
    }
    const V16 from0 = hn::TableLookupBytesOr0(in0, hn::Load(d, m.from[o][0]));
    if (o == 2) {
        return hn::Or(from0, from1);
    }
    return hn::Or(hn::Or(from0, from1), hn::TableLookupBytesOr0(in2, hn::Load(d, m.from[1][2])));
}

HWY_INLINE void StoreMirrored(D16 d, V16 in0, V16 in1, V16 in2, const MirrorIndices &m,
                              uint8_t *out) {
    hn::StoreU(MirroredBlock(d, in0, in1, in2, m, 0), d, out);
    hn::StoreU(MirroredBlock(d, in0, in1, in2, m, 1), d, out + 16);
    hn::StoreU(MirroredBlock(d, in0, in1, in2, m, 2), d, out + 32);
}

// Mirrors pixel runs [left, left + 16) and [right - 16, right) into each
// other's place; both are read before either is written, so they may overlap.
HWY_INLINE void MirrorRuns(D16 d, uint8_t *row, int32_t left, int32_t right,
                           const MirrorIndices &m) {
    uint8_t *a = row + 3 * left;
    uint8_t *b = row + 3 * (right - 16);
    const V16 a0 = hn::LoadU(d, a), a1 = hn::LoadU(d, a + 16), a2 = hn::LoadU(d, a + 32);
    const V16 b0 = hn::LoadU(d, b), b1 = hn::LoadU(d, b + 16), b2 = hn::LoadU(d, b + 32);
    StoreMirrored(d, b0, b1, b2, m, a);
    StoreMirrored(d, a0, a1, a2, m, b);
}

void FlipRows(uint8_t *bits, size_t stride, int32_t width, int32_t height) {
    const D16 d;
    const MirrorIndices indices;
    for (int32_t r = 0; r < height; ++r) {
        uint8_t *row = bits + r * stride;
        // Pixels [left, right) are still to be mirrored: from both ends
        // inwards, the last two runs overlapping in the middle.
        int32_t left = 0;
        int32_t right = width;
        for (; right - left >= 16; left += 16, right -= 16) {
            MirrorRuns(d, row, left, right, indices);
        }
        FlipPixels(row, left, right - 1);
    }
}

// Loads a table of unsigned bytes moved down by 128, so that a signed
// comparison orders them as unsigned: one instruction where an unsigned
// comparison takes two on most instruction sets.
HWY_INLINE auto LoadSigned(D8 d, const uint8_t *table) {
    const hn::Repartition<int8_t, D8> di;
    return hn::Xor(hn::BitCast(di, hn::LoadDup128(d, table)), hn::Set(di, int8_t(-128)));
}

template <bool HALVES>
void StretchVectors(const StretchMap &map, uint8_t *bytes, size_t count) {
    const D8 d;
    const hn::Repartition<int8_t, D8> di;
    const size_t n = hn::Lanes(d);
    const V8 black = hn::Set(d, map.black);
    const V8 span = hn::Set(d, map.span);
    const V8 low_nibble = hn::Set(d, 15);
    const V8 one = hn::Set(d, 1);
    const V8 high_quotient = hn::LoadDup128(d, map.high_quotient);
    const auto high_no_carry = LoadSigned(d, map.no_carry);
    const V8 low_quotient = hn::LoadDup128(d, map.low_quotient);
    const auto low_remainder = LoadSigned(d, map.low_remainder);
    size_t i = 0;
    for (; i + n <= count; i += n) {
        const V8 x = hn::Min(hn::SaturatedSub(hn::LoadU(d, bytes + i), black), span);
        const V8 high = hn::ShiftRight<4>(x);
        const V8 low = hn::And(x, low_nibble);
        const auto no_carry_here = hn::TableLookupBytes(high_no_carry, hn::BitCast(di, high));
        auto reach = hn::TableLookupBytes(low_remainder, hn::BitCast(di, low));
        const V8 sum = hn::Add(hn::TableLookupBytes(high_quotient, high),
                               hn::TableLookupBytes(low_quotient, low));
        if constexpr (HALVES) {
            reach = hn::Add(reach, hn::BitCast(di, hn::And(sum, one)));
        }
        // The mask's lanes are all ones: subtracting it adds the carry.
        const auto carry = hn::VecFromMask(di, hn::Gt(reach, no_carry_here));
        const V8 q = hn::Sub(sum, hn::BitCast(d, carry));
        hn::StoreU(q, d, bytes + i);
    }
    for (; i < count; ++i) {
        bytes[i] = StretchValue(map, bytes[i]);
    }
}

void StretchBytes(int32_t black_point, int32_t white_point, uint8_t *bytes, size_t count) {
    const StretchMap map = MakeStretchMap(black_point, white_point);
    if (map.halves) {
        StretchVectors<true>(map, bytes, count);
    } else {
        StretchVectors<false>(map, bytes, count);
    }
}

// Four pixels at a time: 12 bytes of blue, green, red spread over 16 with an
// opaque fourth byte. Loads take 16 bytes, so the row's last four pixels are
// loaded from 4 bytes earlier, with the indices moved along to match.
void Rgb32Rows(const uint8_t *bits, size_t bits_stride, int32_t width, int32_t height,
               uint8_t *pixels, size_t stride) {
    const D16 d;
    alignas(16) uint8_t spread[16], spread_late[16], alpha[16];
    for (int j = 0; j < 16; ++j) {
        const bool colour = j % 4 != 3;
        spread[j] = colour ? static_cast<uint8_t>(3 * (j / 4) + j % 4) : 0x80;
        spread_late[j] = colour ? static_cast<uint8_t>(spread[j] + 4) : 0x80;
        alpha[j] = colour ? 0 : 0xFF;
    }
    const V16 indices = hn::Load(d, spread);
    const V16 indices_late = hn::Load(d, spread_late);
    const V16 opaque = hn::Load(d, alpha);
    // Both walk their memory upwards from the picture's bottom row.
    for (int32_t r = 0; r < height; ++r) {
        const uint8_t *source = bits + r * bits_stride;
        uint8_t *target = pixels + (height - 1 - r) * stride;
        if (width < 6) {
            BgrToRgb32(source, target, 0, width);
            continue;
        }
        int32_t x = 0;
        for (; 3 * x + 16 <= 3 * width; x += 4) {
            const V16 bgr = hn::LoadU(d, source + 3 * x);
            hn::StoreU(hn::Or(hn::TableLookupBytesOr0(bgr, indices), opaque), d, target + 4 * x);
        }
        // At most five pixels are left; the last group ends the row.
        while (x < width) {
            const int32_t at = x < width - 4 ? x : width - 4;
            const V16 bgr = hn::LoadU(d, source + 3 * at - 4);
            hn::StoreU(hn::Or(hn::TableLookupBytesOr0(bgr, indices_late), opaque), d,
                       target + 4 * at);
            x = at + 4;
        }
    }
}

#endif  // HWY_TARGET == HWY_SCALAR

}  // namespace HWY_NAMESPACE
}  // namespace omtrix
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace omtrix {
HWY_EXPORT(FlipRows);
HWY_EXPORT(StretchBytes);
HWY_EXPORT(Rgb32Rows);
}  // namespace omtrix

void BitmapFlip(Bitmap24 &bitmap) {
    HWY_DYNAMIC_DISPATCH(omtrix::FlipRows)
    (bitmap.Bits(), static_cast<size_t>(bitmap.Stride()), bitmap.Width(), bitmap.Height());
}

StretchTable BuildStretchTable(int32_t black_point, int32_t white_point) {
    int32_t b = black_point;
    int32_t w = white_point;
    omtrix::SeparateEqualPoints(b, w);
    StretchTable table{};
    for (int32_t j = 0; j < 256; ++j) {
        // White wins where the two ranges overlap (a white point below the
        // black point): everything from w up is white.
        if (j >= w) {
            table[j] = 255;
        } else if (j <= b) {
            table[j] = 0;
        } else {
            // 255 (j - b) / (w - b) in whole numbers, so that halves are
            // exact and go to the even neighbour.
            const int32_t numerator = 255 * (j - b);
            const int32_t span = w - b;
            int32_t value = numerator / span;
            const int32_t twice_remainder = 2 * (numerator % span);
            if (twice_remainder > span || (twice_remainder == span && value % 2 == 1)) {
                ++value;
            }
            table[j] = static_cast<uint8_t>(value);
        }
    }
    return table;
}

void ApplyStretch(int32_t black_point, int32_t white_point, uint8_t *bytes, size_t count) {
    HWY_DYNAMIC_DISPATCH(omtrix::StretchBytes)(black_point, white_point, bytes, count);
}

void BitmapToRgb32(const Bitmap24 &bitmap, uint8_t *pixels, size_t stride) {
    HWY_DYNAMIC_DISPATCH(omtrix::Rgb32Rows)
    (bitmap.Bits(), static_cast<size_t>(bitmap.Stride()), bitmap.Width(), bitmap.Height(), pixels,
     stride);
}
#endif  // HWY_ONCE
