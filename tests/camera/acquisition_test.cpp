#include "camera/acquisition.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "camera/camera_sensor.h"
#include "camera/exposure_controls.h"
#include "camera/sensor_window.h"
#include "platform/tick_count.h"
#include "support/fake_driver.h"

namespace {

using namespace std::chrono_literals;

class AcquisitionTest : public ::testing::Test {
  protected:
    void SetUp() override { fake_driver::Reset(); }
    void TearDown() override {
        capture.Stop();
        EXPECT_TRUE(capture.WaitUntilStopped(3000));
        fake_driver::Reset();
    }

    // Waits until the newest frame is tagged `tag` and `more` frames followed it.
    bool WaitForFramesOf(uint32_t tag, size_t more, int timeout_ms = 10000) {
        if (!WaitFor(
                [&] {
                    PImageLst newest = frames.Newest();
                    return newest && newest->generation == tag;
                },
                timeout_ms))
            return false;
        const size_t seen = poster.Count(MSG_FRAME_READY);
        return WaitFor([&] { return poster.Count(MSG_FRAME_READY) >= seen + more; }, timeout_ms);
    }

    // How long past its exposure the camera may stay silent here.
    static constexpr uint32_t SILENCE_MARGIN_MS = 300;

    CameraDriver driver = fake_driver::Driver();
    FrameList frames;
    RecordingPoster poster;
    TVideoCapture capture{driver, frames, poster, SILENCE_MARGIN_MS};
};

TEST_F(AcquisitionTest, ConnectReportsWhetherACameraAnswers) {
    EXPECT_TRUE(capture.Connect());
    fake_driver::state().camera_answer = 0;
    EXPECT_FALSE(capture.Connect());
    EXPECT_FALSE(capture.connected);
}

TEST_F(AcquisitionTest, ProgramsTheCameraAndQueuesBinnedFrames) {
    capture.UpdateInfo(640, 480, 1056, 700);
    capture.binning_code = 2;
    capture.length = 0;
    capture.delay = 2;  // nobody takes frames off the list here: keep it short
    capture._rgain = 100;
    capture._ggain = 10;
    capture._bgain = 0;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return poster.Count(MSG_FRAME_READY) >= 3; }));
    capture.Stop();
    ASSERT_TRUE(capture.WaitUntilStopped(3000));

    auto &fake = fake_driver::state();
    EXPECT_EQ(fake.last_frame[0], 700);
    EXPECT_EQ(fake.last_frame[1], 1056);
    EXPECT_EQ(fake.last_frame[2], 640);
    EXPECT_EQ(fake.last_frame[3], 480);
    EXPECT_EQ(fake.last_binning, 2);
    EXPECT_EQ(fake.last_expo_ms, 0);
    // Red, green, blue, and green again for the second green of the mosaic.
    EXPECT_EQ(fake.last_gain[0], 0x67);
    EXPECT_EQ(fake.last_gain[1], 13);
    EXPECT_EQ(fake.last_gain[2], 1);
    EXPECT_EQ(fake.last_gain[3], 13);
    EXPECT_EQ(fake.last_usb, 0);

    // One notice per queued frame, each frame the binned size.
    EXPECT_EQ(frames.Count(), poster.Count(MSG_FRAME_READY));
    PImageLst frame = frames.Oldest();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->w, 320);
    EXPECT_EQ(frame->h, 240);
    EXPECT_EQ(frame->Data[320 * 240 - 1], 7);
    EXPECT_EQ(frame->Data[320 * 240], 0) << "nothing past the frame is written";
}

