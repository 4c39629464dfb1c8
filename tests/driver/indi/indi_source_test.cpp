// The INDI camera source through MELKOTAR.DLL's entries, against the INDI
// simulator camera on a local indiserver.

#include <gtest/gtest.h>

#include <semaphore.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "camera/driver_api.h"
#include "driver/indi/frame_decode.h"
#include "driver/indi/indi_controls.h"
#include "driver/indi/indi_session.h"
#include "indi/indi_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Generous for a busy two-core machine; a hang still ends the test.
constexpr uint32_t FRAME_TIMEOUT_MS = 20000;
// The INDI simulator's sensor, and a window centred on it.
constexpr int32_t SIM_WIDTH = 1280;
constexpr int32_t SIM_HEIGHT = 1024;
constexpr int32_t ROI_X = 320, ROI_Y = 272, ROI_WIDTH = 640, ROI_HEIGHT = 480;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class IndiSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!IndiServer::Installed()) {
            GTEST_SKIP() << "indiserver or indi_simulator_ccd is missing; "
                            "scripts/install-deps.sh installs them (indi-bin)";
        }
        ASSERT_TRUE(server_.Start()) << "indiserver did not start";
        ASSERT_NO_FATAL_FAILURE(Open("indi:127.0.0.1:" + std::to_string(server_.Port())));
    }

    void TearDown() override {
        // The camera let go of before the server goes: a session left open
        // would start reconnecting while the test's process ends, and the
        // INDI library's statics may be gone under its reading thread.
        auto *close = library_.IsOpen()
                          ? reinterpret_cast<void (*)()>(library_.Symbol("closeUSB"))
                          : nullptr;
        if (close != nullptr) {
            close();
        }
        library_.Close();
        server_.Kill();
        unsetenv("OMTRIX_CAMERA");
        unsetenv("OMTRIX_INDI_STREAM");
    }

    void Open(const std::string &camera) {
        setenv("OMTRIX_CAMERA", camera.c_str(), 1);
        std::string missing;
        ASSERT_TRUE(LoadCameraDriver(library_, DRIVER_LIBRARY_PATH, driver_, missing)) << missing;
        driver_._staticCall();
        ASSERT_EQ(driver_.openUSB(0), 1) << "the INDI simulator camera did not connect";
        driver_.SetNoiseReduction(1);
        driver_.ExposureSemaphore(semaphore_.Handle());
    }

    void Program(int32_t x, int32_t y, int32_t width, int32_t height, int32_t binning,
                 int32_t exposure_ms) {
        driver_.SetFrame(x, y, width, height);
        driver_.SetBinning(binning);
        driver_.SetExpoTime(exposure_ms);
        driver_.SetGain(13, 13, 13, 13);
        driver_.HighVolumeUSB(0);
    }

    // Polled with sem_trywait, which ThreadSanitizer pairs with sem_post.
    bool Released(uint32_t timeout_ms) {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        while (sem_trywait(semaphore_.Handle()) != 0) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(200us);
        }
        return true;
    }

    // Whether the exposure under way comes in time. One that does not is
    // cancelled, so that the source lets go of its buffer before a failed
    // test frees it.
    bool Arrives(uint32_t timeout_ms = FRAME_TIMEOUT_MS) {
        if (Released(timeout_ms)) {
            return true;
        }
        driver_.CancelExposure();
        Released(FRAME_TIMEOUT_MS);
        return false;
    }

    bool Expose(std::vector<uint8_t> &frame, uint32_t timeout_ms = FRAME_TIMEOUT_MS) {
        driver_.ThreadedExposure(frame.data());
        return Arrives(timeout_ms);
    }

    // Frames per second over `frames` exposures one after the other.
    double Rate(int32_t frames, std::vector<uint8_t> &frame) {
        EXPECT_TRUE(Expose(frame)) << "first frame";
        const Clock::time_point start = Clock::now();
        for (int32_t i = 0; i < frames; ++i) {
            if (!Expose(frame)) {
                ADD_FAILURE() << "frame " << i << " did not come";
                return 0;
            }
        }
        return frames / SecondsSince(start);
    }

    // Whether the camera reports `value` for a property within a few seconds;
    // numbers are compared as numbers.
    bool Reports(const std::string &property, const std::string &value) {
        const Clock::time_point deadline = Clock::now() + 10s;
        char *number_end = nullptr;
        const double number = std::strtod(value.c_str(), &number_end);
        const bool numeric = !value.empty() && *number_end == '\0';
        std::string seen;
        while (Clock::now() < deadline) {
            seen = server_.Property(property);
            if (seen == value || (numeric && !seen.empty() &&
                                  std::fabs(std::strtod(seen.c_str(), nullptr) - number) < 1e-6)) {
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        ADD_FAILURE() << property << " is \"" << seen << "\", not \"" << value << "\"";
        return false;
    }

    IndiServer server_;
    DriverSemaphore semaphore_;  // outlives the library, which may still hold it
    DynamicLibrary library_;
    CameraDriver driver_;
};

double Mean(const std::vector<uint8_t> &frame) {
    return std::accumulate(frame.begin(), frame.end(), 0.0) / static_cast<double>(frame.size());
}

// Distinct sample values in a frame region: a star field with noise has
// many, a blank or saturated frame one or two.
size_t DistinctValues(const std::vector<uint8_t> &frame, int32_t width, int32_t x0, int32_t y0,
                      int32_t x1, int32_t y1) {
    std::set<uint8_t> values;
    for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = x0; x < x1; ++x) {
            values.insert(frame[static_cast<size_t>(y) * width + x]);
        }
    }
    return values.size();
}

