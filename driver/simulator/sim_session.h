#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "driver/camera_source.h"
#include "driver/simulator/camera_controls.h"
#include "driver/simulator/exposure_thread.h"
#include "driver/simulator/frame_geometry.h"
#include "driver/simulator/guide_drift.h"
#include "driver/simulator/scene_model.h"
#include "driver/simulator/scene_renderer.h"
#include "driver/simulator/sim_settings.h"

namespace simcam {

// The simulated camera: a sensor of 2048 x 1536 8-bit samples unless the
// settings say otherwise, mono or colour, looking at a planet with moons
// through moving air. Connecting reads the driver's settings from the
// environment.
class SimSession final : public CameraSource {
  public:
    SimSession();
    ~SimSession() override;

    int32_t Connect() override;
    void Disconnect() override;
    void SetNoiseReduction(bool on) override { controls_.SetNoiseReduction(on); }
    void SetExposureSemaphore(void *semaphore) override;
    void SetFrame(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void SetBinning(int32_t code) override { geometry_.SetBinning(code); }
    void SetExposureTime(int32_t ms) override { controls_.SetExposureMs(ms); }
    void SetExposureTimeUs(int32_t us) override { controls_.SetExposureUs(us); }
    void SetSampleDepth(int32_t bits) override;
    SensorDescription Describe() const override;
    void SetGain(int32_t red, int32_t green, int32_t blue, int32_t green2) override;
    void SetFastTransfer(bool on) override { controls_.SetFastTransfer(on); }
    void StartExposure(uint8_t *buffer) override;
    void CancelExposure() override { exposures_.Cancel(); }
    void SetVerticalBlanking(int32_t lines) override { controls_.SetVblankLines(lines); }
    void Guide(int32_t direction_bits, int32_t duration_ms) override;
    void Demosaic(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height) override;

  private:
    // The sky on one sensor and what renders it; made anew when the sensor's
    // size changes, while exposures still running keep theirs.
    struct Scene {
        explicit Scene(SensorSize sensor) : model(sensor), renderer(model) {}
        SceneModel model;
        SceneRenderer renderer;
    };

    CameraControls controls_;
    FrameGeometry geometry_;
    GuideDrift drift_;
    std::atomic<void *> semaphore_{nullptr};
    std::atomic<bool> wide_samples_{false};

    mutable std::mutex session_mutex_;
    std::shared_ptr<Scene> scene_;
    SimSettings settings_;
    bool connected_ = false;
    int64_t exposures_started_ = 0;

    ExposureThread exposures_;  // last: its worker uses the members above
};

}  // namespace simcam
