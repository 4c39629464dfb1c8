#include "camera/exposure_controls.h"

#include <algorithm>
#include <charconv>

int32_t ExposureSliderPosition(int32_t exposure_ms, int32_t slider_maximum) {
    return std::clamp(exposure_ms, 0, slider_maximum);
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
