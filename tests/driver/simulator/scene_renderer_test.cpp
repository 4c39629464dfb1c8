#include "driver/simulator/scene_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "driver/speed_check.h"

namespace simcam {
namespace {

// The planet's bottom row counted from the sensor's bottom edge, and a 400 x 400 window on it.
constexpr int32_t PLANET_Y = SENSOR_HEIGHT - 1 - SceneModel::PLANET_ROW;
const FrameWindow PLANET_WINDOW =
    ClampWindow(SceneModel::PLANET_COLUMN - 200, PLANET_Y - 200, 400, 400, 0);
// Empty sky at the picture's lower left.
const FrameWindow SKY_WINDOW = ClampWindow(100, 100, 256, 256, 0);

class SceneRendererTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { model_ = std::make_unique<SceneModel>(); }
    static void TearDownTestSuite() { model_.reset(); }

    // Steady air and no noise: the same settings always give the same frame.
    static RenderRequest Steady(FrameWindow window, double exposure_ms, int32_t gain_code,
                                SensorKind sensor = SensorKind::Mono) {
        RenderRequest request;
        request.window = window;
        request.exposure_ms = exposure_ms;
        const float gain = AnalogueGainForCode(gain_code);
        request.gains = {gain, gain, gain, gain};
        request.sensor = sensor;
        request.seeing = SeeingKind::Off;
        request.noise = false;
        return request;
    }

    std::vector<uint8_t> Render(const RenderRequest &request) {
        std::vector<uint8_t> frame(request.window.FrameBytes());
        renderer_.Render(request, frame.data());
        return frame;
    }