// A deep camera is asked for 16-bit samples and its frames carry its depth;
// an 8-bit camera, or a driver that cannot be asked, gives bytes as ever.
TEST(DeepAcquisition, FramesCarryTheDepthTheDriverDelivers) {
    struct Case {
        bool deep_entries;
        int32_t sensor_bits;
        int32_t frame_depth;
        int32_t depth_asked;
    };
    for (const Case c : {Case{true, 12, 12, 16}, Case{true, 16, 16, 16}, Case{true, 8, 8, 8},
                         Case{false, 12, 8, 8}}) {
        SCOPED_TRACE(c.sensor_bits);
        fake_driver::Reset();
        fake_driver::state().deep_fill = 4095;
        const CameraDriver driver =
            c.deep_entries ? fake_driver::DeepDriver(c.sensor_bits) : fake_driver::Driver();
        FrameList frames;
        RecordingPoster poster;
        TVideoCapture capture(driver, frames, poster);
        capture.UpdateInfo(64, 48, 0, 0);
        capture.length = 0;
        capture.delay = 2;
        capture.SetSensorBitDepth(c.sensor_bits);
        capture.Resume();
        ASSERT_TRUE(WaitFor([&] { return poster.Count(MSG_FRAME_READY) >= 2; }));
        capture.Stop();
        ASSERT_TRUE(capture.WaitUntilStopped(3000));

        EXPECT_EQ(fake_driver::state().sample_depth, c.depth_asked);
        const PImageLst frame = frames.Oldest();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->bit_depth, c.frame_depth);
        if (c.frame_depth > 8) {
            const auto *samples = reinterpret_cast<const uint16_t *>(frame->Data);
            EXPECT_EQ(samples[0], 4095);
            EXPECT_EQ(samples[64 * 48 - 1], 4095) << "every sample of the frame is deep";
        } else {
            EXPECT_EQ(frame->Data[64 * 48 - 1], 7);
        }
        fake_driver::Reset();
    }
}

TEST_F(AcquisitionTest, ARecordingKeepsTheSettingsOfItsStartUntilItEnds) {
    capture.length = 0;
    capture.delay = 5;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return fake_driver::state().last_expo_ms == 0; }));

    capture.UpdateInfo(640, 480, 0, 0);
    const uint32_t tag = capture.BeginRecording(40, 5);
    EXPECT_TRUE(capture.Capturing());
    ASSERT_TRUE(WaitForFramesOf(tag, 0));
    EXPECT_EQ(fake_driver::state().last_expo_ms, 40) << "programmed for the recording";
    EXPECT_EQ(fake_driver::state().last_frame[2], 640);

    capture.length = 7;
    capture.UpdateInfo(320, 240, 0, 0);
    ASSERT_TRUE(WaitForFramesOf(tag, 3));
    EXPECT_EQ(fake_driver::state().last_expo_ms, 40) << "then frozen";
    EXPECT_EQ(frames.Newest()->w, 640);
    EXPECT_EQ(frames.Newest()->generation, tag);

    capture.EndRecording();
    EXPECT_EQ(capture.delay, 0) << "the pause ends with the recording";
    ASSERT_TRUE(WaitFor([&] { return fake_driver::state().last_expo_ms == 7; }));
    EXPECT_EQ(fake_driver::state().last_frame[2], 320);
}

struct MicrosecondCase {
    const char *what;
    bool driver_takes_us;
    int32_t set_us;
    int32_t then_length_ms;  // -1: not set afterwards
    int32_t expected_us;     // -1: SetExpoTimeUs not called
    int32_t expected_ms;     // -1: SetExpoTime not called
};

