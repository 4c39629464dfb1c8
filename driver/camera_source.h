#pragma once

#include <cstdint>
#include <string>

// Bayer patterns as the optional entry SensorBayerPattern answers them: the
// colours of the sensor's top-left 2 x 2 cell as the camera counts it.
inline constexpr int32_t BAYER_NONE = 0;  // a mono sensor
inline constexpr int32_t BAYER_RGGB = 1;
inline constexpr int32_t BAYER_GRBG = 2;
inline constexpr int32_t BAYER_GBRG = 3;
inline constexpr int32_t BAYER_BGGR = 4;

// What a camera tells of itself. The defaults describe the camera every
// driver library has: a 2048 x 1536 8-bit sensor with exposures in whole
// milliseconds up to 19999 ms.
struct SensorDescription {
    int32_t width = 2048;
    int32_t height = 1536;
    int32_t bit_depth = 8;  // significant bits of a sample, 8 ... 16
    int32_t bayer_pattern = BAYER_NONE;
    int32_t pixel_size_nm = 0;  // pixel pitch; 0 when unknown
    std::string name;
    int32_t shortest_exposure_us = 0;
    int32_t longest_exposure_us = 19999000;
    int32_t exposure_step_us = 1000;
    int32_t lowest_gain = 0;  // in the camera's own units; both 0 when unknown
    int32_t highest_gain = 0;
};

// What stands behind the driver's entries: one camera, simulated or real.
// Each entry of the library forwards to the current source. The calls and
// the threads they come from are the driver's contract: CancelExposure,
// SetVerticalBlanking, Demosaic and Guide come from the GUI thread, possibly
// during an exposure; the others from the acquisition thread.
class CameraSource {
  public:
    virtual ~CameraSource() = default;

    // 1 when a camera answers, 0 when none does.
    virtual int32_t Connect() = 0;
    // Ends any running exposure (its semaphore is still released).
    virtual void Disconnect() = 0;
    virtual void SetNoiseReduction(bool on) = 0;
    // The platform semaphore released once per exposure (sem_t * on POSIX).
    virtual void SetExposureSemaphore(void *semaphore) = 0;
    // Window in full-sensor pixels; the y offset counts from the bottom edge.
    virtual void SetFrame(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void SetBinning(int32_t code) = 0;
    virtual void SetExposureTime(int32_t ms) = 0;
    // The exposure in microseconds; it replaces what SetExposureTime set.
    virtual void SetExposureTimeUs(int32_t us) { SetExposureTime((us + 500) / 1000); }
    // 8 or 16: the bits of a sample in the buffers StartExposure fills. With
    // 16, two bytes per sample in the machine's order, the value in the low
    // `bit_depth` bits. Connecting sets 8 again.
    virtual void SetSampleDepth(int32_t bits) { (void)bits; }
    // What the connected camera is; valid after Connect answered 1.
    virtual SensorDescription Describe() const { return {}; }
    virtual void SetGain(int32_t red, int32_t green, int32_t blue, int32_t green2) = 0;
    virtual void SetFastTransfer(bool on) = 0;
    // Returns at once; fills the buffer with one frame, then releases the semaphore.
    virtual void StartExposure(uint8_t *buffer) = 0;
    virtual void CancelExposure() = 0;
    virtual void SetVerticalBlanking(int32_t lines) = 0;
    virtual void Guide(int32_t direction_bits, int32_t duration_ms) = 0;
    // Writes width x height blue-green-red pixels from the mosaic.
    virtual void Demosaic(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height) = 0;
};
