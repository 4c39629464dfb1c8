#include "pixels/deep_conversion.h"

#include <algorithm>

#include "pixels/byte_division.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixels/deep_conversion.cpp"
#include <hwy/foreach_target.h>  // before highway.h
#include <hwy/highway.h>

#ifndef OMTRIX_DEEP_CONVERSION_SHARED
#define OMTRIX_DEEP_CONVERSION_SHARED
namespace omtrix {

inline int32_t NarrowingShift(int32_t bit_depth) {
    return std::clamp(bit_depth, 8, 16) - 8;
}

// floor(255 x / span) for x in 0 ... span in 16-bit arithmetic. The span is
// m steps of s = 2^k (k = the points' step shift, at most depth - 8;
// m = 1 ... 255), and
// floor(255 x / (s m)) = floor(t / m) with t = floor(255 x / s) = (255 x) >> k,
// at most 255 m. t is one multiply-high: with X = x << (8 - k), at most
// 255 x 2^8, t = (X x 65280) >> 16 = floor(255 X / 256), exactly. t / m is
// another (ByteDivider).
struct ViewScale {
    uint16_t black = 0;
    uint16_t span = 1;
    int widening = 8;  // 8 - k
    ByteDivider divider;
    uint16_t maximum = 255;  // the depth's
    bool all_white = false;  // a white point of 0
};

inline constexpr uint16_t TIMES_255_OVER_256 = 65280;

inline ViewScale MakeViewScale(const DeepPoints &points, int32_t bit_depth) {
    ViewScale scale;
    scale.widening = 8 - points.step_shift;
    scale.maximum = static_cast<uint16_t>((1 << (NarrowingShift(bit_depth) + 8)) - 1);
    scale.all_white = points.black < 0;
    if (scale.all_white) {
        return scale;
    }
    scale.black = static_cast<uint16_t>(points.black);
    scale.span = static_cast<uint16_t>(points.white - points.black);
    scale.divider = MakeByteDivider(scale.span >> points.step_shift);
    return scale;
}

inline uint8_t ViewValue(const ViewScale &scale, uint16_t sample) {
    if (sample >= scale.maximum) {
        return 255;
    }
    if (scale.all_white) {
        return 254;
    }
    const uint32_t x =
        std::min<uint32_t>(sample > scale.black ? sample - scale.black : 0, scale.span);
    const uint32_t t = ((x << scale.widening) * TIMES_255_OVER_256) >> 16;
    return static_cast<uint8_t>(std::min<uint32_t>(Divide(scale.divider, t), 254));
}

}  // namespace omtrix
#endif  // OMTRIX_DEEP_CONVERSION_SHARED

