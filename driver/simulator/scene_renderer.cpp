#include "driver/simulator/scene_renderer.h"

#include <algorithm>
#include <cmath>

namespace simcam {

namespace {

// Sensor noise: DN per electron at gain 1, read noise before the amplifier
// (grows with gain) and after it.
constexpr float DN_PER_ELECTRON = 0.12f;
constexpr float READ_NOISE_ELECTRONS = 3.0f;
constexpr float ADC_NOISE_DN = 0.5f;

// How far the air moves the image (pixels, standard deviation) and how much
// it blurs it (mean and spread of the blur level).
struct SeeingProfile {
    float motion_px;
    float blur_mean;
    float blur_spread;
};

SeeingProfile ProfileFor(SeeingKind seeing) {
    switch (seeing) {
        case SeeingKind::Off:
            return {0.0f, 0.0f, 0.0f};
        case SeeingKind::Good:
            return {0.8f, 0.3f, 0.4f};
        case SeeingKind::Average:
            return {2.0f, 1.2f, 0.7f};
        case SeeingKind::Poor:
            return {4.0f, 2.2f, 0.8f};
    }
    return {0.0f, 0.0f, 0.0f};
}

// How strongly the seeing of one frame resembles the last.
constexpr float SEEING_MEMORY = 0.7f;
// Far enough to take any picture off the sensor, small enough for int32 sums.
constexpr float MAX_SHIFT_PX = 100000.0f;

// The colour plane and gain of frame sample (row parity, column parity).
Channel ChannelAt(SensorKind sensor, int32_t row_parity, int32_t column_parity) {
    if (sensor == SensorKind::Mono) {
        return CHANNEL_LUMA;
    }
    static constexpr Channel MOSAIC[2][2] = {{CHANNEL_GREEN, CHANNEL_RED},
                                             {CHANNEL_BLUE, CHANNEL_GREEN}};
    return MOSAIC[row_parity][column_parity];
}

float GainAt(const RenderRequest &request, int32_t row_parity, int32_t column_parity) {
    if (request.sensor == SensorKind::Mono) {
        return request.gains.green;
    }
    if (row_parity == 0) {
        return column_parity == 0 ? request.gains.green : request.gains.red;
    }
    return column_parity == 0 ? request.gains.blue : request.gains.green2;
}

// Rounds and saturates to 0 ... maximum, then drops the low bits. Written as
// min and max: the compiler keeps std::clamp as branches, and the per-pixel
// loops would not vectorise.
template <typename Sample>
inline Sample ToSample(float dn, float maximum, int32_t drop_bits) {
    return static_cast<Sample>(static_cast<int32_t>(std::min(std::max(dn + 0.5f, 0.0f), maximum)) >>
                               drop_bits);
}

int32_t RoundShift(float px) {
    return static_cast<int32_t>(std::lround(std::clamp(px, -MAX_SHIFT_PX, MAX_SHIFT_PX)));
}

}  // namespace

SceneRenderer::SceneRenderer(const SceneModel &model)
    : model_(model),
      random_(0x5EE1A6),
      sensor_row_(model.Sensor().width),
      binned_row_(model.Sensor().width),
      odd_cell_(model.Sensor().width) {
    for (ColumnFactors &factors : factors_) {
        factors.scale.resize(model.Sensor().width);
        factors.shot.resize(model.Sensor().width);
        factors.read.resize(model.Sensor().width);
        factors.bias.resize(model.Sensor().width);
    }
}

void SceneRenderer::Render(const RenderRequest &request, uint8_t *frame) {
    const FrameWindow &window = request.window;
    const int32_t frame_width = window.FrameWidth();
    const int32_t frame_height = window.FrameHeight();
    AdvanceSeeing(request.seeing);
    if (frame == nullptr || frame_width <= 0 || frame_height <= 0) {
        return;
    }
    shift_right_ = RoundShift(motion_right_ + request.drift_right);
    shift_down_ = RoundShift(motion_down_ + request.drift_down);
    PrepareColumns(request);

    const int32_t bit_depth = std::clamp(request.bit_depth, 8, 16);
    const float maximum = static_cast<float>((1 << bit_depth) - 1);
    const int32_t drop_bits = request.wide_samples ? 0 : bit_depth - 8;
    const int32_t bin = 1 << window.bin_shift;
    for (int32_t i = 0; i < frame_height; ++i) {
        const int32_t parity = i & 1;
        for (int32_t r = 0; r < bin; ++r) {
            const int32_t scene_row = model_.Sensor().height - 1 - (window.y + i * bin + r);
            AccumulateSensorRow(request, scene_row, parity, r == 0);
        }
        if (bin > 1) {
            const float *__restrict in = sensor_row_.data();
            float *__restrict out = binned_row_.data();
            for (int32_t j = 0; j < frame_width; ++j) {
                float sum = 0.0f;
                for (int32_t c = 0; c < bin; ++c) {
                    sum += in[j * bin + c];
                }
                out[j] = sum;
            }
        }
        const float *signal = bin > 1 ? binned_row_.data() : sensor_row_.data();
        const size_t row_start = static_cast<size_t>(i) * frame_width;
        if (request.wide_samples) {
            WriteRow(signal, factors_[parity], frame_width, request.noise, maximum, drop_bits,
                     reinterpret_cast<uint16_t *>(frame) + row_start);
        } else {
            WriteRow(signal, factors_[parity], frame_width, request.noise, maximum, drop_bits,
                     frame + row_start);
        }
    }
}

void SceneRenderer::AdvanceSeeing(SeeingKind seeing) {
    const SeeingProfile profile = ProfileFor(seeing);
    const float fresh = std::sqrt(1.0f - SEEING_MEMORY * SEEING_MEMORY);
    motion_right_ = SEEING_MEMORY * motion_right_ + fresh * profile.motion_px * random_.Normal();
    motion_down_ = SEEING_MEMORY * motion_down_ + fresh * profile.motion_px * random_.Normal();
    blur_ = SEEING_MEMORY * blur_ + (1.0f - SEEING_MEMORY) * profile.blur_mean +
            fresh * profile.blur_spread * random_.Normal();
    if (seeing == SeeingKind::Off) {
        motion_right_ = motion_down_ = blur_ = 0.0f;
    }
    level_ = std::clamp(static_cast<int32_t>(std::lround(blur_)), 0, BLUR_LEVELS - 1);
}

void SceneRenderer::PrepareColumns(const RenderRequest &request) {
    const FrameWindow &window = request.window;
    const int32_t bin = 1 << window.bin_shift;
    const float cells = static_cast<float>(bin * bin);
    // DN of this depth per DN of an 8-bit sample: 1 at 8 bits, 4095 / 255 at 12.
    const float depth_scale =
        static_cast<float>((1 << std::clamp(request.bit_depth, 8, 16)) - 1) / 255.0f;
    const int32_t frame_width = window.FrameWidth();
    for (int32_t k = 0; k < frame_width * bin; ++k) {
        odd_cell_[k] = static_cast<float>((k >> window.bin_shift) & 1);
    }
    const float *column_bias = model_.ColumnBias() + window.x;
    for (int32_t parity = 0; parity < 2; ++parity) {
        ColumnFactors &factors = factors_[parity];
        for (int32_t j = 0; j < frame_width; ++j) {
            const float gain = GainAt(request, parity, j & 1);
            const float read_dn = READ_NOISE_ELECTRONS * DN_PER_ELECTRON * gain;
            factors.scale[j] = static_cast<float>(request.exposure_ms) * gain / cells * depth_scale;
            factors.shot[j] = DN_PER_ELECTRON * gain / cells * depth_scale;
            factors.read[j] = (read_dn * read_dn + ADC_NOISE_DN * ADC_NOISE_DN) / cells *
                              (depth_scale * depth_scale);
            float bias = 0.0f;
            for (int32_t c = 0; c < bin; ++c) {
                bias += column_bias[j * bin + c];
            }
            // Noise reduction takes the column pattern out, leaving the mean offset.
            factors.bias[j] =
                (request.noise_reduction ? SceneModel::BIAS_DN : bias / bin) * depth_scale;
        }
    }
}

void SceneRenderer::AccumulateSensorRow(const RenderRequest &request, int32_t scene_row,
                                        int32_t parity, bool first) {
    const int32_t x = request.window.x;
    const int32_t span = request.window.FrameWidth() << request.window.bin_shift;
    float *__restrict row = sensor_row_.data();
    const float *__restrict dark = model_.DarkRow(scene_row) + x;
    if (first) {
        std::copy_n(dark, span, row);
    } else {
        for (int32_t k = 0; k < span; ++k) {
            row[k] += dark[k];
        }
    }

    if (request.covered) {
        return;
    }
    const int32_t patch_size = model_.PatchSize();
    const int32_t patch_row = scene_row - shift_down_ - model_.PatchTop();
    if (patch_row >= 0 && patch_row < patch_size) {
        // Sensor column k sees patch column k + offset.
        const int32_t offset = x - shift_right_ - model_.PatchLeft();
        const int32_t from = std::max(0, -offset);
        const int32_t to = std::min(span, patch_size - offset);
        const Channel even = ChannelAt(request.sensor, parity, 0);
        const Channel odd = ChannelAt(request.sensor, parity, 1);
        const float *__restrict a = model_.PlanetRow(level_, even, patch_row);
        const float *__restrict b = model_.PlanetRow(level_, odd, patch_row);
        if (even == odd) {
            for (int32_t k = from; k < to; ++k) {
                row[k] += a[k + offset];
            }
        } else {
            const float *__restrict odd_cell = odd_cell_.data();
            for (int32_t k = from; k < to; ++k) {
                row[k] += a[k + offset] + odd_cell[k] * (b[k + offset] - a[k + offset]);
            }
        }
    }

    const PointSpread &spread = model_.MoonSpread(level_);
    const int32_t side = 2 * spread.radius + 1;
    for (const Moon &moon : model_.Moons()) {
        const int32_t centre_row = moon.row + shift_down_;
        const int32_t centre_column = moon.column + shift_right_;
        const int32_t dr = scene_row - centre_row;
        if (dr < -spread.radius || dr > spread.radius) {
            continue;
        }
        const float *weights = spread.weights.data() + (dr + spread.radius) * side;
        // Sensor column k takes weight k + offset.
        const int32_t offset = x - centre_column + spread.radius;
        const int32_t from = std::max(0, -offset);
        const int32_t to = std::min(span, side - offset);
        for (int32_t k = from; k < to; ++k) {
            row[k] += moon.flux * weights[k + offset];
        }
    }
}

template <typename Sample>
void SceneRenderer::WriteRow(const float *signal, const ColumnFactors &factors, int32_t frame_width,
                             bool noise, float maximum, int32_t drop_bits, Sample *out) {
    const float *__restrict in = signal;
    const float *__restrict scale = factors.scale.data();
    const float *__restrict bias = factors.bias.data();
    Sample *__restrict target = out;
    if (!noise) {
        for (int32_t j = 0; j < frame_width; ++j) {
            target[j] = ToSample<Sample>(in[j] * scale[j] + bias[j], maximum, drop_bits);
        }
        return;
    }
    const float *__restrict shot = factors.shot.data();
    const float *__restrict read = factors.read.data();
    const float *__restrict normal =
        model_.NormalNoise() + random_.Below(SceneModel::NOISE_TABLE_SIZE);
    for (int32_t j = 0; j < frame_width; ++j) {
        const float dn = in[j] * scale[j];
        const float sigma = std::sqrt(dn * shot[j] + read[j]);
        target[j] = ToSample<Sample>(dn + bias[j] + sigma * normal[j], maximum, drop_bits);
    }
}

}  // namespace simcam
