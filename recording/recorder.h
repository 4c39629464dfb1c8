#pragma once

#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

#include "camera/acquisition.h"
#include "camera/driver_api.h"
#include "camera/frame_list.h"
#include "platform/bitmap24.h"
#include "platform/file_link_watch.h"
#include "preview/text_overlay.h"
#include "recording/avi_output.h"
#include "recording/file_naming.h"
#include "recording/fits_writer.h"
#include "recording/recorder_ui.h"
#include "recording/recording_description.h"
#include "recording/recording_log.h"
#include "recording/recording_progress.h"
#include "recording/ser_writer.h"
#include "shell/interface_texts.h"

// Output kinds of a recording.
enum RecordingMode : int32_t {
    MODE_NONE = 0,
    MODE_AVI = 1,
    MODE_FIT = 2,
    MODE_SER = 3,
    MODE_BMP = 4
};

// Recording counter values besides a number of frames still to save.
inline constexpr int32_t COUNT_NO_LIMIT = -10;
inline constexpr int32_t COUNT_TIMED = -11;

// What a recording start needs from the capture controls (or the command line).
struct RecordingRequest {
    QString capture_directory;
    QString base_name;
    int32_t mode = MODE_NONE;
    int32_t exposure_ms = 100;
    int32_t exposure_us = -1;  // the same to the microsecond; -1: exposure_ms
    int32_t delay_ms = 0;
    int32_t count = 1;  // frames, or seconds in seconds mode; 0 = no limit in either
    bool seconds_mode = false;
    int32_t frame_width = 0;  // after binning
    int32_t frame_height = 0;
    RecordingDescription description;  // for the files' headers and the log
};

enum class StartResult {
    Started,
    NoFileName,    // capture directory or base name missing: ask for them
    OutputFailed,  // the output could not be created
};

// Turns queued frames into files while a recording runs, one frame per
// MSG_RECORD_FRAME notice, oldest first. Runs on the GUI thread only; the
// acquisition thread keeps queueing meanwhile; only a queue of
// RECORDING_QUEUE_BYTES makes it wait for the writer.
//
// The recorder owns the recording's output: what is open is asked of the
// writers themselves, and every way a recording ends goes through Close,
// which finishes the files and ends the camera's part of the recording.
class TAVIExport {
  public:
    TAVIExport(FrameList &frames, TVideoCapture &capture, const CameraDriver &driver,
               RecorderUi &ui, int64_t avi_split_bytes = AVI_SPLIT_BYTES);

    void Init();

    // Starts a recording: ends one still open, opens the output, sets the
    // counters and begins the camera's part of the recording.
    // The recording keeps the colour mode in force at its start.
    StartResult StartRecording(const RecordingRequest &request, uint32_t now_tick);
    // The observer's stop: the output is finished at once. Frames still
    // queued are not written.
    void StopRecording();

    // The running recording's dark frames have been taken and the camera
    // uncovered: a timed recording counts its time from now, since the time
    // spent on the darks recorded nothing.
    void DarksTaken(uint32_t now_tick);

    // One frame-ready notice while recording.
    void ProcessFrame(uint32_t now_tick);
    // The running (or last) recording's figures as of `now_tick`.
    RecordingProgress Progress(uint32_t now_tick);
    // Between notices too (a timer calls it twice a second while a recording
    // runs): ends a recording whose file has lost its name, as a write
    // failure, and refreshes the figures.
    void Watch(uint32_t now_tick);
    // Ends the recording's output, the camera's part and the capture controls.
    // An output that holds no frame is removed. A write failure, or a file
    // that could not be completed, is reported once.
    void Close(bool write_failed = false);

    // An output is open: a recording runs, or has ended by its count or time
    // and is closed at the next notice.
    bool Recording() const;
    // Whether a notice at `now_tick` would still save a frame: frames are
    // left to count, no limit is set, or the end time lies ahead.
    bool TakesFrames(uint32_t now_tick) const;
    // The output kind of the running (or last) recording.
    int32_t Mode() const { return _MODE; }
    void SetTexts(const InterfaceTexts &texts);