TEST_F(AcquisitionTest, ExposureReachesTheDriverInMicrosecondsWhenItTakesThem) {
    const MicrosecondCase cases[] = {
        {"sub-millisecond", true, 250, -1, 250, -1},
        {"longest", true, 19999000, -1, 19999000, -1},
        {"whole ms set later win", true, 250, 7, 7000, -1},
        {"nearest ms for a driver without", false, 250, -1, -1, 0},
        {"rounded up for a driver without", false, 1500, -1, -1, 2},
    };
    for (const MicrosecondCase &c : cases) {
        fake_driver::Reset();
        driver.SetExpoTimeUs = c.driver_takes_us ? fake_driver::SetExpoTimeUs : nullptr;
        FrameList case_frames;
        RecordingPoster case_poster;
        TVideoCapture camera{driver, case_frames, case_poster, SILENCE_MARGIN_MS};
        camera.SetExposureUs(c.set_us);
        if (c.then_length_ms >= 0) {
            camera.length = c.then_length_ms;
        }
        camera.delay = 2;
        camera.Resume();
        ASSERT_TRUE(WaitFor([&] { return case_poster.Count(MSG_FRAME_READY) >= 1; })) << c.what;
        camera.Stop();
        ASSERT_TRUE(camera.WaitUntilStopped(3000));
        EXPECT_EQ(fake_driver::state().last_expo_us, c.expected_us) << c.what;
        EXPECT_EQ(fake_driver::state().last_expo_ms, c.expected_ms) << c.what;
    }
}

// A recording's frames wait for its writer only up to a limit: the camera
// then waits until the writer has taken a quarter of them (a full frame's
// queue is short), or the recording ends.
TEST_F(AcquisitionTest, ACameraAheadOfTheRecordingsWriterWaitsForIt) {
    capture.length = 0;
    capture.Resume();
    capture.BeginRecording(0, 0);
    const size_t limit = RecordingQueueFrames(size_t{FULL_WIDTH} * FULL_HEIGHT);
    ASSERT_TRUE(WaitFor([&] { return frames.Count() >= limit; }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(frames.Count(), limit);

    const size_t delivered = poster.Count(MSG_FRAME_READY);
    const size_t quarter = limit / 4;
    for (size_t taken = 1; taken <= quarter; ++taken) {
        frames.RemoveOldestFrame();
        if (taken < quarter) {
            std::this_thread::sleep_for(10ms);
            EXPECT_EQ(poster.Count(MSG_FRAME_READY), delivered) << taken << " taken";
        }
    }
    ASSERT_TRUE(WaitFor([&] { return poster.Count(MSG_FRAME_READY) == delivered + quarter; }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(frames.Count(), limit) << "as many exposed as taken";

    capture.EndRecording();
    EXPECT_TRUE(WaitFor([&] { return frames.Count() > limit; }));
}

// The exposure under way when a recording starts is cut short; what it
// delivers, and everything exposed before, carries an older tag.
TEST_F(AcquisitionTest, OnlyFramesExposedAfterTheStartCarryTheRecordingsTag) {
    auto &fake = fake_driver::state();
    fake.hold_exposures = true;
    fake.fill_value = 7;
    capture.length = 5000;  // held until the start, well inside its silence bound
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return fake.exposures_started >= 1; }));
    fake.fill_value = 200;  // what every exposure begun from now on holds
    const uint32_t tag = capture.BeginRecording(0, 5);
    EXPECT_EQ(fake.cancels, 1);
    fake.hold_exposures = false;
    ASSERT_TRUE(WaitForFramesOf(tag, 2));
    capture.Stop();
    ASSERT_TRUE(capture.WaitUntilStopped(3000));
    for (PImageLst frame = frames.Oldest(); frame; frame = frame->Next) {
        EXPECT_EQ(frame->generation == tag, frame->Data[0] == 200)
            << "a frame of value " << int(frame->Data[0]) << " tagged " << frame->generation;
    }
}

// The camera keeps a recording's exposure even when a shorter one is asked
// for meanwhile; the wait for a frame is bounded by the one in force.
TEST_F(AcquisitionTest, AShorterExposureAskedForDuringARecordingIsNoSilence) {
    auto &fake = fake_driver::state();
    fake.timed_exposures = true;
    constexpr int32_t kRecordingMs = SILENCE_MARGIN_MS * 2;
    capture.length = kRecordingMs;
    capture.Resume();
    const uint32_t tag = capture.BeginRecording(kRecordingMs, 0);
    ASSERT_TRUE(WaitForFramesOf(tag, 0));
    const int32_t cancels = fake.cancels;
    capture.length = 0;
    capture.CancelForNewSettings();
    ASSERT_TRUE(WaitForFramesOf(tag, 2, 3 * kRecordingMs + 2000));
    EXPECT_EQ(capture.Fault(), AcquisitionFault::None);
    EXPECT_EQ(fake.cancels, cancels) << "no recorded exposure is cut short";
    EXPECT_EQ(fake.last_expo_ms, kRecordingMs);
}

TEST_F(AcquisitionTest, ACutForNewSettingsWaitsForTheEndOfARecording) {
    auto &fake = fake_driver::state();
    fake.hold_exposures = true;  // every exposure lasts until it is cancelled
    capture.length = CANCEL_ABOVE_MS + 5000;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return fake.exposures_started == 1; }));
    capture.CancelForNewSettings();
    EXPECT_EQ(fake.cancels, 1) << "a long live exposure is cut for a new setting";
    ASSERT_TRUE(WaitFor([&] { return fake.exposures_started == 2; }));

    capture.BeginRecording(CANCEL_ABOVE_MS + 5000, 0);
    EXPECT_EQ(fake.cancels, 2) << "the start ends the exposure under way";
    ASSERT_TRUE(WaitFor([&] { return fake.exposures_started == 3; }));
    capture.CancelForNewSettings();
    EXPECT_EQ(fake.cancels, 2) << "the recording's exposure runs on";
    capture.EndRecording();
    EXPECT_EQ(fake.cancels, 3) << "the waiting cut is made at the end";
    ASSERT_TRUE(WaitFor([&] { return fake.exposures_started == 4; }));

    capture.length = CANCEL_ABOVE_MS;
    fake.hold_exposures = false;
    // An exposure begun after the short one was programmed: the camera was
    // told of it before, and the exposure in force is the short one.
    ASSERT_TRUE(WaitFor(
        [&] { return fake.last_expo_ms == CANCEL_ABOVE_MS && fake.exposures_started >= 5; }));
    capture.CancelForNewSettings();
    EXPECT_EQ(fake.cancels, 3) << "a short exposure is not cut";
}