TEST_F(IndiSourceTest, TheCameraDescribesItselfAndItsWholeSensorIsReadWithoutBorders) {
    ASSERT_NE(driver_.SensorWidth, nullptr);
    EXPECT_EQ(driver_.SensorWidth(), SIM_WIDTH);
    EXPECT_EQ(driver_.SensorHeight(), SIM_HEIGHT);
    EXPECT_EQ(driver_.SensorBitDepth(), 16);
    EXPECT_EQ(driver_.SensorBayerPattern(), 0) << "mono";
    EXPECT_EQ(driver_.SensorPixelSize(), 5200);
    char name[64] = {};
    EXPECT_EQ(driver_.SensorName(name, sizeof name), 13);
    EXPECT_STREQ(name, IndiServer::CAMERA);
    int32_t shortest_us = -1, longest_us = -1, step_us = -1;
    driver_.ExposureRange(&shortest_us, &longest_us, &step_us);
    EXPECT_EQ(shortest_us, 10000) << "CCD_EXPOSURE's 0.01 s";
    EXPECT_EQ(longest_us, INT32_MAX) << "its 3600 s, as far as microseconds in 32 bits reach";
    EXPECT_EQ(step_us, 1) << "its 1 s step is a spin box's";
    int32_t lowest = -1, highest = -1;
    driver_.GainRange(&lowest, &highest);
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, 100);

    // The whole sensor, asked as the program asks for it, and a window
    // larger than the sensor, cut to it.
    for (const int32_t width : {SIM_WIDTH, 2048}) {
        Program(0, 0, width, width == SIM_WIDTH ? SIM_HEIGHT : 1536, 1, 150);
        std::vector<uint8_t> first(2048 * 1536, 77), second(2048 * 1536, 77);
        ASSERT_TRUE(Expose(first));
        ASSERT_TRUE(Expose(second));
        EXPECT_TRUE(Reports("CCD_FRAME.X", "0"));
        EXPECT_TRUE(Reports("CCD_FRAME.Y", "0"));
        EXPECT_TRUE(Reports("CCD_FRAME.WIDTH", std::to_string(SIM_WIDTH)));
        EXPECT_TRUE(Reports("CCD_FRAME.HEIGHT", std::to_string(SIM_HEIGHT)));
        // No black border: the outermost rows and columns hold the sky's
        // noise (the server's sky is bright, see IndiServer) like the middle.
        const int32_t w = SIM_WIDTH, h = SIM_HEIGHT;
        const std::pair<const char *, std::array<int32_t, 4>> edges[] = {
            {"bottom row", {0, 0, w, 1}},
            {"top row", {0, h - 1, w, h}},
            {"left column", {0, 0, 1, h}},
            {"right column", {w - 1, 0, w, h}},
            {"middle", {w / 4, h / 4, 3 * w / 4, 3 * h / 4}},
        };
        for (const auto &[what, box] : edges) {
            EXPECT_GT(DistinctValues(first, w, box[0], box[1], box[2], box[3]), 10u) << what;
        }
        EXPECT_EQ(first[w * h], 77) << "nothing written past the sensor's frame";
        EXPECT_NE(first, second) << "every exposure is a new picture";
    }

    // As a colour camera (RGGB), which the simulator becomes on connecting
    // again: a column and a row line its pattern up, and the sensor is a
    // cell smaller on both axes so that the shifted window stays on it.
    setenv("OMTRIX_CAMERA", ("indi:127.0.0.1:" + std::to_string(IndiServer().Port())).c_str(), 1);
    EXPECT_EQ(driver_.openUSB(0), 0);
    ASSERT_TRUE(server_.SetProperty("SIMULATE_BAYER.INDI_ENABLED", "On"));
    ASSERT_TRUE(server_.SetProperty("CONNECTION.DISCONNECT", "On"));
    ASSERT_TRUE(Reports("CONNECTION.CONNECT", "Off"));
    setenv("OMTRIX_CAMERA", ("indi:127.0.0.1:" + std::to_string(server_.Port())).c_str(), 1);
    ASSERT_EQ(driver_.openUSB(0), 1);
    EXPECT_EQ(driver_.SensorWidth(), SIM_WIDTH - 2);
    EXPECT_EQ(driver_.SensorHeight(), SIM_HEIGHT - 2);
    EXPECT_EQ(driver_.SensorBayerPattern(), 1) << "RGGB";
    Program(0, 0, 2048, 1536, 1, 150);
    std::vector<uint8_t> frame(2048 * 1536);
    ASSERT_TRUE(Expose(frame));
    EXPECT_TRUE(Reports("CCD_FRAME.X", "1"));
    EXPECT_TRUE(Reports("CCD_FRAME.Y", "1"));
    EXPECT_TRUE(Reports("CCD_FRAME.WIDTH", std::to_string(SIM_WIDTH - 2)));
    EXPECT_TRUE(Reports("CCD_FRAME.HEIGHT", std::to_string(SIM_HEIGHT - 2)));
}

