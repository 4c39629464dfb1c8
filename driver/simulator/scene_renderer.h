#pragma once

#include <cstdint>
#include <vector>

#include "driver/simulator/camera_controls.h"
#include "driver/simulator/fast_random.h"
#include "driver/simulator/frame_geometry.h"
#include "driver/simulator/scene_model.h"
#include "driver/simulator/sim_settings.h"

namespace simcam {

// Everything one frame depends on.
struct RenderRequest {
    FrameWindow window;
    double exposure_ms = 0.0;
    ChannelGains gains;
    SensorKind sensor = SensorKind::Mono;
    // Significant bits of a sample, 8 ... 16; deeper samples span more DN for
    // the same light, noise and dark current in proportion.
    int32_t bit_depth = 8;
    // Two bytes per sample (machine order, the value in the low bit_depth
    // bits) rather than one; one byte of a deeper sample is its top 8 bits.
    bool wide_samples = false;
    SeeingKind seeing = SeeingKind::Average;
    bool noise = true;
    bool noise_reduction = false;
    // Cap on: no light reaches the sensor, only dark current, offset and noise.
    bool covered = false;
    // Guide drift of the scene in pixels: right and down in the picture.
    float drift_right = 0.0f;
    float drift_down = 0.0f;
};

// Turns the scene model into frames: per frame it picks the seeing (image
// motion and blur level), then per row takes the dark current, adds the
// shifted planet and moons, bins, scales by exposure and gain, adds shot and
// read noise and clamps to the sample depth. Used by one thread at a time.
class SceneRenderer {
  public:
    explicit SceneRenderer(const SceneModel &model);

    // Writes window.FrameWidth() x window.FrameHeight() samples, row-major,
    // of one or two bytes (wide_samples). The window lies on the model's sensor.
    // Frame row i shows sensor rows window.y + i·bin … upward from the
    // sensor's bottom edge, that is scene row height - 1 - (window.y + i)
    // unbinned, so the first row is the window's bottom.
    // A colour sensor delivers a mosaic with even frame rows G R G R ... and
    // odd rows B G B G ..., binned or not.
    void Render(const RenderRequest &request, uint8_t *frame);

  private:
    // Per-column factors of one frame row parity.
    struct ColumnFactors {
        std::vector<float> scale;  // ms x gain / binned cells: summed rates to DN
        std::vector<float> shot;   // noise variance per DN of signal
        std::vector<float> read;   // read noise variance, DN²
        std::vector<float> bias;   // offset, DN
    };

    void AdvanceSeeing(SeeingKind seeing);
    void PrepareColumns(const RenderRequest &request);
    void AccumulateSensorRow(const RenderRequest &request, int32_t scene_row, int32_t parity,
                             bool first);
    // Scales one row of summed rates to DN, adds offset and noise, clamps to
    // `maximum` and keeps the bits above `drop_bits`.
    template <typename Sample>
    void WriteRow(const float *signal, const ColumnFactors &factors, int32_t frame_width,
                  bool noise, float maximum, int32_t drop_bits, Sample *out);

    const SceneModel &model_;
    FastRandom random_;
    // Seeing state, carried from frame to frame.
    float motion_right_ = 0.0f;
    float motion_down_ = 0.0f;
    float blur_ = 0.0f;
    // This frame's image shift and blur level.
    int32_t shift_right_ = 0;
    int32_t shift_down_ = 0;
    int32_t level_ = 0;
    // Row buffers, sized once for the full sensor.
    std::vector<float> sensor_row_;
    std::vector<float> binned_row_;
    std::vector<float> odd_cell_;  // 1 where a sensor column falls in an odd frame column
    ColumnFactors factors_[2];     // even and odd frame rows
};

}  // namespace simcam
