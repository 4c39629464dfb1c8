#include "camera/acquisition.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include "camera/exposure_controls.h"
#include "camera/gain_code.h"
#include "camera/sensor_window.h"
#include "platform/thread_priority.h"
#include "platform/tick_count.h"
#include "platform/utc_clock.h"

double FrameRateFromIntervals(const std::array<int32_t, 5> &intervals_ms) {
    int32_t sum = 0;
    for (int32_t interval : intervals_ms) {
        sum += interval;
    }
    return 1000.0 / (sum / 5 + 1);
}

size_t RecordingQueueFrames(size_t frame_bytes) {
    return std::max(RECORDING_QUEUE_MIN_FRAMES,
                    RECORDING_QUEUE_BYTES / std::max<size_t>(frame_bytes, 1));
}

namespace {

// The frame of the pass under way, until the list takes it: freed when the
// pass ends early, or left to the driver while it may still write into it.
class PassFrame {
  public:
    explicit PassFrame(PImageLst frame) : frame_(frame) {}
    ~PassFrame() {
        if (frame_ && with_driver) {
            AbandonToDriver(frame_);
        } else {
            FreeFrame(frame_);
        }
    }
    PassFrame(const PassFrame &) = delete;
    PassFrame &operator=(const PassFrame &) = delete;

    PImageLst get() const { return frame_; }
    PImageLst Release() { return std::exchange(frame_, nullptr); }

    bool with_driver = false;

  private:
    PImageLst frame_;
};

}  // namespace

TVideoCapture::TVideoCapture(const CameraDriver &driver, FrameList &frames, MessagePoster &poster,
                             uint32_t silence_margin_ms)
    : driver_(driver), frames_(frames), poster_(poster), silence_margin_ms_(silence_margin_ms) {}

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

uint32_t TVideoCapture::BeginRecording(int32_t exposure_ms, int32_t delay_ms) {
    length = exposure_ms;
    delay = delay_ms;
    cut_waiting_ = false;
    _capturing = true;
    // Published last: the thread that sees the new tag also sees the values
    // above, and programs the camera with them before its next exposure.
    const uint32_t tag = requested_recording_.fetch_add(1, std::memory_order_release) + 1;
    // The exposure under way started before the recording: end it early so
    // the first frame of the recording comes sooner. It arrives under the
    // older tag, as does anything queued meanwhile.
    driver_.CancelExposure();
    frames_.ClearFrameList();
    return tag;
}

void TVideoCapture::EndRecording() {
    _capturing = false;
    delay = 0;
    if (cut_waiting_) {
        cut_waiting_ = false;
        driver_.CancelExposure();
    }
}

void TVideoCapture::CancelForNewSettings() {
    if (length_in_force_ <= CANCEL_ABOVE_MS) {
        return;
    }
    if (_capturing) {
        cut_waiting_ = true;
        return;
    }
    driver_.CancelExposure();
}

int32_t TVideoCapture::FrameBitDepth() const {
    // A driver that cannot be asked for deep samples delivers bytes.
    return driver_.SetSampleDepth != nullptr ? std::clamp(sensor_bit_depth_, 8, 16) : 8;
}

