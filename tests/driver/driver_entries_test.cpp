// The driver contract, through MELKOTAR.DLL loaded as the program loads it.

#include <gtest/gtest.h>

#include <semaphore.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "camera/camera_sensor.h"
#include "camera/driver_api.h"
#include "driver/simulator/frame_geometry.h"
#include "driver/simulator/guide_drift.h"
#include "driver/speed_check.h"

namespace {

using Clock = std::chrono::steady_clock;
using Environment = std::vector<std::pair<const char *, const char *>>;

constexpr const char *SIM_VARIABLES[] = {
    "OMTRIX_SIM_SENSOR", "OMTRIX_SIM_FAULT", "OMTRIX_SIM_SEEING", "OMTRIX_SIM_NOISE",
    "OMTRIX_SIM_CAP",    "OMTRIX_SIM_SIZE",  "OMTRIX_SIM_BITS"};
// Steady air and no noise: the same settings always give the same frame.
const Environment STEADY = {{"OMTRIX_SIM_SEEING", "off"}, {"OMTRIX_SIM_NOISE", "off"}};
// The program's frame buffers.
constexpr size_t BUFFER_BYTES = 6000000;
constexpr int32_t WIDTH = simcam::SENSOR_WIDTH;
constexpr int32_t HEIGHT = simcam::SENSOR_HEIGHT;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class DriverEntriesTest : public ::testing::Test {
  protected:
    void Load(const Environment &environment) {
        for (const char *name : SIM_VARIABLES) {
            unsetenv(name);
        }
        for (const auto &[name, value] : environment) {
            setenv(name, value, 1);
        }
        std::string missing;
        ASSERT_TRUE(LoadCameraDriver(library_, DRIVER_LIBRARY_PATH, driver_, missing)) << missing;
        driver_._staticCall();
        driver_.CopyRight();
    }

    // Loads and connects as the program starts the camera.
    void Connect(const Environment &environment = {}) {
        ASSERT_NO_FATAL_FAILURE(Load(environment));
        ASSERT_EQ(driver_.openUSB(0), 1);
        driver_.SetNoiseReduction(1);
        driver_.ExposureSemaphore(semaphore_.Handle());
    }

    void Program(int32_t x, int32_t y, int32_t width, int32_t height, int32_t binning,
                 int32_t exposure_ms, int32_t gain_code = 13, int32_t fast = 1) {
        driver_.SetFrame(x, y, width, height);
        driver_.SetBinning(binning);
        driver_.SetExpoTime(exposure_ms);
        driver_.SetGain(gain_code, gain_code, gain_code, gain_code);
        driver_.HighVolumeUSB(fast);
    }

    // Takes one release of the driver's semaphore; false when none comes in
    // time. Polls with sem_trywait, which ThreadSanitizer understands as the
    // partner of the driver's sem_post; it does not know the sem_clockwait of
    // DriverSemaphore::Wait and would report every frame byte as a race.
    bool Released(uint32_t timeout_ms) {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        while (sem_trywait(semaphore_.Handle()) != 0) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        return true;
    }

    // One exposure; false when its semaphore does not come within the time.
    bool Expose(uint8_t *buffer, uint32_t timeout_ms = 10000) {
        driver_.ThreadedExposure(buffer);
        return Released(timeout_ms);
    }

    std::vector<uint8_t> Frame(size_t bytes) {
        std::vector<uint8_t> frame(bytes);
        EXPECT_TRUE(Expose(frame.data()));
        return frame;
    }

    DriverSemaphore semaphore_;  // outlives the library, which may still hold it
    DynamicLibrary library_;
    CameraDriver driver_;
};

TEST_F(DriverEntriesTest, OpenUsbAnswersWhetherACameraIsThere) {
    const std::pair<Environment, int32_t> cases[] = {
        {{}, 1}, {{{"OMTRIX_SIM_FAULT", "no-camera"}}, 0}, {{{"OMTRIX_SIM_FAULT", "hang"}}, 1}};
    for (const auto &[environment, answer] : cases) {
        ASSERT_NO_FATAL_FAILURE(Load(environment));
        EXPECT_EQ(driver_.openUSB(0), answer);
        library_.Close();
    }
}

TEST_F(DriverEntriesTest, SettingsMadeBeforeConnectingHold) {
    // The program turns noise reduction on before it connects; it takes the
    // column offsets out, so a frame without light or noise is flat.
    const auto columns_differ = [&](int32_t noise_reduction) {
        Load(STEADY);
        driver_.SetNoiseReduction(noise_reduction);
        EXPECT_EQ(driver_.openUSB(0), 1);
        driver_.ExposureSemaphore(semaphore_.Handle());
        Program(0, 0, 256, 4, 1, 0);
        const std::vector<uint8_t> frame = Frame(BUFFER_BYTES);
        library_.Close();
        return !std::equal(frame.begin() + 1, frame.begin() + 256, frame.begin());
    };
    EXPECT_FALSE(columns_differ(1));
    EXPECT_TRUE(columns_differ(0));
}

struct SizeCase {
    int32_t x, y, width, height, binning;
    int32_t frame_width, frame_height;
};

TEST_F(DriverEntriesTest, FramesFillExactlyTheBinnedWindow) {
    ASSERT_NO_FATAL_FAILURE(Connect(STEADY));
    const SizeCase cases[] = {
        {0, 0, 2048, 1536, 1, 2048, 1536},
        {0, 0, 2048, 1536, 2, 1024, 768},
        {0, 0, 2048, 1536, 3, 512, 384},
        {864, 648, 320, 240, 1, 320, 240},
        {100, 200, 642, 481, 2, 321, 240},
        {100, 200, 642, 481, 3, 160, 120},
        // Requests the sensor cannot serve as asked.
        {1800, 1400, 640, 480, 1, 640, 480},
        {-50, -50, 4096, 3072, 1, 2048, 1536},
        {0, 0, 0, 100, 1, 0, 0},
        {10, 10, 64, 64, 9, 16, 16},
    };
    std::vector<uint8_t> zeros(BUFFER_BYTES), ones(BUFFER_BYTES);
    for (const SizeCase &c : cases) {
        Program(c.x, c.y, c.width, c.height, c.binning, 0);
        std::fill(zeros.begin(), zeros.end(), 0x00);
        std::fill(ones.begin(), ones.end(), 0xFF);
        ASSERT_TRUE(Expose(zeros.data()));
        ASSERT_TRUE(Expose(ones.data()));
        // Written bytes agree in both buffers; untouched ones keep the fill.
        const size_t frame_bytes = size_t(c.frame_width) * c.frame_height;
        const auto first_difference = std::mismatch(zeros.begin(), zeros.end(), ones.begin());
        EXPECT_EQ(size_t(first_difference.first - zeros.begin()), frame_bytes)
            << c.width << " x " << c.height << " binning " << c.binning;
        EXPECT_TRUE(std::all_of(zeros.begin() + frame_bytes, zeros.end(),
                                [](uint8_t b) { return b == 0x00; }));
    }
}

TEST_F(DriverEntriesTest, ReleasesTheSemaphoreOncePerExposure) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    Program(864, 648, 320, 240, 1, 0);
    std::vector<uint8_t> buffer(BUFFER_BYTES);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(Expose(buffer.data()));
    }
    // Exposures started back to back are served one after the other.
    std::vector<uint8_t> more(3 * BUFFER_BYTES);
    for (int i = 0; i < 3; ++i) {
        driver_.ThreadedExposure(more.data() + i * BUFFER_BYTES);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(Released(5000));
    }
    EXPECT_FALSE(Released(300));
}

