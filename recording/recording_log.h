#pragma once

#include <QString>
#include <cstdint>

#include "recording/recorder_ui.h"
#include "recording/recording_description.h"

// How a recording ended, as its log says.
enum class RecordingEnd {
    Completed,      // its count or time was reached
    Stopped,        // the observer stopped it
    WriteFailed,    // a frame or a file could not be written
    CameraStopped,  // the camera stopped delivering
    Signal,         // omtrix-capture was stopped by a signal
};

// What a recording's log states.
struct RecordingFacts {
    RecordingDescription description;
    QString format;  // SER, AVI, FIT or BMP
    QString first_file;
    int32_t exposure_us = 0;
    int32_t frame_width = 0;  // as stored, after binning
    int32_t frame_height = 0;
    int64_t first_start_ns = 0;  // exposure starts (UtcNowNs) of the first and last frame written
    int64_t last_start_ns = 0;
    int32_t frames_written = 0;
    int32_t frames_unwritten = 0;  // delivered for the recording, still queued at its end
    RecordingEnd end = RecordingEnd::Stopped;
};

// The log's text: one Key=Value line each, UTF-8, times in UTC (ISO 8601).
// Start is the first frame's exposure start, End the last frame's exposure
// end, Mid halfway between.
QString RecordingLogText(const RecordingFacts &facts);

// Halfway between the first frame's exposure start and the last one's end.
int64_t MidTimeNs(const RecordingFacts &facts);

// The log beside a recording's first file: its name with ".txt" added.
QString RecordingLogName(const QString &first_file);

// Keeps the facts of the running recording and writes its log when it ends.
// Sits between the recorder and its RecorderUi, so it learns every file the
// recorder creates. GUI thread only.
class RecordingLog : public RecorderUi {
  public:
    explicit RecordingLog(RecorderUi &ui) : ui_(ui) {}

    // A recording starts: what it was asked for.
    void Begin(const RecordingDescription &description, int32_t mode, int32_t exposure_us,
               int32_t frame_width, int32_t frame_height);
    // One frame went into the file.
    void FrameWritten(int64_t exposure_start_ns);
    // How the running recording ends, when not by the observer's stop.
    void EndedBy(RecordingEnd end);
    // The recording has ended: names its file by its mid-time when that is
    // wanted, and writes the log (when wanted and a file was made), never
    // over another file. False when the log could not be written.
    bool End(int32_t frames_written, int32_t frames_unwritten);
    // The log file last written; empty when none was.
    const QString &LastLog() const { return last_log_; }

    void ShowStatus(const QString &text) override { ui_.ShowStatus(text); }
    void ShowProgress(const RecordingProgress &progress) override { ui_.ShowProgress(progress); }
    void ReleaseCaptureButton() override { ui_.ReleaseCaptureButton(); }
    void ReportWriteFailure() override { ui_.ReportWriteFailure(); }
    void FileCreated(const QString &file_name) override;

  private:
    void NameByTime();

    RecorderUi &ui_;
    bool running_ = false;
    int32_t files_created_ = 0;
    RecordingFacts facts_;
    QString last_log_;
};
