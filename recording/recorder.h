#pragma once

#include <QString>
#include <cstdint>

#include "camera/acquisition.h"
#include "camera/driver_api.h"
#include "camera/frame_list.h"
#include "platform/bitmap24.h"
#include "recording/avi_output.h"
#include "recording/file_naming.h"
#include "recording/fits_writer.h"
#include "recording/recorder_ui.h"
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

// Output states besides an open AVI file's handle.
inline constexpr int32_t OUTPUT_IDLE = -1;
inline constexpr int32_t OUTPUT_PER_FRAME_FILES = -2;
inline constexpr int32_t OUTPUT_SER_OPEN = -3;

// What a recording start needs from the capture controls (or the command line).
struct RecordingRequest {
    QString capture_directory;
    QString base_name;
    int32_t mode = MODE_NONE;
    int32_t exposure_ms = 100;
    int32_t delay_ms = 0;
    int32_t count = 1;  // frames, or seconds in seconds mode; 0 = no limit
    bool seconds_mode = false;
    int32_t frame_width = 0;  // after binning
    int32_t frame_height = 0;
};

enum class StartResult {
    Started,
    NoFileName,    // capture directory or base name missing: ask for them
    OutputFailed,  // the output could not be created
};

// Turns queued frames into files while a recording runs, one frame per
// MSG_RECORD_FRAME notice, oldest first. Runs on the GUI thread only; the
// acquisition thread keeps queueing meanwhile and is never held up.
class TAVIExport {
  public:
    TAVIExport(FrameList &frames, TVideoCapture &capture, const CameraDriver &driver,
               RecorderUi &ui, int64_t avi_split_bytes = AVI_SPLIT_BYTES);

    void Init();

    // Starts a recording: cancels the exposure in progress, discards queued
    // frames, hands exposure and delay to the camera, opens the output and
    // sets the counters.
    StartResult StartRecording(const RecordingRequest &request, uint32_t now_tick);
    // The observer's stop: the next notice closes the output.
    void StopRecording();

    // Opens the output for frames of w x h samples; true when that failed.
    bool CreateFile(int32_t w, int32_t h);
    // One frame-ready notice while recording.
    void ProcessFrame(uint32_t now_tick);
    // Ends the recording's output and resets the capture controls.
    void Close();

    bool Recording() const { return AVIHandle != OUTPUT_IDLE; }
    // Whether a notice at `now_tick` would still save a frame: frames are
    // left to count, no limit is set, or the end time lies ahead.
    bool TakesFrames(uint32_t now_tick) const;
    void SetTexts(const InterfaceTexts &texts);

    int32_t count = 0;
    int32_t AVIHandle = OUTPUT_IDLE;
    uint32_t endtime = 0;
    int32_t framecount = 0;
    int32_t _MODE = MODE_NONE;
    QString __NAME;  // capture directory and base name
    FileNamer namer;

  private:
    enum class SaveResult { Written, NothingToSave, Failed };
    void TakeNotice(uint32_t now_tick);
    SaveResult SaveFrame();
    void ShowMemory();
    void EndAfterWriteFailure();

    FrameList &frames_;
    TVideoCapture &Cap;
    const CameraDriver &driver_;
    // The frame size of the running recording; every file holds one size.
    int32_t frame_width_ = 0;
    int32_t frame_height_ = 0;
    RecorderUi &ui_;

    QString _MSG_MEMORY;
    QString _MSG_FRAMESLEFT;
    QString _MSG_CAPTURING;
    QString _MSG_SECLEFT;

    static constexpr uint32_t MEMORY_REFRESH_MS = 250;
    bool memory_read_ = false;
    uint32_t memory_read_tick_ = 0;
    QString memory_text_;

    Bitmap24 RecordBitmap;
    SerWriter ser_;
    FitsWriter fits_;
    AviOutput avi_;
};