// Samples of a 16-bit frame, two bytes each in the machine's order.
std::vector<uint16_t> Words(const std::vector<uint8_t> &frame, size_t count) {
    std::vector<uint16_t> words(count);
    std::memcpy(words.data(), frame.data(), count * 2);
    return words;
}

// The FITS file the server kept of the last exposure in `folder`.
std::vector<uint8_t> KeptFits(const std::filesystem::path &folder) {
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".fits") {
            std::ifstream file(entry.path(), std::ios::binary);
            return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        }
    }
    return {};
}

TEST_F(IndiSourceTest, DeepSamplesAndMicrosecondExposuresReachTheProgram) {
    // The server keeps a copy of each single exposure beside the one it sends.
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("omtrix-indi-fits-" + std::to_string(server_.Port()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(server_.SetProperty("UPLOAD_SETTINGS.UPLOAD_DIR;UPLOAD_PREFIX",
                                    folder.string() + ";FRAME_XXX"));
    ASSERT_TRUE(server_.SetProperty("UPLOAD_MODE.UPLOAD_BOTH", "On"));

    driver_.SetSampleDepth(16);
    const size_t pixels = size_t{SIM_WIDTH} * SIM_HEIGHT;
    std::vector<uint8_t> frame(pixels * 2 + 1, 77);
    // A single exposure of 150.5 ms, as FITS: the camera's samples as they
    // are, the whole sensor, turned so that row 0 is the bottom.
    Program(0, 0, SIM_WIDTH, SIM_HEIGHT, 1, 150);
    driver_.SetExpoTimeUs(150500);
    ASSERT_TRUE(Expose(frame));
    EXPECT_EQ(frame.back(), 77) << "nothing past the 16-bit frame";
    std::vector<uint16_t> samples = Words(frame, pixels);
    const std::vector<uint8_t> kept = KeptFits(folder);
    indicam::SourceImage image;
    std::string error;
    ASSERT_TRUE(indicam::ParseFits(kept.data(), kept.size(), image, error)) << error;
    EXPECT_NEAR(image.exposure_s, 0.1505, 1e-6) << "microseconds on the wire";
    ASSERT_EQ(image.width, SIM_WIDTH);
    ASSERT_EQ(image.height, SIM_HEIGHT);
    size_t differing = 0;
    for (int32_t row = 0; row < SIM_HEIGHT; ++row) {
        for (int32_t column = 0; column < SIM_WIDTH; ++column) {
            const uint8_t *at =
                image.samples + (SIM_HEIGHT - 1 - row) * image.row_stride + 2 * column;
            const int32_t value = static_cast<int16_t>((at[0] << 8) | at[1]) + image.zero;
            differing += samples[size_t(row) * SIM_WIDTH + column] != value;
        }
    }
    EXPECT_EQ(differing, 0u) << "the frame is the server's picture, edges and all";
    const uint16_t single_max = *std::max_element(samples.begin(), samples.end());
    EXPECT_GT(single_max, 255);
    const double single_mean =
        std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(pixels);
    std::filesystem::remove_all(folder);

    // A streamed 250 us exposure: the simulator streams 8 bits on its curve,
    // which come back as deep samples about as bright.
    driver_.SetExpoTimeUs(250);
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(Expose(frame)) << "streamed frame " << i;
    }
    EXPECT_TRUE(Reports("STREAMING_EXPOSURE.STREAMING_EXPOSURE_VALUE", "0.00025"));
    samples = Words(frame, pixels);
    EXPECT_GT(*std::max_element(samples.begin(), samples.end()), 255);
    const double streamed_mean =
        std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(pixels);
    std::printf(
        "INDI simulator, 16-bit samples: single 150.5 ms mean %.0f max %u, streamed "
        "250 us mean %.0f\n",
        single_mean, single_max, streamed_mean);
    EXPECT_NEAR(streamed_mean, single_mean, 0.1 * single_mean);
}

TEST_F(IndiSourceTest, WindowAndBinningReachTheCamera) {
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 2, 150);
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT / 4 + 1, 99);
    ASSERT_TRUE(Expose(frame));
    EXPECT_EQ(frame.back(), 99) << "nothing written past the binned frame";
    EXPECT_GT(DistinctValues(frame, ROI_WIDTH / 2, 0, 0, ROI_WIDTH / 2, ROI_HEIGHT / 2), 10u);
    // The window on the 1280 x 1024 sensor, its y offset from the top.
    EXPECT_TRUE(Reports("CCD_FRAME.X", "320"));
    EXPECT_TRUE(Reports("CCD_FRAME.Y", "272"));
    EXPECT_TRUE(Reports("CCD_FRAME.WIDTH", "640"));
    EXPECT_TRUE(Reports("CCD_FRAME.HEIGHT", "480"));
    EXPECT_TRUE(Reports("CCD_BINNING.HOR_BIN", "2"));
    EXPECT_TRUE(Reports("CCD_BINNING.VER_BIN", "2"));
}

