#include "preview/solar_mode.h"

#include <algorithm>

#include "pixels/solar_clip.h"

void SolarMode::Apply(uint8_t *samples, size_t count, int32_t bit_depth) const {
    if (!on.load(std::memory_order_relaxed)) {
        return;
    }
    const int32_t saturation_limit = std::clamp(limit.load(std::memory_order_relaxed), 0, 255);
    if (saturation_limit == 255) {
        return;  // no sample is brighter
    }
    // The shade is an 8-bit sample: only its low byte counts.
    const auto saturation_shade = static_cast<uint8_t>(shade.load(std::memory_order_relaxed));
    if (bit_depth <= 8) {
        SolarClip(samples, count, static_cast<uint8_t>(saturation_limit), saturation_shade);
        return;
    }
    const int32_t shift = std::min(bit_depth, 16) - 8;
    const int32_t maximum = (1 << (shift + 8)) - 1;
    const auto deep_limit = static_cast<uint16_t>(((saturation_limit + 1) << shift) - 1);
    const auto deep_shade = static_cast<uint16_t>(saturation_shade * maximum / 255);
    SolarClip(reinterpret_cast<uint16_t *>(samples), count, deep_limit, deep_shade);
}
