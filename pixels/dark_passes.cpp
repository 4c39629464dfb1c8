#include "pixels/dark_passes.h"

#include <algorithm>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixels/dark_passes.cpp"
#include <hwy/foreach_target.h>  // before highway.h
#include <hwy/highway.h>

#ifndef OMTRIX_DARK_PASSES_SHARED
#define OMTRIX_DARK_PASSES_SHARED
namespace omtrix {

// The quotient q = sum div exposures as (sum x m) >> 22 with m = ceil(2^22 /
// exposures): integer division has no vector instruction, a multiply does.
// With sum <= 255 x exposures the product stays below 2^32, and m exceeds
// 2^22 / exposures by less than 1, which adds less than 255 x exposures / 2^22
// to the true quotient: below 1 / exposures (for up to 128 exposures), the
// least distance from any sum / exposures to the next integer above it.
constexpr int RECIPROCAL_SHIFT = 22;

inline uint32_t Reciprocal(int32_t exposures) {
    const auto divisor = static_cast<uint32_t>(std::clamp(exposures, 1, MAX_DARK_COUNT));
    return ((uint32_t{1} << RECIPROCAL_SHIFT) + divisor - 1) / divisor;
}

}  // namespace omtrix
#endif  // OMTRIX_DARK_PASSES_SHARED

