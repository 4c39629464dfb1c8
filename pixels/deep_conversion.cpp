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

// floor(255 x / span) for x in 0 ... span, span below 2^16, without a
// division: q = (x m) >> 16 with m = floor(255 x 2^16 / span) falls short of
// the quotient by less than x / 2^16 < 1, so it is the quotient or one less,
// and one comparison of the remainder with the span decides. Every product
// stays below 2^24.
struct ViewScale {
    int32_t black = 0;
    int32_t span = 1;
    int32_t multiplier = 0;
    int32_t maximum = 255;  // the depth's
};

inline ViewScale MakeViewScale(const DeepPoints &points, int32_t bit_depth) {
    ViewScale scale;
    scale.maximum = (1 << (NarrowingShift(bit_depth) + 8)) - 1;
    scale.black = points.black;
    scale.span = points.white - points.black;
    scale.multiplier = static_cast<int32_t>((int64_t{255} << 16) / scale.span);
    return scale;
}

inline uint8_t ViewValue(const ViewScale &scale, uint16_t sample) {
    const int32_t x = std::clamp(int32_t{sample} - scale.black, 0, scale.span);
    int32_t q = (x * scale.multiplier) >> 16;
    if (255 * x - q * scale.span >= scale.span) {
        ++q;
    }
    return static_cast<uint8_t>(sample >= scale.maximum ? 255 : std::min(q, 254));
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
    if (HWY_TARGET != HWY_SCALAR) {
        const auto white = hn::Set(d16, 255);
        for (; k + n <= count; k += n) {
            // Stray high bits give 255; the demotion is from signed lanes.
            const auto narrowed =
                hn::Min(hn::ShiftRightSame(hn::LoadU(d16, samples + k), shift), white);
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
    const hn::ScalableTag<int32_t> d32;
    const hn::Rebind<uint16_t, decltype(d32)> d16;
    const hn::Rebind<uint8_t, decltype(d32)> d8;
    const size_t n = hn::Lanes(d32);
    size_t k = 0;
    if (HWY_TARGET != HWY_SCALAR) {
        const auto black = hn::Set(d32, scale.black);
        const auto span = hn::Set(d32, scale.span);
        const auto below_span = hn::Set(d32, scale.span - 1);
        const auto multiplier = hn::Set(d32, scale.multiplier);
        const auto zero = hn::Zero(d32);
        const auto below_maximum = hn::Set(d32, scale.maximum - 1);
        const auto brightest_unsaturated = hn::Set(d32, 254);
        const auto saturated = hn::Set(d32, 255);
        for (; k + n <= count; k += n) {
            const auto v = hn::PromoteTo(d32, hn::LoadU(d16, samples + k));
            const auto x = hn::Min(hn::Max(hn::Sub(v, black), zero), span);
            const auto q = hn::ShiftRight<16>(hn::Mul(x, multiplier));
            const auto remainder = hn::Sub(hn::Sub(hn::ShiftLeft<8>(x), x), hn::Mul(q, span));
            // The mask's lanes are all ones: subtracting it adds one.
            const auto carry = hn::VecFromMask(d32, hn::Gt(remainder, below_span));
            const auto shown = hn::IfThenElse(hn::Gt(v, below_maximum), saturated,
                                              hn::Min(hn::Sub(q, carry), brightest_unsaturated));
            hn::StoreU(hn::DemoteTo(d8, shown), d8, view + k);
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
    const int32_t shift = omtrix::NarrowingShift(bit_depth);
    DeepPoints points;
    if (w < b) {
        points.white = w << shift;
        points.black = points.white - (1 << shift);
    } else {
        points.black = b << shift;
        points.white = w << shift;
    }
    if (points.black < 0) {
        // A white point of 0: every sample is white, 0 included.
        points.black = -1;
        points.white = 0;
    }
    return points;
}

void DeepView(const uint16_t *samples, uint8_t *view, size_t count, int32_t bit_depth,
              int32_t black_point, int32_t white_point) {
    HWY_DYNAMIC_DISPATCH(omtrix::View)
    (samples, view, count, ScaleViewPoints(black_point, white_point, bit_depth), bit_depth);
}
#endif  // HWY_ONCE