TEST_F(DriverEntriesTest, CancelEndsALongExposureEarlyWithAFilledBuffer) {
    ASSERT_NO_FATAL_FAILURE(Connect(STEADY));
    // 20 s would saturate the whole disc.
    Program(824, 567, 400, 400, 1, 20000);
    std::vector<uint8_t> buffer(BUFFER_BYTES, 0xFF);
    const Clock::time_point start = Clock::now();
    driver_.ThreadedExposure(buffer.data());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::thread([&] { driver_.CancelExposure(); }).join();
    ASSERT_TRUE(Released(5000));
    EXPECT_LT(MsSince(start), 2000.0);
    std::vector<uint8_t> frame(buffer.begin(), buffer.begin() + 400 * 400);
    std::nth_element(frame.begin(), frame.begin() + frame.size() * 9 / 10, frame.end());
    EXPECT_LT(frame[frame.size() * 9 / 10], 255) << "a shorter exposure, not a white one";
    EXPECT_FALSE(Released(300));
}

TEST_F(DriverEntriesTest, CancelWithNothingRunningLeavesTheNextExposureAlone) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    Program(864, 648, 320, 240, 1, 300);
    driver_.CancelExposure();
    std::vector<uint8_t> buffer(BUFFER_BYTES);
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(Expose(buffer.data()));
    EXPECT_GE(MsSince(start), 300.0);
}

