#pragma once

#include <QString>

#include "recording/recording_progress.h"

// What the recorder reaches outside itself: the capture button and two
// status panels of the main window, or the headless capture command's
// terminal. Called on the recorder's thread (the GUI thread).
class RecorderUi {
  public:
    virtual ~RecorderUi() = default;
    // The recording status panel (empty text clears it).
    virtual void ShowStatus(const QString &text) = 0;
    // The running recording's figures, a few times a second, and once more
    // as it ends.
    virtual void ShowProgress(const RecordingProgress &progress) = 0;
    // The recording has ended: the capture button comes up.
    virtual void ReleaseCaptureButton() = 0;
    // A frame or a file could not be written; the recording has been ended.
    virtual void ReportWriteFailure() = 0;
    // An output file holds its first frame (one per SER or AVI file, one per
    // FIT or BMP frame); a file that never gets one is removed unannounced.
    virtual void FileCreated(const QString &file_name) = 0;
};
