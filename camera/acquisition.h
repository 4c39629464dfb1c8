#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "camera/dark_frames.h"
#include "camera/dark_prompt_ui.h"
#include "camera/driver_api.h"
#include "camera/frame_list.h"
#include "platform/messages.h"
#include "platform/program_semaphore.h"
#include "platform/semaphore.h"
#include "preview/solar_mode.h"
#include "preview/stamp_text.h"

// How long past the expected end of an exposure (its length plus read-out)
// the camera may stay silent before it counts as no longer answering.
inline constexpr uint32_t CAMERA_SILENCE_MS = 5000;
// The longest the thread sleeps or waits at a stretch before it looks at its
// run flag again, which bounds how long the exit routine waits for it.
inline constexpr uint32_t RUN_FLAG_POLL_MS = 50;
// How long the program's end waits for the thread to stop.
inline constexpr uint32_t THREAD_STOP_WAIT_MS = 3000;
// The pause after each frame while the focus window is open, which leaves
// the GUI thread time for the focus aid's plot; never while recording.
inline constexpr uint32_t FOCUS_PAUSE_MS = 250;

// How much of a recording may wait in memory for the writer. A camera ahead
// of the writer by this much waits before its next exposure until the writer
// has taken some frames: an ever longer queue costs new memory for every
// frame, which took the processor from the writer, slowed the recording
// below what the disk takes, and ends in running out of memory. No frame is
// lost by the wait: the exposure is only asked for later. Bytes, so that
// small frames, which come fastest, get the most frames of slack (873 at
// 320 x 240, 218 at 640 x 480); never fewer than RECORDING_QUEUE_MIN_FRAMES.
inline constexpr size_t RECORDING_QUEUE_BYTES = size_t{64} << 20;
inline constexpr size_t RECORDING_QUEUE_MIN_FRAMES = 16;
// Frames of `frame_bytes` each that may wait for a recording's writer.
size_t RecordingQueueFrames(size_t frame_bytes);

// Why frames stopped arriving, for the status bar. The GUI thread reads it.
enum class AcquisitionFault : int32_t {
    None,
    CameraNotAnswering,  // exposures are long overdue; the thread keeps trying
    OutOfMemory,         // no memory for a frame; the thread has stopped for this run
    Failed,              // an error inside a pass; the thread has stopped for this run
};

// Rate shown for the five most recent frame intervals (ms): the integer
// average plus one, so an empty ring shows 1000 frames per second.
double FrameRateFromIntervals(const std::array<int32_t, 5> &intervals_ms);

// The acquisition thread: programs the camera before each frame from the
// fields the GUI thread leaves here, exposes into a new frame, appends it to
// the frame list and posts MSG_FRAME_READY. Created suspended; Resume starts it.
//
// The GUI thread writes the underscored fields, `length`, `binning_code`,
// `__color` and `_USB` at any time; this thread reads each whole once per
// pass, so a change takes effect with the next frame. A recording is begun and
// ended only through BeginRecording and EndRecording, which keep the order of
// its steps: while it runs the camera keeps the settings of its first pass.
class TVideoCapture {
  public:
    // `silence_margin_ms`: how long past the exposure in force the camera may
    // stay silent before it counts as not answering (shorter in tests).
    TVideoCapture(const CameraDriver &driver, FrameList &frames, MessagePoster &poster,
                  uint32_t silence_margin_ms = CAMERA_SILENCE_MS);
    ~TVideoCapture();
    TVideoCapture(const TVideoCapture &) = delete;
    TVideoCapture &operator=(const TVideoCapture &) = delete;

    // Asks the driver whether a camera answers. Called once, before Resume.
    bool Connect();
    // GUI thread: the requested sub-frame in full-sensor pixels, the y offset
    // counted from the sensor's bottom edge.
    void UpdateInfo(uint32_t width, uint32_t height, uint32_t offsety, uint32_t offsetx);
    // Starts the thread body.
    void Resume();
    // Clears the run flag; the thread ends at its next look at it, cancelling
    // an exposure in progress.
    void Stop() { continue_ = false; }
    // Waits at most timeout_ms for the thread body to end; true when it has
    // (or never started). After true the object may be destroyed at once.
    bool WaitUntilStopped(uint32_t timeout_ms);

    // GUI thread. Begins the camera's part of a recording: the exposure and
    // the pause after each frame are set for it, the camera is programmed once
    // more at the next pass and then keeps those settings, the exposure in
    // progress is cancelled and the frames still queued are discarded. Returns
    // the recording's tag: the frames exposed for it carry it in
    // `ImageLst::generation`; a frame exposed even partly before this call
    // carries an older one.
    uint32_t BeginRecording(int32_t exposure_ms, int32_t delay_ms);
    // GUI thread. Ends it, however the recording ended: the settings follow
    // the controls again, the pause ends, and a cut that a control asked for
    // during the recording is made now.
    void EndRecording();
    // GUI thread. The tag of the last recording begun.
    uint32_t RecordingTag() const { return requested_recording_.load(std::memory_order_relaxed); }
    // GUI thread. A control changed a camera setting: an exposure in force
    // longer than CANCEL_ABOVE_MS is cut short, so that the change does not
    // wait for it. While a recording holds the settings the cut waits for its
    // end: it would only spoil a recorded frame.
    void CancelForNewSettings();
    // A recording runs: the camera settings stay frozen.
    bool Capturing() const { return _capturing; }

