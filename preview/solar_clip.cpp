#include "preview/solar_clip.h"

#include <algorithm>

#include "platform/hot_loop.h"

OMTRIX_HOT_LOOP void SolarClip(uint8_t *samples, size_t count, uint8_t limit, uint8_t shade) {
    for (size_t k = 0; k < count; ++k) {
        samples[k] = samples[k] > limit ? shade : samples[k];
    }
}

void SolarMode::Apply(uint8_t *samples, size_t count) const {
    if (!on.load(std::memory_order_relaxed)) {
        return;
    }
    const int32_t saturation_limit = std::clamp(limit.load(std::memory_order_relaxed), 0, 255);
    if (saturation_limit == 255) {
        return;  // no sample is brighter
    }
    // The shade is an 8-bit sample: only its low byte counts.
    const auto saturation_shade = static_cast<uint8_t>(shade.load(std::memory_order_relaxed));
    SolarClip(samples, count, static_cast<uint8_t>(saturation_limit), saturation_shade);
}
