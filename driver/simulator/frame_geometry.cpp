#include "driver/simulator/frame_geometry.h"

#include <algorithm>

namespace simcam {

namespace {

// Pixel clock of the two transfer modes, in nanoseconds per pixel, and the
// time every row costs whatever its length.
constexpr int64_t STANDARD_PIXEL_NS = 24;
constexpr int64_t FAST_PIXEL_NS = 10;
constexpr int64_t STANDARD_ROW_OVERHEAD_NS = 6000;
constexpr int64_t FAST_ROW_OVERHEAD_NS = 4000;
// Setting up one USB transfer.
constexpr int64_t FRAME_OVERHEAD_NS = 200000;

}  // namespace

FrameWindow ClampWindow(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bin_shift,
                        SensorSize sensor) {
    FrameWindow window;
    window.width = std::clamp(width, 0, sensor.width);
    window.height = std::clamp(height, 0, sensor.height);
    window.x = std::clamp(x, 0, sensor.width - window.width);
    window.y = std::clamp(y, 0, sensor.height - window.height);
    window.bin_shift = std::clamp(bin_shift, 0, 2);
    return window;
}

int32_t BinShiftForCode(int32_t code) {
    return std::clamp(code, 1, 3) - 1;
}

std::chrono::microseconds ReadoutTime(const FrameWindow &window, bool fast_transfer,
                                      int32_t vblank_lines, bool wide_samples) {
    const int64_t pixel_ns =
        (fast_transfer ? FAST_PIXEL_NS : STANDARD_PIXEL_NS) * (wide_samples ? 2 : 1);
    const int64_t row_ns =
        window.width * pixel_ns + (fast_transfer ? FAST_ROW_OVERHEAD_NS : STANDARD_ROW_OVERHEAD_NS);
    const int64_t rows = window.height + std::clamp(vblank_lines, 0, MAX_VBLANK_LINES);
    return std::chrono::microseconds((rows * row_ns + FRAME_OVERHEAD_NS) / 1000);
}

void FrameGeometry::SetSensor(SensorSize sensor) {
    std::lock_guard lock(mutex_);
    sensor_ = sensor;
    if (!frame_asked_) {
        asked_ = {0, 0, sensor.width, sensor.height, 0};
    }
    window_ =
        ClampWindow(asked_.x, asked_.y, asked_.width, asked_.height, window_.bin_shift, sensor_);
}

void FrameGeometry::SetFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
    std::lock_guard lock(mutex_);
    frame_asked_ = true;
    asked_ = {x, y, width, height, 0};
    window_ = ClampWindow(x, y, width, height, window_.bin_shift, sensor_);
}

void FrameGeometry::SetBinning(int32_t code) {
    std::lock_guard lock(mutex_);
    window_.bin_shift = BinShiftForCode(code);
}

FrameWindow FrameGeometry::Window() const {
    std::lock_guard lock(mutex_);
    return window_;
}

}  // namespace simcam
