#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "driver/simulator/frame_geometry.h"

namespace simcam {

// Colour planes of the scene; LUMA is what the mono sensor sees.
enum Channel : int32_t { CHANNEL_RED, CHANNEL_GREEN, CHANNEL_BLUE, CHANNEL_LUMA, CHANNEL_COUNT };

// The seeing blurs the image to one of these levels per frame, 0 the sharpest.
inline constexpr int32_t BLUR_LEVELS = 4;

// A point source in scene coordinates (row 0 is the top of the picture as the
// observer should see it). Flux in DN per ms at gain 1, summed over its image.
struct Moon {
    int32_t row;
    int32_t column;
    float flux;
};

// A normalised blur kernel of (2 radius + 1)² weights, row-major.
struct PointSpread {
    int32_t radius = 0;
    std::vector<float> weights;
};

// Everything about the sky and the sensor that stays the same from frame to
// frame, computed once so that a frame only has to shift, scale and add noise:
// the banded, limb-darkened planet at each blur level, the moons and their
// blur, the sensor's dark current with hot pixels, its column offsets, and a
// table of normally distributed noise. Rates are DN per ms at gain 1 of an
// 8-bit sample. The planet sits at the sensor's centre; on a sensor too small
// for it, it and its moons' distances shrink to fit.
class SceneModel {
  public:
    // The planet's patch and centre on the default sensor.
    static constexpr int32_t PATCH_SIZE = 400;
    static constexpr int32_t PLANET_ROW = SENSOR_HEIGHT / 2;
    static constexpr int32_t PLANET_COLUMN = SENSOR_WIDTH / 2;
    static constexpr int32_t NOISE_TABLE_SIZE = 1 << 20;
    // Mean offset of the sensor's columns, DN.
    static constexpr float BIAS_DN = 8.0f;

    explicit SceneModel(SensorSize sensor = {});

    SensorSize Sensor() const { return sensor_; }
    // The planet lives in a square patch of this side, its top-left corner
    // at (PatchTop(), PatchLeft()) in scene coordinates.
    int32_t PatchSize() const { return patch_size_; }
    int32_t PatchTop() const { return patch_top_; }
    int32_t PatchLeft() const { return patch_left_; }
    const float *PlanetRow(int32_t level, Channel channel, int32_t patch_row) const {
        return planet_.data() +
               ((static_cast<size_t>(level) * CHANNEL_COUNT + channel) * patch_size_ + patch_row) *
                   patch_size_;
    }
    const std::vector<Moon> &Moons() const { return moons_; }
    const PointSpread &MoonSpread(int32_t level) const { return moon_spread_[level]; }
    // Dark current of the sensor row that shows scene row `scene_row`.
    const float *DarkRow(int32_t scene_row) const {
        return dark_.data() + static_cast<size_t>(scene_row) * sensor_.width;
    }
    // Offset of each sensor column in DN, the same at every gain.
    const float *ColumnBias() const { return column_bias_.data(); }
    // NOISE_TABLE_SIZE + the sensor's width standard normal values; a row of
    // noise starts anywhere below NOISE_TABLE_SIZE.
    const float *NormalNoise() const { return noise_.data(); }

  private:
    void BuildPlanet();
    void BuildMoons();
    void BuildSensor();

    SensorSize sensor_;
    // The planet's size against its size on the default sensor, at most 1.
    float planet_scale_ = 1.0f;
    int32_t patch_size_ = PATCH_SIZE;
    int32_t patch_top_ = 0;
    int32_t patch_left_ = 0;

    std::vector<float> planet_;  // [level][channel][row][column]
    std::vector<Moon> moons_;
    std::array<PointSpread, BLUR_LEVELS> moon_spread_;
    std::vector<float> dark_;
    std::vector<float> column_bias_;
    std::vector<float> noise_;
};

}  // namespace simcam