TEST_F(AcquisitionTest, AnErrorInsideAPassStopsTheThreadWithItsReason) {
    fake_driver::state().fail_in_set_expo = true;
    capture.Resume();
    ASSERT_TRUE(capture.WaitUntilStopped(3000));
    EXPECT_EQ(capture.Fault(), AcquisitionFault::Failed);
    EXPECT_EQ(capture.FailureText(), "the driver failed");
    EXPECT_EQ(poster.Count(MSG_FRAME_READY), 0u);
}

TEST_F(AcquisitionTest, StopsPromptlyDuringALongExposure) {
    fake_driver::state().hold_exposures = true;
    capture.length = 5000;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return fake_driver::state().exposures_started >= 1; }));
    const uint32_t start = TickCount();
    capture.Stop();
    EXPECT_TRUE(capture.WaitUntilStopped(2000));
    EXPECT_LT(TickCount() - start, 1000u);
    EXPECT_GE(fake_driver::state().cancels, 1) << "the running exposure is cancelled";
}

TEST_F(AcquisitionTest, ACameraThatStopsAnsweringIsReportedAndDoesNotBlockTheEnd) {
    auto &fake = fake_driver::state();
    fake.hold_exposures = true;
    fake.ignore_cancel = true;
    capture.length = 0;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return capture.Fault() == AcquisitionFault::CameraNotAnswering; },
                        int(SILENCE_MARGIN_MS) + 2000));
    EXPECT_GE(fake.cancels, 1) << "the overdue exposure is cancelled";
    EXPECT_EQ(poster.Count(MSG_FRAME_READY), 0u);

    const uint32_t start = TickCount();
    capture.Stop();
    EXPECT_TRUE(capture.WaitUntilStopped(3000));
    EXPECT_LT(TickCount() - start, 2000u);
}