TEST_F(DriverEntriesTest, CameraThatStopsAnsweringEndsExposuresOnlyWhenCancelled) {
    ASSERT_NO_FATAL_FAILURE(Connect({{"OMTRIX_SIM_FAULT", "hang:2"}}));
    Program(864, 648, 320, 240, 1, 0);
    std::vector<uint8_t> buffer(BUFFER_BYTES, 0xFF);
    ASSERT_TRUE(Expose(buffer.data()));
    ASSERT_TRUE(Expose(buffer.data()));
    std::fill(buffer.begin(), buffer.end(), 0xFF);
    EXPECT_FALSE(Expose(buffer.data(), 400));
    driver_.CancelExposure();
    ASSERT_TRUE(Released(2000));
    EXPECT_TRUE(
        std::all_of(buffer.begin(), buffer.begin() + 320 * 240, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(
        std::all_of(buffer.begin() + 320 * 240, buffer.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_FALSE(Released(200));
}

TEST_F(DriverEntriesTest, WindowOffsetCountsFromTheSensorBottom) {
    ASSERT_NO_FATAL_FAILURE(Connect(STEADY));
    Program(0, 0, WIDTH, HEIGHT, 1, 100);
    const std::vector<uint8_t> full = Frame(BUFFER_BYTES);
    const int32_t x = 512, width = 640, height = 480;
    for (int32_t y : {0, 700, HEIGHT - height}) {
        Program(x, y, width, height, 1, 100);
        const std::vector<uint8_t> window = Frame(BUFFER_BYTES);
        for (int32_t i = 0; i < height; ++i) {
            const auto row = window.begin() + size_t(i) * width;
            ASSERT_TRUE(std::equal(row, row + width, full.begin() + size_t(y + i) * WIDTH + x))
                << "window at y " << y << ", frame row " << i;
        }
    }
}

TEST_F(DriverEntriesTest, ColourSensorFramesDemosaicIntoATanPlanet) {
    ASSERT_NO_FATAL_FAILURE(Connect({{"OMTRIX_SIM_SENSOR", "colour"}}));
    Program(824, 567, 400, 400, 2, 100);
    const int32_t width = 200, height = 200;
    const std::vector<uint8_t> mosaic = Frame(BUFFER_BYTES);
    // As the program calls it: one row less than the frame.
    std::vector<uint8_t> bgr(size_t(width) * (height - 1) * 3 + 64, 0xA7);
    driver_.debayerImage(mosaic.data(), bgr.data(), width, height - 1);
    EXPECT_TRUE(std::all_of(bgr.end() - 64, bgr.end(), [](uint8_t b) { return b == 0xA7; }));
    double blue = 0, green = 0, red = 0;
    for (int32_t r = 80; r < 120; ++r) {
        for (int32_t c = 80; c < 120; ++c) {
            const uint8_t *pixel = &bgr[(size_t(r) * width + c) * 3];
            blue += pixel[0], green += pixel[1], red += pixel[2];
        }
    }
    EXPECT_GT(red, green);
    EXPECT_GT(green, blue);
    EXPECT_GT(blue, 40.0 * 40 * 60) << "the disc centre is bright";
}

// Centre of the bright samples of a frame: column, then row counted from the bottom.
std::pair<double, double> Centroid(const std::vector<uint8_t> &frame, int32_t width,
                                   int32_t height) {
    double columns = 0, rows = 0, count = 0;
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            if (frame[size_t(r) * width + c] > 100) {
                columns += c, rows += r, count += 1;
            }
        }
    }
    return {columns / count, rows / count};
}

TEST_F(DriverEntriesTest, GuidePulsesDriftThePlanetWhileTheyRun) {
    ASSERT_NO_FATAL_FAILURE(Connect(STEADY));
    // Short but bright enough to find the disc.
    Program(0, 0, WIDTH, HEIGHT, 2, 10, 0x67);
    const int32_t width = WIDTH / 2, height = HEIGHT / 2;
    // Bit, then the drift's sign to the right and up in the picture.
    const std::tuple<int32_t, int, int> cases[] = {{GUIDE_DEC_PLUS, 0, 1},
                                                   {GUIDE_DEC_MINUS, 0, -1},
                                                   {GUIDE_RA_MINUS, -1, 0},
                                                   {GUIDE_RA_PLUS, 1, 0}};
    for (const auto &[bits, right, up] : cases) {
        const auto before = Centroid(Frame(BUFFER_BYTES), width, height);
        driver_.GuideCommand(bits, 60000);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        driver_.GuideCommand(0, 0);
        const auto after = Centroid(Frame(BUFFER_BYTES), width, height);
        // 30 px/s for 0.4 s is 12 sensor pixels, 6 binned ones.
        EXPECT_NEAR(after.first - before.first, 6.0 * right, 2.5) << "bits " << bits;
        EXPECT_NEAR(after.second - before.second, 6.0 * up, 2.5) << "bits " << bits;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(Centroid(Frame(BUFFER_BYTES), width, height), after) << "stopped";
    }
}

TEST_F(DriverEntriesTest, CoveredCameraSeesNoPlanet) {
    const std::string cap = ::testing::TempDir() + "omtrix_sim_cap";
    std::remove(cap.c_str());
    ASSERT_NO_FATAL_FAILURE(Connect({{"OMTRIX_SIM_CAP", cap.c_str()}}));
    Program(824, 567, 400, 400, 1, 100);
    const auto disc_level = [&] {
        std::vector<uint8_t> frame = Frame(BUFFER_BYTES);
        std::nth_element(frame.begin(), frame.begin() + 400 * 400 * 8 / 10,
                         frame.begin() + 400 * 400);
        return frame[400 * 400 * 8 / 10];
    };
    const uint8_t open = disc_level();
    std::fclose(std::fopen(cap.c_str(), "w"));
    const uint8_t covered = disc_level();
    std::remove(cap.c_str());
    EXPECT_GT(open, 100);
    EXPECT_LT(covered, 30);
    EXPECT_GT(disc_level(), 100);
}

struct DescriptionCase {
    Environment environment;
    int32_t width, height, bit_depth;
    BayerPattern pattern;
};

TEST_F(DriverEntriesTest, OptionalEntriesDescribeTheSimulatedCamera) {
    const DescriptionCase cases[] = {
        {{}, 2048, 1536, 8, BayerPattern::None},
        {{{"OMTRIX_SIM_SIZE", "1304x976"},
          {"OMTRIX_SIM_BITS", "12"},
          {"OMTRIX_SIM_SENSOR", "colour"}},
         1304,
         976,
         12,
         BayerPattern::BGGR},
        {{{"OMTRIX_SIM_SIZE", "4096x3072"}, {"OMTRIX_SIM_BITS", "16"}},
         4096,
         3072,
         16,
         BayerPattern::None},
        {{{"OMTRIX_SIM_SIZE", "1305x976"}, {"OMTRIX_SIM_BITS", "14"}},
         2048,
         1536,
         8,
         BayerPattern::None},
    };
    for (const DescriptionCase &c : cases) {
        ASSERT_NO_FATAL_FAILURE(Connect(c.environment));
        std::string complaint;
        const CameraSensor sensor = DescribeCamera(driver_, complaint);
        const std::string context = std::to_string(c.width) + "x" + std::to_string(c.height);
        EXPECT_TRUE(sensor.described) << context;
        EXPECT_EQ(complaint, "") << context;
        EXPECT_EQ(sensor.width, c.width) << context;
        EXPECT_EQ(sensor.height, c.height) << context;
        EXPECT_EQ(sensor.bit_depth, c.bit_depth) << context;
        EXPECT_EQ(sensor.pattern, c.pattern) << context;
        EXPECT_EQ(sensor.pixel_size_nm, 3750) << context;
        EXPECT_NE(sensor.name.find(c.pattern == BayerPattern::None ? "mono" : "colour"),
                  std::string::npos)
            << sensor.name;
        EXPECT_EQ(sensor.shortest_exposure_us, 10) << context;
        EXPECT_EQ(sensor.longest_exposure_us, 19999000) << context;
        EXPECT_EQ(sensor.exposure_step_us, 1) << context;
        EXPECT_EQ(sensor.lowest_gain, 1) << context;
        EXPECT_EQ(sensor.highest_gain, 0x67) << context;
        library_.Close();
    }
}

TEST_F(DriverEntriesTest, SixteenBitSamplesFillTheDescribedSensor) {
    ASSERT_NO_FATAL_FAILURE(Connect({{"OMTRIX_SIM_SIZE", "1304x976"}, {"OMTRIX_SIM_BITS", "12"}}));
    constexpr size_t SAMPLES = 1304 * 976;
    constexpr uint8_t UNTOUCHED = 0xA5;
    // The program's full frame, cut to the smaller sensor.
    Program(0, 0, WIDTH, HEIGHT, 1, 300);
    for (int32_t depth : {16, 8}) {
        driver_.SetSampleDepth(depth);
        std::vector<uint8_t> buffer(BUFFER_BYTES, UNTOUCHED);
        ASSERT_TRUE(Expose(buffer.data()));
        const size_t bytes = SAMPLES * depth / 8;
        EXPECT_TRUE(std::all_of(buffer.begin() + bytes, buffer.end(),
                                [](uint8_t b) { return b == UNTOUCHED; }))
            << depth << "-bit samples written past the frame";
        uint32_t brightest = 0;
        for (size_t i = 0; i < SAMPLES; ++i) {
            uint16_t sample = buffer[i];
            if (depth == 16) {
                std::memcpy(&sample, buffer.data() + 2 * i, 2);
            }
            brightest = std::max<uint32_t>(brightest, sample);
        }
        // A 300 ms exposure saturates the disc: at 4095 in 16-bit words, at
        // 255 in its top 8 bits.
        EXPECT_EQ(brightest, depth == 16 ? 4095u : 255u);
    }
    // Connecting again starts with 8-bit samples, whatever was asked before.
    driver_.SetSampleDepth(16);
    ASSERT_EQ(driver_.openUSB(0), 1);
    std::vector<uint8_t> buffer(BUFFER_BYTES, UNTOUCHED);
    ASSERT_TRUE(Expose(buffer.data()));
    EXPECT_TRUE(std::all_of(buffer.begin() + SAMPLES, buffer.end(),
                            [](uint8_t b) { return b == UNTOUCHED; }));
}

TEST_F(DriverEntriesTest, MicrosecondExposuresSetTheBrightness) {
    // 16-bit samples, fine enough to show a quarter of a millisecond's light.
    Environment environment = STEADY;
    environment.push_back({"OMTRIX_SIM_BITS", "16"});
    ASSERT_NO_FATAL_FAILURE(Connect(environment));
    driver_.SetSampleDepth(16);
    constexpr int32_t SIDE = 400;
    Program((WIDTH - SIDE) / 2, (HEIGHT - SIDE) / 2, SIDE, SIDE, 1, 20);
    // The light summed over the frame, less the offset of 8 DN (at 8 bits) per sample.
    const auto light = [](const std::vector<uint8_t> &frame) {
        std::vector<uint16_t> samples(frame.size() / 2);
        std::memcpy(samples.data(), frame.data(), frame.size());
        return std::accumulate(samples.begin(), samples.end(), 0.0) - 8.0 * 257 * samples.size();
    };
    const std::vector<uint8_t> whole_ms = Frame(2 * SIDE * SIDE);
    driver_.SetExpoTimeUs(20000);
    EXPECT_EQ(Frame(2 * SIDE * SIDE), whole_ms);
    driver_.SetExpoTimeUs(20500);
    EXPECT_NEAR(light(Frame(2 * SIDE * SIDE)) / light(whole_ms), 1.025, 0.005);
    driver_.SetExpoTimeUs(250);
    const double quarter_ms = light(Frame(2 * SIDE * SIDE));
    driver_.SetExpoTimeUs(500);
    EXPECT_NEAR(light(Frame(2 * SIDE * SIDE)) / quarter_ms, 2.0, 0.05);
    EXPECT_NEAR(light(whole_ms) / quarter_ms, 80.0, 2.0);
}

TEST_F(DriverEntriesTest, ReadOutTakesLongerForLargerWindowsAndInStandardMode) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    std::vector<uint8_t> buffer(BUFFER_BYTES);
    const auto frame_ms = [&](int32_t width, int32_t height, int32_t fast, int frames) {
        Program((WIDTH - width) / 2, (HEIGHT - height) / 2, width, height, 1, 0, 13, fast);
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < frames; ++i) {
            EXPECT_TRUE(Expose(buffer.data()));
        }
        return MsSince(start) / frames;
    };
    const double full_standard = frame_ms(WIDTH, HEIGHT, 0, 3);
    // Whatever the build, a frame never comes sooner than its read-out.
    EXPECT_GE(full_standard, 84.0);
    if (!SpeedIsMeasurable()) {
        GTEST_SKIP() << "frame rates need an optimised build without sanitizers";
    }
    const double full_fast = frame_ms(WIDTH, HEIGHT, 1, 3);
    const double small_fast = frame_ms(320, 240, 1, 200);
    std::printf("full frame standard %.1f ms, fast %.1f ms; 320 x 240 fast, 0 ms: %.0f fps\n",
                full_standard, full_fast, 1000.0 / small_fast);
    EXPECT_LT(full_fast, 0.7 * full_standard);
    EXPECT_GT(1000.0 / small_fast, 250.0);
}

