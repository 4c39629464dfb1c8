#include "camera/dark_frames.h"

#include <algorithm>

#include "camera/driver_api.h"
#include "camera/frame_list.h"

namespace {

constexpr size_t DEFAULT_SENSOR_SAMPLES = size_t{FULL_WIDTH} * FULL_HEIGHT;

uint16_t *DeepSamples(uint8_t *bytes) {
    return reinterpret_cast<uint16_t *>(bytes);
}

// Room for `samples` two-byte samples.
std::unique_ptr<uint8_t[]> DarkBuffer(size_t samples) {
    return std::make_unique<uint8_t[]>(samples * 2);
}

}  // namespace

DarkFrames::DarkFrames()
    : dark_(DarkBuffer(DEFAULT_SENSOR_SAMPLES)),
      sum_(std::make_unique<uint16_t[]>(DEFAULT_SENSOR_SAMPLES)),
      capacity_(DEFAULT_SENSOR_SAMPLES) {}

void DarkFrames::Reserve(size_t samples) {
    if (samples <= capacity_) {
        return;
    }
    valid_ = false;
    dark_ = DarkBuffer(samples);
    sum_ = std::make_unique<uint16_t[]>(samples);
    deep_sum_.reset();
    capacity_ = samples;
}

void DarkFrames::Accumulate(size_t samples, bool first, int32_t bit_depth) {
    samples = std::min(samples, capacity_);
    if (first) {
        valid_ = false;
    }
    if (bit_depth <= 8) {
        if (first) {
            StartDarkSum(dark_.get(), sum_.get(), samples);
        } else {
            AddToDarkSum(dark_.get(), sum_.get(), samples);
        }
        return;
    }
    if (!deep_sum_) {
        deep_sum_ = std::make_unique<uint32_t[]>(capacity_);
    }
    if (first) {
        StartDeepDarkSum(DeepSamples(dark_.get()), deep_sum_.get(), samples);
    } else {
        AddToDeepDarkSum(DeepSamples(dark_.get()), deep_sum_.get(), samples);
    }
}

void DarkFrames::Finish(const DarkKey &key, size_t samples) {
    samples = std::min(samples, capacity_);
    if (key.bit_depth <= 8) {
        AverageDarkSum(sum_.get(), dark_.get(), samples, key.count);
    } else if (deep_sum_) {
        AverageDeepDarkSum(deep_sum_.get(), DeepSamples(dark_.get()), samples, key.count);
    } else {
        return;  // no deep exposure was summed: there is nothing to average
    }
    key_ = key;
    valid_ = true;
}

void DarkFrames::SubtractFrom(uint8_t *frame, size_t samples, int32_t bit_depth) const {
    samples = std::min(samples, capacity_);
    // Bytes taken off two-byte samples, or the reverse, would garble the frame.
    if (bit_depth != key_.bit_depth) {
        return;
    }
    if (bit_depth <= 8) {
        SubtractDark(frame, dark_.get(), samples);
        return;
    }
    const auto maximum = static_cast<uint16_t>((1 << std::min(bit_depth, 16)) - 1);
    SubtractDeepDark(DeepSamples(frame), DeepSamples(dark_.get()), samples, maximum);
}

void DarkFrames::AbandonExposureBuffer() {
    valid_ = false;
    AbandonToDriver(dark_.release());
    dark_ = DarkBuffer(capacity_);
}
