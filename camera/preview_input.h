#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "camera/frame_list.h"
#include "platform/bitmap24.h"

inline constexpr int32_t PREVIEW_IDLE = -1;
inline constexpr int32_t PREVIEW_PENDING = 1;
// While recording, the preview is refreshed at most this often, leaving the
// GUI thread to the writer.
inline constexpr uint32_t RECORDING_PREVIEW_INTERVAL_MS = 2000;

// Untouched copy of the newest frame's samples for the histogram and the
// focus aid, with the frame's size.
struct AnalysisCopy {
    std::unique_ptr<uint8_t[]> samples{new uint8_t[size_t(FULL_WIDTH) * FULL_HEIGHT * 3]()};
    int32_t W = 0;
    int32_t H = 0;
};

// What the frame-ready handler hands the renderer. GUI thread only: the
// acquisition thread never touches it.
struct PreviewInput {
    Bitmap24 working_bitmap{FULL_WIDTH, FULL_HEIGHT};
    std::string stamp_text;               // the stamp of the frame in the working bitmap
    int32_t preview_busy = PREVIEW_IDLE;  // PREVIEW_PENDING: a new frame waits to be rendered
    bool previewed_while_recording = false;
    uint32_t last_recording_preview_tick = 0;
    AnalysisCopy analysis;
};
