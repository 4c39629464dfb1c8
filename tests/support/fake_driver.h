#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "camera/driver_api.h"
#include "platform/messages.h"
#include "platform/tick_count.h"

// A camera driver made of plain functions over one global state, for tests
// that must control exactly when an exposure ends. Exposures complete at once
// (filled with `fill_value`) unless `hold_exposures` is set; then they wait
// for CancelExposure, or forever when `ignore_cancel` is set too. With
// `timed_exposures` they last the exposure time set, or until cancelled.
// `fail_in_set_expo` makes SetExpoTime throw, as a faulty driver might.
// DeepDriver adds a sensor `bits` deep: asked for 16-bit samples, it fills
// each with `deep_fill`.
namespace fake_driver {

struct State {
    std::atomic<int32_t> camera_answer{1};
    std::atomic<bool> hold_exposures{false};
    std::atomic<bool> ignore_cancel{false};
    std::atomic<bool> timed_exposures{false};
    std::atomic<bool> fail_in_set_expo{false};
    std::atomic<uint8_t> fill_value{7};
    std::atomic<uint16_t> deep_fill{1000};
    std::atomic<int32_t> sample_depth{8};  // as last asked through SetSampleDepth
    std::atomic<int32_t> exposures_started{0};
    std::atomic<int32_t> cancels{0};
    std::atomic<int32_t> last_expo_ms{-1};
    std::atomic<int32_t> last_expo_us{-1};
    std::atomic<int32_t> last_binning{0};
    std::atomic<int32_t> last_frame[4]{};
    std::atomic<int32_t> last_gain[4]{};
    std::atomic<int32_t> last_usb{-1};
    std::atomic<bool> cancel_requested{false};
    std::atomic<DriverSemaphoreHandle> semaphore{nullptr};
    // A camera that describes itself: with a width set before Driver(), the
    // table has the SensorWidth, SensorHeight, SensorBitDepth and
    // SensorBayerPattern entries answering these. 0: a library without them.
    std::atomic<int32_t> sensor_width{0};
    std::atomic<int32_t> sensor_height{0};
    std::atomic<int32_t> sensor_bit_depth{8};
    std::atomic<int32_t> sensor_pattern{0};
    std::mutex workers_mutex;
    std::vector<std::thread> workers;
    // GuideCommand calls in order: direction bits, duration. GUI thread only.
    std::vector<std::pair<int32_t, int32_t>> guide_calls;
};

State &state();
// The driver's entry table pointing at the fake.
CameraDriver Driver();
// An optional entry, not in Driver()'s table: a test that wants a driver
// taking microseconds adds it. Records into last_expo_us.
void SetExpoTimeUs(int32_t us);
// The same with the entries through which a camera `bits` deep describes
// its depth and takes the sample depth wanted.
CameraDriver DeepDriver(int32_t bits);
// Resets the state and joins the exposure threads of the previous test.
void Reset();

}  // namespace fake_driver

// Polls `done` every millisecond while the camera thread works; false when
// `timeout_ms` passed first. The default leaves room for a machine busy
// with other work, a thread checker or both.
template <typename Predicate>
bool WaitFor(Predicate done, int timeout_ms = 10000) {
    const uint32_t start = TickCount();
    while (!done()) {
        if (TickCount() - start > uint32_t(timeout_ms))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Counts what was posted, in order.
class RecordingPoster : public MessagePoster {
  public:
    void Post(MainWindowMessage message) override {
        std::lock_guard lock(mutex_);
        posted_.push_back(message);
    }
    std::vector<MainWindowMessage> Posted() {
        std::lock_guard lock(mutex_);
        return posted_;
    }
    size_t Count(MainWindowMessage message) {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (auto m : posted_)
            n += m == message;
        return n;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        posted_.clear();
    }

  private:
    std::mutex mutex_;
    std::vector<MainWindowMessage> posted_;
};