TEST_F(DriverEntriesTest, UnloadingDuringAnExposureAbandonsIt) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    Program(0, 0, WIDTH, HEIGHT, 1, 20000);
    std::vector<uint8_t> buffer(BUFFER_BYTES);
    driver_.ThreadedExposure(buffer.data());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const Clock::time_point start = Clock::now();
    library_.Close();
    EXPECT_LT(MsSince(start), 1000.0);
    EXPECT_FALSE(Released(200));
    // The program keeps its driver loaded until it exits, so the exposure is
    // still the driver's: end it before its buffer and semaphore go, or it
    // would write into them during a later test.
    driver_.CancelExposure();
    EXPECT_TRUE(Released(2000));
}

TEST_F(DriverEntriesTest, GuiThreadCallsDuringExposuresKeepOneReleasePerExposure) {
    ASSERT_NO_FATAL_FAILURE(Connect({{"OMTRIX_SIM_SENSOR", "colour"}}));
    Program(864, 648, 320, 240, 1, 2);
    std::atomic<bool> done{false};
    std::thread gui([&] {
        std::vector<uint8_t> mosaic(320 * 240, 90), bgr(320 * 239 * 3);
        for (int32_t i = 0; !done.load(); ++i) {
            driver_.SetVBLANK(i % 501);
            driver_.GuideCommand(i % 3 == 0 ? 0 : 16 << (i % 4), 60000);
            driver_.debayerImage(mosaic.data(), bgr.data(), 320, 239);
            if (i % 5 == 0) {
                driver_.CancelExposure();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
        driver_.GuideCommand(0, 0);
    });
    std::vector<uint8_t> buffer(BUFFER_BYTES);
    int completed = 0;
    for (int i = 0; i < 40; ++i) {
        completed += Expose(buffer.data(), 5000);
    }
    done.store(true);
    gui.join();
    EXPECT_EQ(completed, 40);
    EXPECT_FALSE(Released(200));
}

}  // namespace
