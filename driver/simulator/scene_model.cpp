#include "driver/simulator/scene_model.h"

#include <algorithm>
#include <cmath>

#include "driver/simulator/fast_random.h"

namespace simcam {

namespace {

constexpr float PI = 3.14159265f;
constexpr float DEGREES = 180.0f / PI;

// Blur of each level in pixels (Gaussian sigma): optics plus seeing.
constexpr std::array<float, BLUR_LEVELS> BLUR_SIGMA = {0.9f, 1.6f, 2.4f, 3.4f};

// The planet: an oblate disc, brightest zone at the disc centre giving this
// rate in the red channel. At the program's start values (100 ms, gain code
// 13 = 1.625) that is about 200 DN.
constexpr float EQUATOR_RADIUS = 165.0f;
constexpr float POLAR_RADIUS = 154.0f;
constexpr float PLANET_PEAK_RATE = 1.2f;

// Moons along the equator, one well above it; offsets from the planet centre.
struct MoonPlace {
    int32_t right;
    int32_t down;
    float flux;
};
constexpr MoonPlace MOON_PLACES[] = {
    {-780, 4, 9.0f}, {-450, -3, 7.0f}, {380, 2, 8.0f}, {860, -70, 5.0f}};

// Sensor: dark current, warm and hot pixels, amplifier glow in the corner at
// the picture's bottom right, and the column offsets. Most hot pixels stay
// below saturation at short exposures, so that subtracting a dark removes them.
constexpr float DARK_RATE = 0.004f;
constexpr float WARM_PIXEL_SHARE = 0.0025f;
constexpr float HOT_PIXEL_SHARE = 0.0006f;
constexpr float AMP_GLOW_RATE = 0.06f;
constexpr float AMP_GLOW_REACH = 180.0f;
constexpr float COLUMN_BIAS_SPREAD_DN = 0.8f;
constexpr uint64_t SENSOR_SEED = 0x4D454C4B4F544152ull;

struct Rgb {
    float red, green, blue;
};

// A band of latitude, centre and half width in degrees.
float Band(float latitude, float centre, float half_width, float depth) {
    const float d = (latitude - centre) / half_width;
    return depth * std::exp(-d * d);
}

float SmoothStep(float from, float to, float value) {
    const float t = std::clamp((value - from) / (to - from), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// What the planet reflects at (u, v) pixels right of and below its centre, as
// seen with north up; zero off the disc.
Rgb PlanetReflectance(float u, float v) {
    const float x = u / EQUATOR_RADIUS;
    const float y = v / POLAR_RADIUS;
    const float rho2 = x * x + y * y;
    if (rho2 >= 1.0f) {
        return {0.0f, 0.0f, 0.0f};
    }
    const float mu = std::sqrt(1.0f - rho2);
    const float limb = 0.25f + 0.75f * std::pow(mu, 0.6f);
    const float latitude = -std::asin(y) * DEGREES;
    const float cos_latitude = std::sqrt(std::max(1.0f - y * y, 1e-6f));
    const float longitude = std::asin(std::clamp(x / cos_latitude, -1.0f, 1.0f)) * DEGREES;

    // Belt edges wave with longitude (festoons and barges).
    const float wavy =
        latitude + 1.2f * std::sin(longitude * 0.21f) + 0.6f * std::sin(longitude * 0.57f + 1.3f);
    float belt = Band(wavy, 12.0f, 5.0f, 0.55f) + Band(wavy, -13.0f, 3.5f, 0.45f) +
                 Band(wavy, -19.5f, 2.5f, 0.4f) + Band(wavy, 26.0f, 2.5f, 0.3f) +
                 Band(wavy, -29.0f, 2.5f, 0.25f) + Band(wavy, 37.0f, 2.0f, 0.2f) +
                 0.45f * SmoothStep(40.0f, 72.0f, std::abs(latitude));
    belt *= 1.0f + 0.2f * std::sin(longitude * 0.9f + latitude * 0.7f);
    // Small white ovals in the southern temperate belt.
    for (float oval_longitude : {-34.0f, -8.0f, 41.0f}) {
        const float dl = (longitude - oval_longitude) / 3.5f;
        const float db = (latitude + 31.0f) / 2.0f;
        belt -= 0.35f * std::exp(-(dl * dl + db * db));
    }
    belt = std::clamp(belt, 0.0f, 0.85f);
    // The red spot: a flat-topped oval south of the south equatorial belt.
    const float sl = (longitude - 22.0f) / 11.0f;
    const float sb = (latitude + 22.5f) / 6.0f;
    const float d2 = sl * sl + sb * sb;
    const float spot = std::exp(-2.0f * d2 * d2);

    const Rgb zone = {1.0f, 0.97f, 0.88f};
    const Rgb belt_drop = {0.42f, 0.55f, 0.62f};
    const Rgb spot_drop = {0.12f, 0.40f, 0.55f};
    return {zone.red * (1.0f - belt * belt_drop.red) * (1.0f - spot * spot_drop.red) * limb,
            zone.green * (1.0f - belt * belt_drop.green) * (1.0f - spot * spot_drop.green) * limb,
            zone.blue * (1.0f - belt * belt_drop.blue) * (1.0f - spot * spot_drop.blue) * limb};
}

std::vector<float> GaussianKernel(float sigma) {
    const int32_t radius = static_cast<int32_t>(std::ceil(3.0f * sigma));
    std::vector<float> kernel(2 * radius + 1);
    float sum = 0.0f;
    for (int32_t i = -radius; i <= radius; ++i) {
        kernel[i + radius] = std::exp(-0.5f * i * i / (sigma * sigma));
        sum += kernel[i + radius];
    }
    for (float &weight : kernel) {
        weight /= sum;
    }
    return kernel;
}

// Separable Gaussian blur of a size x size plane; outside the plane is black.
void BlurPlane(const float *source, float *target, int32_t size, float sigma) {
    const std::vector<float> kernel = GaussianKernel(sigma);
    const int32_t radius = static_cast<int32_t>(kernel.size() / 2);
    std::vector<float> across(static_cast<size_t>(size) * size, 0.0f);
    for (int32_t row = 0; row < size; ++row) {
        const float *in = source + static_cast<size_t>(row) * size;
        float *out = across.data() + static_cast<size_t>(row) * size;
        for (int32_t k = -radius; k <= radius; ++k) {
            const float weight = kernel[k + radius];
            const int32_t from = std::max(0, -k);
            const int32_t to = std::min(size, size - k);
            for (int32_t column = from; column < to; ++column) {
                out[column] += weight * in[column + k];
            }
        }
    }
    std::fill_n(target, static_cast<size_t>(size) * size, 0.0f);
    for (int32_t row = 0; row < size; ++row) {
        float *out = target + static_cast<size_t>(row) * size;
        for (int32_t k = -radius; k <= radius; ++k) {
            if (row + k < 0 || row + k >= size) {
                continue;
            }
            const float weight = kernel[k + radius];
            const float *in = across.data() + static_cast<size_t>(row + k) * size;
            for (int32_t column = 0; column < size; ++column) {
                out[column] += weight * in[column];
            }
        }
    }
}

}  // namespace

SceneModel::SceneModel(SensorSize sensor) : sensor_(sensor) {
    // The patch takes at most half the sensor's shorter side.
    const int32_t shorter = std::min(sensor.width, sensor.height);
    planet_scale_ = std::min(1.0f, static_cast<float>(shorter) / (2.0f * PATCH_SIZE));
    patch_size_ = std::max(2, static_cast<int32_t>(std::lround(PATCH_SIZE * planet_scale_)) & ~1);
    patch_top_ = sensor.height / 2 - patch_size_ / 2;
    patch_left_ = sensor.width / 2 - patch_size_ / 2;
    BuildPlanet();
    BuildMoons();
    BuildSensor();
}

void SceneModel::BuildPlanet() {
    const int32_t SIZE = patch_size_;
    const size_t plane = static_cast<size_t>(SIZE) * SIZE;
    // The sharp planet, 2 x 2 samples per pixel so the limb is smooth.
    std::vector<float> sharp(3 * plane);
    for (int32_t row = 0; row < SIZE; ++row) {
        for (int32_t column = 0; column < SIZE; ++column) {
            Rgb sum = {0.0f, 0.0f, 0.0f};
            for (float dv : {0.25f, 0.75f}) {
                for (float du : {0.25f, 0.75f}) {
                    const Rgb r = PlanetReflectance((column + du - SIZE / 2) / planet_scale_,
                                                    (row + dv - SIZE / 2) / planet_scale_);
                    sum.red += r.red;
                    sum.green += r.green;
                    sum.blue += r.blue;
                }
            }
            const size_t at = static_cast<size_t>(row) * SIZE + column;
            sharp[at] = 0.25f * PLANET_PEAK_RATE * sum.red;
            sharp[plane + at] = 0.25f * PLANET_PEAK_RATE * sum.green;
            sharp[2 * plane + at] = 0.25f * PLANET_PEAK_RATE * sum.blue;
        }
    }
    planet_.assign(BLUR_LEVELS * CHANNEL_COUNT * plane, 0.0f);
    for (int32_t level = 0; level < BLUR_LEVELS; ++level) {
        float *planes = planet_.data() + level * CHANNEL_COUNT * plane;
        for (int32_t channel = CHANNEL_RED; channel <= CHANNEL_BLUE; ++channel) {
            BlurPlane(sharp.data() + channel * plane, planes + channel * plane, SIZE,
                      BLUR_SIGMA[level]);
        }
        // A mono sensor sees mostly green and red; scaled so that a white
        // surface gives the same rate in every plane.
        for (size_t i = 0; i < plane; ++i) {
            planes[CHANNEL_LUMA * plane + i] =
                0.35f * planes[i] + 0.5f * planes[plane + i] + 0.15f * planes[2 * plane + i];
        }
    }
}

void SceneModel::BuildMoons() {
    // The moons' distances shrink with the planet, and further where the
    // sensor is too narrow to show them all.
    int32_t farthest = 0;
    for (const MoonPlace &place : MOON_PLACES) {
        farthest = std::max(farthest, std::abs(place.right));
    }
    const float spacing =
        std::min(planet_scale_, 0.95f * static_cast<float>(sensor_.width / 2) / farthest);
    for (const MoonPlace &place : MOON_PLACES) {
        const auto scaled = [&](int32_t offset) {
            return static_cast<int32_t>(std::lround(offset * spacing));
        };
        moons_.push_back({sensor_.height / 2 + scaled(place.down),
                          sensor_.width / 2 + scaled(place.right), place.flux});
    }
    for (int32_t level = 0; level < BLUR_LEVELS; ++level) {
        const std::vector<float> kernel = GaussianKernel(BLUR_SIGMA[level]);
        PointSpread &spread = moon_spread_[level];
        spread.radius = static_cast<int32_t>(kernel.size() / 2);
        for (float across : kernel) {
            for (float down : kernel) {
                spread.weights.push_back(across * down);
            }
        }
    }
}

void SceneModel::BuildSensor() {
    const int32_t width = sensor_.width;
    const int32_t height = sensor_.height;
    FastRandom random(SENSOR_SEED);
    dark_.resize(static_cast<size_t>(width) * height);
    for (int32_t row = 0; row < height; ++row) {
        float *out = dark_.data() + static_cast<size_t>(row) * width;
        for (int32_t column = 0; column < width; ++column) {
            // Unit spread from two uniform numbers (triangular): cheap for 3 M pixels.
            const float spread = 2.449f * (random.Uniform() + random.Uniform() - 1.0f);
            float rate = DARK_RATE * (1.0f + 0.3f * spread);
            const float kind = random.Uniform();
            if (kind < HOT_PIXEL_SHARE) {
                rate += 0.1f * std::pow(12.0f, random.Uniform());
            } else if (kind < HOT_PIXEL_SHARE + WARM_PIXEL_SHARE) {
                rate += 0.02f + 0.18f * random.Uniform();
            }
            out[column] = rate;
        }
    }
    // The glow fades to nothing within a few reaches of the corner.
    const int32_t glow_extent = static_cast<int32_t>(8.0f * AMP_GLOW_REACH);
    for (int32_t row = std::max(0, height - glow_extent); row < height; ++row) {
        float *out = dark_.data() + static_cast<size_t>(row) * width;
        for (int32_t column = std::max(0, width - glow_extent); column < width; ++column) {
            const float from_corner = std::hypot(static_cast<float>(height - 1 - row),
                                                 static_cast<float>(width - 1 - column));
            out[column] += AMP_GLOW_RATE * std::exp(-from_corner / AMP_GLOW_REACH);
        }
    }
    column_bias_.resize(width);
    for (float &bias : column_bias_) {
        bias = SceneModel::BIAS_DN + COLUMN_BIAS_SPREAD_DN * random.Normal();
    }
    noise_.resize(NOISE_TABLE_SIZE + width);
    for (float &value : noise_) {
        value = random.Normal();
    }
}

}  // namespace simcam
