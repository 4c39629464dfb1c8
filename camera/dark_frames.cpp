#include "camera/dark_frames.h"

#include <algorithm>

#include "camera/driver_api.h"
#include "camera/frame_list.h"

namespace {

constexpr size_t DEFAULT_SENSOR_SAMPLES = size_t{FULL_WIDTH} * FULL_HEIGHT;

}  // namespace

DarkFrames::DarkFrames()
    : dark_(std::make_unique<uint8_t[]>(DEFAULT_SENSOR_SAMPLES)),
      sum_(std::make_unique<uint16_t[]>(DEFAULT_SENSOR_SAMPLES)),
      capacity_(DEFAULT_SENSOR_SAMPLES) {}

void DarkFrames::Reserve(size_t samples) {
    if (samples <= capacity_) {
        return;
    }
    valid_ = false;
    dark_ = std::make_unique<uint8_t[]>(samples);
    sum_ = std::make_unique<uint16_t[]>(samples);
    capacity_ = samples;
}

void DarkFrames::Accumulate(size_t samples, bool first) {
    samples = std::min(samples, capacity_);
    if (first) {
        valid_ = false;
        StartDarkSum(dark_.get(), sum_.get(), samples);
    } else {
        AddToDarkSum(dark_.get(), sum_.get(), samples);
    }
}

void DarkFrames::Finish(const DarkKey &key, size_t samples) {
    AverageDarkSum(sum_.get(), dark_.get(), std::min(samples, capacity_), key.count);
    key_ = key;
    valid_ = true;
}

void DarkFrames::SubtractFrom(uint8_t *frame, size_t samples) const {
    SubtractDark(frame, dark_.get(), std::min(samples, capacity_));
}

void DarkFrames::AbandonExposureBuffer() {
    valid_ = false;
    AbandonToDriver(dark_.release());
    dark_ = std::make_unique<uint8_t[]>(capacity_);
}