    // Before Resume: the camera's sample depth (CameraSensor::bit_depth). A
    // deeper camera than 8 bits is asked for 16-bit samples, where its driver
    // takes the request, and its frames carry this depth.
    void SetSensorBitDepth(int32_t bits) { sensor_bit_depth_ = bits; }
    // The depth of the frames this thread makes: the sensor's when its driver
    // delivers 16-bit samples, else 8.
    int32_t FrameBitDepth() const;

    // Before Resume: who asks the observer to cover and uncover the camera
    // for dark frames. Without anyone to ask, no darks are taken.
    void SetDarkPromptUi(DarkPromptUi *ui) { dark_prompt_ui_ = ui; }
    // Any thread: the observer answered the prompt shown last.
    void DarkPromptAnswered() { dark_prompt_.Release(); }

    // Frame intervals of the last five passes, for the frame-rate display.
    std::array<int32_t, 5> FrameIntervals() const;
    AcquisitionFault Fault() const { return fault_.load(); }
    // What went wrong when Fault() is Failed.
    std::string FailureText() const;

    std::atomic<uint32_t> _height{FULL_HEIGHT};
    std::atomic<uint32_t> _width{FULL_WIDTH};
    std::atomic<uint32_t> _offsetx{0};
    std::atomic<uint32_t> _offsety{0};
    std::atomic<bool> __color{false};
    std::atomic<uint32_t> _rgain{0};
    std::atomic<uint32_t> _ggain{0};
    std::atomic<uint32_t> _bgain{0};
    std::atomic<uint32_t> _USB{0};         // 1 = fast transfer mode
    std::atomic<int32_t> binning_code{1};  // 1 = 1x1, 2 = 2x2, 3 = 4x4
    std::atomic<int32_t> length{100};      // requested exposure in ms
    // The requested exposure to the microsecond. It holds while `length` is
    // its nearest whole ms; a `length` set alone to another value wins.
    std::atomic<int32_t> length_us{100000};
    // GUI thread: sets both.
    void SetExposureUs(int32_t us) {
        length_us = us;
        length = (us + 500) / 1000;
    }
    std::atomic<int32_t> delay{0};  // pause after each frame in ms
    // Dark exposures averaged and taken off every recorded frame; 0 = none.
    // Read once per frame; above MAX_DARK_COUNT counts as MAX_DARK_COUNT.
    std::atomic<int32_t> DARKCOUNT{0};
    std::atomic<bool> continue_{false};  // run flag of the loop
    std::atomic<bool> connected{false};
    // Set by the focus window as it is shown and hidden: the thread never
    // looks at a window itself.
    std::atomic<bool> focus_window_visible{false};
    // Solar mode: applied to every frame while the settings window is shown.
    SolarMode solar;
    // What each frame's stamp text says; the overlay window changes it.
    StampSettings stamp_settings;

  private:
    void Execute();
    void RunPasses();
    void ProgramCamera();
    enum class Exposure {
        Delivered,        // the camera filled the frame
        NotAPicture,      // given back only after a cancel for silence
        StillWithDriver,  // the run ended and the camera kept the frame's block
    };
    Exposure AwaitExposure(int32_t exposure_ms);
    bool DarkPrepare(int32_t dark_count);
    bool AwaitObserver(DarkPromptStep step);
    bool RecordingGoesOn() const;
    bool AwaitRoomForFrame();
    void SleepWhileRunning(uint32_t ms);
    void RecordFrameInterval();
    void Finish();

    const CameraDriver &driver_;
    FrameList &frames_;
    MessagePoster &poster_;
    const uint32_t silence_margin_ms_;
    DriverSemaphore sem;

    // Set by the GUI thread: a recording runs, and the tag of the last one begun.
    std::atomic<bool> _capturing{false};
    std::atomic<uint32_t> requested_recording_{0};
    // GUI thread: a control asked for a cut while a recording held the settings.
    bool cut_waiting_ = false;

    // What the camera is programmed with (this thread), beside the requested
    // values above: the geometry, the frame size after binning, the recording
    // tag of the frames, the exposure (which the GUI thread reads too), the
    // gains and the binning.
    uint32_t height = 0;
    uint32_t width = 0;
    uint32_t offsetx = 0;
    uint32_t offsety = 0;
    int32_t frame_width_ = 0;
    int32_t frame_height_ = 0;
    int32_t sensor_bit_depth_ = 8;
    uint32_t recording_in_force_ = 0;
    bool in_recording_ = false;  // the last pass was one of recording_in_force_
    std::atomic<int32_t> length_in_force_{0};
    int32_t length_us_in_force_ = 0;
    // The stamp rule as last read and the text built from it; this thread only.
    StampRule stamp_rule_;
    uint64_t stamp_version_ = 0;
    std::string stamp_text_;
    uint32_t rgain_in_force_ = 0;
    uint32_t ggain_in_force_ = 0;
    uint32_t bgain_in_force_ = 0;
    int32_t binning_in_force_ = 1;

    // Dark frames: the averaged dark of the settings in force, and the
    // observer's answer to the cover and uncover prompts.
    DarkFrames darks_;
    DarkPromptUi *dark_prompt_ui_ = nullptr;
    ProgramSemaphore dark_prompt_{0, 1};

    std::array<std::atomic<int32_t>, 5> frame_intervals_{};
    int32_t interval_index_ = 0;
    uint32_t previous_pass_start_ = 0;
    std::atomic<AcquisitionFault> fault_{AcquisitionFault::None};
    mutable std::mutex failure_mutex_;
    std::string failure_text_;

    std::thread thread_;
    std::mutex finished_mutex_;
    std::condition_variable finished_changed_;
    bool finished_ = true;
};
