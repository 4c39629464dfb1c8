#include "pixels/solar_clip.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixels/solar_clip.cpp"
#include <hwy/foreach_target.h>  // before highway.h
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace omtrix {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

template <typename Sample>
void Clip(Sample *samples, size_t count, Sample limit, Sample shade) {
    const hn::ScalableTag<Sample> d;
    const size_t n = hn::Lanes(d);
    const auto brightest_kept = hn::Set(d, limit);
    const auto replacement = hn::Set(d, shade);
    const auto zero = hn::Zero(d);
    size_t k = 0;
    if (HWY_TARGET != HWY_SCALAR) {
        for (; k + n <= count; k += n) {
            const auto v = hn::LoadU(d, samples + k);
            // v <= limit as v - limit == 0 (saturated): SSSE3 has no unsigned
            // 16-bit minimum, and this is as short everywhere else.
            const auto kept = hn::Eq(hn::SaturatedSub(v, brightest_kept), zero);
            hn::StoreU(hn::IfThenElse(kept, v, replacement), d, samples + k);
        }
    }
    for (; k < count; ++k) {
        samples[k] = samples[k] > limit ? shade : samples[k];
    }
}

void ClipSamples(uint8_t *samples, size_t count, uint8_t limit, uint8_t shade) {
    Clip(samples, count, limit, shade);
}

void ClipDeepSamples(uint16_t *samples, size_t count, uint16_t limit, uint16_t shade) {
    Clip(samples, count, limit, shade);
}

}  // namespace HWY_NAMESPACE
}  // namespace omtrix
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace omtrix {
HWY_EXPORT(ClipSamples);
HWY_EXPORT(ClipDeepSamples);
}  // namespace omtrix

void SolarClip(uint8_t *samples, size_t count, uint8_t limit, uint8_t shade) {
    HWY_DYNAMIC_DISPATCH(omtrix::ClipSamples)(samples, count, limit, shade);
}

void SolarClip(uint16_t *samples, size_t count, uint16_t limit, uint16_t shade) {
    HWY_DYNAMIC_DISPATCH(omtrix::ClipDeepSamples)(samples, count, limit, shade);
}

#endif  // HWY_ONCE