HWY_BEFORE_NAMESPACE();
namespace omtrix {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void Narrow(const uint16_t *samples, uint8_t *out, size_t count, int32_t bit_depth) {
    const int shift = NarrowingShift(bit_depth);
    const hn::ScalableTag<uint16_t> d16;
    const hn::RebindToSigned<decltype(d16)> di16;
    const hn::Rebind<uint8_t, decltype(d16)> d8;
    const size_t n = hn::Lanes(d16);
    size_t k = 0;
    // Shifted by at least 1, a sample is below 2^15, and the signed demotion
    // gives stray high bits 255.
    if (HWY_TARGET != HWY_SCALAR && shift > 0) {
        for (; k + n <= count; k += n) {
            const auto narrowed = hn::ShiftRightSame(hn::LoadU(d16, samples + k), shift);
            hn::StoreU(hn::DemoteTo(d8, hn::BitCast(di16, narrowed)), d8, out + k);
        }
    }
    for (; k < count; ++k) {
        const uint32_t value = static_cast<uint32_t>(samples[k]) >> shift;
        out[k] = static_cast<uint8_t>(value > 255 ? 255 : value);
    }
}

#if HWY_TARGET != HWY_SCALAR
// floor(255 x / span) of the samples in one vector of 16-bit lanes, x the
// sample less the black point held to the span: at most 255, which is
// reached at the white point. x is two saturating steps, on every
// instruction set (SSSE3 lacks the unsigned minimum): the sample is lifted
// by `lift` so that everything from the white point up meets 65535, then
// brought down by lift + black, below which it meets 0. kIncrement: the
// divider raises t by 1 first. The constants are set here (SVE's vectors
// cannot be kept in a struct); a loop lifts them out.
template <bool kIncrement, class D16>
HWY_INLINE hn::Vec<D16> QuotientLanes(D16 d16, const ViewScale &scale, hn::Vec<D16> v) {
    const auto lift = static_cast<uint16_t>(65535 - scale.black - scale.span);
    const auto x = hn::SaturatedSub(hn::SaturatedAdd(v, hn::Set(d16, lift)),
                                    hn::Set(d16, static_cast<uint16_t>(lift + scale.black)));
    auto t = hn::MulHigh(hn::ShiftLeftSame(x, scale.widening), hn::Set(d16, TIMES_255_OVER_256));
    if constexpr (kIncrement) {
        t = hn::Add(t, hn::Set(d16, uint16_t{1}));
    }
    return hn::ShiftRightSame(hn::MulHigh(t, hn::Set(d16, scale.divider.multiplier)),
                              scale.divider.shift);
}

// A vector of bytes as wide as a vector of D16's lanes.
template <class D16>
using BytesOf = hn::Vec<hn::Repartition<uint8_t, D16>>;

// Two vectors of 16-bit lanes as one vector of their bytes, `lower`'s first.
// kNonzero: each byte is nonzero exactly where its lane is (the lanes may
// be anything); otherwise each lane is at most 255 and its byte is its
// value. x86 packs each 128-bit block of the two apart, saturating (as
// signed for kNonzero, so that no lane turns to 0); InLaneOrder then puts
// the blocks in order, once for all the packs that are combined byte by
// byte. Elsewhere the low bytes are taken in order.
template <bool kNonzero, class D16>
HWY_INLINE BytesOf<D16> PackBytes(D16 d16, hn::Vec<D16> lower, hn::Vec<D16> upper) {
#if HWY_TARGET == HWY_SSSE3 || HWY_TARGET == HWY_SSE4
    (void)d16;
    return BytesOf<D16>{kNonzero ? _mm_packs_epi16(lower.raw, upper.raw)
                                 : _mm_packus_epi16(lower.raw, upper.raw)};
#elif HWY_TARGET == HWY_AVX2
    (void)d16;
    return BytesOf<D16>{kNonzero ? _mm256_packs_epi16(lower.raw, upper.raw)
                                 : _mm256_packus_epi16(lower.raw, upper.raw)};
#elif HWY_TARGET == HWY_AVX3
    (void)d16;
    return BytesOf<D16>{kNonzero ? _mm512_packs_epi16(lower.raw, upper.raw)
                                 : _mm512_packus_epi16(lower.raw, upper.raw)};
#else
    const hn::Repartition<uint8_t, D16> d8;
    if constexpr (kNonzero) {
        lower = hn::Min(lower, hn::Set(d16, uint16_t{1}));
        upper = hn::Min(upper, hn::Set(d16, uint16_t{1}));
    }
    return hn::ConcatEven(d8, hn::BitCast(d8, upper), hn::BitCast(d8, lower));
#endif
}

// Bytes packed by PackBytes, in order.
template <class V8>
HWY_INLINE V8 InLaneOrder(V8 bytes) {
#if HWY_TARGET == HWY_AVX2
    return V8{_mm256_permute4x64_epi64(bytes.raw, 0xD8)};
#elif HWY_TARGET == HWY_AVX3
    return V8{_mm512_permutexvar_epi64(_mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7), bytes.raw)};
#else
    return bytes;
#endif
}

// The view of 2 vectors of samples from `samples` on, as one vector of bytes:
// the quotient at most 254, 255 where the sample reaches the depth's
// maximum. Such a sample is above the white point, so its quotient is 255,
// held to 254, and the saturation's nonzero byte added to that gives 255.
// The cap and the saturation are taken on bytes, one instruction for two
// vectors of samples.
template <bool kIncrement, class D16>
HWY_INLINE BytesOf<D16> ViewBytes(D16 d16, const ViewScale &scale, const uint16_t *samples) {
    const hn::Repartition<uint8_t, D16> d8;
    const size_t n = hn::Lanes(d16);
    const auto lower = hn::LoadU(d16, samples);
    const auto upper = hn::LoadU(d16, samples + n);
    const auto below_maximum = hn::Set(d16, static_cast<uint16_t>(scale.maximum - 1));
    const auto saturated = PackBytes<true>(d16, hn::SaturatedSub(lower, below_maximum),
                                           hn::SaturatedSub(upper, below_maximum));
    const auto quotients = PackBytes<false>(d16, QuotientLanes<kIncrement>(d16, scale, lower),
                                            QuotientLanes<kIncrement>(d16, scale, upper));
    return InLaneOrder(hn::SaturatedAdd(hn::Min(quotients, hn::Set(d8, uint8_t{254})), saturated));
}

