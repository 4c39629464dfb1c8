#include "pixels/deep_conversion.h"

#include <algorithm>

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
// at most 255 m. Then q = (t r) >> 16 with r = 2^16 / m (less 1 for m = 1)
// falls short of t / m by less than t / 2^16 < 1: it is the quotient or one
// less, and one comparison of the remainder with m decides.
struct ViewScale {
    uint16_t black = 0;
    uint16_t span = 1;
    uint16_t steps = 1;  // m
    uint16_t reciprocal = 65535;
    int shift = 0;           // k
    uint16_t maximum = 255;  // the depth's
    bool all_white = false;  // a white point of 0
};

inline ViewScale MakeViewScale(const DeepPoints &points, int32_t bit_depth) {
    ViewScale scale;
    scale.shift = points.step_shift;
    scale.maximum = static_cast<uint16_t>((1 << (NarrowingShift(bit_depth) + 8)) - 1);
    scale.all_white = points.black < 0;
    if (scale.all_white) {
        return scale;
    }
    scale.black = static_cast<uint16_t>(points.black);
    scale.span = static_cast<uint16_t>(points.white - points.black);
    scale.steps = static_cast<uint16_t>(scale.span >> scale.shift);
    scale.reciprocal = static_cast<uint16_t>(std::min(65536 / scale.steps, 65535));
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
    const uint32_t t = (255 * x) >> scale.shift;
    uint32_t q = (t * scale.reciprocal) >> 16;
    if (t - q * scale.steps >= scale.steps) {
        ++q;
    }
    return static_cast<uint8_t>(std::min<uint32_t>(q, 254));
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

void View(const uint16_t *samples, uint8_t *view, size_t count, const DeepPoints &points,
          int32_t bit_depth) {
    const ViewScale scale = MakeViewScale(points, bit_depth);
    const hn::ScalableTag<uint16_t> d16;
    const hn::RebindToSigned<decltype(d16)> di16;
    const hn::Rebind<uint8_t, decltype(d16)> d8;
    const size_t n = hn::Lanes(d16);
    size_t k = 0;
    if (HWY_TARGET != HWY_SCALAR && !scale.all_white) {
        const auto black = hn::Set(d16, scale.black);
        const auto span = hn::Set(d16, scale.span);
        const auto steps = hn::Set(d16, scale.steps);
        const auto below_steps = hn::Set(di16, static_cast<int16_t>(scale.steps - 1));
        const auto reciprocal = hn::Set(d16, scale.reciprocal);
        const auto below_maximum = hn::Set(d16, static_cast<uint16_t>(scale.maximum - 1));
        const auto brightest_unsaturated = hn::Set(d16, 254);
        const int shift = scale.shift;
        const auto step_less_one = hn::Set(d16, static_cast<uint16_t>((1 << shift) - 1));
        for (; k + n <= count; k += n) {
            const auto v = hn::LoadU(d16, samples + k);
            const auto x = hn::Min(hn::SaturatedSub(v, black), span);
            // (255 x) >> k = (x << (8 - k)) - ceil(x / 2^k), every term
            // within 16 bits as x is at most 255 x 2^k.
            const auto t = hn::Sub(hn::ShiftLeftSame(x, 8 - shift),
                                   hn::ShiftRightSame(hn::Add(x, step_less_one), shift));
            const auto q = hn::MulHigh(t, reciprocal);
            // Below 2 m, so a signed comparison serves.
            const auto remainder = hn::BitCast(di16, hn::Sub(t, hn::Mul(q, steps)));
            // The mask's lanes are all ones: subtracting it adds one.
            const auto carry =
                hn::BitCast(d16, hn::VecFromMask(di16, hn::Gt(remainder, below_steps)));
            // 254 at most, 255 where the sample reaches the maximum: there
            // it is above the white point, so the quotient is 255.
            const auto limit =
                hn::SaturatedAdd(brightest_unsaturated, hn::SaturatedSub(v, below_maximum));
            const auto shown = hn::Min(hn::Sub(q, carry), limit);
            hn::StoreU(hn::DemoteTo(d8, hn::BitCast(di16, shown)), d8, view + k);
        }
    }
    for (; k < count; ++k) {
        view[k] = ViewValue(scale, samples[k]);
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace omtrix
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace omtrix {
HWY_EXPORT(Narrow);
HWY_EXPORT(View);
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
#endif  // HWY_ONCE