HWY_BEFORE_NAMESPACE();
namespace omtrix {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The first exposure starts the sum; each later one is added to it. The
// sum's lanes are twice as wide as the samples that widen into them.
template <typename Sample, typename Sum>
void AccumulateSamples(const Sample *exposure, Sum *sum, size_t count, bool first) {
    const hn::ScalableTag<Sum> d_sum;
    const hn::Rebind<Sample, decltype(d_sum)> d_sample;
    const size_t n = hn::Lanes(d_sum);
    size_t k = 0;
    if (HWY_TARGET != HWY_SCALAR) {
        const auto zero = hn::Zero(d_sum);
        for (; k + n <= count; k += n) {
            const auto before = first ? zero : hn::LoadU(d_sum, sum + k);
            hn::StoreU(hn::Add(before, hn::PromoteTo(d_sum, hn::LoadU(d_sample, exposure + k))),
                       d_sum, sum + k);
        }
    }
    for (; k < count; ++k) {
        sum[k] = static_cast<Sum>((first ? 0 : sum[k]) + exposure[k]);
    }
}

void Accumulate(const uint8_t *exposure, uint16_t *sum, size_t count, bool first) {
    AccumulateSamples(exposure, sum, count, first);
}

void AverageSum(const uint16_t *sum, uint8_t *dark, size_t count, int32_t exposures) {
    // Thirty-two-bit lanes for the product; the sums and the bytes they
    // become, narrowed to match.
    const hn::ScalableTag<int32_t> d32;
    const hn::Rebind<uint16_t, decltype(d32)> d16;
    const hn::Rebind<uint8_t, decltype(d32)> d8;
    const uint32_t multiplier = Reciprocal(exposures);
    const auto m = hn::Set(d32, static_cast<int32_t>(multiplier));
    const size_t n = hn::Lanes(d32);
    size_t k = 0;
    if (HWY_TARGET != HWY_SCALAR) {
        for (; k + n <= count; k += n) {
            // Below 2^32 but above 2^31: the shift must be a logical one.
            const hn::RebindToUnsigned<decltype(d32)> du32;
            const auto product =
                hn::Mul(hn::BitCast(du32, hn::PromoteTo(d32, hn::LoadU(d16, sum + k))),
                        hn::BitCast(du32, m));
            const auto quotient = hn::BitCast(d32, hn::ShiftRight<RECIPROCAL_SHIFT>(product));
            hn::StoreU(hn::DemoteTo(d8, quotient), d8, dark + k);
        }
    }
    for (; k < count; ++k) {
        dark[k] = static_cast<uint8_t>((sum[k] * multiplier) >> RECIPROCAL_SHIFT);
    }
}

void Subtract(uint8_t *samples, const uint8_t *dark, size_t count) {
    const hn::ScalableTag<uint8_t> d;
    const size_t n = hn::Lanes(d);
    const auto white = hn::Set(d, 255);
    size_t k = 0;
    if (HWY_TARGET != HWY_SCALAR) {
        for (; k + n <= count; k += n) {
            const auto s = hn::LoadU(d, samples + k);
            const auto corrected = hn::SaturatedSub(s, hn::LoadU(d, dark + k));
            hn::StoreU(hn::IfThenElse(hn::Eq(s, white), s, corrected), d, samples + k);
        }
    }
    for (; k < count; ++k) {
        const uint8_t s = samples[k];
        const uint8_t d = dark[k];
        const uint8_t corrected = d < s ? static_cast<uint8_t>(s - d) : 0;
        samples[k] = s == 255 ? s : corrected;
    }
}

void AccumulateDeep(const uint16_t *exposure, uint32_t *sum, size_t count, bool first) {
    AccumulateSamples(exposure, sum, count, first);
}

// A sum of at most 99 exposures of 65535 is below 2^23, exact as a float, and
// so is the divisor. The division rounds to nearest, by less than 2^-9 below
// 65536, while a quotient that is not whole lies at least 1 / 99 below the
// next integer: truncating the rounded quotient is integer division.
void AverageDeepSum(const uint32_t *sum, uint16_t *dark, size_t count, int32_t exposures) {
    const int32_t divisor = std::clamp(exposures, 1, MAX_DARK_COUNT);
    const hn::ScalableTag<float> df;
    const hn::RebindToSigned<decltype(df)> d32;
    const hn::Rebind<uint16_t, decltype(d32)> d16;
    const size_t n = hn::Lanes(df);
    size_t k = 0;
    if (HWY_TARGET != HWY_SCALAR) {
        const auto by = hn::Set(df, static_cast<float>(divisor));
        for (; k + n <= count; k += n) {
            const auto total =
                hn::BitCast(d32, hn::LoadU(hn::RebindToUnsigned<decltype(d32)>(), sum + k));
            const auto quotient = hn::ConvertTo(d32, hn::Div(hn::ConvertTo(df, total), by));
            hn::StoreU(hn::DemoteTo(d16, quotient), d16, dark + k);
        }
    }
    for (; k < count; ++k) {
        dark[k] = static_cast<uint16_t>(std::min<uint32_t>(sum[k] / divisor, 65535));
    }
}

void SubtractDeep(uint16_t *samples, const uint16_t *dark, size_t count, uint16_t maximum) {
    const hn::ScalableTag<uint16_t> d;
    const size_t n = hn::Lanes(d);
    const auto saturated = hn::Set(d, maximum);
    const auto zero = hn::Zero(d);
    size_t k = 0;
    if (HWY_TARGET != HWY_SCALAR) {
        for (; k + n <= count; k += n) {
            const auto s = hn::LoadU(d, samples + k);
            // s >= maximum as maximum - s == 0 (saturated): nothing is taken
            // from such a sample. Cheaper than a choice between two results
            // where the processor has neither an unsigned minimum nor a blend.
            const auto kept = hn::VecFromMask(d, hn::Eq(hn::SaturatedSub(saturated, s), zero));
            hn::StoreU(hn::SaturatedSub(s, hn::AndNot(kept, hn::LoadU(d, dark + k))), d,
                       samples + k);
        }
    }
    for (; k < count; ++k) {
        const uint16_t s = samples[k];
        const uint16_t d = dark[k];
        const uint16_t corrected = d < s ? static_cast<uint16_t>(s - d) : 0;
        samples[k] = s >= maximum ? s : corrected;
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace omtrix
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace omtrix {
HWY_EXPORT(Accumulate);
HWY_EXPORT(AverageSum);
HWY_EXPORT(Subtract);
HWY_EXPORT(AccumulateDeep);
HWY_EXPORT(AverageDeepSum);
HWY_EXPORT(SubtractDeep);
}  // namespace omtrix

void StartDarkSum(const uint8_t *exposure, uint16_t *sum, size_t count) {
    HWY_DYNAMIC_DISPATCH(omtrix::Accumulate)(exposure, sum, count, true);
}

void AddToDarkSum(const uint8_t *exposure, uint16_t *sum, size_t count) {
    HWY_DYNAMIC_DISPATCH(omtrix::Accumulate)(exposure, sum, count, false);
}

void AverageDarkSum(const uint16_t *sum, uint8_t *dark, size_t count, int32_t exposures) {
    HWY_DYNAMIC_DISPATCH(omtrix::AverageSum)(sum, dark, count, exposures);
}

void SubtractDark(uint8_t *samples, const uint8_t *dark, size_t count) {
    HWY_DYNAMIC_DISPATCH(omtrix::Subtract)(samples, dark, count);
}

void StartDeepDarkSum(const uint16_t *exposure, uint32_t *sum, size_t count) {
    HWY_DYNAMIC_DISPATCH(omtrix::AccumulateDeep)(exposure, sum, count, true);
}

void AddToDeepDarkSum(const uint16_t *exposure, uint32_t *sum, size_t count) {
    HWY_DYNAMIC_DISPATCH(omtrix::AccumulateDeep)(exposure, sum, count, false);
}

void AverageDeepDarkSum(const uint32_t *sum, uint16_t *dark, size_t count, int32_t exposures) {
    HWY_DYNAMIC_DISPATCH(omtrix::AverageDeepSum)(sum, dark, count, exposures);
}

void SubtractDeepDark(uint16_t *samples, const uint16_t *dark, size_t count, uint16_t maximum) {
    HWY_DYNAMIC_DISPATCH(omtrix::SubtractDeep)(samples, dark, count, maximum);
}
#endif  // HWY_ONCE