TEST_F(IndiSourceTest, AHeldGuideButtonRenewsShortPulsesAndTheReleaseEndsThem) {
    const std::string pulse = std::to_string(indicam::GuideRepeater::PULSE.count());
    driver_.GuideCommand(32 | 16, 60000);  // DEC+ and RA-: north and east
    EXPECT_TRUE(Reports("TELESCOPE_TIMED_GUIDE_NS.TIMED_GUIDE_N", pulse));
    EXPECT_TRUE(Reports("TELESCOPE_TIMED_GUIDE_WE.TIMED_GUIDE_E", pulse));
    EXPECT_TRUE(Reports("TELESCOPE_TIMED_GUIDE_WE.TIMED_GUIDE_W", "0"));
    // Cleared behind the source's back while the button is held, the pulse
    // comes back with the next renewal.
    ASSERT_TRUE(server_.SetProperty("TELESCOPE_TIMED_GUIDE_NS.TIMED_GUIDE_N;TIMED_GUIDE_S", "0;0"));
    EXPECT_TRUE(Reports("TELESCOPE_TIMED_GUIDE_NS.TIMED_GUIDE_N", pulse));
    driver_.GuideCommand(0, 0);
    EXPECT_TRUE(Reports("TELESCOPE_TIMED_GUIDE_NS.TIMED_GUIDE_N", "0"));
    EXPECT_TRUE(Reports("TELESCOPE_TIMED_GUIDE_WE.TIMED_GUIDE_E", "0"));
    // No renewal after the release.
    std::this_thread::sleep_for(3 * indicam::GuideRepeater::PULSE);
    EXPECT_EQ(server_.Property("TELESCOPE_TIMED_GUIDE_NS.TIMED_GUIDE_N"), "0");
    EXPECT_EQ(server_.Property("TELESCOPE_TIMED_GUIDE_WE.TIMED_GUIDE_E"), "0");
}