// Each byte of `grey` three times (a grey pixel), 3 vectors' worth from `out`
// on. Highway's general interleaving takes three table lookups per 16 bytes
// for each of its three sources; with one source, one lookup per 16 bytes
// of output does. Beside the view's constants, the general form's tables
// outgrow the 16 vector registers of SSSE3 ... AVX2 (the picture took a
// quarter to a third longer); AVX-512 has 32, and there it is the faster.
template <class D8>
HWY_INLINE void StoreGreyPixels(D8 d8, hn::Vec<D8> grey, uint8_t *out) {
#if HWY_TARGET == HWY_SSSE3 || HWY_TARGET == HWY_SSE4 || HWY_TARGET == HWY_AVX2
    if constexpr (hn::MaxLanes(d8) > 16) {
        const hn::Half<D8> half;
        StoreGreyPixels(half, hn::LowerHalf(half, grey), out);
        StoreGreyPixels(half, hn::UpperHalf(half, grey), out + 3 * hn::Lanes(half));
    } else {
        alignas(16) static constexpr uint8_t first[16] = {0, 0, 0, 1, 1, 1, 2, 2,
                                                          2, 3, 3, 3, 4, 4, 4, 5};
        alignas(16) static constexpr uint8_t second[16] = {5, 5, 6, 6, 6, 7, 7,  7,
                                                           8, 8, 8, 9, 9, 9, 10, 10};
        alignas(16) static constexpr uint8_t third[16] = {10, 11, 11, 11, 12, 12, 12, 13,
                                                          13, 13, 14, 14, 14, 15, 15, 15};
        hn::StoreU(hn::TableLookupBytes(grey, hn::Load(d8, first)), d8, out);
        hn::StoreU(hn::TableLookupBytes(grey, hn::Load(d8, second)), d8, out + 16);
        hn::StoreU(hn::TableLookupBytes(grey, hn::Load(d8, third)), d8, out + 32);
    }
#else
    hn::StoreInterleaved3(grey, grey, grey, d8, out);
#endif
}
#endif  // HWY_TARGET != HWY_SCALAR

// DeepView of `count` samples: vectors of them, a plain loop for the rest.
template <bool kIncrement>
void ViewSamples(const uint16_t *samples, uint8_t *view, size_t count, const ViewScale scale) {
    size_t k = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<uint16_t> d16;
    const hn::Repartition<uint8_t, decltype(d16)> d8;
    const size_t block = 2 * hn::Lanes(d16);
    if (!scale.all_white && count >= block) {
        // The last block ends at the end, overlapping the one before.
        for (;; k += block) {
            k = k < count - block ? k : count - block;
            hn::StoreU(ViewBytes<kIncrement>(d16, scale, samples + k), d8, view + k);
            if (k == count - block) {
                return;
            }
        }
    }
#endif
    for (; k < count; ++k) {
        view[k] = ViewValue(scale, samples[k]);
    }
}

void View(const uint16_t *samples, uint8_t *view, size_t count, const DeepPoints &points,
          int32_t bit_depth) {
    const ViewScale scale = MakeViewScale(points, bit_depth);
    if (scale.divider.increment) {
        ViewSamples<true>(samples, view, count, scale);
    } else {
        ViewSamples<false>(samples, view, count, scale);
    }
}

