#pragma once

#include <QString>
#include <cstdint>

#include "shell/interface_texts.h"

// Free bytes for programs on the disk that holds `folder`; -1 when unknown.
int64_t FreeDiskBytes(const QString &folder);

// How long the capture disk lasts, as its figure is coloured.
enum class DiskLevel {
    Plenty,    // 10 minutes or more, or no estimate yet
    Low,       // under 10 minutes: amber
    Critical,  // under 2 minutes: red
};
inline constexpr double DISK_LOW_MINUTES = 10;
inline constexpr double DISK_CRITICAL_MINUTES = 2;
DiskLevel DiskLevelOf(double minutes_left);

// Minutes `free_bytes` last when `bytes_per_second` are written; -1 when
// either is unknown or nothing is being written.
double MinutesLeft(int64_t free_bytes, double bytes_per_second);

// What the observer is shown about a running (or just ended) recording.
struct RecordingProgress {
    int32_t frames_written = 0;
    int32_t frames_wanted = 0;  // the count asked for; 0 when not counting frames
    int32_t seconds_left = -1;  // a timed recording's; -1 when not timed
    uint32_t elapsed_ms = 0;
    double camera_fps = 0;   // as the camera delivers
    double written_fps = 0;  // into the file, over the last second or so
    // Delivered for the recording and not written (still queued ones excepted
    // while it runs).
    int64_t frames_dropped = 0;
    int64_t file_bytes = 0;    // every file of the recording together
    int64_t free_bytes = -1;   // on the capture disk; -1 unknown
    double minutes_left = -1;  // of free space at the current rate; -1 unknown
};

// The pieces as the window and the terminal show them.
// "123 written, 377 frames left" / "12 s left, 123 frames" / "Capturing... 123 written"
QString FramesText(const RecordingProgress &progress, const InterfaceTexts &texts);
// "0:01:23"
QString ElapsedText(uint32_t elapsed_ms);
// "Frame Rate: 30.1, written: 30.0"
QString RatesText(const RecordingProgress &progress, const InterfaceTexts &texts);
// "dropped 0"
QString DroppedText(const RecordingProgress &progress, const InterfaceTexts &texts);
// "45.2 MB"
QString FileSizeText(int64_t bytes);
// "22688 MB free, 38 min" (the minutes only when known); empty when the free
// space is unknown.
QString FreeDiskText(int64_t free_bytes, double minutes_left, const InterfaceTexts &texts);
// Everything on one line, for the terminal.
QString ProgressLine(const RecordingProgress &progress, const InterfaceTexts &texts);