std::string TVideoCapture::FailureText() const {
    std::lock_guard lock(failure_mutex_);
    return failure_text_;
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
    binning_in_force_ = code;
    driver_.SetFrame(static_cast<int32_t>(offsetx), static_cast<int32_t>(offsety),
                     static_cast<int32_t>(width), static_cast<int32_t>(height));
    driver_.SetBinning(code);
    const int32_t exposure_ms = length;
    const int32_t asked_us = length_us;
    const int32_t exposure_us =
        (asked_us + 500) / 1000 == exposure_ms ? asked_us : std::max(exposure_ms, 0) * 1000;
    // Drivers that take microseconds get the exact exposure.
    if (driver_.SetExpoTimeUs != nullptr) {
        driver_.SetExpoTimeUs(exposure_us);
    } else {
        driver_.SetExpoTime(exposure_ms);
    }
    length_in_force_ = exposure_ms;
    length_us_in_force_ = exposure_us;
    rgain_in_force_ = _rgain;
    ggain_in_force_ = _ggain;
    bgain_in_force_ = _bgain;
    const int32_t green = GainCode(ggain_in_force_);
    driver_.SetGain(GainCode(rgain_in_force_), green, GainCode(bgain_in_force_), green);
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
        static_cast<uint32_t>(std::max(exposure_ms, 0)) + silence_margin_ms_;
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

// Makes darks ready for the settings in force and `dark_count` exposures;
// false when none are (no one to ask, the recording that wanted them ended,
// or the program is ending). The darks are keyed to what the camera was
// programmed with, not to what the controls ask for meanwhile: settings
// changed during a recording have not reached the camera, so darks taken
// then are still of the old settings.
bool TVideoCapture::DarkPrepare(int32_t dark_count) {
    const DarkKey key{.length = length_in_force_,
                      .length_us = length_us_in_force_,
                      .rgain = rgain_in_force_,
                      .bgain = bgain_in_force_,
                      .ggain = ggain_in_force_,
                      .width = width,
                      .height = height,
                      .offsetx = offsetx,
                      .offsety = offsety,
                      .binning_code = binning_in_force_,
                      .count = dark_count,
                      .bit_depth = FrameBitDepth()};
    if (darks_.ValidFor(key)) {
        return true;
    }
    if (!dark_prompt_ui_ || !AwaitObserver(DarkPromptStep::CoverCamera)) {
        return false;
    }
    if (!RecordingGoesOn()) {
        return false;  // the recording was cancelled at the prompt: nothing was covered
    }
    const size_t samples = static_cast<size_t>(frame_width_) * frame_height_;
    darks_.Reserve(samples);
    int32_t taken = 0;
    while (taken < dark_count && continue_ && RecordingGoesOn()) {
        dark_prompt_ui_->DarkFrameBegins(taken + 1, dark_count);
        driver_.ThreadedExposure(darks_.ExposureBuffer());
        const Exposure exposure = AwaitExposure(length_in_force_);
        if (exposure == Exposure::StillWithDriver) {
            darks_.AbandonExposureBuffer();
            return false;
        }
        // A silent camera's cancelled exposure is no dark: it is taken again.
        // An exposure that ended with the program or the recording is not
        // counted either.
        if (exposure == Exposure::Delivered && continue_ && RecordingGoesOn()) {
            darks_.Accumulate(samples, taken == 0, key.bit_depth);
            ++taken;
        }
    }
    if (taken == dark_count) {
        darks_.Finish(key, samples);
    }
    // Whoever covered the camera is asked to uncover it, whatever became of the set.
    return AwaitObserver(DarkPromptStep::UncoverCamera) && taken == dark_count;
}

// Asks the observer and waits for the answer, looking at the run flag
// between slices of the wait; false when the program ends first (nothing is
// asked once it is ending).
bool TVideoCapture::AwaitObserver(DarkPromptStep step) {
    if (!continue_) {
        return false;
    }
    dark_prompt_.Drain();  // an answer nobody asked for must not answer this prompt
    dark_prompt_ui_->AskObserver(step);
    while (!dark_prompt_.Wait(RUN_FLAG_POLL_MS)) {
        if (!continue_) {
            return false;
        }
    }
    return true;
}

bool TVideoCapture::RecordingGoesOn() const {
    return _capturing &&
           requested_recording_.load(std::memory_order_acquire) == recording_in_force_;
}

// While a recording's queue is full: waits for the writer to take a quarter
// of it, so that the camera thread wakes once for many frames rather than for
// each, in slices that let the end of the run or of the recording be seen.
// No more than half the spare frames, though: the blocks the writer frees
// meanwhile are all kept for the camera, none given back to the system and
// made anew. False when the run or the recording ended first.
bool TVideoCapture::AwaitRoomForFrame() {
    const size_t limit = RecordingQueueFrames(BytesPerSample(FrameBitDepth()) *
                                              static_cast<size_t>(frame_width_) *
                                              static_cast<size_t>(frame_height_));
    if (frames_.Count() < limit) {
        return true;
    }
    const size_t to_take = std::min(limit / 4, SPARE_FRAMES / 2);
    while (!frames_.WaitForRoom(limit - to_take + 1, RUN_FLAG_POLL_MS)) {
        if (!continue_ || !RecordingGoesOn()) {
            return false;
        }
    }
    return true;
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

// Any error inside a pass ends the loop for this run, as running out of
// memory does; it is kept for the status bar rather than ending the program.
void TVideoCapture::Execute() {
    try {
        RaiseCurrentThreadPriority();
        // _USB is left as the window set it (it starts at 0): a fast transfer
        // restored at start-up is set before this thread runs.
        for (auto &interval : frame_intervals_) {
            interval = 0;
        }
        interval_index_ = 0;
        previous_pass_start_ = 0;
        sem.Drain();
        driver_.ExposureSemaphore(sem.Handle());
        if (FrameBitDepth() > 8) {
            driver_.SetSampleDepth(16);
        }
        RunPasses();
    } catch (const std::exception &error) {
        {
            std::lock_guard lock(failure_mutex_);
            failure_text_ = error.what();
        }
        fault_ = AcquisitionFault::Failed;
    } catch (...) {
        fault_ = AcquisitionFault::Failed;
    }
    Finish();
}

void TVideoCapture::RunPasses() {
    while (continue_) {
        RecordFrameInterval();
        // The tag is read before the flag: a recording's flag is raised before
        // its tag is published, so a new tag always comes with the flag set.
        const uint32_t requested = requested_recording_.load(std::memory_order_acquire);
        // A flag seen with the tag of a recording this thread is not in is
        // the flag of one whose tag is not published yet: this pass is still
        // live, or it would ask for darks of settings the recording replaces.
        const bool recording = _capturing && (requested != recording_in_force_ || in_recording_);
        if (!recording || requested != recording_in_force_) {
            ProgramCamera();
            recording_in_force_ = requested;
        }
        in_recording_ = recording;
        // Read once per pass: the darks made ready and the darks taken off
        // the frame are of the same count.
        const int32_t dark_count = recording ? std::clamp(DARKCOUNT.load(), 0, MAX_DARK_COUNT) : 0;
        const bool subtract_darks = dark_count > 0 && DarkPrepare(dark_count);
        if (!continue_) {
            return;
        }
        // A pass whose recording ended while it waited starts again, with the
        // camera programmed for what follows.
        if (recording && !AwaitRoomForFrame()) {
            continue;
        }
        // The stamp says when the exposure was started.
        stamp_settings.Refresh(stamp_rule_, stamp_version_);
        BuildStampText(stamp_rule_, LocalWallClockNow(), stamp_text_);
        PassFrame frame(NewFrame(frame_width_, frame_height_, stamp_text_, FrameBitDepth()));
        if (!frame.get()) {
            fault_ = AcquisitionFault::OutOfMemory;
            return;
        }
        frame.get()->generation = recording_in_force_;
        frame.with_driver = true;
        // Read right before the request, so the time is the exposure's start
        // as closely as this side of the driver can know it.
        frame.get()->exposure_start_ns = UtcNowNs();
        driver_.ThreadedExposure(frame.get()->Data);
        // Bounded by what the camera was programmed with: a shorter exposure
        // asked for during a recording has not reached it.
        const Exposure exposure = AwaitExposure(length_in_force_);
        if (exposure == Exposure::StillWithDriver) {
            return;
        }
        frame.with_driver = false;
        if (exposure == Exposure::NotAPicture) {
            continue;
        }
        if (subtract_darks) {
            darks_.SubtractFrom(frame.get()->Data,
                                static_cast<size_t>(frame_width_) * frame_height_,
                                frame.get()->bit_depth);
        }
        solar.Apply(frame.get()->Data, static_cast<size_t>(frame.get()->w) * frame.get()->h,
                    frame.get()->bit_depth);
        frames_.AppendFrame(frame.Release());
        poster_.Post(MSG_FRAME_READY);
        // A recording never waits for a window: the focus aid then shows the
        // newest frame whenever the preview next comes round.
        SleepWhileRunning(focus_window_visible && !_capturing ? FOCUS_PAUSE_MS : 0);
        const int32_t pause_ms = delay;
        if (pause_ms > 0) {
            SleepWhileRunning(static_cast<uint32_t>(pause_ms));
        }
    }
}
