#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

namespace simcam {

// The camera's sensor unless OMTRIX_SIM_SIZE sets another.
inline constexpr int32_t SENSOR_WIDTH = 2048;
inline constexpr int32_t SENSOR_HEIGHT = 1536;
inline constexpr int32_t MAX_VBLANK_LINES = 500;

struct SensorSize {
    int32_t width = SENSOR_WIDTH;
    int32_t height = SENSOR_HEIGHT;
    bool operator==(const SensorSize &) const = default;
};

// A window on the sensor in full-sensor pixels. The y offset counts from the
// sensor's bottom edge, and frame row 0 is the window's bottom row.
struct FrameWindow {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = SENSOR_WIDTH;
    int32_t height = SENSOR_HEIGHT;
    int32_t bin_shift = 0;  // 0, 1, 2 for 1x1, 2x2, 4x4 binning

    int32_t FrameWidth() const { return width >> bin_shift; }
    int32_t FrameHeight() const { return height >> bin_shift; }
    // Samples of the frame, which are its bytes at 8 bits.
    int64_t FrameBytes() const { return int64_t{FrameWidth()} * FrameHeight(); }
    bool operator==(const FrameWindow &) const = default;
};

// Fits a requested window onto the sensor. It may only shrink or move what was
// asked for, never grow it, so a frame never exceeds what the caller expects
// from the request nor the full sensor.
FrameWindow ClampWindow(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bin_shift,
                        SensorSize sensor = {});

// Binning code 1, 2, 3 (1x1, 2x2, 4x4) as a shift; codes outside are clamped.
int32_t BinShiftForCode(int32_t code);

// How long the sensor and the USB link take to deliver a window once the
// exposure has ended: every row of the window plus the blanking lines, each row
// its columns at the transfer mode's pixel rate plus a fixed row overhead.
// Samples sent in two bytes (`wide_samples`) take the link twice as long.
std::chrono::microseconds ReadoutTime(const FrameWindow &window, bool fast_transfer,
                                      int32_t vblank_lines, bool wide_samples);

// The window and binning of the next exposure. Set from the acquisition thread,
// read when an exposure starts.
class FrameGeometry {
  public:
    // The window asked for last is fitted onto the new sensor; before any was
    // asked for, the window is the whole sensor.
    void SetSensor(SensorSize sensor);
    void SetFrame(int32_t x, int32_t y, int32_t width, int32_t height);
    void SetBinning(int32_t code);
    FrameWindow Window() const;

  private:
    mutable std::mutex mutex_;
    SensorSize sensor_;
    bool frame_asked_ = false;
    FrameWindow asked_;
    FrameWindow window_;
};

}  // namespace simcam
