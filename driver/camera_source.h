#pragma once

#include <cstdint>

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