    int32_t count = 0;
    uint32_t endtime = 0;
    uint32_t duration_ms = 0;  // of a timed recording
    int32_t framecount = 0;
    // Of those, frames written into a file that lost its name during the
    // recording (its folder removed): counted, but in no file any more.
    int32_t frames_lost = 0;
    QString __NAME;  // capture directory and base name
    // The time stamp's look; none: AVI, FIT and BMP pictures go unstamped.
    const OverlayLook *overlay = nullptr;
    FileNamer namer;
    // Passes the recorder's reports on and writes each recording's log when
    // it ends; told how a recording ended when something else ended it.
    RecordingLog log;
    // Free bytes on the disk holding a folder (a test's stand-in may replace it).
    std::function<int64_t(const QString &)> free_space = FreeDiskBytes;

  private:
    enum class SaveResult { Written, NothingToSave, Failed };
    // Opens the output for frames of w x h samples; false when that failed.
    bool CreateFile(int32_t w, int32_t h);
    // Finishes whatever output is open and ends the camera's part of the
    // recording; false when a file could not be completed.
    bool EndOutput();
    void TakeNotice(uint32_t now_tick);
    SaveResult SaveFrame();
    const uint16_t *DeepSamplesToSave(const ImageLst &frame);
    // Hands the figures on, at most every PROGRESS_REFRESH_MS unless `now`.
    void ShowProgress(uint32_t now_tick, bool now);
    // Bytes in the recording's files so far.
    int64_t FileBytes() const;
    // Frames delivered for the recording, still queued as it ends, that it
    // would have written: within its count or its time.
    int64_t QueuedFramesWanted(uint32_t now_tick) const;
    void EndAfterWriteFailure();
    // Close as of a notice at `now_tick`.
    void CloseAt(uint32_t now_tick, bool write_failed = false);
    // The SER or AVI file frames go to now, from its creation on.
    void FollowOutput(const QString &file_name);
    // Whether the open file still has a name; looked at no more often than
    // WATCH_INTERVAL_MS unless `now`.
    bool OutputStillNamed(uint32_t now_tick, bool now);

    FrameList &frames_;
    TVideoCapture &Cap;
    const CameraDriver &driver_;
    RecorderUi &ui_;

    // Fixed at the recording's start: its kind, the tag its frames carry,
    // the frame size every file holds and the colour mode.
    int32_t _MODE = MODE_NONE;
    uint32_t recording_tag_ = 0;
    int32_t frame_width_ = 0;
    int32_t frame_height_ = 0;
    bool __color = false;
    RecordingDescription description_;
    int32_t exposure_us_ = 0;
    // FIT or BMP: nothing stays open between frames, but a recording runs.
    bool per_frame_files_ = false;

    QString _MSG_NOFRAMES;
    InterfaceTexts texts_;
    // The file that SER and AVI frames go to, how many it holds, and the
    // watch on its name.
    static constexpr uint32_t WATCH_INTERVAL_MS = 250;
    QString output_file_;
    int32_t frames_in_output_ = 0;
    FileLinkWatch output_watch_;
    uint32_t output_watched_tick_ = 0;
    QTimer watch_timer_;

    // The figures: asking the disk and the file costs more than writing a
    // small frame, so they are refreshed four times a second. Written rate
    // and disk use are measured over at least RATE_WINDOW_MS.
    static constexpr uint32_t PROGRESS_REFRESH_MS = 250;
    static constexpr uint32_t RATE_WINDOW_MS = 1000;
    QString capture_directory_;
    int32_t frames_wanted_ = 0;
    bool timed_ = false;
    int64_t frames_dropped_ = 0;
    uint32_t started_tick_ = 0;
    uint32_t progress_tick_ = 0;
    int64_t finished_bytes_ = 0;  // of the recording's files already closed
    uint32_t rate_tick_ = 0;
    int32_t rate_frames_ = 0;
    int64_t rate_bytes_ = 0;
    double written_fps_ = 0;
    double bytes_per_second_ = 0;

    // A deep frame's samples narrowed to 8 bits, for an 8-bit SER.
    std::vector<uint8_t> narrowed_;
    // A deep frame with its stamp, for a 16-bit FITS.
    std::vector<uint16_t> stamped_;

    Bitmap24 RecordBitmap;
    SerWriter ser_;
    FitsWriter fits_;
    AviOutput avi_;
};
