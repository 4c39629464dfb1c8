#include "camera/exposure_controls.h"

#include <charconv>

#include "platform/rounding.h"

int32_t ExposureSliderPosition(int32_t exposure_ms) {
    const int32_t c = exposure_ms;
    if (c < 1000) {
        return RoundHalfEven(c * 2.5);
    }
    if (c < 5000) {
        return RoundHalfEven((c - 1000) / 4000.0 * 2500 + 2500);
    }
    return 50000;
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