TEST_F(AcquisitionTest, WhatASilentCameraGivesBackAfterTheCancelIsNoPicture) {
    auto &fake = fake_driver::state();
    fake.hold_exposures = true;  // answers a cancel, nothing else
    capture.length = 0;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return capture.Fault() == AcquisitionFault::CameraNotAnswering; },
                        int(SILENCE_MARGIN_MS) + 2000));
    ASSERT_TRUE(WaitFor([&] { return fake.exposures_started >= 2; }));
    EXPECT_EQ(poster.Count(MSG_FRAME_READY), 0u) << "the cancelled frame is not queued";
    EXPECT_EQ(capture.Fault(), AcquisitionFault::CameraNotAnswering) << "the report stands";

    fake.hold_exposures = false;  // the camera comes back
    ASSERT_TRUE(WaitFor([&] { return poster.Count(MSG_FRAME_READY) >= 1; }));
    EXPECT_EQ(capture.Fault(), AcquisitionFault::None);
}

TEST_F(AcquisitionTest, PausesForTheDelayBetweenFrames) {
    capture.length = 0;
    capture.delay = 120;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return poster.Count(MSG_FRAME_READY) >= 3; }));
    const auto intervals = capture.FrameIntervals();
    // Two intervals measured at least; each pass includes the pause.
    EXPECT_GE(intervals[0], 120);
    EXPECT_GE(intervals[1], 120);
}

TEST_F(AcquisitionTest, TheFocusWindowAddsItsPauseAfterEachFrame) {
    capture.length = 0;
    capture.delay = 100;
    capture.focus_window_visible = true;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return poster.Count(MSG_FRAME_READY) >= 3; }));
    const auto intervals = capture.FrameIntervals();
    EXPECT_GE(intervals[0], 350);
    EXPECT_GE(intervals[1], 350);

    // Hidden again: frames follow at the camera's pace plus the delay.
    capture.focus_window_visible = false;
    capture.delay = 2;  // nobody takes frames off the list here: keep it short
    const size_t before = poster.Count(MSG_FRAME_READY);
    EXPECT_TRUE(WaitFor([&] { return poster.Count(MSG_FRAME_READY) >= before + 10; }));
}

TEST_F(AcquisitionTest, SolarModeClipsEveryFrameBeforeItIsQueued) {
    fake_driver::state().fill_value = 230;
    capture.UpdateInfo(64, 48, 0, 0);
    capture.length = 0;
    capture.delay = 2;
    capture.solar.limit = 200;
    capture.solar.shade = 128;
    capture.solar.on = true;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return poster.Count(MSG_FRAME_READY) >= 2; }));
    PImageLst first = frames.Oldest();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Data[0], 128);
    EXPECT_EQ(first->Data[64 * 48 - 1], 128);

    // Off again (the window hidden): the next frames are left as they came.
    capture.solar.on = false;
    const size_t before = poster.Count(MSG_FRAME_READY);
    ASSERT_TRUE(WaitFor([&] { return poster.Count(MSG_FRAME_READY) >= before + 2; }));
    EXPECT_EQ(frames.Newest()->Data[0], 230);
}

// Each frame carries the stamp built for it, and a change of the rule
// reaches the next frames.
TEST_F(AcquisitionTest, EveryFrameCarriesItsOwnStamp) {
    capture.stamp_settings.SetSeparators({"/", ":"});
    capture.stamp_settings.SetChoice(4);
    capture.stamp_settings.SetPrefix("M42");
    capture.length = 0;
    capture.delay = 3;
    capture.Resume();
    ASSERT_TRUE(WaitFor([&] { return frames.Count() >= 3; }));
    capture.stamp_settings.SetPrefix("M57");
    ASSERT_TRUE(WaitFor([&] {
        const PImageLst newest = frames.Newest();
        return newest && newest->TS.starts_with("M57 ");
    }));
    capture.Stop();
    ASSERT_TRUE(capture.WaitUntilStopped(3000));

    const std::regex stamp(R"(^M(42|57) \d\d:\d\d:\d\d\.\d{3}$)");
    std::string previous;
    for (PImageLst frame = frames.Oldest(); frame; frame = frame->Next) {
        EXPECT_TRUE(std::regex_match(frame->TS, stamp)) << frame->TS;
        EXPECT_NE(frame->TS, previous) << "frames 3 ms apart have their own times";
        previous = frame->TS;
    }
}