TEST_F(IndiSourceTest, CancelEndsALongExposureAtOnce) {
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 1, 60000);
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT, 77);
    driver_.ThreadedExposure(frame.data());
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(Released(0)) << "a minute's exposure is not over yet";
    const Clock::time_point cancelled = Clock::now();
    driver_.CancelExposure();
    ASSERT_TRUE(Released(2000));
    EXPECT_LT(SecondsSince(cancelled), 1.0);
    EXPECT_EQ(DistinctValues(frame, ROI_WIDTH, 0, 0, ROI_WIDTH, ROI_HEIGHT), 1u) << "black";
    // The camera is free again: a short exposure comes back at once.
    driver_.SetExpoTime(150);
    const Clock::time_point next = Clock::now();
    ASSERT_TRUE(Expose(frame));
    EXPECT_LT(SecondsSince(next), 10.0);
    EXPECT_GT(DistinctValues(frame, ROI_WIDTH, 0, 0, ROI_WIDTH, ROI_HEIGHT), 10u);
}

TEST_F(IndiSourceTest, AServerKilledMidExposureLeavesTheWaitBoundedAndFramesComeBack) {
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 1, 2000);
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT, 77);
    driver_.ThreadedExposure(frame.data());
    std::this_thread::sleep_for(300ms);
    server_.Kill();
    // No frame comes from a dead server: the program's bounded wait runs out
    // and cancels, and the cancel ends the exposure at once.
    EXPECT_FALSE(Released(3000));
    driver_.CancelExposure();
    EXPECT_TRUE(Released(2000));
    // Exposures started while the server is away wait for it.
    driver_.SetExpoTime(150);
    driver_.ThreadedExposure(frame.data());
    EXPECT_FALSE(Released(1500));
    ASSERT_TRUE(server_.Start());
    ASSERT_TRUE(Arrives()) << "no frame after the server came back";
    ASSERT_TRUE(Expose(frame));
    EXPECT_GT(DistinctValues(frame, ROI_WIDTH, 0, 0, ROI_WIDTH, ROI_HEIGHT), 10u);
}

TEST_F(IndiSourceTest, ShortExposuresStreamFasterThanSingleExposures) {
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT);
    library_.Close();
    setenv("OMTRIX_INDI_STREAM", "off", 1);
    ASSERT_NO_FATAL_FAILURE(Open("indi:127.0.0.1:" + std::to_string(server_.Port())));
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 1, 10);
    const double single = Rate(5, frame);
    EXPECT_EQ(server_.Property("CCD_VIDEO_STREAM.STREAM_ON"), "Off");
    library_.Close();

    unsetenv("OMTRIX_INDI_STREAM");
    ASSERT_NO_FATAL_FAILURE(Open("indi:127.0.0.1:" + std::to_string(server_.Port())));
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 1, 10);
    const double streamed = Rate(30, frame);
    EXPECT_TRUE(Reports("CCD_VIDEO_STREAM.STREAM_ON", "On"));
    EXPECT_GT(DistinctValues(frame, ROI_WIDTH, 0, 0, ROI_WIDTH, ROI_HEIGHT), 10u);
    std::printf("INDI simulator, 640 x 480, 10 ms: %.1f frames/s streamed, %.1f single\n", streamed,
                single);
    RecordProperty("streamed_fps", std::to_string(streamed));
    RecordProperty("single_fps", std::to_string(single));
    EXPECT_GT(streamed, single);
}