    static std::unique_ptr<SceneModel> model_;
    SceneRenderer renderer_{*model_};
};

std::unique_ptr<SceneModel> SceneRendererTest::model_;

uint8_t Percentile(std::vector<uint8_t> samples, double share) {
    const size_t at = static_cast<size_t>(share * (samples.size() - 1));
    std::nth_element(samples.begin(), samples.begin() + at, samples.end());
    return samples[at];
}

double Mean(const std::vector<uint8_t> &samples) {
    return std::accumulate(samples.begin(), samples.end(), 0.0) / samples.size();
}

TEST_F(SceneRendererTest, StartValuesExposeThePlanetWell) {
    // The program starts at 100 ms and gain 10 %, gain code 13.
    for (SensorKind sensor : {SensorKind::Mono, SensorKind::Colour}) {
        const uint8_t peak = Percentile(Render(Steady(PLANET_WINDOW, 100, 13, sensor)), 0.999);
        EXPECT_GE(peak, 180);
        EXPECT_LE(peak, 220);
    }
}

TEST_F(SceneRendererTest, BrightnessRisesWithExposureAndGainUntilSaturation) {
    const std::pair<double, int32_t> steps[] = {{10, 13},  {30, 13},    {100, 13},   {100, 20},
                                                {100, 32}, {300, 0x58}, {1000, 0x67}};
    double previous_mean = 0.0;
    std::vector<uint8_t> frame;
    for (const auto &[exposure_ms, gain_code] : steps) {
        frame = Render(Steady(PLANET_WINDOW, exposure_ms, gain_code));
        const double mean = Mean(frame);
        EXPECT_GT(mean, previous_mean) << exposure_ms << " ms, code " << gain_code;
        previous_mean = mean;
    }
    // At the longest exposure and highest gain the whole disc (half the window) is white.
    EXPECT_EQ(Percentile(frame, 0.55), 255);
}

TEST_F(SceneRendererTest, FrameRowZeroIsTheBottomOfThePicture) {
    // The moon placed well above the equator must appear in the frame row
    // counted from the bottom, not at its row counted from the top.
    const Moon &high_moon = model_->Moons().back();
    ASSERT_LT(high_moon.row, SceneModel::PLANET_ROW - 20);
    const std::vector<uint8_t> frame = Render(Steady(FrameWindow{}, 100, 13));
    const auto box_sum = [&](int32_t frame_row, int32_t column) {
        int sum = 0;
        for (int32_t r = frame_row - 2; r <= frame_row + 2; ++r) {
            for (int32_t c = column - 2; c <= column + 2; ++c) {
                sum += frame[static_cast<size_t>(r) * SENSOR_WIDTH + c];
            }
        }
        return sum;
    };
    const int upright = box_sum(SENSOR_HEIGHT - 1 - high_moon.row, high_moon.column);
    const int flipped = box_sum(high_moon.row, high_moon.column);
    EXPECT_GT(upright, 3 * flipped);
}

TEST_F(SceneRendererTest, ColourMosaicKeepsItsPatternWhenBinned) {
    for (int32_t bin_shift = 0; bin_shift <= 2; ++bin_shift) {
        for (SensorKind sensor : {SensorKind::Mono, SensorKind::Colour}) {
            RenderRequest request = Steady(PLANET_WINDOW, 100, 13, sensor);
            request.window.bin_shift = bin_shift;
            const std::vector<uint8_t> frame = Render(request);
            const int32_t width = request.window.FrameWidth();
            // Mean of each site of the 2 x 2 pattern, [row parity][column parity].
            double sums[2][2] = {}, counts[2][2] = {};
            for (size_t i = 0; i < frame.size(); ++i) {
                const size_t row = i / width % 2, column = i % width % 2;
                sums[row][column] += frame[i];
                counts[row][column] += 1;
            }
            const double green = sums[0][0] / counts[0][0], red = sums[0][1] / counts[0][1];
            const double blue = sums[1][0] / counts[1][0], green2 = sums[1][1] / counts[1][1];
            EXPECT_NEAR(green2 / green, 1.0, 0.05) << "binning shift " << bin_shift;
            if (sensor == SensorKind::Colour) {
                // The planet is tan: more red than green, more green than blue.
                EXPECT_GT(red, 1.05 * green) << "binning shift " << bin_shift;
                EXPECT_GT(green, 1.05 * blue) << "binning shift " << bin_shift;
            } else {
                EXPECT_NEAR(red / blue, 1.0, 0.05) << "binning shift " << bin_shift;
            }
        }
    }
}

TEST_F(SceneRendererTest, SeeingChangesEveryFrameOnlyWhenTheAirMoves) {
    RenderRequest request = Steady(PLANET_WINDOW, 100, 13);
    EXPECT_EQ(Render(request), Render(request));
    request.seeing = SeeingKind::Average;
    int differing_frames = 0;
    std::vector<uint8_t> previous = Render(request);
    for (int i = 0; i < 5; ++i) {
        std::vector<uint8_t> frame = Render(request);
        differing_frames += frame != previous;
        previous = std::move(frame);
    }
    EXPECT_GE(differing_frames, 4);
}

TEST_F(SceneRendererTest, NoiseGrowsWithGain) {
    const auto noise_at = [&](int32_t gain_code) {
        RenderRequest request = Steady(SKY_WINDOW, 10, gain_code);
        request.noise = true;
        const std::vector<uint8_t> a = Render(request), b = Render(request);
        double sum = 0.0;
        for (size_t i = 0; i < a.size(); ++i) {
            const double d = static_cast<double>(a[i]) - b[i];
            sum += d * d;
        }
        return std::sqrt(sum / a.size() / 2.0);
    };
    const double low = noise_at(8), high = noise_at(0x67);
    EXPECT_GT(low, 0.2);
    EXPECT_GT(high, 4.0 * low);
}

TEST_F(SceneRendererTest, DarkFrameFromTheCoveredCameraRemovesHotPixels) {
    RenderRequest request = Steady(SKY_WINDOW, 100, 13);
    request.noise = true;
    request.seeing = SeeingKind::Average;
    const std::vector<uint8_t> light = Render(request);
    request.covered = true;
    const std::vector<uint8_t> dark = Render(request);
    const auto bright = [](const std::vector<uint8_t> &frame) {
        return std::count_if(frame.begin(), frame.end(), [](uint8_t s) { return s > 20; });
    };
    // Subtracted as the program does: saturated samples stay, the rest floor at 0.
    std::vector<uint8_t> corrected(light.size());
    for (size_t i = 0; i < light.size(); ++i) {
        corrected[i] = light[i] == 255 ? 255 : (dark[i] < light[i] ? light[i] - dark[i] : 0);
    }
    EXPECT_GT(bright(light), 50);
    EXPECT_LT(bright(corrected), bright(light) / 10);

    const uint8_t covered_planet = Percentile(Render(Steady(PLANET_WINDOW, 100, 13)), 0.9);
    request = Steady(PLANET_WINDOW, 100, 13);
    request.covered = true;
    EXPECT_LT(Percentile(Render(request), 0.9), covered_planet / 4);
}

TEST_F(SceneRendererTest, DeepSamplesSpanTheDepthAndNarrowToTheirTopBits) {
    for (int32_t bits : {8, 10, 12, 16}) {
        const uint32_t maximum = (1u << bits) - 1;
        const auto render_wide = [&](double exposure_ms, int32_t gain_code) {
            RenderRequest request = Steady(PLANET_WINDOW, exposure_ms, gain_code);
            request.bit_depth = bits;
            request.wide_samples = true;
            std::vector<uint16_t> frame(request.window.FrameBytes());
            renderer_.Render(request, reinterpret_cast<uint8_t *>(frame.data()));
            return frame;
        };
        // At the start values the disc is bright, short of saturation.
        std::vector<uint16_t> frame = render_wide(100, 13);
        std::vector<uint16_t> sorted = frame;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() * 999 / 1000, sorted.end());
        const uint16_t peak = sorted[sorted.size() * 999 / 1000];
        EXPECT_GT(peak, 0.65 * maximum) << bits << " bits";
        EXPECT_LT(peak, 0.9 * maximum) << bits << " bits";

        // One byte of a deep sample is its top 8 bits.
        RenderRequest narrow = Steady(PLANET_WINDOW, 100, 13);
        narrow.bit_depth = bits;
        const std::vector<uint8_t> narrowed = Render(narrow);
        size_t mismatches = 0;
        for (size_t i = 0; i < frame.size(); ++i) {
            mismatches += narrowed[i] != frame[i] >> (bits - 8);
        }
        EXPECT_EQ(mismatches, 0u) << bits << " bits";

        // Saturated samples sit exactly at the depth's maximum, never above.
        frame = render_wide(1000, 0x67);
        EXPECT_EQ(*std::max_element(frame.begin(), frame.end()), maximum) << bits << " bits";
        EXPECT_GT(std::count(frame.begin(), frame.end(), maximum), 40000) << bits << " bits";
    }
}

