// Dark frames on the camera thread, against the fake camera: the dark
// exposures are filled with one value and the frames with another, so every
// recorded frame tells whether, and with which darks, it was corrected.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "camera/acquisition.h"
#include "platform/tick_count.h"
#include "support/fake_driver.h"

namespace {

using namespace std::chrono_literals;

constexpr uint8_t DARK_VALUE = 12;
constexpr uint8_t SKY_VALUE = 40;
// The same for a 12-bit camera: values no byte holds.
constexpr uint16_t DEEP_DARK_VALUE = 300;
constexpr uint16_t DEEP_SKY_VALUE = 1000;

// The observer: covering the camera turns the fake's frames dark, uncovering
// turns them back. Answers at once unless told to keep silent.
class Observer : public DarkPromptUi {
  public:
    explicit Observer(TVideoCapture &capture) : capture_(capture) {}
    void AskObserver(DarkPromptStep step) override {
        const bool covered = step == DarkPromptStep::CoverCamera;
        fake_driver::state().fill_value = covered ? DARK_VALUE : SKY_VALUE;
        fake_driver::state().deep_fill = covered ? DEEP_DARK_VALUE : DEEP_SKY_VALUE;
        std::lock_guard lock(mutex_);
        asked_.push_back(step);
        if (on_ask) {
            on_ask(step);
        }
        if (answers) {
            capture_.DarkPromptAnswered();
        }
    }
    std::vector<DarkPromptStep> Asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }

    std::atomic<bool> answers{true};
    std::function<void(DarkPromptStep)> on_ask;

  private:
    TVideoCapture &capture_;
    std::mutex mutex_;
    std::vector<DarkPromptStep> asked_;
};

class DarkCalibrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake_driver::Reset();
        fake_driver::state().fill_value = SKY_VALUE;
        // Exposures of a few ms: frames come no faster than the test takes them.
        fake_driver::state().timed_exposures = true;
        capture.SetDarkPromptUi(&observer);
        capture.UpdateInfo(64, 48, 0, 0);
        capture.length = 2;
        capture.Resume();
        ASSERT_TRUE(WaitFor([&] { return frames.Count() > 0; }));
    }
    void TearDown() override {
        capture.Stop();
        EXPECT_TRUE(capture.WaitUntilStopped(3000));
        fake_driver::Reset();
    }

    // Records `count` frames and returns the first sample of each, in order.
    std::vector<int> Record(int count) {
        const uint32_t tag = capture.BeginRecording(capture.length, 0);
        std::vector<int> samples;
        EXPECT_TRUE(WaitFor([&] {
            for (size_t queued = frames.Count(); queued > 0; --queued) {
                const PImageLst frame = frames.Oldest();
                if (frame->generation == tag && int(samples.size()) < count) {
                    samples.push_back(frame->Data[0]);
                    EXPECT_EQ(frame->Data[frame->w * frame->h - 1], frame->Data[0])
                        << "the whole frame is corrected alike";
                }
                frames.RemoveOldestFrame();
            }
            return int(samples.size()) >= count;
        }));
        capture.EndRecording();
        return samples;
    }
    size_t Prompts() { return observer.Asked().size(); }

    CameraDriver driver = fake_driver::Driver();
    FrameList frames;
    RecordingPoster poster;
    TVideoCapture capture{driver, frames, poster};
    Observer observer{capture};
};

TEST_F(DarkCalibrationTest, WithoutADarkCountNothingIsAskedOrChanged) {
    EXPECT_EQ(Record(3), std::vector<int>(3, SKY_VALUE));
    EXPECT_EQ(Prompts(), 0u);
}

// Cover, the dark exposures, uncover, and only then the recording's frames,
// each with the average dark taken off.
TEST_F(DarkCalibrationTest, DarksComeBeforeTheFirstFrameAndLeaveEveryFrame) {
    capture.DARKCOUNT = 5;
    const int32_t before = fake_driver::state().exposures_started;
    EXPECT_EQ(Record(4), std::vector<int>(4, SKY_VALUE - DARK_VALUE));
    EXPECT_EQ(observer.Asked(),
              (std::vector{DarkPromptStep::CoverCamera, DarkPromptStep::UncoverCamera}));
    EXPECT_GE(fake_driver::state().exposures_started - before, 5 + 4);
}