TEST_F(IndiSourceTest, AStreamEndsWithTheProgramAndLongerExposuresAfterItAreTheirOwn) {
    // The command-line program streams a few frames and ends.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("omtrix-indi-" + std::to_string(server_.Port()));
    std::filesystem::create_directories(folder);
    const std::string command = std::string("'") + CAPTURE_PROGRAM_PATH + "' --dir '" +
                                folder.string() +
                                "' --name streamed --format ser --frames 10 --exposure 10 "
                                "--roi 640x480 --camera indi:127.0.0.1:" +
                                std::to_string(server_.Port()) + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(Reports("CCD_VIDEO_STREAM.STREAM_ON", "Off"));

    // Here too: after a stream, every 200 ms exposure takes its time.
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 1, 10);
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT);
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(Expose(frame)) << "streamed frame " << i;
    }
    EXPECT_TRUE(Reports("CCD_VIDEO_STREAM.STREAM_ON", "On"));
    driver_.SetExpoTime(200);
    const Clock::time_point start = Clock::now();
    for (int32_t i = 0; i < 4; ++i) {
        const Clock::time_point asked = Clock::now();
        ASSERT_TRUE(Expose(frame)) << "exposure " << i;
        EXPECT_GE(SecondsSince(asked), 0.2) << "exposure " << i << " came before its time";
    }
    EXPECT_GE(SecondsSince(start), 0.8);
    EXPECT_EQ(server_.Property("CCD_VIDEO_STREAM.STREAM_ON"), "Off");
}

// Another program's stream, switched off just before this program starts
// its own: the INDI simulator sends nothing for a long while when a stream
// is switched on while it still finishes the last one.
TEST_F(IndiSourceTest, AStreamFollowsOneAnotherProgramHasJustSwitchedOff) {
    ASSERT_TRUE(server_.SetProperty("STREAMING_EXPOSURE.STREAMING_EXPOSURE_VALUE", "0.01"));
    ASSERT_TRUE(server_.SetProperty("CCD_VIDEO_STREAM.STREAM_ON", "On"));
    ASSERT_TRUE(Reports("CCD_VIDEO_STREAM.STREAM_ON", "On"));
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(server_.SetProperty("CCD_VIDEO_STREAM.STREAM_OFF", "On"));
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 1, 10);
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT);
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(Expose(frame)) << "streamed frame " << i;
    }
}

TEST_F(IndiSourceTest, SettingsLeftOnTheCameraAreAllAppliedAtConnect) {
    // The program lets go of the camera (it asks for one where none is);
    // another program leaves its settings and disconnects the camera, whose
    // properties then come back one by one as this program connects it.
    setenv("OMTRIX_CAMERA", ("indi:127.0.0.1:" + std::to_string(IndiServer().Port())).c_str(), 1);
    EXPECT_EQ(driver_.openUSB(0), 0);
    ASSERT_TRUE(server_.SetProperty("STREAMING_EXPOSURE.STREAMING_EXPOSURE_VALUE", "0.5"));
    ASSERT_TRUE(server_.SetProperty("CCD_GAIN.GAIN", "90"));
    ASSERT_TRUE(server_.SetProperty("CONNECTION.DISCONNECT", "On"));
    ASSERT_TRUE(Reports("CONNECTION.CONNECT", "Off"));
    setenv("OMTRIX_CAMERA", ("indi:127.0.0.1:" + std::to_string(server_.Port())).c_str(), 1);
    ASSERT_EQ(driver_.openUSB(0), 1);
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 1, 10);
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT);
    ASSERT_TRUE(Expose(frame));
    EXPECT_TRUE(Reports("STREAMING_EXPOSURE.STREAMING_EXPOSURE_VALUE", "0.01"));
    EXPECT_TRUE(Reports("CCD_GAIN.GAIN", std::to_string(indicam::CameraGain(13, 0, 100))));
    EXPECT_TRUE(Reports("CCD_STREAM_FRAME.WIDTH", "640"));
    EXPECT_TRUE(Reports("CCD_STREAM_FRAME.HEIGHT", "480"));
}

