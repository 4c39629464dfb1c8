#pragma once

#include <QString>
#include <cstdint>

#include "platform/bitmap24.h"
#include "recording/file_naming.h"

// Frame bytes after which a recording goes on in a further AVI file
// (2000 x 1024 x 1024), well below what one RIFF AVI 1.0 file may hold.
inline constexpr int64_t AVI_SPLIT_BYTES = 2'097'152'000;

// No AVI file open.
inline constexpr int32_t AVI_NO_HANDLE = -1;

// The AVI output of one recording: the open file's handle from the AVI
// library, the frame bytes it holds, and the split into numbered files. Used
// on one thread (the recorder's).
class AviOutput {
  public:
    // `namer` hands out the file names (it outlives this object);
    // `split_bytes` is the split threshold, smaller in tests.
    explicit AviOutput(FileNamer &namer, int64_t split_bytes = AVI_SPLIT_BYTES);
    ~AviOutput();
    AviOutput(const AviOutput &) = delete;
    AviOutput &operator=(const AviOutput &) = delete;

    // Opens the first file, the next free name for `base_path` and
    // AVI_EXTENSION, for frames of the template's width and height. Returns
    // the handle, or AVI_NO_HANDLE when no file could be created. A file still
    // open is ended first.
    [[nodiscard]] int32_t StartAviFile(const QString &base_path, const Bitmap24 &frame_template);

    // Appends one frame (width x 3 x height bytes counted). When the current
    // file already holds more than the split threshold, it is closed first and
    // the frame opens the next file; the frame that crosses the threshold thus
    // still goes into the old one. False when the frame could not be stored or
    // the next file not be opened: the recording must end.
    [[nodiscard]] bool AddAviImage(const Bitmap24 &bitmap);

    // Closes the open file (index and final headers). False when nothing was
    // open or the file could not be completed.
    [[nodiscard]] bool EndAviFile();

    int32_t AviHandle() const { return handle_; }
    // The name of the file frames go to now.
    const QString &FileName() const { return file_name_; }
    int64_t AviBytes() const { return avi_bytes_; }

  private:
    // Creates the next numbered file for frames of the template's size;
    // its handle, or AVI_NO_HANDLE.
    int32_t CreateNextFile(const Bitmap24 &frame_template);

    FileNamer &namer_;
    const int64_t split_bytes_;
    QString base_path_;
    QString file_name_;
    int32_t handle_ = AVI_NO_HANDLE;
    int64_t avi_bytes_ = 0;
};