TEST(FrameRate, AveragesTheRingPlusOne) {
    // An empty ring shows 1000 frames per second.
    EXPECT_DOUBLE_EQ(FrameRateFromIntervals({0, 0, 0, 0, 0}), 1000.0);
    // 100 ms intervals: 1000 / 101.
    EXPECT_DOUBLE_EQ(FrameRateFromIntervals({100, 100, 100, 100, 100}), 1000.0 / 101);
    // Integer average: 33+33+34+33+34 = 167, div 5 = 33, plus one.
    EXPECT_DOUBLE_EQ(FrameRateFromIntervals({33, 33, 34, 33, 34}), 1000.0 / 34);
    // A ring still filling up shows too high a rate.
    EXPECT_DOUBLE_EQ(FrameRateFromIntervals({100, 0, 0, 0, 0}), 1000.0 / 21);
}

}  // namespace

// A camera that describes itself is read whole at its own size, into blocks
// that hold its sensor at its depth; one without the entries is the
// 2048 x 1536 camera whose colour the observer states.
TEST(DescribedCamera, IsReadWholeAtItsOwnSize) {
    struct Row {
        int32_t width, height, bit_depth, pattern;  // width 0: no optional entries
        int32_t read_width, read_height;
        bool colour;  // whatever the observer ticked
    };
    for (const Row row : {
             Row{0, 0, 8, 0, 2048, 1536, true},
             Row{1304, 976, 12, 4, 1304, 976, true},
             Row{1304, 976, 8, 0, 1304, 976, false},
             Row{4096, 3072, 16, 1, 4096, 3072, true},
         }) {
        const std::string label = std::to_string(row.width) + "x" + std::to_string(row.height);
        fake_driver::Reset();
        auto &fake = fake_driver::state();
        fake.sensor_width = row.width;
        fake.sensor_height = row.height;
        fake.sensor_bit_depth = row.bit_depth;
        fake.sensor_pattern = row.pattern;
        const CameraDriver driver = fake_driver::Driver();
        std::string complaint;
        const CameraSensor camera = DescribeCamera(driver, complaint);
        EXPECT_TRUE(complaint.empty()) << label << ": " << complaint;
        EXPECT_EQ(CameraIsColour(camera, true), row.colour) << label;
        SetFrameBlockBytes(FrameBlockBytes(camera.width, camera.height, camera.bit_depth));

        FrameList frames;
        RecordingPoster poster;
        TVideoCapture capture{driver, frames, poster};
        ASSERT_TRUE(capture.Connect());
        RequestSubFrame(capture, WholeSensor(camera));
        capture.length = 0;
        capture.delay = 2;
        capture.Resume();
        ASSERT_TRUE(WaitFor([&] { return frames.Newest() != nullptr; })) << label;
        capture.Stop();
        ASSERT_TRUE(capture.WaitUntilStopped(3000));
        EXPECT_EQ(fake.last_frame[0], 0) << label;
        EXPECT_EQ(fake.last_frame[1], 0) << label;
        EXPECT_EQ(fake.last_frame[2], row.read_width) << label;
        EXPECT_EQ(fake.last_frame[3], row.read_height) << label;
        const PImageLst frame = frames.Newest();
        EXPECT_EQ(frame->w, row.read_width) << label;
        EXPECT_EQ(frame->h, row.read_height) << label;
        EXPECT_GE(frame->block_bytes, size_t(row.read_width) * size_t(row.read_height) *
                                          BytesPerSample(camera.bit_depth))
            << label;
    }
    fake_driver::Reset();
    SetFrameBlockBytes(FRAME_BLOCK_BYTES);
}
