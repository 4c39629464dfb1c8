#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "camera/frame_list.h"
#include "platform/bitmap24.h"

inline constexpr int32_t PREVIEW_IDLE = -1;
inline constexpr int32_t PREVIEW_PENDING = 1;
// While recording, the preview is refreshed at most every
// LIVE_PREVIEW_INTERVAL_MS (10 pictures a second) as long as the writer keeps
// up: at most LIVE_PREVIEW_QUEUE frames wait, the newest included. When more
// wait, only every RECORDING_PREVIEW_INTERVAL_MS, leaving the GUI thread to
// the writer until it has caught up (one frame, the newest, left).
inline constexpr uint32_t RECORDING_PREVIEW_INTERVAL_MS = 2000;
inline constexpr uint32_t LIVE_PREVIEW_INTERVAL_MS = 100;
inline constexpr size_t LIVE_PREVIEW_QUEUE = 2;

// Untouched copy of the newest frame's samples for the histogram and the
// focus aid, with the frame's size; of a deep frame, its 8-bit view.
struct AnalysisCopy {
    std::unique_ptr<uint8_t[]> samples{new uint8_t[size_t(FULL_WIDTH) * FULL_HEIGHT * 3]()};
    size_t capacity = size_t(FULL_WIDTH) * FULL_HEIGHT * 3;
    int32_t W = 0;
    int32_t H = 0;

    // Room for `bytes`, grown for a sensor larger than the default camera's;
    // the samples are undefined after a growth.
    void Reserve(size_t bytes) {
        if (bytes > capacity) {
            samples.reset(new uint8_t[bytes]());
            capacity = bytes;
        }
    }
};

// What the frame-ready handler hands the renderer. GUI thread only: the
// acquisition thread never touches it.
struct PreviewInput {
    Bitmap24 working_bitmap{FULL_WIDTH, FULL_HEIGHT};
    std::string stamp_text;               // the stamp of the frame in the working bitmap
    int32_t preview_busy = PREVIEW_IDLE;  // PREVIEW_PENDING: a new frame waits to be rendered
    bool previewed_while_recording = false;
    bool writer_behind = false;  // the slow refresh is in force
    uint32_t last_recording_preview_tick = 0;
    AnalysisCopy analysis;
    // The display's black and white points (0 ... 254, 1 ... 255), the
    // renderer's. A deep frame gets them in its 8-bit view, made when the
    // frame arrives: the working bitmap is then stretched already.
    int32_t black_point = 0;
    int32_t white_point = 255;
    bool bitmap_stretched = false;
    std::vector<uint8_t> deep_view;  // grown at the first deep frame
};
