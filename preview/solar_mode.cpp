#include "preview/solar_mode.h"

#include <algorithm>

#include "pixels/solar_clip.h"

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
