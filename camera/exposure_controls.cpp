#include "camera/exposure_controls.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

bool HasFineExposures(const CameraSensor &camera) {
    return camera.shortest_exposure_us < 1000 && camera.exposure_step_us > 0 &&
           camera.exposure_step_us < 1000;
}

int32_t LongestExposureMs(const CameraSensor &camera) {
    return std::clamp(camera.longest_exposure_us / 1000, 1, LONGEST_EXPOSURE_MS);
}

ExposureScale ScaleForRange(int32_t range_ms, const CameraSensor &camera) {
    ExposureScale scale;
    if (range_ms <= FINE_RANGE_MS && HasFineExposures(camera)) {
        const int32_t step = camera.exposure_step_us;
        scale.range_ms = FINE_RANGE_MS;
        scale.unit_us = step;
        scale.highest = 1000 / step;
        // The camera's shortest exposure, rounded up to a whole step.
        scale.lowest = std::min((std::max(camera.shortest_exposure_us, 0) + step - 1) / step,
                                scale.highest);
        return scale;
    }
    scale.range_ms = std::max(range_ms, SHORTEST_MS_RANGE);
    scale.highest = std::min(scale.range_ms, LongestExposureMs(camera));
    return scale;
}

int32_t ExposureSliderPosition(int32_t exposure_us, const ExposureScale &scale) {
    const int64_t nearest = (int64_t{exposure_us} + scale.unit_us / 2) / scale.unit_us;
    return static_cast<int32_t>(
        std::clamp<int64_t>(nearest, scale.lowest, scale.highest));
}

std::string ExposureCaption(int32_t exposure_us) {
    char text[32];
    if (exposure_us % 1000 == 0) {
        std::snprintf(text, sizeof text, "%dms", exposure_us / 1000);
    } else if (exposure_us < 1000) {
        std::snprintf(text, sizeof text, "%d\u00b5s", exposure_us);
    } else {
        std::snprintf(text, sizeof text, "%d.%03dms", exposure_us / 1000, exposure_us % 1000);
    }
    return text;
}

int32_t PresetMilliseconds(const std::string &caption) {
    std::string text = caption;
    if (const size_t amp = text.find('&'); amp != std::string::npos) {
        text.erase(amp, 1);
    }
    if (const size_t ms = text.find("ms"); ms != std::string::npos) {
        text.erase(ms, 2);
    }
    int32_t value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return -1;
    }
    return value;
}