// The darks stay valid while everything they were taken with stays; any
// change of exposure, gain, window, binning or count asks for new ones at the
// next recording.
TEST_F(DarkCalibrationTest, ASecondRecordingReusesTheDarksUntilASettingChanges) {
    capture.DARKCOUNT = 2;
    Record(1);
    ASSERT_EQ(Prompts(), 2u);
    const struct {
        const char *change;
        std::function<void()> apply;
        bool new_darks;
    } rows[] = {
        {"nothing", [] {}, false},
        {"exposure", [&] { capture.length = 3; }, true},
        {"red gain", [&] { capture._rgain = 30; }, true},
        {"window", [&] { capture.UpdateInfo(64, 48, 0, 8); }, true},
        {"binning, same window", [&] { capture.binning_code = 2; }, true},
        {"dark count", [&] { capture.DARKCOUNT = 3; }, true},
        {"nothing again", [] {}, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.change);
        row.apply();
        const size_t asked = Prompts();
        const std::vector<int> recorded = Record(2);
        EXPECT_EQ(Prompts() - asked, row.new_darks ? 2u : 0u);
        EXPECT_EQ(recorded, std::vector<int>(2, SKY_VALUE - DARK_VALUE));
    }
}

// The observer changes the count while the darks are being taken: the set
// under way is finished with the count it began with, and the change is
// seen at the next frame, here turning the correction off.
TEST_F(DarkCalibrationTest, ACountChangedDuringTheDarksAppliesFromTheNextFrame) {
    capture.DARKCOUNT = 3;
    observer.on_ask = [&](DarkPromptStep step) {
        if (step == DarkPromptStep::CoverCamera) {
            capture.DARKCOUNT = 0;
        }
    };
    const std::vector<int> recorded = Record(3);
    EXPECT_EQ(recorded, (std::vector<int>{SKY_VALUE - DARK_VALUE, SKY_VALUE, SKY_VALUE}));
}

// A 12-bit camera's darks are taken, averaged and subtracted at its depth.
TEST(DeepDarkCalibration, DarksOfADeepCameraLeaveEveryFrameAtFullDepth) {
    fake_driver::Reset();
    fake_driver::state().deep_fill = DEEP_SKY_VALUE;
    const CameraDriver driver = fake_driver::DeepDriver(12);
    FrameList frames;
    RecordingPoster poster;
    TVideoCapture capture(driver, frames, poster);
    Observer observer(capture);
    capture.SetDarkPromptUi(&observer);
    capture.SetSensorBitDepth(12);
    capture.UpdateInfo(64, 48, 0, 0);
    capture.delay = 2;
    capture.DARKCOUNT = 3;
    capture.Resume();
    const uint32_t tag = capture.BeginRecording(capture.length, 0);
    std::vector<uint16_t> recorded;
    EXPECT_TRUE(WaitFor([&] {
        for (size_t queued = frames.Count(); queued > 0; --queued) {
            const PImageLst frame = frames.Oldest();
            if (frame->generation == tag && recorded.size() < 3) {
                EXPECT_EQ(frame->bit_depth, 12);
                const auto *samples = reinterpret_cast<const uint16_t *>(frame->Data);
                recorded.push_back(samples[0]);
                EXPECT_EQ(samples[64 * 48 - 1], samples[0]) << "the whole frame alike";
            }
            frames.RemoveOldestFrame();
        }
        return recorded.size() >= 3;
    }));
    capture.EndRecording();
    capture.Stop();
    EXPECT_TRUE(capture.WaitUntilStopped(3000));
    fake_driver::Reset();
    EXPECT_EQ(recorded, std::vector<uint16_t>(3, DEEP_SKY_VALUE - DEEP_DARK_VALUE));
    EXPECT_EQ(observer.Asked().size(), 2u);
}

TEST_F(DarkCalibrationTest, TheProgramsEndReleasesAWaitingPrompt) {
    capture.DARKCOUNT = 4;
    observer.answers = false;
    capture.BeginRecording(capture.length, 0);
    ASSERT_TRUE(WaitFor([&] { return Prompts() == 1; }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(observer.Asked().back(), DarkPromptStep::CoverCamera) << "it waits for the answer";
    const uint32_t asked_to_stop = TickCount();
    capture.Stop();
    EXPECT_TRUE(capture.WaitUntilStopped(1000));
    EXPECT_LT(TickCount() - asked_to_stop, 500u);
}

}  // namespace