struct SensorSizeCase {
    SensorSize sensor;
    // The disc's height through its centre, in pixels.
    int32_t shortest_disc, longest_disc;
};

TEST(SceneModelSizes, PlanetSitsWholeAtTheCentreOfEverySensor) {
    // Small sensors show the planet over about 40 % of their height; larger
    // ones as on the default sensor, 2 x 154 pixels pole to pole.
    const SensorSizeCase cases[] = {
        {{64, 64}, 20, 30},
        {{320, 240}, 80, 105},
        {{1304, 976}, 295, 320},
        {{4096, 3072}, 295, 320},
    };
    for (const SensorSizeCase &c : cases) {
        const SceneModel model(c.sensor);
        SceneRenderer renderer(model);
        RenderRequest request;
        request.window = ClampWindow(0, 0, c.sensor.width, c.sensor.height, 0, c.sensor);
        request.exposure_ms = 100;
        request.gains = {1.625f, 1.625f, 1.625f, 1.625f};
        request.seeing = SeeingKind::Off;
        request.noise = false;
        std::vector<uint8_t> frame(request.window.FrameBytes());
        renderer.Render(request, frame.data());
        const auto at = [&](int32_t row, int32_t column) {
            return frame[static_cast<size_t>(row) * c.sensor.width + column];
        };
        const std::string size =
            std::to_string(c.sensor.width) + "x" + std::to_string(c.sensor.height);
        // The disc's rows through the centre column: three bright in a row
        // begin and end it, so that a hot pixel does not.
        const auto bright = [&](int32_t row) {
            return row >= 0 && row < c.sensor.height && at(row, c.sensor.width / 2) > 30;
        };
        int32_t bottom = 0;
        while (bottom < c.sensor.height &&
               !(bright(bottom) && bright(bottom + 1) && bright(bottom + 2))) {
            ++bottom;
        }
        int32_t top = c.sensor.height - 1;
        while (top > 0 && !(bright(top) && bright(top - 1) && bright(top - 2))) {
            --top;
        }
        const int32_t disc = top - bottom + 1;
        EXPECT_GE(disc, c.shortest_disc) << size;
        EXPECT_LE(disc, c.longest_disc) << size;
        // Centred: as much sky above the disc as below it.
        EXPECT_NEAR(bottom, c.sensor.height - 1 - top, 2) << size;
        // Nothing bright on the top and bottom rows but a hot pixel or two.
        int32_t bright_edge = 0;
        for (int32_t column = 0; column < c.sensor.width; ++column) {
            bright_edge += (at(0, column) > 30) + (at(c.sensor.height - 1, column) > 30);
        }
        EXPECT_LE(bright_edge, 2 + c.sensor.width / 100) << size;
    }
}

TEST_F(SceneRendererTest, FullFrameRendersFasterThanItsFastReadOut) {
    if (!SpeedIsMeasurable()) {
        GTEST_SKIP() << "timing needs an optimised build without sanitizers";
    }
    const double readout_ms = ReadoutTime(FrameWindow{}, true, 0, false).count() / 1000.0;
    std::vector<uint8_t> frame(static_cast<size_t>(SENSOR_WIDTH) * SENSOR_HEIGHT);
    for (SensorKind sensor : {SensorKind::Mono, SensorKind::Colour}) {
        RenderRequest request;
        request.exposure_ms = 100;
        request.sensor = sensor;
        const double render_ms = BestMs(6, [&] { renderer_.Render(request, frame.data()); });
        std::printf("full frame (%s): render %.2f ms, fast read-out %.2f ms\n",
                    sensor == SensorKind::Mono ? "mono" : "colour", render_ms, readout_ms);
        EXPECT_LT(render_ms, readout_ms);
    }
}

}  // namespace
}  // namespace simcam
