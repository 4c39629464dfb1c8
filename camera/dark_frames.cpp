#include "camera/dark_frames.h"

#include <algorithm>

#include "camera/driver_api.h"
#include "camera/frame_list.h"
#include "platform/hot_loop.h"

namespace {

constexpr size_t SENSOR_SAMPLES = size_t{FULL_WIDTH} * FULL_HEIGHT;

// The quotient q = sum div exposures as (sum x m) >> 22 with m = ceil(2^22 /
// exposures): integer division has no vector instruction, a multiply does.
// With sum <= 255 x exposures the product stays below 2^32, and m exceeds
// 2^22 / exposures by less than 1, which adds less than 255 x exposures / 2^22
// to the true quotient: below 1 / exposures (for up to 128 exposures), the
// least distance from any sum / exposures to the next integer above it.
constexpr int RECIPROCAL_SHIFT = 22;

}  // namespace

OMTRIX_HOT_LOOP void StartDarkSum(const uint8_t *__restrict exposure, uint16_t *__restrict sum,
                                  size_t count) {
    for (size_t k = 0; k < count; ++k) {
        sum[k] = exposure[k];
    }
}

OMTRIX_HOT_LOOP void AddToDarkSum(const uint8_t *__restrict exposure, uint16_t *__restrict sum,
                                  size_t count) {
    for (size_t k = 0; k < count; ++k) {
        sum[k] = static_cast<uint16_t>(sum[k] + exposure[k]);
    }
}

OMTRIX_HOT_LOOP void AverageDarkSum(const uint16_t *__restrict sum, uint8_t *__restrict dark,
                                    size_t count, int32_t exposures) {
    const uint32_t divisor = static_cast<uint32_t>(std::clamp(exposures, 1, MAX_DARK_COUNT));
    const uint32_t multiplier = ((uint32_t{1} << RECIPROCAL_SHIFT) + divisor - 1) / divisor;
    for (size_t k = 0; k < count; ++k) {
        dark[k] = static_cast<uint8_t>((sum[k] * multiplier) >> RECIPROCAL_SHIFT);
    }
}

OMTRIX_HOT_LOOP void SubtractDark(uint8_t *__restrict samples, const uint8_t *__restrict dark,
                                  size_t count) {
    for (size_t k = 0; k < count; ++k) {
        const uint8_t s = samples[k];
        const uint8_t d = dark[k];
        const uint8_t corrected = d < s ? static_cast<uint8_t>(s - d) : 0;
        samples[k] = s == 255 ? s : corrected;
    }
}

DarkFrames::DarkFrames()
    : dark_(std::make_unique<uint8_t[]>(SENSOR_SAMPLES)),
      sum_(std::make_unique<uint16_t[]>(SENSOR_SAMPLES)) {}

void DarkFrames::Accumulate(size_t samples, bool first) {
    samples = std::min(samples, SENSOR_SAMPLES);
    if (first) {
        valid_ = false;
        StartDarkSum(dark_.get(), sum_.get(), samples);
    } else {
        AddToDarkSum(dark_.get(), sum_.get(), samples);
    }
}

void DarkFrames::Finish(const DarkKey &key, size_t samples) {
    AverageDarkSum(sum_.get(), dark_.get(), std::min(samples, SENSOR_SAMPLES), key.count);
    key_ = key;
    valid_ = true;
}

void DarkFrames::SubtractFrom(uint8_t *frame, size_t samples) const {
    SubtractDark(frame, dark_.get(), std::min(samples, SENSOR_SAMPLES));
}

void DarkFrames::AbandonExposureBuffer() {
    valid_ = false;
    AbandonToDriver(dark_.release());
    dark_ = std::make_unique<uint8_t[]>(SENSOR_SAMPLES);
}
