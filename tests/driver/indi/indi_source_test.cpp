// The INDI camera source through MELKOTAR.DLL's entries, against the INDI
// simulator camera on a local indiserver.

#include <gtest/gtest.h>

#include <semaphore.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "camera/driver_api.h"
#include "driver/indi/indi_controls.h"
#include "driver/indi/indi_session.h"
#include "indi/indi_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Generous for a busy two-core machine; a hang still ends the test.
constexpr uint32_t FRAME_TIMEOUT_MS = 20000;
// The INDI simulator's sensor, and the program's window centred on it.
constexpr int32_t SIM_WIDTH = 1280;
constexpr int32_t SIM_HEIGHT = 1024;
constexpr int32_t ROI_X = 704, ROI_Y = 528, ROI_WIDTH = 640, ROI_HEIGHT = 480;

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

    bool Expose(std::vector<uint8_t> &frame, uint32_t timeout_ms = FRAME_TIMEOUT_MS) {
        driver_.ThreadedExposure(frame.data());
        return Released(timeout_ms);
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

TEST_F(IndiSourceTest, FramesArriveAsChangingEightBitPicturesCentredOnTheProgramsSensor) {
    Program(0, 0, 2048, 1536, 1, 150);
    std::vector<uint8_t> first(2048 * 1536, 77), second(2048 * 1536, 77);
    ASSERT_TRUE(Expose(first));
    ASSERT_TRUE(Expose(second));
    // The real 1280 x 1024 sensor sits in the middle; around it is black.
    const int32_t left = (2048 - SIM_WIDTH) / 2, bottom = (1536 - SIM_HEIGHT) / 2;
    EXPECT_EQ(DistinctValues(first, 2048, 0, 0, 2048, bottom), 1u);
    EXPECT_EQ(first[0], 0);
    EXPECT_EQ(DistinctValues(first, 2048, 0, bottom, left, bottom + SIM_HEIGHT), 1u);
    EXPECT_GT(DistinctValues(first, 2048, left, bottom, left + SIM_WIDTH, bottom + SIM_HEIGHT), 10u)
        << "the star field with its noise";
    EXPECT_NE(first, second) << "every exposure is a new picture";
}

TEST_F(IndiSourceTest, WindowAndBinningReachTheCamera) {
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 2, 150);
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT / 4 + 1, 99);
    ASSERT_TRUE(Expose(frame));
    EXPECT_EQ(frame.back(), 99) << "nothing written past the binned frame";
    EXPECT_GT(DistinctValues(frame, ROI_WIDTH / 2, 0, 0, ROI_WIDTH / 2, ROI_HEIGHT / 2), 10u);
    // The centred window on the 1280 x 1024 sensor, its y offset from the top.
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
    ASSERT_TRUE(Released(FRAME_TIMEOUT_MS)) << "no frame after the server came back";
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
    Program(ROI_X, ROI_Y, ROI_WIDTH, ROI_HEIGHT, 1, indicam::STREAM_MAX_EXPOSURE_MS);
    std::vector<uint8_t> frame(ROI_WIDTH * ROI_HEIGHT);
    double streamed = 0, single = 0;
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(Expose(frame));
        streamed += Mean(frame) / 3;
    }
    EXPECT_TRUE(Reports("CCD_VIDEO_STREAM.STREAM_ON", "On"));
    driver_.SetExpoTime(indicam::STREAM_MAX_EXPOSURE_MS + 1);
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
    // 320 x 240 in the middle of the program's sensor, which is the middle
    // of the simulator's.
    Program(864, 648, 320, 240, 1, 10);
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

    Program(0, 0, 2048, 1536, 1, 10);
    std::vector<uint8_t> whole(2048 * 1536);
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