// DeepViewToBitmap's rows: each row's view straight into the picture's row
// (and into `view` where it is not null), as GreyRows does it from bytes.
template <bool kIncrement>
void ViewPictureRows(const uint16_t *samples, int32_t width, int32_t height, const ViewScale scale,
                     uint8_t *bits, size_t stride, uint8_t *view) {
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<uint16_t> d16;
    const hn::Repartition<uint8_t, decltype(d16)> d8;
    const int32_t block = static_cast<int32_t>(2 * hn::Lanes(d16));
    const bool vectors = !scale.all_white && width >= block;
#endif
    for (int32_t r = 0; r < height; ++r) {
        const uint16_t *source = samples + static_cast<size_t>(r) * width;
        uint8_t *pixel = bits + r * stride;
        uint8_t *row_view = view ? view + static_cast<size_t>(r) * width : nullptr;
#if HWY_TARGET != HWY_SCALAR
        if (vectors) {
            // The last block ends at the row's end, overlapping the one before.
            for (int32_t x = 0;; x += block) {
                x = x < width - block ? x : width - block;
                const auto grey = ViewBytes<kIncrement>(d16, scale, source + x);
                StoreGreyPixels(d8, grey, pixel + 3 * x);
                if (row_view) {
                    hn::StoreU(grey, d8, row_view + x);
                }
                if (x == width - block) {
                    break;
                }
            }
            continue;
        }
#endif
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t grey = ViewValue(scale, source[x]);
            pixel[3 * x] = pixel[3 * x + 1] = pixel[3 * x + 2] = grey;
            if (row_view) {
                row_view[x] = grey;
            }
        }
    }
}

void ViewPicture(const uint16_t *samples, int32_t width, int32_t height, const DeepPoints &points,
                 int32_t bit_depth, uint8_t *bits, size_t stride, uint8_t *view) {
    const ViewScale scale = MakeViewScale(points, bit_depth);
    if (scale.divider.increment) {
        ViewPictureRows<true>(samples, width, height, scale, bits, stride, view);
    } else {
        ViewPictureRows<false>(samples, width, height, scale, bits, stride, view);
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace omtrix
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace omtrix {
HWY_EXPORT(Narrow);
HWY_EXPORT(View);
HWY_EXPORT(ViewPicture);
}  // namespace omtrix

void NarrowSamples(const uint16_t *samples, uint8_t *out, size_t count, int32_t bit_depth) {
    HWY_DYNAMIC_DISPATCH(omtrix::Narrow)(samples, out, count, bit_depth);
}

DeepPoints ScaleViewPoints(int32_t black_point, int32_t white_point, int32_t bit_depth) {
    int32_t b = std::clamp(black_point, 0, 255);
    int32_t w = std::clamp(white_point, 0, 255);
    // As the 8-bit stretch: equal points move apart (a white point of 0 up,
    // any other black point down), a white point below the black point wins.
    if (b == w) {
        if (b == 0) {
            w = 1;
        } else {
            --b;
        }
    }
    DeepPoints points;
    if (w == 0) {
        // A white point of 0: every sample is white, 0 included.
        points.black = -1;
        points.white = 0;
        return points;
    }
    const int32_t depth_shift = omtrix::NarrowingShift(bit_depth);
    // p^2 x 2^(d - 8) / 255, rounded; at least 1 for a white point above 0.
    const auto deep = [&](int32_t p) { return (p * p * (1 << depth_shift) + 127) / 255; };
    const int32_t white_sample = std::max(deep(w), 1);
    int32_t shift = 0;
    while ((white_sample + (1 << shift) - 1) >> shift > 255) {
        ++shift;
    }
    const int32_t white_steps = (white_sample + (1 << shift) - 1) >> shift;
    const int32_t black_steps =
        w < b ? white_steps - 1 : std::min(deep(b) >> shift, white_steps - 1);
    points.black = black_steps << shift;
    points.white = white_steps << shift;
    points.step_shift = shift;
    return points;
}

void DeepView(const uint16_t *samples, uint8_t *view, size_t count, int32_t bit_depth,
              int32_t black_point, int32_t white_point) {
    HWY_DYNAMIC_DISPATCH(omtrix::View)
    (samples, view, count, ScaleViewPoints(black_point, white_point, bit_depth), bit_depth);
}

void DeepViewToBitmap(const uint16_t *samples, int32_t w, int32_t h, int32_t bit_depth,
                      int32_t black_point, int32_t white_point, Bitmap24 &bitmap, uint8_t *view) {
    bitmap.SetSize(w, h);
    HWY_DYNAMIC_DISPATCH(omtrix::ViewPicture)
    (samples, w, h, ScaleViewPoints(black_point, white_point, bit_depth), bit_depth, bitmap.Bits(),
     static_cast<size_t>(bitmap.Stride()), view);
}
#endif  // HWY_ONCE
