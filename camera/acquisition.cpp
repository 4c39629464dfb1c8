#include "camera/acquisition.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "camera/gain_code.h"
#include "camera/sensor_window.h"
#include "platform/thread_priority.h"
#include "platform/tick_count.h"

double FrameRateFromIntervals(const std::array<int32_t, 5> &intervals_ms) {
    int32_t sum = 0;
    for (int32_t interval : intervals_ms) {
        sum += interval;
    }
    return 1000.0 / (sum / 5 + 1);
}

namespace {

// A frame whose exposure the camera never finished may still be written by
// the driver, so its block is never freed; keeping it reachable here tells
// leak checkers that this is on purpose.
void AbandonToDriver(PImageLst frame) {
    static std::mutex mutex;
    // Never destroyed, so the list still holds the frames when the process ends.
    static auto *abandoned = new std::vector<PImageLst>;
    std::lock_guard lock(mutex);
    abandoned->push_back(frame);
}

}  // namespace

TVideoCapture::TVideoCapture(const CameraDriver &driver, FrameList &frames, MessagePoster &poster)
    : driver_(driver), frames_(frames), poster_(poster) {}

TVideoCapture::~TVideoCapture() {
    Stop();
    if (thread_.joinable()) {
        if (WaitUntilStopped(THREAD_STOP_WAIT_MS)) {
            thread_.join();
        } else {
            // Stuck inside the driver: joining would hang the program's end.
            thread_.detach();
        }
    }
}

bool TVideoCapture::Connect() {
    connected = driver_.openUSB(0) == 1;
    return connected;
}

void TVideoCapture::UpdateInfo(uint32_t width, uint32_t height, uint32_t offsety,
                               uint32_t offsetx) {
    _width = width;
    _height = height;
    _offsety = offsety;
    _offsetx = offsetx;
}

void TVideoCapture::Resume() {
    if (thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(finished_mutex_);
        finished_ = false;
    }
    continue_ = true;
    thread_ = std::thread([this] { Execute(); });
}

bool TVideoCapture::WaitUntilStopped(uint32_t timeout_ms) {
    std::unique_lock lock(finished_mutex_);
    return finished_changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                      [this] { return finished_; });
}

std::array<int32_t, 5> TVideoCapture::FrameIntervals() const {
    std::array<int32_t, 5> intervals{};
    for (size_t i = 0; i < intervals.size(); ++i) {
        intervals[i] = frame_intervals_[i].load(std::memory_order_relaxed);
    }
    return intervals;
}

void TVideoCapture::Finish() {
    std::lock_guard lock(finished_mutex_);
    finished_ = true;
    finished_changed_.notify_all();
}

void TVideoCapture::RecordFrameInterval() {
    const uint32_t now = TickCount();
    if (previous_pass_start_ != 0) {
        frame_intervals_[interval_index_].store(static_cast<int32_t>(now - previous_pass_start_),
                                                std::memory_order_relaxed);
        interval_index_ = (interval_index_ + 1) % 5;
    }
    previous_pass_start_ = TickCount();
}

void TVideoCapture::ProgramCamera() {
    width = _width;
    height = _height;
    offsetx = _offsetx;
    offsety = _offsety;
    const int32_t code = binning_code;
    driver_.SetFrame(static_cast<int32_t>(offsetx), static_cast<int32_t>(offsety),
                     static_cast<int32_t>(width), static_cast<int32_t>(height));
    driver_.SetBinning(code);
    driver_.SetExpoTime(length);
    const int32_t green = GainCode(_ggain);
    driver_.SetGain(GainCode(_rgain), green, GainCode(_bgain), green);
    driver_.HighVolumeUSB(static_cast<int32_t>(_USB.load()));
    const FrameSize frame =
        BinnedFrameSize(static_cast<int32_t>(width), static_cast<int32_t>(height), code);
    frame_width_ = frame.width;
    frame_height_ = frame.height;
}

// Waits for the driver to release the exposure semaphore. The wait is cut into
// short slices so that the run flag is seen promptly. A camera that stays
// silent long past the exposure is reported and asked to cancel, but still
// waited for, since the driver may yet write into the frame's block; what it
// then gives back is not a picture. The report stands until an exposure ends
// by itself again.
TVideoCapture::Exposure TVideoCapture::AwaitExposure(int32_t exposure_ms) {
    const uint32_t started = TickCount();
    const uint32_t silence_limit =
        static_cast<uint32_t>(std::max(exposure_ms, 0)) + CAMERA_SILENCE_MS;
    bool cancelled_for_silence = false;
    while (!sem.Wait(RUN_FLAG_POLL_MS)) {
        if (!continue_) {
            driver_.CancelExposure();
            return sem.Wait(RUN_FLAG_POLL_MS * 20) ? Exposure::Delivered
                                                   : Exposure::StillWithDriver;
        }
        if (!cancelled_for_silence && TickCount() - started > silence_limit) {
            cancelled_for_silence = true;
            fault_ = AcquisitionFault::CameraNotAnswering;
            driver_.CancelExposure();
        }
    }
    if (cancelled_for_silence) {
        return Exposure::NotAPicture;
    }
    fault_ = AcquisitionFault::None;
    return Exposure::Delivered;
}

void TVideoCapture::SleepWhileRunning(uint32_t ms) {
    const uint32_t started = TickCount();
    while (continue_) {
        const uint32_t elapsed = TickCount() - started;
        if (elapsed >= ms) {
            return;
        }
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min(ms - elapsed, RUN_FLAG_POLL_MS)));
    }
}

void TVideoCapture::Execute() {
    RaiseCurrentThreadPriority();
    _USB = 0;
    _capturing = false;
    for (auto &interval : frame_intervals_) {
        interval = 0;
    }
    interval_index_ = 0;
    previous_pass_start_ = 0;
    sem.Drain();
    driver_.ExposureSemaphore(sem.Handle());

    while (continue_) {
        RecordFrameInterval();
        const uint32_t starts = recording_starts;
        if (!_capturing || starts != programmed_for_start_) {
            ProgramCamera();
            programmed_for_start_ = starts;
        }
        PImageLst frame = NewFrame(frame_width_, frame_height_, std::string());
        if (!frame) {
            fault_ = AcquisitionFault::OutOfMemory;
            break;
        }
        driver_.ThreadedExposure(frame->Data);
        const Exposure exposure = AwaitExposure(length);
        if (exposure == Exposure::StillWithDriver) {
            AbandonToDriver(frame);
            break;
        }
        if (exposure == Exposure::NotAPicture) {
            FreeFrame(frame);
            continue;
        }
        frames_.AppendFrame(frame);
        poster_.Post(MSG_FRAME_READY);
        const int32_t pause_ms = delay;
        if (pause_ms > 0) {
            SleepWhileRunning(static_cast<uint32_t>(pause_ms));
        }
    }
    Finish();
}