TEST_F(IndiSourceTest, StreamAndSingleExposuresShareOneBrightnessScale) {
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 1, indicam::STREAM_MAX_EXPOSURE_US / 1000);
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT);
    double streamed = 0, single = 0;
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(Expose(frame));
        streamed += Mean(frame) / 3;
    }
    EXPECT_TRUE(Reports("CCD_VIDEO_STREAM.STREAM_ON", "On"));
    driver_.SetExpoTime(indicam::STREAM_MAX_EXPOSURE_US / 1000 + 1);
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(Expose(frame));
        single += Mean(frame) / 3;
    }
    EXPECT_TRUE(Reports("CCD_VIDEO_STREAM.STREAM_ON", "Off"));
    std::printf("INDI simulator, mean at 100 ms streamed %.1f, at 101 ms single %.1f\n", streamed,
                single);
    EXPECT_GT(streamed, 10.0) << "not black";
    EXPECT_NEAR(single, streamed, 0.1 * streamed);
}

TEST_F(IndiSourceTest, AStreamedRegionReachesTheCameraAsItsFrame) {
    // 320 x 240 in the middle of the sensor.
    Program(480, 392, 320, 240, 1, 10);
    std::vector<uint8_t> frame(320 * 240);
    const double small = Rate(20, frame);
    EXPECT_GT(DistinctValues(frame, 320, 0, 0, 320, 240), 10u);
    // Either the camera's own frame, or (a camera that streams nothing from
    // a smaller frame, as the simulator) the stream's frame on the whole
    // sensor.
    const bool own = server_.Property("CCD_FRAME.WIDTH") == "320";
    EXPECT_TRUE(Reports(own ? "CCD_FRAME.X" : "CCD_STREAM_FRAME.X", "480"));
    EXPECT_TRUE(Reports(own ? "CCD_FRAME.Y" : "CCD_STREAM_FRAME.Y", "392"));
    EXPECT_TRUE(Reports(own ? "CCD_FRAME.HEIGHT" : "CCD_STREAM_FRAME.HEIGHT", "240"));
    EXPECT_TRUE(Reports("CCD_STREAM_FRAME.WIDTH", "320"));

    Program(0, 0, SIM_WIDTH, SIM_HEIGHT, 1, 10);
    std::vector<uint8_t> whole(SIM_WIDTH * SIM_HEIGHT);
    const double full = Rate(10, whole);
    std::printf("INDI simulator, 10 ms streamed: %.1f frames/s at 320 x 240, %.1f at 1280 x 1024\n",
                small, full);
    RecordProperty("fps_320x240", std::to_string(small));
    RecordProperty("fps_full", std::to_string(full));
}

TEST(IndiSourceConnectTest, NoServerOrNoSuchCameraAnswersNoCameraWithinSeconds) {
    if (!IndiServer::Installed()) {
        GTEST_SKIP() << "indiserver is missing; scripts/install-deps.sh installs it (indi-bin)";
    }
    IndiServer server;
    ASSERT_TRUE(server.Start());
    const std::string cases[] = {
        "indi:127.0.0.1:" + std::to_string(IndiServer().Port()),  // nothing listens there
        "indi:127.0.0.1:" + std::to_string(server.Port()) + "/No Such Camera",
        "indi:127.0.0.1:0",  // not a port at all
    };
    for (const std::string &camera : cases) {
        setenv("OMTRIX_CAMERA", camera.c_str(), 1);
        DynamicLibrary library;
        CameraDriver driver;
        std::string missing;
        ASSERT_TRUE(LoadCameraDriver(library, DRIVER_LIBRARY_PATH, driver, missing)) << missing;
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(driver.openUSB(0), 0) << camera;
        EXPECT_LT(SecondsSince(start), indicam::CONNECT_TIMEOUT.count() / 1000.0 + 3) << camera;
    }
    unsetenv("OMTRIX_CAMERA");
}

}  // namespace
