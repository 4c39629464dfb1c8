#include "driver/simulator/camera_controls.h"

#include <algorithm>

#include "driver/simulator/frame_geometry.h"

namespace simcam {

namespace {

// Longest exposure the camera accepts: one hour.
constexpr int32_t MAX_EXPOSURE_MS = 3600 * 1000;

}  // namespace

float AnalogueGainForCode(int32_t code) {
    if (code <= 32) {
        return 0.125f * static_cast<float>(std::max(code, 1));
    }
    if (code <= 0x50) {
        // Between the fine and the medium range: the nearest end of either.
        return code - 32 <= 0x51 - code ? 4.0f : 4.25f;
    }
    if (code <= 0x60) {
        return 4.0f + 0.25f * static_cast<float>(code - 0x50);
    }
    return 8.0f + static_cast<float>(std::min(code, 0x67) - 0x60);
}

void CameraControls::SetExposureMs(int32_t ms) {
    exposure_us_.store(int64_t{std::clamp(ms, 0, MAX_EXPOSURE_MS)} * 1000,
                       std::memory_order_relaxed);
}

void CameraControls::SetExposureUs(int32_t us) {
    exposure_us_.store(std::max(us, SHORTEST_EXPOSURE_US), std::memory_order_relaxed);
}

void CameraControls::SetGainCodes(int32_t red, int32_t green, int32_t blue, int32_t green2) {
    gain_codes_[0].store(red, std::memory_order_relaxed);
    gain_codes_[1].store(green, std::memory_order_relaxed);
    gain_codes_[2].store(blue, std::memory_order_relaxed);
    gain_codes_[3].store(green2, std::memory_order_relaxed);
}

void CameraControls::SetVblankLines(int32_t lines) {
    vblank_lines_.store(std::clamp(lines, 0, MAX_VBLANK_LINES), std::memory_order_relaxed);
}

ChannelGains CameraControls::Gains() const {
    return {AnalogueGainForCode(gain_codes_[0].load(std::memory_order_relaxed)),
            AnalogueGainForCode(gain_codes_[1].load(std::memory_order_relaxed)),
            AnalogueGainForCode(gain_codes_[2].load(std::memory_order_relaxed)),
            AnalogueGainForCode(gain_codes_[3].load(std::memory_order_relaxed))};
}

}  // namespace simcam
